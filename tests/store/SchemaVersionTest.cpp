// Files from earlier versions of the program are brought up to the current
// schema; files that are no asset database, or from a newer program, are
// refused.

#include "store/Database.h"
#include "store/Schema.h"
#include "store/StoreConstants.h"
#include "support/TestDatabase.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <functional>
#include <vector>

#include <gtest/gtest.h>
#include <sqlite3.h>

using store::Database;
using store::DbError;
using testing_support::TestDatabase;

namespace {

// The schema exactly as version 1 of the program created it. Kept here,
// apart from the program's own copy, so that a change made to the first
// version instead of by a new migration shows.
const char* const Version1Schema = R"SQL(
CREATE TABLE Categories (
    Cat_ID   INTEGER PRIMARY KEY AUTOINCREMENT,
    Cat_Desc TEXT NOT NULL
);
CREATE TABLE Suppliers (
    Supplier_ID INTEGER PRIMARY KEY AUTOINCREMENT,
    Supp_Name   TEXT NOT NULL,
    Add_1       TEXT,
    Add_2       TEXT,
    Add_3       TEXT,
    Town        TEXT,
    County      TEXT,
    Post_Code   TEXT,
    Area        TEXT,
    Telephone   TEXT,
    FaxArea     TEXT,
    Fax         TEXT,
    Email       TEXT,
    Web_Address TEXT,
    Contact     TEXT,
    Supp_Date   TEXT
);
CREATE TABLE Locations (
    Loc_ID       INTEGER PRIMARY KEY AUTOINCREMENT,
    Loc_Desc     TEXT NOT NULL,
    Loc_Status   TEXT NOT NULL CHECK (Loc_Status IN ('M', 'U', 'R')),
    Loc_Level    INTEGER NOT NULL,
    Loc_ParentID INTEGER NOT NULL DEFAULT 0,
    Loc_Top      INTEGER NOT NULL DEFAULT 0
);
CREATE TABLE Products (
    Prod_ID     INTEGER PRIMARY KEY AUTOINCREMENT,
    Prod_Code   TEXT NOT NULL,
    Prod_Desc   TEXT NOT NULL,
    Prod_Cat_ID INTEGER NOT NULL REFERENCES Categories (Cat_ID),
    Supp_ID     INTEGER REFERENCES Suppliers (Supplier_ID),
    Prod_Cost   INTEGER NOT NULL DEFAULT 0,
    Date_Added  TEXT
);
CREATE TABLE Stock (
    Stock_ID   INTEGER PRIMARY KEY AUTOINCREMENT,
    Stock_Code TEXT NOT NULL,
    Prod_ID    INTEGER NOT NULL REFERENCES Products (Prod_ID),
    Loc_ID     INTEGER NOT NULL REFERENCES Locations (Loc_ID),
    Supp_ID    INTEGER REFERENCES Suppliers (Supplier_ID),
    Cost       INTEGER NOT NULL DEFAULT 0,
    Date_Added TEXT
);
CREATE TABLE Licences (
    Licence_ID   INTEGER PRIMARY KEY AUTOINCREMENT,
    Licence_Name TEXT NOT NULL,
    Prod_ID      INTEGER NOT NULL REFERENCES Products (Prod_ID),
    Loc_ID       INTEGER NOT NULL REFERENCES Locations (Loc_ID),
    Supp_ID      INTEGER REFERENCES Suppliers (Supplier_ID),
    Exp_Date     TEXT,
    Cost         INTEGER NOT NULL DEFAULT 0,
    Type         TEXT NOT NULL CHECK (Type IN ('N', 'T')),
    Date_Added   TEXT
);
CREATE TABLE StockHistory (
    Stock_Lic_ID INTEGER NOT NULL,
    Loc_Desc     TEXT,
    move_date    TEXT NOT NULL,
    Type         TEXT NOT NULL CHECK (Type IN ('S', 'L'))
);
CREATE INDEX ixLocationsTop ON Locations (Loc_Top, Loc_Level);
CREATE INDEX ixLocationsParent ON Locations (Loc_ParentID);
CREATE INDEX ixLocationsLevel ON Locations (Loc_Level);
CREATE INDEX ixProductsCategory ON Products (Prod_Cat_ID);
CREATE INDEX ixProductsSupplier ON Products (Supp_ID);
CREATE INDEX ixStockProduct ON Stock (Prod_ID);
CREATE INDEX ixStockLocation ON Stock (Loc_ID);
CREATE INDEX ixStockSupplier ON Stock (Supp_ID);
CREATE INDEX ixLicencesProduct ON Licences (Prod_ID);
CREATE INDEX ixLicencesLocation ON Licences (Loc_ID);
CREATE INDEX ixLicencesSupplier ON Licences (Supp_ID);
CREATE INDEX ixHistoryItem ON StockHistory (Stock_Lic_ID, Type);
INSERT INTO Locations VALUES (1, 'Available Locations', 'M', 1, 0, 0);
INSERT INTO Locations VALUES (2, 'Available Licences', 'M', 1, 0, 0);
INSERT INTO Locations VALUES (3, 'Removed Locations', 'R', 1, 0, 0);
INSERT INTO Locations VALUES (4, 'Removed Licences', 'R', 1, 0, 0);
INSERT INTO Locations VALUES (5, 'Removed Stock', 'R', 1, 0, 0);
PRAGMA user_version = 1;
)SQL";

