// vemora-bench DATABASE [--runs N] [--only TEXT] [--alone]
// vemora-bench --server URL [--runs N] [--only TEXT] [--alone]
// vemora-bench --server URL --clients N --seconds S [--seed SCALE] [--pause MS]
//
// Times the program's operations on a copy of a seeded asset database (see
// "vemora-admin seed" and scripts/bench.sh) and prints one table: each
// operation with the rows it shows or changes, the median and minimum of N
// runs in milliseconds, the median of the raw SQL of the same work, and the
// ratio of the two medians; with --alone also each operation's median when
// it runs alone in a fresh process, without the work of the cases before it
// (a cache warmed or a heap fragmented by them). With --server the same table is made on a
// server register that already holds a seeded register (scripts/bench.sh
// SCALE --server arranges one); its raw SQL runs through the store's own
// statements, the server having no other client interface here. The windows run under the offscreen
// platform unless another is set.

#include "Bench.h"
#include "Cases.h"
#include "Context.h"
#include "LoadHarness.h"

#include "store/Database.h"

#include <QApplication>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>
#include <exception>
#include <memory>
#include <optional>

namespace {

int usage() {
    std::fprintf(
        stderr,
        "usage: vemora-bench DATABASE|--server URL [--runs N] [--only TEXT] [--alone]\n"
        "       vemora-bench --server URL --clients N --seconds S [--seed SCALE] [--pause MS]\n");
    return 2;
}

// The median of one case run alone: this program again in a fresh process,
// on the same register, running only that case. None when it failed.
std::optional<double> medianAlone(const QStringList& target, const QString& name, int runs) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                target + QStringList{QStringLiteral("--runs"), QString::number(runs),
                                     QStringLiteral("--only-exact"), name});
    if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit ||
        child.exitCode() != 0)
        return std::nullopt;
    for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
        if (!line.startsWith("median "))
            continue;
        bool ok = false;
        const double ms = line.mid(7).trimmed().toDouble(&ok);
        if (ok)
            return ms;
    }
    return std::nullopt;
}

// The case groups, in the order their rows appear in the table.
using CaseGroup = void (*)(bench::Bench&, bench::Context&);
const CaseGroup Groups[] = {
    bench::addStartUpCases,  bench::addPageCases,       bench::addAllocationPageCases,
    bench::addLocationCases, bench::addAllocationCases, bench::addAllocationAfterVisitsCase,
    bench::addEnquiryCases,  bench::addLicenceCases,    bench::addAssetCases,
    bench::addReportCases,   bench::addExportCases,     bench::addFindCases};

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The user's own settings stay out of the figures: the defaults apply.
    QTemporaryDir settings;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());

    QStringList args = QApplication::arguments().mid(1);
    bench::Options options;
    QString database;
    QString server;
    // The load and conflict harness (LoadHarness.h), when --clients is given.
    std::optional<bench::LoadOptions> load;
    bool alone = false;
    const auto number = [&](double& out) {
        bool ok = false;
        out = args.isEmpty() ? 0 : args.takeFirst().toDouble(&ok);
        return ok && out > 0;
    };
    while (!args.isEmpty()) {
        const QString arg = args.takeFirst();
        double value = 0;
        if (arg == QLatin1String("--clients") || arg == QLatin1String("--seconds") ||
            arg == QLatin1String("--seed") || arg == QLatin1String("--pause")) {
            if (!load)
                load.emplace();
            if (!number(value))
                return usage();
            if (arg == QLatin1String("--clients"))
                load->clients = static_cast<int>(value);
            else if (arg == QLatin1String("--seconds"))
                load->seconds = static_cast<int>(value);
            else if (arg == QLatin1String("--pause"))
                load->pauseMs = static_cast<int>(value);
            else
                load->seedScale = value;
        } else if (arg == QLatin1String("--runs") && !args.isEmpty()) {
            bool ok = false;
            options.runs = args.takeFirst().toInt(&ok);
            if (!ok || options.runs < 1)
                return usage();
        } else if (arg == QLatin1String("--only") && !args.isEmpty()) {
            options.only = args.takeFirst();
        } else if (arg == QLatin1String("--only-exact") && !args.isEmpty()) {
            // A parent bench's request for one case's median (see --alone).
            options.only = args.takeFirst();
            options.exact = true;
            options.medianOnly = true;
        } else if (arg == QLatin1String("--alone")) {
            alone = true;
        } else if (arg == QLatin1String("--server") && !args.isEmpty() && server.isEmpty()) {
            server = args.takeFirst();
        } else if (database.isEmpty() && !arg.startsWith(QLatin1String("--"))) {
            database = arg;
        } else {
            return usage();
        }
    }
    if (database.isEmpty() == server.isEmpty())
        return usage();
    if (load) {
        if (server.isEmpty() || load->clients < 1 || load->seconds < 1)
            return usage();
        load->server = server;
        try {
            return bench::runLoadHarness(*load);
        } catch (const store::DbError& error) {
            std::fprintf(stderr, "vemora-bench: %s\n", qPrintable(error.text()));
        } catch (const std::exception& error) {
            std::fprintf(stderr, "vemora-bench: %s\n", error.what());
        }
        return 1;
    }
    if (server.isEmpty() && !QFileInfo(database).isFile()) {
        std::fprintf(stderr, "vemora-bench: no such file: %s\n", qPrintable(database));
        return 1;
    }

    try {
        std::unique_ptr<bench::Context> made =
            server.isEmpty() ? std::make_unique<bench::Context>(database)
                             : std::make_unique<bench::Context>(bench::Context::OnServer{server});
        bench::Context& context = *made;
        bench::Bench bench;
        bench.check = [&context] {
            context.requireNoMessages();
        };
        for (CaseGroup group : Groups)
            group(bench, context);
        // The import of 100,000 rows takes seconds a run: timed only when
        // asked for by name (--only import).
        if (options.only.contains(QLatin1String("import"), Qt::CaseInsensitive))
            bench::addImportCases(bench, context);
        if (alone)
            options.alone = [&](const QString& name) {
                return medianAlone(server.isEmpty()
                                       ? QStringList{database}
                                       : QStringList{QStringLiteral("--server"), server},
                                   name, options.runs);
            };
        if (options.medianOnly)
            return bench.runAll(options) ? 0 : 1;
        std::printf(
            "%s, %d runs each\n",
            qPrintable(server.isEmpty() ? QFileInfo(database).fileName() : context.db().describe()),
            options.runs);
        return bench.runAll(options) ? 0 : 1;
    } catch (const store::DbError& error) {
        std::fprintf(stderr, "vemora-bench: %s\n", qPrintable(error.text()));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "vemora-bench: %s\n", error.what());
    }
    return 1;
}
