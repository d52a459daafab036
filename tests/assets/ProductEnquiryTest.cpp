#include "assets/clsStock.h"
#include "assets/clsStockLicenceHist.h"
#include "store/History.h"
#include "store/StoreConstants.h"

#include "support/QtPrinting.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"
#include "support/TestHooks.h"

#include <gtest/gtest.h>

using common::ListRow;

namespace {

// Two products with the same description; stock at two places, a normal and
// a temporary licence, and a parked item.
class ProductEnquiry : public ::testing::Test {
protected:
    ProductEnquiry() {
        office = t.addLocation(QStringLiteral("Office"), 1, 2, 1);
        lab = t.addLocation(QStringLiteral(" Lab "), 2, 2, 2);
        const int cat = t.addCategory(QStringLiteral("PCs"));
        pc = t.addProduct(QStringLiteral("P1"), QStringLiteral("Desk PC"), cat);
        twin = t.addProduct(QStringLiteral("P2"), QStringLiteral("Desk PC"), cat);
        t.db().execute(QStringLiteral("INSERT INTO Suppliers (Supp_Name) VALUES (' Acme ')"));
        acme = static_cast<int>(t.db().lastInsertId());
    }

    static QStringList shown(const common::ListRows& rows) {
        QStringList out;
        for (const ListRow& r : rows)
            out << r.key + QStringLiteral("|") + r.texts.join(QLatin1Char('|')) +
                       (r.flagged ? QStringLiteral("|red") : QString());
        return out;
    }

    testing_support::TestDatabase t;
    testing_support::ScriptedMessages messages;
    testing_support::TestHooks hooks;
    assets::clsStock stock{t.db(), messages, hooks.clock};
    int office = 0, lab = 0, pc = 0, twin = 0, acme = 0;
};

} // namespace

TEST_F(ProductEnquiry, ListsStockByCodeThenLicencesByKeyWithTemporaryOnesInRed) {
    const int b1 = t.addStock(QStringLiteral("B1"), pc, office);
    const int a7 = t.addStock(QStringLiteral("a7"), pc, store::loc::RemovedStock);
    t.db().execute(QStringLiteral("UPDATE Stock SET Supp_ID = ? WHERE Stock_ID = ?"), acme, b1);
    const int k9 = t.addLicence(QStringLiteral("K9"), pc, lab, store::LicenceTemporary);
    const int k1 =
        t.addLicence(QStringLiteral("K1"), pc, store::loc::AvailableLicences, store::LicenceNormal);
    t.addStock(QStringLiteral("A1"), twin, office); // the other "Desk PC"

    EXPECT_EQ(shown(stock.FillStockListUsingProduct(pc)),
              (QStringList{QStringLiteral("S%1|Removed Stock||a7 - (Stock)|").arg(a7),
                           QStringLiteral("S%1|Office|Acme|B1 - (Stock)|").arg(b1),
                           QStringLiteral("L%1|Available Licences||K1 - (Licence)|").arg(k1),
                           QStringLiteral("L%1|Lab||K9 - (Temp Licence)||red").arg(k9)}));
    EXPECT_EQ(stock.FillStockListUsingProduct(twin).size(), 1u);
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(ProductEnquiry, EachLicenceShowsItsExpiryDateAndExpiredOnesAreMarked) {
    const struct {
        const char* key;
        const char* stored; // nullptr: no date
        const char* shown;
    } cases[] = {
        {"A-YESTERDAY", "2026-12-09", "09/12/26 (expired)"},
        {"B-TODAY", "2026-12-10", "10/12/26"},
        {"C-LATER", "2027-02-01", "01/02/27"},
        {"D-LONG-AGO", "1999-05-31", "31/05/99 (expired)"},
        {"E-NONE", nullptr, ""},
    };
    for (const auto& c : cases) {
        const int id = t.addLicence(QString::fromLatin1(c.key), pc, office, store::LicenceNormal);
        t.db().execute(QStringLiteral("UPDATE Licences SET Exp_Date = ? WHERE Licence_ID = ?"),
                       c.stored ? std::optional<QString>(QString::fromLatin1(c.stored))
                                : std::optional<QString>(),
                       id);
    }
    const common::ListRows rows = stock.FillStockListUsingProduct(pc);
    ASSERT_EQ(rows.size(), std::size(cases));
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(cases[i].key);
        ASSERT_EQ(rows[i].texts.size(), 4);
        EXPECT_EQ(rows[i].texts.at(3), QString::fromLatin1(cases[i].shown));
    }
}

