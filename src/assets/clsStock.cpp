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

clsStock::clsStock(store::Database& db, common::Messages& messages, common::Clock& clock)
    : db_(db), messages_(messages), clock_(clock) {}

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

const QString CostLimitMessage = QStringLiteral("Stock cost cannot exceed 1,000,000.00");
const QString AddingToHistory = QStringLiteral("Internal Error: adding Stock to history");
const QString GettingLocation = QStringLiteral("Internal Error: Getting Location ID");
const QString DeletingItem = QStringLiteral("Internal Error: deleting item of stock");

} // namespace

std::optional<clsStock::Checked> clsStock::validate(const StockFields& fields, bool adding,
                                                    StockSave& out) {
    const auto refuse = [&](StockField field, const QString& text) -> std::optional<Checked> {
        messages_.refuse(text);
        out.refused = field;
        return std::nullopt;
    };
    Checked c;
    c.code = storedCode(fields.code);
    if (c.code.isEmpty())
        return refuse(StockField::Code, QStringLiteral("Please enter a stock code reference"));
    if (!codeFitsField(c.code))
        return refuse(StockField::Code,
                      QStringLiteral("Please enter a valid stock code reference"));
    if (c.code.size() > ItemCodeLimit)
        return refuse(StockField::Code, common::limitMessage(ItemCodeLimit));
    if (!fields.cost.trimmed().isEmpty()) {
        // Read once, exactly, into hundredths: no sign, at most two decimals.
        store::Money cost;
        switch (readItemCost(fields.cost, cost)) {
        case CostCheck::Invalid:
            return refuse(StockField::Cost, QStringLiteral("Please enter a valid cost"));
        case CostCheck::TooHigh:
            return refuse(StockField::Cost, CostLimitMessage);
        case CostCheck::TooLong:
            return refuse(StockField::Cost, common::limitMessage(catalogue::CostLimit));
        case CostCheck::Amount:
            break;
        }
        c.cost = cost;
        out.costText = cost.display();
    }
    c.locDesc = fields.locDesc.trimmed();
    if (c.locDesc.isEmpty())
        return refuse(StockField::Code, QStringLiteral("Please enter a location"));
    // Stock stands at the available-locations branch or under it. An id
    // that names no row (the root, a stale field) is refused the same way.
    const QString underBranch =
        adding
            ? QStringLiteral("You can only add stock to locations under (Available Locations)")
            : QStringLiteral("You can only modify stock to a location under (Available Locations)");
    if (!fields.locId)
        return refuse(StockField::Code, underBranch);
    c.locId = *fields.locId;
    if (c.locId != store::loc::None && !locationExists(db_, c.locId))
        return refuse(StockField::Location, LocationGone);
    if (c.locId != store::loc::AvailableLocations) {
        store::Query q(db_, QStringLiteral("SELECT Loc_Top FROM Locations WHERE Loc_ID = ?"));
        q.bindAll(c.locId);
        if (!q.next() || q.integer(QStringLiteral("Loc_Top")) != store::loc::AvailableLocations)
            return refuse(StockField::Code, underBranch);
    }
    return c;
}

bool clsStock::checkChoices(const StockFields& fields, StockSave& out) {
    // The product and the supplier were chosen by id; another dialog may
    // have deleted either since.
    if (!productDescription(db_, fields.prodId)) {
        messages_.refuse(ProductGone);
        out.refused = StockField::Product;
        return false;
    }
    if (!supplierExists(db_, fields.suppId)) {
        messages_.refuse(SupplierGone);
        out.refused = StockField::Supplier;
        return false;
    }
    return true;
}

StockSave clsStock::AddStock(const StockFields& fields) {
    StockSave out;
    const std::optional<Checked> c = validate(fields, true, out);
    if (!c)
        return out;
    if (db_.exists(QStringLiteral("SELECT Stock_ID FROM Stock WHERE Stock_Code = ?") +
                       store::IgnoreCase,
                   c->code)) {
        messages_.refuse(QStringLiteral("The Stock Code: ") + c->code +
                         QStringLiteral(", already exists - unable to add"));
        out.refused = StockField::Code;
        return out;
    }
    if (fields.prodId == 0) {
        messages_.fail(QStringLiteral("Internal Error: ProductID not set"));
        return out;
    }
    if (!checkChoices(fields, out))
        return out;
    // The item and its first history row go together or not at all.
    store::Transaction tx(db_);
    const QDateTime now = clock_.now();
    // Judged by its row count like every other write: an insert that added
    // no row has no new id to name.
    if (db_.execute(QStringLiteral("INSERT INTO Stock (Prod_ID, Loc_ID, Supp_ID, Stock_Code, "
                                   "Cost, Date_Added) VALUES (?, ?, ?, ?, ?, ?)"),
                    fields.prodId, c->locId, fields.suppId, c->code, c->cost,
                    now.toString(store::StoredDateTime)) != 1) {
        messages_.fail(QStringLiteral("Internal Error: adding Stock"));
        return out;
    }
    const int id = static_cast<int>(db_.lastInsertId());
    if (store::writeHistory(db_, id, store::HistoryStock, c->locDesc, now) != 1) {
        messages_.fail(AddingToHistory);
        out.refused = StockField::Code;
        return out;
    }
    tx.commit();
    out.stockId = id;
    return out;
}

