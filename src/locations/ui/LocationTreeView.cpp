#include "locations/ui/LocationTreeView.h"

#include "locations/ui/LocationImages.h"

#include <QHeaderView>

namespace locations {

namespace {
constexpr int KeyRole = Qt::UserRole + 1;
constexpr int ImageRole = Qt::UserRole + 2;
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
}

void LocationTreeView::fill(const std::vector<TreeNode>& nodes) {
    clear();
    byKey_.clear();
    for (const TreeNode& n : nodes)
        addNode(n);
    for (const TreeNode& n : nodes)
        if (n.expanded)
            if (QTreeWidgetItem* item = node(n.key))
                item->setExpanded(true);
}

bool LocationTreeView::FillUpLocationTree(clsLocations& logic) {
    const auto nodes = logic.FillUpLocationTree();
    if (!nodes)
        return false;
    fill(*nodes);
    return true;
}

QTreeWidgetItem* LocationTreeView::node(const QString& key) const {
    return byKey_.value(key.trimmed(), nullptr);
}

QTreeWidgetItem* LocationTreeView::addNode(const TreeNode& n) {
    QTreeWidgetItem* item = nullptr;
    if (n.parentKey.isEmpty()) {
        item = new QTreeWidgetItem(this);
    } else {
        QTreeWidgetItem* parent = node(n.parentKey);
        if (!parent)
            return nullptr;
        item = new QTreeWidgetItem(parent);
    }
    item->setText(0, n.text);
    item->setData(0, KeyRole, n.key.trimmed());
    setImage(item, n.image);
    byKey_.insert(n.key.trimmed(), item);
    return item;
}

void LocationTreeView::forget(QTreeWidgetItem* item) {
    byKey_.remove(keyOf(item));
    for (int i = 0; i < item->childCount(); ++i)
        forget(item->child(i));
}

void LocationTreeView::removeNode(const QString& key) {
    QTreeWidgetItem* item = node(key);
    if (!item)
        return;
    forget(item);
    delete item;
}

void LocationTreeView::reparent(const QString& key, const QString& parentKey) {
    QTreeWidgetItem* item = node(key);
    QTreeWidgetItem* parent = node(parentKey);
    if (!item || !parent || item == parent)
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
    item->setIcon(0, imlLocation(imageIndex));
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
    return NodeInfo{keyOf(item), item->text(0), imageOf(item),
                    item->parent() ? keyOf(item->parent()) : QString(), item->childCount()};
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

void LocationTreeView::expandAllAndSelectRoot() {
    expandAll();
    selectNode(topLevelItemCount() > 0 ? topLevelItem(0) : nullptr);
}

} // namespace locations
