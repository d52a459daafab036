#include "assets/clsLicenceExpiry.h"

#include "common/Clock.h"
#include "store/Database.h"
#include "store/LocationPaths.h"
#include "store/StoreConstants.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace assets {

namespace {

// A licence counts when it has an expiry date up to the end of the period
// and is not removed; the expiry index holds both columns.
const QString Counted = QStringLiteral(" Licences.Exp_Date <= ? AND Licences.Exp_Date <> ''"
                                       " AND Licences.Loc_ID <> ?");

// The expiry index holds Exp_Date and Loc_ID: a slice's rows are a range of
// it. "" is below every stored date, so "after ''" also leaves out licences
// with an empty date.
const QString InSlice = QStringLiteral(" Licences.Exp_Date > ? AND Licences.Exp_Date <= ?"
                                       " AND Licences.Loc_ID <> ?");

// The columns of the list's rows; a WHERE clause follows.
const QString ListRowsFrom = QStringLiteral(
    "SELECT Licences.Licence_ID, Licences.Licence_Name, Licences.Exp_Date, Licences.Loc_ID, "
    "Products.Prod_ID, Products.Prod_Desc FROM Licences "
    "INNER JOIN Products ON Licences.Prod_ID = Products.Prod_ID WHERE");

// A row of the list as read, its location's path still empty.
common::ListRow listRow(const store::Query& q, const QDate& today) {
    const QDate expiry = store::readStoredDate(q.text(QStringLiteral("Exp_Date")));
    return {QStringLiteral("L") + QString::number(q.integer(QStringLiteral("Licence_ID"))),
            {q.text(QStringLiteral("Prod_Desc")), q.text(QStringLiteral("Licence_Name")), QString(),
             expiry.isValid() ? expiry.toString(store::ShownDate) : QString(),
             expiry.isValid() ? QString::number(today.daysTo(expiry)) : QString()},
            expiry.isValid() && expiry < today};
}

// Fills in each row's location path (the whole path from the top, the main
// branch included), each location's made once and kept in pathOf.
void fillPaths(common::ListRows& rows, const std::vector<int>& locIds,
               const store::LocationPaths& paths, QHash<int, QString>& pathOf) {
    for (size_t i = 0; i < rows.size(); ++i) {
        const int locId = locIds[i];
        auto path = pathOf.constFind(locId);
        if (path == pathOf.constEnd())
            path = pathOf.insert(locId, paths.fullPath(locId, clsLicenceExpiry::PathSeparator));
        rows[i].texts[2] = *path;
    }
}

} // namespace

clsLicenceExpiry::clsLicenceExpiry(store::Database& db, common::Messages&, common::Clock& clock)
    : db_(db), clock_(clock) {}

ExpiryCounts clsLicenceExpiry::StartUpCounts(int periodDays) {
    ExpiryCounts counts;
    if (periodDays <= 0)
        return counts;
    const QDate today = clock_.today();
    // The live licences of each date are kept counted by the store: the
    // sums read a row per date, however many licences there are.
    store::Query q(db_, QStringLiteral("SELECT "
                                       "COALESCE(SUM(CASE WHEN Exp_Date >= ? "
                                       " THEN Licence_Count ELSE 0 END), 0) AS Soon, "
                                       "COALESCE(SUM(CASE WHEN Exp_Date < ? "
                                       " THEN Licence_Count ELSE 0 END), 0) AS Expired "
                                       "FROM ExpiryCounts WHERE Exp_Date <= ? AND Exp_Date <> ''"));
    const QString from = today.toString(store::StoredDate);
    q.bindAll(from, from, today.addDays(periodDays).toString(store::StoredDate));
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
    store::Query q(db_, ListRowsFrom + Counted +
                            QStringLiteral(" ORDER BY Licences.Exp_Date, Products.Prod_Desc") +
                            store::IgnoreCase + QStringLiteral(", Licences.Licence_Name") +
                            store::IgnoreCase + QStringLiteral(", Licences.Licence_ID"));
    q.bindAll(today.addDays(periodDays).toString(store::StoredDate), store::loc::RemovedLicences);
    // Each row's location, its path filled in once every row is read.
    std::vector<int> locIds;
    while (q.next()) {
        locIds.push_back(static_cast<int>(q.integer(QStringLiteral("Loc_ID"))));
        rows.push_back(listRow(q, today));
        if (productIds)
            productIds->push_back(static_cast<int>(q.integer(QStringLiteral("Prod_ID"))));
    }
    const store::LocationPaths paths(db_, locIds);
    QHash<int, QString> pathOf;
    fillPaths(rows, locIds, paths, pathOf);
    return rows;
}

