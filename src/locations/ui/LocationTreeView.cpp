#include "locations/ui/LocationTreeView.h"

#include "common/NodeKey.h"
#include "common/ui/Images.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSet>

#include <utility>

namespace locations {

namespace {

constexpr int KeyRole = Qt::UserRole + 1;
constexpr int ImageRole = Qt::UserRole + 2;

// A node of a location tree. Its key and image index are plain members and
// its icon comes from the image index when asked for, so that making and
// dropping thousands of nodes costs one stored value (the text) each
// rather than four. Read through data() they are the same roles as ever.
// A node whose children are not read yet is unread: it shows the expand
// indicator without children.
class LocationItem : public QTreeWidgetItem {
public:
    LocationItem(const QString& text, QString key, int imageIndex, bool unread)
        : QTreeWidgetItem(UserType), key_(std::move(key)), image_(imageIndex), unread_(unread) {
        setText(0, text);
        if (unread)
            setChildIndicatorPolicy(ShowIndicator);
    }

    bool unread() const { return unread_; }
    void setRead() {
        if (!unread_)
            return;
        unread_ = false;
        setChildIndicatorPolicy(DontShowIndicatorWhenChildless);
    }

    QVariant data(int column, int role) const override {
        if (column == 0) {
            if (role == KeyRole)
                return key_;
            if (role == ImageRole)
                return image_;
            if (role == Qt::DecorationRole) {
                const QVariant set = QTreeWidgetItem::data(column, role);
                return set.isValid() ? set : QVariant(common::imlLocation(image_));
            }
        }
        return QTreeWidgetItem::data(column, role);
    }

    void setData(int column, int role, const QVariant& value) override {
        if (column == 0 && role == KeyRole) {
            key_ = value.toString();
        } else if (column == 0 && role == ImageRole) {
            image_ = value.toInt();
        } else {
            QTreeWidgetItem::setData(column, role, value);
            return;
        }
        emitDataChanged();
    }

private:
    QString key_;
    int image_;
    bool unread_;
};

LocationItem* unreadItem(QTreeWidgetItem* item) {
    auto* location = dynamic_cast<LocationItem*>(item);
    return location && location->unread() ? location : nullptr;
}

} // namespace

LocationTreeView::LocationTreeView(QWidget* parent) : QTreeWidget(parent) {
    setColumnCount(1);
    setHeaderHidden(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setIconSize(QSize(16, 16));
    connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int) {
        if (item && item == selectedNode())
            emit nodeClicked(item);
    });
    // A node opened for the first time reads its children.
    connect(this, &QTreeWidget::itemExpanded, this, &LocationTreeView::readChildren);
}

void LocationTreeView::fill(const std::vector<TreeNode>& nodes) {
    clear();
    byKey_.clear();
    highlightKey_.clear();
    // The items are made and joined to their parents off the widget, where
    // setting their data tells no one, and the whole tree goes in at once:
    // the view hears of one insertion instead of one per node.
    QList<QTreeWidgetItem*> topLevel;
    std::vector<QTreeWidgetItem*> withChildren;
    for (const TreeNode& n : nodes) {
        QTreeWidgetItem* parent = nullptr;
        if (!n.parentKey.isEmpty()) {
            parent = find(n.parentKey);
            if (!parent)
                continue;
        }
        const QString key = n.key.trimmed();
        QTreeWidgetItem* item = makeItem(n.text, key, n.image, n.hasChildren);
        if (parent)
            parent->addChild(item);
        else
            topLevel << item;
        byKey_.insert(key, item);
        if (n.hasChildren)
            withChildren.push_back(item);
    }
    // A node given with its children is read.
    for (QTreeWidgetItem* item : withChildren)
        if (item->childCount() > 0)
            static_cast<LocationItem*>(item)->setRead();
    addTopLevelItems(topLevel);
    for (const TreeNode& n : nodes)
        if (n.expanded)
            if (QTreeWidgetItem* item = find(n.key))
                item->setExpanded(true);
}

bool LocationTreeView::FillUpLocationTree(clsLocations& logic) {
    const auto nodes = logic.TopOfLocationTree();
    if (!nodes)
        return false;
    logic_ = &logic;
    fill(*nodes);
    return true;
}

QTreeWidgetItem* LocationTreeView::find(const QString& key) const {
    return byKey_.value(key.trimmed(), nullptr);
}

QTreeWidgetItem* LocationTreeView::node(const QString& key) {
    QTreeWidgetItem* item = reach(key);
    if (item)
        readChildren(item);
    return item;
}

