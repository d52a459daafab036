#include "store/Schema.h"

#include "store/Database.h"
#include "store/FindText.h"
#include "store/ExpiryCounts.h"
#include "store/ProductCounts.h"
#include "store/StoreConstants.h"

#include <iterator>

#include <sqlite3.h>

namespace store {

namespace {

// The tables and indexes as version 1 made them. Never edited: a later
// version changes the schema by a migration below, which a new database
// runs too, so new and upgraded files end up alike.
const char* const Version1 = R"SQL(
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
)SQL";

struct ReservedRow {
    int id;
    const char* desc;
    const QString& status;
};

// Version 2: the contents of a location (its licences by type and product,
// its stock by product) are read from an index alone. The covering indexes
// start with Loc_ID, so the single-column ones they replace go.
void coveringLocationIndexes(Database& db) {
    db.run(QStringLiteral("CREATE INDEX ixLicencesLocationType ON Licences (Loc_ID, Type, Prod_ID);"
                          "CREATE INDEX ixStockLocationProduct ON Stock (Loc_ID, Prod_ID);"
                          "DROP INDEX IF EXISTS ixLicencesLocation;"
                          "DROP INDEX IF EXISTS ixStockLocation;"));
}

// Version 5: the codes and texts the program keeps unique are unique in
// the tables too, case-blind as the program compares them, by an index that
// also answers the program's own check before it stores a row. The rules
// already refuse duplicates; a register that holds some all the same (made
// by another tool) is refused with the first duplicate named, to be put
// right with the earlier program, rather than failing on the index.
struct UniqueText {
    const char* index;
    const char* table;
    const char* column;
    const char* what;
};
const UniqueText UniqueTexts[] = {
    {"uxCategoriesDesc", "Categories", "Cat_Desc", "category description"},
    {"uxProductsCode", "Products", "Prod_Code", "product code"},
    {"uxStockCode", "Stock", "Stock_Code", "stock code"},
    {"uxLicencesName", "Licences", "Licence_Name", "licence key"},
};

void uniqueCodes(Database& db) {
    for (const UniqueText& u : UniqueTexts) {
        const QString table = QString::fromLatin1(u.table);
        const QString column = QString::fromLatin1(u.column);
        // Names are program constants.
        Query q(db, QStringLiteral("SELECT min(%1) AS dup FROM %2 GROUP BY %1%3 "
                                   "HAVING count(*) > 1")
                        .arg(column, table, IgnoreCase));
        if (q.next())
            throw DbError(QStringLiteral("The register holds the %1 \"%2\" more than once (in "
                                         "any letter case); give each its own %1 with the "
                                         "earlier version of the program, then open it again")
                              .arg(QString::fromLatin1(u.what), q.text(QStringLiteral("dup"))),
                          SQLITE_CONSTRAINT);
        db.run(QStringLiteral("CREATE UNIQUE INDEX %1 ON %2 (%3%4)")
                   .arg(QString::fromLatin1(u.index), table, column, IgnoreCase));
    }
}

// Version 3: a product may record how many licences the organisation owns
// (Prod_Owned; null, as every existing product gets, is "not tracked"), and
// the licences that expire soon are found from an index on the expiry date
// that also holds the location, so that removed ones are passed over there.
void licenceEntitlements(Database& db) {
    db.run(
        QStringLiteral("ALTER TABLE Products ADD COLUMN Prod_Owned INTEGER CHECK (Prod_Owned >= 0);"
                       "CREATE INDEX ixLicencesExpiry ON Licences (Exp_Date, Loc_ID);"));
}

// Version 6: each history row records who made it: the server's login on
// a server, the system's user name on a file. Rows written before say
// nobody (empty), as the history viewer shows them.
void historyAuthor(Database& db) {
    db.run(QStringLiteral("ALTER TABLE StockHistory ADD COLUMN Moved_By TEXT NOT NULL DEFAULT ''"));
}

// Version 7: the orders a report offers by a value of the asset itself
// (its cost, expiry date, the licence type) each have an index, the
// record's id last, that the engine walks in the report's order: the first
// lines of such a report are read without reading the rest. A file whose
// version stamp is older than its indexes keeps the ones it has.
void reportOrderIndexes(Database& db) {
    db.run(QStringLiteral(
        "CREATE INDEX IF NOT EXISTS ixLicencesCost ON Licences (Cost, Licence_ID);"
        "CREATE INDEX IF NOT EXISTS ixStockCost ON Stock (Cost, Stock_ID);"
        "CREATE INDEX IF NOT EXISTS ixLicencesType ON Licences (Type, Licence_ID);"
        "CREATE INDEX IF NOT EXISTS ixLicencesExpiryOrder ON Licences (Exp_Date, Licence_ID);"));
}

// Version 9: the item dialogs list every product by description in the
// register's text order, ties by id; an index in that order lets the engine
// walk it instead of sorting every product through the collation. Its
// Prod_ID comes with the row on the file, so the list is read from the
// index alone there.
void productOrderIndex(Database& db) {
    db.run(QStringLiteral("CREATE INDEX IF NOT EXISTS ixProductsDescOrder ON Products "
                          "(Prod_Desc%1, Prod_ID)")
               .arg(IgnoreCase));
}

// Migrations[i] takes a database from version i + 1 to version i + 2; a new
// version is one more function at the end and SchemaVersion one higher.
using Migration = void (*)(Database&);
const Migration Migrations[] = {
    coveringLocationIndexes, // 1 -> 2
    licenceEntitlements,     // 2 -> 3: licences owned, the expiry index
    addFindText,             // 3 -> 4: the folded texts that Find searches
    uniqueCodes,             // 4 -> 5: unique case-blind codes and keys
    historyAuthor,           // 5 -> 6: who made each history row
    reportOrderIndexes,      // 6 -> 7: report orders walked by an index
    addProductCounts,        // 7 -> 8: each product's live items, kept counted
    productOrderIndex,       // 8 -> 9: the products in the item dialogs' order
    addExpiryCounts,         // 9 -> 10: each expiry date's live licences, kept counted
};
static_assert(std::size(Migrations) == SchemaVersion - 1, "one migration per later version");

// The seven tables and the columns the program reads and writes.
struct Table {
    const char* name;
    const char* columns;
};
const Table Tables[] = {
    {"Categories", "Cat_ID, Cat_Desc"},
    {"Suppliers", "Supplier_ID, Supp_Name, Add_1, Add_2, Add_3, Town, County, Post_Code, Area, "
                  "Telephone, FaxArea, Fax, Email, Web_Address, Contact, Supp_Date"},
    {"Locations", "Loc_ID, Loc_Desc, Loc_Status, Loc_Level, Loc_ParentID, Loc_Top"},
    {"Products",
     "Prod_ID, Prod_Code, Prod_Desc, Prod_Cat_ID, Supp_ID, Prod_Cost, Date_Added, Prod_Owned"},
    {"Stock", "Stock_ID, Stock_Code, Prod_ID, Loc_ID, Supp_ID, Cost, Date_Added"},
    {"Licences",
     "Licence_ID, Licence_Name, Prod_ID, Loc_ID, Supp_ID, Exp_Date, Cost, Type, Date_Added"},
    {"StockHistory", "Stock_Lic_ID, Loc_Desc, move_date, Type, Moved_By"},
};

[[noreturn]] void notAssetDatabase(const char* table) {
    throw DbError(QStringLiteral("The file is not an asset database: table %1 is missing or "
                                 "incomplete")
                      .arg(QString::fromLatin1(table)),
                  SQLITE_NOTADB);
}

// Every table is there before a migration works on it.
void requireTables(Database& db) {
    for (const Table& table : Tables) {
        if (!db.hasTable(QString::fromLatin1(table.name)))
            notAssetDatabase(table.name);
    }
}

// Every table reads with all its columns.
void requireColumns(Database& db) {
    for (const Table& table : Tables) {
        // Table and column names are program constants, not values. Each
        // probe has a savepoint of its own: on the server a failed statement
        // spoils the transaction it runs in.
        try {
            Transaction probe(db);
            Query q(db,
                    QStringLiteral("SELECT %1 FROM %2 LIMIT 0")
                        .arg(QString::fromLatin1(table.columns), QString::fromLatin1(table.name)));
            q.next();
        } catch (const DbError& error) {
            // "no such table/column"; damage and the like pass as they are.
            if (error.number() != SQLITE_ERROR)
                throw;
            notAssetDatabase(table.name);
        }
    }
}

// Steps a database of the given version up to SchemaVersion, each step in
// a transaction of its own that also records the version it reaches.
void migrate(Database& db, int version) {
    for (; version < SchemaVersion; ++version) {
        Transaction tx(db);
        try {
            Migrations[version - 1](db);
        } catch (const DbError& error) {
            // A statement the engine refused means the file is not the
            // version it says it is; damage, a full disk and the like pass
            // as they are.
            if (error.number() != SQLITE_ERROR)
                throw;
            throw DbError(QStringLiteral("The file cannot be brought up to schema version %1: %2")
                              .arg(version + 1)
                              .arg(error.description()),
                          error.number());
        }
        db.setUserVersion(version + 1);
        tx.commit();
    }
}

} // namespace

