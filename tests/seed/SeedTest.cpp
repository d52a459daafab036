#include "seed/Seed.h"
#include "locations/clsLocations.h"
#include "store/Database.h"
#include "store/ProductCounts.h"
#include "store/Schema.h"
#include "store/StoreConstants.h"
#include "support/LocationLevels.h"
#include "support/ScriptedMessages.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cmath>
#include <limits>
#include <memory>
#include <stdexcept>

namespace {

std::int64_t value(store::Database& db, const QString& sql) {
    store::Query q(db, sql);
    if (!q.next())
        throw std::runtime_error("no row");
    return q.integer(QStringLiteral("v"));
}

// A digest of every row of every table, in key order.
QByteArray contentsDigest(store::Database& db) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const char* table : {"Categories", "Suppliers", "Locations", "Products", "Stock",
                              "Licences", "StockHistory"}) {
        const QByteArray sql = QByteArray("SELECT * FROM ") + table + " ORDER BY rowid";
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db.handle(), sql.constData(), -1, &stmt, nullptr) != SQLITE_OK)
            db.fail();
        hash.addData(QByteArray(table));
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
                hash.addData(text ? QByteArray(text) : QByteArray("<null>"));
                hash.addData(QByteArray("|"));
            }
            hash.addData(QByteArray("\n"));
        }
        sqlite3_finalize(stmt);
    }
    return hash.result();
}

struct Seeded {
    explicit Seeded(double scale) {
        if (!dir.isValid())
            throw std::runtime_error("cannot make a temporary directory");
        result = seed::createSeededDatabase(path(), scale);
        db = store::Database::open(path(), store::DatabaseKey);
    }
    QString path() const { return dir.filePath(store::DatabaseFileName); }

    QTemporaryDir dir;
    seed::SeedResult result;
    std::unique_ptr<store::Database> db;
};

// ---------------------------------------------------------------- counts

struct ScaleCase {
    double scale;
    int categories, products, suppliers, stockLocations, licenceLocations, removedLocations;
    int stock, removedStock, licences, removedLicences, pooled, busiest, history;
};

TEST(SeedCounts, EveryCountIsMultipliedByTheScaleRoundedAndKeptAtLeastOne) {
    const ScaleCase cases[] = {
        {1, 40, 2000, 200, 4000, 1000, 50, 100000, 3000, 100000, 3000, 10000, 30000, 1000000},
        {0.05, 2, 100, 10, 200, 50, 3, 5000, 150, 5000, 150, 500, 1500, 50000},
        {0.01, 1, 20, 2, 40, 10, 1, 1000, 30, 1000, 30, 100, 300, 10000},
        {0.0001, 1, 1, 1, 1, 1, 1, 10, 0, 10, 0, 1, 3, 100},
        // So few history rows that every item's own row comes first.
        {0.0000001, 1, 1, 1, 1, 1, 1, 1, 0, 1, 0, 0, 0, 2},
        {2.5, 100, 5000, 500, 10000, 2500, 125, 250000, 7500, 250000, 7500, 25000, 75000, 2500000},
    };
    for (const ScaleCase& c : cases) {
        SCOPED_TRACE(c.scale);
        const seed::SeedCounts n = seed::SeedCounts::forScale(c.scale);
        EXPECT_EQ(n.categories, c.categories);
        EXPECT_EQ(n.products, c.products);
        EXPECT_EQ(n.suppliers, c.suppliers);
        EXPECT_EQ(n.stockLocations, c.stockLocations);
        EXPECT_EQ(n.licenceLocations, c.licenceLocations);
        EXPECT_EQ(n.removedLocations, c.removedLocations);
        EXPECT_EQ(n.stock, c.stock);
        EXPECT_EQ(n.removedStock, c.removedStock);
        EXPECT_EQ(n.licences, c.licences);
        EXPECT_EQ(n.removedLicences, c.removedLicences);
        EXPECT_EQ(n.pooledLicences, c.pooled);
        EXPECT_EQ(n.busiestLicences, c.busiest);
        EXPECT_EQ(n.history, c.history);
    }
}

