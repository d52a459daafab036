#include "allocation/ui/AllocationTreeView.h"

#include "allocation/ui/AllocationModel.h"
#include "common/ui/Images.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>

#include <utility>

namespace allocation {

AllocationTreeView::AllocationTreeView(AllocationModel& model, QWidget* parent)
    : QTreeView(parent), model_(model) {
    setModel(&model_);
    setHeaderHidden(true);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setIconSize(QSize(16, 16));
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this,
            &AllocationTreeView::showItemsNearView);
}

void AllocationTreeView::updateGeometries() {
    QTreeView::updateGeometries();
    showItemsNearView();
}

void AllocationTreeView::showItemsNearView() {
    if (showingItems_)
        return;
    showingItems_ = true;
    const int below = viewport()->height() * 2;
    for (QModelIndex at = indexAt(QPoint(1, 1)); at.isValid() && visualRect(at).top() <= below;
         at = indexBelow(at)) {
        const QModelIndex parent = at.parent();
        if (parent.isValid() && at.row() == model_.rowCount(parent) - 1 &&
            model_.itemsLoaded(keyOf(parent)) && model_.canFetchMore(parent))
            model_.fetchMore(parent);
    }
    showingItems_ = false;
}

void AllocationTreeView::fill(const std::vector<locations::TreeNode>& locations) {
    model_.fill(locations);
    for (const locations::TreeNode& n : locations)
        if (n.expanded)
            setExpanded(model_.loaded(n.key), true);
}

QModelIndex AllocationTreeView::node(const QString& key) const {
    return model_.find(key);
}

QString AllocationTreeView::keyOf(const QModelIndex& index) {
    return AllocationModel::keyOf(index);
}

int AllocationTreeView::imageOf(const QModelIndex& index) {
    return AllocationModel::imageOf(index);
}

QModelIndexList AllocationTreeView::selectedNodes() const {
    return selectionModel()->selectedRows();
}

QModelIndex AllocationTreeView::selectedNode() const {
    const QModelIndexList rows = selectedNodes();
    return rows.isEmpty() ? QModelIndex() : rows.first();
}

void AllocationTreeView::selectNode(const QModelIndex& index) {
    clearSelection();
    if (index.isValid())
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
}

QModelIndex AllocationTreeView::revealNode(const QString& key) {
    const QModelIndex index = node(key);
    if (!index.isValid())
        return {};
    for (QModelIndex above = index.parent(); above.isValid(); above = above.parent())
        expand(above);
    selectNode(index);
    scrollTo(index);
    return index;
}

void AllocationTreeView::expandAllAndSelectRoot() {
    model_.loadAll();
    expandAll();
    selectNode(model_.index(0, 0));
}

AllocationTreeView::Place AllocationTreeView::place() const {
    Place place;
    for (const QString& key : model_.branchKeys())
        (isExpanded(model_.loaded(key)) ? place.expanded : place.collapsed) << key;
    for (const QModelIndex& index : selectedNodes())
        place.selected << keyOf(index);
    place.current = keyOf(currentIndex());
    place.scroll = verticalScrollBar()->value();
    return place;
}

void AllocationTreeView::restorePlace(const Place& place) {
    for (const QString& key : place.collapsed)
        if (const QModelIndex index = model_.loaded(key); index.isValid())
            setExpanded(index, false);
    // Each open branch comes after the one above it: opened (read) in
    // turn, its open children are there as their turn comes. One below a
    // closed branch stays unread.
    for (const QString& key : place.expanded)
        if (const QModelIndex index = model_.loaded(key); index.isValid()) {
            model_.open(index);
            setExpanded(index, true);
        }
    clearSelection();
    if (const QModelIndex current = node(place.current); current.isValid())
        selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
    for (const QString& key : place.selected)
        if (const QModelIndex index = node(key); index.isValid())
            selectionModel()->select(index, QItemSelectionModel::Select);
    // The scroll range follows the layout, which the view otherwise makes
    // later; items further down than those shown are shown as the range
    // grows towards the place.
    executeDelayedItemsLayout();
    for (int range = -1; verticalScrollBar()->maximum() < place.scroll &&
                         verticalScrollBar()->maximum() != range;) {
        range = verticalScrollBar()->maximum();
        verticalScrollBar()->setValue(range);
        executeDelayedItemsLayout();
    }
    verticalScrollBar()->setValue(place.scroll);
}

void AllocationTreeView::setNodeDragging(bool on) {
    locations::LocationTreeView::allowNodeDrags(*this, on);
}

void AllocationTreeView::setDragRule(DragRule rule) {
    dragRule_ = std::move(rule);
}

