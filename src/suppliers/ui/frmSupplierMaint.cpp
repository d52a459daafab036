#include "suppliers/ui/frmSupplierMaint.h"

#include "common/Clock.h"
#include "common/Session.h"
#include "common/ui/DatePicker.h"
#include "common/ui/DialogKit.h"
#include "common/ui/Guard.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

namespace suppliers {

using common::DialogMode;

frmSupplierMaint::frmSupplierMaint(common::Session& session, QWidget* parent)
    : QDialog(parent), logic_(session.logic<suppliers::clsSuppliers>()),
      messages_(session.messages()), session_(session) {
    using common::FieldKind;
    using common::OnEnter;
    setObjectName(QStringLiteral("frmSupplierMaint"));
    setWindowTitle(QStringLiteral("Supplier details"));
    setModal(true);

    // Each limit is the key filter's: pasted text is never cut at it, but
    // refused on storing when it is longer. Enter stores from the name
    // only; elsewhere it is dropped.
    frmSuppDets = common::frame(this, "frmSuppDets");
    common::FieldGrid rows(frmSuppDets, Qt::AlignRight);
    const auto freeText = [&](const QString& caption, const char* name) {
        return rows.text(caption, name, FieldKind::FreeText, SupplierTextLimit, OnEnter::Drop);
    };
    const auto telephone = [&](const char* name, int limit) {
        return rows.box(name, FieldKind::Telephone, limit, OnEnter::Drop);
    };
    txtSupp = rows.text(QStringLiteral("Supplier"), "txtSupp", FieldKind::FreeText,
                        SupplierTextLimit, OnEnter::Action);
    txtSupp->setMinimumWidth(320);
    for (size_t i = 0; i < txtAdd1.size(); ++i) {
        txtAdd1[i] = freeText(i == 0 ? QStringLiteral("Address") : QString(), "txtAdd1");
        txtAdd1[i]->setProperty("index", static_cast<int>(i));
    }
    txtTown = freeText(QStringLiteral("Town"), "txtTown");
    txtCounty = freeText(QStringLiteral("County"), "txtCounty");
    txtPostCode = rows.box("txtPostCode", FieldKind::FreeText, PostCodeLimit, OnEnter::Drop);
    txtPostCode->setMaximumWidth(110);
    rows.line(QStringLiteral("Post Code"), txtPostCode, 1);
    txtPhoneArea = telephone("txtPhoneArea", AreaLimit);
    txtPhone = telephone("txtPhone", PhoneNumberLimit);
    rows.pair(QStringLiteral("Phone"), txtPhoneArea, txtPhone);
    txtFaxArea = telephone("txtFaxArea", AreaLimit);
    txtFaxNo = telephone("txtFaxNo", PhoneNumberLimit);
    rows.pair(QStringLiteral("Fax No"), txtFaxArea, txtFaxNo);
    txtPhoneArea->setMaximumWidth(70);
    txtFaxArea->setMaximumWidth(70);
    txtEmail = freeText(QStringLiteral("Email"), "txtEmail");
    txtWeb = freeText(QStringLiteral("Web Address"), "txtWeb");
    txtContact = freeText(QStringLiteral("Contact"), "txtContact");
    DTSupplyDate = new common::DatePicker(true, frmSuppDets);
    DTSupplyDate->setObjectName(QStringLiteral("DTSupplyDate"));
    rows.line(QStringLiteral("Date Added"), DTSupplyDate, 2);

    btnOK = common::button(this, AddCaption, "btnOK");
    btnCancel = common::button(this, QStringLiteral("&Close"), "btnCancel");
    rows.filterKeys(messages_, btnOK);
    common::layOutDialog(this, frmSuppDets, {btnOK, btnCancel});

    connect(btnOK, &QPushButton::clicked, this, &frmSupplierMaint::btnOK_Click);
    connect(btnCancel, &QPushButton::clicked, this, &frmSupplierMaint::btnCancel_Click);

    Form_Load();
}

void frmSupplierMaint::Form_Load() {
    SuppID_ = 0;
    SupplierFields empty;
    empty.date = session_.clock().now();
    setFields(empty);
    setAddMode();
}

void frmSupplierMaint::GetSuppDets(int suppId) {
    common::guarded(messages_, [&] {
        setFields(logic_.GetSuppDets(suppId));
        SuppID_ = suppId;
    });
}

void frmSupplierMaint::setAddMode() {
    mode_ = DialogMode::Add;
    frmSuppDets->setEnabled(true);
    btnOK->setText(AddCaption);
    btnOK->setEnabled(true);
}

void frmSupplierMaint::setModifyMode() {
    mode_ = DialogMode::Modify;
    frmSuppDets->setEnabled(true);
    btnOK->setText(ModifyCaption);
    btnOK->setEnabled(true);
}

void frmSupplierMaint::setViewMode() {
    mode_ = DialogMode::View;
    frmSuppDets->setEnabled(false);
    btnOK->setEnabled(false);
}

SupplierFields frmSupplierMaint::fields() const {
    SupplierFields f;
    f.name = txtSupp->text();
    f.add1 = txtAdd1[0]->text();
    f.add2 = txtAdd1[1]->text();
    f.add3 = txtAdd1[2]->text();
    f.town = txtTown->text();
    f.county = txtCounty->text();
    f.postCode = txtPostCode->text();
    f.area = txtPhoneArea->text();
    f.telephone = txtPhone->text();
    f.faxArea = txtFaxArea->text();
    f.fax = txtFaxNo->text();
    f.email = txtEmail->text();
    f.web = txtWeb->text();
    f.contact = txtContact->text();
    f.date = DTSupplyDate->dateTime();
    return f;
}

void frmSupplierMaint::setFields(const SupplierFields& f) {
    txtSupp->setText(f.name);
    txtAdd1[0]->setText(f.add1);
    txtAdd1[1]->setText(f.add2);
    txtAdd1[2]->setText(f.add3);
    txtTown->setText(f.town);
    txtCounty->setText(f.county);
    txtPostCode->setText(f.postCode);
    txtPhoneArea->setText(f.area);
    txtPhone->setText(f.telephone);
    txtFaxArea->setText(f.faxArea);
    txtFaxNo->setText(f.fax);
    txtEmail->setText(f.email);
    txtWeb->setText(f.web);
    txtContact->setText(f.contact);
    DTSupplyDate->setDateTime(f.date);
}

void frmSupplierMaint::focusField(SupplierField field) {
    QWidget* target = nullptr;
    switch (field) {
    case SupplierField::None:
        return;
    case SupplierField::Name:
        target = txtSupp;
        break;
    case SupplierField::Add1:
        target = txtAdd1[0];
        break;
    case SupplierField::Add2:
        target = txtAdd1[1];
        break;
    case SupplierField::Add3:
        target = txtAdd1[2];
        break;
    case SupplierField::Town:
        target = txtTown;
        break;
    case SupplierField::County:
        target = txtCounty;
        break;
    case SupplierField::PostCode:
        target = txtPostCode;
        break;
    case SupplierField::Area:
        target = txtPhoneArea;
        break;
    case SupplierField::Telephone:
        target = txtPhone;
        break;
    case SupplierField::FaxArea:
        target = txtFaxArea;
        break;
    case SupplierField::Fax:
        target = txtFaxNo;
        break;
    case SupplierField::Email:
        target = txtEmail;
        break;
    case SupplierField::Web:
        target = txtWeb;
        break;
    case SupplierField::Contact:
        target = txtContact;
        break;
    case SupplierField::Date:
        target = DTSupplyDate;
        break;
    }
    if (target)
        target->setFocus();
}

void frmSupplierMaint::btnOK_Click() {
    if (!btnOK->isEnabled())
        return;
    const bool adding = mode_ == DialogMode::Add;
    if (!adding && mode_ != DialogMode::Modify)
        return;
    SupplierSave saved;
    common::guarded(messages_, [&] {
        saved = adding ? logic_.InsertSupplier(fields()) : logic_.Modify(SuppID_, fields());
    });
    if (saved.stored) {
        emit suppliersChanged();
        accept();
    } else {
        focusField(saved.refused);
    }
}

void frmSupplierMaint::btnCancel_Click() {
    reject();
}

} // namespace suppliers
