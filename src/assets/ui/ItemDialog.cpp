#include "assets/ui/ItemDialog.h"

#include "common/Clock.h"
#include "common/Session.h"
#include "common/ui/DatePicker.h"
#include "common/ui/DialogKit.h"
#include "common/ui/Guard.h"
#include "locations/ui/frmLocationList.h"
#include "store/LocationPaths.h"
#include "suppliers/ui/frmSupplierList.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace assets {

namespace {

// A decimal id as the dialog keeps it in a hidden text box; no value when
// the text is empty or not a whole number.
std::optional<int> idFromText(const QString& text) {
    bool ok = false;
    const int id = text.trimmed().toInt(&ok);
    if (!ok)
        return std::nullopt;
    return id;
}

// A supplier id as the dialog keeps it: none when empty, not a number or 0.
std::optional<int> supplierFromText(const QString& text) {
    const std::optional<int> id = idFromText(text);
    if (!id || *id == 0)
        return std::nullopt;
    return id;
}

} // namespace

ItemDialog::ItemDialog(common::Session& session, ItemStore& logic, const Names& names,
                       common::ErrorForm errorForm, QWidget* parent)
    : QDialog(parent), session_(session), messages_(session.messages()), logic_(logic),
      names_(names), errorForm_(errorForm) {
    setObjectName(QString::fromLatin1(names.dialog));
    setModal(true);
    frame = new QGroupBox(this);
    frame->setObjectName(QString::fromLatin1(names.frame));
    cboProdDesc = new QComboBox(frame);
    cboProdDesc->setObjectName(QStringLiteral("cboProdDesc"));
    txtCode = common::textBox(frame, "txtCode");
}

void ItemDialog::buildFields(const QString& codeCaption, const std::vector<FieldRow>& own) {
    txtLoc = common::shownOnly(frame, "txtLoc");
    locationButton =
        common::pickButton(frame, names_.locationButton, QStringLiteral("Select a Location"));
    btnClearLoc = common::clearButton(frame, "btnClearLoc", QStringLiteral("Clear Location"));
    supplierBox = common::shownOnly(frame, names_.supplierBox);
    btnGetsupp = common::pickButton(frame, "btnGetsupp", QStringLiteral("Select a Supplier"));
    btnClearSupp = common::clearButton(frame, "btnClearSupp", QStringLiteral("Clear Supplier"));
    txtCost = common::textBox(frame, "txtCost");
    dateAdded = new common::DatePicker(false, frame);
    dateAdded->setObjectName(QString::fromLatin1(names_.dateAdded));
    dateAdded->setCheckable(false);
    // Stamped when the item is stored; shown only.
    dateAdded->setReadOnly(true);
    txtLocID = common::hiddenId(frame, "txtLocID");
    txtSuppID = common::hiddenId(frame, "txtSuppID");

    auto* grid = new QGridLayout(frame);
    common::FieldGrid rows(grid, frame);
    rows.line(QStringLiteral("Product"), cboProdDesc);
    rows.line(codeCaption, txtCode);
    for (const FieldRow& row : own) {
        if (row.caption.isEmpty())
            grid->addWidget(row.field, rows.next(), 1, 1, 3);
        else
            rows.line(row.caption, row.field);
    }
    rows.picked(QStringLiteral("Location"), txtLoc, locationButton, btnClearLoc);
    rows.picked(QStringLiteral("Supplier"), supplierBox, btnGetsupp, btnClearSupp);
    rows.line(QStringLiteral("Cost"), txtCost);
    rows.line(QStringLiteral("Date Added"), dateAdded);
    grid->addWidget(txtLocID, rows.next(), 1);
    grid->addWidget(txtSuppID, rows.next(), 1);

    const common::ActionButtons actions = common::layOutDialog(this, frame);
    btnAdd = actions.add;
    btnCancel = actions.close;
    common::filterCodeAndCost(txtCode, ItemCodeLimit, txtCost, messages_, btnAdd, this);

    connect(btnAdd, &QPushButton::clicked, this, &ItemDialog::btnAdd_Click);
    connect(btnCancel, &QPushButton::clicked, this, &ItemDialog::btnCancel_Click);
    connect(locationButton, &QToolButton::clicked, this, &ItemDialog::chooseLocation);
    connect(btnGetsupp, &QToolButton::clicked, this, &ItemDialog::chooseSupplier);
    connect(btnClearLoc, &QToolButton::clicked, this, &ItemDialog::clearLocation);
    connect(btnClearSupp, &QToolButton::clicked, this, &ItemDialog::clearSupplier);
}

void ItemDialog::showEvent(QShowEvent* event) {
    if (!loaded_)
        Form_Load();
    QDialog::showEvent(event);
}

bool ItemDialog::loadMode(common::DialogMode) {
    return true;
}

QWidget* ItemDialog::ownField(ItemField) {
    return nullptr;
}

