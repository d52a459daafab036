#include "shell/StartUp.h"

#include "common/FileWork.h"
#include "common/Messages.h"
#include "shell/DatabaseFile.h"
#include "shell/DatabaseLock.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "store/StoreConstants.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include <cstdio>

#include <sqlite3.h>

namespace shell {

DateOrder dateOrderOf(const QLocale& locale) {
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    // Skip quoted literal text; the first of d, M, y that appears decides.
    bool quoted = false;
    int day = -1, month = -1, year = -1;
    for (int i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;
            continue;
        }
        if (quoted)
            continue;
        if (c == QLatin1Char('d') && day < 0)
            day = i;
        else if (c == QLatin1Char('M') && month < 0)
            month = i;
        else if (c == QLatin1Char('y') && year < 0)
            year = i;
    }
    if (year >= 0 && (day < 0 || year < day) && (month < 0 || year < month))
        return DateOrder::YearMonthDay;
    if (month >= 0 && (day < 0 || month < day))
        return DateOrder::MonthDayYear;
    return DateOrder::DayMonthYear;
}

bool CheckDateOrder(const QLocale& locale, common::Messages& messages) {
    if (dateOrderOf(locale) == DateOrder::DayMonthYear)
        return true;
    messages.fail(DateOrderRefusal);
    return false;
}

std::unique_ptr<DatabaseLock> LockAssetDatabase(const QString& dir, common::Messages& messages) {
    const QString path = QDir(dir).filePath(store::DatabaseFileName);
    try {
        std::optional<qint64> holder;
        std::unique_ptr<DatabaseLock> lock = DatabaseLock::acquire(path, &holder);
        if (!lock) {
            messages.fail(alreadyOpenText(QDir::toNativeSeparators(path), holder));
            return nullptr;
        }
        common::removeLeftoverCopies(common::followLinks(path));
        return lock;
    } catch (const common::FileError& error) {
        messages.fail(QStringLiteral("The asset database \"%1\" cannot be locked: %2")
                          .arg(QDir::toNativeSeparators(path), error.text()));
        return nullptr;
    }
}

std::unique_ptr<store::Database> OpenAssetDatabase(const QString& dir, common::Messages& messages) {
    const QString path = QDir(dir).filePath(store::DatabaseFileName);
    try {
        auto db = store::Database::open(path, store::DatabaseKey);
        store::checkSchema(*db);
        // A file of the old page size is rewritten with the new one once; if
        // that cannot be done now (a full disk), the program works on the
        // old file and tries again at the next start.
        try {
            rewritePages(*db);
        } catch (const common::FileError& error) {
            std::fprintf(stderr, "[notice] The asset database keeps its old page size: %s\n",
                         qUtf8Printable(error.text()));
        } catch (const store::DbError& error) {
            if (!db->isOpen())
                throw;
            std::fprintf(stderr, "[notice] The asset database keeps its old page size: %s\n",
                         qUtf8Printable(error.text()));
        }
        return db;
    } catch (const store::DbError& error) {
        messages.fail(error.text());
        return nullptr;
    }
}

QString chosenServer(const QStringList& args, const QString& dir) {
    const int at = static_cast<int>(args.indexOf(QStringLiteral("--server")));
    if (at >= 0 && at + 1 < args.size())
        return args.at(at + 1);
    const QString ini = QDir(dir).filePath(QStringLiteral("vemora.ini"));
    if (!QFileInfo::exists(ini))
        return {};
    QSettings settings(ini, QSettings::IniFormat);
    return settings.value(QStringLiteral("database/server")).toString().trimmed();
}

std::unique_ptr<store::Database> OpenServerRegister(const QString& address,
                                                    common::Messages& messages,
                                                    const store::PasswordPrompt& prompt) {
    try {
        auto db = store::Database::connectServer(address, prompt);
        if (db->userVersion() == 0) {
            messages.fail(NoRegisterOnServer.arg(db->describe()));
            return nullptr;
        }
        store::checkSchema(*db);
        return db;
    } catch (const store::DbError& error) {
        QString help;
        if (error.number() == SQLITE_CANTOPEN)
            help = ServerUnreachableHelp;
        else if (error.number() == SQLITE_AUTH)
            help = ServerLoginHelp;
        else if (error.description().contains(QLatin1String("newer version")))
            help = NewerRegisterHelp;
        messages.fail(help.isEmpty() ? error.text()
                                     : error.description() + QStringLiteral("\r\n") + help);
        return nullptr;
    }
}

} // namespace shell
