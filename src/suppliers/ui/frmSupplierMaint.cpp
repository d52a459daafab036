#include "suppliers/ui/frmSupplierMaint.h"

#include "common/Clock.h"
#include "common/Session.h"
#include "common/ui/DatePicker.h"
#include "common/ui/Guard.h"
#include "common/ui/KeyFilter.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace suppliers {

namespace {

// The limit is the key filter's: pasted text is never cut at it, but
// refused on storing when it is longer.
QLineEdit* textBox(QWidget* parent, const char* name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

} // namespace

frmSupplierMaint::frmSupplierMaint(common::Session& session, QWidget* parent)
    : QDialog(parent), logic_(session.logic<suppliers::clsSuppliers>()),
      messages_(session.messages()), session_(session) {
    setObjectName(QStringLiteral("frmSupplierMaint"));
    setWindowTitle(QStringLiteral("Supplier details"));
    setModal(true);

    frmSuppDets = new QGroupBox(this);
    frmSuppDets->setObjectName(QStringLiteral("frmSuppDets"));
    txtSupp = textBox(frmSuppDets, "txtSupp");
    for (size_t i = 0; i < txtAdd1.size(); ++i) {
        txtAdd1[i] = textBox(frmSuppDets, "txtAdd1");
        txtAdd1[i]->setProperty("index", static_cast<int>(i));
    }
    txtTown = textBox(frmSuppDets, "txtTown");
    txtCounty = textBox(frmSuppDets, "txtCounty");
    txtPostCode = textBox(frmSuppDets, "txtPostCode");
    txtPhoneArea = textBox(frmSuppDets, "txtPhoneArea");
    txtPhone = textBox(frmSuppDets, "txtPhone");
    txtFaxArea = textBox(frmSuppDets, "txtFaxArea");
    txtFaxNo = textBox(frmSuppDets, "txtFaxNo");
    txtEmail = textBox(frmSuppDets, "txtEmail");
    txtWeb = textBox(frmSuppDets, "txtWeb");
    txtContact = textBox(frmSuppDets, "txtContact");
    DTSupplyDate = new common::DatePicker(true, frmSuppDets);
    DTSupplyDate->setObjectName(QStringLiteral("DTSupplyDate"));
    txtPhoneArea->setMaximumWidth(70);
    txtFaxArea->setMaximumWidth(70);
    txtPostCode->setMaximumWidth(110);

    btnOK = new QPushButton(AddCaption, this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnCancel = new QPushButton(QStringLiteral("&Close"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    // Enter acts only where a field's filter says so.
    btnOK->setAutoDefault(false);
    btnCancel->setAutoDefault(false);

    auto* grid = new QGridLayout(frmSuppDets);
    int row = 0;
    const auto label = [&](const QString& text, QWidget* buddy) {
        auto* l = new QLabel(text, frmSuppDets);
        l->setBuddy(buddy);
        grid->addWidget(l, row, 0, Qt::AlignRight);
    };
    const auto line = [&](const QString& text, QWidget* field) {
        if (!text.isEmpty())
            label(text, field);
        grid->addWidget(field, row++, 1, 1, 3);
    };
    line(QStringLiteral("Supplier"), txtSupp);
    line(QStringLiteral("Address"), txtAdd1[0]);
    line(QString(), txtAdd1[1]);
    line(QString(), txtAdd1[2]);
    line(QStringLiteral("Town"), txtTown);
    line(QStringLiteral("County"), txtCounty);
    label(QStringLiteral("Post Code"), txtPostCode);
    grid->addWidget(txtPostCode, row++, 1);
    const auto number = [&](const QString& text, QLineEdit* areaCode, QLineEdit* digits) {
        label(text, areaCode);
        auto* pair = new QHBoxLayout;
        pair->addWidget(areaCode);
        pair->addWidget(digits, 1);
        grid->addLayout(pair, row++, 1, 1, 3);
    };
    number(QStringLiteral("Phone"), txtPhoneArea, txtPhone);
    number(QStringLiteral("Fax No"), txtFaxArea, txtFaxNo);
    line(QStringLiteral("Email"), txtEmail);
    line(QStringLiteral("Web Address"), txtWeb);
    line(QStringLiteral("Contact"), txtContact);
    label(QStringLiteral("Date Added"), DTSupplyDate);
    grid->addWidget(DTSupplyDate, row++, 1, 1, 2);
    grid->setColumnStretch(3, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frmSuppDets);
    layout->addLayout(buttons);
    txtSupp->setMinimumWidth(320);

    using common::FieldKind;
    using common::KeyFilter;
    KeyFilter::install(txtSupp, messages_, FieldKind::FreeText, SupplierTextLimit, btnOK);
    for (QLineEdit* e :
         {txtAdd1[0], txtAdd1[1], txtAdd1[2], txtTown, txtCounty, txtContact, txtEmail, txtWeb}) {
        // Enter does nothing here: a filter without an action button drops it.
        KeyFilter::install(e, messages_, FieldKind::FreeText, SupplierTextLimit);
    }
    KeyFilter::install(txtPostCode, messages_, FieldKind::FreeText, PostCodeLimit);
    KeyFilter::install(txtPhoneArea, messages_, FieldKind::Telephone, AreaLimit);
    KeyFilter::install(txtFaxArea, messages_, FieldKind::Telephone, AreaLimit);
    KeyFilter::install(txtPhone, messages_, FieldKind::Telephone, PhoneNumberLimit);
    KeyFilter::install(txtFaxNo, messages_, FieldKind::Telephone, PhoneNumberLimit);

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
    frmSuppDets->setEnabled(true);
    btnOK->setText(AddCaption);
    btnOK->setEnabled(true);
}

void frmSupplierMaint::setModifyMode() {
    frmSuppDets->setEnabled(true);
    btnOK->setText(ModifyCaption);
    btnOK->setEnabled(true);
}

void frmSupplierMaint::setViewMode() {
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
    const bool adding = btnOK->text() == AddCaption;
    if (!adding && btnOK->text() != ModifyCaption)
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
