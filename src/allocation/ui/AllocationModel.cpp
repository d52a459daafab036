#include "allocation/ui/AllocationModel.h"

#include "common/NodeKey.h"
#include "common/Session.h"
#include "common/ui/Guard.h"
#include "common/ui/Images.h"
#include "store/StoreConstants.h"

#include <QSet>

#include <algorithm>
#include <unordered_map>

namespace allocation {

using locations::locationKey;

AllocationModel::AllocationModel(common::Session& session, QObject* parent)
    : QAbstractItemModel(parent), session_(session), root_(std::make_unique<Node>()) {}

AllocationModel::~AllocationModel() = default;

std::unique_ptr<AllocationModel::Node> AllocationModel::makeLocation(const TreeNode& n,
                                                                     Node* parent) const {
    auto node = std::make_unique<Node>();
    node->key = n.key.trimmed();
    node->text = n.text;
    node->image = n.image;
    node->location = true;
    node->hasLocations = n.hasChildren;
    node->parent = parent;
    node->row = static_cast<int>(parent->children.size());
    return node;
}

void AllocationModel::fill(const std::vector<TreeNode>& locations) {
    beginResetModel();
    root_ = std::make_unique<Node>();
    byKey_.clear();
    byKey_.reserve(static_cast<qsizetype>(locations.size()));
    highlight_.clear();
    for (const TreeNode& n : locations) {
        Node* parent = root_.get();
        if (!n.parentKey.isEmpty()) {
            parent = byKey_.value(n.parentKey.trimmed(), nullptr);
            if (!parent)
                continue;
        }
        // The nodes given under a parent are all of its child locations.
        parent->locationsRead = true;
        std::unique_ptr<Node> node = makeLocation(n, parent);
        node->locationsRead = n.expanded;
        byKey_.insert(node->key, node.get());
        parent->children.push_back(std::move(node));
    }
    for (Node* node : std::as_const(byKey_))
        askWhichHoldItems(node);
    endResetModel();
}

void AllocationModel::askWhichHoldItems(Node* location) {
    // The root's children, the system locations, are few: each is asked
    // as it shows.
    if (!location->location || location->children.empty() || location->key == locations::RootKey)
        return;
    QSet<int> holding;
    if (!common::guarded(session_.messages(), [&] {
            holding = session_.logic<clsAllocations>().ChildrenHoldingItems(
                common::idOfKey(location->key));
        }))
        return;
    for (const auto& child : location->children)
        if (child->location && !child->itemsRead)
            child->holdsItems = holding.contains(common::idOfKey(child->key));
}

AllocationModel::Node* AllocationModel::reachLocation(int locId) {
    if (Node* node = byKey_.value(locationKey(locId), nullptr))
        return node;
    QStringList path;
    if (!common::guarded(session_.messages(), [&] {
            path = session_.logic<locations::clsLocations>().LocationKeyPath(locId);
        }))
        return nullptr;
    Node* at = nullptr;
    for (const QString& key : std::as_const(path)) {
        Node* next = byKey_.value(key, nullptr);
        if (!next && at && !at->locationsRead) {
            if (!readChildren(at))
                return nullptr;
            next = byKey_.value(key, nullptr);
        }
        // A location read before another user added or moved it is not
        // there until the tree is filled again.
        if (!next)
            return nullptr;
        at = next;
    }
    return at;
}

QModelIndex AllocationModel::find(const QString& key) {
    const QString k = key.trimmed();
    if (Node* node = byKey_.value(k, nullptr))
        return indexOf(node);
    const common::NodeKey parsed = common::parseNodeKey(k);
    std::optional<int> locId;
    if (parsed.kind == QLatin1Char('L')) {
        locId = parsed.id;
    } else if (parsed.kind == QLatin1Char('S')) {
        common::guarded(session_.messages(),
                        [&] { locId = session_.logic<clsAllocations>().StockLocation(parsed.id); });
    } else if (parsed.kind == QLatin1Char('N') || parsed.kind == QLatin1Char('T')) {
        locId = parsed.locId;
    }
    if (!locId || *locId <= 0)
        return {};
    Node* location = reachLocation(*locId);
    if (!location || parsed.kind == QLatin1Char('L'))
        return indexOf(location);
    if (!location->itemsRead && !readChildren(location))
        return {};
    if (!byKey_.contains(k))
        showUntil(location, k);
    return loaded(k);
}

bool AllocationModel::open(const QModelIndex& location) {
    Node* node = nodeOf(location);
    return !node->location || readChildren(node);
}

QModelIndex AllocationModel::loaded(const QString& key) const {
    return indexOf(byKey_.value(key.trimmed(), nullptr));
}

QString AllocationModel::keyOf(const QModelIndex& index) {
    return index.data(KeyRole).toString();
}

int AllocationModel::imageOf(const QModelIndex& index) {
    return index.data(ImageRole).toInt();
}

bool AllocationModel::itemsLoaded(const QString& key) const {
    const Node* node = byKey_.value(key.trimmed(), nullptr);
    return node && node->itemsRead;
}

bool AllocationModel::allItemsShown(const QString& key) const {
    const Node* node = byKey_.value(key.trimmed(), nullptr);
    return node && node->itemsRead && !hasMore(node);
}

bool AllocationModel::hasMore(const Node* location) {
    return !location->unshown.empty() || location->moreItems || !location->movedIn.empty();
}

int AllocationModel::nodeCount() const {
    return static_cast<int>(byKey_.size());
}

QStringList AllocationModel::branchKeys() const {
    QStringList keys;
    std::vector<const Node*> pending{root_.get()};
    while (!pending.empty()) {
        const Node* node = pending.back();
        pending.pop_back();
        if (node->location && !node->children.empty())
            keys << node->key;
        for (auto child = node->children.rbegin(); child != node->children.rend(); ++child)
            if ((*child)->location)
                pending.push_back(child->get());
    }
    return keys;
}

AllocationModel::Node* AllocationModel::nodeOf(const QModelIndex& index) const {
    return index.isValid() ? static_cast<Node*>(index.internalPointer()) : root_.get();
}

QModelIndex AllocationModel::indexOf(const Node* node) const {
    if (!node || node == root_.get())
        return {};
    return createIndex(node->row, 0, const_cast<Node*>(node));
}

bool AllocationModel::readChildren(Node* location) {
    if (!location->locationsRead) {
        std::vector<TreeNode> found;
        if (!common::guarded(session_.messages(), [&] {
                found = session_.logic<locations::clsLocations>().ChildLocations(location->key);
            }))
            return false;
        location->locationsRead = true;
        // A location already read elsewhere (moved there by another user
        // since) stays where it was read until the tree is filled again.
        std::vector<std::unique_ptr<Node>> added;
        for (const TreeNode& n : found)
            if (!byKey_.contains(n.key.trimmed()))
                added.push_back(makeLocation(n, location));
        location->hasLocations = !added.empty();
        if (!added.empty()) {
            // Its items are not read yet: the child locations come first.
            const int first = static_cast<int>(location->children.size());
            beginInsertRows(indexOf(location), first, first + static_cast<int>(added.size()) - 1);
            for (std::unique_ptr<Node>& node : added) {
                node->row = static_cast<int>(location->children.size());
                byKey_.insert(node->key, node.get());
                location->children.push_back(std::move(node));
            }
            endInsertRows();
            askWhichHoldItems(location);
        }
    }
    return loadItems(location);
}

bool AllocationModel::loadItems(Node* location) {
    if (location->itemsRead)
        return true;
    ItemsBatch batch;
    const bool read = common::guarded(session_.messages(), [&] {
        batch = session_.logic<clsAllocations>().LocationItemsFrom(common::idOfKey(location->key),
                                                                   {}, ItemsShownAtOnce);
    });
    if (!read)
        return false;
    appendItems(location, batch.nodes, std::move(batch.next));
    return true;
}

void AllocationModel::appendItems(Node* location, std::vector<TreeNode>& items,
                                  std::optional<ItemsPlace> more) {
    location->itemsRead = true;
    location->moreItems = std::move(more);
    location->unshown.insert(location->unshown.end(), std::make_move_iterator(items.begin()),
                             std::make_move_iterator(items.end()));
    location->holdsItems = hasMore(location);
    showMore(location, ItemsShownAtOnce);
}

bool AllocationModel::readMore(Node* location, size_t count) {
    if (!location->moreItems)
        return false;
    const ItemsPlace from = *location->moreItems;
    // A reading that failed is not tried again: the rest waits for a refill.
    location->moreItems.reset();
    ItemsBatch batch;
    if (common::guarded(session_.messages(), [&] {
            batch = session_.logic<clsAllocations>().LocationItemsFrom(
                common::idOfKey(location->key), from, static_cast<int>(count));
        })) {
        location->moreItems = std::move(batch.next);
        const auto movedIn = [location](const QString& key) {
            return std::any_of(location->movedIn.begin(), location->movedIn.end(),
                               [&key](const TreeNode& item) { return item.key == key; });
        };
        // An item moved here since the reading began waits among those
        // moved in; one shown elsewhere stays there until a refill.
        for (TreeNode& item : batch.nodes)
            if (!byKey_.contains(item.key) && !movedIn(item.key))
                location->unshown.push_back(std::move(item));
    }
    if (!location->moreItems) {
        location->unshown.insert(location->unshown.end(),
                                 std::make_move_iterator(location->movedIn.begin()),
                                 std::make_move_iterator(location->movedIn.end()));
        location->movedIn.clear();
    }
    return true;
}

void AllocationModel::showMore(Node* location, size_t count) {
    while (location->unshown.size() < count &&
           readMore(location, count - location->unshown.size())) {
    }
    count = std::min(count, location->unshown.size());
    if (count == 0)
        return;
    const int first = static_cast<int>(location->children.size());
    beginInsertRows(indexOf(location), first, first + static_cast<int>(count) - 1);
    location->children.reserve(location->children.size() + count);
    for (size_t i = 0; i < count; ++i) {
        TreeNode& item = location->unshown.front();
        auto node = std::make_unique<Node>();
        node->key = std::move(item.key);
        node->text = std::move(item.text);
        node->image = item.image;
        node->parent = location;
        node->row = static_cast<int>(location->children.size());
        byKey_.insert(node->key, node.get());
        location->children.push_back(std::move(node));
        location->unshown.pop_front();
    }
    endInsertRows();
}

bool AllocationModel::showUntil(Node* location, const QString& key) {
    const auto has = [&key](const TreeNode& item) {
        return item.key == key;
    };
    auto found = std::find_if(location->unshown.begin(), location->unshown.end(), has);
    while (found == location->unshown.end()) {
        // Read on in larger batches, looking only at those just read.
        const size_t before = location->unshown.size();
        if (!readMore(location, ItemsShownAtOnce * 10))
            return false;
        found = std::find_if(location->unshown.begin() + static_cast<qsizetype>(before),
                             location->unshown.end(), has);
    }
    // Whole batches, as scrolling down would have shown them.
    const size_t upTo = static_cast<size_t>(found - location->unshown.begin()) + 1;
    const size_t batches = (upTo + ItemsShownAtOnce - 1) / ItemsShownAtOnce;
    showMore(location, batches * ItemsShownAtOnce);
    return true;
}

void AllocationModel::addItems(Node* location, std::vector<TreeNode> items) {
    if (items.empty())
        return;
    location->holdsItems = true;
    if (location->moreItems) {
        // Not read to the end: shown once it is, after the rest.
        for (TreeNode& item : items)
            location->movedIn.push_back(std::move(item));
        return;
    }
    const bool allShown = location->unshown.empty() && location->movedIn.empty();
    location->unshown.insert(location->unshown.end(), std::make_move_iterator(items.begin()),
                             std::make_move_iterator(items.end()));
    if (allShown)
        showMore(location, location->unshown.size());
}

void AllocationModel::dropUnshown(Node* location, const QString& key) {
    const auto has = [&key](const TreeNode& item) {
        return item.key == key;
    };
    auto& unshown = location->unshown;
    unshown.erase(std::remove_if(unshown.begin(), unshown.end(), has), unshown.end());
    auto& movedIn = location->movedIn;
    movedIn.erase(std::remove_if(movedIn.begin(), movedIn.end(), has), movedIn.end());
}

void AllocationModel::putItem(Node* location, const TreeNode& item) {
    const QString key = item.key.trimmed();
    if (Node* node = byKey_.value(key, nullptr)) {
        node->text = item.text;
        node->image = item.image;
        const QModelIndex changed = indexOf(node);
        emit dataChanged(changed, changed);
        return;
    }
    // Not a node yet: replaced where it waits, or added.
    const auto replaced = [&](auto& waiting) {
        const auto found = std::find_if(waiting.begin(), waiting.end(),
                                        [&key](const TreeNode& n) { return n.key == key; });
        if (found == waiting.end())
            return false;
        *found = item;
        return true;
    };
    if (!replaced(location->unshown) && !replaced(location->movedIn))
        addItems(location, {item});
}

void AllocationModel::loadAll() {
    std::optional<std::vector<TreeNode>> locations;
    if (!common::guarded(
            session_.messages(),
            [&] { locations = session_.logic<locations::clsLocations>().FillUpLocationTree(); }) ||
        !locations)
        return;
    // The locations not read yet. A location whose child locations are not
    // read holds no node yet (its items come after them): its children
    // are gathered, each with the locations below it attached, and go in
    // as one insertion.
    std::unordered_map<Node*, std::vector<std::unique_ptr<Node>>> gathered;
    std::vector<Node*> parents;
    QSet<const Node*> added;
    for (const TreeNode& n : *locations) {
        const QString key = n.key.trimmed();
        if (n.parentKey.isEmpty() || byKey_.contains(key))
            continue;
        Node* parent = byKey_.value(n.parentKey.trimmed(), nullptr);
        // Under a location read before, one missing was added since: it
        // waits for the tree to be filled again.
        if (!parent || (parent->locationsRead && !added.contains(parent)))
            continue;
        std::unique_ptr<Node> node = makeLocation(n, parent);
        byKey_.insert(key, node.get());
        added.insert(node.get());
        if (added.contains(parent)) {
            parent->children.push_back(std::move(node));
            continue;
        }
        std::vector<std::unique_ptr<Node>>& siblings = gathered[parent];
        if (siblings.empty())
            parents.push_back(parent);
        node->row = static_cast<int>(siblings.size());
        siblings.push_back(std::move(node));
    }
    for (Node* parent : parents) {
        std::vector<std::unique_ptr<Node>>& children = gathered[parent];
        beginInsertRows(indexOf(parent), 0, static_cast<int>(children.size()) - 1);
        parent->children = std::move(children);
        endInsertRows();
    }
    for (Node* node : std::as_const(byKey_))
        if (node->location)
            node->locationsRead = true;

    std::vector<TreeNode> items;
    if (!common::guarded(session_.messages(),
                         [&] { items = session_.logic<clsAllocations>().FillAllocationItems(); }))
        return;
    // The fill gives each location's items in their order (stock, then
    // normal and temporary groups), one location's among the others'.
    QHash<Node*, std::vector<TreeNode>> byLocation;
    for (TreeNode& item : items) {
        Node* location = byKey_.value(item.parentKey, nullptr);
        if (location && !location->itemsRead)
            byLocation[location].push_back(std::move(item));
    }
    std::vector<Node*> unread;
    for (Node* node : std::as_const(byKey_))
        if (node->location && !node->itemsRead)
            unread.push_back(node);
    for (Node* location : unread) {
        auto found = byLocation.find(location);
        std::vector<TreeNode> none;
        appendItems(location, found != byLocation.end() ? found.value() : none);
    }
}

void AllocationModel::insertNode(Node* parent, const TreeNode& n) {
    const int row = static_cast<int>(parent->children.size());
    beginInsertRows(indexOf(parent), row, row);
    auto node = std::make_unique<Node>();
    node->key = n.key.trimmed();
    node->text = n.text;
    node->image = n.image;
    node->parent = parent;
    node->row = row;
    byKey_.insert(node->key, node.get());
    parent->children.push_back(std::move(node));
    endInsertRows();
    parent->holdsItems = true;
}

void AllocationModel::forget(const Node* node) {
    byKey_.remove(node->key);
    for (const auto& child : node->children)
        forget(child.get());
}

void AllocationModel::renumber(Node* parent, int from) {
    for (size_t i = static_cast<size_t>(from); i < parent->children.size(); ++i)
        parent->children[i]->row = static_cast<int>(i);
}

void AllocationModel::removeNode(Node* node) {
    Node* parent = node->parent;
    const int row = node->row;
    beginRemoveRows(indexOf(parent), row, row);
    forget(node);
    parent->children.erase(parent->children.begin() + row);
    renumber(parent, row);
    endRemoveRows();
}

void AllocationModel::itemsChangedAt(Node* location) {
    if (location->itemsRead)
        location->holdsItems =
            hasMore(location) ||
            std::any_of(location->children.begin(), location->children.end(),
                        [](const std::unique_ptr<Node>& child) { return !child->location; });
    else
        location->holdsItems.reset();
}

void AllocationModel::applyMove(const MoveUpdate& update) {
    Node* source = byKey_.value(locationKey(update.sourceLocId), nullptr);
    Node* target = byKey_.value(locationKey(update.targetLocId), nullptr);
    if (update.kind == QLatin1Char('S')) {
        Node* item = byKey_.value(update.stockKey, nullptr);
        const int stockImage = update.targetLocId == store::loc::RemovedStock
                                   ? common::image::RemovedStock
                                   : common::image::Stock;
        // Not a node: one of the source's items not shown yet.
        if (!item && source && source->itemsRead)
            dropUnshown(source, update.stockKey);
        const bool targetShowsAll = target && target->itemsRead && !hasMore(target);
        if (item && targetShowsAll && item->parent != target) {
            // Both ends loaded: the node itself moves, selection and all.
            Node* from = item->parent;
            const int row = item->row;
            const int to = static_cast<int>(target->children.size());
            beginMoveRows(indexOf(from), row, row, indexOf(target), to);
            std::unique_ptr<Node> taken = std::move(from->children[static_cast<size_t>(row)]);
            from->children.erase(from->children.begin() + row);
            renumber(from, row);
            taken->parent = target;
            taken->row = static_cast<int>(target->children.size());
            target->children.push_back(std::move(taken));
            endMoveRows();
            item->image = stockImage;
            const QModelIndex moved = indexOf(item);
            emit dataChanged(moved, moved);
            itemsChangedAt(from);
        } else if (item && item->parent != target) {
            // The target reads its items, this one among them, as it opens;
            // or it has items not shown yet, and this one goes after them.
            Node* from = item->parent;
            const TreeNode moved{item->key, target ? target->key : QString(), item->text,
                                 stockImage};
            removeNode(item);
            itemsChangedAt(from);
            if (target && target->itemsRead)
                addItems(target, {moved});
        } else if (!item && target && target->itemsRead) {
            std::optional<TreeNode> node;
            common::guarded(session_.messages(), [&] {
                node = session_.logic<clsAllocations>().StockNode(common::idOfKey(update.stockKey));
            });
            if (node)
                addItems(target, {*node});
        }
        if (source && source != target)
            itemsChangedAt(source);
        // The target holds the item now, read or not.
        if (target)
            target->holdsItems = true;
        return;
    }
    // Licence groups: the moved products' groups at either end are counted
    // again where they stand, added when new and taken away when emptied.
    const struct {
        Node* location;
        int locId;
        const std::vector<TreeNode>& groups;
    } ends[] = {{source, update.sourceLocId, update.sourceGroups},
                {target, update.targetLocId, update.targetGroups}};
    for (const auto& end : ends) {
        if (!end.location)
            continue;
        if (end.location->itemsRead) {
            for (const int prodId : update.products) {
                const QString key =
                    common::licenceGroupKey(update.kind == QLatin1Char('T'), prodId, end.locId);
                const auto now = std::find_if(end.groups.begin(), end.groups.end(),
                                              [&key](const TreeNode& g) { return g.key == key; });
                if (now != end.groups.end())
                    putItem(end.location, *now);
                else if (Node* node = byKey_.value(key, nullptr))
                    removeNode(node);
                else
                    dropUnshown(end.location, key);
            }
        }
        itemsChangedAt(end.location);
    }
}

void AllocationModel::setHighlight(const QString& key, const QBrush& background,
                                   const QBrush& foreground) {
    if (key == highlight_)
        return;
    const QModelIndex old = loaded(highlight_);
    highlight_ = key;
    highlightBackground_ = background;
    highlightForeground_ = foreground;
    if (old.isValid())
        emit dataChanged(old, old, {Qt::BackgroundRole, Qt::ForegroundRole});
    const QModelIndex now = loaded(key);
    if (now.isValid())
        emit dataChanged(now, now, {Qt::BackgroundRole, Qt::ForegroundRole});
}

QModelIndex AllocationModel::index(int row, int column, const QModelIndex& parent) const {
    const Node* p = nodeOf(parent);
    if (column != 0 || row < 0 || row >= static_cast<int>(p->children.size()))
        return {};
    return createIndex(row, 0, p->children[static_cast<size_t>(row)].get());
}

QModelIndex AllocationModel::parent(const QModelIndex& child) const {
    if (!child.isValid())
        return {};
    return indexOf(nodeOf(child)->parent);
}

int AllocationModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0)
        return 0;
    return static_cast<int>(nodeOf(parent)->children.size());
}

