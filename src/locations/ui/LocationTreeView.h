#pragma once

#include "locations/clsLocations.h"

#include <QHash>
#include <QTreeWidget>

#include <functional>
#include <optional>

class QDropEvent;
class QMimeData;

namespace locations {

// A tree view of locations: nodes carry their key and image index, and are
// found by key. Every tree that shows locations is one of these.
//
// Filled from the logic, the tree reads one level at a time: the top
// first (the root, the system locations and the children of the branches
// that open), and a node's children when it opens or when a node below it
// is asked for by key. A node whose children are not read yet shows its
// expand indicator; the rest of the tree does not exist until it is read,
// so a tree shows as fast whatever the number of locations.
//
// The right mouse button starts no drag and, by itself, changes nothing; a
// tree with a context menu gives it a common::RowMenu, which makes the node
// under the pointer the selected node before the menu shows.
//
// A tree may let the user drag its nodes onto one another. The dragged node
// is the one the mouse pressed, whatever else is selected. While it is
// dragged the node under the pointer is highlighted as the drop target; the
// drop is reported by nodeDropped once the drag has ended, so whatever the
// receiver asks the user is asked outside the platform's drag loop.
class LocationTreeView : public QTreeWidget {
    Q_OBJECT
public:
    explicit LocationTreeView(QWidget* parent = nullptr);

    // Replaces every node with the given ones (parents before children). A
    // node that has children (hasChildren) of which none is given is left
    // unread: its children are read from the logic the tree was filled
    // from, if any, when it opens.
    void fill(const std::vector<TreeNode>& nodes);
    // Fills the tree from the database, its top only (see above), and
    // reads from this logic from then on; leaves the tree as it was when
    // the location rows cannot give a tree (the logic has said why).
    bool FillUpLocationTree(clsLocations& logic);

    // The node of a key, read with whatever it takes: the branches above
    // it and its own children, so that it stands with the children it has.
    // Null when the location is not in the tree, or not below branches as
    // they were read (a read branch is not read again until a refill).
    QTreeWidgetItem* node(const QString& key);
    // Reads a node's children if they are not read yet.
    void readChildren(QTreeWidgetItem* item);
    // Whether a node has children that are not read yet.
    static bool hasUnreadChildren(const QTreeWidgetItem* item);
    // Adds a node as the last child of its parent (read first, so that the
    // node joins the children it has); a node of that key read meanwhile
    // is moved there and takes the given text and image.
    QTreeWidgetItem* addNode(const TreeNode& node);
    void removeNode(const QString& key);
    // Makes parentKey's node the parent of key's node. A parent whose
    // children are not read yet is read, which places a node stored under
    // it already among its children in their order.
    void reparent(const QString& key, const QString& parentKey);
    static void setImage(QTreeWidgetItem* item, int imageIndex);

    static QString keyOf(const QTreeWidgetItem* item);
    static int imageOf(const QTreeWidgetItem* item);
    // What a window knows of a node; a node whose children are not read
    // yet counts at least one child.
    static std::optional<NodeInfo> infoOf(const QTreeWidgetItem* item);

    // The selected node, or null.
    QTreeWidgetItem* selectedNode() const;
    void selectNode(QTreeWidgetItem* item);
    // Opens the branches above a node, selects it and scrolls it into view;
    // null (and the selection as it was) when no node has the key.
    QTreeWidgetItem* revealNode(const QString& key);
    // Expands every node and selects the first node, the root: every
    // location is read first (the nodes not read yet are added, those shown
    // stay as they are).
    void expandAllAndSelectRoot();

    // Where the user is in the tree: the open and the closed branches, the
    // selected nodes, the current node and how far the view is scrolled.
    struct Place {
        QStringList expanded;
        QStringList collapsed;
        QStringList selected;
        QString current;
        int scroll = 0;
    };
    Place place() const;
    // Goes back to a place after a refill: branches open or closed as they
    // were (the open ones read again), the same nodes selected and current,
    // the view scrolled as it was. Nodes that have gone are passed over; new
    // ones stay as filled.
    void restorePlace(const Place& place);

    // Lets the user drag nodes within this tree. Off unless a tree asks.
    void setNodeDragging(bool on);
    // What setNodeDragging sets, for any view that drags nodes this way.
    static void allowNodeDrags(QAbstractItemView& view, bool on);
    // True while a drag of one of its nodes is under way.
    bool dragRunning() const { return dragRunning_; }
    // Whether a node may be dragged at all; a refused node starts no drag
    // (the rule may say why). Every node may while no rule is set.
    using DragRule = std::function<bool(QTreeWidgetItem* dragged)>;
    void setDragRule(DragRule rule);
    // Whether a dragged node may be dropped on the node under the pointer;
    // a refused target is not highlighted, and a drop there comes without a
    // target. Every node is a target while no rule is set.
    using TargetRule =
        std::function<bool(const QTreeWidgetItem* dragged, const QTreeWidgetItem* target)>;
    void setTargetRule(TargetRule rule);
    // The node highlighted as the drop target, or null.
    QTreeWidgetItem* dropHighlight() const;
    void setDropHighlight(QTreeWidgetItem* item);

    // The drag payload that names a node of a location tree.
    static QString nodeMimeType();

signals:
    // The user chose a node, by a click or by moving to it with the keys;
    // it is now the selected node.
    void nodeClicked(QTreeWidgetItem* item);
    // A mouse button was released over the tree (pos on the screen).
    void mouseReleased(Qt::MouseButton button, const QPoint& globalPos);
    // A drag of the node is about to run with the given payload.
    void dragStarting(QTreeWidgetItem* dragged, const QMimeData* payload);
    // A dragged node was dropped; target is the highlighted node or null,
    // modifiers the keys held as it was dropped.
    void nodeDropped(QTreeWidgetItem* dragged, QTreeWidgetItem* target,
                     Qt::KeyboardModifiers modifiers);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // A node's item, not yet in any tree; unread when it has children that
    // are not read.
    static QTreeWidgetItem* makeItem(const QString& text, const QString& key, int imageIndex,
                                     bool unread = false);
    // The node of a key as the tree holds it, reading nothing.
    QTreeWidgetItem* find(const QString& key) const;
    // The node of a key with the branches above it read, not its own.
    QTreeWidgetItem* reach(const QString& key);
    // Adds every location not read yet under the nodes not read yet.
    void readEverything();
    void forget(QTreeWidgetItem* item);
    // The node a drag over this tree carries, or null when the drag comes
    // from elsewhere or names none of our nodes.
    QTreeWidgetItem* draggedBy(const QDropEvent* event) const;
    // Highlights the node under a viewport point as the drop target.
    void markTarget(QTreeWidgetItem* dragged, const QPoint& pos);

    QHash<QString, QTreeWidgetItem*> byKey_;
    // The logic the tree was filled from, which reads the levels below.
    clsLocations* logic_ = nullptr;
    TargetRule targetRule_;
    DragRule dragRule_;
    QString highlightKey_;
    // The node the left button last pressed: the one a drag takes.
    QString pressedKey_;
    // A drop seen while this tree's own drag is running: the keys of the
    // dragged node and of the target (empty for none), and the keys held.
    struct Drop {
        QString dragged;
        QString target;
        Qt::KeyboardModifiers modifiers;
    };
    bool dragRunning_ = false;
    std::optional<Drop> pendingDrop_;
};

} // namespace locations
