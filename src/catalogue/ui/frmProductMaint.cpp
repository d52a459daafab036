#include "catalogue/ui/frmProductMaint.h"

#include "common/Clock.h"
#include "common/DialogMode.h"
#include "common/Messages.h"
#include "common/NodeKey.h"
#include "common/Session.h"
#include "common/ui/DatePicker.h"
#include "common/ui/DialogKit.h"
#include "common/ui/Guard.h"
#include "common/ui/ReportList.h"
#include "suppliers/ui/frmSupplierList.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace catalogue {

using common::DialogMode;

namespace {

// One tab of SSProducts: the list above its four buttons.
QWidget* tabPage(QWidget* parent, QWidget* list, std::initializer_list<QPushButton*> buttons) {
    auto* page = new QWidget(parent);
    auto* layout = new QVBoxLayout(page);
    list->setParent(page);
    layout->addWidget(list, 1);
    for (QPushButton* b : buttons)
        b->setParent(page);
    layout->addLayout(common::buttonRow({}, buttons));
    return page;
}

} // namespace

frmProductMaint::frmProductMaint(common::Session& session, QWidget* parent)
    : QDialog(parent), session_(session), logic_(session.logic<catalogue::clsProducts>()),
      messages_(session.messages()) {
    using common::FieldKind;
    setObjectName(QStringLiteral("frmProductMaint"));
    setWindowTitle(QStringLiteral("Product maintenance"));
    setModal(true);

    fraProd = common::frame(this, "fraProd");
    common::FieldGrid rows(fraProd);
    txtProdCode = rows.text(QStringLiteral("Product Code"), "txtProdCode", FieldKind::FreeText,
                            ProductCodeLimit);
    txtProdDesc = rows.text(QStringLiteral("Product Description"), "txtProdDesc",
                            FieldKind::FreeText, ProductDescLimit);
    cboCategory = common::comboBox(fraProd, "cboCategory");
    rows.line(QStringLiteral("Product Category"), cboCategory);
    txtProdCost =
        rows.text(QStringLiteral("Product Cost"), "txtProdCost", FieldKind::Cost, CostLimit);
    // Empty: the product's licences are not counted against any number.
    txtProdOwned = rows.text(QStringLiteral("Licences owned"), "txtProdOwned", FieldKind::Digits,
                             LicencesOwnedLimit);
    txtProdOwned->setToolTip(QStringLiteral("How many licences of this product the organisation "
                                            "owns; leave empty when not tracked"));
    // Filled only by loading and the two supplier buttons.
    txtSuppName = common::textBox(fraProd, "txtSuppName");
    txtSuppName->setReadOnly(true);
    txtSuppID = common::hiddenId(fraProd, "txtSuppID");
    btnSupplier = common::pickButton(fraProd, "btnSupplier", QStringLiteral("Select a Supplier"));
    btnClearSupp = common::clearButton(fraProd, "btnClearSupp", QStringLiteral("Clear Supplier"));
    rows.picked(QStringLiteral("Supplier's Name"), txtSuppName, btnSupplier, btnClearSupp);
    // The date is stamped when the product is stored; it is shown only, and
    // a product always has one.
    dteDateAdded = new common::DatePicker(false, fraProd);
    dteDateAdded->setObjectName(QStringLiteral("dteDateAdded"));
    dteDateAdded->setCheckable(false);
    dteDateAdded->setReadOnly(true);
    rows.line(QStringLiteral("Date Added"), dteDateAdded, 1);

    btnAction = common::button(this, QStringLiteral("&Add"), "btnAction");
    btnClose = common::button(this, QStringLiteral("&Close"), "btnClose");
    btnViewStockLics =
        common::button(this, QStringLiteral("&View Stock / Licences >>"), "btnViewStockLics");
    rows.filterKeys(messages_, btnAction);
    common::onEnter(cboCategory, [this] {
        if (btnAction->isVisible() && btnAction->isEnabled())
            btnAction_Click();
    });

    makeTabs();
    auto* left = new QVBoxLayout;
    left->addWidget(fraProd);
    left->addStretch(1);
    left->addLayout(common::buttonRow({btnAction, btnClose}, {btnViewStockLics}));
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addWidget(SSProducts, 1);
    connectEvents();
}

