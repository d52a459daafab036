#pragma once

// The location tree and the current location. The fill produces plain node
// data that any tree view can show; maintenance operations change the
// database and tell the caller how its tree should follow.

#include "common/TreeImages.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

namespace store {
class Database;
}
namespace common {
class Messages;
} // namespace common

namespace locations {

namespace image = common::image;

inline const QString RootKey = QStringLiteral("L0");
inline const QString RootText = QStringLiteral("SYSTEM");

// "L" followed by the location id.
QString locationKey(int locId);

// Every letter that begins a word upper case, every other letter lower case.
QString properCase(QString text);

// One node to add to a tree: parentKey is empty for the root.
struct TreeNode {
    QString key;
    QString parentKey;
    QString text;
    int image = image::SystemNode;
    bool expanded = false;
    // Set by the one-level reads (TopOfLocationTree, ChildLocations):
    // whether the location has children of its own, to be read when it opens.
    bool hasChildren = false;
};

// What a window knows of a node of its tree, for the rules that depend on
// the node's place in the tree.
struct NodeInfo {
    QString key;
    QString text;
    int image = 0;
    QString parentKey;
    int childCount = 0;
};

struct MenuState {
    bool add = false;
    bool modify = false;
    bool remove = false;
    friend bool operator==(const MenuState& a, const MenuState& b) {
        return a.add == b.add && a.modify == b.modify && a.remove == b.remove;
    }
};

// The longest location description.
inline constexpr int LocationDescLimit = 50;

enum class DeleteResult { Nothing, Parked, Deleted };
enum class DropResult { Refused, Unchanged, Moved };

// Where a check for locations without a place has got to, and what it found.
struct PlacesCheck {
    std::int64_t afterId = 0; // the last location read
    // Found so far: branch, level, description as stored, id.
    struct Found {
        int top = 0;
        int level = 0;
        QString desc;
        std::int64_t id = 0;
    };
    std::vector<Found> found;
};

class clsLocations {
public:
    clsLocations(store::Database& db, common::Messages& messages);

    // The location picker's choice, as it closed: the name as the tree
    // showed it, or empty and 0 when nothing was chosen.
    QString SelectedLocName;
    int SelectedLocID = 0;

    // The location page's current location, on which its menu acts: set by
    // a node click there, never by the picker.
    int CurrentLocId() const { return currentLocId_; }
    void setCurrentLocId(int id) { currentLocId_ = id; }
    QString CurrentLocDesc() const { return currentLocDesc_; }
    void setCurrentLocDesc(const QString& desc) { currentLocDesc_ = desc; }

    // The nodes of a full location tree, parents before children. No value
    // (and a message shown) when the database holds no system locations:
    // the caller then leaves its tree as it was.
    std::optional<std::vector<TreeNode>> FillUpLocationTree();

    // The same tree read one level at a time, so that a tree shows in the
    // same time whatever the number of locations. TopOfLocationTree gives
    // the root, the system locations and the children of the open branches
    // (the nodes FillUpLocationTree marks expanded), parents before
    // children; every node says whether it has children. The message of a
    // register without system locations is FillUpLocationTree's.
    std::optional<std::vector<TreeNode>> TopOfLocationTree();
    // The check for locations whose parent is missing or not above them,
    // which no tree shows: such rows come only from a damaged register or
    // another tool. It reads every location, so it runs a slice of
    // locations at a time, and only the first time and again after this
    // connection has written to the locations. StartPlacesCheck gives no
    // value when no check is due; ContinuePlacesCheck reads up to rows more
    // locations and, at the end, names those found in FillUpLocationTree's
    // message; true once the check has ended. CheckLocationPlaces runs a
    // check that is due in one go; false when it named locations.
    std::optional<PlacesCheck> StartPlacesCheck();
    // The locations a window reads at each turn of its event loop: a
    // millisecond or two of work.
    static constexpr int PlacesCheckSlice = 5000;
    bool ContinuePlacesCheck(PlacesCheck& check, int rows);
    bool CheckLocationPlaces();
    // The children of a node of the tree, in the tree's order (level,
    // description case-blind, id), each saying whether it has children;
    // the system locations for the root. Empty for a key that names no
    // location.
    std::vector<TreeNode> ChildLocations(const QString& parentKey);
    // The keys from the root down to the location's node, the root's and
    // the location's own included; empty when the location is not in the
    // tree (no such row, or a parent chain that does not reach a system
    // location through ever lower levels).
    QStringList LocationKeyPath(int locId);

    // A location's description as stored (trimmed), not in the tree's
    // proper case; empty when there is no such location.
    QString storedDescription(int locId);
    // Whether a description as typed may be stored: present, holding only
    // what the key filter lets in (pasted text is refused, never cleaned)
    // and within the limit. False after a message.
    bool checkDescription(const QString& newdesc);

    // Adds a location under the current location; returns the node to add
    // to the maintenance tree, or no value after a message.
    std::optional<TreeNode> AddLocation(const QString& newdesc);
    // Renames the current location; false after a message.
    bool ModifyLocation(const QString& newdesc);
    // Moves a location under a new parent; false after a message.
    bool UpdateLocation(int thisNodeID, int parentNodeID);
    // Removes the current location, choosing the path by the image of the
    // selected node: a removed location goes for good, any other location is
    // parked under the removed-locations branch.
    DeleteResult DeleteLocation(int selectedImage);

    // A location dragged onto a node of the maintenance tree. Checks every
    // rule, asks, and moves the location in the database. The caller moves
    // its node only when the result is Moved.
    DropResult DropLocation(const std::optional<NodeInfo>& dragged,
                            const std::optional<NodeInfo>& target);

    // Which items of the Locations context menu apply to a selected node.
    static MenuState MenuFor(const NodeInfo& selected);
    // Whether the picker may return this node.
    static bool IsChoosable(int image) { return image == image::Location; }

private:
    // The locations one level below parentId, as nodes under parentKey.
    std::vector<TreeNode> childrenOf(int parentId, const QString& parentKey);
    void failOrphans(const QStringList& orphans);

    // The stores of AddLocation and UpdateLocation, each in one transaction
    // that locks the rows it decides on; run again after a deadlock.
    std::optional<TreeNode> addUnder(int parentId, const QString& newdesc);
    bool moveUnder(int thisNodeID, int parentNodeID);
    // Why a location cannot be deleted for good: the refusal for the stock,
    // licences or child locations it holds; no value when it holds none.
    std::optional<QString> heldIn(int id);

    // The change count at the last check for rows without a place.
    std::optional<std::int64_t> orphansCheckedAt_;
    int currentLocId_ = 0;
    QString currentLocDesc_;
    store::Database& db_;
    common::Messages& messages_;
};

} // namespace locations
