#pragma once

#include "common/ui/MainWindow.h"
#include "common/ui/Page.h"

#include <QList>
#include <QString>
#include <QTreeWidgetItem>

#include <optional>
#include <utility>
#include <vector>

class QPushButton;

namespace common {
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
//
// Its context menu (mnuAllocation) and keys move without the mouse: "Move
// to…" (Ctrl+M) asks for a location with the location picker and moves the
// selected items there as a drop onto it would; "Undo Move" (Ctrl+Z) moves
// the items of the last move back.
class pgAllocation : public common::Page, public common::MenuClient {
    Q_OBJECT
public:
    explicit pgAllocation(common::MainWindow& main);

    // SetUpAllocForm: the location tree with every location's items.
    void rebuild() override;
    // Refills the tree keeping open branches and the selected nodes.
    void refill() override;
    QWidgetList tabOrder() const override;
    QString hint() const override;
    QString helpTopic() const override;

    // Selects an item's node, its branch opened and in view: a stock item
    // by id, a licence by the group of its product, type and location,
    // which then stands for that licence (for its history). False when the
    // tree has no such node.
    bool showStock(int stockId);
    bool showLicence(int licId, bool temporary, int prodId, int locId);
    // The item of the selected node, as a history type ("S" or "L") and
    // id: a stock item, or a licence group's licence (the one shown by
    // showLicence, else its first); no value for any other node.
    std::optional<std::pair<QString, int>> selectedItem();

signals:
    // Ctrl+H on the tree: the history of the selected item is wanted.
    void historyRequested(int itemId, const QString& itemType);

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

    // The right button over the tree (after the node under the pointer
    // became selected), the Menu key or Shift+F10: the menu for the
    // selection.
    void tvSourceLoc_MouseUp(Qt::MouseButton button, const QPoint& globalPos);
    // "Move to…": the selected items to a location chosen in the picker, as
    // a drop there moves them (wholeGroups: as a drop with Shift held,
    // Ctrl+Shift+M).
    void moveTo(bool wholeGroups = false);
    // "Undo Move": the items of the last move back where they came from.
    void undoMove();

    void menuChosen(const QString& array, int index) override;

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
    // Ctrl+H: asks for the selected item's history.
    void showHistory();
    // The item that a Move to… moves as a drag would move the dragged
    // node: the current node when it is a selected item, else the first
    // selected item; null when no item is selected.
    QTreeWidgetItem* leadItem() const;
    void finishDrop();

    common::MainWindow& main_;
    locations::LocationTreeView* tvSourceLoc = nullptr;
    QPushButton* btnExpandAlloc = nullptr;
    // The licence that showLicence stood its group for.
    QString shownGroupKey_;
    int shownLicence_ = 0;
};

} // namespace allocation
