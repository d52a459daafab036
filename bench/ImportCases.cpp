// The import of a large register: 100,000 stock rows whose paths name
// 5,000 locations the register lacks, checked (dry run) and stored.

#include "Cases.h"
#include "Context.h"

#include "common/Session.h"
#include "import/clsImport.h"
#include "store/Database.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <memory>
#include <stdexcept>

namespace bench {

namespace {

constexpr int Rows = 100000;
constexpr int Sites = 50;
constexpr int RoomsPerSite = 99; // 50 sites and 4,950 rooms: 5,000 new locations

// The file, made once: codes the seeded register does not hold, products
// it does, and paths under sites it does not have.
QString writeRegister(const QString& dir, store::Database& db) {
    QStringList products;
    store::Query q(db, QStringLiteral("SELECT Prod_Desc FROM Products ORDER BY Prod_ID LIMIT 20"));
    while (q.next())
        products << q.text(QStringLiteral("Prod_Desc"));
    if (products.isEmpty())
        throw std::runtime_error("the database holds no products");
    const QString path = dir + QStringLiteral("/register.csv");
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        throw std::runtime_error("cannot write the register to import");
    f.write("Stock code,Product,Location,Cost,Purchased\r\n");
    for (int i = 0; i < Rows; ++i) {
        const int site = i % Sites;
        const int room = (i / Sites) % RoomsPerSite;
        const QString product = products.at(i % products.size());
        QString line = QStringLiteral("IMP-%1,\"%2\",Import Site %3 > Room %4,%5.%6,%7/%8/2024\r\n")
                           .arg(i, 6, 10, QLatin1Char('0'))
                           .arg(QString(product).replace(QLatin1Char('"'), QStringLiteral("\"\"")))
                           .arg(site)
                           .arg(room)
                           .arg(100 + i % 900)
                           .arg(i % 100, 2, 10, QLatin1Char('0'))
                           .arg(1 + i % 28)
                           .arg(1 + i % 12);
        f.write(line.toUtf8());
    }
    return path;
}

} // namespace

void addImportCases(Bench& bench, Context& context) {
    auto dir = std::make_shared<QTemporaryDir>();
    if (!dir->isValid())
        throw std::runtime_error("no temporary directory for the import");
    imports::ImportOptions options;
    options.path = writeRegister(dir->path(), context.db());
    options.kind = imports::Kind::Stock;
    auto shared = std::make_shared<imports::ImportOptions>(options);

    Case dry;
    dry.name = QStringLiteral("import: dry run of 100,000 stock rows");
    dry.run = [&context, dir, shared] {
        const imports::ImportResult r =
            context.session().logic<imports::clsImport>().DryRun(*shared);
        if (r.hasProblems() || r.counts.items != Rows || r.counts.locations != 5000)
            throw std::runtime_error("the dry run found problems");
    };
    dry.rows = [] {
        return Rows;
    };
    bench.add(dry);

    // Each run imports into the register as seeded: what the last run
    // stored is taken out again, untimed.
    auto firstNewLocation = std::make_shared<std::int64_t>(0);
    Case import;
    import.name = QStringLiteral("import: 100,000 stock rows, 5,000 new locations");
    import.before = [&context, firstNewLocation ] {
        store::Query q(context.db(), QStringLiteral("SELECT max(Loc_ID) AS MaxID FROM Locations"));
    q.next();
    *firstNewLocation = q.integer(QStringLiteral("MaxID")) + 1;
};
import.run = [&context, shared ] {
    const imports::ImportResult r = context.session().logic<imports::clsImport>().Import(*shared);
if (!r.stored)
    throw std::runtime_error("the import stored nothing");
}; // namespace bench
import.rows = [] { return Rows;
}
;
import.after = [&context, firstNewLocation ] { store::Database& db = context.db();
store::Transaction tx(db);
db.execute(QStringLiteral("DELETE FROM StockHistory WHERE Type = 'S' AND Stock_Lic_ID IN "
                          "(SELECT Stock_ID FROM Stock WHERE Stock_Code LIKE 'IMP-%')"));
db.execute(QStringLiteral("DELETE FROM Stock WHERE Stock_Code LIKE 'IMP-%'"));
// Rooms before their sites.
db.execute(QStringLiteral("DELETE FROM Locations WHERE Loc_ID >= ? AND Loc_Level = 3"),
           *firstNewLocation);
db.execute(QStringLiteral("DELETE FROM Locations WHERE Loc_ID >= ?"), *firstNewLocation);
tx.commit();
}
;
bench.add(import);
}

} // namespace bench