TEST(SeedCounts, AScaleThatIsNotAPositiveNumberIsRefusedBeforeAnyFileIsMade) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("never.mdb"));
    for (double scale : {0.0, -1.0, std::nan(""), std::numeric_limits<double>::infinity(), 1e6}) {
        SCOPED_TRACE(scale);
        EXPECT_THROW(seed::SeedCounts::forScale(scale), std::invalid_argument);
        EXPECT_THROW(seed::createSeededDatabase(path, scale), std::invalid_argument);
        EXPECT_FALSE(QFile::exists(path));
    }
}

class SeedAtScale : public ::testing::TestWithParam<double> {};

TEST_P(SeedAtScale, TheTablesHoldExactlyTheCountsOfTheScale) {
    Seeded s(GetParam());
    const seed::SeedCounts n = seed::SeedCounts::forScale(GetParam());
    store::Database& db = *s.db;
    const struct {
        const char* what;
        QString sql;
        int expected;
    } rows[] = {
        {"categories", QStringLiteral("SELECT count(*) AS v FROM Categories"), n.categories},
        {"suppliers", QStringLiteral("SELECT count(*) AS v FROM Suppliers"), n.suppliers},
        {"products", QStringLiteral("SELECT count(*) AS v FROM Products"), n.products},
        {"stock locations", QStringLiteral("SELECT count(*) AS v FROM Locations WHERE Loc_Top = 1"),
         n.stockLocations},
        {"licence locations",
         QStringLiteral("SELECT count(*) AS v FROM Locations WHERE Loc_Top = 2"),
         n.licenceLocations},
        {"removed locations",
         QStringLiteral("SELECT count(*) AS v FROM Locations WHERE Loc_Top = 3"),
         n.removedLocations},
        {"reserved locations",
         QStringLiteral("SELECT count(*) AS v FROM Locations WHERE Loc_Level = 1"), 5},
        {"stock", QStringLiteral("SELECT count(*) AS v FROM Stock"), n.stock},
        {"removed stock", QStringLiteral("SELECT count(*) AS v FROM Stock WHERE Loc_ID = 5"),
         n.removedStock},
        {"licences", QStringLiteral("SELECT count(*) AS v FROM Licences"), n.licences},
        {"removed licences", QStringLiteral("SELECT count(*) AS v FROM Licences WHERE Loc_ID = 4"),
         n.removedLicences},
        {"pooled licences", QStringLiteral("SELECT count(*) AS v FROM Licences WHERE Loc_ID = 2"),
         n.pooledLicences},
        {"history", QStringLiteral("SELECT count(*) AS v FROM StockHistory"), n.history},
    };
    for (const auto& row : rows)
        EXPECT_EQ(value(db, row.sql), row.expected) << row.what;

    EXPECT_EQ(s.result.counts.stock, n.stock);
    EXPECT_EQ(s.result.counts.history, n.history);
    EXPECT_EQ(value(db, QStringLiteral("SELECT count(*) AS v FROM Licences WHERE Loc_ID = ") +
                            QString::number(s.result.busiestLicenceLocation)),
              n.busiestLicences);
}

INSTANTIATE_TEST_SUITE_P(Scales, SeedAtScale, ::testing::Values(0.01, 0.05));

// ------------------------------------------------------ a seeded register

class SeededRegister : public ::testing::Test {
protected:
    static void SetUpTestSuite() { seeded = new Seeded(0.01); }
    static void TearDownTestSuite() {
        delete seeded;
        seeded = nullptr;
    }
    static store::Database& db() { return *seeded->db; }
    static std::int64_t v(const QString& sql) { return value(db(), sql); }

    struct Rule {
        const char* what;
        QString sql; // counts the rows that break the rule, as v
    };
    static void expectNoneBreak(std::initializer_list<Rule> rules) {
        for (const Rule& rule : rules)
            EXPECT_EQ(v(rule.sql), 0) << rule.what;
    }
    struct Presence {
        const char* what;
        QString sql; // counts the rows of a kind that must occur, as v
    };
    static void expectPresent(std::initializer_list<Presence> kinds) {
        for (const Presence& kind : kinds)
            EXPECT_GT(v(kind.sql), 0) << kind.what;
    }

    static Seeded* seeded;
};

Seeded* SeededRegister::seeded = nullptr;

