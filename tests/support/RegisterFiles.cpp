#include "support/RegisterFiles.h"

#include "store/Database.h"
#include "store/Schema.h"
#include "store/StoreConstants.h"

#include <QFile>

#include <stdexcept>

#include <sqlite3.h>

namespace testing_support {

namespace {

// Back to the first version's tables, indexes and version stamp: no unique
// codes, Products without the licences owned and the history without who
// made each row (made again, as the engine cannot drop a column), no expiry,
// cost or licence type index, the single-column location indexes.
const char* const ToVersion1 = "PRAGMA foreign_keys = OFF;"
                               "DROP INDEX uxCategoriesDesc; DROP INDEX uxProductsCode;"
                               "DROP INDEX uxStockCode; DROP INDEX uxLicencesName;"
                               "DROP INDEX ixLicencesExpiry;"
                               "DROP INDEX ixLicencesCost; DROP INDEX ixStockCost;"
                               "DROP INDEX ixLicencesType; DROP INDEX ixLicencesExpiryOrder;"
                               "CREATE TABLE Products_v1 ("
                               "Prod_ID INTEGER PRIMARY KEY AUTOINCREMENT, "
                               "Prod_Code TEXT NOT NULL, Prod_Desc TEXT NOT NULL, "
                               "Prod_Cat_ID INTEGER NOT NULL REFERENCES Categories (Cat_ID), "
                               "Supp_ID INTEGER REFERENCES Suppliers (Supplier_ID), "
                               "Prod_Cost INTEGER NOT NULL DEFAULT 0, Date_Added TEXT);"
                               "INSERT INTO Products_v1 SELECT Prod_ID, Prod_Code, Prod_Desc, "
                               "Prod_Cat_ID, Supp_ID, Prod_Cost, Date_Added FROM Products;"
                               "DROP TABLE Products;"
                               "ALTER TABLE Products_v1 RENAME TO Products;"
                               "CREATE INDEX ixProductsCategory ON Products (Prod_Cat_ID);"
                               "CREATE INDEX ixProductsSupplier ON Products (Supp_ID);"
                               "PRAGMA foreign_keys = ON;"
                               "DROP INDEX ixLicencesLocationType; DROP INDEX "
                               "ixStockLocationProduct;"
                               "CREATE INDEX ixLicencesLocation ON Licences (Loc_ID);"
                               "CREATE INDEX ixStockLocation ON Stock (Loc_ID);"
                               "CREATE TABLE StockHistory_v1 (Stock_Lic_ID INTEGER NOT NULL, "
                               "Loc_Desc TEXT, move_date TEXT NOT NULL, "
                               "Type TEXT NOT NULL CHECK (Type IN ('S', 'L')));"
                               "INSERT INTO StockHistory_v1 SELECT Stock_Lic_ID, Loc_Desc, "
                               "move_date, Type FROM StockHistory ORDER BY rowid;"
                               "DROP TABLE StockHistory;"
                               "ALTER TABLE StockHistory_v1 RENAME TO StockHistory;"
                               "CREATE INDEX ixHistoryItem ON StockHistory (Stock_Lic_ID, Type);"
                               "PRAGMA user_version = 1;";

// A new register at path, then sql run on it with references unchecked.
void madeThen(const QString& path, const char* sql) {
    store::createAssetDatabase(path);
    auto db = store::Database::open(path, store::DatabaseKey);
    db->run(QStringLiteral("PRAGMA foreign_keys = OFF"));
    db->run(QString::fromUtf8(sql));
}

void version1LackingAColumn(const QString& path) {
    madeThen(path, "DROP TABLE Suppliers;"
                   "CREATE TABLE Suppliers (Supplier_ID INTEGER PRIMARY KEY AUTOINCREMENT, "
                   "Supp_Name TEXT NOT NULL, Add_1 TEXT, Add_2 TEXT, Add_3 TEXT, Town TEXT, "
                   "County TEXT, Post_Code TEXT, Area TEXT, Telephone TEXT, FaxArea TEXT, "
                   "Fax TEXT, Email TEXT, Web_Address TEXT, Supp_Date TEXT);");
    store::Database::open(path, store::DatabaseKey)->run(QString::fromUtf8(ToVersion1));
}

void currentStampedVersion1(const QString& path) {
    madeThen(path, "PRAGMA user_version = 1");
}

void withoutReservedLocations(const QString& path) {
    madeThen(path, "DELETE FROM Locations WHERE Loc_ID BETWEEN 1 AND 5");
}

void itemsOfMissingProducts(const QString& path) {
    madeThen(path, "INSERT INTO Stock (Stock_Code, Prod_ID, Loc_ID, Cost) VALUES ('S1', 77, 1, 0);"
                   "INSERT INTO Licences (Licence_Name, Prod_ID, Loc_ID, Cost, Type) "
                   "VALUES ('K1', 78, 2, 0, 'N');");
}

} // namespace

const std::vector<UnsoundRegister>& unsoundRegisters() {
    static const std::vector<UnsoundRegister> files{
        {"version 1 lacking a column", version1LackingAColumn, "table Suppliers",
         "does not hold an asset register"},
        {"current file stamped version 1", currentStampedVersion1,
         "cannot be brought up to schema version 2: index", "does not hold an asset register"},
        {"no reserved locations", withoutReservedLocations, "reserved location rows 1-5 missing",
         "reserved location rows 1-5 missing"},
        {"items of missing products", itemsOfMissingProducts,
         "row 1 of Stock names a missing row of Products", "names a missing row of Products"},
    };
    return files;
}

void makeVersion1Register(const QString& path, const QStringList& categories) {
    store::createAssetDatabase(path);
    auto db = store::Database::open(path, store::DatabaseKey);
    for (const QString& c : categories)
        db->execute(QStringLiteral("INSERT INTO Categories (Cat_Desc) VALUES (?)"), c);
    db->run(QString::fromUtf8(ToVersion1));
    // No free pages left by the change back: the file as that version
    // wrote it, which its migration must grow.
    db->run(QStringLiteral("VACUUM"));
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList registerLines(const QString& path) {
    auto db = store::Database::open(path, store::DatabaseKey);
    QStringList lines;
    const auto read = [&](const QString& sql) {
        store::Query list(*db, sql);
        while (list.next())
            lines << list.rawTextAt(0);
    };
    lines << QStringLiteral("version %1").arg(db->userVersion());
    read(QStringLiteral("SELECT type || ' ' || name || ' ' || ifnull(sql, '') FROM sqlite_master "
                        "ORDER BY type, name"));
    QStringList tables;
    {
        store::Query q(*db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' "
                                           "ORDER BY name"));
        while (q.next())
            tables << q.rawTextAt(0);
    }
    for (const QString& table : tables) {
        lines << table;
        // Every column of every row, as the engine gives it back.
        sqlite3_stmt* stmt = nullptr;
        const QByteArray sql = QStringLiteral("SELECT * FROM %1").arg(table).toUtf8();
        if (sqlite3_prepare_v2(db->handle(), sql.constData(), -1, &stmt, nullptr) != SQLITE_OK)
            db->fail();
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            QStringList row;
            for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
                row << (text ? QString::fromUtf8(text) : QStringLiteral("<null>"));
            }
            lines << row.join(QLatin1Char('|'));
        }
        sqlite3_finalize(stmt);
    }
    return lines;
}

void makeOldPagesCopy(const QString& original, const QString& copy) {
    // The export writes into an empty file.
    QFile empty(copy);
    if (!empty.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw std::runtime_error("the copy cannot be made");
    empty.close();
    store::Database::open(original, store::DatabaseKey)->exportTo(copy, store::OldPageSize);
}

} // namespace testing_support
