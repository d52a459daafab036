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

QString moreThanText(int counted) {
    return QStringLiteral("Over %1 more \u2014 refine the search").arg(counted);
}

QString moreLine(const FindResult& result) {
    if (result.moreCapped)
        return moreThanText(result.more);
    return result.more > 0 ? moreText(result.more) : QString();
}

FindSearch::FindSearch(store::Database& db, const QString& text, int limit, int moreCap)
    : db_(db), pattern_(store::findPattern(text)), limit_(limit), moreCap_(std::max(moreCap, 0)) {
    result_.complete = false;
    if (pattern_.isEmpty() || limit_ <= 0) {
        done_ = true;
        result_.complete = true;
    }
}

FindSearch::~FindSearch() = default;

bool FindSearch::step(int rows) {
    // A kind with fewer entries left than a slice takes leaves the rest of
    // the step to the next kind.
    while (!done_ && !walkSlice(rows)) {
    }
    return done_;
}

bool FindSearch::walkSlice(int rows) {
    if (kind_ == 0)
        kind_ = static_cast<int>(FindKind::Stock);
    // A slice lies within one kind and ends after the last entry of a
    // text, so that plain ranges of the key bound it: Kind = k, Folded after
    // the last text walked, up to and including the slice's last text.
    const QString from = inKind_ ? QStringLiteral(" AND Folded > ?") : QString();
    bool bounded = false;
    QString last;
    {
        store::Query q(db_, QStringLiteral("SELECT Folded FROM FindText WHERE Kind = ?") + from +
                                QStringLiteral(" ORDER BY Kind, Folded, Item_ID LIMIT 1 OFFSET ?"));
        int index = 0;
        q.bind(++index, kind_);
        if (inKind_)
            q.bind(++index, folded_);
        q.bind(++index, std::max(rows, 1) - 1);
        if (q.next()) {
            bounded = true;
            last = q.rawText(QStringLiteral("Folded"));
        }
    }

    // The matches of the slice, in order, as many as are still wanted.
    const int wanted = limit_ + moreCap_ + 1 - matched_;
    const std::size_t shownBefore = result_.items.size();
    int returned = 0;
    {
        store::Query q(db_, QStringLiteral("SELECT Item_ID FROM FindText WHERE Kind = ?") + from +
                                (bounded ? QStringLiteral(" AND Folded <= ?") : QString()) +
                                QStringLiteral(" AND Folded LIKE ? ESCAPE '!' "
                                               "ORDER BY Kind, Folded, Item_ID LIMIT ?"));
        int index = 0;
        q.bind(++index, kind_);
        if (inKind_)
            q.bind(++index, folded_);
        if (bounded)
            q.bind(++index, last);
        q.bind(++index, pattern_);
        q.bind(++index, wanted);
        while (q.next()) {
            ++returned;
            ++matched_;
            if (matched_ <= limit_) {
                FoundItem item;
                item.kind = static_cast<FindKind>(kind_);
                item.id = static_cast<int>(q.integer(QStringLiteral("Item_ID")));
                result_.items.push_back(item);
            }
        }
    }
    if (returned == wanted) {
        // As many as are counted: the search ends short of the table's end.
        done_ = true;
        result_.moreCapped = matched_ > limit_ + moreCap_;
    } else if (bounded) {
        // The next slice starts after the last text of this one.
        inKind_ = true;
        folded_ = last;
    } else if (kind_ < static_cast<int>(FindKind::Supplier)) {
        // The kind is walked to its end; the next begins.
        ++kind_;
        inKind_ = false;
    } else {
        done_ = true;
    }
    result_.more = result_.moreCapped ? moreCap_ : std::max(matched_ - limit_, 0);
    result_.complete = done_;
    readFrom(shownBefore);
    return bounded;
}

void FindSearch::readFrom(std::size_t first) {
    if (first >= result_.items.size())
        return;
    std::map<FindKind, QHash<int, FoundItem*>> byKind;
    std::map<FindKind, std::vector<int>> ids;
    for (std::size_t i = first; i < result_.items.size(); ++i) {
        FoundItem& item = result_.items[i];
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
    result_.items.erase(std::remove_if(result_.items.begin() + static_cast<std::ptrdiff_t>(first),
                                       result_.items.end(),
                                       [](const FoundItem& item) { return !item.read; }),
                        result_.items.end());

    // Paths only when something shown stands somewhere; the locations read
    // serve the search's later slices too.
    std::vector<int> places;
    for (std::size_t i = first; i < result_.items.size(); ++i)
        if (result_.items[i].locId != 0)
            places.push_back(result_.items[i].locId);
    if (places.empty())
        return;
    if (!paths_)
        paths_ = std::make_unique<store::LocationPaths>(db_);
    const store::LocationPaths& paths = *paths_;
    paths.prefetch(places);
    for (std::size_t i = first; i < result_.items.size(); ++i) {
        FoundItem& item = result_.items[i];
        if (item.locId == 0)
            continue;
        item.path = paths.path(item.locId);
        if (item.kind == FindKind::Location)
            item.removed = item.id != store::loc::RemovedLocations &&
                           paths.branchOf(item.id) == store::loc::RemovedLocations;
    }
}

clsFind::clsFind(store::Database& db, common::Messages&) : db_(db) {}

FindResult clsFind::Find(const QString& text, int limit, int moreCap) {
    FindSearch search(db_, text, limit, moreCap);
    while (!search.step()) {
    }
    return search.result();
}

} // namespace find
