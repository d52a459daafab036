#include "store/Schema.h"

#include "store/Database.h"
#include "store/StoreConstants.h"

namespace store {

namespace {

const char* const Tables = R"SQL(
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

} // namespace

void createSchema(Database& db) {
    Transaction tx(db);
    db.run(QString::fromUtf8(Tables));
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
    db.setUserVersion(SchemaVersion);
    tx.commit();
}

void createAssetDatabase(const QString& path) {
    auto db = Database::create(path, DatabaseKey);
    createSchema(*db);
}

void checkSchema(Database& db) {
    const int version = db.userVersion();
    if (version == 0)
        throw DbError(QStringLiteral("The file is not an asset database"), 26);
    if (version > SchemaVersion)
        throw DbError(
            QStringLiteral("The asset database was made by a newer version of the program"), 26);
    // Later schema versions add their migration steps here, one per version.
}

} // namespace store