void frmProductMaint::makeTabs() {
    lvStock = new common::ReportList({QStringLiteral("Stock Ref"), QStringLiteral("Location")});
    lvStock->setObjectName(QStringLiteral("lvStock"));
    lvLicences = new common::ReportList(
        {QStringLiteral("Licence Key"), QStringLiteral("Location"), QStringLiteral("Type")});
    lvLicences->setObjectName(QStringLiteral("lvLicences"));
    btnAddStock = common::button(this, QStringLiteral("&Add"), "btnAddStock");
    btnModStock = common::button(this, QStringLiteral("&Modify"), "btnModStock");
    btnViewStock = common::button(this, QStringLiteral("&View"), "btnViewStock");
    btnDelStock = common::button(this, QStringLiteral("&Delete"), "btnDelStock");
    btnAddLicence = common::button(this, QStringLiteral("&Add"), "btnAddLicence");
    btnModLicence = common::button(this, QStringLiteral("&Modify"), "btnModLicence");
    btnViewLicence = common::button(this, QStringLiteral("&View"), "btnViewLicence");
    btnDelLicence = common::button(this, QStringLiteral("&Delete"), "btnDelLicence");
    SSProducts = new QTabWidget(this);
    SSProducts->setObjectName(QStringLiteral("SSProducts"));
    SSProducts->addTab(
        tabPage(SSProducts, lvStock, {btnAddStock, btnModStock, btnViewStock, btnDelStock}),
        QStringLiteral("&Stock"));
    SSProducts->addTab(tabPage(SSProducts, lvLicences,
                               {btnAddLicence, btnModLicence, btnViewLicence, btnDelLicence}),
                       QStringLiteral("&Licences"));
    SSProducts->setMinimumWidth(320);

    // The narrow form: the product fields only. At design time both Add
    // buttons are enabled, the other six disabled.
    SSProducts->setVisible(false);
    SSProducts->setEnabled(false);
    setTabButtons(true, false);
}

void frmProductMaint::connectEvents() {
    using Handler = void (frmProductMaint::*)();
    const std::pair<QAbstractButton*, Handler> clicks[] = {
        {btnAction, &frmProductMaint::btnAction_Click},
        {btnClose, &frmProductMaint::btnClose_Click},
        {btnViewStockLics, &frmProductMaint::btnViewStockLics_Click},
        {btnSupplier, &frmProductMaint::btnSupplier_Click},
        {btnClearSupp, &frmProductMaint::btnClearSupp_Click},
        {btnAddStock, &frmProductMaint::btnAddStock_Click},
        {btnModStock, &frmProductMaint::btnModStock_Click},
        {btnViewStock, &frmProductMaint::btnViewStock_Click},
        {btnDelStock, &frmProductMaint::btnDelStock_Click},
        {btnAddLicence, &frmProductMaint::btnAddLicence_Click},
        {btnModLicence, &frmProductMaint::btnModLicence_Click},
        {btnViewLicence, &frmProductMaint::btnViewLicence_Click},
        {btnDelLicence, &frmProductMaint::btnDelLicence_Click},
    };
    for (const auto& [b, handler] : clicks)
        connect(b, &QAbstractButton::clicked, this, handler);
    connect(SSProducts, &QTabWidget::currentChanged, this, &frmProductMaint::SSProducts_Click);
    connect(lvStock, &QTreeWidget::itemSelectionChanged, this, &frmProductMaint::SetStockButtons);
    connect(lvStock, &QTreeWidget::itemClicked, this, &frmProductMaint::SetStockButtons);
    connect(lvLicences, &QTreeWidget::itemSelectionChanged, this,
            &frmProductMaint::SetLicenceButtons);
    connect(lvLicences, &QTreeWidget::itemClicked, this, &frmProductMaint::SetLicenceButtons);
    lvStock->installEventFilter(this);
    lvLicences->installEventFilter(this);
}

void frmProductMaint::showEvent(QShowEvent* event) {
    if (!loaded_)
        Form_Load();
    QDialog::showEvent(event);
}

