#include "store/ExpiryCounts.h"

#include "store/Database.h"
#include "store/ProductCounts.h"
#include "store/StoreConstants.h"

#include <vector>

namespace store {

namespace {

static_assert(loc::RemovedLicences == 4, "the statements name the removed-licences location");

// The live licences of each date counted from the licences themselves,
// through the expiry index.
const char* const CountedSql = "SELECT Exp_Date, count(*) AS n FROM Licences "
                               "WHERE Exp_Date IS NOT NULL AND Loc_ID <> 4 GROUP BY Exp_Date";

void fillFromLicences(Database& db) {
    Query fill(db, QStringLiteral("INSERT INTO ExpiryCounts (Exp_Date, Licence_Count) ") +
                       QString::fromLatin1(CountedSql));
    fill.execute();
}

// Table and location ids in the texts below are program constants.
void addFileCounts(Database& db) {
    // A date gets its row with its first live licence. No conflict clause:
    // an outer statement's (INSERT OR REPLACE) would take its place inside
    // the trigger.
    const QString rowFor = QStringLiteral(
        "INSERT INTO ExpiryCounts (Exp_Date) SELECT new.Exp_Date WHERE new.Exp_Date IS NOT NULL "
        "AND new.Loc_ID <> 4 AND NOT EXISTS (SELECT 1 FROM ExpiryCounts WHERE Exp_Date = "
        "new.Exp_Date);");
    db.run(QStringLiteral(
               "CREATE TABLE ExpiryCounts (Exp_Date TEXT NOT NULL PRIMARY KEY, "
               "Licence_Count INTEGER NOT NULL DEFAULT 0);"
               "CREATE TRIGGER trLicencesExpiryCountAdd AFTER INSERT ON Licences "
               "WHEN new.Exp_Date IS NOT NULL AND new.Loc_ID <> 4 BEGIN %1"
               "UPDATE ExpiryCounts SET Licence_Count = Licence_Count + 1 "
               "WHERE Exp_Date = new.Exp_Date; END;"
               "CREATE TRIGGER trLicencesExpiryCountChange AFTER UPDATE OF Exp_Date, Loc_ID ON "
               "Licences WHEN old.Exp_Date IS NOT new.Exp_Date OR old.Loc_ID IS NOT new.Loc_ID "
               "BEGIN "
               "UPDATE ExpiryCounts SET Licence_Count = Licence_Count - 1 "
               "WHERE Exp_Date = old.Exp_Date AND old.Loc_ID <> 4; %1"
               "UPDATE ExpiryCounts SET Licence_Count = Licence_Count + 1 "
               "WHERE Exp_Date = new.Exp_Date AND new.Loc_ID <> 4; END;"
               "CREATE TRIGGER trLicencesExpiryCountRemove AFTER DELETE ON Licences "
               "WHEN old.Exp_Date IS NOT NULL AND old.Loc_ID <> 4 BEGIN "
               "UPDATE ExpiryCounts SET Licence_Count = Licence_Count - 1 "
               "WHERE Exp_Date = old.Exp_Date; END;")
               .arg(rowFor));
}

// The same on the server: one trigger function that the three triggers
// call; a date's row is made or added to in one statement.
void addServerCounts(Database& db) {
    db.runServerText(
        QStringLiteral(
            "CREATE TABLE ExpiryCounts ("
            "Exp_Date text NOT NULL PRIMARY KEY, Licence_Count bigint NOT NULL DEFAULT 0);"
            "CREATE OR REPLACE FUNCTION count_expiries() RETURNS trigger LANGUAGE plpgsql AS "
            "$count$\n"
            "BEGIN\n"
            "  IF TG_OP <> 'INSERT' THEN\n"
            "    IF OLD.Exp_Date IS NOT NULL AND OLD.Loc_ID <> 4 THEN\n"
            "      UPDATE ExpiryCounts SET Licence_Count = Licence_Count - 1\n"
            "      WHERE Exp_Date = OLD.Exp_Date;\n"
            "    END IF;\n"
            "  END IF;\n"
            "  IF TG_OP <> 'DELETE' THEN\n"
            "    IF NEW.Exp_Date IS NOT NULL AND NEW.Loc_ID <> 4 THEN\n"
            "      INSERT INTO ExpiryCounts AS k (Exp_Date, Licence_Count)\n"
            "      VALUES (NEW.Exp_Date, 1) ON CONFLICT (Exp_Date)\n"
            "      DO UPDATE SET Licence_Count = k.Licence_Count + 1;\n"
            "    END IF;\n"
            "  END IF;\n"
            "  RETURN NULL;\n"
            "END\n"
            "$count$;"
            "CREATE TRIGGER trLicencesExpiryCountAdd AFTER INSERT ON Licences FOR EACH ROW "
            "EXECUTE FUNCTION count_expiries();"
            "CREATE TRIGGER trLicencesExpiryCountChange AFTER UPDATE OF Exp_Date, Loc_ID ON "
            "Licences FOR EACH ROW WHEN (OLD.Exp_Date IS DISTINCT FROM NEW.Exp_Date OR "
            "OLD.Loc_ID IS DISTINCT FROM NEW.Loc_ID) EXECUTE FUNCTION count_expiries();"
            "CREATE TRIGGER trLicencesExpiryCountRemove AFTER DELETE ON Licences FOR EACH ROW "
            "EXECUTE FUNCTION count_expiries();") +
        grantsOnKeptCounts(QStringLiteral("ExpiryCounts")));
}

// A date whose kept count differs from the licences counted; hasRow is
// false when it has no ExpiryCounts row at all.
struct Mismatch {
    QString date;
    std::int64_t kept;
    std::int64_t counted;
    bool hasRow;
    QString text() const {
        return QStringLiteral("expiry date %1: kept %2, counted %3")
            .arg(date)
            .arg(kept)
            .arg(counted);
    }
};

std::vector<Mismatch> mismatches(Database& db, int limit) {
    // Dates with live licences, against what is kept for them; then kept
    // dates left with none.
    Query q(db, QStringLiteral("SELECT c.Exp_Date, coalesce(k.Licence_Count, 0) AS Kept, c.n, "
                               "k.Exp_Date AS Kept_Date FROM (") +
                    QString::fromLatin1(CountedSql) +
                    QStringLiteral(") c LEFT JOIN ExpiryCounts k ON k.Exp_Date = c.Exp_Date "
                                   "WHERE c.n <> coalesce(k.Licence_Count, 0) "
                                   "UNION ALL SELECT k.Exp_Date, k.Licence_Count, 0, k.Exp_Date "
                                   "FROM ExpiryCounts k WHERE k.Licence_Count <> 0 AND NOT "
                                   "EXISTS (SELECT 1 FROM Licences l WHERE l.Exp_Date = "
                                   "k.Exp_Date AND l.Loc_ID <> 4) ORDER BY 1"));
    std::vector<Mismatch> out;
    while (q.next() && (limit < 0 || static_cast<int>(out.size()) < limit))
        out.push_back({q.rawTextAt(0), q.integerAt(1), q.integerAt(2), !q.isNullAt(3)});
    return out;
}

} // namespace

void addExpiryCounts(Database& db) {
    // Made afresh when run again.
    dropExpiryCounts(db);
    if (db.onServer())
        addServerCounts(db);
    else
        addFileCounts(db);
    // The triggers come first: on the server they hold off other writers
    // of the licences until the counts made here are committed.
    fillFromLicences(db);
}

void dropExpiryCounts(Database& db) {
    const QString on = db.onServer() ? QStringLiteral(" ON Licences") : QString();
    const QString sql = QStringLiteral("DROP TRIGGER IF EXISTS trLicencesExpiryCountAdd%1;"
                                       "DROP TRIGGER IF EXISTS trLicencesExpiryCountChange%1;"
                                       "DROP TRIGGER IF EXISTS trLicencesExpiryCountRemove%1;"
                                       "DROP TABLE IF EXISTS ExpiryCounts;")
                            .arg(on);
    if (db.onServer())
        db.runServerText(sql);
    else
        db.run(sql);
}

QStringList expiryCountProblems(Database& db, int limit) {
    QStringList out;
    for (const Mismatch& m : mismatches(db, limit))
        out << m.text();
    return out;
}

QStringList recountExpiries(Database& db) {
    return recountKept(db, QStringLiteral("ExpiryCounts"), [&db] {
        QStringList mended;
        for (const Mismatch& m : mismatches(db, -1)) {
            if (m.hasRow)
                db.execute(
                    QStringLiteral("UPDATE ExpiryCounts SET Licence_Count = ? WHERE Exp_Date = ?"),
                    m.counted, m.date);
            else
                db.execute(QStringLiteral(
                               "INSERT INTO ExpiryCounts (Exp_Date, Licence_Count) VALUES (?, ?)"),
                           m.date, m.counted);
            mended << m.text();
        }
        return mended;
    });
}

} // namespace store
