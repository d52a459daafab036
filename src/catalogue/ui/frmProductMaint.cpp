#include "catalogue/ui/frmProductMaint.h"

#include "common/Clock.h"
#include "common/DialogMode.h"
#include "common/Messages.h"
#include "common/NodeKey.h"
#include "common/Session.h"
#include "common/ui/DatePicker.h"
#include "common/ui/Guard.h"
#include "common/ui/KeyFilter.h"
#include "common/ui/ReportList.h"
#include "suppliers/ui/frmSupplierList.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace catalogue {

namespace {

QPushButton* button(QWidget* parent, const QString& caption, const char* name) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

// One tab of SSProducts: the list above its four buttons.
QWidget* tabPage(QWidget* parent, QWidget* list, std::initializer_list<QPushButton*> buttons) {
    auto* page = new QWidget(parent);
    auto* layout = new QVBoxLayout(page);
    list->setParent(page);
    layout->addWidget(list, 1);
    auto* row = new QHBoxLayout;
    for (QPushButton* b : buttons) {
        b->setParent(page);
        row->addWidget(b);
    }
    row->addStretch(1);
    layout->addLayout(row);
    return page;
}

} // namespace

frmProductMaint::frmProductMaint(common::Session& session, QWidget* parent)
    : QDialog(parent), session_(session), logic_(session.logic<catalogue::clsProducts>()),
      messages_(session.messages()) {
    setObjectName(QStringLiteral("frmProductMaint"));
    setWindowTitle(QStringLiteral("Product maintenance"));
    setModal(true);

    fraProd = new QGroupBox(this);
    fraProd->setObjectName(QStringLiteral("fraProd"));
    txtProdCode = new QLineEdit(fraProd);
    txtProdCode->setObjectName(QStringLiteral("txtProdCode"));
    txtProdDesc = new QLineEdit(fraProd);
    txtProdDesc->setObjectName(QStringLiteral("txtProdDesc"));
    cboCategory = new QComboBox(fraProd);
    cboCategory->setObjectName(QStringLiteral("cboCategory"));
    txtProdCost = new QLineEdit(fraProd);
    txtProdCost->setObjectName(QStringLiteral("txtProdCost"));
    txtSuppName = new QLineEdit(fraProd);
    txtSuppName->setObjectName(QStringLiteral("txtSuppName"));
    // Filled only by loading and the two supplier buttons.
    txtSuppName->setReadOnly(true);
    txtSuppID = new QLineEdit(fraProd);
    txtSuppID->setObjectName(QStringLiteral("txtSuppID"));
    txtSuppID->setVisible(false);
    btnSupplier = new QToolButton(fraProd);
    btnSupplier->setObjectName(QStringLiteral("btnSupplier"));
    btnSupplier->setToolTip(QStringLiteral("Select a Supplier"));
    btnSupplier->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    btnClearSupp = new QToolButton(fraProd);
    btnClearSupp->setObjectName(QStringLiteral("btnClearSupp"));
    btnClearSupp->setToolTip(QStringLiteral("Clear Supplier"));
    btnClearSupp->setIcon(style()->standardIcon(QStyle::SP_DialogResetButton));
    dteDateAdded = new common::DatePicker(false, fraProd);
    dteDateAdded->setObjectName(QStringLiteral("dteDateAdded"));
    // The date is stamped when the product is stored; it is shown only, and
    // a product always has one.
    dteDateAdded->setCheckable(false);
    dteDateAdded->setReadOnly(true);

    auto* grid = new QGridLayout(fraProd);
    int row = 0;
    const auto line = [&](const QString& caption, QWidget* field) {
        auto* label = new QLabel(caption, fraProd);
        label->setBuddy(field);
        grid->addWidget(label, row, 0);
        grid->addWidget(field, row++, 1, 1, 3);
    };
    line(QStringLiteral("Product Code"), txtProdCode);
    line(QStringLiteral("Product Description"), txtProdDesc);
    line(QStringLiteral("Product Category"), cboCategory);
    line(QStringLiteral("Product Cost"), txtProdCost);
    auto* suppLabel = new QLabel(QStringLiteral("Supplier's Name"), fraProd);
    suppLabel->setBuddy(btnSupplier);
    grid->addWidget(suppLabel, row, 0);
    grid->addWidget(txtSuppName, row, 1);
    grid->addWidget(btnSupplier, row, 2);
    grid->addWidget(btnClearSupp, row++, 3);
    grid->addWidget(txtSuppID, row++, 1);
    auto* dateLabel = new QLabel(QStringLiteral("Date Added"), fraProd);
    grid->addWidget(dateLabel, row, 0);
    grid->addWidget(dteDateAdded, row++, 1);
    grid->setColumnStretch(1, 1);
    txtProdDesc->setMinimumWidth(220);

    btnAction = button(this, QStringLiteral("&Add"), "btnAction");
    btnClose = button(this, QStringLiteral("&Close"), "btnClose");
    btnViewStockLics =
        button(this, QStringLiteral("&View Stock / Licences >>"), "btnViewStockLics");

    lvStock = new common::ReportList({QStringLiteral("Stock Ref"), QStringLiteral("Location")});
    lvStock->setObjectName(QStringLiteral("lvStock"));
    lvLicences = new common::ReportList(
        {QStringLiteral("Licence Key"), QStringLiteral("Location"), QStringLiteral("Type")});
    lvLicences->setObjectName(QStringLiteral("lvLicences"));
    btnAddStock = button(this, QStringLiteral("&Add"), "btnAddStock");
    btnModStock = button(this, QStringLiteral("&Modify"), "btnModStock");
    btnViewStock = button(this, QStringLiteral("&View"), "btnViewStock");
    btnDelStock = button(this, QStringLiteral("&Delete"), "btnDelStock");
    btnAddLicence = button(this, QStringLiteral("&Add"), "btnAddLicence");
    btnModLicence = button(this, QStringLiteral("&Modify"), "btnModLicence");
    btnViewLicence = button(this, QStringLiteral("&View"), "btnViewLicence");
    btnDelLicence = button(this, QStringLiteral("&Delete"), "btnDelLicence");
    SSProducts = new QTabWidget(this);
    SSProducts->setObjectName(QStringLiteral("SSProducts"));
    SSProducts->addTab(
        tabPage(SSProducts, lvStock, {btnAddStock, btnModStock, btnViewStock, btnDelStock}),
        QStringLiteral("&Stock"));
    SSProducts->addTab(tabPage(SSProducts, lvLicences,
                               {btnAddLicence, btnModLicence, btnViewLicence, btnDelLicence}),
                       QStringLiteral("&Licences"));
    SSProducts->setMinimumWidth(320);

    auto* actions = new QHBoxLayout;
    actions->addWidget(btnViewStockLics);
    actions->addStretch(1);
    actions->addWidget(btnAction);
    actions->addWidget(btnClose);
    auto* left = new QVBoxLayout;
    left->addWidget(fraProd);
    left->addStretch(1);
    left->addLayout(actions);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addWidget(SSProducts, 1);

    // The narrow form: the product fields only. At design time both Add
    // buttons are enabled, the other six disabled.
    SSProducts->setVisible(false);
    SSProducts->setEnabled(false);
    setTabButtons(true, false);

    using common::FieldKind;
    common::KeyFilter::install(txtProdCode, messages_, FieldKind::FreeText, ProductCodeLimit,
                               btnAction);
    common::KeyFilter::install(txtProdDesc, messages_, FieldKind::FreeText, ProductDescLimit,
                               btnAction);
    common::KeyFilter::install(txtProdCost, messages_, FieldKind::Cost, CostLimit, btnAction);
    cboCategory->installEventFilter(this);
    lvStock->installEventFilter(this);
    lvLicences->installEventFilter(this);

    connect(btnAction, &QPushButton::clicked, this, &frmProductMaint::btnAction_Click);
    connect(btnClose, &QPushButton::clicked, this, &frmProductMaint::btnClose_Click);
    connect(btnViewStockLics, &QPushButton::clicked, this,
            &frmProductMaint::btnViewStockLics_Click);
    connect(btnSupplier, &QToolButton::clicked, this, &frmProductMaint::btnSupplier_Click);
    connect(btnClearSupp, &QToolButton::clicked, this, &frmProductMaint::btnClearSupp_Click);
    connect(btnAddStock, &QPushButton::clicked, this, &frmProductMaint::btnAddStock_Click);
    connect(btnModStock, &QPushButton::clicked, this, &frmProductMaint::btnModStock_Click);
    connect(btnViewStock, &QPushButton::clicked, this, &frmProductMaint::btnViewStock_Click);
    connect(btnDelStock, &QPushButton::clicked, this, &frmProductMaint::btnDelStock_Click);
    connect(btnAddLicence, &QPushButton::clicked, this, &frmProductMaint::btnAddLicence_Click);
    connect(btnModLicence, &QPushButton::clicked, this, &frmProductMaint::btnModLicence_Click);
    connect(btnViewLicence, &QPushButton::clicked, this, &frmProductMaint::btnViewLicence_Click);
    connect(btnDelLicence, &QPushButton::clicked, this, &frmProductMaint::btnDelLicence_Click);
    connect(SSProducts, &QTabWidget::currentChanged, this, &frmProductMaint::SSProducts_Click);
    connect(lvStock, &QTreeWidget::itemSelectionChanged, this, &frmProductMaint::SetStockButtons);
    connect(lvStock, &QTreeWidget::itemClicked, this, &frmProductMaint::SetStockButtons);
    connect(lvLicences, &QTreeWidget::itemSelectionChanged, this,
            &frmProductMaint::SetLicenceButtons);
    connect(lvLicences, &QTreeWidget::itemClicked, this, &frmProductMaint::SetLicenceButtons);
}

