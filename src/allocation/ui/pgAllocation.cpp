#include "allocation/ui/pgAllocation.h"

#include "allocation/clsAllocations.h"
#include "allocation/ui/AllocationModel.h"
#include "allocation/ui/AllocationTreeView.h"
#include "common/Messages.h"
#include "common/NodeKey.h"
#include "common/Session.h"
#include "common/ui/Guard.h"
#include "common/ui/Legend.h"
#include "common/ui/MainWindow.h"
#include "common/ui/RowMenu.h"
#include "locations/ui/frmLocationList.h"
#include "store/Database.h"
#include "store/StoreConstants.h"

#include <QAction>
#include <QGridLayout>
#include <QItemSelectionModel>
#include <QPushButton>

namespace allocation {

pgAllocation::pgAllocation(common::MainWindow& main) : main_(main) {
    setObjectName(QStringLiteral("pgAllocation"));
    auto* grid = new QGridLayout(this);
    model_ = new AllocationModel(main.session(), this);
    tvSourceLoc = new AllocationTreeView(*model_, this);
    tvSourceLoc->setObjectName(QStringLiteral("tvSourceLoc"));
    btnExpandAlloc = new QPushButton(QStringLiteral("&Expand Locations"), this);
    btnExpandAlloc->setObjectName(QStringLiteral("btnExpandAlloc"));
    connect(btnExpandAlloc, &QPushButton::clicked, tvSourceLoc,
            &AllocationTreeView::expandAllAndSelectRoot);
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
        [this](const QModelIndex& dragged) { return !refuseDragStart(dragged); });
    tvSourceLoc->setTargetRule([](const QModelIndex& dragged, const QModelIndex& target) {
        return clsAllocations::IsItem(AllocationTreeView::imageOf(dragged)) &&
               clsAllocations::IsDropTarget(AllocationTreeView::keyOf(target),
                                            AllocationTreeView::imageOf(target));
    });
    connect(tvSourceLoc, &AllocationTreeView::nodeDropped, this, &pgAllocation::dropItem);
    auto* keys = new common::RowMenu(tvSourceLoc);
    keys->addKey(Qt::Key_M, Qt::ControlModifier, [this] { moveTo(); });
    keys->addKey(Qt::Key_M, Qt::ControlModifier | Qt::ShiftModifier, [this] { moveTo(true); });
    keys->addKey(Qt::Key_Z, Qt::ControlModifier, [this] { undoMove(); });
    keys->addKey(Qt::Key_H, Qt::ControlModifier, [this] { showHistory(); });
    connect(keys, &common::RowMenu::menuRequested, this,
            [this](const QPoint& pos) { tvSourceLoc_MouseUp(Qt::RightButton, pos); });
}

bool pgAllocation::showStock(int stockId) {
    const QModelIndex node =
        tvSourceLoc->revealNode(QStringLiteral("S") + QString::number(stockId));
    if (node.isValid())
        tvSourceLoc->setFocus();
    return node.isValid();
}

bool pgAllocation::showLicence(int licId, bool temporary, int prodId, int locId) {
    const QString key = common::licenceGroupKey(temporary, prodId, locId);
    if (!tvSourceLoc->revealNode(key).isValid())
        return false;
    shownGroupKey_ = key;
    shownLicence_ = licId;
    tvSourceLoc->setFocus();
    return true;
}

