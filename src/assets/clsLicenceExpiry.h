#pragma once

// Licences whose expiry is near or past: the start-up notice's counts and
// the list it shows. "Soon" is an expiry date from today to the end of the
// warning period; "expired" is one before today on a licence still in use
// (not removed). Removed licences are never counted.

#include "common/ListRow.h"
#include "store/Collation.h"

#include <QDate>
#include <QHash>
#include <QString>

#include <memory>
#include <unordered_map>
#include <vector>

namespace store {
class Database;
class LocationPaths;
} // namespace store
namespace common {
class Clock;
class Messages;
} // namespace common

namespace assets {

struct ExpiryCounts {
    int soon = 0;
    int expired = 0;
    bool any() const { return soon > 0 || expired > 0; }
};

class ExpiringLicencesReader;

class clsLicenceExpiry {
public:
    clsLicenceExpiry(store::Database& db, common::Messages& messages, common::Clock& clock);

    // The counts for a warning period of periodDays days, in one grouped
    // statement; none at all, and no statement, for a period of 0 (the
    // notice turned off).
    ExpiryCounts StartUpCounts(int periodDays);

    // "3 licences expire within 30 days, 1 has expired": each part only
    // when its count is not 0, singular or plural by count; empty when
    // there is nothing to say.
    static QString NoticeText(const ExpiryCounts& counts, int periodDays);

    // The licences counted, by expiry date, then product and key: key "L" +
    // licence id; product description, licence key, the location's path
    // from its top ("Available Locations / Leeds / Room 4"), expiry date
    // "dd/mm/yy" and the days left (negative once expired). The product id
    // of each row comes with it in productIds, in the same order.
    common::ListRows ExpiringLicences(int periodDays, std::vector<int>* productIds = nullptr);

    // The same list read a few expiry dates at a time (see
    // ExpiringLicencesReader), for a window that shows its first rows at
    // once; today is the clock's day now, kept for every slice.
    std::unique_ptr<ExpiringLicencesReader> ReadExpiringLicences(int periodDays);

    // Separates the descriptions of a location path.
    static inline const QString PathSeparator = QStringLiteral(" / ");

private:
    store::Database& db_;
    common::Clock& clock_;
};

// ExpiringLicences' rows in slices, in its exact order, without sorting the
// whole list: each slice is every licence of the next few expiry dates,
// found by walking the expiry index from the last date read, and sorted in
// memory by product (the store's text order, as UNICASE compares), key and
// id. The slices read one after the other are the whole list, row for row.
// No statement stays open between slices.
class ExpiringLicencesReader {
public:
    ExpiringLicencesReader(store::Database& db, const QDate& today, int periodDays);
    ~ExpiringLicencesReader();
    ExpiringLicencesReader(const ExpiringLicencesReader&) = delete;
    ExpiringLicencesReader& operator=(const ExpiringLicencesReader&) = delete;

    // The rows of the next expiry dates, whole dates, at least atLeast rows
    // unless the list ends first; every row left for an atLeast of 0 (one
    // statement); empty once it has ended. Each row's product id is
    // appended to productIds, when given.
    common::ListRows next(int atLeast, std::vector<int>* productIds = nullptr);
    // True once the last row has been read.
    bool atEnd() const { return atEnd_; }

private:
    // The last expiry date of the next atLeast rows; empty when fewer are
    // left (the slice runs to the end of the list).
    QString sliceEnd(int atLeast);
    const store::SortKey& productKey(int prodId, const QString& desc);

    store::Database& db_;
    QDate today_;
    QString periodEnd_;
    // The last expiry date read; "" before the first, below every date.
    QString after_;
    bool atEnd_ = false;
    std::unique_ptr<store::LocationPaths> paths_;
    QHash<int, QString> pathOf_;
    std::unordered_map<int, store::SortKey> productKeys_;
};

} // namespace assets