void AllocationTreeView::setTargetRule(TargetRule rule) {
    targetRule_ = std::move(rule);
}

QModelIndex AllocationTreeView::dropHighlight() const {
    return model_.highlight().isEmpty() ? QModelIndex() : model_.loaded(model_.highlight());
}

void AllocationTreeView::setDropHighlight(const QModelIndex& index) {
    model_.setHighlight(keyOf(index), palette().brush(QPalette::Highlight),
                        palette().brush(QPalette::HighlightedText));
}

void AllocationTreeView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    pressedKey_ = keyOf(indexAt(event->position().toPoint()));
    QTreeView::mousePressEvent(event);
}

void AllocationTreeView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton)
        event->accept();
    else
        QTreeView::mouseReleaseEvent(event);
}

void AllocationTreeView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QTreeView::mouseDoubleClickEvent(event);
}

QModelIndex AllocationTreeView::draggedBy(const QDropEvent* event) const {
    if (event->source() && event->source() != this)
        return {};
    const QMimeData* payload = event->mimeData();
    const QString type = locations::LocationTreeView::nodeMimeType();
    if (!payload || !payload->hasFormat(type))
        return {};
    return model_.loaded(QString::fromUtf8(payload->data(type)));
}

void AllocationTreeView::markTarget(const QModelIndex& dragged, const QPoint& pos) {
    QModelIndex under = indexAt(pos);
    if (targetRule_ && under.isValid() && !targetRule_(dragged, under))
        under = QModelIndex();
    setDropHighlight(under);
}

void AllocationTreeView::startDrag(Qt::DropActions) {
    // The node under the press is dragged, not the first of the selection:
    // with several nodes selected they may be of different kinds.
    QModelIndex dragged = pressedKey_.isEmpty() ? QModelIndex() : model_.loaded(pressedKey_);
    if (!dragged.isValid())
        dragged = selectedNode();
    if (!dragged.isValid())
        return;
    setDropHighlight({});
    if (dragRule_ && !dragRule_(dragged))
        return;
    auto* payload = new QMimeData;
    payload->setData(locations::LocationTreeView::nodeMimeType(), keyOf(dragged).toUtf8());
    auto* drag = new QDrag(this); // the platform lets it go when the drag ends
    drag->setMimeData(payload);
    drag->setPixmap(common::imlLocation(imageOf(dragged)).pixmap(iconSize()));

    pendingDrop_.reset();
    dragRunning_ = true;
    emit dragStarting(dragged, payload);
    drag->exec(Qt::MoveAction);
    dragRunning_ = false;
    setState(NoState);

    const auto drop = std::exchange(pendingDrop_, std::nullopt);
    if (drop)
        emit nodeDropped(model_.loaded(drop->dragged),
                         drop->target.isEmpty() ? QModelIndex() : model_.loaded(drop->target),
                         drop->modifiers);
    setDropHighlight({});
}

void AllocationTreeView::dragEnterEvent(QDragEnterEvent* event) {
    const QModelIndex dragged = draggedBy(event);
    if (!dragged.isValid()) {
        event->ignore();
        return;
    }
    setState(DraggingState);
    markTarget(dragged, event->position().toPoint());
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

void AllocationTreeView::dragMoveEvent(QDragMoveEvent* event) {
    const QModelIndex dragged = draggedBy(event);
    if (!dragged.isValid()) {
        event->ignore();
        return;
    }
    const QPoint pos = event->position().toPoint();
    markTarget(dragged, pos);
    const QRect area = viewport()->rect();
    const int margin = autoScrollMargin();
    if (hasAutoScroll() && (pos.y() - area.top() < margin || area.bottom() - pos.y() < margin))
        startAutoScroll();
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

void AllocationTreeView::dragLeaveEvent(QDragLeaveEvent* event) {
    stopAutoScroll();
    setState(NoState);
    setDropHighlight({});
    event->accept();
}

void AllocationTreeView::dropEvent(QDropEvent* event) {
    stopAutoScroll();
    setState(NoState);
    const QModelIndex dragged = draggedBy(event);
    if (!dragged.isValid()) {
        event->ignore();
        return;
    }
    markTarget(dragged, event->position().toPoint());
    event->setDropAction(Qt::MoveAction);
    event->accept();
    const QModelIndex target = dropHighlight();
    // The keys held are those the drop event carries: the state of the
    // keyboard as the button was let go, not as the drag loop ends.
    if (dragRunning_) {
        pendingDrop_ = Drop{keyOf(dragged), keyOf(target), event->modifiers()};
        return;
    }
    emit nodeDropped(dragged, target, event->modifiers());
    setDropHighlight({});
}

} // namespace allocation