// What version 2 of the program changed, run after the first version's
// schema.
const char* const Version2Steps = R"SQL(
CREATE INDEX ixLicencesLocationType ON Licences (Loc_ID, Type, Prod_ID);
CREATE INDEX ixStockLocationProduct ON Stock (Loc_ID, Prod_ID);
DROP INDEX IF EXISTS ixLicencesLocation;
DROP INDEX IF EXISTS ixStockLocation;
PRAGMA user_version = 2;
)SQL";

// Each earlier version of the schema, as its program left a new file: the
// SQL run in order.
const struct OlderVersion {
    int version;
    std::vector<const char*> schema;
} OlderVersions[] = {
    {1, {Version1Schema}},
    {2, {Version1Schema, Version2Steps}},
};

// The columns added since a version: an upgraded file has them on every
// row, with the value each existing row gets (its storage type and text),
// and keeps every other value as it was.
struct AddedColumn {
    QString name;
    int type;
    QString value;
    QString pattern() const { return QStringLiteral("|%1:%2:%3").arg(name).arg(type).arg(value); }
};
std::vector<AddedColumn> columnsAddedSince(int version) {
    std::vector<AddedColumn> added;
    if (version < 3)
        added.push_back({QStringLiteral("Prod_Owned"), SQLITE_NULL, QString()}); // not tracked
    if (version < 6)
        added.push_back({QStringLiteral("Moved_By"), SQLITE_TEXT, QString()}); // made by nobody
    return added;
}

// One row in each table, in a form every version since the first accepts.
const char* const SomeRows = R"SQL(
INSERT INTO Categories (Cat_Desc) VALUES ('PCs');
INSERT INTO Suppliers (Supp_Name, Town, Supp_Date) VALUES ('Acme', 'Leeds', '2024-05-06');
INSERT INTO Locations (Loc_Desc, Loc_Status, Loc_Level, Loc_ParentID, Loc_Top)
    VALUES ('Office', 'U', 2, 1, 1);
INSERT INTO Products (Prod_Code, Prod_Desc, Prod_Cat_ID, Supp_ID, Prod_Cost, Date_Added)
    VALUES ('P1', 'Desktop', 1, 1, 49999, '2024-05-06 10:11:12');
INSERT INTO Stock (Stock_Code, Prod_ID, Loc_ID, Supp_ID, Cost, Date_Added)
    VALUES ('S1', 1, 6, 1, 45000, '2024-05-06 10:11:13');
INSERT INTO Licences (Licence_Name, Prod_ID, Loc_ID, Supp_ID, Exp_Date, Cost, Type, Date_Added)
    VALUES ('KEY-1', 1, 2, NULL, '2025-01-01', 1000, 'T', '2024-05-06 10:11:14');
INSERT INTO StockHistory VALUES (1, 'Office', '2024-05-06 10:11:13', 'S');
INSERT INTO StockHistory VALUES (1, 'Available Licences', '2024-05-06 10:11:14', 'L');
)SQL";

const QStringList TableNames{"Categories", "Suppliers", "Locations",   "Products",
                             "Stock",      "Licences",  "StockHistory"};

// Every schema object with its SQL, sorted; the page numbers are left out.
QStringList schemaOf(Database& db) {
    store::Query q(db, QStringLiteral("SELECT type, name, tbl_name, sql FROM sqlite_master"));
    QStringList rows;
    while (q.next())
        rows << QStringList{q.rawText(QStringLiteral("type")), q.rawText(QStringLiteral("name")),
                            q.rawText(QStringLiteral("tbl_name")), q.rawText(QStringLiteral("sql"))}
                    .join(QLatin1Char('|'));
    rows.sort();
    return rows;
}

// Every row of every table, each value with its storage type. Read through
// the engine directly, since the program's queries read columns by name.
QStringList rowsOf(Database& db) {
    QStringList rows;
    for (const QString& table : TableNames) {
        const QByteArray sql =
            QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(table).toUtf8();
        sqlite3_stmt* stmt = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(db.handle(), sql.constData(), -1, &stmt, nullptr), SQLITE_OK);
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            QStringList values{table};
            for (int i = 0; i < sqlite3_column_count(stmt); ++i)
                values << QStringLiteral("%1:%2:%3")
                              .arg(QString::fromUtf8(sqlite3_column_name(stmt, i)))
                              .arg(sqlite3_column_type(stmt, i))
                              .arg(QString::fromUtf8(
                                  reinterpret_cast<const char*>(sqlite3_column_text(stmt, i))));
            rows << values.join(QLatin1Char('|'));
        }
        sqlite3_finalize(stmt);
    }
    return rows;
}

