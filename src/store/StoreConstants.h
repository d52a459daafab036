#pragma once

// Fixed values of the asset store: the reserved location rows, the codes
// kept in coded columns, and the text formats of dates and the like.

#include <QDate>
#include <QDateTime>
#include <QString>

namespace store {

// The database file beside the program and its key.
inline const QString DatabaseFileName = QStringLiteral("AssetManagement.mdb");
inline const QString DatabaseKey = QStringLiteral("zovat");

// The encrypted page of a register file, in bytes: every new file gets
// PageSize; files made before it have OldPageSize and are rewritten with
// PageSize when the program opens them (shell::DatabaseFile). The engine
// encrypts and authenticates each page on its own, so larger pages cost less
// per byte read or written.
inline constexpr int PageSize = 4096;
inline constexpr int OldPageSize = 1024;

// Schema version recorded in PRAGMA user_version (a table on the server); Schema.cpp holds the
// migration to each version after the first.
inline constexpr int SchemaVersion = 10;

// Reserved rows of Locations, present in every database.
namespace loc {
inline constexpr int None = 0; // the tree's root; never a row
inline constexpr int AvailableLocations = 1;
inline constexpr int AvailableLicences = 2;
inline constexpr int RemovedLocations = 3;
inline constexpr int RemovedLicences = 4;
inline constexpr int RemovedStock = 5;
inline constexpr int ReservedLevel = 1;
} // namespace loc

// Loc_Status codes.
inline const QString StatusMainBranch = QStringLiteral("M");
inline const QString StatusUser = QStringLiteral("U");
// The removed-assets rows 3-5: nothing is ever added under them.
inline const QString StatusReserved = QStringLiteral("R");

// Licences.Type codes.
inline const QString LicenceNormal = QStringLiteral("N");
inline const QString LicenceTemporary = QStringLiteral("T");

// StockHistory.Type codes.
inline const QString HistoryStock = QStringLiteral("S");
inline const QString HistoryLicence = QStringLiteral("L");

// Stored forms (ISO 8601, so that text order is time order).
inline const QString StoredDateTime = QStringLiteral("yyyy-MM-dd HH:mm:ss");
inline const QString StoredDate = QStringLiteral("yyyy-MM-dd");

// The dates the stored forms hold: years of four digits. A date outside
// them is refused before it is stored, with DateRangeMessage naming the
// date ("The expiry date", "The date added").
inline bool isStorableDate(const QDate& date) {
    return date.isValid() && date >= QDate(1, 1, 1) && date <= QDate(9999, 12, 31);
}
inline const QString DateRangeMessage =
    QStringLiteral("%1 must lie between 01/01/0001 and 31/12/9999");

// Reads a stored date or date-time ("yyyy-MM-dd", "yyyy-MM-dd HH:mm:ss",
// with milliseconds or without seconds) as it is, a year beyond 9999
// written by another tool included; invalid when the text is no such form.
QDate readStoredDate(const QString& stored);
QDateTime readStoredDateTime(const QString& stored);

// Shown forms.
inline const QString ShownRecordDateTime = QStringLiteral("dd/MM/yy HH:mm:ss");
inline const QString ShownHistoryDateTime = QStringLiteral("dd/MM/yy HH:mm");
inline const QString ShownDate = QStringLiteral("dd/MM/yy");
inline const QString ShownReportDate = QStringLiteral("dd/MM/yyyy");

// Collation of every case-insensitive text comparison and ordering.
inline const QString IgnoreCase = QStringLiteral(" COLLATE UNICASE");

} // namespace store
