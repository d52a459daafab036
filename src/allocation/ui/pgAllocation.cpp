#include "allocation/ui/pgAllocation.h"

#include "allocation/clsAllocations.h"
#include "common/Messages.h"
#include "common/NodeKey.h"
#include "common/Session.h"
#include "common/ui/Guard.h"
#include "common/ui/Legend.h"
#include "common/ui/MainWindow.h"
#include "locations/ui/LocationTreeView.h"

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
        if (clsAllocations::IsItem(LocationTreeView::imageOf(item)))
            keys.push_back(nodeKey(item));
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
        if (QTreeWidgetItem* node = tvSourceLoc->node(update.stockKey))
            LocationTreeView::setImage(node, common::image::Stock);
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

QString pgAllocation::hint() const {
    return QStringLiteral(
        "Firstly select the stock or licences to be moved, then Drag to the desired location");
}

} // namespace allocation