std::unique_ptr<Database> databaseAt(const char* schema) {
    auto db = Database::openInMemory();
    db->run(QString::fromUtf8(schema));
    return db;
}

void runAll(Database& db, const std::vector<const char*>& schema) {
    for (const char* part : schema)
        db.run(QString::fromUtf8(part));
}

// The rows with the columns added since version left out, each of them
// required to hold the value an existing row gets where it is left out.
QStringList withoutAddedColumns(QStringList rows, int version) {
    for (const AddedColumn& column : columnsAddedSince(version)) {
        for (QString& row : rows) {
            const QStringList values = row.split(QLatin1Char('|'));
            if (values.contains(column.pattern().mid(1)))
                row.remove(column.pattern());
        }
    }
    return rows;
}

} // namespace

TEST(SchemaVersions, AFileFromEachEarlierVersionEndsLikeANewOne) {
    SKIP_ON_SERVER("compares sqlite_master of files of each version");
    TestDatabase fresh;
    const QStringList wanted = schemaOf(fresh.db());
    for (const OlderVersion& older : OlderVersions) {
        SCOPED_TRACE(older.version);
        auto db = Database::openInMemory();
        runAll(*db, older.schema);
        ASSERT_EQ(db->userVersion(), older.version);
        ASSERT_LT(older.version, store::SchemaVersion);
        store::checkSchema(*db);
        EXPECT_EQ(db->userVersion(), store::SchemaVersion);
        EXPECT_EQ(schemaOf(*db), wanted);
        // A second look finds nothing left to do.
        store::checkSchema(*db);
        EXPECT_EQ(schemaOf(*db), wanted);
    }
}

TEST(SchemaVersions, TheCurrentVersionHasTheCoveringLocationIndexes) {
    SKIP_ON_SERVER("reads SQLite's query plans");
    TestDatabase t;
    const QStringList schema = schemaOf(t.db());
    for (const char* index : {"ixLicencesLocationType", "ixStockLocationProduct"})
        EXPECT_TRUE(std::any_of(schema.cbegin(), schema.cend(), [&](const QString& row) {
            return row.startsWith(QStringLiteral("index|") + QLatin1String(index) +
                                  QLatin1Char('|'));
        })) << index;
    // A location's stock and licences are read from those indexes alone.
    const struct {
        const char* sql;
        const char* index;
    } plans[] = {
        {"SELECT Prod_ID FROM Stock WHERE Loc_ID = ?", "ixStockLocationProduct"},
        {"SELECT Type, Prod_ID FROM Licences WHERE Loc_ID = ?", "ixLicencesLocationType"},
    };
    for (const auto& plan : plans) {
        store::Query q(t.db(), QStringLiteral("EXPLAIN QUERY PLAN ") + QLatin1String(plan.sql));
        q.bindAll(1);
        ASSERT_TRUE(q.next());
        EXPECT_TRUE(q.text(QStringLiteral("detail"))
                        .contains(QStringLiteral("COVERING INDEX ") + QLatin1String(plan.index)))
            << q.text(QStringLiteral("detail")).toStdString();
    }
}

TEST(SchemaVersions, UpgradingAKeyedFileKeepsEveryRow) {
    for (const OlderVersion& older : OlderVersions) {
        SCOPED_TRACE(older.version);
        QTemporaryDir dir;
        const QString path = dir.filePath(store::DatabaseFileName);
        QStringList before;
        {
            auto db = Database::create(path, store::DatabaseKey);
            runAll(*db, older.schema);
            db->run(QString::fromUtf8(SomeRows));
            before = rowsOf(*db);
        }
        ASSERT_EQ(before.size(), 5 + 8);
        {
            auto db = Database::open(path, store::DatabaseKey);
            store::checkSchema(*db);
        }
        auto db = Database::open(path, store::DatabaseKey);
        EXPECT_EQ(db->userVersion(), store::SchemaVersion);
        const QStringList after = rowsOf(*db);
        // Every added column is there on every row of its table, with the
        // value an existing row gets: the product is not tracked, nobody is
        // named as having made the history rows.
        for (const AddedColumn& column : columnsAddedSince(older.version)) {
            const QStringList named = after.filter(QStringLiteral("|%1:").arg(column.name));
            EXPECT_FALSE(named.isEmpty()) << column.name.toStdString();
            for (const QString& row : named)
                EXPECT_TRUE(row.contains(column.pattern() + QLatin1Char('|')) ||
                            row.endsWith(column.pattern()))
                    << row.toStdString();
        }
        EXPECT_EQ(after.filter(QStringLiteral("|Moved_By:")).size(), 2);
        // The product's live items counted by the migration: the stock item
        // and the temporary licence.
        store::Query counts(*db, QStringLiteral("SELECT Stock_Count, Licence_Count, Temp_Count "
                                                "FROM ProductCounts WHERE Prod_ID = 1"));
        ASSERT_TRUE(counts.next());
        EXPECT_EQ(counts.integerAt(0), 1);
        EXPECT_EQ(counts.integerAt(1), 1);
        EXPECT_EQ(counts.integerAt(2), 1);
        EXPECT_EQ(withoutAddedColumns(after, older.version), before);
    }
}

