#include "store/History.h"
#include "store/Schema.h"
#include "store/StoreConstants.h"

#include "support/QtPrinting.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

namespace {

QStringList rowsOf(store::Database& db, int itemId, const QString& type) {
    store::Query q(db, QStringLiteral("SELECT Loc_Desc, move_date FROM StockHistory WHERE "
                                      "Type = ? AND Stock_Lic_ID = ? ORDER BY move_date, rowid"));
    q.bindAll(type, itemId);
    QStringList out;
    while (q.next())
        out << q.rawText(QStringLiteral("Loc_Desc")) + QStringLiteral(" @ ") +
                   q.rawText(QStringLiteral("move_date"));
    return out;
}

} // namespace

TEST(History, RowsKeepTheirOrderWithinOneSecondAndStayWithTheirKindOfItem) {
    testing_support::TestDatabase t;
    const QDateTime at(QDate(2026, 12, 10), QTime(9, 30, 0, 5));
    // A stock item and a licence may share an id.
    EXPECT_EQ(store::writeHistory(t.db(), 7, store::HistoryStock, QStringLiteral(" Office "), at),
              1);
    EXPECT_EQ(store::writeHistory(t.db(), 7, store::HistoryStock, QStringLiteral("Store"),
                                  at.addMSecs(20)),
              1);
    EXPECT_EQ(store::writeHistory(t.db(), 7, store::HistoryLicence, QStringLiteral("Pool"),
                                  at.addMSecs(-1000)),
              1);
    EXPECT_EQ(rowsOf(t.db(), 7, store::HistoryStock),
              (QStringList{"Office @ 2026-12-10 09:30:00.005", "Store @ 2026-12-10 09:30:00.025"}));
    EXPECT_EQ(rowsOf(t.db(), 7, store::HistoryLicence),
              QStringList{"Pool @ 2026-12-10 09:29:59.005"});

    EXPECT_EQ(store::deleteHistory(t.db(), 7, store::HistoryStock), 2);
    EXPECT_TRUE(rowsOf(t.db(), 7, store::HistoryStock).isEmpty());
    EXPECT_EQ(rowsOf(t.db(), 7, store::HistoryLicence).size(), 1);
}

TEST(History, EachRowNamesTheConnectionsUser) {
    testing_support::TestDatabase t;
    const QString user = t.db().userName();
    // The server's login or the system's user: never nobody.
    EXPECT_FALSE(user.isEmpty());
    store::writeHistory(t.db(), 3, store::HistoryStock, QStringLiteral("Office"),
                        QDateTime(QDate(2026, 12, 10), QTime(9, 30)));
    store::Query q(t.db(), QStringLiteral("SELECT Moved_By FROM StockHistory WHERE "
                                          "Stock_Lic_ID = 3"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.rawText(QStringLiteral("Moved_By")), user);
    if (t.db().onServer()) {
        store::Query login(t.db(), QStringLiteral("SELECT session_user AS who"));
        ASSERT_TRUE(login.next());
        EXPECT_EQ(user, login.text(QStringLiteral("who")));
    } else {
        EXPECT_EQ(user, qEnvironmentVariable("USER", user));
    }
}

TEST(History, ARegisterOnAServerFromBeforeWhoWasRecordedGainsItWithOldRowsEmpty) {
    NEEDS_SERVER();
    testing_support::TestDatabase t;
    // The register as the version before the history's author left it (the
    // report order indexes, the kept product and expiry counts and the
    // products' order index of the versions after it stay: their migrations
    // keep the indexes a register already has and make the counts afresh).
    const int before = 5;
    t.db().run(QStringLiteral("ALTER TABLE StockHistory DROP COLUMN Moved_By"));
    t.db().setUserVersion(before);
    t.db().execute(QStringLiteral("INSERT INTO StockHistory (Stock_Lic_ID, Loc_Desc, move_date, "
                                  "Type) VALUES (1, 'Office', '2026-01-02 03:04:05', 'S')"));
    EXPECT_EQ(store::checkSchema(t.db()), before);
    EXPECT_EQ(t.db().userVersion(), store::SchemaVersion);
    EXPECT_EQ(t.value(QStringLiteral("SELECT Moved_By FROM StockHistory")), QString());
    store::writeHistory(t.db(), 2, store::HistoryStock, QStringLiteral("Lab"),
                        QDateTime(QDate(2026, 12, 10), QTime(9, 30)));
    EXPECT_EQ(t.value(QStringLiteral("SELECT Moved_By FROM StockHistory WHERE Stock_Lic_ID = 2")),
              t.db().userName());
}
