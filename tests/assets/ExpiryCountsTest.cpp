// The live licences of each expiry date, kept counted by the store: whatever
// writes the licences, the start-up notice counts what the licences
// themselves give, the check finds a wrong count and recount mends it, and
// a register of the version before the counts gets them from its migration.

#include "store/ExpiryCounts.h"
#include "assets/clsLicenceExpiry.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "store/StoreConstants.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"
#include "support/TestHooks.h"

#include <gtest/gtest.h>

namespace {

// Licences dated in the past, within the notice's period, later, without a
// date and with an empty one, in use and removed. The clock's day is
// 2026-12-10.
class ExpiryCounts : public ::testing::Test {
protected:
    void SetUp() override {
        const struct {
            const char* key;
            int location;
            const char* expiry;
        } licences[] = {
            {"PAST-1", office, "2025-03-01"},     {"PAST-2", office, "2025-03-01"},
            {"PAST-3", lab, "2026-12-09"},        {"SOON-1", office, "2026-12-10"},
            {"SOON-2", lab, "2027-01-09"},        {"LATER", office, "2027-06-01"},
            {"NO-DATE", office, nullptr},         {"EMPTY", office, ""},
            {"GONE-PAST", removed, "2025-03-01"}, {"GONE-SOON", removed, "2026-12-12"},
        };
        for (const auto& l : licences) {
            const int id =
                t.addLicence(QString::fromLatin1(l.key), prod, l.location, store::LicenceNormal);
            setDate(id, l.expiry);
        }
    }

    void setDate(int id, const char* expiry) {
        t.db().execute(QStringLiteral("UPDATE Licences SET Exp_Date = ? WHERE Licence_ID = ?"),
                       expiry ? std::optional<QString>(QString::fromLatin1(expiry))
                              : std::optional<QString>(),
                       id);
    }
    int idOf(const char* key) {
        return t
            .value(QStringLiteral("SELECT Licence_ID FROM Licences WHERE Licence_Name = ?"),
                   QString::fromLatin1(key))
            .value_or(QStringLiteral("0"))
            .toInt();
    }

    // The notice's counts from the licences themselves.
    std::pair<int, int> countedFromLicences() {
        const auto count = [this](const char* where) {
            return t
                .value(QStringLiteral("SELECT count(*) FROM Licences WHERE Loc_ID <> 4 AND "
                                      "Exp_Date <> '' AND ") +
                       QString::fromLatin1(where))
                .value_or(QStringLiteral("-1"))
                .toInt();
        };
        return {count("Exp_Date >= '2026-12-10' AND Exp_Date <= '2027-01-09'"),
                count("Exp_Date < '2026-12-10'")};
    }

    // The notice counts what the licences give, and the check agrees.
    void expectNoticeMatchesTheLicences() {
        const assets::ExpiryCounts counts = logic.StartUpCounts(30);
        EXPECT_EQ(std::make_pair(counts.soon, counts.expired), countedFromLicences());
        EXPECT_EQ(store::expiryCountProblems(t.db(), -1), QStringList());
    }

    testing_support::TestDatabase t;
    testing_support::ScriptedMessages messages;
    testing_support::TestHooks hooks;
    assets::clsLicenceExpiry logic{t.db(), messages, hooks.clock};
    int prod = t.addProduct(QStringLiteral("OFF"), QStringLiteral("Office suite"),
                            t.addCategory(QStringLiteral("Software")));
    int office = t.addLocation(QStringLiteral("Office"), store::loc::AvailableLicences, 2,
                               store::loc::AvailableLicences);
    int lab = t.addLocation(QStringLiteral("Lab"), store::loc::AvailableLicences, 2,
                            store::loc::AvailableLicences);
    int removed = store::loc::RemovedLicences;
};

} // namespace