TEST(SchemaVersions, AStepThatFailsLeavesTheFileAtItsVersion) {
    // A version-1 file that already has an index of the name the next
    // version adds: that step fails, and undoes whatever it had done.
    auto db = databaseAt(Version1Schema);
    db->run(QStringLiteral("CREATE INDEX ixStockLocationProduct ON Stock (Stock_Code)"));
    const QStringList before = schemaOf(*db);
    EXPECT_THROW(store::checkSchema(*db), DbError);
    EXPECT_EQ(db->userVersion(), 1);
    EXPECT_EQ(schemaOf(*db), before);
}

TEST(SchemaVersions, FilesThatAreNoAssetDatabaseOrTooNewAreRefused) {
    const struct Case {
        const char* name;
        std::function<void(Database&)> arrange;
        const char* says;
    } cases[] = {
        {"no version at all", [](Database&) {}, "not an asset database"},
        {"tables without a version",
         [](Database& db) {
             store::createSchema(db);
             db.setUserVersion(0);
         },
         "not an asset database"},
        {"a newer version",
         [](Database& db) {
             store::createSchema(db);
             db.setUserVersion(store::SchemaVersion + 1);
         },
         "newer version"},
        {"current version, a table missing",
         [](Database& db) {
             store::createSchema(db);
             db.run(QStringLiteral("DROP TABLE StockHistory"));
         },
         "table StockHistory"},
        {"current version, a column missing",
         [](Database& db) {
             store::createSchema(db);
             db.run(QStringLiteral("DROP TABLE StockHistory; CREATE TABLE StockHistory "
                                   "(Stock_Lic_ID INTEGER, Loc_Desc TEXT, Type TEXT)"));
         },
         "table StockHistory"},
        {"first version, a column missing: refused after its migration, which is undone",
         [](Database& db) {
             db.run(QString::fromUtf8(Version1Schema));
             db.run(QStringLiteral("DROP TABLE StockHistory; CREATE TABLE StockHistory "
                                   "(Stock_Lic_ID INTEGER, Loc_Desc TEXT, Type TEXT)"));
         },
         "table StockHistory"},
        {"first version, a table missing",
         [](Database& db) {
             db.run(QString::fromUtf8(Version1Schema));
             db.run(QStringLiteral("DROP TABLE Licences"));
         },
         "table Licences"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto db = Database::openInMemory();
        c.arrange(*db);
        const int version = db->userVersion();
        const QStringList schema = schemaOf(*db);
        try {
            store::checkSchema(*db);
            ADD_FAILURE() << "accepted";
        } catch (const DbError& e) {
            EXPECT_EQ(e.number(), SQLITE_NOTADB);
            EXPECT_TRUE(e.description().contains(QLatin1String(c.says))) << e.text().toStdString();
        }
        EXPECT_EQ(db->userVersion(), version);
        EXPECT_EQ(schemaOf(*db), schema);
    }
}

TEST(SchemaVersions, AKeyedFileRefusedAfterItsMigrationIsLeftByteForByteAsItWas) {
    QTemporaryDir dir;
    const QString path = dir.filePath(store::DatabaseFileName);
    {
        auto db = Database::create(path, store::DatabaseKey);
        db->run(QString::fromUtf8(Version1Schema));
        db->run(QString::fromUtf8(SomeRows));
        db->run(QStringLiteral("PRAGMA foreign_keys = OFF; DROP TABLE Suppliers; "
                               "CREATE TABLE Suppliers (Supplier_ID "
                               "INTEGER PRIMARY KEY AUTOINCREMENT, Supp_Name TEXT NOT NULL)"));
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    {
        auto db = Database::open(path, store::DatabaseKey);
        try {
            store::checkSchema(*db);
            ADD_FAILURE() << "accepted";
        } catch (const DbError& e) {
            EXPECT_TRUE(e.description().contains(QLatin1String("table Suppliers")))
                << e.text().toStdString();
        }
        // The version stamp is part of the transaction that was undone.
        EXPECT_EQ(db->userVersion(), 1);
    }
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{store::DatabaseFileName});
}