StockSave clsStock::ModifyStock(int StockID, const StockFields& fields) {
    StockSave out;
    const std::optional<Checked> c = validate(fields, false, out);
    if (!c)
        return out;
    if (db_.exists(QStringLiteral("SELECT Stock_ID FROM Stock WHERE Stock_Code = ?") +
                       store::IgnoreCase + QStringLiteral(" AND Stock_ID <> ?"),
                   c->code, StockID)) {
        messages_.refuse(QStringLiteral("The Stock Code: ") + c->code +
                         QStringLiteral(", already exists - unable to Modify"));
        out.refused = StockField::Code;
        return out;
    }
    store::Query old(db_, QStringLiteral("SELECT Loc_ID FROM Stock WHERE Stock_ID = ?"));
    old.bindAll(StockID);
    if (!old.next()) {
        messages_.fail(GettingLocation);
        return out;
    }
    const std::int64_t oldLoc = old.integer(QStringLiteral("Loc_ID"));
    // The product is the one chosen by id, never looked up by description.
    if (fields.prodId == 0) {
        messages_.fail(QStringLiteral("Internal Error: Getting ProductID"));
        return out;
    }
    if (!checkChoices(fields, out))
        return out;
    // The new values and the history row of a move go together.
    store::Transaction tx(db_);
    const QDateTime now = clock_.now();
    const int changed = db_.execute(
        QStringLiteral("UPDATE Stock SET Prod_ID = ?, Loc_ID = ?, Supp_ID = ?, Stock_Code = ?, "
                       "Cost = ?, Date_Added = ? WHERE Stock_ID = ?"),
        fields.prodId, c->locId, fields.suppId, c->code, c->cost,
        now.toString(store::StoredDateTime), StockID);
    if (changed != 1) {
        messages_.fail(GettingLocation);
        return out;
    }
    if (oldLoc != c->locId &&
        store::writeHistory(db_, StockID, store::HistoryStock, c->locDesc, now) != 1) {
        messages_.fail(AddingToHistory);
        return out;
    }
    tx.commit();
    out.stockId = StockID;
    return out;
}

StockRemoval clsStock::DeleteStock(int StockID) {
    static const RemovalRules rules{
        QStringLiteral("Stock"),
        QStringLiteral("Stock_ID"),
        store::loc::RemovedStock,
        store::HistoryStock,
        QStringLiteral("Removed Stock"),
        QStringLiteral("Are you sure you wish to delete this item of stock from the system\r"
                       "All Live and Historical data will be removed, this data will be "
                       "irretrievable !!!"),
        QStringLiteral("Are you sure you wish to delete this item of stock"),
        DeletingItem,
        DeletingItem,
        GettingLocation,
        AddingToHistory};
    switch (removeInTwoStages(db_, messages_, clock_.now(), rules, StockID)) {
    case Removal::Parked:
        return StockRemoval::Parked;
    case Removal::Deleted:
        return StockRemoval::Deleted;
    case Removal::None:
        break;
    }
    return StockRemoval::None;
}

std::optional<StockDetails> clsStock::GetStockDets(int StockID) {
    store::Query q(db_, QStringLiteral("SELECT s.Stock_Code, s.Prod_ID, s.Loc_ID, s.Supp_ID, "
                                       "s.Cost, s.Date_Added, l.Loc_ID AS FoundLoc, l.Loc_Desc, "
                                       "p.Supplier_ID AS FoundSupp, p.Supp_Name "
                                       "FROM Stock s "
                                       "LEFT JOIN Locations l ON l.Loc_ID = s.Loc_ID "
                                       "LEFT JOIN Suppliers p ON p.Supplier_ID = s.Supp_ID "
                                       "WHERE s.Stock_ID = ?"));
    q.bindAll(StockID);
    if (!q.next()) {
        // Nothing to show, and so no location to find.
        messages_.fail(QStringLiteral("Internal Error: finding Location"));
        return std::nullopt;
    }
    StockDetails d;
    d.prodId = static_cast<int>(q.integer(QStringLiteral("Prod_ID")));
    d.code = q.text(QStringLiteral("Stock_Code"));
    d.locId = static_cast<int>(q.integer(QStringLiteral("Loc_ID")));
    if (!q.isNull(QStringLiteral("Supp_ID")))
        d.suppId = static_cast<int>(q.integer(QStringLiteral("Supp_ID")));
    if (!q.isNull(QStringLiteral("Cost")))
        d.cost = q.money(QStringLiteral("Cost")).field();
    d.dateAdded = store::readStoredDateTime(q.text(QStringLiteral("Date_Added")));
    if (q.isNull(QStringLiteral("FoundLoc")))
        messages_.fail(QStringLiteral("Internal Error: finding Location"));
    else
        d.locDesc = q.text(QStringLiteral("Loc_Desc"));
    if (d.suppId) {
        if (q.isNull(QStringLiteral("FoundSupp")))
            messages_.fail(QStringLiteral("Internal Error: finding supplier"));
        else
            d.suppName = q.text(QStringLiteral("Supp_Name"));
    }
    return d;
}

} // namespace assets
