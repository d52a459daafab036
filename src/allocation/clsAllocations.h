#pragma once

// Moving stock items and licences between locations. The allocation tree
// shows every location with the items it holds: one node per stock item and
// one per product, type and location for licences, with their count. A move
// writes the item's history row and its new location in one transaction;
// the page changes its tree only after a move was stored.

#include "common/NodeKey.h"
#include "locations/clsLocations.h"
#include "store/ProductWalk.h"

#include <QHash>
#include <QSet>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace store {
class Database;
}
namespace common {
class Clock;
class Messages;
} // namespace common

namespace allocation {

using locations::TreeNode;

// What a stored move changes in the tree: one per stock item moved, one per
// licence type and location that licences left.
struct MoveUpdate {
    QChar kind;          // 'S', 'N' or 'T'
    int sourceLocId = 0; // where the item was
    int targetLocId = 0; // where it is now
    QString stockKey;    // a stock item's node, which moves as it is
    // For licences: the groups of that type now at the source and at the
    // target of the products that moved, each in the products' order; a
    // product's group missing from one is gone from there.
    std::vector<TreeNode> sourceGroups;
    std::vector<TreeNode> targetGroups;
    std::vector<int> products;
};

// The outcome of moving several items: how many moved, and what each move
// changes in the tree.
struct MoveResult {
    int moved = 0;
    std::vector<MoveUpdate> updates;
};

// What Undo Move says when it cannot undo.
inline const QString NothingToUndo = QStringLiteral("There is no move to undo");
inline const QString MovedSince =
    QStringLiteral("The last move cannot be undone: an item it moved has been moved, changed "
                   "or removed since");
inline const QString SourceGone = QStringLiteral(
    "The last move cannot be undone: a location it moved items from no longer exists");

// The products in the order the tree shows their items: by description,
// case-blind, then by id. Read once; a location's items are then put in
// that order by rank, without a text comparison per row.
struct ProductOrder {
    QHash<qint64, int> rank;    // by product id
    std::vector<QString> shown; // by rank: the description as the tree shows it
};

// Where the reading of a location's items has got to, a batch at a time:
// the part being read (its stock items, then its normal and then its
// temporary licence groups) and, in a part read product by product, the
// last product and stock item read. The default place is the start.
struct ItemsPlace {
    int part = 0;
    // The part holds too many items to be read whole: it is read by
    // walking the products in their order.
    bool walking = false;
    store::ProductPlace product; // the last product read
    std::int64_t stockId = 0;    // the last stock item read of that product
};

// Some of a location's items in their order, and where the reading goes
// on; no value when the location has no more.
struct ItemsBatch {
    std::vector<TreeNode> nodes;
    std::optional<ItemsPlace> next;
};

class clsAllocations {
public:
    // A part of a location holding up to this many rows is read whole and
    // put in order in memory; a larger one is read a batch at a time.
    static constexpr int WholePartRows = 1000;

    clsAllocations(store::Database& db, common::Messages& messages, common::Clock& clock);

    // The item nodes of every location: stock items, then normal and then
    // temporary licence groups, each ordered by product description. Three
    // statements, however many locations.
    std::vector<TreeNode> FillAllocationItems();

    // A location's items from a place, as FillAllocationItems gives them
    // for it (stock items, then normal and then temporary licence groups,
    // each in the products' order): at least count of them unless fewer
    // are left, and more when a part small enough to read whole is
    // reached. The work is bounded by the batch and the products walked
    // past, not by what the location or the register holds.
    ItemsBatch LocationItemsFrom(int locId, const ItemsPlace& from, int count);
    // Whether a location holds any stock item or licence.
    bool HoldsItems(int locId);
    // The locations directly below a location that hold any stock item or
    // licence: one statement for a level of the tree, however wide.
    QSet<int> ChildrenHoldingItems(int parentId);
    // A stock item's node as it shows at the location it stands at; no
    // value when there is no such item (or its product is gone).
    std::optional<TreeNode> StockNode(int stockId);
    // The location a stock item stands at; no value when it is gone.
    std::optional<int> StockLocation(int stockId);