std::unique_ptr<ExpiringLicencesReader> clsLicenceExpiry::ReadExpiringLicences(int periodDays) {
    return std::make_unique<ExpiringLicencesReader>(db_, clock_.today(), periodDays);
}

ExpiringLicencesReader::ExpiringLicencesReader(store::Database& db, const QDate& today,
                                               int periodDays)
    : db_(db), today_(today), periodEnd_(today.addDays(periodDays).toString(store::StoredDate)),
      atEnd_(periodDays <= 0), paths_(std::make_unique<store::LocationPaths>(db)) {}

ExpiringLicencesReader::~ExpiringLicencesReader() = default;

QString ExpiringLicencesReader::sliceEnd(int atLeast) {
    // The index walked from the last date read, without reading the rows.
    store::Query q(db_, QStringLiteral("SELECT Licences.Exp_Date FROM Licences WHERE") + InSlice +
                            QStringLiteral(" ORDER BY Licences.Exp_Date LIMIT 1 OFFSET ?"));
    q.bindAll(after_, periodEnd_, store::loc::RemovedLicences, atLeast - 1);
    return q.next() ? q.rawText(QStringLiteral("Exp_Date")) : QString();
}

const store::SortKey& ExpiringLicencesReader::productKey(int prodId, const QString& desc) {
    auto key = productKeys_.find(prodId);
    if (key == productKeys_.end())
        key = productKeys_.emplace(prodId, store::sortKey(desc)).first;
    return key->second;
}

common::ListRows ExpiringLicencesReader::next(int atLeast, std::vector<int>* productIds) {
    common::ListRows rows;
    if (atEnd_)
        return rows;
    const QString last = atLeast > 0 ? sliceEnd(atLeast) : QString();
    const QString upTo = last.isEmpty() ? periodEnd_ : last;
    store::Query q(db_, ListRowsFrom + InSlice + QStringLiteral(" ORDER BY Licences.Exp_Date"));
    q.bindAll(after_, upTo, store::loc::RemovedLicences);

    // The rows as read, by date; each date's rows are then put in the
    // order the whole list's statement gives them: product and key as the
    // store compares texts (the stored texts, not trimmed), then id.
    struct Read {
        int date = 0; // the position of its date in the slice
        const store::SortKey* product = nullptr;
        QString name;
        std::int64_t id = 0;
        int prodId = 0;
        int locId = 0;
        common::ListRow row;
    };
    std::vector<Read> read;
    QString date;
    int dates = 0;
    while (q.next()) {
        Read r;
        const QString stored = q.rawText(QStringLiteral("Exp_Date"));
        if (read.empty() || stored != date) {
            date = stored;
            ++dates;
        }
        r.date = dates;
        r.prodId = static_cast<int>(q.integer(QStringLiteral("Prod_ID")));
        r.product = &productKey(r.prodId, q.rawText(QStringLiteral("Prod_Desc")));
        r.name = q.rawText(QStringLiteral("Licence_Name"));
        r.id = q.integer(QStringLiteral("Licence_ID"));
        r.locId = static_cast<int>(q.integer(QStringLiteral("Loc_ID")));
        r.row = listRow(q, today_);
        read.push_back(std::move(r));
    }
    std::sort(read.begin(), read.end(), [](const Read& a, const Read& b) {
        if (a.date != b.date)
            return a.date < b.date;
        if (const int product = a.product->compare(*b.product))
            return product < 0;
        if (const int name = store::compareText(a.name, b.name))
            return name < 0;
        return a.id < b.id;
    });

    QSet<int> unread;
    std::vector<int> locIds;
    locIds.reserve(read.size());
    rows.reserve(read.size());
    for (Read& r : read) {
        if (!pathOf_.contains(r.locId))
            unread.insert(r.locId);
        locIds.push_back(r.locId);
        rows.push_back(std::move(r.row));
        if (productIds)
            productIds->push_back(r.prodId);
    }
    paths_->prefetch(std::vector<int>(unread.cbegin(), unread.cend()));
    fillPaths(rows, locIds, *paths_, pathOf_);
    // The list ends here unless a counted licence expires later.
    after_ = upTo;
    atEnd_ = last.isEmpty() ||
             !db_.exists(QStringLiteral("SELECT Licences.Exp_Date FROM Licences WHERE") + InSlice +
                             QStringLiteral(" LIMIT 1"),
                         after_, periodEnd_, store::loc::RemovedLicences);
    return rows;
}

} // namespace assets
