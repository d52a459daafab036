// Importing a register from CSV: what a good file stores, every kind of
// problem named by its line, all or nothing, and the command line.

#include "import/ImportCommand.h"
#include "import/clsImport.h"
#include "shell/DatabaseCheck.h"
#include "store/LocationPaths.h"
#include "store/ProductCounts.h"
#include "store/StoreConstants.h"
#include "support/FileBytes.h"
#include "support/TestDatabase.h"
#include "support/TestHooks.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>

using imports::ImportOptions;
using imports::ImportResult;
using imports::Kind;
using testing_support::TestDatabase;

namespace {

class ImportTest : public ::testing::Test {
protected:
    explicit ImportTest(TestDatabase::Storage storage = TestDatabase::Storage::Memory)
        : t(storage) {}

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        laptops = t.addCategory(QStringLiteral("Laptops"));
        latitude =
            t.addProduct(QStringLiteral("LAT5420"), QStringLiteral("Latitude 5420"), laptops);
        office = t.addProduct(QStringLiteral("O365"), QStringLiteral("Office 365"), laptops);
        headOffice = t.addLocation(QStringLiteral("Head Office"), 1, 2, 1);
        t.db().execute(QStringLiteral("INSERT INTO Suppliers (Supp_Name) VALUES (?)"),
                       QStringLiteral("Dell"));
        t.addStock(QStringLiteral("LT-0042"), latitude, headOffice);
        t.addLicence(QStringLiteral("KEY-OLD"), office, 2, QStringLiteral("N"));
    }

    QString write(const QByteArray& bytes, const QString& name = QStringLiteral("register.csv")) {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }

    ImportOptions options(const QByteArray& csv, Kind kind = Kind::Stock) {
        ImportOptions o;
        o.path = write(csv);
        o.kind = kind;
        return o;
    }

    static QStringList texts(const ImportResult& r) {
        QStringList out;
        for (const imports::Problem& p : r.problems)
            out << p.text();
        return out;
    }

    int historyRows() { return t.count(QStringLiteral("StockHistory")); }

    TestDatabase t;
    testing_support::TestHooks hooks;
    imports::CollectingMessages messages;
    imports::clsImport importer{t.db(), messages, hooks.clock};
    QTemporaryDir dir;
    int laptops = 0, latitude = 0, office = 0, headOffice = 0;
};

const QByteArray StockHeader = "Stock code,Product,Location,Supplier,Cost,Purchased\r\n";

