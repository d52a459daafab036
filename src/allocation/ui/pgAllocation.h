#pragma once

#include "common/ui/Page.h"

#include <QList>
#include <QTreeWidgetItem>

#include <vector>

class QPushButton;

namespace common {
class MainWindow;
struct NodeKey;
} // namespace common
namespace locations {
class LocationTreeView;
}

namespace allocation {

struct MoveUpdate;

// Page " &Allocation": every location with the stock items and licence
// groups it holds; items move by drag and drop. The tree changes only after
// the database took the move.
class pgAllocation : public common::Page {
    Q_OBJECT
public:
    explicit pgAllocation(common::MainWindow& main);

    // SetUpAllocForm: the location tree with every location's items.
    void rebuild() override;
    // Refills the tree keeping open branches and the selected nodes.
    void refill() override;
    QWidgetList tabOrder() const override;
    QString hint() const override;

public slots:
    // The node the user dragged, dropped onto another (target null for
    // none), with the keys held at the drop. Only a dragged item moves
    // anything; the other items selected with it move along, selected
    // locations stay. A licence group moves one licence, or every licence
    // of the group when Shift is held as it is dropped.
    void dropItem(QTreeWidgetItem* dragged, QTreeWidgetItem* target,
                  Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // Moves several items at once: stock nodes, and one licence of each
    // licence group or, with wholeGroups, every licence of it.
    void dropItems(const QList<QTreeWidgetItem*>& items, QTreeWidgetItem* target,
                   bool wholeGroups = false);

private:
    // Changes the tree for moves the database took: stock nodes change
    // parents, licence groups are replaced by their new counts. The rest of
    // the tree stays as it is, open branches included.
    void showMoves(const std::vector<MoveUpdate>& updates);
    void showMove(const MoveUpdate& update);
    static common::NodeKey nodeKey(const QTreeWidgetItem* node);
    // Replaces a location's licence group nodes of one kind.
    void replaceGroups(int locId, QChar kind, const MoveUpdate& update, bool atTarget);
    bool refuseDragStart(QTreeWidgetItem* dragged);
    void finishDrop();

    common::MainWindow& main_;
    locations::LocationTreeView* tvSourceLoc = nullptr;
    QPushButton* btnExpandAlloc = nullptr;
};

} // namespace allocation