TEST_F(ProductEnquiry, HistoryIsTheItemsOwnOldestFirstAndInWrittenOrderWithinAStamp) {
    const int item = t.addStock(QStringLiteral("S1"), pc, office);
    // A licence with the same id as the stock item.
    t.db().execute(QStringLiteral("INSERT INTO Licences (Licence_ID, Licence_Name, Prod_ID, "
                                  "Loc_ID, Type) VALUES (?, 'KEY-1', ?, 2, 'N')"),
                   item, pc);
    const QDateTime at(QDate(2026, 3, 4), QTime(10, 15, 30));
    store::writeHistory(t.db(), item, store::HistoryStock, QStringLiteral("Office"), at);
    store::writeHistory(t.db(), item, store::HistoryStock, QStringLiteral("Removed Stock"), at);
    store::writeHistory(t.db(), item, store::HistoryStock, QStringLiteral("Lab"),
                        at.addSecs(-86400));
    store::writeHistory(t.db(), item, store::HistoryLicence, QStringLiteral("Available Licences"),
                        at);
    // A row of the stored form without milliseconds, as demo data has.
    t.db().execute(QStringLiteral("INSERT INTO StockHistory (Stock_Lic_ID, Loc_Desc, move_date, "
                                  "Type) VALUES (?, 'Store', "
                                  "'2025-12-31 23:59:59', 'S')"),
                   item);

    assets::clsStockLicenceHist history(t.db(), messages);
    const auto data = history.GetInitData(item, store::HistoryStock);
    ASSERT_TRUE(data.has_value());
    EXPECT_EQ(data->code, QStringLiteral("S1"));
    EXPECT_EQ(data->prodDesc, QStringLiteral("Desk PC"));
    // Who made each move: the connection's user; nobody for the row
    // written before that was recorded.
    const QString by = t.db().userName();
    EXPECT_EQ(
        shown(history.FillHistory(item, store::HistoryStock)),
        (QStringList{"Z1|31/12/25 23:59|Store|", "Z2|03/03/26 10:15|Lab|" + by,
                     "Z3|04/03/26 10:15|Office|" + by, "Z4|04/03/26 10:15|Removed Stock|" + by}));

    EXPECT_EQ(history.GetInitData(item, store::HistoryLicence)->code, QStringLiteral("KEY-1"));
    EXPECT_EQ(shown(history.FillHistory(item, store::HistoryLicence)),
              QStringList{"Z1|04/03/26 10:15|Available Licences|" + by});
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(ProductEnquiry, HistoryRowsOfOneStampKeepTheOrderTheyWereWrittenIn) {
    // An index that reads the stamps newest first (as another tool or a
    // later schema might add) makes the engine's own order of equal stamps
    // the reverse of the written one; only the written order may count.
    t.db().execute(QStringLiteral("CREATE INDEX ixHistoryStamp ON StockHistory "
                                  "(Stock_Lic_ID, Type, move_date DESC)"));
    const int item = t.addStock(QStringLiteral("S1"), pc, office);
    const QDateTime at(QDate(2026, 3, 4), QTime(10, 15, 30));
    const char* places[] = {"First", "Second", "Third"};
    for (const char* place : places)
        store::writeHistory(t.db(), item, store::HistoryStock, QString::fromLatin1(place), at);
    store::writeHistory(t.db(), item, store::HistoryStock, QStringLiteral("Earlier"),
                        at.addSecs(-60));
    assets::clsStockLicenceHist history(t.db(), messages);
    const QString by = t.db().userName();
    EXPECT_EQ(shown(history.FillHistory(item, store::HistoryStock)),
              (QStringList{"Z1|04/03/26 10:14|Earlier|" + by, "Z2|04/03/26 10:15|First|" + by,
                           "Z3|04/03/26 10:15|Second|" + by, "Z4|04/03/26 10:15|Third|" + by}));
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(ProductEnquiry, HistoryOfAnUnknownItemSaysSoAndShowsNothing) {
    assets::clsStockLicenceHist history(t.db(), messages);
    struct Case {
        QString type;
        QString message;
    };
    const Case cases[] = {
        {store::HistoryStock, "Internal Error: Getting stock code for 404"},
        {store::HistoryLicence, "Internal Error: Getting licence code for 404"},
        {QStringLiteral("X"), ""},
    };
    for (const Case& c : cases) {
        messages.clear();
        EXPECT_FALSE(history.GetInitData(404, c.type).has_value());
        EXPECT_EQ(messages.texts(), c.message.isEmpty() ? QStringList() : QStringList{c.message});
    }
    EXPECT_TRUE(history.FillHistory(404, QStringLiteral("X")).empty());
}
