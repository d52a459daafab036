#include "store/Database.h"
#include "store/Schema.h"
#include "store/StoreConstants.h"
#include "support/TestDatabase.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <vector>

using store::Database;
using store::DbError;
using testing_support::TestDatabase;
using Storage = testing_support::TestDatabase::Storage;

namespace {

int count(Database& db, const QString& sql) {
    store::Query q(db, sql);
    EXPECT_TRUE(q.next());
    return static_cast<int>(q.integer(QStringLiteral("n")));
}

} // namespace

TEST(Schema, NewDatabaseHasSevenTablesAndTheReservedRows) {
    TestDatabase t;
    // The seven, and the three the store derives from them.
    const QStringList seven{"Categories",   "ExpiryCounts",  "FindText", "Licences",
                            "Locations",    "ProductCounts", "Products", "Stock",
                            "StockHistory", "Suppliers"};
    if (t.onServer()) {
        for (const QString& table : seven)
            EXPECT_TRUE(t.db().hasTable(table)) << table.toStdString();
        EXPECT_FALSE(t.db().hasTable(QStringLiteral("Nothing")));
    }
    if (!t.onServer()) {
        store::Query tables(t.db(),
                            QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' "
                                           "AND name NOT LIKE 'sqlite_%' ORDER BY name"));
        QStringList names;
        while (tables.next())
            names << tables.text(QStringLiteral("name"));
        EXPECT_EQ(names, seven);
    }

    store::Query rows(t.db(), QStringLiteral("SELECT Loc_ID, Loc_Desc, Loc_Status, Loc_Level, "
                                             "Loc_Top FROM Locations ORDER BY Loc_ID"));
    const QStringList descs{"Available Locations", "Available Licences", "Removed Locations",
                            "Removed Licences", "Removed Stock"};
    for (int id = 1; id <= 5; ++id) {
        ASSERT_TRUE(rows.next());
        EXPECT_EQ(rows.integer(QStringLiteral("Loc_ID")), id);
        EXPECT_EQ(rows.text(QStringLiteral("Loc_Desc")), descs.at(id - 1));
        EXPECT_EQ(rows.integer(QStringLiteral("Loc_Level")), 1);
        const auto top = rows.integer(QStringLiteral("Loc_Top"));
        EXPECT_TRUE(top < 1 || top > 3) << "reserved row " << id << " must not lie in a branch";
        if (id <= 2) {
            EXPECT_EQ(rows.text(QStringLiteral("Loc_Status")), store::StatusMainBranch);
        }
    }
    EXPECT_FALSE(rows.next());
    EXPECT_EQ(t.db().userVersion(), store::SchemaVersion);
}

TEST(Schema, HistoryTableKeepsWhoMadeARowAndLeavesItEmptyWhenNotGiven) {
    TestDatabase t;
    EXPECT_EQ(t.db().execute(QStringLiteral("INSERT INTO StockHistory (Stock_Lic_ID, Loc_Desc, "
                                            "move_date, Type, Moved_By) VALUES (?, ?, ?, ?, ?)"),
                             7, QStringLiteral("Office"), QStringLiteral("2026-01-02 03:04:05"),
                             store::HistoryStock, QStringLiteral("ann")),
              1);
    // A row written by another tool, or before the column was there,
    // names nobody.
    EXPECT_EQ(t.db().execute(QStringLiteral("INSERT INTO StockHistory (Stock_Lic_ID, Loc_Desc, "
                                            "move_date, Type) VALUES (?, ?, ?, ?)"),
                             8, QStringLiteral("Lab"), QStringLiteral("2026-01-02 03:04:06"),
                             store::HistoryLicence),
              1);
    store::Query q(t.db(), QStringLiteral("SELECT * FROM StockHistory ORDER BY stock_lic_id"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.integer(QStringLiteral("stock_lic_id")), 7);
    EXPECT_EQ(q.text(QStringLiteral("LOC_DESC")), QStringLiteral("Office"));
    EXPECT_EQ(q.text(QStringLiteral("Type")), QStringLiteral("S"));
    EXPECT_EQ(q.text(QStringLiteral("moved_by")), QStringLiteral("ann"));
    ASSERT_TRUE(q.next());
    EXPECT_FALSE(q.isNull(QStringLiteral("Moved_By")));
    EXPECT_EQ(q.text(QStringLiteral("Moved_By")), QString());
}

TEST(Schema, CreateRefusesAnExistingFile) {
    TestDatabase t{Storage::KeyedFile};
    try {
        store::createAssetDatabase(t.path());
        FAIL() << "an existing file was overwritten";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.description().contains(QStringLiteral("already exists")));
    }
    // The existing database is untouched.
    auto db = Database::open(t.path(), store::DatabaseKey);
    EXPECT_EQ(count(*db, QStringLiteral("SELECT count(*) AS n FROM Locations")), 5);
}