TEST_F(ImportTest, GoodFileStoresItemsWithPathsHistoryAndValuesAsGiven) {
    // A BOM, a case-blind location, supplier and product, a quoted cell
    // holding a line break in an ignored column, and a formula stored as
    // text.
    const ImportOptions o =
        options("\xEF\xBB\xBF"
                "Asset tag,Model,Site,Vendor,Price,Date added,Notes\r\n"
                "lt-0100,latitude 5420,head office > Main Building > Room 101,DELL,\"1,234.50\","
                "31/01/2025,\"two\nlines\"\r\n"
                "LT-0101,Latitude 5420,Head Office > main building > Room 102,,,2024-06-30,\r\n"
                "LT-0102,Latitude 5420,=SUM(A1:A9),,12,,\r\n");
    const ImportResult dry = importer.DryRun(o);
    ASSERT_TRUE(dry.problems.empty()) << texts(dry).join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(dry.counts.items, 3);
    EXPECT_EQ(dry.counts.locations, 4); // Main Building, Room 101, Room 102, =SUM(A1:A9)
    EXPECT_EQ(dry.ignoredColumns, QStringList{QStringLiteral("Notes")});
    ASSERT_EQ(dry.preview.size(), 3u);
    EXPECT_EQ(dry.preview[0].code, QStringLiteral("LT-0100"));
    EXPECT_EQ(dry.preview[0].location, QStringLiteral("Head Office › Main Building › Room 101"));
    EXPECT_EQ(dry.preview[0].cost, QStringLiteral("1,234.50"));
    EXPECT_EQ(dry.preview[2].line, 5); // the line break in line 3 counts
    EXPECT_EQ(t.count(QStringLiteral("Stock")), 1);
    EXPECT_EQ(t.count(QStringLiteral("Locations")), 6);

    const int history = historyRows();
    const ImportResult done = importer.Import(o);
    ASSERT_TRUE(done.stored) << texts(done).join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(done.counts.items, 3);
    EXPECT_EQ(done.counts.locations, 4);
    EXPECT_EQ(t.count(QStringLiteral("Stock")), 4);
    EXPECT_EQ(t.count(QStringLiteral("Locations")), 10);
    EXPECT_EQ(historyRows(), history + 3);
    EXPECT_EQ(t.value(QStringLiteral("SELECT Stock_Count FROM ProductCounts WHERE Prod_ID = ?"),
                      latitude),
              QStringLiteral("4"));

    const store::LocationPaths paths(t.db());
    const auto locOf = [&](const char* code) {
        return t
            .value(QStringLiteral("SELECT Loc_ID FROM Stock WHERE Stock_Code = ?"),
                   QString::fromLatin1(code))
            ->toInt();
    };
    EXPECT_EQ(paths.path(locOf("LT-0100")),
              QStringLiteral("Head Office › Main Building › Room 101"));
    EXPECT_EQ(paths.path(locOf("LT-0101")),
              QStringLiteral("Head Office › Main Building › Room 102"));
    EXPECT_EQ(paths.path(locOf("LT-0102")), QStringLiteral("=SUM(A1:A9)"));
    EXPECT_EQ(
        t.value(QStringLiteral("SELECT Loc_Top FROM Locations WHERE Loc_ID = ?"), locOf("LT-0100")),
        QStringLiteral("1"));
    EXPECT_EQ(t.value(QStringLiteral("SELECT Cost FROM Stock WHERE Stock_Code = 'LT-0100'")),
              QStringLiteral("123450"));
    EXPECT_EQ(t.value(QStringLiteral("SELECT Date_Added FROM Stock WHERE Stock_Code = 'LT-0100'")),
              QStringLiteral("2025-01-31 00:00:00"));
    EXPECT_EQ(t.value(QStringLiteral("SELECT s.Supp_Name FROM Stock i JOIN Suppliers s ON "
                                     "s.Supplier_ID = i.Supp_ID WHERE i.Stock_Code = 'LT-0100'")),
              QStringLiteral("Dell"));
    EXPECT_EQ(t.value(QStringLiteral("SELECT Supp_ID FROM Stock WHERE Stock_Code = 'LT-0101'")),
              QString());
    // The history row: placed at the location, stamped now.
    EXPECT_EQ(t.value(QStringLiteral("SELECT h.Loc_Desc || '|' || h.move_date || '|' || h.Type "
                                     "FROM StockHistory h JOIN Stock s ON s.Stock_ID = "
                                     "h.Stock_Lic_ID AND h.Type = 'S' WHERE s.Stock_Code = ?"),
                      QStringLiteral("LT-0100")),
              QStringLiteral("Room 101|2026-12-10 09:30:00.000|S"));
    // Found once made: the second row did not make Main Building again.
    EXPECT_EQ(t.value(QStringLiteral("SELECT count(*) FROM Locations WHERE Loc_Desc = ?"),
                      QStringLiteral("Main Building")),
              QStringLiteral("1"));
}