std::optional<std::pair<QString, int>> pgAllocation::selectedItem() {
    const QModelIndex node = tvSourceLoc->selectedNode();
    if (!node.isValid() || !clsAllocations::IsItem(AllocationTreeView::imageOf(node)))
        return std::nullopt;
    const QString key = AllocationTreeView::keyOf(node);
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

QModelIndex pgAllocation::leadItem() const {
    const QModelIndex current = tvSourceLoc->currentIndex();
    if (current.isValid() && tvSourceLoc->selectionModel()->isSelected(current) &&
        clsAllocations::IsItem(AllocationTreeView::imageOf(current)))
        return current;
    for (const QModelIndex& item : tvSourceLoc->selectedNodes())
        if (clsAllocations::IsItem(AllocationTreeView::imageOf(item)))
            return item;
    return {};
}

void pgAllocation::tvSourceLoc_MouseUp(Qt::MouseButton button, const QPoint& globalPos) {
    if (button != Qt::RightButton)
        return;
    main_.menuItem(MenuArray, MenuMoveTo)->setEnabled(leadItem().isValid());
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
    QModelIndex lead = leadItem();
    if (!lead.isValid()) {
        main_.session().messages().refuse(QStringLiteral("You can only move stock or licences"));
        return;
    }
    const QString leadKey = AllocationTreeView::keyOf(lead);
    const auto chosen = locations::pickLocation(main_.session(), window());
    if (!chosen)
        return;
    // The picker reads the locations afresh: one added since this tree was
    // built is not in it yet.
    const QModelIndex target = tvSourceLoc->node(locations::locationKey(chosen->first));
    lead = tvSourceLoc->node(leadKey);
    if (!target.isValid() || !lead.isValid()) {
        common::guarded(main_.session().messages(), [this] { rebuild(); });
        return;
    }
    dropItem(lead, target, wholeGroups ? Qt::ShiftModifier : Qt::NoModifier);
}

template <typename Move> void pgAllocation::runMove(Move&& move) {
    common::Session& session = main_.session();
    const bool upToDate = shownChanges_ && *shownChanges_ == session.db().changeCount();
    bool shown = false;
    common::guarded(
        session.messages(),
        [&] {
            if (const std::optional<std::vector<MoveUpdate>> updates = move()) {
                showMoves(*updates);
                shown = true;
            }
        },
        common::ErrorForm::Description);
    // The tree shows the register as it is after the move only when it
    // did before it; after a failed move the next entry reads it again.
    if (shown && upToDate)
        shownChanges_ = session.db().changeCount();
    else
        shownChanges_.reset();
}

void pgAllocation::undoMove() {
    clsAllocations& logic = main_.session().logic<clsAllocations>();
    runMove([&] { return logic.UndoLastMove(); });
}

void pgAllocation::rebuild() {
    common::Session& session = main_.session();
    auto nodes = session.logic<locations::clsLocations>().TopOfLocationTree();
    if (!nodes)
        return;
    tvSourceLoc->fill(*nodes);
    shownChanges_ = session.db().changeCount();
}

void pgAllocation::refill() {
    if (shownChanges_ && *shownChanges_ == main_.session().db().changeCount())
        return; // every change since the fill was a move the tree shows
    const AllocationTreeView::Place place = tvSourceLoc->place();
    rebuild();
    tvSourceLoc->restorePlace(place);
}

bool pgAllocation::refuseDragStart(const QModelIndex& dragged) {
    if (clsAllocations::IsItem(AllocationTreeView::imageOf(dragged)))
        return false;
    main_.session().messages().refuse(QStringLiteral("You can only move stock or licences"));
    tvSourceLoc->clearSelection();
    return true;
}

void pgAllocation::finishDrop() {
    tvSourceLoc->clearSelection();
    tvSourceLoc->setDropHighlight({});
}

void pgAllocation::dropItem(const QModelIndex& dragged, const QModelIndex& target,
                            Qt::KeyboardModifiers modifiers) {
    // The dragged node decides what the drag is: one that is not an item
    // moves nothing, whatever else is selected.
    if (!dragged.isValid() || !clsAllocations::IsItem(AllocationTreeView::imageOf(dragged)) ||
        !target.isValid() ||
        !clsAllocations::IsDropTarget(AllocationTreeView::keyOf(target),
                                      AllocationTreeView::imageOf(target))) {
        finishDrop();
        return;
    }
    QModelIndexList items{dragged};
    for (const QModelIndex& item : tvSourceLoc->selectedNodes())
        if (item != dragged && clsAllocations::IsItem(AllocationTreeView::imageOf(item)))
            items << item;
    const bool wholeGroups = modifiers.testFlag(Qt::ShiftModifier);
    const bool group = AllocationTreeView::keyOf(dragged).at(0) != QLatin1Char('S');
    if (items.size() > 1 || (wholeGroups && group && dragged.parent() != target)) {
        dropItems(items, target, wholeGroups);
        return;
    }
    common::Session& session = main_.session();
    if (dragged.parent() == target) {
        session.messages().refuse(QStringLiteral("This item is already under this location"));
        finishDrop();
        return;
    }
    const common::NodeKey item = nodeKey(dragged);
    const common::NodeKey from = nodeKey(dragged.parent());
    const common::NodeKey to = nodeKey(target);
    runMove([&]() -> std::optional<std::vector<MoveUpdate>> {
        auto update = session.logic<clsAllocations>().MoveStockLic(item, from, to);
        if (!update)
            return std::nullopt;
        return std::vector<MoveUpdate>{std::move(*update)};
    });
    finishDrop();
}

void pgAllocation::dropItems(const QModelIndexList& items, const QModelIndex& target,
                             bool wholeGroups) {
    if (!target.isValid() || !clsAllocations::IsDropTarget(AllocationTreeView::keyOf(target),
                                                           AllocationTreeView::imageOf(target))) {
        finishDrop();
        return;
    }
    std::vector<common::NodeKey> keys;
    for (const QModelIndex& item : items)
        if (clsAllocations::IsItem(AllocationTreeView::imageOf(item))) {
            common::NodeKey key = nodeKey(item);
            // A stock item is moved from where the tree shows it: if
            // another user moved it since, the move is refused.
            if (key.kind == QLatin1Char('S') && item.parent().isValid())
                key.locId = nodeKey(item.parent()).id;
            keys.push_back(key);
        }
    const int locId = nodeKey(target).id;
    common::Session& session = main_.session();
    runMove([&]() -> std::optional<std::vector<MoveUpdate>> {
        MoveResult result = session.logic<clsAllocations>().MoveItems(keys, locId, wholeGroups);
        if (result.moved == 0)
            return std::nullopt;
        return std::move(result.updates);
    });
    finishDrop();
}

common::NodeKey pgAllocation::nodeKey(const QModelIndex& node) {
    return common::parseNodeKey(AllocationTreeView::keyOf(node));
}

void pgAllocation::showMoves(const std::vector<MoveUpdate>& updates) {
    // Every change first, then the places the items went are opened: a
    // place read as it opens already holds what all of them brought.
    for (const MoveUpdate& update : updates)
        model_->applyMove(update);
    for (const MoveUpdate& update : updates) {
        const QModelIndex target = model_->loaded(locations::locationKey(update.targetLocId));
        if (!target.isValid())
            continue;
        // Read now, not when the view next lays itself out: the moved
        // nodes are there as soon as the move is (after the items not shown
        // yet of a place read before).
        if (!model_->itemsLoaded(AllocationTreeView::keyOf(target)) && model_->canFetchMore(target))
            model_->fetchMore(target);
        if (!tvSourceLoc->isExpanded(target))
            tvSourceLoc->expand(target);
    }
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
