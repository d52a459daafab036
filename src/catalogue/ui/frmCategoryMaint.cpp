#include "catalogue/ui/frmCategoryMaint.h"

#include "catalogue/clsCategories.h"
#include "common/DialogMode.h"
#include "common/Session.h"
#include "common/ui/DialogKit.h"
#include "common/ui/Guard.h"
#include "common/ui/KeyFilter.h"

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

    using common::AutoDefault;
    lblCat =
        common::label(this, QStringLiteral("Please enter your new category description"), "lblCat");
    txtCatDesc = common::textBox(this, "txtCatDesc");
    btnAction = common::button(this, QStringLiteral("&Add"), "btnAction", AutoDefault::On);
    btnClose = common::button(this, QStringLiteral("&Close"), "btnClose", AutoDefault::On);
    common::layOutPrompt(this, lblCat, txtCatDesc, {btnAction, btnClose});

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
    mode_ = common::dialogMode(Mode);
    common::showMode(this, btnAction, mode_, QStringLiteral("Adding a new category"),
                     QStringLiteral("Modifying an existing category"));
}

void frmCategoryMaint::btnAction_Click() {
    if (mode_ == common::DialogMode::Add) {
        common::guarded(messages_, [&] {
            if (logic_.AddNewCategory(txtCatDesc->text())) {
                // The dialog stays open for the next category.
                txtCatDesc->clear();
                emit categoriesChanged();
            }
        });
        txtCatDesc->setFocus();
    } else if (mode_ == common::DialogMode::Modify) {
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