TEST_F(ImportTest, LicencesGoToThePoolOrTheirPathWithTypeAndExpiry) {
    const ImportOptions o = options("Licence key,Product,Location,Expires,Temporary,Cost\n"
                                    "key-1,Office 365,,31/12/2027,no,0\n"
                                    "KEY-2,office 365,Finance > Floor 2,2025-03-01,Yes,10.5\n"
                                    "KEY-3,Office 365,Available Locations > Head Office,,,\n",
                                    Kind::Licences);
    const ImportResult done = importer.Import(o);
    ASSERT_TRUE(done.stored) << texts(done).join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(done.counts.locations, 2);
    const auto row = [&](const char* key) {
        return t.value(QStringLiteral("SELECT l.Loc_ID || '|' || coalesce(l.Exp_Date, '') || '|' "
                                      "|| l.Type || '|' || h.Loc_Desc FROM Licences l JOIN "
                                      "StockHistory h ON h.Stock_Lic_ID = l.Licence_ID AND "
                                      "h.Type = 'L' WHERE l.Licence_Name = ?"),
                       QString::fromLatin1(key));
    };
    EXPECT_EQ(row("KEY-1"), QStringLiteral("2|2027-12-31|N|Available Licences"));
    const store::LocationPaths paths(t.db());
    const int floor2 =
        t.value(QStringLiteral("SELECT Loc_ID FROM Licences WHERE Licence_Name = 'KEY-2'"))
            ->toInt();
    EXPECT_EQ(paths.path(floor2), QStringLiteral("Finance › Floor 2"));
    EXPECT_EQ(paths.branchOf(floor2), store::loc::AvailableLicences);
    EXPECT_EQ(row("KEY-2"), QString::number(floor2) + QStringLiteral("|2025-03-01|T|Floor 2"));
    EXPECT_EQ(row("KEY-3"), QString::number(headOffice) + QStringLiteral("||N|Head Office"));
    // Counted as they went in: the licence there before and the three, one
    // of them temporary.
    EXPECT_EQ(t.value(QStringLiteral("SELECT Licence_Count || '/' || Temp_Count FROM "
                                     "ProductCounts WHERE Prod_ID = ?"),
                      office),
              QStringLiteral("4/1"));
    EXPECT_EQ(store::productCountProblems(t.db(), -1), QStringList());
}

struct ProblemCase {
    const char* name;
    Kind kind;
    QByteArray csv;
    bool createMissing;
    QString problem; // as shown: "line N: reason"
};

// Named in the test list by its name, not its bytes.
void PrintTo(const ProblemCase& c, std::ostream* os) {
    *os << c.name;
}

class ImportProblems : public ImportTest, public ::testing::WithParamInterface<ProblemCase> {};

TEST_P(ImportProblems, AreNamedByLineAndNothingIsStored) {
    const ProblemCase& c = GetParam();
    ImportOptions o = options(c.csv, c.kind);
    o.createMissing = c.createMissing;
    const int stock = t.count(QStringLiteral("Stock"));
    const int licences = t.count(QStringLiteral("Licences"));
    const int locations = t.count(QStringLiteral("Locations"));
    const int history = historyRows();
    const ImportResult dry = importer.DryRun(o);
    EXPECT_TRUE(texts(dry).contains(c.problem)) << texts(dry).join(QLatin1Char('\n')).toStdString();
    const ImportResult done = importer.Import(o);
    EXPECT_FALSE(done.stored);
    EXPECT_TRUE(texts(done).contains(c.problem))
        << texts(done).join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(t.count(QStringLiteral("Stock")), stock);
    EXPECT_EQ(t.count(QStringLiteral("Licences")), licences);
    EXPECT_EQ(t.count(QStringLiteral("Locations")), locations);
    EXPECT_EQ(t.count(QStringLiteral("Categories")), 1);
    EXPECT_EQ(t.count(QStringLiteral("Products")), 2);
    EXPECT_EQ(t.count(QStringLiteral("Suppliers")), 1);
    EXPECT_EQ(historyRows(), history);
}

const QByteArray GoodRow = "LT-1,Latitude 5420,Head Office > Room 1,,,\r\n";