void frmProductMaint::showEvent(QShowEvent* event) {
    if (!loaded_)
        Form_Load();
    QDialog::showEvent(event);
}

void frmProductMaint::Form_Load() {
    loaded_ = true;
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
    if (Mode == common::mode::Add) {
        btnAction->setText(QStringLiteral("&Add"));
        btnAction->setVisible(true);
        btnAction->setEnabled(true);
        btnViewStockLics->setEnabled(false);
        fraProd->setEnabled(true);
    } else if (Mode == common::mode::Modify) {
        btnAction->setText(QStringLiteral("&Modify"));
        btnAction->setVisible(true);
        btnAction->setEnabled(true);
        fraProd->setEnabled(true);
        btnViewStockLics_Click();
    } else if (Mode == common::mode::View) {
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
    for (QLineEdit* e : {txtProdCode, txtProdDesc, txtProdCost, txtSuppID, txtSuppName})
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
    }
}

void frmProductMaint::btnAction_Click() {
    const bool adding = Mode == common::mode::Add;
    if (!adding && Mode != common::mode::Modify)
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
    const auto chosen = suppliers::pickSupplier(session_, this);
    if (chosen) {
        txtSuppID->setText(QString::number(chosen->first));
        txtSuppName->setText(chosen->second);
    } else {
        txtSuppID->clear();
        txtSuppName->clear();
    }
}

void frmProductMaint::btnClearSupp_Click() {
    txtSuppID->clear();
    txtSuppName->clear();
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
    if (Mode != common::mode::View)
        setTabButtons(true, false);
}

void frmProductMaint::SetStockButtons() {
    const bool selected = !lvStock->selectedKey().isEmpty();
    if (Mode == common::mode::View) {
        btnViewStock->setEnabled(selected);
        return;
    }
    for (QPushButton* b : {btnModStock, btnViewStock, btnDelStock})
        b->setEnabled(selected);
}

void frmProductMaint::SetLicenceButtons() {
    const bool selected = !lvLicences->selectedKey().isEmpty();
    if (Mode == common::mode::View) {
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
    if (watched == cboCategory && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (btnAction->isVisible() && btnAction->isEnabled())
                btnAction_Click();
            return true;
        }
    } else if (event->type() == QEvent::FocusIn) {
        if (watched == lvStock)
            SetStockButtons();
        else if (watched == lvLicences)
            SetLicenceButtons();
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace catalogue