QTreeWidgetItem* LocationTreeView::reach(const QString& key) {
    const QString wanted = key.trimmed();
    QTreeWidgetItem* item = find(wanted);
    if (!item && logic_) {
        // Down from the root along the location's parents, reading each
        // branch not read yet; a branch read already is taken as it is.
        const common::NodeKey parsed = common::parseNodeKey(wanted);
        if (parsed.kind == QLatin1Char('L') && parsed.id > 0) {
            const QStringList path = logic_->LocationKeyPath(parsed.id);
            for (qsizetype i = 0; i + 1 < path.size(); ++i) {
                QTreeWidgetItem* above = find(path[i]);
                if (!above)
                    break;
                readChildren(above);
            }
            item = find(wanted);
        }
    }
    return item;
}

bool LocationTreeView::hasUnreadChildren(const QTreeWidgetItem* item) {
    const auto* location = dynamic_cast<const LocationItem*>(item);
    return location && location->unread();
}

void LocationTreeView::readChildren(QTreeWidgetItem* item) {
    LocationItem* unread = unreadItem(item);
    if (!unread || !logic_)
        return;
    const std::vector<TreeNode> children = logic_->ChildLocations(keyOf(item));
    unread->setRead();
    // Made off the widget and added at once; a node the tree holds already
    // elsewhere (moved here since that branch was read) joins them as it is.
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(children.size()));
    for (const TreeNode& n : children) {
        const QString key = n.key.trimmed();
        if (QTreeWidgetItem* shown = find(key)) {
            bool above = false;
            for (QTreeWidgetItem* p = item; p && !above; p = p->parent())
                above = p == shown;
            if (above)
                continue;
            if (QTreeWidgetItem* oldParent = shown->parent())
                oldParent->removeChild(shown);
            else
                takeTopLevelItem(indexOfTopLevelItem(shown));
            items << shown;
            continue;
        }
        QTreeWidgetItem* child = makeItem(n.text, key, n.image, n.hasChildren);
        byKey_.insert(key, child);
        items << child;
    }
    item->addChildren(items);
}

QTreeWidgetItem* LocationTreeView::makeItem(const QString& text, const QString& key, int imageIndex,
                                            bool unread) {
    return new LocationItem(text, key, imageIndex, unread);
}

QTreeWidgetItem* LocationTreeView::addNode(const TreeNode& n) {
    QTreeWidgetItem* parent = nullptr;
    if (!n.parentKey.isEmpty()) {
        parent = node(n.parentKey);
        if (!parent)
            return nullptr;
    }
    const QString key = n.key.trimmed();
    QTreeWidgetItem* item = find(key);
    if (item) {
        // Read with its parent's children just now, or shown elsewhere: it
        // goes last under the parent, as a new node does.
        if (QTreeWidgetItem* oldParent = item->parent())
            oldParent->removeChild(item);
        else
            takeTopLevelItem(indexOfTopLevelItem(item));
        item->setText(0, n.text);
        setImage(item, n.image);
    } else {
        item = makeItem(n.text, key, n.image, n.hasChildren);
        byKey_.insert(key, item);
    }
    if (parent)
        parent->addChild(item);
    else
        addTopLevelItem(item);
    return item;
}

void LocationTreeView::forget(QTreeWidgetItem* item) {
    byKey_.remove(keyOf(item));
    for (int i = 0; i < item->childCount(); ++i)
        forget(item->child(i));
}

void LocationTreeView::removeNode(const QString& key) {
    QTreeWidgetItem* item = find(key);
    if (!item)
        return;
    forget(item);
    delete item;
}

void LocationTreeView::reparent(const QString& key, const QString& parentKey) {
    QTreeWidgetItem* item = find(key);
    QTreeWidgetItem* parent = item ? node(parentKey) : nullptr;
    if (!item || !parent || item == parent || item->parent() == parent)
        return;
    for (QTreeWidgetItem* p = parent; p; p = p->parent())
        if (p == item)
            return; // a node cannot go under its own descendant
    QTreeWidgetItem* oldParent = item->parent();
    if (oldParent)
        oldParent->removeChild(item);
    else
        takeTopLevelItem(indexOfTopLevelItem(item));
    parent->addChild(item);
}

void LocationTreeView::setImage(QTreeWidgetItem* item, int imageIndex) {
    item->setData(0, ImageRole, imageIndex);
    // A location node draws the icon of its image; any other item is told.
    if (!dynamic_cast<LocationItem*>(item))
        item->setIcon(0, common::imlLocation(imageIndex));
}

QString LocationTreeView::keyOf(const QTreeWidgetItem* item) {
    return item ? item->data(0, KeyRole).toString() : QString();
}

int LocationTreeView::imageOf(const QTreeWidgetItem* item) {
    return item ? item->data(0, ImageRole).toInt() : 0;
}

