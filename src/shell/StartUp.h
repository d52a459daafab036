#pragma once

// The checks made before any window opens: the regional date order and the
// asset database connection.

#include "store/Database.h"

#include <QLocale>
#include <QString>
#include <QStringList>

#include <memory>

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

// The register on a server the program is to use, if any: "--server URL"
// among args, else the [database] server= setting of vemora.ini in dir;
// empty for the file beside the program.
QString chosenServer(const QStringList& args, const QString& dir);

// What the user is told after the server's own text when the register on
// a server cannot be used.
inline const QString ServerUnreachableHelp =
    QStringLiteral("Check the server address (given with --server or in vemora.ini) and that the "
                   "server is running, or ask its administrator.");
inline const QString ServerLoginHelp = QStringLiteral(
    "Check the user name and password, or ask the server's administrator for access.");
inline const QString NoRegisterOnServer =
    QStringLiteral("The database %1 holds no asset register.\r\nAn administrator puts one there "
                   "with vemora-admin copy FILE URL, or vemora-admin create --server URL.");
inline const QString NewerRegisterHelp =
    QStringLiteral("Use the version of the program that made the register.");

// Connects to the asset register on the server at address, asking the user
// for a password through prompt when the server wants one, and brings its
// schema up to date. On failure shows one message (the server's text, then
// what to do) and returns null.
std::unique_ptr<store::Database> OpenServerRegister(const QString& address,
                                                    common::Messages& messages,
                                                    const store::PasswordPrompt& prompt);

} // namespace shell
