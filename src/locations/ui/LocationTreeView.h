#pragma once

#include "locations/clsLocations.h"

#include <QHash>
#include <QTreeWidget>

#include <optional>

namespace locations {

// A tree view of locations: nodes carry their key and image index, and are
// found by key. Every tree that shows locations is one of these.
class LocationTreeView : public QTreeWidget {
    Q_OBJECT
public:
    explicit LocationTreeView(QWidget* parent = nullptr);

    // Replaces every node with the given ones (parents before children).
    void fill(const std::vector<TreeNode>& nodes);
    // Fills the tree from the database; leaves it as it was when the
    // location rows cannot give a tree (the logic has said why).
    bool FillUpLocationTree(clsLocations& logic);

    QTreeWidgetItem* node(const QString& key) const;
    QTreeWidgetItem* addNode(const TreeNode& node);
    void removeNode(const QString& key);
    // Makes parentKey's node the parent of key's node.
    void reparent(const QString& key, const QString& parentKey);
    void setImage(QTreeWidgetItem* item, int imageIndex);

    static QString keyOf(const QTreeWidgetItem* item);
    static int imageOf(const QTreeWidgetItem* item);
    static std::optional<NodeInfo> infoOf(const QTreeWidgetItem* item);

    // The selected node, or null.
    QTreeWidgetItem* selectedNode() const;
    void selectNode(QTreeWidgetItem* item);
    // Expands every node and selects the first node, the root.
    void expandAllAndSelectRoot();

signals:
    // The user clicked a node, which is now the selected node.
    void nodeClicked(QTreeWidgetItem* item);

private:
    void forget(QTreeWidgetItem* item);

    QHash<QString, QTreeWidgetItem*> byKey_;
};

} // namespace locations