TEST_F(ExpiryCounts, EveryKindOfWriteKeepsTheNoticesCountsRight) {
    const assets::ExpiryCounts first = logic.StartUpCounts(30);
    EXPECT_EQ(first.soon, 2);
    EXPECT_EQ(first.expired, 3);
    expectNoticeMatchesTheLicences();

    struct Write {
        const char* name;
        QString sql;
        const char* key;
    };
    const Write writes[] = {
        {"a date moved into the period", QStringLiteral("Exp_Date = '2026-12-20'"), "LATER"},
        {"a date moved onto another's", QStringLiteral("Exp_Date = '2025-03-01'"), "SOON-1"},
        {"a date taken away", QStringLiteral("Exp_Date = NULL"), "PAST-1"},
        {"a date given", QStringLiteral("Exp_Date = '2026-01-01'"), "NO-DATE"},
        {"an empty date given", QStringLiteral("Exp_Date = '2026-12-31'"), "EMPTY"},
        {"removed", QStringLiteral("Loc_ID = 4"), "PAST-2"},
        {"back in use", QStringLiteral("Loc_ID = 2"), "GONE-SOON"},
        {"moved between places in use", QStringLiteral("Loc_ID = 2"), "PAST-3"},
        {"removed with a new date", QStringLiteral("Loc_ID = 4, Exp_Date = '2026-12-11'"),
         "SOON-2"},
        {"another column only", QStringLiteral("Licence_Name = 'RENAMED'"), "GONE-PAST"},
    };
    for (const Write& w : writes) {
        SCOPED_TRACE(w.name);
        EXPECT_EQ(t.db().execute(
                      QStringLiteral("UPDATE Licences SET %1 WHERE Licence_Name = ?").arg(w.sql),
                      QString::fromLatin1(w.key)),
                  1);
        expectNoticeMatchesTheLicences();
    }
    for (const char* key : {"LATER", "RENAMED", "NO-DATE"}) {
        SCOPED_TRACE(key);
        t.db().execute(QStringLiteral("DELETE FROM Licences WHERE Licence_Name = ?"),
                       QString::fromLatin1(key));
        expectNoticeMatchesTheLicences();
    }
}

TEST_F(ExpiryCounts, AWrongKeptCountIsFoundAndMended) {
    t.db().execute(
        QStringLiteral("UPDATE ExpiryCounts SET Licence_Count = 7 WHERE Exp_Date = '2025-03-01'"));
    t.db().execute(QStringLiteral("DELETE FROM ExpiryCounts WHERE Exp_Date = '2027-01-09'"));
    t.db().execute(QStringLiteral(
        "INSERT INTO ExpiryCounts (Exp_Date, Licence_Count) VALUES ('2030-01-01', 2)"));
    const QStringList wrong = {
        QStringLiteral("expiry date 2025-03-01: kept 7, counted 2"),
        QStringLiteral("expiry date 2027-01-09: kept 0, counted 1"),
        QStringLiteral("expiry date 2030-01-01: kept 2, counted 0"),
    };
    EXPECT_EQ(store::expiryCountProblems(t.db(), -1), wrong);
    EXPECT_EQ(store::expiryCountProblems(t.db(), 1), wrong.mid(0, 1));
    // The notice reads what is kept: seven and one expired, none of the
    // second soon date.
    EXPECT_EQ(logic.StartUpCounts(30).expired, 8);
    EXPECT_EQ(logic.StartUpCounts(30).soon, 1);
    EXPECT_EQ(store::recountExpiries(t.db()), wrong);
    expectNoticeMatchesTheLicences();
    EXPECT_EQ(store::recountExpiries(t.db()), QStringList());
}

TEST_F(ExpiryCounts, ARegisterOfVersion9IsCountedByItsMigration) {
    store::dropExpiryCounts(t.db());
    t.db().setUserVersion(9);
    setDate(idOf("LATER"), "2026-12-01");
    EXPECT_EQ(store::checkSchema(t.db()), 9);
    EXPECT_EQ(t.db().userVersion(), store::SchemaVersion);
    expectNoticeMatchesTheLicences();
    EXPECT_EQ(logic.StartUpCounts(30).expired, 4);
    // The triggers came with it: later writes are counted too.
    setDate(idOf("SOON-1"), "2026-11-30");
    expectNoticeMatchesTheLicences();
    EXPECT_EQ(logic.StartUpCounts(30).expired, 5);
}