INSTANTIATE_TEST_SUITE_P(
    EachKind, ImportProblems,
    ::testing::Values(
        ProblemCase{"InRegister", Kind::Stock,
                    StockHeader + GoodRow + "lt-0042,Latitude 5420,Head Office,,,\r\n", false,
                    QStringLiteral("line 3: stock code LT-0042 is already in the register")},
        ProblemCase{"TwiceInFile", Kind::Stock, StockHeader + GoodRow + GoodRow, false,
                    QStringLiteral("line 3: stock code LT-1 is also on line 2")},
        ProblemCase{"CostNotANumber", Kind::Stock,
                    StockHeader + GoodRow + "LT-2,Latitude 5420,Head Office,,\"12,5\",\r\n", false,
                    QStringLiteral("line 3: cost \"12,5\" is not a number")},
        ProblemCase{"CostTooHigh", Kind::Stock,
                    StockHeader + "LT-2,Latitude 5420,Head Office,,1000000.01,\r\n", false,
                    QStringLiteral("line 2: cost \"1000000.01\" is more than 1,000,000.00")},
        ProblemCase{"NoCode", Kind::Stock,
                    StockHeader + GoodRow + " ,Latitude 5420,Head Office,,,\r\n", false,
                    QStringLiteral("line 3: stock code is missing")},
        ProblemCase{"CodeTooLong", Kind::Stock,
                    StockHeader + QByteArray(51, 'A') + ",Latitude 5420,Head Office,,,\r\n", false,
                    QStringLiteral("line 2: stock code AAAAAAAAAAAAAAAAAAAA… is longer than 50 "
                                   "characters")},
        ProblemCase{"UnknownProduct", Kind::Stock,
                    StockHeader + GoodRow + "LT-2,Inspiron,Head Office,,,\r\n", false,
                    QStringLiteral("line 3: product \"Inspiron\" is not in the register")},
        ProblemCase{"UnknownSupplier", Kind::Stock,
                    StockHeader + "LT-2,Latitude 5420,Head Office,Lenovo,,\r\n", false,
                    QStringLiteral("line 2: supplier \"Lenovo\" is not in the register")},
        ProblemCase{"NewProductWithoutCategory", Kind::Stock,
                    StockHeader + "LT-2,Inspiron,Head Office,,,\r\n", true,
                    QStringLiteral("line 2: product \"Inspiron\" is new and the row names no "
                                   "category")},
        ProblemCase{"NotADate", Kind::Stock,
                    StockHeader + "LT-2,Latitude 5420,Head Office,,,31/13/2026\r\n", false,
                    QStringLiteral("line 2: date added \"31/13/2026\" is not a date (31/12/2026 "
                                   "or 2026-12-31)")},
        ProblemCase{"RaggedRow", Kind::Stock, StockHeader + GoodRow + "LT-2,Latitude 5420\r\n",
                    false, QStringLiteral("line 3: the row has 2 cells where the header has 6")},
        ProblemCase{"NotUtf8", Kind::Stock, StockHeader + "LT-2,Latitude 5420,Caf\xE9,,,\r\n",
                    false,
                    QStringLiteral("line 2: the text is not UTF-8; save the file as \"CSV "
                                   "UTF-8\"")},
        ProblemCase{"Utf16", Kind::Stock,
                    QByteArray("\xFF\xFE"
                               "S\0t\0",
                               6),
                    false,
                    QStringLiteral("line 1: the file is UTF-16 text; save it as \"CSV UTF-8\"")},
        ProblemCase{"StockUnderLicences", Kind::Stock,
                    StockHeader + "LT-2,Latitude 5420,Available Licences > Pool,,,\r\n", false,
                    QStringLiteral("line 2: location \"Available Licences > Pool\": stock stands "
                                   "only under \"Available Locations\"")},
        ProblemCase{"EmptyPathPart", Kind::Stock,
                    StockHeader + "LT-2,Latitude 5420,Head Office >> Room,,,\r\n", false,
                    QStringLiteral("line 2: location \"Head Office >> Room\" has an empty part")},
        ProblemCase{"PathPartTooLong", Kind::Stock,
                    StockHeader + "LT-2,Latitude 5420,Head Office > " + QByteArray(51, 'x') +
                        ",,,\r\n",
                    false,
                    QStringLiteral("line 2: location \"") + QString(51, QLatin1Char('x')) +
                        QStringLiteral("\": Only 50 characters allowed")},
        ProblemCase{"NoLocation", Kind::Stock, StockHeader + "LT-2,Latitude 5420,,,,\r\n", false,
                    QStringLiteral("line 2: the location is missing")},
        ProblemCase{"QuoteInsideCell", Kind::Stock,
                    StockHeader + GoodRow + "LT-2,Latitude \"5420\",Head Office,,,\r\n", false,
                    QStringLiteral("line 3: a quote stands inside a cell that is not quoted, or "
                                   "text follows a closing quote")},
        ProblemCase{"QuoteNeverClosed", Kind::Stock,
                    StockHeader + GoodRow + "LT-2,\"Latitude 5420,Head Office,,,\r\nLT-3\r\n",
                    false,
                    QStringLiteral("line 3: a quoted cell that begins on this line is never "
                                   "closed")},
        ProblemCase{"NoLocationColumn", Kind::Stock, "Stock code,Product\r\nLT-2,Latitude 5420\r\n",
                    false, QStringLiteral("line 1: no column gives the location")},
        ProblemCase{"TwoCodeColumns", Kind::Stock,
                    "Serial,Asset tag,Product,Location\r\nA,B,Latitude 5420,Head Office\r\n", false,
                    QStringLiteral("line 1: columns \"Serial\" and \"Asset tag\" both give the "
                                   "stock code")},
        ProblemCase{"EmptyFile", Kind::Stock, "", false,
                    QStringLiteral("line 1: the file is empty: no header row")},
        ProblemCase{"TemporaryNeitherYesNorNo", Kind::Licences,
                    "Key,Product,Temporary\r\nK-1,Office 365,maybe\r\n", false,
                    QStringLiteral("line 2: temporary \"maybe\" is neither yes nor no")},
        ProblemCase{"KeyInRegister", Kind::Licences, "Key,Product\r\nkey-old,Office 365\r\n", false,
                    QStringLiteral("line 2: licence key KEY-OLD is already in the register")},
        ProblemCase{"ExpiryNotADate", Kind::Licences,
                    "Key,Product,Expiry\r\nK-1,Office 365,next year\r\n", false,
                    QStringLiteral("line 2: expiry date \"next year\" is not a date (31/12/2026 "
                                   "or 2026-12-31)")}),
    [](const ::testing::TestParamInfo<ProblemCase>& c) { return c.param.name; });