std::optional<NodeInfo> LocationTreeView::infoOf(const QTreeWidgetItem* item) {
    if (!item)
        return std::nullopt;
    const int children = item->childCount();
    return NodeInfo{keyOf(item), item->text(0), imageOf(item),
                    item->parent() ? keyOf(item->parent()) : QString(),
                    children == 0 && hasUnreadChildren(item) ? 1 : children};
}

QTreeWidgetItem* LocationTreeView::selectedNode() const {
    const auto items = selectedItems();
    return items.isEmpty() ? nullptr : items.first();
}

void LocationTreeView::selectNode(QTreeWidgetItem* item) {
    clearSelection();
    if (item) {
        item->setSelected(true);
        setCurrentItem(item);
    }
}

QTreeWidgetItem* LocationTreeView::revealNode(const QString& key) {
    QTreeWidgetItem* item = node(key);
    if (!item)
        return nullptr;
    for (QTreeWidgetItem* above = item->parent(); above; above = above->parent())
        above->setExpanded(true);
    selectNode(item);
    scrollToItem(item);
    return item;
}

void LocationTreeView::expandAllAndSelectRoot() {
    readEverything();
    expandAll();
    selectNode(topLevelItemCount() > 0 ? topLevelItem(0) : nullptr);
}

void LocationTreeView::readEverything() {
    if (!logic_)
        return;
    bool anyUnread = false;
    for (auto it = byKey_.cbegin(); it != byKey_.cend() && !anyUnread; ++it)
        anyUnread = hasUnreadChildren(it.value());
    if (!anyUnread)
        return;
    const auto nodes = logic_->FillUpLocationTree();
    if (!nodes)
        return;
    // A node goes in when its parent was not read, or is new itself; the
    // new nodes under a node shown are added to it at once.
    QHash<QTreeWidgetItem*, QList<QTreeWidgetItem*>> under;
    std::vector<QTreeWidgetItem*> order;
    QSet<QTreeWidgetItem*> fresh;
    for (const TreeNode& n : *nodes) {
        const QString key = n.key.trimmed();
        if (find(key))
            continue;
        QTreeWidgetItem* parent = find(n.parentKey);
        if (!parent || !(fresh.contains(parent) || hasUnreadChildren(parent)))
            continue;
        QTreeWidgetItem* item = makeItem(n.text, key, n.image);
        byKey_.insert(key, item);
        fresh.insert(item);
        if (fresh.contains(parent)) {
            parent->addChild(item);
        } else {
            auto& list = under[parent];
            if (list.isEmpty())
                order.push_back(parent);
            list << item;
        }
    }
    for (auto it = byKey_.cbegin(); it != byKey_.cend(); ++it)
        if (LocationItem* unread = unreadItem(it.value()))
            unread->setRead();
    for (QTreeWidgetItem* parent : order)
        parent->addChildren(under.value(parent));
}

LocationTreeView::Place LocationTreeView::place() const {
    Place place;
    for (auto it = byKey_.cbegin(); it != byKey_.cend(); ++it) {
        const QTreeWidgetItem* item = it.value();
        if (item->childCount() == 0 && !hasUnreadChildren(item))
            continue;
        (item->isExpanded() ? place.expanded : place.collapsed) << it.key();
    }
    for (const QTreeWidgetItem* item : selectedItems())
        place.selected << keyOf(item);
    place.current = keyOf(currentItem());
    place.scroll = verticalScrollBar()->value();
    return place;
}

void LocationTreeView::restorePlace(const Place& place) {
    // A closed branch not read again is closed already; an open one is
    // read again, with the branches above it.
    for (const QString& key : place.collapsed)
        if (QTreeWidgetItem* item = find(key))
            item->setExpanded(false);
    for (const QString& key : place.expanded)
        if (QTreeWidgetItem* item = reach(key))
            item->setExpanded(true);
    clearSelection();
    if (QTreeWidgetItem* current = reach(place.current))
        setCurrentItem(current, 0, QItemSelectionModel::NoUpdate);
    for (const QString& key : place.selected)
        if (QTreeWidgetItem* item = reach(key))
            item->setSelected(true);
    // The scroll range follows the layout, which the view otherwise makes
    // later.
    executeDelayedItemsLayout();
    verticalScrollBar()->setValue(place.scroll);
}

void LocationTreeView::setNodeDragging(bool on) {
    allowNodeDrags(*this, on);
}

void LocationTreeView::allowNodeDrags(QAbstractItemView& view, bool on) {
    view.setDragDropMode(on ? QAbstractItemView::DragDrop : QAbstractItemView::NoDragDrop);
    view.setDragEnabled(on);
    view.setAcceptDrops(on);
    view.viewport()->setAcceptDrops(on);
    // The target is shown by highlighting the node, not by a drop line.
    view.setDropIndicatorShown(false);
}

