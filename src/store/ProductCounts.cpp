#include "store/ProductCounts.h"

#include "store/Database.h"
#include "store/StoreConstants.h"

#include <vector>

namespace store {

namespace {

// A kept column and what one live item adds to it.
struct Column {
    const char* name;
    const char* adds; // %1 stands for the row ("new", "old")
};
// One counted kind of item: its table, the location that holds its removed
// items, the columns whose change can move an item between counts, and the
// kept columns it adds to.
struct Counted {
    const char* table;
    int removedAt;
    const char* watched; // the columns whose change can change the counts
    std::vector<Column> columns;
};

const Counted CountedTables[] = {
    {"Stock", loc::RemovedStock, "Prod_ID, Loc_ID", {{"Stock_Count", "1"}}},
    {"Licences",
     loc::RemovedLicences,
     "Prod_ID, Loc_ID, Type",
     {{"Licence_Count", "1"}, {"Temp_Count", "CASE WHEN %1.Type = 'T' THEN 1 ELSE 0 END"}}},
};

QString removedAt(const Counted& c) {
    return QString::number(c.removedAt);
}

// What one live item adds to a column, for the row named.
QString addsFor(const Column& column, const QString& row) {
    QString adds = QString::fromLatin1(column.adds);
    return adds.contains(QLatin1String("%1")) ? adds.arg(row) : adds;
}

// "a = a + x, b = b + y" for the row named by `row`, with the sign given.
QString adjustments(const Counted& c, const QString& row, const QString& sign) {
    QStringList parts;
    for (const Column& column : c.columns) {
        const QString name = QString::fromLatin1(column.name);
        parts << QStringLiteral("%1 = %1 %2 %3").arg(name, sign, addsFor(column, row));
    }
    return parts.join(QStringLiteral(", "));
}

// The same change, on a live item only (an expression per column that is
// nothing for a removed one), for the file's change trigger.
QString liveAdjustments(const Counted& c, const QString& row, const QString& sign) {
    QStringList parts;
    for (const Column& column : c.columns) {
        const QString name = QString::fromLatin1(column.name);
        parts << QStringLiteral("%1 = %1 %2 CASE WHEN %3.Loc_ID <> %4 THEN %5 ELSE 0 END")
                     .arg(name, sign, row, removedAt(c), addsFor(column, row));
    }
    return parts.join(QStringLiteral(", "));
}

QString changedCondition(const Counted& c, const QString& distinct) {
    QStringList parts;
    for (const QString& column :
         QString::fromLatin1(c.watched).split(QStringLiteral(", "), Qt::SkipEmptyParts))
        parts << QStringLiteral("old.%1 %2 new.%1").arg(column, distinct);
    return parts.join(QStringLiteral(" OR "));
}

const char* const When[] = {"Add", "Change", "Remove"};

// The products' live items counted from the items themselves: per product
// all its items less those in the removed location, the totals and the
// removed ones each read from an index where the engine has one.
const char* const CountedSql =
    "SELECT p.Prod_ID AS Prod_ID,"
    " coalesce(s.n, 0) - coalesce(rs.n, 0) AS Stock_Count,"
    " coalesce(l.n, 0) - coalesce(rl.n, 0) AS Licence_Count,"
    " coalesce(t.n, 0) AS Temp_Count"
    " FROM Products p"
    " LEFT JOIN (SELECT Prod_ID, count(*) AS n FROM Stock GROUP BY Prod_ID) s"
    "  ON s.Prod_ID = p.Prod_ID"
    " LEFT JOIN (SELECT Prod_ID, count(*) AS n FROM Stock WHERE Loc_ID = 5"
    "  GROUP BY Prod_ID) rs ON rs.Prod_ID = p.Prod_ID"
    " LEFT JOIN (SELECT Prod_ID, count(*) AS n FROM Licences GROUP BY Prod_ID) l"
    "  ON l.Prod_ID = p.Prod_ID"
    " LEFT JOIN (SELECT Prod_ID, count(*) AS n FROM Licences WHERE Loc_ID = 4"
    "  GROUP BY Prod_ID) rl ON rl.Prod_ID = p.Prod_ID"
    " LEFT JOIN (SELECT Prod_ID, count(*) AS n FROM Licences WHERE Type = 'T' AND Loc_ID <> 4"
    "  GROUP BY Prod_ID) t ON t.Prod_ID = p.Prod_ID";
static_assert(loc::RemovedStock == 5 && loc::RemovedLicences == 4,
              "the counting statement names the removed locations");

void fillFromItems(Database& db) {
    Query fill(db, QStringLiteral("INSERT INTO ProductCounts (Prod_ID, Stock_Count, "
                                  "Licence_Count, Temp_Count) ") +
                       QString::fromLatin1(CountedSql));
    fill.execute();
}

void addFileCounts(Database& db) {
    // Derived from the items: a file that has the table already (a copy
    // stamped with an older version, or the seeder's second call) gets it
    // made afresh. Table, column names and location ids are program
    // constants, not values.
    QString sql = QStringLiteral(
        "DROP TABLE IF EXISTS ProductCounts; CREATE TABLE ProductCounts ("
        "Prod_ID INTEGER PRIMARY KEY, Stock_Count INTEGER NOT NULL DEFAULT 0, "
        "Licence_Count INTEGER NOT NULL DEFAULT 0, Temp_Count INTEGER NOT NULL DEFAULT 0);"
        "DROP TRIGGER IF EXISTS trProductsCountRemove;"
        "CREATE TRIGGER trProductsCountRemove AFTER DELETE ON Products BEGIN "
        "DELETE FROM ProductCounts WHERE Prod_ID = old.Prod_ID; END;");
    for (const Counted& c : CountedTables) {
        const QString table = QString::fromLatin1(c.table);
        for (const char* when : When)
            sql += QStringLiteral("DROP TRIGGER IF EXISTS tr%1Count%2;")
                       .arg(table, QString::fromLatin1(when));
        // A product gets its row with its first live item. No conflict
        // clause: an outer statement's (INSERT OR REPLACE) would take its
        // place inside the trigger.
        const QString rowFor =
            QStringLiteral(
                "INSERT INTO ProductCounts (Prod_ID) SELECT new.Prod_ID WHERE new.Loc_ID <> %1 "
                "AND NOT EXISTS (SELECT 1 FROM ProductCounts WHERE Prod_ID = new.Prod_ID);")
                .arg(removedAt(c));
        sql += QStringLiteral("CREATE TRIGGER tr%1CountAdd AFTER INSERT ON %1 "
                              "WHEN new.Loc_ID <> %2 BEGIN %3"
                              "UPDATE ProductCounts SET %4 WHERE Prod_ID = new.Prod_ID; END;")
                   .arg(table, removedAt(c), rowFor,
                        adjustments(c, QStringLiteral("new"), QStringLiteral("+")));
        sql += QStringLiteral("CREATE TRIGGER tr%1CountChange AFTER UPDATE OF %2 ON %1 "
                              "WHEN %3 BEGIN "
                              "UPDATE ProductCounts SET %4 WHERE Prod_ID = old.Prod_ID; %5"
                              "UPDATE ProductCounts SET %6 WHERE Prod_ID = new.Prod_ID; END;")
                   .arg(table, QString::fromLatin1(c.watched),
                        changedCondition(c, QStringLiteral("IS NOT")),
                        liveAdjustments(c, QStringLiteral("old"), QStringLiteral("-")), rowFor,
                        liveAdjustments(c, QStringLiteral("new"), QStringLiteral("+")));
        sql += QStringLiteral("CREATE TRIGGER tr%1CountRemove AFTER DELETE ON %1 "
                              "WHEN old.Loc_ID <> %2 BEGIN "
                              "UPDATE ProductCounts SET %3 WHERE Prod_ID = old.Prod_ID; END;")
                   .arg(table, removedAt(c),
                        adjustments(c, QStringLiteral("old"), QStringLiteral("-")));
    }
    db.run(sql);
}

// The same table and triggers on the server: one trigger function per
// counted table, which its three triggers call; a product's row is made
// or added to in one statement.
void addServerCounts(Database& db) {
    QString sql = QStringLiteral(
        "DROP TABLE IF EXISTS ProductCounts; CREATE TABLE ProductCounts ("
        "Prod_ID bigint PRIMARY KEY, Stock_Count bigint NOT NULL DEFAULT 0, "
        "Licence_Count bigint NOT NULL DEFAULT 0, Temp_Count bigint NOT NULL DEFAULT 0);"
        "CREATE OR REPLACE FUNCTION count_products() RETURNS trigger LANGUAGE plpgsql AS "
        "$count$\nBEGIN\n  DELETE FROM ProductCounts WHERE Prod_ID = OLD.Prod_ID;\n"
        "  RETURN NULL;\nEND\n$count$;"
        "DROP TRIGGER IF EXISTS trProductsCountRemove ON Products;"
        "CREATE TRIGGER trProductsCountRemove AFTER DELETE ON Products FOR EACH ROW "
        "EXECUTE FUNCTION count_products();");
    for (const Counted& c : CountedTables) {
        const QString table = QString::fromLatin1(c.table);
        const QString function = QStringLiteral("count_%1").arg(table.toLower());
        QStringList names;
        QStringList adds;
        QStringList upserts;
        for (const Column& column : c.columns) {
            const QString name = QString::fromLatin1(column.name);
            names << name;
            adds << addsFor(column, QStringLiteral("NEW"));
            upserts << QStringLiteral("%1 = k.%1 + EXCLUDED.%1").arg(name);
        }
        sql += QStringLiteral(
                   "CREATE OR REPLACE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql AS $count$\n"
                   "BEGIN\n"
                   "  IF TG_OP <> 'INSERT' THEN\n"
                   "    IF OLD.Loc_ID <> %2 THEN\n"
                   "      UPDATE ProductCounts SET %3 WHERE Prod_ID = OLD.Prod_ID;\n"
                   "    END IF;\n"
                   "  END IF;\n"
                   "  IF TG_OP <> 'DELETE' THEN\n"
                   "    IF NEW.Loc_ID <> %2 THEN\n"
                   "      INSERT INTO ProductCounts AS k (Prod_ID, %4) VALUES (NEW.Prod_ID, %5)\n"
                   "      ON CONFLICT (Prod_ID) DO UPDATE SET %6;\n"
                   "    END IF;\n"
                   "  END IF;\n"
                   "  RETURN NULL;\n"
                   "END\n"
                   "$count$;")
                   .arg(function, removedAt(c),
                        adjustments(c, QStringLiteral("OLD"), QStringLiteral("-")),
                        names.join(QStringLiteral(", ")), adds.join(QStringLiteral(", ")),
                        upserts.join(QStringLiteral(", ")));
        for (const char* when : When)
            sql += QStringLiteral("DROP TRIGGER IF EXISTS tr%1Count%2 ON %1;")
                       .arg(table, QString::fromLatin1(when));
        sql += QStringLiteral("CREATE TRIGGER tr%1CountAdd AFTER INSERT ON %1 FOR EACH ROW "
                              "EXECUTE FUNCTION %2();"
                              "CREATE TRIGGER tr%1CountChange AFTER UPDATE OF %3 ON %1 FOR EACH "
                              "ROW WHEN (%4) EXECUTE FUNCTION %2();"
                              "CREATE TRIGGER tr%1CountRemove AFTER DELETE ON %1 FOR EACH ROW "
                              "EXECUTE FUNCTION %2();")
                   .arg(table, function, QString::fromLatin1(c.watched),
                        changedCondition(c, QStringLiteral("IS DISTINCT FROM")));
    }
    sql += grantsOnKeptCounts(QStringLiteral("ProductCounts"));
    db.runServerText(sql);
}

// A product whose kept counts (stock, licences, temporary licences) differ
// from those counted from its items; hasRow is false when it has no
// ProductCounts row at all.
struct Mismatch {
    std::int64_t prodId;
    std::int64_t kept[3];
    std::int64_t counted[3];
    bool hasRow;
    QString text() const {
        return QStringLiteral("product %1: kept %2 stock items, %3 licences (%4 temporary); "
                              "counted %5, %6 (%7)")
            .arg(prodId)
            .arg(kept[0])
            .arg(kept[1])
            .arg(kept[2])
            .arg(counted[0])
            .arg(counted[1])
            .arg(counted[2]);
    }
};

std::vector<Mismatch> mismatches(Database& db, int limit) {
    Query q(db, QStringLiteral("SELECT c.Prod_ID, c.Stock_Count, c.Licence_Count, c.Temp_Count, "
                               "k.Prod_ID AS Kept_ID, coalesce(k.Stock_Count, 0) AS Kept_Stock, "
                               "coalesce(k.Licence_Count, 0) AS Kept_Licences, "
                               "coalesce(k.Temp_Count, 0) AS Kept_Temp FROM (") +
                    QString::fromLatin1(CountedSql) +
                    QStringLiteral(") c LEFT JOIN ProductCounts k ON k.Prod_ID = c.Prod_ID "
                                   "WHERE c.Stock_Count <> coalesce(k.Stock_Count, 0) "
                                   "OR c.Licence_Count <> coalesce(k.Licence_Count, 0) "
                                   "OR c.Temp_Count <> coalesce(k.Temp_Count, 0) "
                                   "ORDER BY c.Prod_ID"));
    std::vector<Mismatch> out;
    while (q.next() && (limit < 0 || static_cast<int>(out.size()) < limit))
        out.push_back({q.integerAt(0),
                       {q.integerAt(5), q.integerAt(6), q.integerAt(7)},
                       {q.integerAt(1), q.integerAt(2), q.integerAt(3)},
                       !q.isNullAt(4)});
    return out;
}

} // namespace

QString grantsOnKeptCounts(const QString& table) {
    // A register migrated on a server that already has the roles
    // shell/RegisterRoles makes (the names are theirs) lets them at the new
    // table as at the others: an editor's item writes run its triggers, a
    // viewer's pages read it.
    return QStringLiteral("DO $$ BEGIN "
                          "IF EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'vemora_editor') THEN "
                          "GRANT SELECT, INSERT, UPDATE, DELETE ON %1 TO vemora_editor; END IF; "
                          "IF EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'vemora_viewer') THEN "
                          "GRANT SELECT ON %1 TO vemora_viewer; END IF; END $$;")
        .arg(table);
}

void addProductCounts(Database& db) {
    if (db.onServer())
        addServerCounts(db);
    else
        addFileCounts(db);
    // The triggers come first: on the server they hold off other writers
    // of the items until the counts made here are committed.
    fillFromItems(db);
}

void dropProductCounts(Database& db) {
    QString sql = db.onServer() ? QStringLiteral("DROP TRIGGER IF EXISTS trProductsCountRemove "
                                                 "ON Products;")
                                : QStringLiteral("DROP TRIGGER IF EXISTS trProductsCountRemove;");
    for (const Counted& c : CountedTables) {
        const QString table = QString::fromLatin1(c.table);
        for (const char* when : When)
            sql += QStringLiteral("DROP TRIGGER IF EXISTS tr%1Count%2%3;")
                       .arg(table, QString::fromLatin1(when),
                            db.onServer() ? QStringLiteral(" ON ") + table : QString());
    }
    sql += QStringLiteral("DROP TABLE IF EXISTS ProductCounts;");
    if (db.onServer())
        db.runServerText(sql);
    else
        db.run(sql);
}

QStringList productCountProblems(Database& db, int limit) {
    QStringList out;
    for (const Mismatch& m : mismatches(db, limit))
        out << m.text();
    return out;
}

QStringList recountKept(Database& db, const QString& table,
                        const std::function<QStringList()>& mend) {
    Transaction tx(db);
    // The table's name is a program constant.
    if (db.onServer())
        db.runServerText(QStringLiteral("LOCK TABLE %1 IN EXCLUSIVE MODE").arg(table));
    const QStringList mended = mend();
    tx.commit();
    return mended;
}

QStringList recountProducts(Database& db) {
    return recountKept(db, QStringLiteral("ProductCounts"), [&db] {
        QStringList mended;
        for (const Mismatch& m : mismatches(db, -1)) {
            if (m.hasRow)
                db.execute(QStringLiteral("UPDATE ProductCounts SET Stock_Count = ?, "
                                          "Licence_Count = ?, Temp_Count = ? WHERE Prod_ID = ?"),
                           m.counted[0], m.counted[1], m.counted[2], m.prodId);
            else
                db.execute(QStringLiteral("INSERT INTO ProductCounts (Prod_ID, Stock_Count, "
                                          "Licence_Count, Temp_Count) VALUES (?, ?, ?, ?)"),
                           m.prodId, m.counted[0], m.counted[1], m.counted[2]);
            mended << m.text();
        }
        return mended;
    });
}

} // namespace store
