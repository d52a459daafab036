#include "assets/clsLicenceExpiry.h"

#include "common/Clock.h"
#include "store/Database.h"
#include "store/LocationPaths.h"
#include "store/StoreConstants.h"

#include <QHash>

#include <vector>

namespace assets {

namespace {

// A licence counts when it has an expiry date up to the end of the period
// and is not removed; the expiry index holds both columns.
const QString Counted = QStringLiteral(" Licences.Exp_Date <= ? AND Licences.Exp_Date <> ''"
                                       " AND Licences.Loc_ID <> ?");

} // namespace

clsLicenceExpiry::clsLicenceExpiry(store::Database& db, common::Messages&, common::Clock& clock)
    : db_(db), clock_(clock) {}

ExpiryCounts clsLicenceExpiry::StartUpCounts(int periodDays) {
    ExpiryCounts counts;
    if (periodDays <= 0)
        return counts;
    const QDate today = clock_.today();
    store::Query q(db_, QStringLiteral("SELECT "
                                       "COALESCE(SUM(CASE WHEN Licences.Exp_Date >= ? "
                                       " THEN 1 ELSE 0 END), 0) AS Soon, "
                                       "COALESCE(SUM(CASE WHEN Licences.Exp_Date < ? "
                                       " THEN 1 ELSE 0 END), 0) AS Expired "
                                       "FROM Licences WHERE") +
                            Counted);
    const QString from = today.toString(store::StoredDate);
    q.bindAll(from, from, today.addDays(periodDays).toString(store::StoredDate),
              store::loc::RemovedLicences);
    if (q.next()) {
        counts.soon = static_cast<int>(q.integer(QStringLiteral("Soon")));
        counts.expired = static_cast<int>(q.integer(QStringLiteral("Expired")));
    }
    return counts;
}

QString clsLicenceExpiry::NoticeText(const ExpiryCounts& counts, int periodDays) {
    QStringList parts;
    const QString days =
        periodDays == 1 ? QStringLiteral("1 day") : QStringLiteral("%1 days").arg(periodDays);
    if (counts.soon == 1)
        parts << QStringLiteral("1 licence expires within %1").arg(days);
    else if (counts.soon > 1)
        parts << QStringLiteral("%1 licences expire within %2").arg(counts.soon).arg(days);
    // After the soon part the noun is understood: "1 has expired".
    const QString noun = counts.soon > 0       ? QString()
                         : counts.expired == 1 ? QStringLiteral(" licence")
                                               : QStringLiteral(" licences");
    if (counts.expired == 1)
        parts << QStringLiteral("1%1 has expired").arg(noun);
    else if (counts.expired > 1)
        parts << QStringLiteral("%1%2 have expired").arg(counts.expired).arg(noun);
    return parts.join(QStringLiteral(", "));
}

common::ListRows clsLicenceExpiry::ExpiringLicences(int periodDays, std::vector<int>* productIds) {
    common::ListRows rows;
    if (productIds)
        productIds->clear();
    if (periodDays <= 0)
        return rows;
    const QDate today = clock_.today();
    store::Query q(db_, QStringLiteral("SELECT Licences.Licence_ID, Licences.Licence_Name, "
                                       "Licences.Exp_Date, Licences.Loc_ID, Products.Prod_ID, "
                                       "Products.Prod_Desc FROM Licences "
                                       "INNER JOIN Products ON Licences.Prod_ID = Products.Prod_ID "
                                       "WHERE") +
                            Counted +
                            QStringLiteral(" ORDER BY Licences.Exp_Date, Products.Prod_Desc") +
                            store::IgnoreCase + QStringLiteral(", Licences.Licence_Name") +
                            store::IgnoreCase + QStringLiteral(", Licences.Licence_ID"));
    q.bindAll(today.addDays(periodDays).toString(store::StoredDate), store::loc::RemovedLicences);
    // Each row's location, its path filled in once every row is read.
    std::vector<int> locIds;
    while (q.next()) {
        locIds.push_back(static_cast<int>(q.integer(QStringLiteral("Loc_ID"))));
        const QDate expiry = store::readStoredDate(q.text(QStringLiteral("Exp_Date")));
        rows.push_back(
            {QStringLiteral("L") + QString::number(q.integer(QStringLiteral("Licence_ID"))),
             {q.text(QStringLiteral("Prod_Desc")), q.text(QStringLiteral("Licence_Name")),
              QString(), expiry.isValid() ? expiry.toString(store::ShownDate) : QString(),
              expiry.isValid() ? QString::number(today.daysTo(expiry)) : QString()},
             expiry.isValid() && expiry < today});
        if (productIds)
            productIds->push_back(static_cast<int>(q.integer(QStringLiteral("Prod_ID"))));
    }
    // The whole path from the top, the main branch included.
    const store::LocationPaths paths(db_, locIds);
    QHash<int, QString> pathOf;
    for (size_t i = 0; i < rows.size(); ++i) {
        auto path = pathOf.constFind(locIds[i]);
        if (path == pathOf.constEnd())
            path = pathOf.insert(locIds[i], paths.fullPath(locIds[i], PathSeparator));
        rows[i].texts[2] = *path;
    }
    return rows;
}

} // namespace assets