TEST_F(ImportTest, HugeRowsAndColumnsAreRefusedNotRead) {
    QByteArray wide;
    for (int i = 0; i < 100000; ++i)
        wide += "c" + QByteArray::number(i) + ",";
    wide += "\r\n";
    ImportResult r = importer.DryRun(options(wide));
    EXPECT_TRUE(texts(r).contains(QStringLiteral("line 1: the header has 100001 columns; at most "
                                                 "1000 are read")))
        << texts(r).join(QLatin1Char('\n')).toStdString();

    QByteArray longRow = StockHeader + GoodRow + "LT-2,\"" + QByteArray(2 * 1024 * 1024, 'x');
    r = importer.Import(options(longRow));
    EXPECT_FALSE(r.stored);
    EXPECT_TRUE(texts(r).contains(QStringLiteral("line 3: the row that begins on this line is "
                                                 "longer than 1 MB; is this a CSV file?")))
        << texts(r).join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(t.count(QStringLiteral("Stock")), 1);
}

TEST_F(ImportTest, CreateMissingMakesCategoryProductAndSupplierOnce) {
    ImportOptions o = options("Stock code,Product,Product code,Type,Location,Supplier\n"
                              "D-1,Desk,DSK,Furniture,Head Office,Office World\n"
                              "D-2,DESK,,furniture,Head Office,office world\n"
                              "C-1,Chair,,Furniture,Head Office,\n");
    o.createMissing = true;
    const ImportResult dry = importer.DryRun(o);
    ASSERT_TRUE(dry.problems.empty()) << texts(dry).join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(dry.counts.categories, 1);
    EXPECT_EQ(dry.counts.products, 2);
    EXPECT_EQ(dry.counts.suppliers, 1);
    const ImportResult done = importer.Import(o);
    ASSERT_TRUE(done.stored) << texts(done).join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(t.count(QStringLiteral("Categories")), 2);
    EXPECT_EQ(t.count(QStringLiteral("Products")), 4);
    EXPECT_EQ(t.count(QStringLiteral("Suppliers")), 2);
    EXPECT_EQ(t.value(QStringLiteral("SELECT c.Cat_Desc || '|' || p.Prod_Code FROM Products p "
                                     "JOIN Categories c ON c.Cat_ID = p.Prod_Cat_ID WHERE "
                                     "p.Prod_Desc = 'Chair'")),
              QStringLiteral("Furniture|Chair"));
    EXPECT_EQ(t.value(QStringLiteral("SELECT count(DISTINCT Prod_ID) FROM Stock WHERE Stock_Code "
                                     "LIKE 'D-%'")),
              QStringLiteral("1"));
}