    // The licence groups of one type ('N' or 'T') of these products held at
    // one location, in the products' order.
    std::vector<TreeNode> LicenceGroups(QChar type, int locId, const std::vector<int>& products);

    // Moves the item of a dragged node (a stock item "S7" or a licence group
    // "N12-3", "T12-3") out of the location node dragFromLoc onto the
    // location node curNode. No value after a message: nothing was stored.
    std::optional<MoveUpdate> MoveStockLic(const common::NodeKey& dragFrom,
                                           const common::NodeKey& dragFromLoc,
                                           const common::NodeKey& curNode);

    // Writes the history row and moves one item ("S" stock, "N"/"T"
    // licence) to a location, in one transaction. False after a message.
    bool MoveItemToLocation(QChar itemType, int itemId, int locId);

    // Several items at once, each with its history row, all or none. A
    // licence group moves one licence, as a single drag does, or every
    // licence of the group with wholeGroups. Items and groups already at the
    // location stay as they are. After a message nothing moved (0 and no
    // updates).
    MoveResult MoveItems(const std::vector<common::NodeKey>& items, int locId, bool wholeGroups);

    // Undoes the last move stored by MoveStockLic or MoveItems since this
    // object was made: every item it moved goes back where it came from,
    // each with a new history row, in one transaction. Refused with a
    // message (and nothing changed) when there is none, when an item has
    // been moved, parked, changed to another place or deleted since (its
    // location or its history differs), or when a location it came from is
    // gone. No value after a message; afterwards there is nothing to undo.
    std::optional<std::vector<MoveUpdate>> UndoLastMove();
    bool CanUndo() const { return !lastMove_.empty(); }

    // Whether a node can take dropped items: "Available Locations",
    // "Available Licences" or a live location under them, known by key and
    // image, never by text.
    static bool IsDropTarget(const QString& key, int image);
    // Whether a node is an item that can be dragged.
    static bool IsItem(int image);

    // The licence of a group that moves, and whose history Ctrl+H shows:
    // the lowest id, so the choice is the same every time.
    std::optional<int> firstLicenceOf(QChar type, int prodId, int locId);

private:
    // What the item nodes of a full fill are ordered by.
    ProductOrder ProductsInOrder();
    struct PartRow;
    // A part of a location whole, in order; no value when it holds more
    // than WholePartRows rows.
    std::optional<std::vector<PartRow>> wholePart(int locId, int part);
    // Up to count rows of a part after a place, walking the products in
    // their order; the place moves to the last row read.
    std::vector<PartRow> walkPart(int locId, ItemsPlace& place, int count);
    // One item of the last move: its node key with the location it left
    // (a licence group's product and source), the item's own id, where it
    // went, and how many history rows it had afterwards.
    struct MovedItem {
        common::NodeKey from;
        int itemId = 0;
        int targetLocId = 0;
        qint64 historyRows = 0;
    };
    void rememberMove(const std::vector<std::pair<common::NodeKey, int>>& moved, int locId);
    qint64 historyRows(QChar kind, int itemId);
    // The location an item stands at now; no value when the item is gone.
    std::optional<int> locationOf(QChar kind, int itemId);

    bool moveOne(QChar itemType, int itemId, int locId, const QString& locDesc);
    // Locks the item for the rest of the transaction; false after a
    // conflict's message when it is gone or no longer stands at shownAt
    // (where the tree showed it; no value or 0: not known).
    bool holdItem(QChar kind, int itemId, std::optional<int> shownAt);
    // The licence of a group that moves, locked and still in the group;
    // no value when the group has none left.
    std::optional<int> lockLicenceOf(QChar type, int prodId, int locId);
    // The tree changes of the moves stored: stock nodes as they are, licence
    // groups counted again where they left and where they went.
    std::vector<MoveUpdate> updatesFor(const std::vector<std::pair<common::NodeKey, int>>& moved,
                                       int locId);
    std::optional<QString> locationDesc(int locId);

    store::Database& db_;
    common::Messages& messages_;
    common::Clock& clock_;
    std::vector<MovedItem> lastMove_;
};

} // namespace allocation
