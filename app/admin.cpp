// vemora-admin: maintenance commands for asset database files.
//   vemora-admin create PATH | --server URL
//                                        makes a new empty asset database at PATH, or a new
//                                        register in an empty database on a server
//   vemora-admin seed PATH | --server URL [--scale S]
//                                        the same filled with demo data
//   vemora-admin grant LOGIN editor|viewer --server URL
//                                        gives a server login one of the register's roles
//   vemora-admin report NAME-OR-NUMBER [--order CAPTION] [--days N] [--pdf FILE | --xlsx FILE |
//                       --csv FILE] [--db PATH | --server URL]
//                                        writes a report's text to standard output, or a PDF,
//                                        a workbook or CSV
//   vemora-admin backup DEST [--db PATH] / check [--db PATH]: see shell/AdminCommands.h
//   vemora-admin import FILE --kind stock|licences ...: see import/ImportCommand.h

#include "common/Clock.h"
#include "common/FileGuard.h"
#include "common/LicenceSettings.h"
#include "common/Messages.h"
#include "common/TerminalProgress.h"
#include "export/clsExport.h"
#include "import/ImportCommand.h"
#include "reports/ReportCatalogue.h"
#include "reports/clsReports.h"
#include "reports/ui/ReportPaper.h"
#include "seed/Seed.h"
#include "shell/AdminCommands.h"
#include "shell/RegisterCopy.h"
#include "shell/RegisterRoles.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "store/StoreConstants.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string_view>

#include <sqlite3.h>

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: vemora-admin create PATH | --server URL\n"
                 "       vemora-admin seed PATH | --server URL [--scale S]\n"
                 "       vemora-admin grant LOGIN editor|viewer --server URL\n"
                 "       vemora-admin report NAME-OR-NUMBER [--order CAPTION] [--days N]\n"
                 "                    [--pdf FILE | --xlsx FILE | --csv FILE]\n"
                 "                    [--db PATH | --server URL]\n"
                 "  create PATH   make a new empty asset database at PATH\n"
                 "  --server URL  (create, seed, report) the register in a database on a\n"
                 "                PostgreSQL server instead (a libpq URI or service=NAME); create\n"
                 "                and seed refuse a database that already holds a register;\n"
                 "                create also makes the roles vemora_editor (read and write)\n"
                 "                and vemora_viewer (read only) when the server lacks them\n"
                 "  grant LOGIN   give a login of the server the editor's or the viewer's role\n"
                 "  seed PATH     make a new asset database at PATH filled with a demo register,\n"
                 "                the same for the same scale; --scale S multiplies every count\n"
                 "                (default 1: 5,000 locations, 100,000 stock items, 100,000\n"
                 "                licences, 1,000,000 history rows)\n"
                 "  report NAME   write the report's text (CR LF line ends) to standard output,\n"
                 "                or with --pdf FILE to a PDF; NAME is a report's name or its\n"
                 "                number 1-9, --order the caption of one of its order buttons\n"
                 "                (default Category; Expiry Date for \"Licences expiring soon\"),\n"
                 "                --db the asset database (default the AssetManagement.mdb\n"
                 "                beside the program)\n"
                 "                --days N  the period of \"Licences expiring soon\", 0 to 3650\n"
                 "                days (default the user's setting licences/expiryWarningDays,\n"
                 "                else 30)\n"
                 "                --xlsx FILE writes the Export button's workbook (every row,\n"
                 "                typed cells), --csv FILE the same rows as CSV (RFC 4180,\n"
                 "                UTF-8, a header row); both list the rows in the order they\n"
                 "                were recorded unless --order is given\n"
                 "                FILE is replaced only when complete; the database, its\n"
                 "                journal, any other asset database (.mdb) and the program's\n"
                 "                own files are refused (exit status 2)\n");
    std::fprintf(stderr, "%s", qUtf8Printable(shell::adminUsage()));
    std::fprintf(stderr, "%s", qUtf8Printable(imports::importUsage()));
    return 2;
}

// Messages of a run without windows: each is already written to standard
// error as it is shown, and a question has no one to answer it.
class ConsoleMessages : public common::Messages {
protected:
    bool present(common::MessageKind, const QString&) override { return false; }
};

struct ReportArgs {
    QString report;
    QString order;
    QString pdf;
    QString xlsx;
    QString csv;
    QString db;
    QString server;
    QString days;
};

// Reads the report command's arguments; no value when they do not parse.
std::optional<ReportArgs> reportArgs(const QStringList& args) {
    ReportArgs out;
    bool named = false;
    for (int i = 1; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        QString* option = arg == QLatin1String("--order")    ? &out.order
                          : arg == QLatin1String("--pdf")    ? &out.pdf
                          : arg == QLatin1String("--xlsx")   ? &out.xlsx
                          : arg == QLatin1String("--csv")    ? &out.csv
                          : arg == QLatin1String("--db")     ? &out.db
                          : arg == QLatin1String("--server") ? &out.server
                          : arg == QLatin1String("--days")   ? &out.days
                                                             : nullptr;
        if (option) {
            if (i + 1 >= args.size() || !option->isEmpty())
                return std::nullopt;
            *option = args.at(++i);
        } else if (!named && !arg.startsWith(QLatin1String("--"))) {
            out.report = arg;
            named = true;
        } else {
            return std::nullopt;
        }
    }
    // One output at most.
    if (!named || (!out.pdf.isEmpty()) + (!out.xlsx.isEmpty()) + (!out.csv.isEmpty()) > 1)
        return std::nullopt;
    // One register.
    if (!out.db.isEmpty() && !out.server.isEmpty())
        return std::nullopt;
    return out;
}