TEST_F(ImportTest, MappedColumnsAndIgnoredOnes) {
    ImportOptions o = options("Asset No,What,Where,Colour\nA-1,Latitude 5420,Head Office,red\n");
    o.map.insert(QStringLiteral("asset no"), QStringLiteral("stock code"));
    o.map.insert(QStringLiteral("What"), QStringLiteral("Model"));
    o.map.insert(QStringLiteral("Where"), QStringLiteral("location"));
    const ImportResult done = importer.Import(o);
    ASSERT_TRUE(done.stored) << texts(done).join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(done.ignoredColumns, QStringList{QStringLiteral("Colour")});
    EXPECT_EQ(t.value(QStringLiteral("SELECT Loc_ID FROM Stock WHERE Stock_Code = 'A-1'")),
              QString::number(headOffice));
}

TEST_F(ImportTest, SkipBadStoresTheGoodRowsAndWritesTheOthersBesideTheFile) {
    ImportOptions o = options(StockHeader + GoodRow +
                              "LT-2,Latitude 5420,Head Office,,\"12,5\",\r\n"
                              "LT-3,Nope,\"Head, Office\",,,\r\n"
                              "LT-4,Latitude 5420,Head Office,,,\r\n");
    o.skipBad = true;
    const ImportResult done = importer.Import(o);
    ASSERT_TRUE(done.stored);
    EXPECT_EQ(done.counts.items, 2);
    EXPECT_EQ(done.counts.skipped, 2);
    EXPECT_EQ(t.count(QStringLiteral("Stock")), 3);
    EXPECT_EQ(done.rejectedFile, dir.filePath(QStringLiteral("register.rejected.csv")));
    QFile rejected(done.rejectedFile);
    ASSERT_TRUE(rejected.open(QIODevice::ReadOnly));
    EXPECT_EQ(rejected.readAll(),
              QByteArray("\xEF\xBB\xBF"
                         "Stock code,Product,Location,Supplier,Cost,Purchased,Line,Reason\r\n"
                         "LT-2,Latitude 5420,Head Office,,\"12,5\",,3,"
                         "\"cost \"\"12,5\"\" is not a number\"\r\n"
                         "LT-3,Nope,\"Head, Office\",,,,4,"
                         "\"product \"\"Nope\"\" is not in the register\"\r\n"));
}

