#include "allocation/ui/pgAllocation.h"

#include "allocation/clsAllocations.h"
#include "common/Messages.h"
#include "common/NodeKey.h"
#include "common/Session.h"
#include "common/ui/Guard.h"
#include "common/ui/Legend.h"
#include "common/ui/MainWindow.h"
#include "common/ui/RowMenu.h"
#include "locations/ui/LocationTreeView.h"
#include "locations/ui/frmLocationList.h"
#include "store/StoreConstants.h"

#include <QAction>
#include <QGridLayout>
#include <QPushButton>

namespace allocation {

pgAllocation::pgAllocation(common::MainWindow& main) : main_(main) {
    setObjectName(QStringLiteral("pgAllocation"));
    auto* grid = new QGridLayout(this);
    tvSourceLoc = new locations::LocationTreeView(this);
    tvSourceLoc->setObjectName(QStringLiteral("tvSourceLoc"));
    btnExpandAlloc = new QPushButton(QStringLiteral("&Expand Locations"), this);
    btnExpandAlloc->setObjectName(QStringLiteral("btnExpandAlloc"));
    connect(btnExpandAlloc, &QPushButton::clicked, tvSourceLoc,
            &locations::LocationTreeView::expandAllAndSelectRoot);
    using namespace common::image;
    QGroupBox* legend =
        common::makeLegend(this,
                           {{SystemNode, QStringLiteral("System Node")},
                            {0, QString()},
                            {Location, QStringLiteral("Location")},
                            {RemovedLocation, QStringLiteral("Removed Location")},
                            {Stock, QStringLiteral("Stock")},
                            {RemovedStock, QStringLiteral("Removed Stock")},
                            {Licence, QStringLiteral("Licence")},
                            {RemovedLicence, QStringLiteral("Licence Location")},
                            {TemporaryLicence, QStringLiteral("Temporary Licence")},
                            {RemovedTemporaryLicence, QStringLiteral("Removed Temporary Licence")}},
                           2);
    grid->addWidget(tvSourceLoc, 0, 0, 3, 1);
    grid->addWidget(btnExpandAlloc, 0, 1);
    grid->addWidget(legend, 1, 1);
    grid->setRowStretch(2, 1);
    grid->setColumnStretch(0, 1);

    tvSourceLoc->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tvSourceLoc->setNodeDragging(true);
    tvSourceLoc->setDragRule(
        [this](QTreeWidgetItem* dragged) { return !refuseDragStart(dragged); });
    tvSourceLoc->setTargetRule([](const QTreeWidgetItem* dragged, const QTreeWidgetItem* target) {
        using locations::LocationTreeView;
        return clsAllocations::IsItem(LocationTreeView::imageOf(dragged)) &&
               clsAllocations::IsDropTarget(LocationTreeView::keyOf(target),
                                            LocationTreeView::imageOf(target));
    });
    connect(tvSourceLoc, &locations::LocationTreeView::nodeDropped, this, &pgAllocation::dropItem);
    auto* keys = new common::RowMenu(tvSourceLoc);
    keys->addKey(Qt::Key_M, Qt::ControlModifier, [this] { moveTo(); });
    keys->addKey(Qt::Key_M, Qt::ControlModifier | Qt::ShiftModifier, [this] { moveTo(true); });
    keys->addKey(Qt::Key_Z, Qt::ControlModifier, [this] { undoMove(); });
    keys->addKey(Qt::Key_H, Qt::ControlModifier, [this] { showHistory(); });
    connect(keys, &common::RowMenu::menuRequested, this,
            [this](const QPoint& pos) { tvSourceLoc_MouseUp(Qt::RightButton, pos); });
}

bool pgAllocation::showStock(int stockId) {
    QTreeWidgetItem* node = tvSourceLoc->revealNode(QStringLiteral("S") + QString::number(stockId));
    if (node)
        tvSourceLoc->setFocus();
    return node != nullptr;
}

bool pgAllocation::showLicence(int licId, bool temporary, int prodId, int locId) {
    const QString key = common::licenceGroupKey(temporary, prodId, locId);
    QTreeWidgetItem* node = tvSourceLoc->revealNode(key);
    if (!node)
        return false;
    shownGroupKey_ = key;
    shownLicence_ = licId;
    tvSourceLoc->setFocus();
    return true;
}

std::optional<std::pair<QString, int>> pgAllocation::selectedItem() {
    using locations::LocationTreeView;
    const QTreeWidgetItem* node = tvSourceLoc->selectedNode();
    if (!node || !clsAllocations::IsItem(LocationTreeView::imageOf(node)))
        return std::nullopt;
    const QString key = LocationTreeView::keyOf(node);
    const common::NodeKey item = nodeKey(node);
    if (key.startsWith(QLatin1Char('S')))
        return std::make_pair(QStringLiteral("S"), item.id);
    if (key == shownGroupKey_ && shownLicence_ != 0)
        return std::make_pair(QStringLiteral("L"), shownLicence_);
    const auto first =
        main_.session().logic<clsAllocations>().firstLicenceOf(item.kind, item.id, item.locId);
    if (!first)
        return std::nullopt;
    return std::make_pair(QStringLiteral("L"), *first);
}

void pgAllocation::showHistory() {
    common::guarded(main_.session().messages(), [&] {
        if (const auto item = selectedItem())
            emit historyRequested(item->second, item->first);
    });
}

namespace {
const QString MenuArray = QStringLiteral("mnuAlloc");
enum MenuItem { MenuMoveTo = 0, MenuUndo = 1 };
} // namespace

QTreeWidgetItem* pgAllocation::leadItem() const {
    using locations::LocationTreeView;
    QTreeWidgetItem* current = tvSourceLoc->currentItem();
    if (current && current->isSelected() &&
        clsAllocations::IsItem(LocationTreeView::imageOf(current)))
        return current;
    for (QTreeWidgetItem* item : tvSourceLoc->selectedItems())
        if (clsAllocations::IsItem(LocationTreeView::imageOf(item)))
            return item;
    return nullptr;
}

void pgAllocation::tvSourceLoc_MouseUp(Qt::MouseButton button, const QPoint& globalPos) {
    if (button != Qt::RightButton)
        return;
    main_.menuItem(MenuArray, MenuMoveTo)->setEnabled(leadItem() != nullptr);
    main_.menuItem(MenuArray, MenuUndo)
        ->setEnabled(main_.session().logic<clsAllocations>().CanUndo());
    main_.popUpMenu(common::SharedMenu::Allocation, globalPos, this);
}

void pgAllocation::menuChosen(const QString& array, int index) {
    if (array != MenuArray)
        return;
    if (index == MenuMoveTo)
        moveTo();
    else if (index == MenuUndo)
        undoMove();
}

void pgAllocation::moveTo(bool wholeGroups) {
    QTreeWidgetItem* lead = leadItem();
    if (!lead) {
        main_.session().messages().refuse(QStringLiteral("You can only move stock or licences"));
        return;
    }
    const QString leadKey = locations::LocationTreeView::keyOf(lead);
    const auto chosen = locations::pickLocation(main_.session(), window());
    if (!chosen)
        return;
    // The picker reads the locations afresh: one added since this tree was
    // built is not in it yet.
    QTreeWidgetItem* target = tvSourceLoc->node(locations::locationKey(chosen->first));
    lead = tvSourceLoc->node(leadKey);
    if (!target || !lead) {
        common::guarded(main_.session().messages(), [this] { rebuild(); });
        return;
    }
    dropItem(lead, target, wholeGroups ? Qt::ShiftModifier : Qt::NoModifier);
}

void pgAllocation::undoMove() {
    common::Session& session = main_.session();
    common::guarded(
        session.messages(),
        [&] {
            if (const auto updates = session.logic<clsAllocations>().UndoLastMove())
                showMoves(*updates);
        },
        common::ErrorForm::Description);
}

void pgAllocation::rebuild() {
    common::Session& session = main_.session();
    auto nodes = session.logic<locations::clsLocations>().FillUpLocationTree();
    if (!nodes)
        return;
    std::vector<locations::TreeNode> items = session.logic<clsAllocations>().FillAllocationItems();
    nodes->insert(nodes->end(), std::make_move_iterator(items.begin()),
                  std::make_move_iterator(items.end()));
    tvSourceLoc->fill(*nodes);
}

void pgAllocation::refill() {
    const locations::LocationTreeView::Place place = tvSourceLoc->place();
    rebuild();
    tvSourceLoc->restorePlace(place);
}

bool pgAllocation::refuseDragStart(QTreeWidgetItem* dragged) {
    using locations::LocationTreeView;
    if (clsAllocations::IsItem(LocationTreeView::imageOf(dragged)))
        return false;
    main_.session().messages().refuse(QStringLiteral("You can only move stock or licences"));
    tvSourceLoc->clearSelection();
    return true;
}

void pgAllocation::finishDrop() {
    tvSourceLoc->clearSelection();
    tvSourceLoc->setDropHighlight(nullptr);
}

void pgAllocation::dropItem(QTreeWidgetItem* dragged, QTreeWidgetItem* target,
                            Qt::KeyboardModifiers modifiers) {
    using locations::LocationTreeView;
    // The dragged node decides what the drag is: one that is not an item
    // moves nothing, whatever else is selected.
    if (!dragged || !clsAllocations::IsItem(LocationTreeView::imageOf(dragged)) || !target ||
        !clsAllocations::IsDropTarget(LocationTreeView::keyOf(target),
                                      LocationTreeView::imageOf(target))) {
        finishDrop();
        return;
    }
    QList<QTreeWidgetItem*> items{dragged};
    for (QTreeWidgetItem* item : tvSourceLoc->selectedItems())
        if (item != dragged && clsAllocations::IsItem(LocationTreeView::imageOf(item)))
            items << item;
    const bool wholeGroups = modifiers.testFlag(Qt::ShiftModifier);
    const bool group = LocationTreeView::keyOf(dragged).at(0) != QLatin1Char('S');
    if (items.size() > 1 || (wholeGroups && group && dragged->parent() != target)) {
        dropItems(items, target, wholeGroups);
        return;
    }
    common::Session& session = main_.session();
    if (dragged->parent() == target) {
        session.messages().refuse(QStringLiteral("This item is already under this location"));
        finishDrop();
        return;
    }
    common::guarded(
        session.messages(),
        [&] {
            const auto update = session.logic<clsAllocations>().MoveStockLic(
                nodeKey(dragged), nodeKey(dragged->parent()), nodeKey(target));
            if (update)
                showMoves({*update});
        },
        common::ErrorForm::Description);
    finishDrop();
}

void pgAllocation::dropItems(const QList<QTreeWidgetItem*>& items, QTreeWidgetItem* target,
                             bool wholeGroups) {
    using locations::LocationTreeView;
    if (!target || !clsAllocations::IsDropTarget(LocationTreeView::keyOf(target),
                                                 LocationTreeView::imageOf(target))) {
        finishDrop();
        return;
    }
    std::vector<common::NodeKey> keys;
    for (const QTreeWidgetItem* item : items)
        if (clsAllocations::IsItem(LocationTreeView::imageOf(item))) {
            common::NodeKey key = nodeKey(item);
            // A stock item is moved from where the tree shows it: if
            // another user moved it since, the move is refused.
            if (key.kind == QLatin1Char('S') && item->parent())
                key.locId = nodeKey(item->parent()).id;
            keys.push_back(key);
        }
    common::Session& session = main_.session();
    common::guarded(
        session.messages(),
        [&] {
            const MoveResult result =
                session.logic<clsAllocations>().MoveItems(keys, nodeKey(target).id, wholeGroups);
            showMoves(result.updates);
        },
        common::ErrorForm::Description);
    finishDrop();
}

common::NodeKey pgAllocation::nodeKey(const QTreeWidgetItem* node) {
    return common::parseNodeKey(locations::LocationTreeView::keyOf(node));
}

void pgAllocation::showMoves(const std::vector<MoveUpdate>& updates) {
    for (const MoveUpdate& update : updates)
        showMove(update);
}

void pgAllocation::showMove(const MoveUpdate& update) {
    using locations::LocationTreeView;
    const QString targetKey = locations::locationKey(update.targetLocId);
    QTreeWidgetItem* target = tvSourceLoc->node(targetKey);
    if (update.kind == QLatin1Char('S')) {
        tvSourceLoc->reparent(update.stockKey, targetKey);
        // An undone move may take an item back to the removed stock.
        if (QTreeWidgetItem* node = tvSourceLoc->node(update.stockKey))
            LocationTreeView::setImage(node, update.targetLocId == store::loc::RemovedStock
                                                 ? common::image::RemovedStock
                                                 : common::image::Stock);
    } else {
        replaceGroups(update.sourceLocId, update.kind, update, false);
        replaceGroups(update.targetLocId, update.kind, update, true);
    }
    if (target && !target->isExpanded())
        target->setExpanded(true);
}

void pgAllocation::replaceGroups(int locId, QChar kind, const MoveUpdate& update, bool atTarget) {
    using locations::LocationTreeView;
    QTreeWidgetItem* location = tvSourceLoc->node(locations::locationKey(locId));
    if (!location)
        return;
    QStringList gone;
    for (int i = 0; i < location->childCount(); ++i) {
        const QString key = LocationTreeView::keyOf(location->child(i));
        if (key.startsWith(kind))
            gone << key;
    }
    for (const QString& key : gone)
        tvSourceLoc->removeNode(key);
    for (const locations::TreeNode& node : atTarget ? update.targetGroups : update.sourceGroups)
        tvSourceLoc->addNode(node);
}

QWidgetList pgAllocation::tabOrder() const {
    return {tvSourceLoc, btnExpandAlloc};
}

QString pgAllocation::helpTopic() const {
    return QStringLiteral("allocation.html");
}

QString pgAllocation::hint() const {
    return QStringLiteral(
        "Firstly select the stock or licences to be moved, then Drag to the desired location");
}

} // namespace allocation
