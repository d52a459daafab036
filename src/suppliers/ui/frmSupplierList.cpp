#include "suppliers/ui/frmSupplierList.h"

#include "common/ListRow.h"
#include "common/Messages.h"
#include "common/NodeKey.h"
#include "common/Session.h"
#include "common/ui/DialogKit.h"
#include "common/ui/Guard.h"
#include "common/ui/ReportList.h"
#include "common/ui/RowMenu.h"
#include "suppliers/clsSuppliers.h"
#include "suppliers/ui/frmSupplierMaint.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>

namespace suppliers {

namespace {

const QString MenuArray = QStringLiteral("mnuSup");

} // namespace

frmSupplierList::frmSupplierList(common::Session& session, QWidget* parent)
    : QDialog(parent), session_(session), logic_(session.logic<suppliers::clsSuppliers>()),
      messages_(session.messages()) {
    setObjectName(QStringLiteral("frmSupplierList"));
    setWindowTitle(QStringLiteral("Supply List"));
    setModal(true);

    lvSupplyList = new common::ReportList(
        {QStringLiteral("Name"), QStringLiteral("Telephone"), QStringLiteral("Contact")}, this);
    lvSupplyList->setObjectName(QStringLiteral("lvSupplyList"));
    // Enter belongs to the list; no button takes it as the default.
    btnSelect = common::button(this, QStringLiteral("&Select"), "btnSelect");
    btnAdd = common::button(this, QStringLiteral("&Add"), "btnAdd");
    btnModify = common::button(this, QStringLiteral("&Modify"), "btnModify");
    btnView = common::button(this, QStringLiteral("&View"), "btnView");
    btnDelete = common::button(this, QStringLiteral("&Delete"), "btnDelete");
    btnClose = common::button(this, QStringLiteral("&Close"), "btnClose");

    mnuSuppliers = new QMenu(QStringLiteral("Supplier"), this);
    mnuSuppliers->setObjectName(QStringLiteral("mnuSuppliers"));
    const QString captions[] = {QStringLiteral("Add"), QStringLiteral("Modify"),
                                QStringLiteral("View"), QStringLiteral("Delete")};
    for (int i = 0; i < 4; ++i) {
        QAction* item = mnuSuppliers->addAction(captions[i]);
        item->setObjectName(MenuArray);
        item->setProperty("index", i);
        connect(item, &QAction::triggered, this, [this, i] { mnuSup_Click(i); });
    }

    common::layOutList(this, lvSupplyList,
                       {btnSelect, btnAdd, btnModify, btnView, btnDelete, btnClose});
    resize(600, 360);

    connect(btnSelect, &QPushButton::clicked, this, &frmSupplierList::btnSelect_Click);
    connect(btnAdd, &QPushButton::clicked, this, &frmSupplierList::btnAdd_Click);
    connect(btnModify, &QPushButton::clicked, this, &frmSupplierList::btnModify_Click);
    connect(btnView, &QPushButton::clicked, this, &frmSupplierList::btnView_Click);
    connect(btnDelete, &QPushButton::clicked, this, &frmSupplierList::btnDelete_Click);
    connect(btnClose, &QPushButton::clicked, this, &frmSupplierList::btnClose_Click);
    connect(lvSupplyList, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem*, int) { lvSupplyList_DblClick(); });
    connect(lvSupplyList, &common::ReportList::mousePressed, this,
            &frmSupplierList::lvSupplyList_MouseDown);
    common::onEnter(lvSupplyList, [this] { btnSelect_Click(); });
    // Enter chooses the supplier; F2 modifies it.
    auto* keys = new common::RowMenu(lvSupplyList);
    connect(keys, &common::RowMenu::menuRequested, this,
            [this](const QPoint& pos) { lvSupplyList_MouseDown(Qt::RightButton, pos); });
    connect(keys, &common::RowMenu::keyPressed, this, &frmSupplierList::lvSupplyList_Key);

    Form_Load();
}

bool frmSupplierList::showSupplier(int supplierId) {
    QTreeWidgetItem* row = lvSupplyList->findKey(QStringLiteral("S") + QString::number(supplierId));
    if (!row)
        return false;
    lvSupplyList->clearSelection();
    lvSupplyList->setCurrentItem(row);
    row->setSelected(true);
    lvSupplyList->scrollToItem(row);
    lvSupplyList->setFocus();
    return true;
}

