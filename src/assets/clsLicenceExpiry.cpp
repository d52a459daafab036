#include "assets/clsLicenceExpiry.h"

#include "common/Clock.h"
#include "store/Database.h"
#include "store/StoreConstants.h"

#include <QHash>

#include <vector>

namespace assets {

namespace {

// A licence counts when it has an expiry date up to the end of the period
// and is not removed; the expiry index holds both columns.
const QString Counted = QStringLiteral(" Licences.Exp_Date <= ? AND Licences.Exp_Date <> ''"
                                       " AND Licences.Loc_ID <> ?");

// The path of every location from its top, built from one read of the
// table; a parent that is not there ends the path.
class LocationPaths {
public:
    explicit LocationPaths(store::Database& db) {
        store::Query q(db, QStringLiteral("SELECT Loc_ID, Loc_Desc, Loc_ParentID FROM Locations"));
        while (q.next())
            nodes_.insert(static_cast<int>(q.integer(QStringLiteral("Loc_ID"))),
                          {q.text(QStringLiteral("Loc_Desc")),
                           static_cast<int>(q.integer(QStringLiteral("Loc_ParentID")))});
    }

    QString pathOf(int locId) const {
        QStringList parts;
        // A loop in the parents (a damaged register) stops at the depth of
        // the table.
        for (int id = locId; id != store::loc::None && parts.size() <= nodes_.size();) {
            const auto node = nodes_.constFind(id);
            if (node == nodes_.cend())
                break;
            parts.prepend(node->desc);
            id = node->parent;
        }
        return parts.join(clsLicenceExpiry::PathSeparator);
    }

private:
    struct Node {
        QString desc;
        int parent = 0;
    };
    QHash<int, Node> nodes_;
};

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
    const LocationPaths paths(db_);
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
    while (q.next()) {
        const QDate expiry = store::readStoredDate(q.text(QStringLiteral("Exp_Date")));
        rows.push_back(
            {QStringLiteral("L") + QString::number(q.integer(QStringLiteral("Licence_ID"))),
             {q.text(QStringLiteral("Prod_Desc")), q.text(QStringLiteral("Licence_Name")),
              paths.pathOf(static_cast<int>(q.integer(QStringLiteral("Loc_ID")))),
              expiry.isValid() ? expiry.toString(store::ShownDate) : QString(),
              expiry.isValid() ? QString::number(today.daysTo(expiry)) : QString()},
             expiry.isValid() && expiry < today});
        if (productIds)
            productIds->push_back(static_cast<int>(q.integer(QStringLiteral("Prod_ID"))));
    }
    return rows;
}

} // namespace assets
