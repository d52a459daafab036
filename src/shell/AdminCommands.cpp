#include "shell/AdminCommands.h"

#include "common/TerminalProgress.h"
#include "shell/DatabaseCheck.h"
#include "shell/DatabaseFile.h"
#include "shell/RegisterCopy.h"
#include "shell/RegisterRoles.h"
#include "store/Database.h"
#include "store/ExpiryCounts.h"
#include "store/ProductCounts.h"
#include "store/Schema.h"
#include "store/StoreConstants.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace shell {

namespace {

struct Arguments {
    QStringList positional;
    QString db;
    QString server; // a register on a server instead of the file
    // What the register is called in messages.
    QString where() const { return server.isEmpty() ? db : server; }
    // The register named: the file, or the one on the server.
    std::unique_ptr<store::Database> open() const {
        return server.isEmpty() ? store::Database::open(db, store::DatabaseKey)
                                : store::Database::connectServer(server);
    }
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
        } else if (args.at(i) == QLatin1String("--server")) {
            if (i + 1 >= args.size())
                return std::nullopt;
            parsed.server = args.at(++i);
        } else if (args.at(i).startsWith(QLatin1String("--"))) {
            return std::nullopt;
        } else {
            parsed.positional << args.at(i);
        }
    }
    return parsed;
}

// A register on a server is backed up as a register file.
int serverBackup(const Arguments& a, std::FILE* out) {
    auto db = store::Database::connectServer(a.server);
    const QString destination = a.positional.at(0);
    backupToFile(*db, destination);
    std::fprintf(out, "backed up %s to %s\n", qUtf8Printable(db->describe()),
                 qUtf8Printable(destination));
    return 0;
}

int backup(const Arguments& a, std::FILE* out, std::FILE* err) {
    if (!a.server.isEmpty())
        return serverBackup(a, out);
    auto db = store::Database::open(a.db, store::DatabaseKey);
    DatabaseFile file(*db, QFileInfo(a.db).absolutePath());
    // Progress on the terminal, none when standard error is a file.
    common::TerminalRunner progress(err);
    file.setWorkRunner(&progress);
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
    auto db = a.open();
    const CheckResult result = checkDatabase(*db);
    for (const QString& problem : result.problems)
        std::fprintf(out, "%s\n", qUtf8Printable(problem));
    if (result.ok()) {
        std::fprintf(out, "%s: ok, schema version %d%s\n", qUtf8Printable(a.where()),
                     result.version,
                     result.version < store::SchemaVersion ? " (updated at the next start)" : "");
        return 0;
    }
    std::fprintf(out, "%s: %lld problem(s)\n", qUtf8Printable(a.where()),
                 static_cast<long long>(result.problems.size()));
    return 1;
}

// Counts every product's live items and every expiry date's live licences
// again and mends the kept counts that are wrong; a file of an older
// version is brought up to date first (its migration counts them).
int recount(const Arguments& a, std::FILE* out) {
    auto db = a.open();
    store::checkSchema(*db);
    const QStringList mended = store::recountProducts(*db);
    const QStringList dates = store::recountExpiries(*db);
    for (const QString& line : mended + dates)
        std::fprintf(out, "mended %s\n", qUtf8Printable(line));
    std::fprintf(out, "%s: %lld product count(s) mended\n", qUtf8Printable(a.where()),
                 static_cast<long long>(mended.size()));
    std::fprintf(out, "%s: %lld expiry count(s) mended\n", qUtf8Printable(a.where()),
                 static_cast<long long>(dates.size()));
    return 0;
}

// copy FROM TO: a file into an empty server database, or a server register
// into a new file.
int copy(const Arguments& a, std::FILE* out) {
    const QString from = a.positional.at(0);
    const QString to = a.positional.at(1);
    auto source = openRegister(from);
    const bool toFile = !isServerAddress(to);
    std::unique_ptr<store::Database> target = toFile
                                                  ? store::Database::create(to, store::DatabaseKey)
                                                  : store::Database::connectServer(to);
    try {
        const CopyCounts counts = copyRegister(*source, *target);
        // A register put on a server gets its editor and viewer roles, as
        // one made there by "create --server" does.
        if (!toFile)
            createRegisterRoles(*target);
        std::fprintf(out, "copied %s to %s: %lld rows in %d tables\n",
                     qUtf8Printable(source->describe()), qUtf8Printable(target->describe()),
                     static_cast<long long>(counts.rows), counts.tables);
        return 0;
    } catch (...) {
        if (toFile) {
            target.reset();
            QFile::remove(to);
        }
        throw;
    }
}

} // namespace

QString adminUsage() {
    return QStringLiteral(
        "       vemora-admin backup DEST [--db PATH | --server URL]\n"
        "       vemora-admin check [--db PATH | --server URL]\n"
        "       vemora-admin copy FROM TO\n"
        "       vemora-admin recount [--db PATH | --server URL]\n"
        "  backup DEST   write a consistent copy of the asset database to DEST (replaced if\n"
        "                there), also while the program has it open\n"
        "  check         check the asset database as a restore checks a file: integrity,\n"
        "                schema version (migrations tried, then undone), references, the\n"
        "                reserved locations and the register's rules; exit status 0 sound,\n"
        "                1 not. Both work while the program has the database open\n"
        "  copy FROM TO  copy a whole register, ids, history and stamps kept, from a file\n"
        "                to an empty database on a server, or from a server to a new file;\n"
        "                FROM and TO are file paths or server addresses (a libpq URI such\n"
        "                as postgresql://host/register, or service=NAME); one transaction\n"
        "                on TO, which must hold no register\n"
        "  recount       count every product's live stock items and licences, and every\n"
        "                expiry date's live licences, again and mend the counts the\n"
        "                register keeps where check finds them wrong\n"
        "  --db PATH     the database (default: AssetManagement.mdb beside vemora-admin)\n"
        "  --server URL  the register on a PostgreSQL server instead (a libpq URI or\n"
        "                service=NAME); backup then writes a register file the program opens\n");
}

std::optional<int> runAdminCommand(const QStringList& args, const QString& programDir,
                                   std::FILE* out, std::FILE* err) {
    if (args.isEmpty())
        return std::nullopt;
    const QString command = args.at(0);
    if (command != QLatin1String("backup") && command != QLatin1String("check") &&
        command != QLatin1String("copy") && command != QLatin1String("recount"))
        return std::nullopt;
    const std::optional<Arguments> a = parse(args.mid(1), programDir);
    const int wanted = command == QLatin1String("backup") ? 1
                       : command == QLatin1String("copy") ? 2
                                                          : 0;
    if (!a || a->positional.size() != wanted) {
        std::fprintf(err, "usage:\n%s", qUtf8Printable(adminUsage()));
        return 2;
    }
    try {
        if (command == QLatin1String("copy"))
            return copy(*a, out);
        if (command == QLatin1String("recount"))
            return recount(*a, out);
        return command == QLatin1String("backup") ? backup(*a, out, err) : check(*a, out);
    } catch (const store::DbError& error) {
        std::fprintf(err, "vemora-admin: %s: %s\n", qUtf8Printable(a->where()),
                     qUtf8Printable(error.text()));
    } catch (const common::FileError& error) {
        std::fprintf(err, "vemora-admin: %s\n", qUtf8Printable(error.text()));
    }
    return 1;
}

} // namespace shell