void frmProductMaint::Form_Load() {
    loaded_ = true;
    mode_ = common::dialogMode(Mode);
    common::guarded(messages_, [this] {
        cboCategory->clear();
        for (const Choice& c : logic_.FillProdMaintCatCombo())
            cboCategory->addItem(c.text, c.id);
        // The page's category, when the product page is showing; else none.
        selectCategory(PageCatID);
        dteDateAdded->setDate(session_.clock().today());
        if (ProdID != 0) {
            FillLicenceListView();
            FillStockListView();
            FillProdFormWithDets(ProdID);
        }
    });
    btnAddLicence->setEnabled(false);
    btnAddStock->setEnabled(false);
    if (mode_ == DialogMode::Add) {
        btnAction->setText(QStringLiteral("&Add"));
        btnAction->setVisible(true);
        btnAction->setEnabled(true);
        btnViewStockLics->setEnabled(false);
        fraProd->setEnabled(true);
    } else if (mode_ == DialogMode::Modify) {
        btnAction->setText(QStringLiteral("&Modify"));
        btnAction->setVisible(true);
        btnAction->setEnabled(true);
        fraProd->setEnabled(true);
        btnViewStockLics_Click();
    } else if (mode_ == DialogMode::View) {
        btnAction->setVisible(false);
        fraProd->setEnabled(false);
        btnViewStockLics_Click();
        setTabButtons(false, false);
    }
    if (fraProd->isEnabled())
        txtProdCode->setFocus();
    else
        btnClose->setFocus();
}

void frmProductMaint::selectCategory(std::optional<int> catId) {
    // No matching entry: no category at all, so that a store asks for one.
    cboCategory->setCurrentIndex(catId ? cboCategory->findData(*catId) : -1);
}

void frmProductMaint::FillProdFormWithDets(int prodId) {
    std::optional<ProductDetails> d;
    common::guarded(messages_, [&] { d = logic_.FillProdFormWithDets(prodId); });
    if (!d)
        return;
    txtProdCode->setText(d->code);
    txtSuppID->setText(d->suppId ? QString::number(*d->suppId) : QString());
    txtProdDesc->setText(d->desc);
    txtProdCost->setText(d->cost);
    txtProdOwned->setText(d->owned);
    txtSuppName->setText(d->suppName);
    if (!d->catId)
        return;
    selectCategory(d->catId);
    dteDateAdded->setDate(d->dateAdded);
}

void frmProductMaint::FillStockListView() {
    common::guarded(messages_, [this] { lvStock->setRows(logic_.FillStockListView(ProdID)); });
}

void frmProductMaint::FillLicenceListView() {
    common::guarded(messages_, [this] { lvLicences->setRows(logic_.FillLicenceListView(ProdID)); });
}

void frmProductMaint::ClearProdMaintForm() {
    for (QLineEdit* e :
         {txtProdCode, txtProdDesc, txtProdCost, txtProdOwned, txtSuppID, txtSuppName})
        e->clear();
    dteDateAdded->setDate(session_.clock().today());
    txtProdCode->setFocus();
}

ProductFields frmProductMaint::fields() const {
    ProductFields f;
    f.code = txtProdCode->text();
    f.desc = txtProdDesc->text();
    if (cboCategory->currentIndex() >= 0)
        f.catId = cboCategory->currentData().toInt();
    f.cost = txtProdCost->text();
    f.owned = txtProdOwned->text();
    bool ok = false;
    const int supp = txtSuppID->text().trimmed().toInt(&ok);
    if (ok && supp != 0)
        f.suppId = supp;
    return f;
}

void frmProductMaint::focusField(ProductField field) {
    switch (field) {
    case ProductField::None:
        break;
    case ProductField::Code:
        txtProdCode->setFocus();
        break;
    case ProductField::Description:
        txtProdDesc->setFocus();
        break;
    case ProductField::Category:
        cboCategory->setFocus();
        break;
    case ProductField::Cost:
        txtProdCost->setFocus();
        break;
    case ProductField::Supplier:
        btnSupplier->setFocus();
        break;
    case ProductField::Owned:
        txtProdOwned->setFocus();
        break;
    }
}

void frmProductMaint::btnAction_Click() {
    const bool adding = mode_ == DialogMode::Add;
    if (!adding && mode_ != DialogMode::Modify)
        return;
    ProductSave saved;
    common::guarded(messages_, [&] {
        saved = adding ? logic_.AddNewProduct(fields()) : logic_.ModifyProduct(ProdID, fields());
    });
    if (!saved.costText.isEmpty())
        txtProdCost->setText(saved.costText);
    if (!saved.prodId) {
        focusField(saved.refused);
        return;
    }
    emit productsChanged();
    if (adding) {
        // The dialog stays open for the next product.
        ProdID = *saved.prodId;
        ClearProdMaintForm();
    } else {
        accept();
    }
}

void frmProductMaint::btnClose_Click() {
    reject();
}

void frmProductMaint::done(int result) {
    ProdID = 0;
    QDialog::done(result);
}

void frmProductMaint::btnSupplier_Click() {
    common::showPicked(txtSuppID, txtSuppName, suppliers::pickSupplier(session_, this));
}