TEST_F(SeededRegister, ForeignKeysHoldAndEveryHistoryRowBelongsToAnItem) {
    store::Query check(db(), QStringLiteral("PRAGMA foreign_key_check"));
    EXPECT_FALSE(check.next());
    expectNoneBreak({
        {"stock history of no stock item",
         QStringLiteral("SELECT count(*) AS v FROM StockHistory h WHERE h.Type = 'S' AND NOT "
                        "EXISTS (SELECT 1 FROM Stock s WHERE s.Stock_ID = h.Stock_Lic_ID)")},
        {"licence history of no licence",
         QStringLiteral("SELECT count(*) AS v FROM StockHistory h WHERE h.Type = 'L' AND NOT "
                        "EXISTS (SELECT 1 FROM Licences l WHERE l.Licence_ID = h.Stock_Lic_ID)")},
        {"history of another type", QStringLiteral("SELECT count(*) AS v FROM StockHistory "
                                                   "WHERE Type NOT IN ('S', 'L')")},
    });
}

TEST_F(SeededRegister, ProductCountsAreMadeFromTheItemsAndKeptAfterwards) {
    EXPECT_EQ(store::productCountProblems(db(), -1), QStringList());
    EXPECT_EQ(v(QStringLiteral("SELECT count(*) AS v FROM ProductCounts")),
              v(QStringLiteral("SELECT count(*) AS v FROM Products")));
    // The triggers taken off for the bulk load are back: an item added
    // (and rolled back) is counted.
    const std::int64_t prod = v(QStringLiteral("SELECT min(Prod_ID) AS v FROM Products"));
    const QString kept =
        QStringLiteral("SELECT Stock_Count AS v FROM ProductCounts WHERE Prod_ID = %1").arg(prod);
    const std::int64_t before = v(kept);
    store::Transaction tx(db());
    db().execute(QStringLiteral("INSERT INTO Stock (Stock_Code, Prod_ID, Loc_ID) VALUES "
                                "('COUNTED-1', ?, ?)"),
                 prod, store::loc::AvailableLocations);
    EXPECT_EQ(v(kept), before + 1);
}

TEST_F(SeededRegister, LocationsAreThoseTheProgramWouldHaveAddedOrParked) {
    expectNoneBreak({
        {"a user location without its parent row",
         QStringLiteral("SELECT count(*) AS v FROM Locations c WHERE c.Loc_Level > 1 AND NOT "
                        "EXISTS (SELECT 1 FROM Locations p WHERE p.Loc_ID = c.Loc_ParentID)")},
        {"under rows 1 and 2, a level other than the parent's plus one",
         QStringLiteral("SELECT count(*) AS v FROM Locations c JOIN Locations p ON p.Loc_ID = "
                        "c.Loc_ParentID WHERE c.Loc_Top IN (1, 2) AND c.Loc_Level > 1 AND "
                        "c.Loc_Level <> p.Loc_Level + 1")},
        {"a top other than the level-1 location it lies under",
         QStringLiteral("WITH RECURSIVE up(id, ancestor) AS ("
                        " SELECT Loc_ID, Loc_ParentID FROM Locations WHERE Loc_Level > 1"
                        " UNION ALL SELECT up.id, a.Loc_ParentID FROM up"
                        " JOIN Locations a ON a.Loc_ID = up.ancestor WHERE a.Loc_Level > 1)"
                        " SELECT count(*) AS v FROM Locations c WHERE c.Loc_Level > 1 AND"
                        " c.Loc_Top IS NOT (SELECT up.ancestor FROM up JOIN Locations a"
                        " ON a.Loc_ID = up.ancestor WHERE up.id = c.Loc_ID AND a.Loc_Level = 1)")},
        {"a user location at a top other than 1, 2 or 3",
         QStringLiteral("SELECT count(*) AS v FROM Locations WHERE Loc_Level > 1 AND "
                        "Loc_Top NOT IN (1, 2, 3)")},
        {"a status other than U below level 1",
         QStringLiteral("SELECT count(*) AS v FROM Locations WHERE Loc_Level > 1 AND "
                        "Loc_Status <> 'U'")},
        {"a removed location not directly under row 3, or no deeper than it",
         QStringLiteral("SELECT count(*) AS v FROM Locations WHERE Loc_Top = 3 AND "
                        "(Loc_ParentID <> 3 OR Loc_Level < 2)")},
        {"deeper than six levels",
         QStringLiteral("SELECT count(*) AS v FROM Locations WHERE Loc_Level > 6")},
        {"a description with blanks around it",
         QStringLiteral("SELECT count(*) AS v FROM Locations WHERE Loc_Desc <> trim(Loc_Desc) "
                        "OR Loc_Desc = ''")},
        {"a removed location that holds something",
         QStringLiteral("SELECT count(*) AS v FROM Locations l WHERE l.Loc_Top = 3 AND ("
                        "EXISTS (SELECT 1 FROM Stock s WHERE s.Loc_ID = l.Loc_ID) OR "
                        "EXISTS (SELECT 1 FROM Licences c WHERE c.Loc_ID = l.Loc_ID))")},
        {"the reserved rows changed",
         QStringLiteral("SELECT count(*) AS v FROM Locations WHERE Loc_Level = 1 AND "
                        "(Loc_ID > 5 OR Loc_Top <> 0)")},
    });
    EXPECT_GE(v(QStringLiteral("SELECT max(Loc_Level) AS v FROM Locations WHERE Loc_Top = 1")), 4);
}

