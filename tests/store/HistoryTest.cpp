#include "store/History.h"
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
