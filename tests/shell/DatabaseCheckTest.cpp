#include "shell/DatabaseCheck.h"
#include "shell/AdminCommands.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "store/StoreConstants.h"
#include "support/RegisterFiles.h"
#include "support/TestDatabase.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <optional>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <csignal>
#include <cstdio>

#include <sys/resource.h>

using testing_support::TestDatabase;

namespace {

// A register that keeps every rule: a location under each branch, a
// removed one, items of a product and their history.
void arrangeSoundRegister(TestDatabase& t) {
    const int room = t.addLocation(QStringLiteral("Room 1"), 1, 2, 1);
    t.addLocation(QStringLiteral("Desk 1"), room, 3, 1);
    t.addLocation(QStringLiteral("Office licences"), 2, 2, 2);
    t.addLocation(QStringLiteral("Old room"), 3, 2, 3);
    const int cat = t.addCategory(QStringLiteral("Laptops"));
    const int prod = t.addProduct(QStringLiteral("LT1"), QStringLiteral("Laptop"), cat);
    const int stock = t.addStock(QStringLiteral("S1"), prod, room);
    const int lic = t.addLicence(QStringLiteral("K1"), prod, 2, QStringLiteral("N"));
    t.db().execute(QStringLiteral("INSERT INTO StockHistory (Stock_Lic_ID, Loc_Desc, move_date, "
                                  "Type) VALUES (?, 'Room 1', "
                                  "'2026-12-10 09:30:00', 'S'), (?, 'Available Licences', "
                                  "'2026-12-10 09:30:00', 'L')"),
                   stock, lic);
}

// Text written by a command to a stream.
QString readBack(std::FILE* f) {
    std::rewind(f);
    QByteArray bytes;
    char buffer[512];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.append(buffer, static_cast<qsizetype>(n));
    return QString::fromUtf8(bytes);
}

struct Streams {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    ~Streams() {
        std::fclose(out);
        std::fclose(err);
    }
};

} // namespace

TEST(DatabaseCheck, ASoundRegisterPassesAtTheCurrentVersion) {
    TestDatabase t;
    arrangeSoundRegister(t);
    const shell::CheckResult result = shell::checkDatabase(t.db());
    EXPECT_TRUE(result.ok()) << result.problems.join('\n').toStdString();
    EXPECT_EQ(result.version, store::SchemaVersion);
}

TEST(DatabaseCheck, EachBrokenRuleIsNamed) {
    const struct {
        const char* broken;
        const char* sql; // run with foreign keys off
        const char* problem;
    } cases[] = {
        {"reserved row gone", "DELETE FROM Locations WHERE Loc_ID = 4",
         "reserved location rows 1-5 missing"},
        {"reserved row in a branch", "UPDATE Locations SET Loc_Top = 2 WHERE Loc_ID = 5",
         "reserved location rows with Loc_Top"},
        {"branch status", "UPDATE Locations SET Loc_Status = 'U' WHERE Loc_ID = 1",
         "not of status 'M'"},
        {"branch text", "UPDATE Locations SET Loc_Desc = 'Spare' WHERE Loc_ID = 2",
         "not described"},
        {"another level-1 row",
         "INSERT INTO Locations (Loc_Desc, Loc_Status, Loc_Level) VALUES ('Loose', 'U', 1)",
         "other locations at level 1"},
        {"missing parent",
         "INSERT INTO Locations (Loc_Desc, Loc_Status, Loc_Level, Loc_ParentID, Loc_Top) "
         "VALUES ('Orphan', 'U', 2, 999, 1)",
         "parent is missing or not above them"},
        {"wrong branch", "UPDATE Locations SET Loc_Top = 2 WHERE Loc_Desc = 'Desk 1'",
         "Loc_Top is not the branch"},
        {"stock nowhere", "UPDATE Stock SET Loc_ID = 999", "stock items at a missing location"},
        {"licence nowhere", "UPDATE Licences SET Loc_ID = 999", "licences at a missing location"},
        {"history of nothing", "DELETE FROM Stock", "history rows of a missing stock item"},
        {"licence history of nothing", "DELETE FROM Licences", "history rows of a missing licence"},
        {"duplicate category",
         "DROP INDEX uxCategoriesDesc; INSERT INTO Categories (Cat_Desc) VALUES ('LAPTOPS')",
         "duplicate category descriptions"},
        {"duplicate product",
         "DROP INDEX uxProductsCode; "
         "INSERT INTO Products (Prod_Code, Prod_Desc, Prod_Cat_ID) VALUES ('lt1', 'x', 1)",
         "duplicate product codes"},
        {"duplicate stock code",
         "DROP INDEX uxStockCode; "
         "INSERT INTO Stock (Stock_Code, Prod_ID, Loc_ID) SELECT 's1', Prod_ID, Loc_ID FROM Stock",
         "duplicate stock codes"},
        {"duplicate licence key",
         "DROP INDEX uxLicencesName; INSERT INTO Licences (Licence_Name, Prod_ID, Loc_ID, Type) "
         "SELECT 'k1', Prod_ID, Loc_ID, 'T' FROM Licences",
         "duplicate licence keys"},
        {"kept count tampered with", "UPDATE ProductCounts SET Stock_Count = 7",
         "product counts: product 1: kept 7 stock items, 1 licences (0 temporary); counted 1, 1 "
         "(0)\nproduct counts: the kept counts are wrong; \"vemora-admin recount\" counts the "
         "items again"},
        {"kept count gone", "DELETE FROM ProductCounts",
         "product counts: product 1: kept 0 stock items, 0 licences (0 temporary); counted 1, 1"},
        {"no version", "PRAGMA user_version = 0", "schema: The file is not an asset database"},
        {"table gone", "DROP TABLE StockHistory", "schema: The file is not an asset database"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.broken);
        TestDatabase t;
        arrangeSoundRegister(t);
        t.db().run(QStringLiteral("PRAGMA foreign_keys = OFF"));
        t.db().run(QString::fromUtf8(c.sql));
        const shell::CheckResult result = shell::checkDatabase(t.db());
        EXPECT_FALSE(result.ok());
        EXPECT_TRUE(result.problems.join('\n').contains(QString::fromUtf8(c.problem)))
            << result.problems.join('\n').toStdString();
    }
}