void frmSupplierList::Form_Load() {
    // No earlier (perhaps since deleted) supplier goes back to a caller.
    logic_.clearChoice();
    GetSuppNames();
}

void frmSupplierList::GetSuppNames() {
    common::guarded(messages_, [this] {
        const common::ListRows rows = logic_.GetSuppNames();
        lvSupplyList->setRows(rows);
        const bool any = !rows.empty();
        for (QPushButton* b : {btnDelete, btnModify, btnSelect, btnView})
            b->setEnabled(any);
    });
}

int frmSupplierList::selectedId() const {
    const QString key = lvSupplyList->selectedKey();
    return key.isEmpty() ? 0 : common::idOfKey(key);
}

void frmSupplierList::btnSelect_Click() {
    const auto items = lvSupplyList->selectedItems();
    if (items.isEmpty())
        return;
    logic_.chooseSupplier(common::idOfKey(lvSupplyList->keyOf(items.first())),
                          items.first()->text(0));
    accept();
}

void frmSupplierList::btnAdd_Click() {
    frmSupplierMaint dialog(session_, this);
    dialog.setAddMode();
    connect(&dialog, &frmSupplierMaint::suppliersChanged, this, &frmSupplierList::GetSuppNames);
    dialog.exec();
}

void frmSupplierList::btnModify_Click() {
    const int id = selectedId();
    if (id == 0)
        return;
    frmSupplierMaint dialog(session_, this);
    dialog.GetSuppDets(id);
    dialog.setModifyMode();
    connect(&dialog, &frmSupplierMaint::suppliersChanged, this, &frmSupplierList::GetSuppNames);
    dialog.exec();
}

void frmSupplierList::btnView_Click() {
    const int id = selectedId();
    if (id == 0)
        return;
    frmSupplierMaint dialog(session_, this);
    dialog.GetSuppDets(id);
    dialog.setViewMode();
    dialog.exec();
}

void frmSupplierList::btnDelete_Click() {
    const int id = selectedId();
    if (id == 0)
        return;
    if (!messages_.ask(QStringLiteral("Are you sure you wish to delete this supplier")))
        return;
    common::guarded(messages_, [&] { logic_.RemoveSupplier(id); });
    GetSuppNames();
}

void frmSupplierList::btnClose_Click() {
    reject();
}

void frmSupplierList::lvSupplyList_DblClick() {
    btnSelect_Click();
}

void frmSupplierList::lvSupplyList_MouseDown(Qt::MouseButton button, const QPoint& globalPos) {
    const bool selected = selectedId() != 0;
    const auto actions = mnuSuppliers->actions();
    actions.at(SupAdd)->setEnabled(true);
    for (int i : {SupModify, SupView, SupDelete})
        actions.at(i)->setEnabled(selected);
    if (button == Qt::RightButton)
        popUp(mnuSuppliers, globalPos);
}

void frmSupplierList::lvSupplyList_Key(common::RowKey key) {
    lvSupplyList_MouseDown(Qt::NoButton, QPoint());
    const int index = key == common::RowKey::Add      ? SupAdd
                      : key == common::RowKey::Modify ? SupModify
                                                      : SupDelete;
    if (mnuSuppliers->actions().at(index)->isEnabled())
        mnuSup_Click(index);
}

void frmSupplierList::popUp(QMenu* menu, const QPoint& globalPos) {
    menu->exec(globalPos);
}

void frmSupplierList::mnuSup_Click(int index) {
    switch (index) {
    case SupAdd:
        btnAdd_Click();
        break;
    case SupModify:
        btnModify_Click();
        break;
    case SupView:
        btnView_Click();
        break;
    case SupDelete:
        btnDelete_Click();
        break;
    default:
        break;
    }
}

std::optional<std::pair<int, QString>> pickSupplier(common::Session& session, QWidget* parent) {
    std::optional<std::pair<int, QString>> chosen;
    common::guarded(session.messages(), [&] {
        clsSuppliers& logic = session.logic<suppliers::clsSuppliers>();
        frmSupplierList list(session, parent);
        list.exec();
        if (logic.SelSuppID != 0)
            chosen = std::make_pair(logic.SelSuppID, logic.SelSuppName);
    });
    return chosen;
}

} // namespace suppliers
