#include "assets/clsStock.h"

#include "store/Database.h"
#include "store/StoreConstants.h"

namespace assets {

clsStock::clsStock(store::Database& db, common::Messages& messages)
    : db_(db), messages_(messages) {}

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

} // namespace assets
