#include "assets/ui/frmLicenceMaint.h"

#include "assets/AssetRecords.h"
#include "common/Clock.h"
#include "common/DialogMode.h"
#include "common/Messages.h"
#include "common/Session.h"
#include "common/ui/DatePicker.h"
#include "common/ui/DialogKit.h"
#include "common/ui/Guard.h"
#include "common/ui/KeyFilter.h"
#include "locations/ui/frmLocationList.h"
#include "suppliers/ui/frmSupplierList.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace assets {

frmLicenceMaint::frmLicenceMaint(common::Session& session, QWidget* parent)
    : QDialog(parent), session_(session), logic_(session.logic<assets::clsLicences>()),
      messages_(session.messages()) {
    setObjectName(QStringLiteral("frmLicenceMaint"));
    setModal(true);

    fraLicence = new QGroupBox(this);
    fraLicence->setObjectName(QStringLiteral("fraLicence"));
    cboProdDesc = new QComboBox(fraLicence);
    cboProdDesc->setObjectName(QStringLiteral("cboProdDesc"));
    txtCode = common::textBox(fraLicence, "txtCode");
    Frame1 = new QGroupBox(fraLicence);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    auto* types = new QHBoxLayout(Frame1);
    const QString captions[] = {QStringLiteral("Normal"), QStringLiteral("Temporary")};
    for (int i = 0; i < 2; ++i) {
        optType[i] = new QRadioButton(captions[i], Frame1);
        optType[i]->setObjectName(QStringLiteral("optType"));
        optType[i]->setProperty("index", i);
        types->addWidget(optType[i]);
    }
    optType[1]->setStyleSheet(QStringLiteral("color: red"));
    optType[0]->setChecked(true);
    dteExpDate = new common::DatePicker(false, fraLicence);
    dteExpDate->setObjectName(QStringLiteral("dteExpDate"));
    txtLoc = common::shownOnly(fraLicence, "txtLoc");
    btnLocation =
        common::pickButton(fraLicence, "btnLocation", QStringLiteral("Select a Location"));
    btnClearLoc = common::clearButton(fraLicence, "btnClearLoc", QStringLiteral("Clear Location"));
    txtSuppName = common::shownOnly(fraLicence, "txtSuppName");
    btnGetsupp = common::pickButton(fraLicence, "btnGetsupp", QStringLiteral("Select a Supplier"));
    btnClearSupp =
        common::clearButton(fraLicence, "btnClearSupp", QStringLiteral("Clear Supplier"));
    txtCost = common::textBox(fraLicence, "txtCost");
    dteDateAdded = new common::DatePicker(false, fraLicence);
    dteDateAdded->setObjectName(QStringLiteral("dteDateAdded"));
    dteDateAdded->setCheckable(false);
    // Stamped when the licence is stored; shown only.
    dteDateAdded->setReadOnly(true);
    txtLocID = common::hiddenId(fraLicence, "txtLocID");
    txtSuppID = common::hiddenId(fraLicence, "txtSuppID");

    auto* grid = new QGridLayout(fraLicence);
    common::FieldGrid rows(grid, fraLicence);
    rows.line(QStringLiteral("Product"), cboProdDesc);
    rows.line(QStringLiteral("Licence Key"), txtCode);
    grid->addWidget(Frame1, rows.next(), 1, 1, 3);
    rows.line(QStringLiteral("Expiry"), dteExpDate);
    rows.picked(QStringLiteral("Location"), txtLoc, btnLocation, btnClearLoc);
    rows.picked(QStringLiteral("Supplier"), txtSuppName, btnGetsupp, btnClearSupp);
    rows.line(QStringLiteral("Cost"), txtCost);
    rows.line(QStringLiteral("Date Added"), dteDateAdded);
    grid->addWidget(txtLocID, rows.next(), 1);
    grid->addWidget(txtSuppID, rows.next(), 1);

    const common::ActionButtons actions = common::layOutDialog(this, fraLicence);
    btnAdd = actions.add;
    btnCancel = actions.close;
    common::filterCodeAndCost(txtCode, ItemCodeLimit, txtCost, messages_, btnAdd, this);

    connect(btnAdd, &QPushButton::clicked, this, &frmLicenceMaint::btnAdd_Click);
    connect(btnCancel, &QPushButton::clicked, this, &frmLicenceMaint::btnCancel_Click);
    connect(btnLocation, &QToolButton::clicked, this, &frmLicenceMaint::btnLocation_Click);
    connect(btnGetsupp, &QToolButton::clicked, this, &frmLicenceMaint::btnGetsupp_Click);
    connect(btnClearLoc, &QToolButton::clicked, this, &frmLicenceMaint::btnClearLoc_Click);
    connect(btnClearSupp, &QToolButton::clicked, this, &frmLicenceMaint::btnClearSupp_Click);
}

void frmLicenceMaint::showEvent(QShowEvent* event) {
    if (!loaded_)
        Form_Load();
    QDialog::showEvent(event);
}

