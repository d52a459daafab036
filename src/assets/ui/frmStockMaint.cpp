#include "assets/ui/frmStockMaint.h"

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
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace assets {

frmStockMaint::frmStockMaint(common::Session& session, QWidget* parent)
    : QDialog(parent), session_(session), logic_(session.logic<assets::clsStock>()),
      messages_(session.messages()) {
    setObjectName(QStringLiteral("frmStockMaint"));
    setWindowTitle(QStringLiteral("Stock Maintenance"));
    setModal(true);

    framStock = new QGroupBox(this);
    framStock->setObjectName(QStringLiteral("framStock"));
    cboProdDesc = new QComboBox(framStock);
    cboProdDesc->setObjectName(QStringLiteral("cboProdDesc"));
    txtCode = common::textBox(framStock, "txtCode");
    txtLoc = common::shownOnly(framStock, "txtLoc");
    btnSupplier = common::pickButton(framStock, "btnSupplier", QStringLiteral("Select a Location"));
    btnClearLoc = common::clearButton(framStock, "btnClearLoc", QStringLiteral("Clear Location"));
    txtSupplier = common::shownOnly(framStock, "txtSupplier");
    btnGetsupp = common::pickButton(framStock, "btnGetsupp", QStringLiteral("Select a Supplier"));
    btnClearSupp = common::clearButton(framStock, "btnClearSupp", QStringLiteral("Clear Supplier"));
    txtCost = common::textBox(framStock, "txtCost");
    DTStock = new common::DatePicker(false, framStock);
    DTStock->setObjectName(QStringLiteral("DTStock"));
    DTStock->setCheckable(false);
    // Stamped when the item is stored; shown only.
    DTStock->setReadOnly(true);
    txtLocID = common::hiddenId(framStock, "txtLocID");
    txtSuppID = common::hiddenId(framStock, "txtSuppID");

    auto* grid = new QGridLayout(framStock);
    common::FieldGrid rows(grid, framStock);
    rows.line(QStringLiteral("Product"), cboProdDesc);
    rows.line(QStringLiteral("Code"), txtCode);
    rows.picked(QStringLiteral("Location"), txtLoc, btnSupplier, btnClearLoc);
    rows.picked(QStringLiteral("Supplier"), txtSupplier, btnGetsupp, btnClearSupp);
    rows.line(QStringLiteral("Cost"), txtCost);
    rows.line(QStringLiteral("Date Added"), DTStock);
    grid->addWidget(txtLocID, rows.next(), 1);
    grid->addWidget(txtSuppID, rows.next(), 1);

    const common::ActionButtons actions = common::layOutDialog(this, framStock);
    btnAdd = actions.add;
    btnCancel = actions.close;
    common::filterCodeAndCost(txtCode, ItemCodeLimit, txtCost, messages_, btnAdd, this);

    connect(btnAdd, &QPushButton::clicked, this, &frmStockMaint::btnAdd_Click);
    connect(btnCancel, &QPushButton::clicked, this, &frmStockMaint::btnCancel_Click);
    connect(btnSupplier, &QToolButton::clicked, this, &frmStockMaint::btnSupplier_Click);
    connect(btnGetsupp, &QToolButton::clicked, this, &frmStockMaint::btnGetsupp_Click);
    connect(btnClearLoc, &QToolButton::clicked, this, &frmStockMaint::btnClearLoc_Click);
    connect(btnClearSupp, &QToolButton::clicked, this, &frmStockMaint::btnClearSupp_Click);
}

void frmStockMaint::showEvent(QShowEvent* event) {
    if (!loaded_)
        Form_Load();
    QDialog::showEvent(event);
}

void frmStockMaint::Form_Load() {
    loaded_ = true;
    if (Mode == common::mode::View) {
        framStock->setEnabled(false);
        btnAdd->setVisible(false);
        GetStockDets(StockID);
        cboProdDesc->setEnabled(false);
        btnCancel->setFocus();
    } else if (Mode == common::mode::Add) {
        DTStock->setDate(session_.clock().today());
        btnAdd->setText(QStringLiteral("&Add"));
        btnAdd->setVisible(true);
        btnAdd->setEnabled(true);
        framStock->setEnabled(true);
        // The one product the new items belong to, found by its id.
        cboProdDesc->clear();
        common::guarded(messages_, [this] {
            if (const auto desc = productDescription(session_.db(), ProdID))
                cboProdDesc->addItem(*desc, ProdID);
        });
        cboProdDesc->setCurrentIndex(cboProdDesc->count() - 1);
        cboProdDesc->setEnabled(false);
        txtCode->setFocus();
    } else if (Mode == common::mode::Modify) {
        btnAdd->setText(QStringLiteral("&Modify"));
        btnAdd->setVisible(true);
        btnAdd->setEnabled(true);
        framStock->setEnabled(true);
        GetStockDets(StockID);
        // The item may move to another product.
        cboProdDesc->setEnabled(true);
        txtCode->setFocus();
    }
}

void frmStockMaint::GetStockDets(int stockId) {
    std::optional<StockDetails> d;
    common::guarded(messages_, [&] {
        common::fillChoices(cboProdDesc, productChoices(session_.db()));
        d = logic_.GetStockDets(stockId);
    });
    if (!d)
        return;
    txtCode->setText(d->code);
    txtLocID->setText(d->locId ? QString::number(*d->locId) : QString());
    txtSuppID->setText(d->suppId ? QString::number(*d->suppId) : QString());
    DTStock->setDate(d->dateAdded.date());
    txtCost->setText(d->cost);
    txtLoc->setText(d->locDesc);
    txtSupplier->setText(d->suppName);
    common::selectChoice(cboProdDesc, d->prodId);
}

void frmStockMaint::ClearFrom() {
    txtCode->clear();
}

StockFields frmStockMaint::fields() const {
    StockFields f;
    f.prodId = ProdID;
    if (Mode == common::mode::Modify && cboProdDesc->currentIndex() >= 0)
        f.prodId = cboProdDesc->currentData().toInt();
    f.code = txtCode->text();
    f.locDesc = txtLoc->text();
    f.locId = idFromText(txtLocID->text());
    f.suppId = supplierFromText(txtSuppID->text());
    f.cost = txtCost->text();
    return f;
}

void frmStockMaint::focusField(StockField field) {
    switch (field) {
    case StockField::None:
        break;
    case StockField::Code:
        txtCode->setFocus();
        break;
    case StockField::Cost:
        txtCost->setFocus();
        break;
    case StockField::Product:
        cboProdDesc->setFocus();
        break;
    case StockField::Location:
        btnSupplier->setFocus(); // the location button
        break;
    case StockField::Supplier:
        btnGetsupp->setFocus();
        break;
    }
}

void frmStockMaint::btnAdd_Click() {
    if (!btnAdd->isVisible())
        return;
    if (ProdID == 0) {
        messages_.fail(QStringLiteral("Internal Error: ProductID not set"));
        return;
    }
    txtCode->setText(txtCode->text().toUpper());
    const bool adding = btnAdd->text() == QStringLiteral("&Add");
    StockSave saved;
    common::guarded(messages_, [&] {
        saved = adding ? logic_.AddStock(fields()) : logic_.ModifyStock(StockID, fields());
    });
    if (!saved.costText.isEmpty())
        txtCost->setText(saved.costText);
    if (!saved.stockId) {
        // Everything typed stays for the user to correct.
        focusField(saved.refused);
        return;
    }
    emit stockChanged();
    if (adding) {
        // Open for the next item of the product, at the same place.
        ClearFrom();
        txtCode->setFocus();
    } else {
        accept();
    }
}

void frmStockMaint::btnCancel_Click() {
    reject();
}

void frmStockMaint::btnSupplier_Click() {
    const auto chosen = locations::pickLocation(session_, this);
    txtLoc->setText(chosen ? chosen->second.trimmed() : QString());
    txtLocID->setText(QString::number(chosen ? chosen->first : 0));
}

void frmStockMaint::btnGetsupp_Click() {
    const auto chosen = suppliers::pickSupplier(session_, this);
    txtSuppID->setText(chosen ? QString::number(chosen->first) : QString());
    txtSupplier->setText(chosen ? chosen->second : QString());
}

void frmStockMaint::btnClearLoc_Click() {
    txtLoc->clear();
    txtLocID->clear();
}

void frmStockMaint::btnClearSupp_Click() {
    txtSupplier->clear();
    txtSuppID->clear();
}

bool frmStockMaint::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtCode && event->type() == QEvent::FocusOut)
        txtCode->setText(txtCode->text().toUpper());
    return QDialog::eventFilter(watched, event);
}

} // namespace assets