int AllocationModel::columnCount(const QModelIndex&) const {
    return 1;
}

bool AllocationModel::hasChildren(const QModelIndex& parent) const {
    const Node* node = nodeOf(parent);
    if (!node->children.empty())
        return true;
    if (!node->location)
        return false;
    if (node->itemsRead)
        return hasMore(node);
    if (!node->locationsRead && node->hasLocations)
        return true;
    if (!node->holdsItems) {
        bool held = false;
        common::guarded(session_.messages(), [&] {
            held = session_.logic<clsAllocations>().HoldsItems(common::idOfKey(node->key));
        });
        node->holdsItems = held;
    }
    return *node->holdsItems;
}

bool AllocationModel::canFetchMore(const QModelIndex& parent) const {
    const Node* node = nodeOf(parent);
    return node->location && (node->itemsRead ? hasMore(node) : hasChildren(parent));
}

void AllocationModel::fetchMore(const QModelIndex& parent) {
    Node* node = nodeOf(parent);
    if (!node->location)
        return;
    if (node->itemsRead)
        showMore(node, ItemsShownAtOnce);
    else
        readChildren(node);
}

QVariant AllocationModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    const Node* node = nodeOf(index);
    switch (role) {
    case Qt::DisplayRole:
        return node->text;
    case Qt::DecorationRole:
        return common::imlLocation(node->image);
    case KeyRole:
        return node->key;
    case ImageRole:
        return node->image;
    case Qt::BackgroundRole:
        return !highlight_.isEmpty() && node->key == highlight_ ? QVariant(highlightBackground_)
                                                                : QVariant();
    case Qt::ForegroundRole:
        return !highlight_.isEmpty() && node->key == highlight_ ? QVariant(highlightForeground_)
                                                                : QVariant();
    default:
        return {};
    }
}

Qt::ItemFlags AllocationModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
}

} // namespace allocation
