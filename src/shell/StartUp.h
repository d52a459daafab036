#pragma once

// The checks made before any window opens: the regional date order and the
// asset database connection.

#include <QLocale>
#include <QString>

#include <memory>

namespace store {
class Database;
}

namespace common {
class Messages;
}

namespace shell {

class DatabaseLock;

inline const QString VersionText = QStringLiteral("Version 1.9");
inline const QString DateOrderRefusal =
    QStringLiteral("This program requires your date format to be day/month/year.\r\n"
                   "Please modify this in Regional Settings and re-start Vemora Assets.");
inline const QString CannotAccessDatabase = QStringLiteral("Cannot access database, aborting...");

enum class DateOrder { DayMonthYear, MonthDayYear, YearMonthDay };

// The order of day, month and year in the locale's short date format.
DateOrder dateOrderOf(const QLocale& locale);

// True when the locale's date order is day/month/year; otherwise shows the
// refusal and returns false.
bool CheckDateOrder(const QLocale& locale, common::Messages& messages);

// Takes the lock of the asset database in dir, so that no second copy of
// the program opens it, then removes the temporary copies that a backup or
// restore killed half-way left beside it. When another copy holds the lock,
// or the lock file cannot be made, shows why and returns null; nothing in
// dir has been written then.
std::unique_ptr<DatabaseLock> LockAssetDatabase(const QString& dir, common::Messages& messages);

// Opens the asset database in dir with the program's key. On failure shows
// each engine error as "description - number" and returns null.
std::unique_ptr<store::Database> OpenAssetDatabase(const QString& dir, common::Messages& messages);

} // namespace shell