void frmLicenceMaint::Form_Load() {
    loaded_ = true;
    const bool existing = Mode == common::mode::Modify || Mode == common::mode::View;
    if (existing && LicID == 0) {
        messages_.fail(QStringLiteral("Internal Error:  No licence ID set"));
        // Nothing to show or store: the dialog goes once its loop runs.
        btnAdd->setEnabled(false);
        QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
        return;
    }
    if (Mode == common::mode::View) {
        setWindowTitle(QStringLiteral("Viewing of a Licence"));
        fraLicence->setEnabled(false);
        btnAdd->setVisible(false);
        GetLicDets(LicID);
        cboProdDesc->setEnabled(false);
        btnCancel->setFocus();
    } else if (Mode == common::mode::Add) {
        setWindowTitle(QStringLiteral("Adding a Licence"));
        dteExpDate->setDate(QDate());
        dteDateAdded->setDate(session_.clock().today());
        btnAdd->setText(QStringLiteral("&Add"));
        btnAdd->setEnabled(true);
        fraLicence->setEnabled(true);
        // The one product the new licences belong to, found by its id.
        cboProdDesc->clear();
        common::guarded(messages_, [this] {
            if (const auto desc = productDescription(session_.db(), ProdID))
                cboProdDesc->addItem(*desc, ProdID);
        });
        cboProdDesc->setCurrentIndex(cboProdDesc->count() - 1);
        cboProdDesc->setEnabled(false);
        txtCode->setFocus();
    } else if (Mode == common::mode::Modify) {
        setWindowTitle(QStringLiteral("Modifying a Licence"));
        btnAdd->setText(QStringLiteral("&Modify"));
        btnAdd->setEnabled(true);
        fraLicence->setEnabled(true);
        GetLicDets(LicID);
        cboProdDesc->setEnabled(true);
        txtCode->setFocus();
    }
}

void frmLicenceMaint::GetLicDets(int licId) {
    std::optional<LicenceDetails> d;
    common::guarded(messages_, [&] {
        common::fillChoices(cboProdDesc, productChoices(session_.db()));
        d = logic_.GetLicDets(licId);
    });
    if (!d)
        return;
    txtCode->setText(d->key);
    dteExpDate->setDate(d->expiry);
    dteDateAdded->setDate(d->dateAdded.date());
    txtLocID->setText(QString::number(d->locId));
    txtCost->setText(d->cost);
    txtLoc->setText(d->locDesc);
    optType[d->temporary ? 1 : 0]->setChecked(true);
    txtSuppName->setText(d->suppName);
    txtSuppID->setText(d->suppId ? QString::number(*d->suppId) : QString());
    common::selectChoice(cboProdDesc, d->prodId);
}

LicenceFields frmLicenceMaint::fields() const {
    LicenceFields f;
    f.prodId = ProdID;
    if (Mode == common::mode::Modify && cboProdDesc->currentIndex() >= 0)
        f.prodId = cboProdDesc->currentData().toInt();
    f.key = txtCode->text();
    f.locDesc = txtLoc->text();
    f.locId = idFromText(txtLocID->text());
    f.suppId = supplierFromText(txtSuppID->text());
    f.expiry = dteExpDate->date();
    f.cost = txtCost->text();
    f.temporary = !optType[0]->isChecked();
    return f;
}

void frmLicenceMaint::btnAdd_Click() {
    if (!btnAdd->isVisible() || !btnAdd->isEnabled())
        return;
    if (ProdID == 0) {
        messages_.fail(QStringLiteral("Internal Error: ProductID not set"));
        return;
    }
    txtCode->setText(txtCode->text().toUpper());
    const bool adding = btnAdd->text() == QStringLiteral("&Add");
    LicenceSave saved;
    common::guarded(
        messages_,
        [&] {
            saved =
                adding ? logic_.InsertLicence(fields()) : logic_.ModifyLicencedets(LicID, fields());
        },
        common::ErrorForm::Description);
    if (!saved.costText.isEmpty())
        txtCost->setText(saved.costText);
    if (!saved.licId) {
        // Everything typed stays for the user to correct.
        focusField(saved.refused);
        return;
    }
    emit licenceChanged();
    if (adding) {
        txtCode->clear();
        txtCode->setFocus();
    } else {
        accept();
    }
}

void frmLicenceMaint::focusField(LicenceField field) {
    QWidget* target = nullptr;
    switch (field) {
    case LicenceField::None:
        break;
    case LicenceField::Key:
        target = txtCode;
        break;
    case LicenceField::Cost:
        target = txtCost;
        break;
    case LicenceField::Expiry:
        target = dteExpDate;
        break;
    case LicenceField::Product:
        target = cboProdDesc;
        break;
    case LicenceField::Location:
        target = btnLocation;
        break;
    case LicenceField::Supplier:
        target = btnGetsupp;
        break;
    }
    if (target)
        target->setFocus();
}

void frmLicenceMaint::btnCancel_Click() {
    reject();
}

void frmLicenceMaint::done(int result) {
    LicID = 0;
    QDialog::done(result);
}

void frmLicenceMaint::btnLocation_Click() {
    const auto chosen = locations::pickLocation(session_, this);
    txtLoc->setText(chosen ? chosen->second.trimmed() : QString());
    txtLocID->setText(QString::number(chosen ? chosen->first : 0));
}

void frmLicenceMaint::btnGetsupp_Click() {
    const auto chosen = suppliers::pickSupplier(session_, this);
    txtSuppID->setText(chosen ? QString::number(chosen->first) : QString());
    txtSuppName->setText(chosen ? chosen->second : QString());
}

void frmLicenceMaint::btnClearLoc_Click() {
    txtLoc->clear();
    txtLocID->clear();
}

void frmLicenceMaint::btnClearSupp_Click() {
    txtSuppName->clear();
    txtSuppID->clear();
}

bool frmLicenceMaint::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtCode && event->type() == QEvent::FocusOut)
        txtCode->setText(txtCode->text().toUpper());
    return QDialog::eventFilter(watched, event);
}

} // namespace assets
