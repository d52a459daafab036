#include "assets/clsStock.h"

#include "assets/AssetRecords.h"
#include "catalogue/clsProducts.h"
#include "common/Clock.h"
#include "common/KeyRule.h"
#include "common/Messages.h"
#include "store/Database.h"
#include "store/History.h"
#include "store/StoreConstants.h"

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

LocationContents clsStock::FillStockListUsingLocation(int LocID) {
    LocationContents out;
    {
        // Counted by product from the location's index alone; only the
        // products found are then looked up.
        store::Query q(db_,
                       QStringLiteral("SELECT p.Prod_ID, p.Prod_Code, p.Prod_Desc, c.Cat_Desc, "
                                      "t.stockcount "
                                      "FROM (SELECT Prod_ID, count(*) AS stockcount FROM Stock "
                                      "WHERE Loc_ID = ? GROUP BY Prod_ID) t "
                                      "JOIN Products p ON p.Prod_ID = t.Prod_ID "
                                      "JOIN Categories c ON p.Prod_Cat_ID = c.Cat_ID "
                                      "ORDER BY p.Prod_Desc") +
                           store::IgnoreCase + QStringLiteral(", p.Prod_ID"));
        q.bindAll(LocID);
        while (q.next())
            out.stock.push_back(
                {QStringLiteral("S") + QString::number(q.integer(QStringLiteral("Prod_ID"))),
                 {q.text(QStringLiteral("Prod_Code")), q.text(QStringLiteral("Prod_Desc")),
                  q.text(QStringLiteral("Cat_Desc")),
                  QString::number(q.integer(QStringLiteral("stockcount")))}});
    }
    {
        // One grouped statement gives both counts, counted by product from
        // the location's index alone; products with no normal licence sort
        // after the others.
        store::Query q(db_,
                       QStringLiteral("SELECT p.Prod_ID, p.Prod_Code, p.Prod_Desc, c.Cat_Desc, "
                                      "t.normalcount, t.tempcount "
                                      "FROM (SELECT Prod_ID, "
                                      "sum(CASE WHEN Type = ? THEN 1 ELSE 0 END) AS normalcount, "
                                      "sum(CASE WHEN Type = ? THEN 1 ELSE 0 END) AS tempcount "
                                      "FROM Licences WHERE Loc_ID = ? AND Type IN (?, ?) "
                                      "GROUP BY Prod_ID) t "
                                      "JOIN Products p ON p.Prod_ID = t.Prod_ID "
                                      "JOIN Categories c ON p.Prod_Cat_ID = c.Cat_ID "
                                      "ORDER BY t.normalcount = 0, p.Prod_Desc") +
                           store::IgnoreCase + QStringLiteral(", p.Prod_ID"));
        q.bindAll(store::LicenceNormal, store::LicenceTemporary, LocID, store::LicenceNormal,
                  store::LicenceTemporary);
        while (q.next())
            out.licences.push_back(
                {QStringLiteral("L") + QString::number(q.integer(QStringLiteral("Prod_ID"))),
                 {q.text(QStringLiteral("Prod_Code")), q.text(QStringLiteral("Prod_Desc")),
                  q.text(QStringLiteral("Cat_Desc")),
                  QString::number(q.integer(QStringLiteral("normalcount"))),
                  QString::number(q.integer(QStringLiteral("tempcount")))}});
    }
    return out;
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