TEST(DatabaseCheck, ReferencesToMissingRowsAreListed) {
    TestDatabase t;
    arrangeSoundRegister(t);
    t.db().run(QStringLiteral("PRAGMA foreign_keys = OFF; UPDATE Products SET Prod_Cat_ID = 77"));
    const shell::CheckResult result = shell::checkDatabase(t.db());
    EXPECT_TRUE(result.problems.join('\n').contains(
        QStringLiteral("reference: row 1 of Products names a missing row of Categories")))
        << result.problems.join('\n').toStdString();
}

TEST(AdminCommands, CheckAndBackupAnswerWithTheirExitStatus) {
    TestDatabase t{TestDatabase::Storage::KeyedFile};
    arrangeSoundRegister(t);
    QTemporaryDir elsewhere;
    const QString copy = QDir(elsewhere.path()).filePath(QStringLiteral("nightly.mdb"));
    const QString programDir = t.dir();
    const auto run = [&](const QStringList& args, Streams& s) {
        return shell::runAdminCommand(args, programDir, s.out, s.err);
    };

    {
        Streams s;
        EXPECT_EQ(run({"check"}, s), 0);
        EXPECT_TRUE(readBack(s.out).contains(
            QStringLiteral(": ok, schema version %1").arg(store::SchemaVersion)));
    }
    {
        Streams s;
        EXPECT_EQ(run({"backup", copy}, s), 0) << readBack(s.err).toStdString();
        EXPECT_EQ(run({"check", "--db", copy}, s), 0);
    }
    {
        Streams s;
        EXPECT_EQ(run({"backup", t.path()}, s), 2);
        EXPECT_TRUE(readBack(s.err).contains(QStringLiteral("You Cannot BackUp")));
    }
    {
        // Problems found: listed, status 1.
        store::Database::open(copy, store::DatabaseKey)
            ->run(QStringLiteral("DELETE FROM Locations WHERE Loc_ID = 5"));
        Streams s;
        EXPECT_EQ(run({"check", "--db", copy}, s), 1);
        EXPECT_TRUE(readBack(s.out).contains(QStringLiteral("reserved location rows 1-5")));
    }
    {
        Streams s;
        EXPECT_EQ(run({"check", "--db", QDir(elsewhere.path()).filePath("none.mdb")}, s), 1);
        EXPECT_FALSE(readBack(s.err).isEmpty());
    }
    for (const QStringList& wrong : {QStringList{"backup"}, QStringList{"check", "extra"},
                                     QStringList{"check", "--db"}, QStringList{"check", "--x"}}) {
        Streams s;
        EXPECT_EQ(run(wrong, s), 2) << wrong.join(' ').toStdString();
    }
    Streams s;
    EXPECT_EQ(run({"seed", "x"}, s), std::nullopt);
    EXPECT_EQ(run({}, s), std::nullopt);
}

TEST(AdminCommands, CheckNamesAWrongKeptCountAndRecountMendsIt) {
    TestDatabase t{TestDatabase::Storage::KeyedFile};
    arrangeSoundRegister(t);
    t.db().run(QStringLiteral("UPDATE ProductCounts SET Licence_Count = 5"));
    const auto run = [&](const QStringList& args, Streams& s) {
        return shell::runAdminCommand(args, t.dir(), s.out, s.err);
    };
    {
        Streams s;
        EXPECT_EQ(run({"check"}, s), 1);
        const QString said = readBack(s.out);
        EXPECT_TRUE(said.contains(QStringLiteral("product counts: product 1: kept 1 stock items, "
                                                 "5 licences (0 temporary); counted 1, 1 (0)")))
            << said.toStdString();
        EXPECT_TRUE(said.contains(QStringLiteral("\"vemora-admin recount\"")))
            << said.toStdString();
    }
    {
        Streams s;
        EXPECT_EQ(run({"recount"}, s), 0) << readBack(s.err).toStdString();
        EXPECT_TRUE(readBack(s.out).contains(QStringLiteral(": 1 product count(s) mended")))
            << readBack(s.out).toStdString();
    }
    {
        Streams s;
        EXPECT_EQ(run({"check"}, s), 0) << readBack(s.out).toStdString();
        EXPECT_EQ(run({"recount"}, s), 0);
        EXPECT_TRUE(readBack(s.out).contains(QStringLiteral(": 0 product count(s) mended")));
    }
    Streams s;
    EXPECT_EQ(run({"recount", "extra"}, s), 2);
}

