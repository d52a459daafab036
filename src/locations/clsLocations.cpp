#include "locations/clsLocations.h"

#include "common/KeyRule.h"
#include "common/ListRow.h"
#include "common/Messages.h"
#include "common/NodeKey.h"
#include "store/Collation.h"
#include "store/Database.h"
#include "store/StoreConstants.h"

#include <QHash>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <limits>

namespace locations {

namespace {

const QString SelectColumns =
    QStringLiteral("SELECT Loc_ID, Loc_Desc, Loc_Status, Loc_Level, Loc_ParentID FROM Locations ");

} // namespace

QString locationKey(int locId) {
    // Made in one piece: a tree fill makes thousands.
    char text[16];
    const int length = std::snprintf(text, sizeof text, "L%d", locId);
    return QString::fromLatin1(text, length);
}

QString properCase(QString text) {
    QString out = std::move(text);
    bool startOfWord = true;
    for (QChar& c : out) {
        if (c.isSpace()) {
            startOfWord = true;
            continue;
        }
        c = startOfWord ? c.toUpper() : c.toLower();
        startOfWord = false;
    }
    return out;
}

clsLocations::clsLocations(store::Database& db, common::Messages& messages)
    : db_(db), messages_(messages) {}

std::optional<std::vector<TreeNode>> clsLocations::FillUpLocationTree() {
    std::vector<TreeNode> nodes;
    // The keys of the nodes made so far by id; a row whose parent is not
    // among them has no place in the tree. A child shares its parent's key.
    QHash<int, QString> known{{store::loc::None, RootKey}};
    {
        store::Query q(db_, SelectColumns + QStringLiteral("WHERE Loc_Level = ? ORDER BY Loc_ID"));
        q.bindAll(store::loc::ReservedLevel);
        while (q.next()) {
            const int id = static_cast<int>(q.integer(QStringLiteral("Loc_ID")));
            nodes.push_back({locationKey(id), RootKey,
                             properCase(q.text(QStringLiteral("Loc_Desc"))), image::SystemNode,
                             false});
            known.insert(id, nodes.back().key);
        }
    }
    if (nodes.empty()) {
        messages_.fail(QStringLiteral("Internal Error: There are No System Locations"));
        return std::nullopt;
    }
    nodes.insert(nodes.begin(), TreeNode{RootKey, QString(), RootText, image::SystemNode, false});

    const int branches[] = {store::loc::AvailableLocations, store::loc::AvailableLicences,
                            store::loc::RemovedLocations};
    QStringList orphans;
    for (int branch : branches) {
        store::Query q(db_, SelectColumns +
                                QStringLiteral("WHERE Loc_Top = ? AND Loc_Level > ? "
                                               "ORDER BY Loc_Level, Loc_Desc") +
                                store::IgnoreCase + QStringLiteral(", Loc_ID"));
        q.bindAll(branch, store::loc::ReservedLevel);
        const int nodeImage =
            branch == store::loc::RemovedLocations ? image::RemovedLocation : image::Location;
        while (q.next()) {
            const int id = static_cast<int>(q.integer(QStringLiteral("Loc_ID")));
            const int parentId = static_cast<int>(q.integer(QStringLiteral("Loc_ParentID")));
            QString text = properCase(q.text(QStringLiteral("Loc_Desc")));
            const auto parent = known.constFind(parentId);
            if (parent == known.cend()) {
                orphans << text;
                continue;
            }
            nodes.push_back({locationKey(id), parent.value(), std::move(text), nodeImage, false});
            known.insert(id, nodes.back().key);
        }
    }
    // The root and the three branches that hold locations open expanded.
    const QString expandedKeys[] = {RootKey, locationKey(store::loc::AvailableLocations),
                                    locationKey(store::loc::AvailableLicences),
                                    locationKey(store::loc::RemovedLocations)};
    for (TreeNode& n : nodes)
        n.expanded = std::find(std::begin(expandedKeys), std::end(expandedKeys), n.key) !=
                     std::end(expandedKeys);
    if (!orphans.isEmpty())
        failOrphans(orphans);
    return nodes;
}

namespace {

// Whether a location row has children in the tree: rows below it in one of
// the three branches, in its own branch unless it is a system location.
const QString HasChildren =
    QStringLiteral("CASE WHEN EXISTS (SELECT 1 FROM Locations k WHERE k.Loc_ParentID = c.Loc_ID "
                   "AND k.Loc_Level > c.Loc_Level AND k.Loc_Top IN (?, ?, ?) "
                   "AND (c.Loc_Level = ? OR k.Loc_Top = c.Loc_Top)) THEN 1 ELSE 0 END AS HasKids");

} // namespace

std::optional<std::vector<TreeNode>> clsLocations::TopOfLocationTree() {
    std::vector<TreeNode> nodes{
        TreeNode{RootKey, QString(), RootText, image::SystemNode, true, true}};
    std::vector<TreeNode> system = childrenOf(store::loc::None, RootKey);
    if (system.empty()) {
        messages_.fail(QStringLiteral("Internal Error: There are No System Locations"));
        return std::nullopt;
    }
    const int open[] = {store::loc::AvailableLocations, store::loc::AvailableLicences,
                        store::loc::RemovedLocations};
    for (TreeNode& n : system) {
        const int id = common::idOfKey(n.key);
        n.expanded = std::find(std::begin(open), std::end(open), id) != std::end(open);
        nodes.push_back(n);
    }
    for (const TreeNode& n : system) {
        if (!n.expanded)
            continue;
        std::vector<TreeNode> children = childrenOf(common::idOfKey(n.key), n.key);
        std::move(children.begin(), children.end(), std::back_inserter(nodes));
    }
    return nodes;
}

std::optional<PlacesCheck> clsLocations::StartPlacesCheck() {
    const std::int64_t changes = db_.tableChangeCount(QStringLiteral("Locations"));
    if (orphansCheckedAt_ && *orphansCheckedAt_ == changes)
        return std::nullopt;
    orphansCheckedAt_ = changes;
    return PlacesCheck{};
}

bool clsLocations::ContinuePlacesCheck(PlacesCheck& check, int rows) {
    // The slice: the next rows locations by id, found through the key.
    store::Query last(db_, QStringLiteral("SELECT max(Loc_ID) AS last FROM (SELECT Loc_ID FROM "
                                          "Locations WHERE Loc_ID > ? ORDER BY Loc_ID LIMIT ?) t"));
    last.bindAll(check.afterId, rows);
    if (last.next() && !last.isNull(QStringLiteral("last"))) {
        const std::int64_t upTo = last.integer(QStringLiteral("last"));
        // A parent that is missing, in another branch (unless a system
        // location) or not above the row leaves the row out of the tree.
        // The slice is read by key: the unary pluses keep the engine from
        // choosing the branch index, which would read every branch's rows.
        store::Query q(db_, QStringLiteral("SELECT c.Loc_ID, c.Loc_Desc, c.Loc_Top, c.Loc_Level "
                                           "FROM Locations c LEFT JOIN Locations p ON p.Loc_ID = "
                                           "c.Loc_ParentID WHERE c.Loc_ID > ? AND c.Loc_ID <= ? "
                                           "AND +c.Loc_Top IN (?, ?, ?) AND +c.Loc_Level > ? "
                                           "AND (p.Loc_ID IS NULL OR (p.Loc_Level > ? "
                                           "AND (p.Loc_Top <> c.Loc_Top OR p.Loc_Level >= "
                                           "c.Loc_Level)))"));
        q.bindAll(check.afterId, upTo, store::loc::AvailableLocations,
                  store::loc::AvailableLicences, store::loc::RemovedLocations,
                  store::loc::ReservedLevel, store::loc::ReservedLevel);
        while (q.next())
            check.found.push_back({static_cast<int>(q.integerAt(2)),
                                   static_cast<int>(q.integerAt(3)), q.rawTextAt(1),
                                   q.integerAt(0)});
        check.afterId = upTo;
        return false;
    }
    if (check.found.empty())
        return true;
    // Named by branch, level and description case-blind.
    std::vector<std::pair<store::SortKey, const PlacesCheck::Found*>> order;
    for (const PlacesCheck::Found& f : check.found)
        order.emplace_back(store::sortKey(f.desc), &f);
    std::sort(order.begin(), order.end(), [](const auto& a, const auto& b) {
        const PlacesCheck::Found& x = *a.second;
        const PlacesCheck::Found& y = *b.second;
        if (x.top != y.top || x.level != y.level)
            return std::pair(x.top, x.level) < std::pair(y.top, y.level);
        const int byDesc = a.first.compare(b.first);
        return byDesc != 0 ? byDesc < 0 : x.id < y.id;
    });
    QStringList names;
    for (const auto& o : order)
        names << properCase(o.second->desc.trimmed());
    failOrphans(names);
    return true;
}

bool clsLocations::CheckLocationPlaces() {
    std::optional<PlacesCheck> check = StartPlacesCheck();
    if (!check)
        return true;
    while (!ContinuePlacesCheck(*check, std::numeric_limits<int>::max())) {
    }
    return check->found.empty();
}

void clsLocations::failOrphans(const QStringList& orphans) {
    messages_.fail(QStringLiteral("Internal Error: these locations have no parent location "
                                  "in their branch and are not shown: ") +
                   orphans.join(QStringLiteral(", ")));
}

std::vector<TreeNode> clsLocations::ChildLocations(const QString& parentKey) {
    const QString key = parentKey.trimmed();
    if (key == RootKey)
        return childrenOf(store::loc::None, RootKey);
    const common::NodeKey parsed = common::parseNodeKey(key);
    if (parsed.kind != QLatin1Char('L') || parsed.id <= 0)
        return {};
    return childrenOf(parsed.id, key);
}

std::vector<TreeNode> clsLocations::childrenOf(int parentId, const QString& parentKey) {
    std::vector<TreeNode> nodes;
    if (parentId == store::loc::None) {
        store::Query q(db_, QStringLiteral("SELECT c.Loc_ID, c.Loc_Desc, ") + HasChildren +
                                QStringLiteral(" FROM Locations c WHERE c.Loc_Level = ? "
                                               "ORDER BY c.Loc_ID"));
        q.bindAll(store::loc::AvailableLocations, store::loc::AvailableLicences,
                  store::loc::RemovedLocations, store::loc::ReservedLevel,
                  store::loc::ReservedLevel);
        while (q.next())
            nodes.push_back({locationKey(static_cast<int>(q.integer(QStringLiteral("Loc_ID")))),
                             parentKey, properCase(q.text(QStringLiteral("Loc_Desc"))),
                             image::SystemNode, false, q.integer(QStringLiteral("HasKids")) != 0});
        return nodes;
    }
    // The rows below the parent in the three branches; below a user
    // location, only those of its own branch. The parent's row is joined
    // so that a key naming no location gives nothing.
    store::Query q(db_,
                   QStringLiteral("SELECT c.Loc_ID, c.Loc_Desc, c.Loc_Top, ") + HasChildren +
                       QStringLiteral(" FROM Locations c INNER JOIN Locations p ON p.Loc_ID = "
                                      "c.Loc_ParentID WHERE c.Loc_ParentID = ? "
                                      "AND c.Loc_Level > p.Loc_Level AND c.Loc_Top IN (?, ?, ?) "
                                      "AND (p.Loc_Level = ? OR c.Loc_Top = p.Loc_Top) "
                                      "ORDER BY c.Loc_Level, c.Loc_Desc") +
                       store::IgnoreCase + QStringLiteral(", c.Loc_ID"));
    q.bindAll(store::loc::AvailableLocations, store::loc::AvailableLicences,
              store::loc::RemovedLocations, store::loc::ReservedLevel, parentId,
              store::loc::AvailableLocations, store::loc::AvailableLicences,
              store::loc::RemovedLocations, store::loc::ReservedLevel);
    while (q.next()) {
        const int top = static_cast<int>(q.integer(QStringLiteral("Loc_Top")));
        nodes.push_back(
            {locationKey(static_cast<int>(q.integer(QStringLiteral("Loc_ID")))), parentKey,
             properCase(q.text(QStringLiteral("Loc_Desc"))),
             top == store::loc::RemovedLocations ? image::RemovedLocation : image::Location, false,
             q.integer(QStringLiteral("HasKids")) != 0});
    }
    return nodes;
}

QStringList clsLocations::LocationKeyPath(int locId) {
    // Up the parents one row at a time; a tree is a handful of levels deep,
    // and a chain that does not climb (a damaged register) ends the walk.
    QStringList keys;
    int id = locId;
    int level = std::numeric_limits<int>::max();
    int top = 0;
    for (;;) {
        store::Query q(db_, QStringLiteral("SELECT Loc_Level, Loc_ParentID, Loc_Top FROM "
                                           "Locations WHERE Loc_ID = ?"));
        q.bindAll(id);
        if (!q.next())
            return {};
        const int rowLevel = static_cast<int>(q.integer(QStringLiteral("Loc_Level")));
        const int rowTop = static_cast<int>(q.integer(QStringLiteral("Loc_Top")));
        if (rowLevel >= level)
            return {};
        keys.prepend(locationKey(id));
        if (rowLevel == store::loc::ReservedLevel)
            break;
        if (rowTop != store::loc::AvailableLocations && rowTop != store::loc::AvailableLicences &&
            rowTop != store::loc::RemovedLocations)
            return {};
        if (top != 0 && rowTop != top)
            return {};
        top = rowTop;
        level = rowLevel;
        id = static_cast<int>(q.integer(QStringLiteral("Loc_ParentID")));
    }
    keys.prepend(RootKey);
    return keys;
}

QString clsLocations::storedDescription(int locId) {
    store::Query q(db_, QStringLiteral("SELECT Loc_Desc FROM Locations WHERE Loc_ID = ?"));
    q.bindAll(locId);
    return q.next() ? q.text(QStringLiteral("Loc_Desc")) : QString();
}

bool clsLocations::checkDescription(const QString& newdesc) {
    const QString desc = newdesc.trimmed();
    QString refusal;
    if (desc.isEmpty())
        refusal = QStringLiteral("Please enter a location description");
    else if (!common::fitsField(common::FieldKind::FreeText, desc))
        refusal = QStringLiteral("Please enter a valid location description");
    else if (desc.size() > LocationDescLimit)
        refusal = common::limitMessage(LocationDescLimit);
    if (refusal.isEmpty())
        return true;
    messages_.refuse(refusal);
    return false;
}

std::optional<TreeNode> clsLocations::AddLocation(const QString& newdesc) {
    if (!checkDescription(newdesc))
        return std::nullopt;
    const int parentId = CurrentLocId();
    return store::withRetries(db_, [&] { return addUnder(parentId, newdesc); });
}

std::optional<TreeNode> clsLocations::addUnder(int parentId, const QString& newdesc) {
    // The parent is locked until the new row is in: nobody moves or
    // removes it meanwhile, so its level and branch hold for the child.
    store::Transaction tx(db_);
    store::lockRow(db_, QStringLiteral("Locations"), QStringLiteral("Loc_ID"), parentId,
                   store::RowLock::Share);
    store::Query parent(
        db_,
        QStringLiteral("SELECT Loc_Level, Loc_Status, Loc_Top FROM Locations WHERE Loc_ID = ?"));
    parent.bindAll(parentId);
    if (!parent.next()) {
        messages_.fail(QStringLiteral("Internal Error: Selecting Parent Node"));
        return std::nullopt;
    }
    const QString status = parent.text(QStringLiteral("Loc_Status"));
    const int level = static_cast<int>(parent.integer(QStringLiteral("Loc_Level")));
    int top = 0;
    if (status == store::StatusMainBranch)
        top = parentId;
    else if (status == store::StatusUser)
        top = static_cast<int>(parent.integer(QStringLiteral("Loc_Top")));

    int added = 0;
    if (top != 0)
        added =
            db_.execute(QStringLiteral("INSERT INTO Locations (Loc_Desc, Loc_Status, Loc_Level, "
                                       "Loc_ParentID, Loc_Top) VALUES (?, ?, ?, ?, ?)"),
                        newdesc.trimmed(), store::StatusUser, level + 1, parentId, top);
    if (added != 1) {
        messages_.fail(QStringLiteral("Internal Error: adding location"));
        return std::nullopt;
    }
    const int newId = static_cast<int>(db_.lastInsertId());
    tx.commit();
    return TreeNode{locationKey(newId), locationKey(parentId), newdesc, image::Location, true};
}

bool clsLocations::ModifyLocation(const QString& newdesc) {
    if (!checkDescription(newdesc))
        return false;
    const int changed = db_.execute(
        QStringLiteral("UPDATE Locations SET Loc_Desc = ? WHERE Loc_ID = ? AND Loc_Level > ?"),
        newdesc.trimmed(), CurrentLocId(), store::loc::ReservedLevel);
    if (changed != 1) {
        messages_.fail(QStringLiteral("Internal Error: Modifying location"));
        return false;
    }
    return true;
}

bool clsLocations::UpdateLocation(int thisNodeID, int parentNodeID) {
    // The drop rules hold here too, whoever calls: nothing goes directly
    // under the root or the removed rows 3-5, nor under itself, and only a
    // location without child locations moves (so nothing can go under one
    // of its own descendants).
    const bool reservedParent =
        parentNodeID == store::loc::None || parentNodeID == store::loc::RemovedLocations ||
        parentNodeID == store::loc::RemovedLicences || parentNodeID == store::loc::RemovedStock;
    const bool reservedRow =
        thisNodeID >= store::loc::AvailableLocations && thisNodeID <= store::loc::RemovedStock;
    if (reservedParent || reservedRow || thisNodeID == parentNodeID) {
        messages_.fail(QStringLiteral("Internal Error: Modifying location"));
        return false;
    }
    return store::withRetries(db_, [&] { return moveUnder(thisNodeID, parentNodeID); });
}

bool clsLocations::moveUnder(int thisNodeID, int parentNodeID) {
    store::Transaction tx(db_);
    // Both rows locked, the lower id first so that two users moving each
    // other's rows wait rather than deadlock: whoever comes second sees
    // the first one's move (a location that now has a child stays put).
    for (const int id : {std::min(thisNodeID, parentNodeID), std::max(thisNodeID, parentNodeID)})
        store::lockRow(db_, QStringLiteral("Locations"), QStringLiteral("Loc_ID"), id);
    if (db_.exists(QStringLiteral("SELECT Loc_ID FROM Locations WHERE Loc_ParentID = ?"),
                   thisNodeID)) {
        messages_.refuse(QStringLiteral("You may only drag locations that have no sub locations"));
        return false;
    }
    store::Query parent(
        db_, QStringLiteral("SELECT Loc_Level, Loc_Top FROM Locations WHERE Loc_ID = ?"));
    parent.bindAll(parentNodeID);
    if (!parent.next()) {
        messages_.fail(QStringLiteral("Internal Error: Selecting Parent Data"));
        return false;
    }
    const int level = static_cast<int>(parent.integer(QStringLiteral("Loc_Level")));
    const int top = level == store::loc::ReservedLevel
                        ? parentNodeID
                        : static_cast<int>(parent.integer(QStringLiteral("Loc_Top")));
    const int changed = db_.execute(
        QStringLiteral("UPDATE Locations SET Loc_Level = ?, Loc_ParentID = ?, Loc_Top = ? "
                       "WHERE Loc_ID = ? AND Loc_Level > ?"),
        level + 1, parentNodeID, top, thisNodeID, store::loc::ReservedLevel);
    if (changed != 1) {
        messages_.fail(QStringLiteral("Internal Error: Modifying location"));
        return false;
    }
    tx.commit();
    return true;
}

DeleteResult clsLocations::DeleteLocation(int selectedImage) {
    const int id = CurrentLocId();
    const QString desc = CurrentLocDesc();
    if (selectedImage != image::RemovedLocation && selectedImage != image::Location)
        return DeleteResult::Nothing;

    const auto refuseWithChildren = [&] {
        if (!db_.exists(QStringLiteral("SELECT Loc_ID FROM Locations WHERE Loc_ParentID = ?"), id))
            return false;
        messages_.refuse(QStringLiteral("Cannot remove, this location has child locations"));
        return true;
    };

    if (selectedImage == image::RemovedLocation) {
        if (db_.exists(QStringLiteral("SELECT Stock_ID FROM Stock WHERE Loc_ID = ?"), id)) {
            messages_.refuse(QStringLiteral("Cannot remove, this location has stock within it"));
            return DeleteResult::Nothing;
        }
        if (db_.exists(QStringLiteral("SELECT Licence_ID FROM Licences WHERE Loc_ID = ?"), id)) {
            messages_.refuse(QStringLiteral("Cannot remove, this location has licences within it"));
            return DeleteResult::Nothing;
        }
        // A location dragged onto a removed one would be left without its
        // parent row.
        if (refuseWithChildren())
            return DeleteResult::Nothing;
        if (!messages_.ask(QStringLiteral("Are you sure you wish to remove location ") + desc +
                           QStringLiteral("\rThis will be completely removed from your database")))
            return DeleteResult::Nothing;
        return store::withRetries(db_, [&] {
            // Locked, the location takes no new item or child until it is
            // gone; what the checks found is checked again under the lock.
            store::Transaction tx(db_);
            store::lockRow(db_, QStringLiteral("Locations"), QStringLiteral("Loc_ID"), id);
            if (const auto held = heldIn(id)) {
                messages_.conflict(*held);
                return DeleteResult::Nothing;
            }
            const int deleted = db_.execute(
                QStringLiteral("DELETE FROM Locations WHERE Loc_ID = ? AND Loc_Level > ? "
                               "AND Loc_Top = ?"),
                id, store::loc::ReservedLevel, store::loc::RemovedLocations);
            if (deleted != 1) {
                messages_.fail(QStringLiteral("Internal Error: Deleting location"));
                return DeleteResult::Nothing;
            }
            tx.commit();
            return DeleteResult::Deleted;
        });
    }

    if (refuseWithChildren())
        return DeleteResult::Nothing;
    if (!messages_.ask(QStringLiteral("Are you sure you wish to remove location ") + desc))
        return DeleteResult::Nothing;
    return store::withRetries(db_, [&] {
        store::Transaction tx(db_);
        store::lockRow(db_, QStringLiteral("Locations"), QStringLiteral("Loc_ID"), id);
        if (db_.exists(QStringLiteral("SELECT Loc_ID FROM Locations WHERE Loc_ParentID = ?"), id)) {
            messages_.conflict(QStringLiteral("Cannot remove, this location has child locations"));
            return DeleteResult::Nothing;
        }
        const int parked =
            db_.execute(QStringLiteral("UPDATE Locations SET Loc_ParentID = ?, Loc_Top = ? "
                                       "WHERE Loc_ID = ? AND Loc_Level > ?"),
                        store::loc::RemovedLocations, store::loc::RemovedLocations, id,
                        store::loc::ReservedLevel);
        if (parked != 1) {
            messages_.fail(QStringLiteral("Internal Error: Deleting location"));
            return DeleteResult::Nothing;
        }
        tx.commit();
        return DeleteResult::Parked;
    });
}

std::optional<QString> clsLocations::heldIn(int id) {
    if (db_.exists(QStringLiteral("SELECT Stock_ID FROM Stock WHERE Loc_ID = ?"), id))
        return QStringLiteral("Cannot remove, this location has stock within it");
    if (db_.exists(QStringLiteral("SELECT Licence_ID FROM Licences WHERE Loc_ID = ?"), id))
        return QStringLiteral("Cannot remove, this location has licences within it");
    if (db_.exists(QStringLiteral("SELECT Loc_ID FROM Locations WHERE Loc_ParentID = ?"), id))
        return QStringLiteral("Cannot remove, this location has child locations");
    return std::nullopt;
}

DropResult clsLocations::DropLocation(const std::optional<NodeInfo>& dragged,
                                      const std::optional<NodeInfo>& target) {
    if (!dragged || !target)
        return DropResult::Refused;
    if (dragged->image == image::SystemNode)
        return DropResult::Refused;
    if (dragged->parentKey == target->key) {
        messages_.refuse(QStringLiteral("This location is already under this location"));
        return DropResult::Refused;
    }
    if (dragged->childCount > 0) {
        messages_.refuse(QStringLiteral("You may only drag locations that have no sub locations"));
        return DropResult::Refused;
    }
    const QStringList invalidTargets{RootKey, locationKey(store::loc::RemovedLocations),
                                     locationKey(store::loc::RemovedLicences),
                                     locationKey(store::loc::RemovedStock)};
    if (invalidTargets.contains(target->key))
        return DropResult::Refused;
    if (!messages_.ask(QStringLiteral("Are you sure wish to move: ") + dragged->text +
                       QStringLiteral("\runder the location: ") + target->text))
        return DropResult::Refused;
    if (target->key == dragged->key)
        return DropResult::Unchanged;
    return UpdateLocation(common::idOfKey(dragged->key), common::idOfKey(target->key))
               ? DropResult::Moved
               : DropResult::Refused;
}

MenuState clsLocations::MenuFor(const NodeInfo& selected) {
    if (selected.image == image::Location)
        return {true, true, true};
    if (selected.image == image::RemovedLocation)
        return {false, false, true};
    const bool branch = selected.key == locationKey(store::loc::AvailableLocations) ||
                        selected.key == locationKey(store::loc::AvailableLicences);
    return {branch, false, false};
}

} // namespace locations