TEST(Schema, DatabaseRefusesBrokenReferences) {
    TestDatabase t;
    const int cat = t.addCategory(QStringLiteral("PCs"));
    const int prod = t.addProduct(QStringLiteral("P1"), QStringLiteral("Desktop"), cat);
    EXPECT_THROW(t.addStock(QStringLiteral("S1"), prod, 999), DbError);
    EXPECT_THROW(t.addStock(QStringLiteral("S1"), 999, 1), DbError);
    EXPECT_THROW(
        t.db().execute(QStringLiteral("INSERT INTO Categories (Cat_Desc) VALUES (?)"), store::null),
        DbError);
}

TEST(Open, RefusesWrongKeyAndNonDatabaseFilesWithTheEngineError) {
    TestDatabase t{Storage::KeyedFile};
    try {
        Database::open(t.path(), QStringLiteral("wrong"));
        FAIL() << "opened with a wrong key";
    } catch (const DbError& e) {
        EXPECT_EQ(e.number(), SQLITE_NOTADB);
        EXPECT_FALSE(e.description().isEmpty());
        EXPECT_EQ(e.text(), e.description() + QStringLiteral(" - 26"));
    }

    QTemporaryDir dir;
    const QString junk = dir.filePath(QStringLiteral("junk.mdb"));
    QFile f(junk);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(4096, 'x'));
    f.close();
    EXPECT_THROW(Database::open(junk, store::DatabaseKey), DbError);

    try {
        Database::open(dir.filePath(QStringLiteral("absent.mdb")), store::DatabaseKey);
        FAIL() << "opened a missing file";
    } catch (const DbError& e) {
        EXPECT_EQ(e.number(), SQLITE_CANTOPEN);
    }
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("absent.mdb"))));
}

TEST(Open, TheFileOnDiskIsEncrypted) {
    TestDatabase t{Storage::KeyedFile};
    QFile f(t.path());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_FALSE(bytes.startsWith("SQLite format 3"));
    EXPECT_FALSE(bytes.contains("Available Locations"));
}

TEST(Statements, ValuesWithQuotesAndBarsAreStoredAsTyped) {
    TestDatabase t;
    const QString tricky = QStringLiteral("O'Brien's | desk'); DROP TABLE Locations; --");
    const int id = t.addLocation(tricky, 1, 2, 1);
    store::Query q(t.db(), QStringLiteral("SELECT Loc_ID FROM Locations WHERE Loc_Desc = ?"));
    q.bindAll(tricky);
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.integer(QStringLiteral("Loc_ID")), id);
    EXPECT_EQ(count(t.db(), QStringLiteral("SELECT count(*) AS n FROM Locations")), 6);
}

TEST(Statements, CaseInsensitiveComparisonCoversAccentedLetters) {
    TestDatabase t;
    t.addCategory(QStringLiteral("Écrans"));
    EXPECT_TRUE(t.db().exists(QStringLiteral("SELECT Cat_ID FROM Categories WHERE Cat_Desc = ?") +
                                  store::IgnoreCase,
                              QStringLiteral("éCRANS")));
    EXPECT_FALSE(t.db().exists(QStringLiteral("SELECT Cat_ID FROM Categories WHERE Cat_Desc = ?") +
                                   store::IgnoreCase,
                               QStringLiteral("Ecrans")));
}

TEST(Statements, NewKeysComeFromTheEngineAndAreNeverReused) {
    TestDatabase t;
    const int a = t.addCategory(QStringLiteral("A"));
    const int b = t.addCategory(QStringLiteral("B"));
    EXPECT_EQ(b, a + 1);
    t.db().execute(QStringLiteral("DELETE FROM Categories WHERE Cat_ID = ?"), b);
    EXPECT_EQ(t.addCategory(QStringLiteral("C")), b + 1);
}

TEST(Statements, ReadingAColumnThatIsNotThereIsAnError) {
    TestDatabase t{Storage::KeyedFile};
    store::Query q(t.db(), QStringLiteral("SELECT Loc_ID FROM Locations"));
    ASSERT_TRUE(q.next());
    EXPECT_THROW(q.integer(QStringLiteral("Loc_Desc")), DbError);
    EXPECT_THROW(Database::open(t.path(), store::DatabaseKey)->execute(QStringLiteral("SELEC x")),
                 DbError);
}

