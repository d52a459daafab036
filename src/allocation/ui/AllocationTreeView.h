#pragma once

#include "locations/ui/LocationTreeView.h"

#include <QTreeView>

#include <functional>
#include <optional>

class QDropEvent;
class QMimeData;

namespace allocation {

class AllocationModel;

// The allocation tree: a view over an AllocationModel that behaves as every
// location tree does (see locations::LocationTreeView): nodes are found by
// key, the right button starts no drag and changes nothing by itself, the
// dragged node is the one the mouse pressed, the node under the pointer is
// highlighted as the drop target, and the drop is reported by nodeDropped
// once the platform's drag has ended.
//
// The top of the location tree is read as it is filled; a location's child
// locations and items as it opens, or when a node below it is asked for by
// key (node, revealNode, restorePlace). A location's items become nodes a
// batch at a time: the view asks for the next batch when the last of those
// shown comes near the screen, wherever the location stands in the tree.
class AllocationTreeView : public QTreeView {
    Q_OBJECT
public:
    using Place = locations::LocationTreeView::Place;

    AllocationTreeView(AllocationModel& model, QWidget* parent = nullptr);

    AllocationModel& nodes() const { return model_; }
    // Replaces every node with the given locations (the top of the tree),
    // their items not read; the branches the nodes say are opened.
    void fill(const std::vector<locations::TreeNode>& locations);

    // The node of a key, the locations on its path read when needed;
    // invalid when there is none.
    QModelIndex node(const QString& key) const;
    static QString keyOf(const QModelIndex& index);
    static int imageOf(const QModelIndex& index);

    // The selected nodes, and the first of them (invalid for none).
    QModelIndexList selectedNodes() const;
    QModelIndex selectedNode() const;
    void selectNode(const QModelIndex& index);
    // Opens the branches above a node, selects it and scrolls it into view;
    // invalid (and the selection as it was) when no node has the key.
    QModelIndex revealNode(const QString& key);
    // Expands every node, every location's items read, and selects the
    // root.
    void expandAllAndSelectRoot();

    Place place() const;
    void restorePlace(const Place& place);

    void setNodeDragging(bool on);
    // True while a drag of one of its nodes is under way.
    bool dragRunning() const { return dragRunning_; }
    using DragRule = std::function<bool(const QModelIndex& dragged)>;
    void setDragRule(DragRule rule);
    using TargetRule = std::function<bool(const QModelIndex& dragged, const QModelIndex& target)>;
    void setTargetRule(TargetRule rule);
    QModelIndex dropHighlight() const;
    void setDropHighlight(const QModelIndex& index);

signals:
    // A drag of the node is about to run with the given payload.
    void dragStarting(const QModelIndex& dragged, const QMimeData* payload);
    // A dragged node was dropped; target is the highlighted node or
    // invalid, modifiers the keys held as it was dropped.
    void nodeDropped(const QModelIndex& dragged, const QModelIndex& target,
                     Qt::KeyboardModifiers modifiers);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void updateGeometries() override;

private:
    QModelIndex draggedBy(const QDropEvent* event) const;
    void markTarget(const QModelIndex& dragged, const QPoint& pos);
    // Shows the next items of every location whose last shown item is on
    // the screen or the one below it.
    void showItemsNearView();

    AllocationModel& model_;
    TargetRule targetRule_;
    DragRule dragRule_;
    QString pressedKey_;
    struct Drop {
        QString dragged;
        QString target;
        Qt::KeyboardModifiers modifiers;
    };
    bool dragRunning_ = false;
    bool showingItems_ = false;
    std::optional<Drop> pendingDrop_;
};

} // namespace allocation