TEST_F(SeededRegister, TheProgramsTreeShowsEveryLocationUnderItsParent) {
    testing_support::ScriptedMessages messages;
    locations::clsLocations logic(db(), messages);
    const auto nodes = logic.FillUpLocationTree();
    ASSERT_TRUE(nodes.has_value());
    EXPECT_TRUE(messages.texts().isEmpty())
        << messages.texts().join(QStringLiteral("\n")).toStdString();
    EXPECT_EQ(static_cast<std::int64_t>(nodes->size()),
              v(QStringLiteral("SELECT count(*) + 1 AS v FROM Locations")));
    int removed = 0;
    for (const locations::TreeNode& node : *nodes)
        removed += node.image == locations::image::RemovedLocation;
    EXPECT_EQ(removed, seeded->result.counts.removedLocations);
    testing_support::expectSameTree(*nodes, testing_support::readEveryLevel(logic));
}

TEST_F(SeededRegister, ItemsStandOnlyWhereTheProgramLetsThemStand) {
    expectNoneBreak({
        {"live stock outside the available-locations branch",
         QStringLiteral("SELECT count(*) AS v FROM Stock s JOIN Locations l ON l.Loc_ID = "
                        "s.Loc_ID WHERE s.Loc_ID NOT IN (1, 5) AND l.Loc_Top <> 1")},
        {"licences outside the available-licences branch",
         QStringLiteral("SELECT count(*) AS v FROM Licences c JOIN Locations l ON l.Loc_ID = "
                        "c.Loc_ID WHERE c.Loc_ID NOT IN (2, 4) AND l.Loc_Top <> 2")},
        {"stock products that are licensed too",
         QStringLiteral("SELECT count(*) AS v FROM (SELECT DISTINCT Prod_ID FROM Stock) s "
                        "JOIN (SELECT DISTINCT Prod_ID FROM Licences) l USING (Prod_ID)")},
    });
    expectPresent({
        {"stock under the branch",
         QStringLiteral("SELECT count(*) AS v FROM Stock s JOIN "
                        "Locations l USING (Loc_ID) WHERE l.Loc_Top = 1")},
        {"licences under the branch",
         QStringLiteral("SELECT count(*) AS v FROM Licences c JOIN Locations l USING (Loc_ID) "
                        "WHERE l.Loc_Top = 2")},
    });
}

