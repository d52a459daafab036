#include "shell/AdminCommands.h"

#include "shell/DatabaseCheck.h"
#include "shell/DatabaseFile.h"
#include "store/Database.h"
#include "store/StoreConstants.h"

#include <QDir>
#include <QFileInfo>

namespace shell {

namespace {

struct Arguments {
    QStringList positional;
    QString db;
};

// Splits off "--db PATH"; no value when the arguments are malformed.
std::optional<Arguments> parse(const QStringList& args, const QString& programDir) {
    Arguments parsed;
    parsed.db = QDir(programDir).filePath(store::DatabaseFileName);
    for (int i = 0; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--db")) {
            if (i + 1 >= args.size())
                return std::nullopt;
            parsed.db = args.at(++i);
        } else if (args.at(i).startsWith(QLatin1String("--"))) {
            return std::nullopt;
        } else {
            parsed.positional << args.at(i);
        }
    }
    return parsed;
}

int backup(const Arguments& a, std::FILE* out, std::FILE* err) {
    auto db = store::Database::open(a.db, store::DatabaseKey);
    DatabaseFile file(*db, QFileInfo(a.db).absolutePath());
    const QString destination = a.positional.at(0);
    // A refused destination (the live file, its journal, the program's own
    // files) is a wrong argument.
    if (sameFile(destination, a.db)) {
        std::fprintf(err, "vemora-admin: %s\n", qUtf8Printable(CannotBackUpLive));
        return 2;
    }
    if (std::optional<QString> refusal = file.backup(destination)) {
        std::fprintf(err, "vemora-admin: %s\n", qUtf8Printable(*refusal));
        return 2;
    }
    std::fprintf(out, "backed up %s to %s\n", qUtf8Printable(a.db), qUtf8Printable(destination));
    return 0;
}

int check(const Arguments& a, std::FILE* out) {
    auto db = store::Database::open(a.db, store::DatabaseKey);
    const CheckResult result = checkDatabase(*db);
    for (const QString& problem : result.problems)
        std::fprintf(out, "%s\n", qUtf8Printable(problem));
    if (result.ok()) {
        std::fprintf(out, "%s: ok, schema version %d%s\n", qUtf8Printable(a.db), result.version,
                     result.version < store::SchemaVersion ? " (updated at the next start)" : "");
        return 0;
    }
    std::fprintf(out, "%s: %lld problem(s)\n", qUtf8Printable(a.db),
                 static_cast<long long>(result.problems.size()));
    return 1;
}

} // namespace

QString adminUsage() {
    return QStringLiteral(
        "       vemora-admin backup DEST [--db PATH]\n"
        "       vemora-admin check [--db PATH]\n"
        "  backup DEST   write a consistent copy of the asset database to DEST (replaced if\n"
        "                there), also while the program has it open\n"
        "  check         check the asset database as a restore checks a file: integrity,\n"
        "                schema version (migrations tried, then undone), references, the\n"
        "                reserved locations and the register's rules; exit status 0 sound,\n"
        "                1 not. Both work while the program has the database open\n"
        "  --db PATH     the database (default: AssetManagement.mdb beside vemora-admin)\n");
}

std::optional<int> runAdminCommand(const QStringList& args, const QString& programDir,
                                   std::FILE* out, std::FILE* err) {
    if (args.isEmpty())
        return std::nullopt;
    const QString command = args.at(0);
    if (command != QLatin1String("backup") && command != QLatin1String("check"))
        return std::nullopt;
    const std::optional<Arguments> a = parse(args.mid(1), programDir);
    const int wanted = command == QLatin1String("backup") ? 1 : 0;
    if (!a || a->positional.size() != wanted) {
        std::fprintf(err, "usage:\n%s", qUtf8Printable(adminUsage()));
        return 2;
    }
    try {
        return command == QLatin1String("backup") ? backup(*a, out, err) : check(*a, out);
    } catch (const store::DbError& error) {
        std::fprintf(err, "vemora-admin: %s: %s\n", qUtf8Printable(a->db),
                     qUtf8Printable(error.text()));
    } catch (const common::FileError& error) {
        std::fprintf(err, "vemora-admin: %s\n", qUtf8Printable(error.text()));
    }
    return 1;
}

} // namespace shell