QString reportList() {
    QString list;
    int number = 0;
    for (const reports::ReportDef& report : reports::reportCatalogue())
        list += QStringLiteral("\n  %1  %2").arg(++number).arg(report.name);
    return list;
}

int fail(int status, const QString& text) {
    std::fprintf(stderr, "vemora-admin: %s\n", qUtf8Printable(text));
    return status;
}

int runReport(const ReportArgs& args) {
    // The report by its number in the list or its name, in any case.
    const reports::ReportDef* report = nullptr;
    bool isNumber = false;
    const int number = args.report.trimmed().toInt(&isNumber);
    const std::vector<reports::ReportDef>& catalogue = reports::reportCatalogue();
    if (isNumber && number >= 1 && number <= static_cast<int>(catalogue.size()))
        report = &catalogue.at(static_cast<size_t>(number - 1));
    for (const reports::ReportDef& r : catalogue)
        if (!isNumber && r.name.compare(args.report.trimmed(), Qt::CaseInsensitive) == 0)
            report = &r;
    if (!report)
        return fail(
            2,
            QStringLiteral("no report \"%1\"; the reports are:%2").arg(args.report, reportList()));

    // The period of the expiring licences: given, or the user's setting.
    std::optional<int> days;
    if (!args.days.isEmpty()) {
        int value = 0;
        if (report->query != reports::ReportQuery::ExpiringSoon)
            return fail(
                2, QStringLiteral("--days is for \"%1\" only").arg(reports::ExpiringSoonReport));
        if (!common::readExpiryWarningDays(args.days, value))
            return fail(2, QStringLiteral("--days takes a whole number of days from 0 to %1")
                               .arg(common::MaxExpiryWarningDays));
        days = value;
    }

    // The text and its PDF list in the report's first order (by category
    // unless it names another) unless told; a workbook or CSV, like the
    // Export button's workbook, in the order the rows were recorded.
    const bool sheet = !args.xlsx.isEmpty() || !args.csv.isEmpty();
    int order = sheet ? exports::RecordedOrder : report->firstOrder;
    if (!args.order.isEmpty()) {
        order = -1;
        QStringList offered;
        for (int index : reports::offeredOrders(report->name)) {
            offered << reports::orderCaption(index);
            if (reports::orderCaption(index).compare(args.order.trimmed(), Qt::CaseInsensitive) ==
                0)
                order = index;
        }
        if (order < 0)
            return fail(2, QStringLiteral("\"%1\" has no order \"%2\"; its orders are: %3")
                               .arg(report->name, args.order, offered.join(QStringLiteral(", "))));
    }

    const QString path =
        args.db.isEmpty()
            ? QDir(QCoreApplication::applicationDirPath()).filePath(store::DatabaseFileName)
            : args.db;
    // Nothing is written over the database, its journal, the program's own
    // files or any other asset database.
    for (const QString& out : {args.pdf, args.xlsx, args.csv})
        if (!out.isEmpty() && common::isProtectedTarget(out, path, common::Written::Report))
            return fail(2, common::protectedTargetRefusal(out));
    std::unique_ptr<store::Database> db;
    const QString where = args.server.isEmpty() ? path : args.server;
    try {
        db = args.server.isEmpty() ? store::Database::open(path, store::DatabaseKey)
                                   : store::Database::connectServer(args.server);
        store::checkSchema(*db);
    } catch (const store::DbError& error) {
        return fail(1, QStringLiteral("cannot open %1: %2").arg(where, error.text()));
    }

    common::SystemClock clock;
    ConsoleMessages messages;
    // Progress on standard error while it is a terminal; none in a file.
    common::TerminalRunner progress(stderr);
    if (sheet) {
        exports::clsExport exporter(*db, messages, clock);
        exporter.setWorkRunner(&progress);
        if (days)
            exporter.setExpiringSoonDays(*days);
        const bool saved = args.xlsx.isEmpty() ? exporter.SaveCsv(*report, order, args.csv)
                                               : exporter.SaveWorkbook(*report, order, args.xlsx);
        return saved ? 0 : 1;
    }
    reports::clsReports reportsLogic(*db, messages, clock);
    if (days)
        reportsLogic.setExpiringSoonDays(*days);
    const reports::ReportRun run = reportsLogic.RunReport(report->name, order);
    if (!args.pdf.isEmpty()) {
        std::optional<reports::PaperFailure> failure;
        progress.run(QStringLiteral("Writing the PDF"), [&](common::Progress& steps) {
            failure = reports::writeReportPdf(args.pdf, run.text, &steps);
        });
        if (failure)
            return fail(1, QStringLiteral("cannot write %1: %2").arg(args.pdf, failure->text()));
        return 0;
    }
    const QByteArray bytes = run.text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

// An empty database on a server, refused when it holds a register.
std::unique_ptr<store::Database> emptyServerDatabase(const QString& server) {
    auto db = store::Database::connectServer(server);
    if (db->userVersion() != 0 || db->hasTable(QStringLiteral("Locations")))
        throw store::DbError(QStringLiteral("The database already holds a register; a new "
                                            "register is made only in an empty database"),
                             SQLITE_CANTOPEN);
    return db;
}

// The register is seeded in a file and copied onto the server in one
// transaction there, in batches rather than a round trip per row.
seed::SeedResult seedServer(const QString& server, double scale) {
    seed::SeedCounts::forScale(scale); // refuses a bad scale before anything is made
    auto db = emptyServerDatabase(server);
    QTemporaryDir dir;
    if (!dir.isValid())
        throw std::runtime_error("no temporary directory for the seeded register");
    const QString file = dir.filePath(store::DatabaseFileName);
    const seed::SeedResult result = seed::createSeededDatabase(file, scale);
    auto from = store::Database::open(file, store::DatabaseKey);
    shell::copyRegister(*from, *db);
    shell::createRegisterRoles(*db);
    return result;
}

int runSeed(const QString& path, const QString& server, double scale) {
    QElapsedTimer timer;
    timer.start();
    const seed::SeedResult result =
        server.isEmpty() ? seed::createSeededDatabase(path, scale) : seedServer(server, scale);
    const seed::SeedCounts& n = result.counts;
    std::printf("seeded %s in %.1f s: %d locations, %d categories, %d products, %d suppliers, "
                "%d stock items, %d licences, %d history rows; busiest licence location %d, "
                "busiest stock location %d\n",
                qUtf8Printable(server.isEmpty() ? path : server),
                static_cast<double>(timer.elapsed()) / 1000.0,
                n.stockLocations + n.licenceLocations + n.removedLocations, n.categories,
                n.products, n.suppliers, n.stock, n.licences, n.history,
                result.busiestLicenceLocation, result.busiestStockLocation);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    // A PDF needs fonts and a paint engine: a GUI application, which needs
    // no display on the offscreen platform.
    bool pdf = false;
    for (int i = 1; i < argc; ++i)
        pdf = pdf || std::string_view(argv[i]) == "--pdf";
    std::unique_ptr<QCoreApplication> app;
    if (pdf) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (const std::optional<int> status =
            shell::runAdminCommand(args, QCoreApplication::applicationDirPath(), stdout, stderr))
        return *status;
    common::SystemClock clock;
    if (const std::optional<int> status = imports::runImportCommand(
            args, QCoreApplication::applicationDirPath(), clock, stdout, stderr))
        return *status;
    if (args.size() < 2)
        return usage();
    try {
        if (args.at(0) == QLatin1String("report")) {
            const std::optional<ReportArgs> report = reportArgs(args);
            if (!report)
                return usage();
            return runReport(*report);
        }
        if (args.at(0) == QLatin1String("grant")) {
            const std::optional<QString> role =
                args.size() == 5 ? shell::registerRole(args.at(2)) : std::nullopt;
            if (!role || args.at(3) != QLatin1String("--server"))
                return usage();
            auto db = store::Database::connectServer(args.at(4));
            shell::grantRegisterRole(*db, args.at(1), *role);
            std::printf("granted %s to %s\n", qUtf8Printable(*role), qUtf8Printable(args.at(1)));
            return 0;
        }
        // PATH, or --server URL.
        const bool onServer = args.at(1) == QLatin1String("--server");
        const int after = onServer ? 3 : 2; // the arguments after the register
        if (args.at(0) == QLatin1String("create") && args.size() == after) {
            if (onServer) {
                auto db = emptyServerDatabase(args.at(2));
                store::createSchema(*db);
                shell::createRegisterRoles(*db);
            } else {
                store::createAssetDatabase(args.at(1));
            }
            std::printf("created %s\n", qUtf8Printable(args.at(after - 1)));
            return 0;
        }
        if (args.at(0) == QLatin1String("seed") && args.size() >= after) {
            double scale = 1.0;
            if (args.size() == after + 2 && args.at(after) == QLatin1String("--scale")) {
                bool ok = false;
                scale = args.at(after + 1).toDouble(&ok);
                if (!ok)
                    return usage();
            } else if (args.size() != after) {
                return usage();
            }
            return onServer ? runSeed(QString(), args.at(2), scale)
                            : runSeed(args.at(1), QString(), scale);
        }
    } catch (const store::DbError& error) {
        std::fprintf(stderr, "vemora-admin: %s\n", qUtf8Printable(error.text()));
        return 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "vemora-admin: %s\n", error.what());
        return 1;
    }
    return usage();
}