void ItemDialog::Form_Load() {
    loaded_ = true;
    const std::optional<common::DialogMode> mode = common::dialogMode(Mode);
    if (!mode || !loadMode(*mode))
        return;
    mode_ = *mode;
    switch (mode_) {
    case common::DialogMode::View:
        frame->setEnabled(false);
        btnAdd->setVisible(false);
        loadItem(itemId());
        cboProdDesc->setEnabled(false);
        btnCancel->setFocus();
        break;
    case common::DialogMode::Add:
        dateAdded->setDate(session_.clock().today());
        btnAdd->setText(QStringLiteral("&Add"));
        btnAdd->setVisible(true);
        btnAdd->setEnabled(true);
        frame->setEnabled(true);
        // The one product the new items belong to, found by its id.
        cboProdDesc->clear();
        common::guarded(messages_, [this] {
            if (const auto desc = logic_.productDescription(ProdID))
                cboProdDesc->addItem(*desc, ProdID);
        });
        cboProdDesc->setCurrentIndex(cboProdDesc->count() - 1);
        cboProdDesc->setEnabled(false);
        txtCode->setFocus();
        break;
    case common::DialogMode::Modify:
        btnAdd->setText(QStringLiteral("&Modify"));
        btnAdd->setVisible(true);
        btnAdd->setEnabled(true);
        frame->setEnabled(true);
        loadItem(itemId());
        // The item may move to another product.
        cboProdDesc->setEnabled(true);
        txtCode->setFocus();
        break;
    }
}

void ItemDialog::loadItem(int id) {
    common::guarded(messages_, [&] {
        common::fillChoices(cboProdDesc, logic_.productChoices());
        showItem(id);
    });
}

void ItemDialog::showShared(const ItemDetails& d, const std::optional<int>& locId) {
    txtLocID->setText(locId ? QString::number(*locId) : QString());
    txtSuppID->setText(d.suppId ? QString::number(*d.suppId) : QString());
    dateAdded->setDate(d.dateAdded.date());
    txtCost->setText(d.cost);
    showLocation(d.locDesc, d.locPath);
    supplierBox->setText(d.suppName);
    common::selectChoice(cboProdDesc, d.prodId);
}

void ItemDialog::readShared(ItemFields& f) const {
    f.prodId = ProdID;
    if (mode_ == common::DialogMode::Modify && cboProdDesc->currentIndex() >= 0)
        f.prodId = cboProdDesc->currentData().toInt();
    // Text put in the box by other means than showLocation names the
    // location itself.
    f.locDesc = txtLoc->text() == shownLoc_ ? locDesc_ : txtLoc->text();
    f.locId = idFromText(txtLocID->text());
    f.suppId = supplierFromText(txtSuppID->text());
    f.cost = txtCost->text();
}

void ItemDialog::focusField(ItemField field) {
    QWidget* target = ownField(field);
    switch (field) {
    case ItemField::None:
    case ItemField::Expiry:
        break;
    case ItemField::Code:
        target = txtCode;
        break;
    case ItemField::Cost:
        target = txtCost;
        break;
    case ItemField::Product:
        target = cboProdDesc;
        break;
    case ItemField::Location:
        target = locationButton;
        break;
    case ItemField::Supplier:
        target = btnGetsupp;
        break;
    }
    if (target)
        target->setFocus();
}

void ItemDialog::btnAdd_Click() {
    if (!btnAdd->isVisible() || !btnAdd->isEnabled())
        return;
    if (ProdID == 0) {
        messages_.fail(QStringLiteral("Internal Error: ProductID not set"));
        return;
    }
    txtCode->setText(txtCode->text().toUpper());
    const bool adding = mode_ == common::DialogMode::Add;
    ItemSave saved;
    common::guarded(
        messages_, [&] { saved = storeItem(adding); }, errorForm_);
    if (!saved.costText.isEmpty())
        txtCost->setText(saved.costText);
    if (!saved.id) {
        // Another user changed the item meanwhile: the dialog shows it as
        // it now is. Otherwise everything typed stays for the user to
        // correct.
        if (saved.changedMeanwhile)
            loadItem(itemId());
        focusField(saved.refused);
        return;
    }
    emit itemStored();
    if (adding) {
        // Open for the next item of the product, at the same place.
        txtCode->clear();
        txtCode->setFocus();
    } else {
        accept();
    }
}

void ItemDialog::btnCancel_Click() {
    reject();
}

void ItemDialog::chooseLocation() {
    const auto chosen = locations::pickLocation(session_, this);
    const QString name = chosen ? chosen->second.trimmed() : QString();
    QString path;
    if (chosen)
        common::guarded(messages_, [&] { path = logic_.locationPath(chosen->first); });
    // The path ends in the name as the picker showed it.
    const int last = path.lastIndexOf(store::LocationPaths::Separator);
    showLocation(name, last < 0 ? name : path.left(last) + store::LocationPaths::Separator + name);
    txtLocID->setText(QString::number(chosen ? chosen->first : 0));
}

void ItemDialog::chooseSupplier() {
    const auto chosen = suppliers::pickSupplier(session_, this);
    txtSuppID->setText(chosen ? QString::number(chosen->first) : QString());
    supplierBox->setText(chosen ? chosen->second : QString());
}

void ItemDialog::showLocation(const QString& desc, const QString& path) {
    locDesc_ = desc;
    // The path, or the name when the path cannot be had; the box may be
    // narrower than the path, so its tooltip holds it whole.
    txtLoc->setText(path.isEmpty() ? desc : path);
    shownLoc_ = txtLoc->text();
    txtLoc->setToolTip(txtLoc->text());
    txtLoc->setCursorPosition(0);
}

void ItemDialog::clearLocation() {
    locDesc_.clear();
    shownLoc_.clear();
    txtLoc->setToolTip(QString());
    txtLoc->clear();
    txtLocID->clear();
}

void ItemDialog::clearSupplier() {
    supplierBox->clear();
    txtSuppID->clear();
}

bool ItemDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtCode && event->type() == QEvent::FocusOut)
        txtCode->setText(txtCode->text().toUpper());
    return QDialog::eventFilter(watched, event);
}

} // namespace assets