TEST(DatabaseCheck, AnOlderFileIsJudgedMigratedAndTheMigrationKeptOnlyWhenAsked) {
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("old.mdb"));
    testing_support::makeVersion1Register(path, {QStringLiteral("Old")});
    const QByteArray before = testing_support::fileBytes(path);
    {
        auto db = store::Database::open(path, store::DatabaseKey);
        const shell::CheckResult result = shell::checkDatabase(*db);
        EXPECT_TRUE(result.ok()) << result.problems.join('\n').toStdString();
        EXPECT_EQ(result.version, 1);
        EXPECT_EQ(db->userVersion(), 1);
    }
    EXPECT_EQ(testing_support::fileBytes(path), before);
    {
        auto db = store::Database::open(path, store::DatabaseKey);
        const shell::CheckResult result = shell::checkDatabase(*db, shell::Migration::Keep);
        EXPECT_TRUE(result.ok()) << result.problems.join('\n').toStdString();
        EXPECT_EQ(result.version, 1);
    }
    EXPECT_EQ(store::Database::open(path, store::DatabaseKey)->userVersion(), store::SchemaVersion);
}

TEST(DatabaseCheck, AMigrationIsNotKeptOnAFileThatFailsAfterIt) {
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("old.mdb"));
    testing_support::makeVersion1Register(path, {});
    store::Database::open(path, store::DatabaseKey)
        ->run(QStringLiteral("DELETE FROM Locations WHERE Loc_ID = 5"));
    const QByteArray before = testing_support::fileBytes(path);
    {
        auto db = store::Database::open(path, store::DatabaseKey);
        const shell::CheckResult result = shell::checkDatabase(*db, shell::Migration::Keep);
        EXPECT_EQ(result.fault, shell::CheckResult::Fault::Register);
        EXPECT_TRUE(result.problems.join('\n').contains(QStringLiteral("reserved location rows")))
            << result.problems.join('\n').toStdString();
    }
    EXPECT_EQ(testing_support::fileBytes(path), before);
}

TEST(DatabaseCheck, EachKindOfFaultIsToldApart) {
    QTemporaryDir dir;
    const struct {
        const char* name;
        shell::CheckResult::Fault fault;
    } kinds[] = {
        {"version 1 lacking a column", shell::CheckResult::Fault::Schema},
        {"current file stamped version 1", shell::CheckResult::Fault::Schema},
        {"no reserved locations", shell::CheckResult::Fault::Register},
        {"items of missing products", shell::CheckResult::Fault::Register},
    };
    const auto& files = testing_support::unsoundRegisters();
    ASSERT_EQ(files.size(), std::size(kinds));
    for (size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(files[i].name);
        ASSERT_STREQ(files[i].name, kinds[i].name);
        const QString path = QDir(dir.path()).filePath(QString::number(i));
        files[i].make(path);
        auto db = store::Database::open(path, store::DatabaseKey);
        const shell::CheckResult result = shell::checkDatabase(*db, shell::Migration::Keep);
        EXPECT_EQ(result.fault, kinds[i].fault);
        EXPECT_TRUE(result.problems.join('\n').contains(QLatin1String(files[i].problem)))
            << result.problems.join('\n').toStdString();
    }
}

TEST(DatabaseCheck, AnErrorOfTheDiskIsRaisedAndNotTakenForAFaultOfTheFile) {
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("old.mdb"));
    testing_support::makeVersion1Register(path, {QStringLiteral("Old")});
    const QByteArray before = testing_support::fileBytes(path);
    auto db = store::Database::open(path, store::DatabaseKey);

    // No file may grow past a few bytes: the migration's journal cannot be
    // written, as on a full disk.
    const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit limited = saved;
    limited.rlim_cur = 512;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    std::optional<int> raised;
    try {
        const shell::CheckResult result = shell::checkDatabase(*db, shell::Migration::Keep);
        ADD_FAILURE() << "judged the file: " << result.problems.join('\n').toStdString();
    } catch (const store::DbError& error) {
        raised = error.number();
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldSignal);

    ASSERT_TRUE(raised.has_value());
    EXPECT_NE(*raised, SQLITE_NOTADB);
    db.reset();
    EXPECT_EQ(testing_support::fileBytes(path), before);
}
