#include "locations/ui/frmLocationMaint.h"

#include "common/DialogMode.h"
#include "common/Messages.h"
#include "common/Session.h"
#include "common/ui/DialogKit.h"
#include "common/ui/Guard.h"
#include "common/ui/KeyFilter.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace locations {

frmLocationMaint::frmLocationMaint(common::Session& session, QWidget* parent)
    : QDialog(parent), logic_(session.logic<locations::clsLocations>()),
      messages_(session.messages()) {
    setObjectName(QStringLiteral("frmLocationMaint"));
    setWindowTitle(QStringLiteral("Location Maintenance"));
    setModal(true);

    using common::AutoDefault;
    lblLoc =
        common::label(this, QStringLiteral("Please enter your new location description"), "lblLoc");
    txtLocDesc = common::textBox(this, "txtLocDesc");
    btnAdd = common::button(this, QStringLiteral("&Add"), "btnAdd", AutoDefault::On);
    btnClose = common::button(this, QStringLiteral("&Close"), "btnClose", AutoDefault::On);
    common::layOutPrompt(this, lblLoc, txtLocDesc, {btnAdd, btnClose});

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
    mode_ = common::dialogMode(Mode);
    common::showMode(this, btnAdd, mode_, QStringLiteral("Adding a new location"),
                     QStringLiteral("Modifying an existing location"));
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
    if (mode_ == common::DialogMode::Add) {
        common::guarded(messages_, [&] {
            if (const auto node = logic_.AddLocation(typed))
                emit locationAdded(*node);
        });
        // The dialog stays open for the next location under the same parent.
        txtLocDesc->clear();
        txtLocDesc->setFocus();
    } else if (mode_ == common::DialogMode::Modify) {
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
