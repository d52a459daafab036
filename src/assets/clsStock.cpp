#include "assets/clsStock.h"

#include "assets/AssetRecords.h"
#include "catalogue/clsProducts.h"
#include "common/Clock.h"
#include "common/KeyRule.h"
#include "common/Messages.h"
#include "store/Collation.h"
#include "store/Database.h"
#include "store/History.h"
#include "store/StoreConstants.h"

#include <algorithm>
#include <limits>

namespace assets {

StockFields fieldsOf(const StockDetails& details) {
    StockFields f;
    f.prodId = details.prodId;
    f.code = details.code;
    f.locId = details.locId;
    f.locDesc = details.locDesc;
    f.suppId = details.suppId;
    f.cost = details.cost;
    return f;
}

namespace {

// A piece of a statement and the values of its placeholders, in order.
using Piece = ContentsStatement;

Piece& operator+=(Piece& a, const Piece& b) {
    a.sql += b.sql;
    a.values.insert(a.values.end(), b.values.begin(), b.values.end());
    return a;
}

Piece operator+(Piece a, const Piece& b) {
    return a += b;
}

Piece text(const QString& sql) {
    return {sql, {}};
}

// The items of a product p at a location: of a table, or of one type of
// licence.
Piece itemsOf(const QString& table, int locId, const QString& type = QString()) {
    Piece p{QStringLiteral("FROM ") + table +
                QStringLiteral(" x WHERE x.Loc_ID = ? AND x.Prod_ID = p.Prod_ID"),
            {locId}};
    if (!type.isEmpty())
        p += Piece{QStringLiteral(" AND x.Type = ?"), {type}};
    return p;
}

Piece countOf(const Piece& items) {
    return text(QStringLiteral("(SELECT count(*) ")) + items + text(QStringLiteral(")"));
}

Piece exists(const Piece& items) {
    return text(QStringLiteral("EXISTS (SELECT 1 ")) + items + text(QStringLiteral(")"));
}

// One part of a list: the count columns of a product p, whether p belongs
// to the part, and the part's products as ids, grouped from the location's
// index so that a LIMIT ends the reading early.
struct ContentsPart {
    Piece counts;
    Piece holds;
    Piece ids;
};

ContentsPart partOf(int locId, ContentsList list, int part) {
    if (list == ContentsList::Stock) {
        const Piece stock = itemsOf(QStringLiteral("Stock"), locId);
        return {countOf(stock),
                exists(stock),
                {QStringLiteral("SELECT Prod_ID FROM Stock WHERE Loc_ID = ? GROUP BY Prod_ID"),
                 {locId}}};
    }
    const Piece normal = itemsOf(QStringLiteral("Licences"), locId, store::LicenceNormal);
    const Piece temporary = itemsOf(QStringLiteral("Licences"), locId, store::LicenceTemporary);
    const Piece counts = countOf(normal) + text(QStringLiteral(", ")) + countOf(temporary);
    if (part == 0)
        return {counts,
                exists(normal),
                {QStringLiteral("SELECT Prod_ID FROM Licences WHERE Loc_ID = ? AND Type = ? "
                                "GROUP BY Prod_ID"),
                 {locId, store::LicenceNormal}}};
    // Products with only temporary licences show after the others.
    return {counts,
            exists(temporary) + text(QStringLiteral(" AND NOT ")) + exists(normal),
            {QStringLiteral("SELECT t.Prod_ID FROM Licences t WHERE t.Loc_ID = ? AND t.Type = ? "
                            "AND NOT EXISTS (SELECT 1 FROM Licences n WHERE n.Loc_ID = t.Loc_ID "
                            "AND n.Type = ? AND n.Prod_ID = t.Prod_ID) GROUP BY t.Prod_ID"),
             {locId, store::LicenceTemporary, store::LicenceNormal}}};
}

// A row of a part with the product's description as stored, which orders it.
struct PartRow {
    std::int64_t prodId = 0;
    QString prodDesc;
    common::ListRow row;
};

std::vector<PartRow> partRows(store::Database& db, const ContentsStatement& statement,
                              ContentsList list) {
    store::Query q(db, statement.sql);
    store::bindValues(q, 1, statement.values);
    const QString key = list == ContentsList::Stock ? QStringLiteral("S") : QStringLiteral("L");
    std::vector<PartRow> rows;
    while (q.next()) {
        PartRow r{q.integerAt(0), q.rawTextAt(2), {}};
        r.row.key = key + QString::number(r.prodId);
        r.row.texts =
            QStringList{q.rawTextAt(1).trimmed(), r.prodDesc.trimmed(), q.rawTextAt(3).trimmed()};
        for (int c = 4; c < q.columnCount(); ++c)
            r.row.texts << QString::number(q.integerAt(c));
        rows.push_back(std::move(r));
    }
    return rows;
}

// Rows put in the products' order, each description put in that order once.
std::vector<PartRow> inProductOrder(std::vector<PartRow> rows) {
    std::vector<std::pair<store::SortKey, size_t>> keys;
    keys.reserve(rows.size());
    for (size_t i = 0; i < rows.size(); ++i)
        keys.emplace_back(store::sortKey(rows[i].prodDesc), i);
    std::sort(keys.begin(), keys.end(), [&rows](const auto& a, const auto& b) {
        const int order = a.first.compare(b.first);
        return order != 0 ? order < 0 : rows[a.second].prodId < rows[b.second].prodId;
    });
    std::vector<PartRow> sorted;
    sorted.reserve(rows.size());
    for (const auto& key : keys)
        sorted.push_back(std::move(rows[key.second]));
    return sorted;
}

} // namespace

int contentsParts(ContentsList list) {
    return list == ContentsList::Stock ? 1 : 2;
}

ContentsStatement contentsSize(int locId, ContentsList list, int part) {
    return text(QStringLiteral("SELECT count(*) FROM (")) + partOf(locId, list, part).ids +
           Piece{QStringLiteral(" LIMIT ?) t"), {clsStock::WholePartProducts + 1}};
}

ContentsStatement contentsStatement(int locId, ContentsList list, const ContentsPlace& place,
                                    int count) {
    const ContentsPart part = partOf(locId, list, place.part);
    // Categories looked up for each product in the products' order.
    Piece q = text(QStringLiteral("SELECT p.Prod_ID, p.Prod_Code, p.Prod_Desc, c.Cat_Desc, ")) +
              part.counts +
              text(QStringLiteral(" FROM Products p CROSS JOIN Categories c WHERE c.Cat_ID = "
                                  "p.Prod_Cat_ID AND "));
    if (!place.walking)
        return q + text(QStringLiteral("p.Prod_ID IN (")) + part.ids + text(QStringLiteral(")"));
    q += part.holds +
         Piece{store::productsAfter(place.product), store::productsAfterValues(place.product)};
    return q + Piece{store::productsInOrder() + QStringLiteral(" LIMIT ?"), {count}};
}

LocationContents clsStock::FillStockListUsingLocation(int LocID) {
    constexpr int Every = std::numeric_limits<int>::max();
    return {LocationContentsFrom(LocID, ContentsList::Stock, {}, Every).rows,
            LocationContentsFrom(LocID, ContentsList::Licences, {}, Every).rows};
}

ContentsSlice clsStock::LocationContentsFrom(int LocID, ContentsList list,
                                             const ContentsPlace& from, int count) {
    ContentsSlice slice;
    ContentsPlace place = from;
    const auto add = [&slice](std::vector<PartRow>& rows) {
        for (PartRow& r : rows)
            slice.rows.push_back(std::move(r.row));
    };
    while (place.part < contentsParts(list) && static_cast<int>(slice.rows.size()) < count) {
        if (!place.walking) {
            // One product more than a whole part may hold says that it holds more.
            const ContentsStatement size = contentsSize(LocID, list, place.part);
            store::Query q(db_, size.sql);
            store::bindValues(q, 1, size.values);
            if (q.next() && q.integerAt(0) <= WholePartProducts) {
                std::vector<PartRow> rows = inProductOrder(
                    partRows(db_, contentsStatement(LocID, list, place, count), list));
                add(rows);
                place = {place.part + 1, false, {}};
                continue;
            }
            place.walking = true;
        }
        const int wanted = count - static_cast<int>(slice.rows.size());
        std::vector<PartRow> rows =
            partRows(db_, contentsStatement(LocID, list, place, wanted), list);
        if (!rows.empty())
            place.product = {rows.back().prodId, rows.back().prodDesc};
        const bool partEnded = static_cast<int>(rows.size()) < wanted;
        add(rows);
        if (partEnded)
            place = {place.part + 1, false, {}};
    }
    if (place.part < contentsParts(list))
        slice.next = place;
    return slice;
}

namespace {

const QString DeletingItem = QStringLiteral("Internal Error: deleting item of stock");

const ItemTable StockTable{
    {QStringLiteral("Stock"), QStringLiteral("Stock_ID"), store::loc::RemovedStock,
     store::HistoryStock, QStringLiteral("Removed Stock"),
     QStringLiteral("Are you sure you wish to delete this item of stock from the system"),
     QStringLiteral("Are you sure you wish to delete this item of stock"), DeletingItem,
     DeletingItem, GettingLocationFailure,
     QStringLiteral("Internal Error: adding Stock to history")},
    QStringLiteral("Stock_Code"),
    {},
    {QStringLiteral("Please enter a stock code reference"), ItemField::Code},
    {QStringLiteral("Please enter a valid stock code reference"), ItemField::Code},
    {QStringLiteral("Please enter a valid cost"), ItemField::Cost},
    {QStringLiteral("Stock cost cannot exceed 1,000,000.00"), ItemField::Cost},
    {QStringLiteral("The Stock Code: %1, already exists - unable to add"), ItemField::Code},
    {QStringLiteral("The Stock Code: %1, already exists - unable to Modify"), ItemField::Code},
    QStringLiteral("Internal Error: Getting ProductID"),
    QStringLiteral("Internal Error: adding Stock"),
    ItemField::Code,
    common::StockCodeAddedByAnotherUser};

Refusal underBranch(bool adding) {
    return {
        adding
            ? QStringLiteral("You can only add stock to locations under (Available Locations)")
            : QStringLiteral("You can only modify stock to a location under (Available Locations)"),
        ItemField::Code};
}

StockSave stockSave(const ItemSave& s) {
    return {s.id, s.refused, s.costText, s.changedMeanwhile};
}

} // namespace

clsStock::clsStock(store::Database& db, common::Messages& messages, common::Clock& clock)
    : ItemStore(db, messages, clock, StockTable) {}

CheckedRow clsStock::validate(const StockFields& fields, bool adding) {
    CheckedRow c = checking(fields);
    if (!checkCode(fields.code, c) || !checkCost(fields.cost, c))
        return c;
    ItemRow& row = *c.row;
    row.historyText = fields.locDesc.trimmed();
    if (row.historyText.isEmpty())
        return refused(c, {QStringLiteral("Please enter a location"), ItemField::Code});
    // Stock stands at the available-locations branch or under it. An id
    // that names no row (the root, a stale field) is refused the same way.
    if (!fields.locId)
        return refused(c, underBranch(adding));
    row.locId = *fields.locId;
    if (row.locId != store::loc::None && !locationExists(db_, row.locId))
        return refused(c, {LocationGone, ItemField::Location});
    if (row.locId != store::loc::AvailableLocations) {
        store::Query q(db_, QStringLiteral("SELECT Loc_Top FROM Locations WHERE Loc_ID = ?"));
        q.bindAll(row.locId);
        if (!q.next() || q.integer(QStringLiteral("Loc_Top")) != store::loc::AvailableLocations)
            return refused(c, underBranch(adding));
    }
    return c;
}

bool clsStock::placeHolds(const ItemRow& row, bool adding, ItemSave& out) {
    if (!ItemStore::placeHolds(row, adding, out))
        return false;
    // Locked, the location is still under the available-locations branch:
    // another user may have removed it since the dialog's check.
    if (row.locId == store::loc::AvailableLocations)
        return true;
    store::Query q(db_, QStringLiteral("SELECT Loc_Top FROM Locations WHERE Loc_ID = ?"));
    q.bindAll(row.locId);
    if (q.next() && q.integer(QStringLiteral("Loc_Top")) == store::loc::AvailableLocations)
        return true;
    const Refusal refusal = underBranch(adding);
    messages_.conflict(refusal.text);
    out.refused = refusal.field;
    return false;
}

StockSave clsStock::AddStock(const StockFields& fields) {
    return stockSave(addItem(validate(fields, true)));
}

StockSave clsStock::ModifyStock(int StockID, const StockFields& fields) {
    return stockSave(modifyItem(StockID, validate(fields, false)));
}

StockRemoval clsStock::DeleteStock(int StockID) {
    return removeItem(StockID);
}

std::optional<StockDetails> clsStock::GetStockDets(int StockID) {
    StockDetails d;
    // No item: nothing to show, and so no location to find.
    const std::optional<store::Query> q =
        readItem(StockID, d, QStringLiteral("Internal Error: finding Location"), false);
    if (!q)
        return std::nullopt;
    d.code = q->text(QStringLiteral("Stock_Code"));
    d.locId = static_cast<int>(q->integer(QStringLiteral("Loc_ID")));
    if (q->isNull(QStringLiteral("FoundLoc")))
        messages_.fail(QStringLiteral("Internal Error: finding Location"));
    if (d.suppId && q->isNull(QStringLiteral("FoundSupp")))
        messages_.fail(QStringLiteral("Internal Error: finding supplier"));
    return d;
}

} // namespace assets
