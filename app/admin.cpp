// vemora-admin: maintenance commands for asset database files.
//   vemora-admin create PATH             makes a new empty asset database at PATH
//   vemora-admin seed PATH [--scale S]   makes a new asset database filled with demo data
//   vemora-admin backup DEST [--db PATH] / check [--db PATH]: see shell/AdminCommands.h

#include "seed/Seed.h"
#include "shell/AdminCommands.h"
#include "store/Database.h"
#include "store/Schema.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>

#include <cstdio>
#include <exception>

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: vemora-admin create PATH\n"
                 "       vemora-admin seed PATH [--scale S]\n"
                 "  create PATH   make a new empty asset database at PATH\n"
                 "  seed PATH     make a new asset database at PATH filled with a demo register,\n"
                 "                the same for the same scale; --scale S multiplies every count\n"
                 "                (default 1: 5,000 locations, 100,000 stock items, 100,000\n"
                 "                licences, 1,000,000 history rows)\n");
    std::fprintf(stderr, "%s", qUtf8Printable(shell::adminUsage()));
    return 2;
}

int runSeed(const QString& path, double scale) {
    QElapsedTimer timer;
    timer.start();
    const seed::SeedResult result = seed::createSeededDatabase(path, scale);
    const seed::SeedCounts& n = result.counts;
    std::printf("seeded %s in %.1f s: %d locations, %d categories, %d products, %d suppliers, "
                "%d stock items, %d licences, %d history rows; busiest licence location %d, "
                "busiest stock location %d\n",
                qUtf8Printable(path), static_cast<double>(timer.elapsed()) / 1000.0,
                n.stockLocations + n.licenceLocations + n.removedLocations, n.categories,
                n.products, n.suppliers, n.stock, n.licences, n.history,
                result.busiestLicenceLocation, result.busiestStockLocation);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (const std::optional<int> status =
            shell::runAdminCommand(args, QCoreApplication::applicationDirPath(), stdout, stderr))
        return *status;
    if (args.size() < 2)
        return usage();
    try {
        if (args.at(0) == QLatin1String("create") && args.size() == 2) {
            store::createAssetDatabase(args.at(1));
            std::printf("created %s\n", qUtf8Printable(args.at(1)));
            return 0;
        }
        if (args.at(0) == QLatin1String("seed")) {
            double scale = 1.0;
            if (args.size() == 4 && args.at(2) == QLatin1String("--scale")) {
                bool ok = false;
                scale = args.at(3).toDouble(&ok);
                if (!ok)
                    return usage();
            } else if (args.size() != 2) {
                return usage();
            }
            return runSeed(args.at(1), scale);
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
