#include "find/clsFind.h"

#include "store/Database.h"
#include "store/LocationPaths.h"
#include "store/StoreConstants.h"

#include <QHash>
#include <QStringList>

#include <algorithm>
#include <map>

namespace find {

namespace {

// "?, ?, ?" for n values.
QString placeholders(size_t n) {
    QStringList marks;
    for (size_t i = 0; i < n; ++i)
        marks << QStringLiteral("?");
    return marks.join(QStringLiteral(", "));
}

// The rows of one kind by id, read with one statement; fill reads a row
// into its item.
template <typename Fill>
void readByIds(store::Database& db, const QString& sqlHead, const std::vector<int>& ids,
               QHash<int, FoundItem*>& byId, Fill fill) {
    if (ids.empty())
        return;
    store::Query q(db,
                   sqlHead + QStringLiteral(" IN (") + placeholders(ids.size()) + QLatin1Char(')'));
    int index = 0;
    for (const int id : ids)
        q.bind(++index, id);
    while (q.next()) {
        FoundItem* item = byId.value(static_cast<int>(q.integer(QStringLiteral("id"))));
        if (item) {
            fill(q, *item);
            item->read = true;
        }
    }
}

} // namespace

QString kindWord(FindKind kind) {
    switch (kind) {
    case FindKind::Stock:
        return QStringLiteral("Stock");
    case FindKind::Licence:
        return QStringLiteral("Licence");
    case FindKind::Product:
        return QStringLiteral("Product");
    case FindKind::Location:
        return QStringLiteral("Location");
    case FindKind::Supplier:
        return QStringLiteral("Supplier");
    }
    return QString();
}

QString moreText(int more) {
    return QStringLiteral("%1 more \u2014 refine the search").arg(more);
}

clsFind::clsFind(store::Database& db, common::Messages&) : db_(db) {}

FindResult clsFind::Find(const QString& text, int limit) {
    FindResult result;
    const QString pattern = store::findPattern(text);
    if (pattern.isEmpty() || limit <= 0)
        return result;

    // One scan finds the matches in the order shown; only when there are
    // more than are shown does a second one count them.
    {
        store::Query q(db_, QStringLiteral("SELECT Kind, Item_ID FROM FindText "
                                           "WHERE Folded LIKE ? ESCAPE '!' "
                                           "ORDER BY Kind, Folded, Item_ID LIMIT ?"));
        q.bindAll(pattern, limit + 1);
        while (q.next()) {
            FoundItem item;
            item.kind = static_cast<FindKind>(q.integer(QStringLiteral("Kind")));
            item.id = static_cast<int>(q.integer(QStringLiteral("Item_ID")));
            result.items.push_back(item);
        }
    }
    if (static_cast<int>(result.items.size()) > limit) {
        result.items.resize(static_cast<size_t>(limit));
        store::Query q(db_, QStringLiteral("SELECT count(*) AS n FROM FindText "
                                           "WHERE Folded LIKE ? ESCAPE '!'"));
        q.bindAll(pattern);
        q.next();
        result.more = static_cast<int>(q.integer(QStringLiteral("n"))) - limit;
    }

    std::map<FindKind, QHash<int, FoundItem*>> byKind;
    std::map<FindKind, std::vector<int>> ids;
    for (FoundItem& item : result.items) {
        byKind[item.kind].insert(item.id, &item);
        ids[item.kind].push_back(item.id);
    }
    const auto itemRow = [](store::Query& q, FoundItem& item) {
        item.code = q.text(QStringLiteral("code"));
        item.product = q.text(QStringLiteral("Prod_Desc"));
        item.locId = static_cast<int>(q.integer(QStringLiteral("Loc_ID")));
        item.prodId = static_cast<int>(q.integer(QStringLiteral("Prod_ID")));
        item.catId = static_cast<int>(q.integer(QStringLiteral("Prod_Cat_ID")));
    };
    readByIds(db_,
              QStringLiteral("SELECT s.Stock_ID AS id, s.Stock_Code AS code, s.Loc_ID, s.Prod_ID, "
                             "p.Prod_Desc, p.Prod_Cat_ID FROM Stock s "
                             "JOIN Products p ON p.Prod_ID = s.Prod_ID WHERE s.Stock_ID"),
              ids[FindKind::Stock], byKind[FindKind::Stock], [&](store::Query& q, FoundItem& i) {
                  itemRow(q, i);
                  i.removed = i.locId == store::loc::RemovedStock;
              });
    readByIds(db_,
              QStringLiteral("SELECT l.Licence_ID AS id, l.Licence_Name AS code, l.Loc_ID, "
                             "l.Prod_ID, l.Type, p.Prod_Desc, p.Prod_Cat_ID FROM Licences l "
                             "JOIN Products p ON p.Prod_ID = l.Prod_ID WHERE l.Licence_ID"),
              ids[FindKind::Licence], byKind[FindKind::Licence],
              [&](store::Query& q, FoundItem& i) {
                  itemRow(q, i);
                  i.removed = i.locId == store::loc::RemovedLicences;
                  i.temporary = q.text(QStringLiteral("Type")) == store::LicenceTemporary;
              });
    readByIds(db_,
              QStringLiteral("SELECT Prod_ID AS id, Prod_Code, Prod_Desc, Prod_Cat_ID "
                             "FROM Products WHERE Prod_ID"),
              ids[FindKind::Product], byKind[FindKind::Product], [](store::Query& q, FoundItem& i) {
                  i.code = q.text(QStringLiteral("Prod_Code"));
                  i.product = q.text(QStringLiteral("Prod_Desc"));
                  i.prodId = i.id;
                  i.catId = static_cast<int>(q.integer(QStringLiteral("Prod_Cat_ID")));
              });
    readByIds(db_, QStringLiteral("SELECT Loc_ID AS id, Loc_Desc FROM Locations WHERE Loc_ID"),
              ids[FindKind::Location], byKind[FindKind::Location],
              [](store::Query& q, FoundItem& i) {
                  i.code = q.text(QStringLiteral("Loc_Desc"));
                  i.locId = i.id;
              });
    readByIds(db_,
              QStringLiteral("SELECT Supplier_ID AS id, Supp_Name FROM Suppliers "
                             "WHERE Supplier_ID"),
              ids[FindKind::Supplier], byKind[FindKind::Supplier],
              [](store::Query& q, FoundItem& i) { i.code = q.text(QStringLiteral("Supp_Name")); });

    // A record gone since its text was found is not shown.
    result.items.erase(std::remove_if(result.items.begin(), result.items.end(),
                                      [](const FoundItem& item) { return !item.read; }),
                       result.items.end());

    // Paths only when something shown stands somewhere.
    bool anyPlace = false;
    for (const FoundItem& item : result.items)
        anyPlace = anyPlace || item.locId != 0;
    if (anyPlace) {
        std::vector<int> places;
        for (const FoundItem& item : result.items)
            if (item.locId != 0)
                places.push_back(item.locId);
        const store::LocationPaths paths(db_, places);
        for (FoundItem& item : result.items) {
            if (item.locId == 0)
                continue;
            item.path = paths.path(item.locId);
            if (item.kind == FindKind::Location)
                item.removed = item.id != store::loc::RemovedLocations &&
                               paths.branchOf(item.id) == store::loc::RemovedLocations;
        }
    }
    return result;
}

} // namespace find