void createSchema(Database& db) {
    Transaction tx(db);
    if (db.onServer()) {
        // The file's UNICASE: case-blind equality and a dictionary's order.
        db.run(QStringLiteral("CREATE COLLATION IF NOT EXISTS unicase (provider = icu, "
                              "locale = 'und-u-ks-level2', deterministic = false)"));
    }
    db.run(QString::fromUtf8(Version1));
    if (db.onServer()) {
        // The file keeps history rows in the order they were written (their
        // rowid), which the history list sorts by; the server numbers them.
        db.run(QStringLiteral("ALTER TABLE StockHistory ADD COLUMN rowid BIGINT GENERATED BY "
                              "DEFAULT AS IDENTITY"));
    }
    const ReservedRow rows[] = {
        {loc::AvailableLocations, "Available Locations", StatusMainBranch},
        {loc::AvailableLicences, "Available Licences", StatusMainBranch},
        {loc::RemovedLocations, "Removed Locations", StatusReserved},
        {loc::RemovedLicences, "Removed Licences", StatusReserved},
        {loc::RemovedStock, "Removed Stock", StatusReserved},
    };
    for (const ReservedRow& row : rows)
        db.execute(QStringLiteral("INSERT INTO Locations (Loc_ID, Loc_Desc, Loc_Status, Loc_Level, "
                                  "Loc_ParentID, Loc_Top) VALUES (?, ?, ?, ?, 0, 0)"),
                   row.id, QString::fromUtf8(row.desc), row.status, loc::ReservedLevel);
    db.followIdentity(QStringLiteral("Locations"), QStringLiteral("Loc_ID"));
    db.setUserVersion(1);
    migrate(db, 1);
    tx.commit();
}

void createAssetDatabase(const QString& path) {
    auto db = Database::create(path, DatabaseKey);
    createSchema(*db);
}

namespace {

// The file's schema version, refused unless this program knows it.
int knownVersion(Database& db) {
    const int version = db.userVersion();
    if (version <= 0)
        throw DbError(QStringLiteral("The file is not an asset database"), SQLITE_NOTADB);
    if (version > SchemaVersion)
        throw DbError(
            QStringLiteral("The asset database was made by a newer version of the program"),
            SQLITE_NOTADB);
    return version;
}

} // namespace

int checkSchema(Database& db) {
    Transaction tx(db);
    const int version = knownVersion(db);
    requireTables(db);
    migrate(db, version);
    requireColumns(db);
    tx.commit();
    return version;
}

} // namespace store
