#pragma once

#include "common/ui/MainWindow.h"
#include "common/ui/Page.h"

#include <QAbstractItemModel>
#include <QString>

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

class QPushButton;

namespace common {
struct NodeKey;
} // namespace common
namespace allocation {

struct MoveUpdate;
class AllocationModel;
class AllocationTreeView;

// Page " &Allocation": every location with the stock items and licence
// groups it holds; items move by drag and drop. The tree changes only after
// the database took the move.
//
// The tree is a view over an AllocationModel kept for the life of the page:
// the top of the location tree is read as the page is filled, a location's
// child locations and items as it opens. A move changes the nodes in place;
// entering the page again reads nothing unless something else was written
// to the register since, and then only the top and the open branches.
//
// Its context menu (mnuAllocation) and keys move without the mouse: "Move
// to…" (Ctrl+M) asks for a location with the location picker and moves the
// selected items there as a drop onto it would; "Undo Move" (Ctrl+Z) moves
// the items of the last move back.
class pgAllocation : public common::Page, public common::MenuClient {
    Q_OBJECT
public:
    explicit pgAllocation(common::MainWindow& main);

    // SetUpAllocForm: the top of the location tree, each location's child
    // locations and items read as it opens.
    void rebuild() override;
    // Refills the tree keeping open branches and the selected nodes, when
    // the register changed since the tree was filled other than by the
    // moves it shows: the top and the open branches are read again.
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
    // The node the user dragged, dropped onto another (target invalid for
    // none), with the keys held at the drop. Only a dragged item moves
    // anything; the other items selected with it move along, selected
    // locations stay. A licence group moves one licence, or every licence
    // of the group when Shift is held as it is dropped.
    void dropItem(const QModelIndex& dragged, const QModelIndex& target,
                  Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // Moves several items at once: stock nodes, and one licence of each
    // licence group or, with wholeGroups, every licence of it.
    void dropItems(const QModelIndexList& items, const QModelIndex& target,
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
    static common::NodeKey nodeKey(const QModelIndex& node);
    bool refuseDragStart(const QModelIndex& dragged);
    // Ctrl+H: asks for the selected item's history.
    void showHistory();
    // The item that a Move to… moves as a drag would move the dragged
    // node: the current node when it is a selected item, else the first
    // selected item; invalid when no item is selected.
    QModelIndex leadItem() const;
    void finishDrop();
    // Runs a move and shows what it changed; the tree then still shows the
    // register as it is when nothing else was written meanwhile.
    template <typename Move> void runMove(Move&& move);

    common::MainWindow& main_;
    AllocationModel* model_ = nullptr;
    AllocationTreeView* tvSourceLoc = nullptr;
    // The register's change count the tree shows; no value before a fill.
    std::optional<std::int64_t> shownChanges_;
    QPushButton* btnExpandAlloc = nullptr;
    // The licence that showLicence stood its group for.
    QString shownGroupKey_;
    int shownLicence_ = 0;
};

} // namespace allocation