void frmProductMaint::btnClearSupp_Click() {
    common::showPicked(txtSuppID, txtSuppName, std::nullopt);
}

bool frmProductMaint::isWide() const {
    return SSProducts->isVisibleTo(this);
}

void frmProductMaint::btnViewStockLics_Click() {
    SSProducts->setVisible(true);
    SSProducts->setEnabled(true);
    btnViewStockLics->setEnabled(false);
    resize(qMax(width(), sizeHint().width()), qMax(height(), sizeHint().height()));
    centreOnMainWindow();
    btnAddLicence->setEnabled(true);
    btnAddStock->setEnabled(true);
}

void frmProductMaint::centreOnMainWindow() {
    QWidget* main = parentWidget() ? parentWidget()->window() : nullptr;
    if (!main)
        return;
    const QRect frame = frameGeometry();
    const QPoint centre = main->frameGeometry().center();
    move(centre.x() - frame.width() / 2, centre.y() - frame.height() / 2);
}

void frmProductMaint::setTabButtons(bool add, bool others) {
    btnAddStock->setEnabled(add);
    btnAddLicence->setEnabled(add);
    for (QPushButton* b :
         {btnModStock, btnViewStock, btnDelStock, btnModLicence, btnViewLicence, btnDelLicence})
        b->setEnabled(others);
}

void frmProductMaint::SSProducts_Click() {
    if (mode_ != DialogMode::View)
        setTabButtons(true, false);
}

void frmProductMaint::SetStockButtons() {
    const bool selected = !lvStock->selectedKey().isEmpty();
    if (mode_ == DialogMode::View) {
        btnViewStock->setEnabled(selected);
        return;
    }
    for (QPushButton* b : {btnModStock, btnViewStock, btnDelStock})
        b->setEnabled(selected);
}

void frmProductMaint::SetLicenceButtons() {
    const bool selected = !lvLicences->selectedKey().isEmpty();
    if (mode_ == DialogMode::View) {
        btnViewLicence->setEnabled(selected);
        return;
    }
    for (QPushButton* b : {btnModLicence, btnViewLicence, btnDelLicence})
        b->setEnabled(selected);
}

namespace {
const QString SelectStock = QStringLiteral("Please select an item of stock");
const QString SelectLicence = QStringLiteral("Please select a licence");
} // namespace

void frmProductMaint::btnAddStock_Click() {
    emit stockDialogRequested(common::mode::Add, ProdID, 0);
}

void frmProductMaint::btnModStock_Click() {
    const QString key = lvStock->selectedKey();
    if (key.isEmpty())
        return messages_.refuse(SelectStock);
    emit stockDialogRequested(common::mode::Modify, ProdID, common::idOfKey(key));
}

void frmProductMaint::btnViewStock_Click() {
    const QString key = lvStock->selectedKey();
    if (key.isEmpty())
        return messages_.refuse(SelectStock);
    emit stockDialogRequested(common::mode::View, ProdID, common::idOfKey(key));
}

void frmProductMaint::btnDelStock_Click() {
    const QString key = lvStock->selectedKey();
    if (key.isEmpty())
        return messages_.refuse(SelectStock);
    emit stockDeleteRequested(common::idOfKey(key));
    FillStockListView();
}

void frmProductMaint::btnAddLicence_Click() {
    emit licenceDialogRequested(common::mode::Add, ProdID, 0);
    FillLicenceListView();
}

void frmProductMaint::btnModLicence_Click() {
    const QString key = lvLicences->selectedKey();
    if (key.isEmpty())
        return messages_.refuse(SelectLicence);
    emit licenceDialogRequested(common::mode::Modify, ProdID, common::idOfKey(key));
    FillLicenceListView();
}

void frmProductMaint::btnViewLicence_Click() {
    const QString key = lvLicences->selectedKey();
    if (key.isEmpty())
        return messages_.refuse(SelectLicence);
    emit licenceDialogRequested(common::mode::View, ProdID, common::idOfKey(key));
}

void frmProductMaint::btnDelLicence_Click() {
    const QString key = lvLicences->selectedKey();
    if (key.isEmpty())
        return messages_.refuse(SelectLicence);
    emit licenceDeleteRequested(common::idOfKey(key));
    FillLicenceListView();
}

bool frmProductMaint::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        if (watched == lvStock)
            SetStockButtons();
        else if (watched == lvLicences)
            SetLicenceButtons();
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace catalogue