TEST_F(ImportTest, CancelStoresNothing) {
    const ImportOptions o = options(StockHeader + GoodRow);
    const ImportResult done = importer.Import(o, [](qint64, qint64) { return false; });
    EXPECT_TRUE(done.cancelled);
    EXPECT_FALSE(done.stored);
    EXPECT_EQ(t.count(QStringLiteral("Stock")), 1);
    EXPECT_EQ(t.count(QStringLiteral("Locations")), 6);
}

class ImportFileTest : public ImportTest {
protected:
    ImportFileTest() : ImportTest(TestDatabase::Storage::KeyedFile) {}
};

TEST_F(ImportFileTest, FailureAtTheLastRowLeavesTheFileByteIdentical) {
    SKIP_ON_SERVER("a trigger plants the failure");
    t.db().run(QStringLiteral("CREATE TRIGGER plantedFailure BEFORE INSERT ON Stock "
                              "WHEN NEW.Stock_Code = 'LAST' BEGIN "
                              "SELECT RAISE(ABORT, 'database or disk is full'); END"));
    QByteArray csv = StockHeader;
    for (int i = 0; i < 50; ++i)
        csv += "S-" + QByteArray::number(i) + ",Latitude 5420,Site " + QByteArray::number(i % 7) +
               " > Room " + QByteArray::number(i) + ",,1.50,\r\n";
    csv += "LAST,Latitude 5420,Head Office,,,\r\n";
    ImportOptions o = options(csv);
    const QByteArray before = testing_support::bytesOf(t.path());
    const ImportResult done = importer.Import(o);
    EXPECT_FALSE(done.stored);
    ASSERT_EQ(done.problems.size(), 1u);
    EXPECT_TRUE(done.problems[0].reason.contains(QStringLiteral("database or disk is full")))
        << done.problems[0].reason.toStdString();
    EXPECT_EQ(testing_support::bytesOf(t.path()), before);
}

// A register of a few thousand rows brought into an empty one: the file's
// counts and every item's path come out as they went in, and the check of
// the whole register passes.
TEST_F(ImportTest, GeneratedRegisterImportsWholeAndPassesTheCheck) {
    QByteArray csv = "Stock code,Product,Category,Location,Cost\r\n";
    QHash<QString, QString> pathOf;
    QSet<QString> paths;
    for (int i = 0; i < 3000; ++i) {
        const QByteArray site = "Site " + QByteArray::number(i % 10);
        const QByteArray floor = "Floor " + QByteArray::number(i % 3);
        const QByteArray room = "Room " + QByteArray::number(i % 40);
        const QByteArray code = "GEN-" + QByteArray::number(i);
        csv += code + ",Model " + QByteArray::number(i % 25) + ",Kind " +
               QByteArray::number(i % 25 % 4) + "," + site + " > " + floor + " > " + room + "," +
               QByteArray::number(i % 500) + ".25\r\n";
        const QString path = QString::fromUtf8(site + " › " + floor + " › " + room);
        pathOf.insert(QString::fromUtf8(code), path);
        paths.insert(path);
    }
    ImportOptions o = options(csv);
    o.createMissing = true;
    const int stock = t.count(QStringLiteral("Stock"));
    const ImportResult done = importer.Import(o);
    ASSERT_TRUE(done.stored) << texts(done).join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(done.counts.items, 3000);
    EXPECT_EQ(done.counts.products, 25);
    EXPECT_EQ(done.counts.categories, 4);
    EXPECT_EQ(done.counts.locations, 10 + 30 + static_cast<qint64>(paths.size()));
    EXPECT_EQ(t.count(QStringLiteral("Stock")), stock + 3000);

    const store::LocationPaths stored(t.db());
    store::Query q(t.db(), QStringLiteral("SELECT Stock_Code, Loc_ID FROM Stock WHERE Stock_Code "
                                          "LIKE 'GEN-%'"));
    int seen = 0;
    while (q.next()) {
        ++seen;
        ASSERT_EQ(stored.path(static_cast<int>(q.integer(QStringLiteral("Loc_ID")))),
                  pathOf.value(q.text(QStringLiteral("Stock_Code"))));
    }
    EXPECT_EQ(seen, 3000);
    EXPECT_EQ(t.value(QStringLiteral("SELECT count(*) FROM StockHistory WHERE Type = 'S'")),
              QString::number(3000));
    // Stored many rows to a statement, each item still has its own history
    // row, naming where it stands.
    EXPECT_EQ(t.value(QStringLiteral("SELECT count(*) FROM Stock s JOIN StockHistory h ON "
                                     "h.Stock_Lic_ID = s.Stock_ID AND h.Type = 'S' JOIN "
                                     "Locations l ON l.Loc_ID = s.Loc_ID WHERE s.Stock_Code LIKE "
                                     "'GEN-%' AND h.Loc_Desc = l.Loc_Desc")),
              QString::number(3000));
    const shell::CheckResult check = shell::checkDatabase(t.db());
    EXPECT_TRUE(check.ok()) << check.problems.join(QLatin1Char('\n')).toStdString();
}

