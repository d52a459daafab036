#include "catalogue/ui/frmCategoryMaint.h"

#include "catalogue/clsCategories.h"
#include "common/DialogMode.h"
#include "common/Session.h"
#include "common/ui/Guard.h"
#include "common/ui/KeyFilter.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace catalogue {

frmCategoryMaint::frmCategoryMaint(common::Session& session, QWidget* parent)
    : QDialog(parent), logic_(session.logic<catalogue::clsCategories>()),
      messages_(session.messages()) {
    setObjectName(QStringLiteral("frmCategoryMaint"));
    setWindowTitle(QStringLiteral("Category Maintenance"));
    setModal(true);

    lblCat = new QLabel(QStringLiteral("Please enter your new category description"), this);
    lblCat->setObjectName(QStringLiteral("lblCat"));
    txtCatDesc = new QLineEdit(this);
    txtCatDesc->setObjectName(QStringLiteral("txtCatDesc"));
    btnAction = new QPushButton(QStringLiteral("&Add"), this);
    btnAction->setObjectName(QStringLiteral("btnAction"));
    btnClose = new QPushButton(QStringLiteral("&Close"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    lblCat->setBuddy(txtCatDesc);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnAction);
    buttons->addWidget(btnClose);
    auto* layout = new QGridLayout(this);
    layout->addWidget(lblCat, 0, 0);
    layout->addWidget(txtCatDesc, 1, 0);
    layout->addLayout(buttons, 2, 0);
    txtCatDesc->setMinimumWidth(320);

    common::KeyFilter::install(txtCatDesc, messages_, common::FieldKind::FreeText, CategoryLimit,
                               btnAction);
    connect(btnAction, &QPushButton::clicked, this, &frmCategoryMaint::btnAction_Click);
    connect(btnClose, &QPushButton::clicked, this, &frmCategoryMaint::btnClose_Click);
}

void frmCategoryMaint::setDescription(const QString& text) {
    txtCatDesc->setText(text);
}

void frmCategoryMaint::showEvent(QShowEvent* event) {
    Form_Load();
    txtCatDesc->setFocus();
    QDialog::showEvent(event);
}

void frmCategoryMaint::Form_Load() {
    if (Mode == common::mode::Add) {
        setWindowTitle(QStringLiteral("Adding a new category"));
        btnAction->setText(QStringLiteral("&Add"));
    } else if (Mode == common::mode::Modify) {
        setWindowTitle(QStringLiteral("Modifying an existing category"));
        btnAction->setText(QStringLiteral("&Modify"));
    }
}

void frmCategoryMaint::btnAction_Click() {
    if (Mode == common::mode::Add) {
        common::guarded(messages_, [&] {
            if (logic_.AddNewCategory(txtCatDesc->text())) {
                // The dialog stays open for the next category.
                txtCatDesc->clear();
                emit categoriesChanged();
            }
        });
        txtCatDesc->setFocus();
    } else if (Mode == common::mode::Modify) {
        bool renamed = false;
        common::guarded(messages_,
                        [&] { renamed = logic_.ModifyCategory(CatID, txtCatDesc->text()); });
        if (renamed) {
            emit categoriesChanged();
            accept();
        } else {
            txtCatDesc->setFocus();
        }
    }
}

void frmCategoryMaint::btnClose_Click() {
    reject();
}

} // namespace catalogue
