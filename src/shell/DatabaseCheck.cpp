#include "shell/DatabaseCheck.h"

#include "store/Database.h"
#include "store/ExpiryCounts.h"
#include "store/ProductCounts.h"
#include "store/Schema.h"
#include "store/StoreConstants.h"

#include <sqlite3.h>

namespace shell {

namespace {

// At most this many lines of one kind are listed.
constexpr int MaxLines = 20;

// A rule as a query counting the rows that break it.
struct Rule {
    const char* what;
    const char* countSql;
};

// The rules of the register beyond what the schema's constraints enforce.
const Rule Rules[] = {
    {"reserved location rows 1-5 missing or not at level 1",
     "SELECT 5 - count(*) FROM Locations WHERE Loc_ID BETWEEN 1 AND 5 AND Loc_Level = 1"},
    {"reserved location rows with Loc_Top 1, 2 or 3",
     "SELECT count(*) FROM Locations WHERE Loc_ID BETWEEN 1 AND 5 AND Loc_Top IN (1, 2, 3)"},
    {"available branches 1 and 2 not of status 'M'",
     "SELECT count(*) FROM Locations WHERE Loc_ID IN (1, 2) AND Loc_Status <> 'M'"},
    {"available branches 1 and 2 not described 'Available Locations' and 'Available Licences'",
     "SELECT count(*) FROM Locations WHERE (Loc_ID = 1 AND Loc_Desc <> 'Available Locations' "
     "COLLATE UNICASE) OR (Loc_ID = 2 AND Loc_Desc <> 'Available Licences' COLLATE UNICASE)"},
    {"other locations at level 1",
     "SELECT count(*) FROM Locations WHERE Loc_Level <= 1 AND Loc_ID NOT BETWEEN 1 AND 5"},
    {"locations whose parent is missing or not above them",
     "SELECT count(*) FROM Locations c LEFT JOIN Locations p ON p.Loc_ID = c.Loc_ParentID "
     "WHERE c.Loc_Level > 1 AND (p.Loc_ID IS NULL OR p.Loc_Level >= c.Loc_Level)"},
    {"locations whose Loc_Top is not the branch they lie under",
     "SELECT count(*) FROM Locations c JOIN Locations p ON p.Loc_ID = c.Loc_ParentID "
     "WHERE c.Loc_Level > 1 AND (c.Loc_Top NOT IN (1, 2, 3) OR c.Loc_Top <> "
     "CASE WHEN p.Loc_Level = 1 THEN p.Loc_ID ELSE p.Loc_Top END)"},
    {"stock items at a missing location",
     "SELECT count(*) FROM Stock s LEFT JOIN Locations l ON l.Loc_ID = s.Loc_ID "
     "WHERE l.Loc_ID IS NULL"},
    {"licences at a missing location",
     "SELECT count(*) FROM Licences s LEFT JOIN Locations l ON l.Loc_ID = s.Loc_ID "
     "WHERE l.Loc_ID IS NULL"},
    {"history rows of a missing stock item",
     "SELECT count(*) FROM StockHistory h LEFT JOIN Stock s ON s.Stock_ID = h.Stock_Lic_ID "
     "WHERE h.Type = 'S' AND s.Stock_ID IS NULL"},
    {"history rows of a missing licence",
     "SELECT count(*) FROM StockHistory h LEFT JOIN Licences l ON l.Licence_ID = h.Stock_Lic_ID "
     "WHERE h.Type = 'L' AND l.Licence_ID IS NULL"},
    {"duplicate category descriptions",
     "SELECT count(*) FROM (SELECT 1 AS n FROM Categories GROUP BY Cat_Desc COLLATE UNICASE "
     "HAVING count(*) > 1) AS d"},
    {"duplicate product codes",
     "SELECT count(*) FROM (SELECT 1 AS n FROM Products GROUP BY Prod_Code COLLATE UNICASE "
     "HAVING count(*) > 1) AS d"},
    {"duplicate stock codes",
     "SELECT count(*) FROM (SELECT 1 AS n FROM Stock GROUP BY Stock_Code COLLATE UNICASE "
     "HAVING count(*) > 1) AS d"},
    {"duplicate licence keys",
     "SELECT count(*) FROM (SELECT 1 AS n FROM Licences GROUP BY Licence_Name COLLATE "
     "UNICASE HAVING count(*) > 1) AS d"},
};

// The engine's own check, which answers nothing when all is well.
void integrity(store::Database& db, QStringList& problems) {
    for (const QString& line : db.integrityProblems(MaxLines))
        problems << QStringLiteral("integrity: %1").arg(line);
}

// The references between tables, for the server: the same lines as the
// file's foreign key check (the table, the row's id, the table named).
const char* const ServerReferences =
    "SELECT 'Products' AS t, p.Prod_ID AS id, 'Categories' AS parent FROM Products p "
    "WHERE NOT EXISTS (SELECT 1 FROM Categories c WHERE c.Cat_ID = p.Prod_Cat_ID) "
    "UNION ALL SELECT 'Products', p.Prod_ID, 'Suppliers' FROM Products p WHERE p.Supp_ID IS "
    "NOT NULL AND NOT EXISTS (SELECT 1 FROM Suppliers s WHERE s.Supplier_ID = p.Supp_ID) "
    "UNION ALL SELECT 'Stock', s.Stock_ID, 'Products' FROM Stock s "
    "WHERE NOT EXISTS (SELECT 1 FROM Products p WHERE p.Prod_ID = s.Prod_ID) "
    "UNION ALL SELECT 'Stock', s.Stock_ID, 'Locations' FROM Stock s "
    "WHERE NOT EXISTS (SELECT 1 FROM Locations l WHERE l.Loc_ID = s.Loc_ID) "
    "UNION ALL SELECT 'Stock', s.Stock_ID, 'Suppliers' FROM Stock s WHERE s.Supp_ID IS NOT "
    "NULL AND NOT EXISTS (SELECT 1 FROM Suppliers x WHERE x.Supplier_ID = s.Supp_ID) "
    "UNION ALL SELECT 'Licences', l.Licence_ID, 'Products' FROM Licences l "
    "WHERE NOT EXISTS (SELECT 1 FROM Products p WHERE p.Prod_ID = l.Prod_ID) "
    "UNION ALL SELECT 'Licences', l.Licence_ID, 'Locations' FROM Licences l "
    "WHERE NOT EXISTS (SELECT 1 FROM Locations x WHERE x.Loc_ID = l.Loc_ID) "
    "UNION ALL SELECT 'Licences', l.Licence_ID, 'Suppliers' FROM Licences l WHERE l.Supp_ID "
    "IS NOT NULL AND NOT EXISTS (SELECT 1 FROM Suppliers x WHERE x.Supplier_ID = l.Supp_ID)";

void references(store::Database& db, QStringList& problems) {
    store::Query q(db, db.onServer() ? QString::fromLatin1(ServerReferences)
                                     : QStringLiteral("PRAGMA foreign_key_check"));
    int n = 0;
    while (q.next() && n < MaxLines) {
        problems << QStringLiteral("reference: row %1 of %2 names a missing row of %3")
                        .arg(q.rawTextAt(1), q.rawTextAt(0), q.rawTextAt(2));
        ++n;
    }
}

// Counts the store keeps that differ from a count of what they count, each
// named under its kind, then how to mend them.
void keptCounts(const QString& kind, const QStringList& wrong, const QString& counted,
                QStringList& problems) {
    for (const QString& line : wrong)
        problems << QStringLiteral("%1: %2").arg(kind, line);
    if (!wrong.isEmpty())
        problems << QStringLiteral("%1: the kept counts are wrong; \"vemora-admin recount\" "
                                   "counts the %2 again")
                        .arg(kind, counted);
}

// The live items the store keeps counted per product, and the live
// licences per expiry date, against counts of the items themselves.
void countsKept(store::Database& db, QStringList& problems) {
    keptCounts(QStringLiteral("product counts"), store::productCountProblems(db, MaxLines),
               QStringLiteral("items"), problems);
    keptCounts(QStringLiteral("expiry counts"), store::expiryCountProblems(db, MaxLines),
               QStringLiteral("licences"), problems);
}

// True when an error says something about the file itself; a full disk,
// an I/O error or a busy file say nothing about it and are passed on.
bool aboutTheFile(const store::DbError& error) {
    switch (error.number()) {
    case SQLITE_ERROR:
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_FORMAT:
    case SQLITE_MISMATCH:
    case SQLITE_CONSTRAINT:
    case SQLITE_RANGE:
        return true;
    default:
        return false;
    }
}

} // namespace

CheckResult checkDatabase(store::Database& db, Migration migration) {
    CheckResult result;
    const auto found = [&](CheckResult::Fault fault) {
        if (result.fault == CheckResult::Fault::None && !result.problems.isEmpty())
            result.fault = fault;
    };
    try {
        integrity(db, result.problems);
    } catch (const store::DbError& error) {
        if (!aboutTheFile(error))
            throw;
        result.problems << QStringLiteral("integrity: %1").arg(error.text());
    }
    found(CheckResult::Fault::Damage);
    if (!result.ok())
        return result;

    // The rows are judged as the program will see them: after the
    // migrations, which this transaction undoes unless they are kept.
    store::Transaction tx(db);
    try {
        result.version = store::checkSchema(db);
    } catch (const store::DbError& error) {
        if (!aboutTheFile(error))
            throw;
        result.problems << QStringLiteral("schema: %1").arg(error.description());
        found(error.isCorrupt() ? CheckResult::Fault::Damage : CheckResult::Fault::Schema);
        return result;
    }
    try {
        references(db, result.problems);
        for (const Rule& rule : Rules) {
            store::Query q(db, QString::fromUtf8(rule.countSql));
            q.next();
            const qint64 count = q.rawTextAt(0).toLongLong();
            if (count > 0)
                result.problems
                    << QStringLiteral("%1: %2").arg(QString::fromUtf8(rule.what)).arg(count);
        }
        countsKept(db, result.problems);
        found(CheckResult::Fault::Register);
    } catch (const store::DbError& error) {
        if (!aboutTheFile(error))
            throw;
        result.problems << QStringLiteral("integrity: %1").arg(error.text());
        found(CheckResult::Fault::Damage);
    }
    if (result.ok() && migration == Migration::Keep)
        tx.commit();
    return result;
}

} // namespace shell