// The command line: problems as FILE:LINE: reason, and the exit status.
class ImportCommandTest : public ImportTest {
protected:
    // A register file, or on the server run the server's.
    ImportCommandTest()
        : ImportTest(testing_support::serverRun() ? TestDatabase::Storage::Memory
                                                  : TestDatabase::Storage::KeyedFile) {}

    struct Run {
        int status = -1;
        QString out, err;
    };
    Run command(QStringList args) {
        args.prepend(QStringLiteral("import"));
        if (t.onServer())
            args << QStringLiteral("--server") << t.serverUri();
        else
            args << QStringLiteral("--db") << t.path();
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        Run r;
        r.status = imports::runImportCommand(args, dir.path(), hooks.clock, out, err).value_or(-1);
        const auto read = [](std::FILE* f) {
            std::rewind(f);
            QByteArray bytes;
            char buffer[4096];
            size_t n = 0;
            while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
                bytes.append(buffer, static_cast<qsizetype>(n));
            std::fclose(f);
            return QString::fromUtf8(bytes);
        };
        r.out = read(out);
        r.err = read(err);
        return r;
    }
};

TEST_F(ImportCommandTest, ExitsZeroOneOrTwo) {
    const QString good = write(StockHeader + GoodRow, QStringLiteral("good.csv"));
    const QString bad = write(StockHeader + GoodRow + "LT-0042,Latitude 5420,Head Office,,,\r\n",
                              QStringLiteral("bad.csv"));

    Run r = command({bad, QStringLiteral("--kind"), QStringLiteral("stock")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(bad + QStringLiteral(":3: stock code LT-0042 is already in the "
                                                    "register\n")))
        << r.err.toStdString();
    EXPECT_EQ(t.count(QStringLiteral("Stock")), 1);

    r = command(
        {good, QStringLiteral("--kind"), QStringLiteral("stock"), QStringLiteral("--dry-run")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(t.count(QStringLiteral("Stock")), 1);

    r = command({good, QStringLiteral("--kind"), QStringLiteral("stock")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("imported 1 stock items; new: 1 locations")))
        << r.out.toStdString();
    EXPECT_EQ(t.count(QStringLiteral("Stock")), 2);

    for (const QStringList& wrong :
         {QStringList{good}, QStringList{good, QStringLiteral("--kind"), QStringLiteral("chairs")},
          QStringList{good, QStringLiteral("--kind"), QStringLiteral("stock"),
                      QStringLiteral("--map"), QStringLiteral("Cost")},
          QStringList{good, QStringLiteral("--kind"), QStringLiteral("stock"),
                      QStringLiteral("--map"), QStringLiteral("Cost=colour")},
          QStringList{good, QStringLiteral("--kind"), QStringLiteral("stock"),
                      QStringLiteral("--separator"), QStringLiteral("|")}})
        EXPECT_EQ(command(wrong).status, 2) << wrong.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(t.count(QStringLiteral("Stock")), 2);
}

} // namespace