TEST_F(SeededRegister, CodesKeysAndValuesAreInTheirStoredForms) {
    const QString dateTime = QStringLiteral(
        "'[12][0-9][0-9][0-9]-[01][0-9]-[0-3][0-9] [0-2][0-9]:[0-5][0-9]:[0-5][0-9]'");
    const QString date = QStringLiteral("'[12][0-9][0-9][0-9]-[01][0-9]-[0-3][0-9]'");
    expectNoneBreak({
        {"duplicate stock codes", QStringLiteral("SELECT count(*) - count(DISTINCT Stock_Code) "
                                                 "AS v FROM Stock")},
        {"duplicate licence keys", QStringLiteral("SELECT count(*) - count(DISTINCT "
                                                  "Licence_Name) AS v FROM Licences")},
        {"stock codes not trimmed upper case",
         QStringLiteral("SELECT count(*) AS v FROM Stock WHERE Stock_Code <> upper(trim("
                        "Stock_Code)) OR Stock_Code = ''")},
        {"licence keys not trimmed upper case",
         QStringLiteral("SELECT count(*) AS v FROM Licences WHERE Licence_Name <> upper(trim("
                        "Licence_Name)) OR Licence_Name = ''")},
        {"duplicate product descriptions, ignoring case",
         QStringLiteral("SELECT count(*) - count(DISTINCT upper(Prod_Desc)) AS v FROM Products")},
        {"duplicate supplier names", QStringLiteral("SELECT count(*) - count(DISTINCT Supp_Name) "
                                                    "AS v FROM Suppliers")},
        {"duplicate categories", QStringLiteral("SELECT count(*) - count(DISTINCT Cat_Desc) "
                                                "AS v FROM Categories")},
        {"money not whole hundredths within 0 to 1,000,000.00",
         QStringLiteral("SELECT (SELECT count(*) FROM Stock WHERE typeof(Cost) <> 'integer' OR "
                        "Cost NOT BETWEEN 0 AND 100000000) + (SELECT count(*) FROM Licences "
                        "WHERE typeof(Cost) <> 'integer' OR Cost NOT BETWEEN 0 AND 100000000) + "
                        "(SELECT count(*) FROM Products WHERE typeof(Prod_Cost) <> 'integer' OR "
                        "Prod_Cost NOT BETWEEN 0 AND 100000000) AS v")},
        {"date-times not stored yyyy-MM-dd HH:mm:ss",
         QStringLiteral("SELECT (SELECT count(*) FROM Stock WHERE Date_Added NOT GLOB %1) + "
                        "(SELECT count(*) FROM Licences WHERE Date_Added NOT GLOB %1) + "
                        "(SELECT count(*) FROM Products WHERE Date_Added NOT GLOB %1) + "
                        "(SELECT count(*) FROM StockHistory WHERE move_date NOT GLOB %1) AS v")
             .arg(dateTime)},
        {"dates not stored yyyy-MM-dd",
         QStringLiteral("SELECT (SELECT count(*) FROM Licences WHERE Exp_Date NOT GLOB %1) + "
                        "(SELECT count(*) FROM Suppliers WHERE Supp_Date NOT GLOB %1) AS v")
             .arg(date)},
        {"a temporary licence without an expiry",
         QStringLiteral("SELECT count(*) AS v FROM Licences WHERE Type = 'T' AND Exp_Date IS "
                        "NULL")},
        {"a supplier without a name or a town",
         QStringLiteral("SELECT count(*) AS v FROM Suppliers WHERE trim(Supp_Name) = '' OR "
                        "Town IS NULL OR Post_Code IS NULL OR Telephone IS NULL")},
        {"a telephone with more than digits and blanks",
         QStringLiteral("SELECT count(*) AS v FROM Suppliers WHERE Telephone GLOB '*[^0-9 ]*' "
                        "OR Fax GLOB '*[^0-9 ]*' OR Area GLOB '*[^0-9]*'")},
        {"an apostrophe or bar, which no input box takes",
         QStringLiteral("SELECT (SELECT count(*) FROM Locations WHERE Loc_Desc GLOB '*[''|]*') + "
                        "(SELECT count(*) FROM Products WHERE Prod_Desc GLOB '*[''|]*') + "
                        "(SELECT count(*) FROM Suppliers WHERE Supp_Name GLOB '*[''|]*') AS v")},
    });
    expectPresent({
        {"normal licences", QStringLiteral("SELECT count(*) AS v FROM Licences WHERE Type = 'N'")},
        {"temporary licences",
         QStringLiteral("SELECT count(*) AS v FROM Licences WHERE Type = 'T'")},
        {"expired licences", QStringLiteral("SELECT count(*) AS v FROM Licences WHERE Exp_Date "
                                            "< '2026-01-01'")},
        {"licences still valid", QStringLiteral("SELECT count(*) AS v FROM Licences WHERE "
                                                "Exp_Date >= '2026-01-01'")},
        {"licences that never expire",
         QStringLiteral("SELECT count(*) AS v FROM Licences WHERE Exp_Date IS NULL")},
        {"stock without a supplier",
         QStringLiteral("SELECT count(*) AS v FROM Stock WHERE Supp_ID IS NULL")},
        {"stock with a supplier",
         QStringLiteral("SELECT count(*) AS v FROM Stock WHERE Supp_ID IS NOT NULL")},
    });
}

