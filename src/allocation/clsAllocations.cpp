#include "allocation/clsAllocations.h"

#include "common/Clock.h"
#include "common/Messages.h"
#include "common/NodeKey.h"
#include "store/Collation.h"
#include "store/Database.h"
#include "store/History.h"
#include "store/StoreConstants.h"

#include <QHash>

#include <algorithm>

namespace allocation {

namespace image = common::image;
using locations::locationKey;
using locations::properCase;

namespace {

const QString StockKind = QStringLiteral("S");

bool isLicenceKind(QChar kind) {
    return kind == QLatin1Char('N') || kind == QLatin1Char('T');
}

QString licenceType(QChar kind) {
    return kind == QLatin1Char('T') ? store::LicenceTemporary : store::LicenceNormal;
}

int groupImage(QChar kind, int locId) {
    const bool removed = locId == store::loc::RemovedLicences;
    if (kind == QLatin1Char('T'))
        return removed ? image::RemovedTemporaryLicence : image::TemporaryLicence;
    return removed ? image::RemovedLicence : image::Licence;
}

// shownDesc is the product's description as the tree shows it.
QString groupText(QChar kind, const QString& shownDesc, qint64 count) {
    return shownDesc +
           (kind == QLatin1Char('T') ? QStringLiteral(" - (Temp Licences x ")
                                     : QStringLiteral(" - (Licences x ")) +
           QString::number(count) + QLatin1Char(')');
}

QString stockText(const QString& shownDesc, const QString& code) {
    return shownDesc + QStringLiteral(" - (") + code + QLatin1Char(')');
}

int stockImage(int locId) {
    return locId == store::loc::RemovedStock ? image::RemovedStock : image::Stock;
}

// A stock item's node at a location whose key the caller has made.
TreeNode stockNode(qint64 stockId, int locId, const QString& locKey, const QString& shownDesc,
                   const QString& code) {
    return {StockKind + QString::number(stockId), locKey, stockText(shownDesc, code),
            stockImage(locId), false};
}

// A licence group's node. Its key is common::licenceGroupKey's (kind,
// product, location), put together directly: a fill makes tens of
// thousands.
TreeNode groupNode(QChar kind, qint64 prodId, int locId, const QString& locKey,
                   const QString& shownDesc, qint64 count) {
    return {kind + QString::number(prodId) + QLatin1Char('-') + QString::number(locId), locKey,
            groupText(kind, shownDesc, count), groupImage(kind, locId), false};
}

// One item before it is a node: its product's rank and its own id (a
// stock item's, or a licence group's location), which order it among its
// location's; where it is, its product, and its stock code or its group's
// count.
struct ItemRow {
    int rank;
    qint64 id;
    int locId;
    qint64 prodId;
    qint64 count;
    QString code;
};

void sortRows(std::vector<ItemRow>& rows) {
    std::sort(rows.begin(), rows.end(), [](const ItemRow& a, const ItemRow& b) {
        return a.rank != b.rank ? a.rank < b.rank : a.id < b.id;
    });
}

// The parts of a location's items, in the order they show.
enum Part { StockPart, NormalPart, TemporaryPart, PartsRead };

QChar partKind(int part) {
    return part == NormalPart ? QLatin1Char('N') : QLatin1Char('T');
}

ItemsPlace startOf(int part) {
    ItemsPlace place;
    place.part = part;
    return place;
}

} // namespace

// One row of a part: a stock item, or a licence group with its count.
struct clsAllocations::PartRow {
    std::int64_t prodId = 0;
    QString prodDesc; // as stored
    std::int64_t stockId = 0;
    QString code;
    std::int64_t count = 0;
};

clsAllocations::clsAllocations(store::Database& db, common::Messages& messages,
                               common::Clock& clock)
    : db_(db), messages_(messages), clock_(clock) {}

ProductOrder clsAllocations::ProductsInOrder() {
    ProductOrder order;
    // Walked in the order of ixProductsDescOrder, read by column position.
    store::Query q(db_, QStringLiteral("SELECT Prod_ID, Prod_Desc FROM Products ORDER BY "
                                       "Prod_Desc") +
                            store::IgnoreCase + QStringLiteral(", Prod_ID"));
    while (q.next()) {
        order.rank.insert(q.integerAt(0), static_cast<int>(order.shown.size()));
        order.shown.push_back(properCase(QString::fromUtf8(q.utf8At(1)).trimmed()));
    }
    return order;
}

std::vector<TreeNode> clsAllocations::FillAllocationItems() {
    // Products in description order, once: the item rows are then put in
    // that order by rank, without a text comparison per row. Rows are read
    // by column position and put in order before any node's texts are made.
    const ProductOrder order = ProductsInOrder();
    std::vector<TreeNode> nodes;
    const auto shown = [&order](const ItemRow& row) -> const QString& {
        return order.shown[static_cast<size_t>(row.rank)];
    };
    // Each location's key made once.
    QHash<int, QString> keys;
    const auto keyOf = [&](int at) {
        auto key = keys.constFind(at);
        if (key == keys.constEnd())
            key = keys.insert(at, locationKey(at));
        return *key;
    };

    std::vector<ItemRow> stock;
    {
        store::Query q(db_,
                       QStringLiteral("SELECT Stock_ID, Prod_ID, Loc_ID, Stock_Code FROM Stock"));
        while (q.next()) {
            const qint64 prodId = q.integerAt(1);
            const auto found = order.rank.constFind(prodId);
            if (found != order.rank.constEnd())
                stock.push_back({*found, q.integerAt(0), static_cast<int>(q.integerAt(2)), prodId,
                                 0, QString::fromUtf8(q.utf8At(3)).trimmed()});
        }
    }
    sortRows(stock);
    nodes.reserve(stock.size());
    for (const ItemRow& row : stock)
        nodes.push_back(stockNode(row.id, row.locId, keyOf(row.locId), shown(row), row.code));

    for (const QChar kind : {QLatin1Char('N'), QLatin1Char('T')}) {
        std::vector<ItemRow> groups;
        store::Query q(db_, QStringLiteral("SELECT Prod_ID, Loc_ID, count(*) AS n FROM Licences "
                                           "WHERE Type = ? GROUP BY Loc_ID, Prod_ID"));
        q.bindAll(licenceType(kind));
        while (q.next()) {
            const qint64 prodId = q.integerAt(0);
            const auto found = order.rank.constFind(prodId);
            if (found != order.rank.constEnd()) {
                const int at = static_cast<int>(q.integerAt(1));
                groups.push_back({*found, at, at, prodId, q.integerAt(2), QString()});
            }
        }
        sortRows(groups);
        nodes.reserve(nodes.size() + groups.size());
        for (const ItemRow& row : groups)
            nodes.push_back(
                groupNode(kind, row.prodId, row.locId, keyOf(row.locId), shown(row), row.count));
    }
    return nodes;
}

ItemsBatch clsAllocations::LocationItemsFrom(int locId, const ItemsPlace& from, int count) {
    ItemsBatch batch;
    ItemsPlace place = from;
    const QString key = locationKey(locId);
    QHash<qint64, QString> shown; // each product's description as the tree shows it
    const auto add = [&](const std::vector<PartRow>& rows) {
        for (const PartRow& row : rows) {
            auto desc = shown.constFind(row.prodId);
            if (desc == shown.constEnd())
                desc = shown.insert(row.prodId, properCase(row.prodDesc.trimmed()));
            batch.nodes.push_back(
                place.part == StockPart
                    ? stockNode(row.stockId, locId, key, *desc, row.code)
                    : groupNode(partKind(place.part), row.prodId, locId, key, *desc, row.count));
        }
    };
    while (place.part < PartsRead && static_cast<int>(batch.nodes.size()) < count) {
        if (!place.walking) {
            if (auto rows = wholePart(locId, place.part)) {
                add(*rows);
                place = startOf(place.part + 1);
                continue;
            }
            place.walking = true;
        }
        const int wanted = count - static_cast<int>(batch.nodes.size());
        const std::vector<PartRow> rows = walkPart(locId, place, wanted);
        add(rows);
        if (static_cast<int>(rows.size()) < wanted)
            place = startOf(place.part + 1);
    }
    if (place.part < PartsRead)
        batch.next = place;
    return batch;
}

std::optional<std::vector<clsAllocations::PartRow>> clsAllocations::wholePart(int locId, int part) {
    // One row more than a whole part may hold says that it holds more.
    std::vector<PartRow> rows;
    int read = 0;
    if (part == StockPart) {
        store::Query q(db_,
                       QStringLiteral("SELECT s.Stock_ID, s.Prod_ID, s.Stock_Code, p.Prod_Desc "
                                      "FROM Stock s JOIN Products p ON p.Prod_ID = s.Prod_ID "
                                      "WHERE s.Loc_ID = ? LIMIT ?"));
        q.bindAll(locId, WholePartRows + 1);
        while (q.next() && ++read <= WholePartRows)
            rows.push_back({q.integerAt(1), QString::fromUtf8(q.utf8At(3)), q.integerAt(0),
                            QString::fromUtf8(q.utf8At(2)).trimmed(), 0});
    } else {
        // A licence a row, counted here into its product's group.
        store::Query q(db_, QStringLiteral("SELECT l.Prod_ID, p.Prod_Desc FROM Licences l JOIN "
                                           "Products p ON p.Prod_ID = l.Prod_ID "
                                           "WHERE l.Loc_ID = ? AND l.Type = ? LIMIT ?"));
        q.bindAll(locId, licenceType(partKind(part)), WholePartRows + 1);
        QHash<qint64, size_t> groupOf;
        while (q.next() && ++read <= WholePartRows) {
            const qint64 prodId = q.integerAt(0);
            const auto group = groupOf.constFind(prodId);
            if (group != groupOf.constEnd()) {
                ++rows[*group].count;
                continue;
            }
            groupOf.insert(prodId, rows.size());
            rows.push_back({prodId, QString::fromUtf8(q.utf8At(1)), 0, QString(), 1});
        }
    }
    if (read > WholePartRows)
        return std::nullopt;
    // In the products' order, each product's description put in that order once.
    QHash<qint64, store::SortKey> keys;
    for (const PartRow& row : rows)
        if (!keys.contains(row.prodId))
            keys.insert(row.prodId, store::sortKey(row.prodDesc));
    std::sort(rows.begin(), rows.end(), [&keys](const PartRow& a, const PartRow& b) {
        if (a.prodId == b.prodId)
            return a.stockId < b.stockId;
        const int order = keys.find(a.prodId)->compare(*keys.find(b.prodId));
        return order != 0 ? order < 0 : a.prodId < b.prodId;
    });
    return rows;
}

std::vector<clsAllocations::PartRow> clsAllocations::walkPart(int locId, ItemsPlace& place,
                                                              int count) {
    std::vector<PartRow> rows;
    const store::ProductPlace& last = place.product;
    if (place.part == StockPart) {
        // The rest of the last product's items first.
        if (last.prodId != 0) {
            store::Query q(db_, QStringLiteral("SELECT Stock_ID, Stock_Code FROM Stock WHERE "
                                               "Loc_ID = ? AND Prod_ID = ? AND Stock_ID > ? "
                                               "ORDER BY Stock_ID LIMIT ?"));
            q.bindAll(locId, last.prodId, place.stockId, count);
            while (q.next())
                rows.push_back({last.prodId, last.prodDesc, q.integerAt(0),
                                QString::fromUtf8(q.utf8At(1)).trimmed(), 0});
        }
        if (static_cast<int>(rows.size()) < count) {
            // Each product after the last one read, its items at the
            // location found through ixStockLocationProduct.
            store::Query q(db_,
                           QStringLiteral("SELECT p.Prod_ID, p.Prod_Desc, s.Stock_ID, s.Stock_Code "
                                          "FROM Products p CROSS JOIN Stock s WHERE s.Prod_ID = "
                                          "p.Prod_ID AND s.Loc_ID = ?") +
                               store::productsAfter(last) +
                               store::productsInOrder(QStringLiteral(", s.Stock_ID")) +
                               QStringLiteral(" LIMIT ?"));
            q.bind(1, locId);
            q.bind(store::bindProductsAfter(q, 2, last), count - static_cast<int>(rows.size()));
            while (q.next())
                rows.push_back({q.integerAt(0), QString::fromUtf8(q.utf8At(1)), q.integerAt(2),
                                QString::fromUtf8(q.utf8At(3)).trimmed(), 0});
        }
    } else {
        // Each product after the last one read that the location holds
        // licences of, counted through ixLicencesLocationType.
        const QString type = licenceType(partKind(place.part));
        store::Query q(db_, QStringLiteral("SELECT p.Prod_ID, p.Prod_Desc, (SELECT count(*) FROM "
                                           "Licences c WHERE c.Loc_ID = ? AND c.Type = ? AND "
                                           "c.Prod_ID = p.Prod_ID) AS n FROM Products p WHERE "
                                           "EXISTS (SELECT 1 FROM Licences l WHERE l.Loc_ID = ? "
                                           "AND l.Type = ? AND l.Prod_ID = p.Prod_ID)") +
                                store::productsAfter(last) + store::productsInOrder() +
                                QStringLiteral(" LIMIT ?"));
        q.bindAll(locId, type, locId, type);
        q.bind(store::bindProductsAfter(q, 5, last), count);
        while (q.next())
            rows.push_back(
                {q.integerAt(0), QString::fromUtf8(q.utf8At(1)), 0, QString(), q.integerAt(2)});
    }
    if (!rows.empty()) {
        place.product = {rows.back().prodId, rows.back().prodDesc};
        place.stockId = rows.back().stockId;
    }
    return rows;
}

bool clsAllocations::HoldsItems(int locId) {
    store::Query q(db_, QStringLiteral("SELECT CASE WHEN EXISTS (SELECT 1 FROM Stock WHERE "
                                       "Loc_ID = ?) OR EXISTS (SELECT 1 FROM Licences WHERE "
                                       "Loc_ID = ?) THEN 1 ELSE 0 END AS held"));
    q.bindAll(locId, locId);
    return q.next() && q.integer(QStringLiteral("held")) != 0;
}

QSet<int> clsAllocations::ChildrenHoldingItems(int parentId) {
    store::Query q(db_, QStringLiteral("SELECT c.Loc_ID FROM Locations c WHERE c.Loc_ParentID = ? "
                                       "AND (EXISTS (SELECT 1 FROM Stock s WHERE s.Loc_ID = "
                                       "c.Loc_ID) OR EXISTS (SELECT 1 FROM Licences l WHERE "
                                       "l.Loc_ID = c.Loc_ID))"));
    q.bindAll(parentId);
    QSet<int> out;
    while (q.next())
        out.insert(static_cast<int>(q.integer(QStringLiteral("Loc_ID"))));
    return out;
}

std::optional<TreeNode> clsAllocations::StockNode(int stockId) {
    store::Query q(db_, QStringLiteral("SELECT s.Loc_ID, s.Stock_Code, p.Prod_Desc FROM Stock s "
                                       "JOIN Products p ON p.Prod_ID = s.Prod_ID "
                                       "WHERE s.Stock_ID = ?"));
    q.bindAll(stockId);
    if (!q.next())
        return std::nullopt;
    const int locId = static_cast<int>(q.integer(QStringLiteral("Loc_ID")));
    return stockNode(stockId, locId, locationKey(locId),
                     properCase(q.text(QStringLiteral("Prod_Desc"))),
                     q.text(QStringLiteral("Stock_Code")));
}

std::optional<int> clsAllocations::StockLocation(int stockId) {
    return locationOf(QLatin1Char('S'), stockId);
}

std::vector<TreeNode> clsAllocations::LicenceGroups(QChar type, int locId,
                                                    const std::vector<int>& products) {
    // The products a few hundred to a statement, each counted through
    // ixLicencesLocationType; put in the products' order here.
    constexpr size_t PerStatement = 500;
    std::vector<std::pair<store::SortKey, TreeNode>> found;
    for (size_t first = 0; first < products.size(); first += PerStatement) {
        const size_t n = std::min(PerStatement, products.size() - first);
        QStringList marks(static_cast<qsizetype>(n), QStringLiteral("?"));
        store::Query q(db_, QStringLiteral("SELECT l.Prod_ID, p.Prod_Desc, count(*) AS n "
                                           "FROM Licences l JOIN Products p ON p.Prod_ID = "
                                           "l.Prod_ID WHERE l.Type = ? AND l.Loc_ID = ? AND "
                                           "l.Prod_ID IN (") +
                                marks.join(QStringLiteral(", ")) +
                                QStringLiteral(") GROUP BY l.Prod_ID, p.Prod_Desc"));
        q.bind(1, licenceType(type)).bind(2, locId);
        for (size_t i = 0; i < n; ++i)
            q.bind(static_cast<int>(i) + 3, products[first + i]);
        while (q.next()) {
            const int prodId = static_cast<int>(q.integer(QStringLiteral("Prod_ID")));
            const QString desc = q.text(QStringLiteral("Prod_Desc"));
            found.emplace_back(store::sortKey(desc),
                               groupNode(type, prodId, locId, locationKey(locId), properCase(desc),
                                         q.integer(QStringLiteral("n"))));
        }
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<TreeNode> nodes;
    nodes.reserve(found.size());
    for (auto& [key, node] : found)
        nodes.push_back(std::move(node));
    return nodes;
}

std::optional<int> clsAllocations::firstLicenceOf(QChar type, int prodId, int locId) {
    store::Query q(db_, QStringLiteral("SELECT min(Licence_ID) AS id FROM Licences "
                                       "WHERE Type = ? AND Prod_ID = ? AND Loc_ID = ?"));
    q.bindAll(licenceType(type), prodId, locId);
    if (!q.next() || q.isNull(QStringLiteral("id")))
        return std::nullopt;
    return static_cast<int>(q.integer(QStringLiteral("id")));
}

std::optional<MoveUpdate> clsAllocations::MoveStockLic(const common::NodeKey& dragFrom,
                                                       const common::NodeKey& dragFromLoc,
                                                       const common::NodeKey& curNode) {
    if (dragFromLoc == curNode) {
        messages_.refuse(QStringLiteral("You have copied the stock/licence from this location"));
        return std::nullopt;
    }
    if (!isLicenceKind(dragFrom.kind) && dragFrom.kind != QLatin1Char('S'))
        return std::nullopt;
    const int targetId = curNode.id;
    // A stock node leaves the location it hangs under.
    const common::NodeKey from{dragFrom.kind, dragFrom.id,
                               isLicenceKind(dragFrom.kind) ? dragFrom.locId : dragFromLoc.id};
    const std::optional<int> itemId = store::withRetries(db_, [&]() -> std::optional<int> {
        store::Transaction tx(db_);
        int id = dragFrom.id;
        if (isLicenceKind(dragFrom.kind)) {
            const auto licence = lockLicenceOf(dragFrom.kind, dragFrom.id, dragFrom.locId);
            if (!licence) {
                // The tree showed the group: on a server another user has
                // moved its last licence away meanwhile.
                if (db_.onServer())
                    messages_.conflict(common::ChangedByAnotherUser);
                else
                    messages_.fail(QStringLiteral("Internal Error: Getting a single Licence ID"));
                return std::nullopt;
            }
            id = *licence;
        } else if (!holdItem(dragFrom.kind, id, from.locId)) {
            return std::nullopt;
        }
        const auto desc = locationDesc(targetId);
        if (!desc || !moveOne(dragFrom.kind, id, targetId, *desc))
            return std::nullopt; // the history row goes back with the transaction
        tx.commit();
        return id;
    });
    if (!itemId)
        return std::nullopt;
    rememberMove({{from, *itemId}}, targetId);
    return updatesFor({{from, *itemId}}, targetId).front();
}

bool clsAllocations::holdItem(QChar kind, int itemId, std::optional<int> shownAt) {
    // Locked until the commit: another user's move or removal of the same
    // item waits for this one, and then finds it moved.
    const bool licence = isLicenceKind(kind);
    if (!store::lockRow(db_, licence ? QStringLiteral("Licences") : QStringLiteral("Stock"),
                        licence ? QStringLiteral("Licence_ID") : QStringLiteral("Stock_ID"),
                        itemId)) {
        messages_.conflict(common::RemovedByAnotherUser);
        return false;
    }
    if (shownAt && shownAt != 0 && locationOf(kind, itemId) != shownAt) {
        messages_.conflict(common::ChangedByAnotherUser);
        return false;
    }
    return true;
}

std::optional<int> clsAllocations::lockLicenceOf(QChar type, int prodId, int locId) {
    // The licence found is locked and read again: another user may have
    // moved it between the two. A few tries, then the group counts as
    // emptied.
    for (int attempt = 0; attempt < 8; ++attempt) {
        const auto licence = firstLicenceOf(type, prodId, locId);
        if (!licence)
            return std::nullopt;
        if (!store::lockRow(db_, QStringLiteral("Licences"), QStringLiteral("Licence_ID"),
                            *licence))
            continue;
        store::Query q(db_, QStringLiteral("SELECT Licence_ID FROM Licences WHERE Licence_ID = ? "
                                           "AND Type = ? AND Prod_ID = ? AND Loc_ID = ?"));
        q.bindAll(*licence, licenceType(type), prodId, locId);
        if (q.next())
            return licence;
    }
    return std::nullopt;
}

std::vector<MoveUpdate>
clsAllocations::updatesFor(const std::vector<std::pair<common::NodeKey, int>>& moved, int locId) {
    std::vector<MoveUpdate> updates;
    for (const auto& [item, id] : moved) {
        if (!isLicenceKind(item.kind)) {
            updates.push_back(
                {item.kind, item.locId, locId, QStringLiteral("S%1").arg(item.id), {}, {}, {}});
            continue;
        }
        // One update for each group's type and source: several licences of
        // a group, or groups of several products, are counted again once.
        auto known = std::find_if(updates.begin(), updates.end(), [&](const MoveUpdate& u) {
            return u.kind == item.kind && u.sourceLocId == item.locId;
        });
        if (known == updates.end()) {
            updates.push_back({item.kind, item.locId, locId, QString(), {}, {}, {}});
            known = updates.end() - 1;
        }
        if (std::find(known->products.begin(), known->products.end(), item.id) ==
            known->products.end())
            known->products.push_back(item.id);
    }
    for (MoveUpdate& u : updates) {
        if (!isLicenceKind(u.kind))
            continue;
        u.sourceGroups = LicenceGroups(u.kind, u.sourceLocId, u.products);
        u.targetGroups = LicenceGroups(u.kind, u.targetLocId, u.products);
    }
    return updates;
}

std::optional<QString> clsAllocations::locationDesc(int locId) {
    store::Query q(db_, QStringLiteral("SELECT Loc_Desc FROM Locations WHERE Loc_ID = ?"));
    q.bindAll(locId);
    if (!q.next()) {
        messages_.fail(QStringLiteral("Internal Error: Getting Location Description"));
        return std::nullopt;
    }
    return q.text(QStringLiteral("Loc_Desc"));
}

bool clsAllocations::moveOne(QChar itemType, int itemId, int locId, const QString& locDesc) {
    const bool stock = !isLicenceKind(itemType);
    if (store::writeHistory(db_, itemId, stock ? store::HistoryStock : store::HistoryLicence,
                            locDesc, clock_.now()) != 1) {
        messages_.fail(QStringLiteral("Internal Error: Inserting into StockHistory"));
        return false;
    }
    const int changed =
        stock ? db_.execute(QStringLiteral("UPDATE Stock SET Loc_ID = ? WHERE Stock_ID = ?"), locId,
                            itemId)
              : db_.execute(QStringLiteral("UPDATE Licences SET Loc_ID = ? WHERE Licence_ID = ?"),
                            locId, itemId);
    if (changed != 1) {
        messages_.fail(stock ? QStringLiteral("Internal Error: Updating Stock Location")
                             : QStringLiteral("Internal Error: Updating Licence Location"));
        return false;
    }
    return true;
}

bool clsAllocations::MoveItemToLocation(QChar itemType, int itemId, int locId) {
    return store::withRetries(db_, [&] {
        store::Transaction tx(db_);
        if (!holdItem(itemType, itemId, std::nullopt))
            return false;
        const auto desc = locationDesc(locId);
        if (!desc || !moveOne(itemType, itemId, locId, *desc))
            return false; // the history row goes back with the transaction
        tx.commit();
        return true;
    });
}

MoveResult clsAllocations::MoveItems(const std::vector<common::NodeKey>& items, int locId,
                                     bool wholeGroups) {
    std::vector<std::pair<common::NodeKey, int>> moved;
    std::optional<MoveResult> result = store::withRetries(db_, [&]() -> std::optional<MoveResult> {
        moved.clear();
        store::Transaction tx(db_);
        const auto desc = locationDesc(locId);
        if (!desc)
            return std::nullopt;
        for (common::NodeKey item : items) {
            std::vector<int> ids;
            if (item.kind == QLatin1Char('S')) {
                // Where the tree showed it (when it says): another user's
                // move since is a conflict. An item already at the target
                // stays as it is; the others leave the location they are at.
                if (!holdItem(item.kind, item.id,
                              item.locId != 0 ? std::optional<int>(item.locId) : std::nullopt))
                    return std::nullopt;
                const int at = locationOf(item.kind, item.id).value_or(locId);
                if (at == locId)
                    continue;
                item.locId = at;
                ids.push_back(item.id);
            } else if (isLicenceKind(item.kind)) {
                if (item.locId == locId)
                    continue;
                if (wholeGroups) {
                    store::Query q(db_,
                                   QStringLiteral("SELECT Licence_ID FROM Licences WHERE Type = ? "
                                                  "AND Prod_ID = ? AND Loc_ID = ? ORDER BY "
                                                  "Licence_ID"));
                    q.bindAll(licenceType(item.kind), item.id, item.locId);
                    while (q.next())
                        ids.push_back(static_cast<int>(q.integer(QStringLiteral("Licence_ID"))));
                    // Each locked and still there, or another user came first.
                    for (const int id : ids)
                        if (!holdItem(item.kind, id, item.locId))
                            return std::nullopt;
                } else if (const auto licence = lockLicenceOf(item.kind, item.id, item.locId)) {
                    ids.push_back(*licence);
                }
                if (ids.empty() && db_.onServer()) {
                    messages_.conflict(common::ChangedByAnotherUser);
                    return std::nullopt;
                }
            }
            for (const int id : ids) {
                if (!moveOne(item.kind, id, locId, *desc))
                    return std::nullopt;
                moved.emplace_back(item, id);
            }
        }
        MoveResult out{static_cast<int>(moved.size()), updatesFor(moved, locId)};
        tx.commit();
        return out;
    });
    if (!result)
        return {};
    if (!moved.empty())
        rememberMove(moved, locId);
    return *result;
}

qint64 clsAllocations::historyRows(QChar kind, int itemId) {
    store::Query q(db_, QStringLiteral("SELECT count(*) AS n FROM StockHistory WHERE "
                                       "Stock_Lic_ID = ? AND Type = ?"));
    q.bindAll(itemId, isLicenceKind(kind) ? store::HistoryLicence : store::HistoryStock);
    return q.next() ? q.integer(QStringLiteral("n")) : 0;
}

std::optional<int> clsAllocations::locationOf(QChar kind, int itemId) {
    store::Query q(db_, isLicenceKind(kind)
                            ? QStringLiteral("SELECT Loc_ID FROM Licences WHERE Licence_ID = ?")
                            : QStringLiteral("SELECT Loc_ID FROM Stock WHERE Stock_ID = ?"));
    q.bindAll(itemId);
    if (!q.next())
        return std::nullopt;
    return static_cast<int>(q.integer(QStringLiteral("Loc_ID")));
}

void clsAllocations::rememberMove(const std::vector<std::pair<common::NodeKey, int>>& moved,
                                  int locId) {
    lastMove_.clear();
    for (const auto& [from, itemId] : moved)
        lastMove_.push_back({from, itemId, locId, historyRows(from.kind, itemId)});
}

std::optional<std::vector<MoveUpdate>> clsAllocations::UndoLastMove() {
    if (lastMove_.empty()) {
        messages_.refuse(NothingToUndo);
        return std::nullopt;
    }
    const auto undone = store::withRetries(db_, [&]() -> std::optional<std::vector<MoveUpdate>> {
        store::Transaction tx(db_);
        // Each item, locked, must stand where the move put it, with no history
        // row written since: anything else means another change came after it.
        for (const MovedItem& m : lastMove_) {
            const bool licence = isLicenceKind(m.from.kind);
            store::lockRow(db_, licence ? QStringLiteral("Licences") : QStringLiteral("Stock"),
                           licence ? QStringLiteral("Licence_ID") : QStringLiteral("Stock_ID"),
                           m.itemId);
            if (locationOf(m.from.kind, m.itemId) != m.targetLocId ||
                historyRows(m.from.kind, m.itemId) != m.historyRows) {
                messages_.refuse(MovedSince);
                return std::nullopt;
            }
        }
        // Back to each source in turn; the tree changes are read once every
        // item is back, so that each location is counted as it ends up.
        std::vector<int> sources;
        for (const MovedItem& m : lastMove_)
            if (std::find(sources.begin(), sources.end(), m.from.locId) == sources.end())
                sources.push_back(m.from.locId);
        std::vector<std::pair<int, std::vector<std::pair<common::NodeKey, int>>>> back;
        for (const int source : sources) {
            store::Query q(db_, QStringLiteral("SELECT Loc_Desc FROM Locations WHERE Loc_ID = ?"));
            q.bindAll(source);
            if (!q.next()) {
                messages_.refuse(SourceGone);
                return std::nullopt;
            }
            const QString desc = q.text(QStringLiteral("Loc_Desc"));
            std::vector<std::pair<common::NodeKey, int>> moved;
            for (const MovedItem& m : lastMove_) {
                if (m.from.locId != source)
                    continue;
                if (!moveOne(m.from.kind, m.itemId, source, desc))
                    return std::nullopt;
                moved.emplace_back(common::NodeKey{m.from.kind, m.from.id, m.targetLocId},
                                   m.itemId);
            }
            back.emplace_back(source, std::move(moved));
        }
        std::vector<MoveUpdate> updates;
        for (const auto& [source, moved] : back)
            for (MoveUpdate& u : updatesFor(moved, source))
                updates.push_back(std::move(u));
        tx.commit();
        return updates;
    });
    if (undone)
        lastMove_.clear();
    return undone;
}

bool clsAllocations::IsDropTarget(const QString& key, int imageIndex) {
    const QString k = key.trimmed();
    return k == locationKey(store::loc::AvailableLocations) ||
           k == locationKey(store::loc::AvailableLicences) || imageIndex == image::Location;
}

bool clsAllocations::IsItem(int imageIndex) {
    switch (imageIndex) {
    case image::Stock:
    case image::Licence:
    case image::TemporaryLicence:
    case image::RemovedStock:
    case image::RemovedLicence:
    case image::RemovedTemporaryLicence:
        return true;
    default:
        return false;
    }
}

} // namespace allocation
