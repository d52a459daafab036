#include "import/ImportCommand.h"

#include "import/clsImport.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "store/StoreConstants.h"

#include <QDir>

namespace imports {

namespace {

void print(std::FILE* to, const QString& text) {
    std::fprintf(to, "%s\n", qUtf8Printable(text));
}

QString created(const ImportResult& r, Kind kind) {
    const ImportCounts& c = r.counts;
    return QStringLiteral("%1 %2; new: %3 locations, %4 products, %5 categories, %6 suppliers")
        .arg(c.items)
        .arg(kind == Kind::Stock ? QStringLiteral("stock items") : QStringLiteral("licences"))
        .arg(c.locations)
        .arg(c.products)
        .arg(c.categories)
        .arg(c.suppliers);
}

} // namespace

QString importUsage() {
    return QStringLiteral(
        "       vemora-admin import FILE --kind stock|licences [--map COLUMN=FIELD ...]\n"
        "                    [--create-missing] [--skip-bad] [--dry-run] [--separator S]\n"
        "                    [--db PATH | --server URL]\n"
        "  import FILE   bring a register kept as CSV in (a header row naming the columns),\n"
        "                all or nothing; problems are printed as FILE:LINE: reason and\n"
        "                nothing is stored (exit status 1). --map gives a column's field\n"
        "                by hand (FIELD: stock code, licence key, product, product code,\n"
        "                category, location, supplier, cost, date added, expires,\n"
        "                temporary, or ignore); --create-missing makes the categories,\n"
        "                products and suppliers the register lacks; --skip-bad stores\n"
        "                the good rows and writes the others to FILE.rejected.csv;\n"
        "                --dry-run only checks; --separator (> / or \\) splits location\n"
        "                paths (default >)\n");
}

std::optional<int> runImportCommand(const QStringList& args, const QString& programDir,
                                    common::Clock& clock, std::FILE* out, std::FILE* err) {
    if (args.isEmpty() || args.at(0) != QLatin1String("import"))
        return std::nullopt;
    const auto usage = [&](const QString& why) {
        print(err, QStringLiteral("vemora-admin import: ") + why);
        std::fprintf(err, "usage:\n%s", qUtf8Printable(importUsage()));
        return 2;
    };
    ImportOptions options;
    QString kind, db, server;
    bool dryRun = false;
    for (int i = 1; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        const auto value = [&](QString& into) {
            if (i + 1 >= args.size() || !into.isEmpty())
                return false;
            into = args.at(++i);
            return true;
        };
        if (arg == QLatin1String("--kind")) {
            if (!value(kind))
                return usage(QStringLiteral("--kind takes stock or licences, once"));
        } else if (arg == QLatin1String("--db")) {
            if (!value(db))
                return usage(QStringLiteral("--db takes a path, once"));
        } else if (arg == QLatin1String("--server")) {
            if (!value(server))
                return usage(QStringLiteral("--server takes a URL, once"));
        } else if (arg == QLatin1String("--map")) {
            QString pair;
            if (!value(pair) || !pair.contains(QLatin1Char('=')))
                return usage(QStringLiteral("--map takes COLUMN=FIELD"));
            const qsizetype at = pair.lastIndexOf(QLatin1Char('='));
            options.map.insert(pair.left(at), pair.mid(at + 1));
        } else if (arg == QLatin1String("--separator")) {
            QString separator;
            if (!value(separator) || !PathSeparators.contains(separator))
                return usage(QStringLiteral("--separator takes >, / or \\"));
            options.separator = separator;
        } else if (arg == QLatin1String("--create-missing")) {
            options.createMissing = true;
        } else if (arg == QLatin1String("--skip-bad")) {
            options.skipBad = true;
        } else if (arg == QLatin1String("--dry-run")) {
            dryRun = true;
        } else if (arg.startsWith(QLatin1String("--")) || !options.path.isEmpty()) {
            return usage(QStringLiteral("unexpected argument ") + arg);
        } else {
            options.path = arg;
        }
    }
    if (options.path.isEmpty())
        return usage(QStringLiteral("no FILE given"));
    if (kind == QLatin1String("stock"))
        options.kind = Kind::Stock;
    else if (kind == QLatin1String("licences") || kind == QLatin1String("licenses"))
        options.kind = Kind::Licences;
    else
        return usage(QStringLiteral("--kind takes stock or licences"));
    if (!db.isEmpty() && !server.isEmpty())
        return usage(QStringLiteral("--db and --server exclude each other"));
    for (auto it = options.map.begin(); it != options.map.end(); ++it)
        if (it.value().trimmed().compare(QLatin1String("ignore"), Qt::CaseInsensitive) != 0 &&
            !fieldForHeading(options.kind, it.value()))
            return usage(QStringLiteral("--map %1=%2: no such field").arg(it.key(), it.value()));

    const QString path = db.isEmpty() ? QDir(programDir).filePath(store::DatabaseFileName) : db;
    std::unique_ptr<store::Database> database;
    try {
        database = server.isEmpty() ? store::Database::open(path, store::DatabaseKey)
                                    : store::Database::connectServer(server);
        store::checkSchema(*database);
    } catch (const store::DbError& error) {
        print(err, QStringLiteral("vemora-admin: cannot open %1: %2")
                       .arg(server.isEmpty() ? path : server, error.text()));
        return 1;
    }

    CollectingMessages messages;
    clsImport importer(*database, messages, clock);
    const ImportResult result = dryRun ? importer.DryRun(options) : importer.Import(options);
    for (const QString& column : result.ignoredColumns)
        print(err, QStringLiteral("%1: column \"%2\" is ignored").arg(options.path, column));
    for (const Problem& p : result.problems)
        print(err, p.line > 0
                       ? QStringLiteral("%1:%2: %3").arg(options.path).arg(p.line).arg(p.reason)
                       : QStringLiteral("%1: %2").arg(options.path, p.reason));
    if (result.unlistedProblems > 0)
        print(err, QStringLiteral("%1: and %2 more problems")
                       .arg(options.path)
                       .arg(result.unlistedProblems));
    if (dryRun) {
        print(out, QStringLiteral("%1: %2 rows read; would import %3")
                       .arg(options.path)
                       .arg(result.counts.rows)
                       .arg(created(result, options.kind)));
        if (result.counts.skipped > 0 && options.skipBad)
            print(out, QStringLiteral("%1: %2 rows would be skipped")
                           .arg(options.path)
                           .arg(result.counts.skipped));
        return result.hasProblems() && !options.skipBad ? 1 : 0;
    }
    if (!result.stored) {
        print(err, QStringLiteral("%1: nothing was imported").arg(options.path));
        return 1;
    }
    print(out, QStringLiteral("%1: imported %2").arg(options.path, created(result, options.kind)));
    if (!result.rejectedFile.isEmpty())
        print(out, QStringLiteral("%1: %2 rows skipped, written to %3")
                       .arg(options.path)
                       .arg(result.counts.skipped)
                       .arg(result.rejectedFile));
    return 0;
}

} // namespace imports