TEST_F(SeededRegister, HistoryLeadsEachItemToWhereItStandsNow) {
    // For each kind of item: its rows, its table and key.
    const struct {
        const char* type;
        const char* table;
        const char* key;
        int removedAt;
    } kinds[] = {{"S", "Stock", "Stock_ID", 5}, {"L", "Licences", "Licence_ID", 4}};
    for (const auto& k : kinds) {
        SCOPED_TRACE(k.table);
        const auto sql = [&](const char* text) {
            return QString::fromLatin1(text)
                .replace(QLatin1String("$T"), QLatin1String(k.table))
                .replace(QLatin1String("$K"), QLatin1String(k.key))
                .replace(QLatin1String("$Y"), QLatin1String(k.type))
                .replace(QLatin1String("$R"), QString::number(k.removedAt));
        };
        expectNoneBreak({
            {"newest row not naming the current location",
             sql("SELECT count(*) AS v FROM $T i JOIN Locations l ON l.Loc_ID = i.Loc_ID "
                 "WHERE (SELECT h.Loc_Desc FROM StockHistory h WHERE h.Stock_Lic_ID = i.$K AND "
                 "h.Type = '$Y' ORDER BY h.move_date DESC LIMIT 1) IS NOT l.Loc_Desc")},
            {"two rows of one item at the same moment",
             sql("SELECT count(*) AS v FROM (SELECT Stock_Lic_ID FROM StockHistory WHERE "
                 "Type = '$Y' GROUP BY Stock_Lic_ID HAVING count(*) <> count(DISTINCT "
                 "move_date))")},
            {"a move at or after the fixed now",
             sql("SELECT count(*) AS v FROM StockHistory WHERE Type = '$Y' AND move_date >= "
                 "'2026-01-01 00:00:00'")},
            {"a row naming the same location as the row after it",
             sql("SELECT count(*) AS v FROM StockHistory h WHERE h.Type = '$Y' AND h.Loc_Desc = "
                 "(SELECT n.Loc_Desc FROM StockHistory n WHERE n.Stock_Lic_ID = h.Stock_Lic_ID "
                 "AND n.Type = '$Y' AND n.move_date > h.move_date ORDER BY n.move_date LIMIT 1)")},
            {"a removed item without a row before its removal",
             sql("SELECT count(*) AS v FROM $T i WHERE i.Loc_ID = $R AND (SELECT count(*) FROM "
                 "StockHistory h WHERE h.Stock_Lic_ID = i.$K AND h.Type = '$Y') < 2")},
            {"Date_Added other than the first move",
             sql("SELECT count(*) AS v FROM $T i WHERE i.Date_Added IS NOT (SELECT "
                 "min(h.move_date) FROM StockHistory h WHERE h.Stock_Lic_ID = i.$K AND "
                 "h.Type = '$Y')")},
        });
        expectPresent({{"items that moved",
                        sql("SELECT count(*) AS v FROM (SELECT Stock_Lic_ID FROM StockHistory "
                            "WHERE Type = '$Y' GROUP BY Stock_Lic_ID HAVING count(*) > 2)")}});
    }
    expectNoneBreak({
        {"earlier stock rows outside the stock branch",
         QStringLiteral("SELECT count(*) AS v FROM StockHistory h WHERE h.Type = 'S' AND "
                        "h.Loc_Desc NOT IN (SELECT Loc_Desc FROM Locations WHERE Loc_Top = 1 "
                        "OR Loc_ID IN (1, 5))")},
        {"earlier licence rows outside the licence branch",
         QStringLiteral("SELECT count(*) AS v FROM StockHistory h WHERE h.Type = 'L' AND "
                        "h.Loc_Desc NOT IN (SELECT Loc_Desc FROM Locations WHERE Loc_Top = 2 "
                        "OR Loc_ID IN (2, 4))")},
    });
}

