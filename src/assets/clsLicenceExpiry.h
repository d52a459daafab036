#pragma once

// Licences whose expiry is near or past: the start-up notice's counts and
// the list it shows. "Soon" is an expiry date from today to the end of the
// warning period; "expired" is one before today on a licence still in use
// (not removed). Removed licences are never counted.

#include "common/ListRow.h"

#include <QDate>
#include <QString>

namespace store {
class Database;
}
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

    // Separates the descriptions of a location path.
    static inline const QString PathSeparator = QStringLiteral(" / ");

private:
    store::Database& db_;
    common::Clock& clock_;
};

} // namespace assets