TEST(Transactions, AFailedOperationLeavesNothingBehind) {
    TestDatabase t;
    try {
        store::Transaction tx(t.db());
        t.addCategory(QStringLiteral("first"));
        t.addStock(QStringLiteral("S1"), 12345, 1); // no such product: refused
        tx.commit();
        FAIL() << "the second statement should have failed";
    } catch (const DbError&) {
    }
    EXPECT_EQ(count(t.db(), QStringLiteral("SELECT count(*) AS n FROM Categories")), 0);
}

TEST(Transactions, CommittedWorkStaysAndNestedRollbackKeepsTheOuterWork) {
    TestDatabase t;
    {
        store::Transaction outer(t.db());
        t.addCategory(QStringLiteral("kept"));
        {
            store::Transaction inner(t.db());
            t.addCategory(QStringLiteral("dropped"));
        } // not committed: rolled back
        outer.commit();
    }
    store::Query q(t.db(), QStringLiteral("SELECT Cat_Desc FROM Categories"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.text(QStringLiteral("Cat_Desc")), QStringLiteral("kept"));
    EXPECT_FALSE(q.next());
}

TEST(Statements, ColumnsAreFoundByAnySpellingOnEveryRowOfTheirOwnStatement) {
    TestDatabase t;
    store::Query q(t.db(), QStringLiteral("SELECT Loc_ID, Loc_Desc AS Name FROM Locations "
                                          "WHERE Loc_ID <= 2 ORDER BY Loc_ID"));
    const QStringList idSpellings{"Loc_ID", "loc_id", "LOC_ID"};
    for (const QString& desc :
         {QStringLiteral("Available Locations"), QStringLiteral("Available Licences")}) {
        SCOPED_TRACE(desc.toStdString());
        ASSERT_TRUE(q.next());
        for (const QString& spelling : idSpellings)
            EXPECT_EQ(q.integer(spelling), q.integer(QStringLiteral("Loc_ID")))
                << spelling.toStdString();
        EXPECT_EQ(q.text(QStringLiteral("NAME")), desc);
        EXPECT_EQ(q.text(QStringLiteral("name")), desc);
        // An alias hides the column's own name; a name read before does not
        // make an unknown one readable.
        EXPECT_THROW(q.text(QStringLiteral("Loc_Desc")), DbError);
    }
    EXPECT_FALSE(q.next());
    EXPECT_THROW(q.integer(QStringLiteral("Loc_ID")), DbError) << "no current row";

    // Names learnt by one statement mean nothing to another.
    store::Query other(t.db(), QStringLiteral("SELECT Loc_Desc AS Loc_ID FROM Locations "
                                              "WHERE Loc_ID = 3"));
    ASSERT_TRUE(other.next());
    EXPECT_EQ(other.text(QStringLiteral("loc_id")), QStringLiteral("Removed Locations"));
    EXPECT_THROW(other.text(QStringLiteral("Name")), DbError);

    store::Query moved(std::move(other));
    EXPECT_EQ(moved.text(QStringLiteral("LOC_ID")), QStringLiteral("Removed Locations"));
}

TEST(Statements, CellsReadByPositionAreTheCellsReadByName) {
    TestDatabase t;
    // A text beyond ASCII, a null, a negative number and an empty text.
    store::Query q(t.db(),
                   QStringLiteral("SELECT CAST(? AS TEXT) AS Word, CAST(? AS TEXT) AS Missing, "
                                  "CAST(? AS BIGINT) AS Amount, CAST(? AS TEXT) AS Blank"));
    q.bindAll(QStringLiteral("Écran ✓ 24\""), store::null, std::int64_t{-1234567890123}, QString());
    ASSERT_TRUE(q.next());
    const int word = q.columnPosition(QStringLiteral("word"));
    const int missing = q.columnPosition(QStringLiteral("Missing"));
    const int amount = q.columnPosition(QStringLiteral("AMOUNT"));
    const int blank = q.columnPosition(QStringLiteral("Blank"));
    EXPECT_EQ(std::vector<int>({word, missing, amount, blank}), std::vector<int>({0, 1, 2, 3}));
    EXPECT_EQ(QString::fromUtf8(q.utf8At(word)), q.rawText(QStringLiteral("Word")));
    EXPECT_EQ(QString::fromUtf8(q.utf8At(word)), QStringLiteral("Écran ✓ 24\""));
    EXPECT_FALSE(q.isNullAt(word));
    EXPECT_TRUE(q.isNullAt(missing));
    EXPECT_TRUE(q.utf8At(missing).isEmpty());
    EXPECT_EQ(q.integerAt(amount), -1234567890123);
    EXPECT_FALSE(q.isNullAt(blank));
    EXPECT_TRUE(q.utf8At(blank).isEmpty());
    EXPECT_THROW(q.columnPosition(QStringLiteral("Other")), DbError);
}