TEST_F(SeededRegister, TheBusiestLocationsHoldFarMoreThanTheRest) {
    const seed::SeedResult& r = seeded->result;
    EXPECT_EQ(seed::busiestLicenceLocation(db()), r.busiestLicenceLocation);
    const QString busiest = QString::number(r.busiestLicenceLocation);
    EXPECT_EQ(v(QStringLiteral("SELECT Loc_Top AS v FROM Locations WHERE Loc_ID = ") + busiest),
              store::loc::AvailableLicences);
    // It holds nearly every licensed product, not a few many times over.
    EXPECT_GE(v(QStringLiteral("SELECT count(DISTINCT Prod_ID) * 10 AS v FROM Licences WHERE "
                               "Loc_ID = ") +
                busiest),
              9 * v(QStringLiteral("SELECT count(DISTINCT Prod_ID) AS v FROM Licences")));
    // More than the pool and any other location: about 30% of all licences.
    const std::int64_t held =
        v(QStringLiteral("SELECT count(*) AS v FROM Licences WHERE Loc_ID = ") + busiest);
    EXPECT_GT(held, v(QStringLiteral("SELECT count(*) AS v FROM Licences WHERE Loc_ID = 2")));
    EXPECT_GT(held, v(QStringLiteral("SELECT max(n) AS v FROM (SELECT count(*) AS n FROM "
                                     "Licences WHERE Loc_ID NOT IN (2, 4, ") +
                      busiest + QStringLiteral(") GROUP BY Loc_ID)")));
    EXPECT_GE(held * 100, 25 * v(QStringLiteral("SELECT count(*) AS v FROM Licences")));

    // Stock: the busiest location is the one holding most live items, and
    // holds many times the average of the locations that hold any.
    const QString stockBusiest = QString::number(r.busiestStockLocation);
    const std::int64_t most =
        v(QStringLiteral("SELECT max(n) AS v FROM (SELECT count(*) AS n FROM Stock WHERE "
                         "Loc_ID <> 5 GROUP BY Loc_ID)"));
    EXPECT_EQ(v(QStringLiteral("SELECT count(*) AS v FROM Stock WHERE Loc_ID = ") + stockBusiest),
              most);
    EXPECT_GE(most * v(QStringLiteral("SELECT count(DISTINCT Loc_ID) AS v FROM Stock WHERE "
                                      "Loc_ID <> 5")),
              5 * v(QStringLiteral("SELECT count(*) AS v FROM Stock WHERE Loc_ID <> 5")));
}

// --------------------------------------------- determinism and refusals

TEST_F(SeededRegister, TheSameScaleAlwaysGivesTheSameContents) {
    Seeded again(0.01);
    EXPECT_EQ(contentsDigest(*again.db), contentsDigest(db()));
    EXPECT_EQ(again.result.busiestLicenceLocation, seeded->result.busiestLicenceLocation);
    EXPECT_EQ(again.result.busiestStockLocation, seeded->result.busiestStockLocation);
    Seeded other(0.02);
    EXPECT_NE(contentsDigest(*other.db), contentsDigest(db()));
}

TEST(SeedRefusals, AnExistingFileIsLeftAsItWas) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("taken.mdb"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not to be overwritten");
    }
    EXPECT_THROW(seed::createSeededDatabase(path, 0.01), store::DbError);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("not to be overwritten"));
}

TEST(SeedRefusals, ADatabaseThatHoldsDataIsNotSeeded) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("used.mdb"));
    store::createAssetDatabase(path);
    auto db = store::Database::open(path, store::DatabaseKey);
    db->execute(QStringLiteral("INSERT INTO Categories (Cat_Desc) VALUES (?)"),
                QStringLiteral("Laptops"));
    EXPECT_THROW(seed::seedDatabase(*db, 0.01), std::invalid_argument);
    EXPECT_EQ(value(*db, QStringLiteral("SELECT count(*) AS v FROM Locations")), 5);
    EXPECT_EQ(value(*db, QStringLiteral("SELECT count(*) AS v FROM Categories")), 1);
}

TEST(SeedRefusals, AnEmptyDatabaseFromCreateIsSeededInPlace) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("fresh.mdb"));
    store::createAssetDatabase(path);
    auto db = store::Database::open(path, store::DatabaseKey);
    const seed::SeedResult r = seed::seedDatabase(*db, 0.01);
    EXPECT_EQ(value(*db, QStringLiteral("SELECT count(*) AS v FROM Stock")), r.counts.stock);
    EXPECT_EQ(seed::busiestLicenceLocation(*db), r.busiestLicenceLocation);
}

} // namespace
