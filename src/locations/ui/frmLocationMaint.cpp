#include "locations/ui/frmLocationMaint.h"

#include "common/DialogMode.h"
#include "common/Messages.h"
#include "common/Session.h"
#include "common/ui/Guard.h"
#include "common/ui/KeyFilter.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace locations {

namespace {
const QString& ModeAdd = common::mode::Add;
const QString& ModeModify = common::mode::Modify;
} // namespace

frmLocationMaint::frmLocationMaint(common::Session& session, QWidget* parent)
    : QDialog(parent), logic_(session.logic<locations::clsLocations>()),
      messages_(session.messages()) {
    setObjectName(QStringLiteral("frmLocationMaint"));
    setWindowTitle(QStringLiteral("Location Maintenance"));
    setModal(true);

    lblLoc = new QLabel(QStringLiteral("Please enter your new location description"), this);
    lblLoc->setObjectName(QStringLiteral("lblLoc"));
    txtLocDesc = new QLineEdit(this);
    txtLocDesc->setObjectName(QStringLiteral("txtLocDesc"));
    btnAdd = new QPushButton(QStringLiteral("&Add"), this);
    btnAdd->setObjectName(QStringLiteral("btnAdd"));
    btnClose = new QPushButton(QStringLiteral("&Close"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    lblLoc->setBuddy(txtLocDesc);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnAdd);
    buttons->addWidget(btnClose);
    auto* layout = new QGridLayout(this);
    layout->addWidget(lblLoc, 0, 0);
    layout->addWidget(txtLocDesc, 1, 0);
    layout->addLayout(buttons, 2, 0);
    txtLocDesc->setMinimumWidth(320);

    common::KeyFilter::install(txtLocDesc, messages_, common::FieldKind::FreeText,
                               LocationDescLimit, btnAdd);
    connect(btnAdd, &QPushButton::clicked, this, &frmLocationMaint::btnAdd_Click);
    connect(btnClose, &QPushButton::clicked, this, &frmLocationMaint::btnClose_Click);
}

void frmLocationMaint::setDescription(const QString& text) {
    txtLocDesc->setText(text);
}

void frmLocationMaint::showEvent(QShowEvent* event) {
    Form_Paint();
    txtLocDesc->setFocus();
    QDialog::showEvent(event);
}

void frmLocationMaint::Form_Paint() {
    if (Mode == ModeAdd) {
        setWindowTitle(QStringLiteral("Adding a new location"));
        btnAdd->setText(QStringLiteral("&Add"));
    } else if (Mode == ModeModify) {
        setWindowTitle(QStringLiteral("Modifying an existing location"));
        btnAdd->setText(QStringLiteral("&Modify"));
    }
}

void frmLocationMaint::btnAdd_Click() {
    const QString typed = txtLocDesc->text();
    // Empty, pasted text the keys could not have entered, or too long: the
    // text stays for the user to correct.
    bool fits = false;
    common::guarded(messages_, [&] { fits = logic_.checkDescription(typed); });
    if (!fits) {
        txtLocDesc->setFocus();
        return;
    }
    if (Mode == ModeAdd) {
        common::guarded(messages_, [&] {
            if (const auto node = logic_.AddLocation(typed))
                emit locationAdded(*node);
        });
        // The dialog stays open for the next location under the same parent.
        txtLocDesc->clear();
        txtLocDesc->setFocus();
    } else if (Mode == ModeModify) {
        common::guarded(messages_, [&] {
            if (logic_.ModifyLocation(typed))
                emit locationRenamed(typed);
        });
        accept();
    }
}

void frmLocationMaint::btnClose_Click() {
    reject();
}

} // namespace locations
