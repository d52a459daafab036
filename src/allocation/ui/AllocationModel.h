#pragma once

#include "allocation/clsAllocations.h"

#include <QAbstractItemModel>
#include <QBrush>
#include <QHash>

#include <deque>
#include <memory>
#include <optional>
#include <vector>

namespace common {
class Session;
}

namespace allocation {

// The allocation tree as a model, read one level at a time: the top of the
// location tree, then a location's child locations and its items together
// once it is opened or a node below it is asked for by key. A node is known
// by its key ("L5", "S7", "N12-3") and carries its image index; the model
// holds one small node per location and item read, whatever the register
// holds elsewhere.
//
// A location's items are read in their order a batch at a time and shown
// as nodes ItemsShownAtOnce at a time: the first as it opens, the next as
// the view asks for more (canFetchMore/fetchMore) or a key among them is
// asked for. So a location holding tens of thousands of items costs the
// view, the model and the database what a screenful does.
//
// Stored moves change the nodes in place (applyMove): a location not read
// yet is left to read what it holds when it opens. An item that comes to
// a location whose items are not all shown goes after them; one that comes
// to a location not read to its end waits until it is, and the reading
// passes over it.
class AllocationModel : public QAbstractItemModel {
    Q_OBJECT
public:
    static constexpr int KeyRole = Qt::UserRole + 1;
    static constexpr int ImageRole = Qt::UserRole + 2;
    // How many of a location's items become nodes at a time.
    static constexpr int ItemsShownAtOnce = 200;

    AllocationModel(common::Session& session, QObject* parent = nullptr);
    ~AllocationModel() override;

    // Replaces every node with the locations given (parents before
    // children, as TopOfLocationTree gives them); no location's items are
    // read. A node whose children are among those given, or that is marked
    // expanded, has its child locations read; any other is read as it
    // opens (its hasChildren says whether it can).
    void fill(const std::vector<TreeNode>& locations);

    // The node of a key, reading the locations on its path (each one's
    // child locations and items) when they are not read yet; invalid when
    // there is no such node.
    QModelIndex find(const QString& key);
    // The node of a key among those read; invalid when not read.
    QModelIndex loaded(const QString& key) const;
    static QString keyOf(const QModelIndex& index);
    static int imageOf(const QModelIndex& index);

    // Reads every location and the items of every location not read yet,
    // with the few statements of a full fill rather than a few per
    // location: for opening the whole tree at once.
    void loadAll();

    // Reads what a location holds (its child locations, then its items)
    // when not read yet; false when the reading failed (the message is
    // shown).
    bool open(const QModelIndex& location);

    // Whether a location's items are read (its child locations are then
    // read too), whether all of them are shown as nodes; how many nodes the
    // model holds.
    bool itemsLoaded(const QString& locationKey) const;
    bool allItemsShown(const QString& locationKey) const;
    int nodeCount() const;
    // The location nodes that are parents of nodes read (those a view can
    // open or close), by key, each after the one above it.
    QStringList branchKeys() const;

    // Changes the nodes for a move the database took.
    void applyMove(const MoveUpdate& update);

    // The node drawn as the drop target (empty key: none) and its colours.
    void setHighlight(const QString& key, const QBrush& background, const QBrush& foreground);
    QString highlight() const { return highlight_; }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    struct Node {
        QString key;
        QString text;
        int image = 0;
        bool location = false;
        // For a location: whether its child locations are read, whether it
        // has any (as the read of its parent said), whether its items are
        // read (never before its child locations: they come first among
        // its children), and whether it holds any (not asked yet: no value).
        bool locationsRead = false;
        bool hasLocations = false;
        bool itemsRead = false;
        mutable std::optional<bool> holdsItems;
        // Items read but not yet nodes, in their order, after the children;
        // where the reading of the rest goes on (no value: all read); and
        // items moved here meanwhile, shown after the rest.
        std::deque<TreeNode> unshown;
        std::optional<ItemsPlace> moreItems;
        std::vector<TreeNode> movedIn;
        Node* parent = nullptr;
        int row = 0;
        std::vector<std::unique_ptr<Node>> children;
    };

    Node* nodeOf(const QModelIndex& index) const;
    QModelIndex indexOf(const Node* node) const;
    // Reads a location's child locations, then its items, when not read;
    // false when a reading failed (the message is shown).
    bool readChildren(Node* location);
    bool loadItems(Node* location);
    std::unique_ptr<Node> makeLocation(const TreeNode& n, Node* parent) const;
    // Learns at once which child locations of a location hold items, so
    // that a wide level shows without a statement per location.
    void askWhichHoldItems(Node* location);
    // The location node of an id, the locations on its path read on the
    // way down; null when it is not in the tree.
    Node* reachLocation(int locId);
    // Adds a location's items, read as one batch, after its other nodes;
    // more: where the reading of the rest goes on.
    void appendItems(Node* location, std::vector<TreeNode>& items,
                     std::optional<ItemsPlace> more = std::nullopt);
    // Reads at least count more of a location's items (fewer when no more
    // are left) after those not shown yet; false when none were left.
    bool readMore(Node* location, size_t count);
    // Whether a location has items that are not nodes yet.
    static bool hasMore(const Node* location);
    // A group or item node as it is now at a location: its text changed
    // where it is, or added after the others.
    void putItem(Node* location, const TreeNode& item);
    // Makes nodes of up to count of a location's unshown items.
    void showMore(Node* location, size_t count);
    // Shows a location's unshown items up to the one with the key; false
    // when none has it.
    bool showUntil(Node* location, const QString& key);
    // Adds items to a location whose items are read, after the others:
    // nodes when all of them are shown, else the last of those not shown
    // yet.
    void addItems(Node* location, std::vector<TreeNode> items);
    // Drops the item of a key from a location's items not shown.
    void dropUnshown(Node* location, const QString& key);
    void insertNode(Node* parent, const TreeNode& node);
    void removeNode(Node* node);
    void forget(const Node* node);
    void renumber(Node* parent, int from);
    // A location's items changed while they were not loaded: whether it
    // holds any is asked again.
    void itemsChangedAt(Node* location);

    common::Session& session_;
    std::unique_ptr<Node> root_; // above the nodes shown: holds the top-level ones
    QHash<QString, Node*> byKey_;
    QString highlight_;
    QBrush highlightBackground_;
    QBrush highlightForeground_;
};

} // namespace allocation
