#include "assets/clsStock.h"

#include "common/Clock.h"
#include "store/Database.h"
#include "store/LocationPaths.h"
#include "store/StoreConstants.h"

namespace assets {

namespace {

// The expiry date as the enquiry list shows it: "dd/mm/yy", with
// " (expired)" after a date before today; empty for none.
QString expiryText(const QDate& expiry, const QDate& today) {
    if (!expiry.isValid())
        return QString();
    QString text = expiry.toString(store::ShownDate);
    if (expiry < today)
        text += ExpiredMark;
    return text;
}

} // namespace

common::ListRows clsStock::FillStockListUsingProduct(int prodId) {
    common::ListRows rows;
    // Each row's location id, in the order of rows; the paths go in once
    // every row is read, from one read of the locations they name.
    std::vector<int> locIds;
    {
        store::Query q(db_, QStringLiteral("SELECT s.Stock_ID, s.Loc_ID, s.Stock_Code, "
                                           "p.Supp_Name FROM Stock s "
                                           "JOIN Locations l ON s.Loc_ID = l.Loc_ID "
                                           "LEFT JOIN Suppliers p ON s.Supp_ID = p.Supplier_ID "
                                           "WHERE s.Prod_ID = ? ORDER BY s.Stock_Code") +
                                store::IgnoreCase + QStringLiteral(", s.Stock_ID"));
        q.bindAll(prodId);
        while (q.next()) {
            locIds.push_back(static_cast<int>(q.integer(QStringLiteral("Loc_ID"))));
            rows.push_back(
                {QStringLiteral("S") + QString::number(q.integer(QStringLiteral("Stock_ID"))),
                 {QString(), q.text(QStringLiteral("Supp_Name")),
                  q.text(QStringLiteral("Stock_Code")) + QStringLiteral(" - (Stock)"), QString()},
                 false});
        }
    }
    const QDate today = clock_.today();
    store::Query q(db_, QStringLiteral("SELECT c.Type, c.Licence_ID, c.Licence_Name, p.Supp_Name, "
                                       "c.Loc_ID, c.Exp_Date FROM Licences c "
                                       "LEFT JOIN Suppliers p ON c.Supp_ID = p.Supplier_ID "
                                       "JOIN Locations l ON c.Loc_ID = l.Loc_ID "
                                       "WHERE c.Prod_ID = ? ORDER BY c.Licence_Name") +
                            store::IgnoreCase + QStringLiteral(", c.Licence_ID"));
    q.bindAll(prodId);
    while (q.next()) {
        locIds.push_back(static_cast<int>(q.integer(QStringLiteral("Loc_ID"))));
        const bool normal = q.text(QStringLiteral("Type")) == store::LicenceNormal;
        rows.push_back(
            {QStringLiteral("L") + QString::number(q.integer(QStringLiteral("Licence_ID"))),
             {QString(), q.text(QStringLiteral("Supp_Name")),
              q.text(QStringLiteral("Licence_Name")) +
                  (normal ? QStringLiteral(" - (Licence)") : QStringLiteral(" - (Temp Licence)")),
              expiryText(store::readStoredDate(q.text(QStringLiteral("Exp_Date"))), today)},
             !normal});
    }
    const store::LocationPaths paths(db_, locIds);
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i].texts[0] = paths.path(locIds[i]);
    return rows;
}

} // namespace assets