void LocationTreeView::setDragRule(DragRule rule) {
    dragRule_ = std::move(rule);
}

void LocationTreeView::setTargetRule(TargetRule rule) {
    targetRule_ = std::move(rule);
}

QTreeWidgetItem* LocationTreeView::dropHighlight() const {
    return highlightKey_.isEmpty() ? nullptr : find(highlightKey_);
}

void LocationTreeView::setDropHighlight(QTreeWidgetItem* item) {
    QTreeWidgetItem* old = dropHighlight();
    if (old == item)
        return;
    if (old) {
        old->setData(0, Qt::BackgroundRole, QVariant());
        old->setData(0, Qt::ForegroundRole, QVariant());
    }
    highlightKey_ = keyOf(item);
    if (item) {
        item->setBackground(0, palette().brush(QPalette::Highlight));
        item->setForeground(0, palette().brush(QPalette::HighlightedText));
    }
}

QString LocationTreeView::nodeMimeType() {
    return QStringLiteral("application/x-vemora-location-node");
}

void LocationTreeView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    pressedKey_ = keyOf(itemAt(event->position().toPoint()));
    QTreeWidget::mousePressEvent(event);
}

void LocationTreeView::keyPressEvent(QKeyEvent* event) {
    QTreeWidgetItem* before = selectedNode();
    QTreeWidget::keyPressEvent(event);
    QTreeWidgetItem* after = selectedNode();
    // Reaching a node with the arrow keys chooses it as a click does.
    if (after && after != before)
        emit nodeClicked(after);
}

void LocationTreeView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton)
        event->accept();
    else
        QTreeWidget::mouseReleaseEvent(event);
    emit mouseReleased(event->button(), event->globalPosition().toPoint());
}

void LocationTreeView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QTreeWidget::mouseDoubleClickEvent(event);
}

QTreeWidgetItem* LocationTreeView::draggedBy(const QDropEvent* event) const {
    if (event->source() && event->source() != this)
        return nullptr;
    const QMimeData* payload = event->mimeData();
    if (!payload || !payload->hasFormat(nodeMimeType()))
        return nullptr;
    return find(QString::fromUtf8(payload->data(nodeMimeType())));
}

void LocationTreeView::markTarget(QTreeWidgetItem* dragged, const QPoint& pos) {
    QTreeWidgetItem* under = itemAt(pos);
    if (targetRule_ && under && !targetRule_(dragged, under))
        under = nullptr;
    setDropHighlight(under);
}

void LocationTreeView::startDrag(Qt::DropActions) {
    // The node under the press is dragged, not the first of the selection:
    // with several nodes selected they may be of different kinds.
    QTreeWidgetItem* dragged = pressedKey_.isEmpty() ? nullptr : find(pressedKey_);
    if (!dragged)
        dragged = selectedNode();
    if (!dragged)
        return;
    setDropHighlight(nullptr);
    if (dragRule_ && !dragRule_(dragged))
        return;
    auto* payload = new QMimeData;
    payload->setData(nodeMimeType(), keyOf(dragged).toUtf8());
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
        emit nodeDropped(find(drop->dragged), drop->target.isEmpty() ? nullptr : find(drop->target),
                         drop->modifiers);
    setDropHighlight(nullptr);
}

void LocationTreeView::dragEnterEvent(QDragEnterEvent* event) {
    QTreeWidgetItem* dragged = draggedBy(event);
    if (!dragged) {
        event->ignore();
        return;
    }
    setState(DraggingState);
    markTarget(dragged, event->position().toPoint());
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

void LocationTreeView::dragMoveEvent(QDragMoveEvent* event) {
    QTreeWidgetItem* dragged = draggedBy(event);
    if (!dragged) {
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

void LocationTreeView::dragLeaveEvent(QDragLeaveEvent* event) {
    stopAutoScroll();
    setState(NoState);
    setDropHighlight(nullptr);
    event->accept();
}

void LocationTreeView::dropEvent(QDropEvent* event) {
    stopAutoScroll();
    setState(NoState);
    QTreeWidgetItem* dragged = draggedBy(event);
    if (!dragged) {
        event->ignore();
        return;
    }
    markTarget(dragged, event->position().toPoint());
    event->setDropAction(Qt::MoveAction);
    event->accept();
    QTreeWidgetItem* target = dropHighlight();
    // The keys held are those the drop event carries: the state of the
    // keyboard as the button was let go, not as the drag loop ends.
    if (dragRunning_) {
        pendingDrop_ = Drop{keyOf(dragged), keyOf(target), event->modifiers()};
        return;
    }
    emit nodeDropped(dragged, target, event->modifiers());
    setDropHighlight(nullptr);
}

} // namespace locations
