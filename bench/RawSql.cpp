#include "Cases.h"

#include "assets/clsStock.h"

#include "store/StoreConstants.h"

namespace bench {

Statements locationTreeStatements() {
    const QString columns = QStringLiteral(
        "SELECT Loc_ID, Loc_Desc, Loc_Status, Loc_Level, Loc_ParentID FROM Locations ");
    Statements out{{columns + QStringLiteral("WHERE Loc_Level = ? ORDER BY Loc_ID"),
                    {store::loc::ReservedLevel}}};
    for (int branch : {store::loc::AvailableLocations, store::loc::AvailableLicences,
                       store::loc::RemovedLocations})
        out.push_back({columns +
                           QStringLiteral("WHERE Loc_Top = ? AND Loc_Level > ? "
                                          "ORDER BY Loc_Level, Loc_Desc") +
                           store::IgnoreCase + QStringLiteral(", Loc_ID"),
                       {branch, store::loc::ReservedLevel}});
    return out;
}

namespace {

const QString HasChildren =
    QStringLiteral("CASE WHEN EXISTS (SELECT 1 FROM Locations k WHERE k.Loc_ParentID = c.Loc_ID "
                   "AND k.Loc_Level > c.Loc_Level AND k.Loc_Top IN (?, ?, ?) "
                   "AND (c.Loc_Level = ? OR k.Loc_Top = c.Loc_Top)) THEN 1 ELSE 0 END AS HasKids");

QVariantList branches() {
    return {store::loc::AvailableLocations, store::loc::AvailableLicences,
            store::loc::RemovedLocations};
}

} // namespace

RawStatement childLocationsStatement(int parentId) {
    QVariantList values = branches();
    values << store::loc::ReservedLevel << parentId << branches() << store::loc::ReservedLevel;
    return {QStringLiteral("SELECT c.Loc_ID, c.Loc_Desc, c.Loc_Top, ") + HasChildren +
                QStringLiteral(" FROM Locations c INNER JOIN Locations p ON p.Loc_ID = "
                               "c.Loc_ParentID WHERE c.Loc_ParentID = ? "
                               "AND c.Loc_Level > p.Loc_Level AND c.Loc_Top IN (?, ?, ?) "
                               "AND (p.Loc_Level = ? OR c.Loc_Top = p.Loc_Top) "
                               "ORDER BY c.Loc_Level, c.Loc_Desc") +
                store::IgnoreCase + QStringLiteral(", c.Loc_ID"),
            values};
}

// The check for rows without a place in the tree runs on a session's
// first read of the top only, so it is not among a fill's statements.
Statements locationTopStatements() {
    QVariantList systemValues = branches();
    systemValues << store::loc::ReservedLevel << store::loc::ReservedLevel;
    Statements out{{QStringLiteral("SELECT c.Loc_ID, c.Loc_Desc, ") + HasChildren +
                        QStringLiteral(" FROM Locations c WHERE c.Loc_Level = ? "
                                       "ORDER BY c.Loc_ID"),
                    systemValues}};
    for (const QVariant& branch : branches())
        out.push_back(childLocationsStatement(branch.toInt()));
    return out;
}

Statements locationPathStatements(const QList<int>& ids) {
    Statements out;
    for (int id : ids)
        out.push_back({QStringLiteral("SELECT Loc_Level, Loc_ParentID, Loc_Top FROM "
                                      "Locations WHERE Loc_ID = ?"),
                       {id}});
    return out;
}

Statements productListStatements(int prodId) {
    return {{QStringLiteral("SELECT s.Stock_ID, s.Loc_ID, s.Stock_Code, p.Supp_Name FROM Stock s "
                            "JOIN Locations l ON s.Loc_ID = l.Loc_ID "
                            "LEFT JOIN Suppliers p ON s.Supp_ID = p.Supplier_ID "
                            "WHERE s.Prod_ID = ? ORDER BY s.Stock_Code") +
                 store::IgnoreCase + QStringLiteral(", s.Stock_ID"),
             {prodId}},
            {QStringLiteral("SELECT c.Type, c.Licence_ID, c.Licence_Name, p.Supp_Name, "
                            "c.Loc_ID, c.Exp_Date FROM Licences c "
                            "LEFT JOIN Suppliers p ON c.Supp_ID = p.Supplier_ID "
                            "JOIN Locations l ON c.Loc_ID = l.Loc_ID "
                            "WHERE c.Prod_ID = ? ORDER BY c.Licence_Name") +
                 store::IgnoreCase + QStringLiteral(", c.Licence_ID"),
             {prodId}}};
}

Statements licenceUseStatements(int prodId) {
    return {{QStringLiteral("SELECT p.Prod_Owned, "
                            "SUM(CASE WHEN l.Licence_ID IS NULL THEN 0 ELSE 1 END) "
                            " AS InUse, "
                            "SUM(CASE WHEN l.Type = ? THEN 1 ELSE 0 END) AS TempInUse "
                            "FROM Products p LEFT JOIN Licences l "
                            " ON l.Prod_ID = p.Prod_ID AND l.Loc_ID <> ? "
                            "WHERE p.Prod_ID = ? GROUP BY p.Prod_ID, p.Prod_Owned"),
             {store::LicenceTemporary, store::loc::RemovedLicences, prodId}}};
}

Statements expiryNoticeStatements(const QDate& today, int periodDays) {
    const QString from = today.toString(store::StoredDate);
    // The kept counts of each date, summed over the dates up to the
    // period's end.
    return {{QStringLiteral("SELECT "
                            "COALESCE(SUM(CASE WHEN Exp_Date >= ? "
                            " THEN Licence_Count ELSE 0 END), 0) AS Soon, "
                            "COALESCE(SUM(CASE WHEN Exp_Date < ? "
                            " THEN Licence_Count ELSE 0 END), 0) AS Expired "
                            "FROM ExpiryCounts WHERE Exp_Date <= ? AND Exp_Date <> ''"),
             {from, from, today.addDays(periodDays).toString(store::StoredDate)}}};
}

Statements expiringListStatements(const QDate& today, int periodDays) {
    return {{QStringLiteral("SELECT Licences.Licence_ID, Licences.Licence_Name, "
                            "Licences.Exp_Date, Licences.Loc_ID, Products.Prod_ID, "
                            "Products.Prod_Desc FROM Licences "
                            "INNER JOIN Products ON Licences.Prod_ID = Products.Prod_ID "
                            "WHERE Licences.Exp_Date <= ? AND Licences.Exp_Date <> '' AND "
                            "Licences.Loc_ID <> ? ORDER BY Licences.Exp_Date, Products.Prod_Desc") +
                 store::IgnoreCase + QStringLiteral(", Licences.Licence_Name") + store::IgnoreCase +
                 QStringLiteral(", Licences.Licence_ID"),
             {today.addDays(periodDays).toString(store::StoredDate), store::loc::RemovedLicences}}};
}

Statements historyStatements(int stockId) {
    return {{QStringLiteral("SELECT s.Stock_Code AS code, p.Prod_Desc FROM Stock s "
                            "JOIN Products p ON p.Prod_ID = s.Prod_ID WHERE s.Stock_ID = ?"),
             {stockId}},
            {QStringLiteral("SELECT Loc_Desc, move_date, Moved_By FROM StockHistory "
                            "WHERE Type = ? AND Stock_Lic_ID = ? ORDER BY move_date, rowid"),
             {store::HistoryStock, stockId}}};
}

Statements locationContentsStatements(store::Database& db, int locId, int count) {
    const auto raw = [](const assets::ContentsStatement& s) {
        return rawStatement(s.sql, s.values);
    };
    Statements out;
    for (const assets::ContentsList list :
         {assets::ContentsList::Stock, assets::ContentsList::Licences}) {
        assets::ContentsPlace place;
        int wanted = count;
        while (wanted > 0 && place.part < assets::contentsParts(list)) {
            if (!place.walking) {
                out.push_back(raw(assets::contentsSize(locId, list, place.part)));
                place.walking = rowsOf(db, {out.back()}).front().front().toInt() >
                                assets::clsStock::WholePartProducts;
            }
            out.push_back(raw(assets::contentsStatement(locId, list, place, wanted)));
            wanted -= static_cast<int>(rowsOf(db, {out.back()}).size());
            place = {place.part + 1, false, {}};
        }
    }
    return out;
}

} // namespace bench
