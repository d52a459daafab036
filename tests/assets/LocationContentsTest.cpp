#include "assets/clsStock.h"
#include "store/StoreConstants.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"
#include "support/TestHooks.h"

#include <gtest/gtest.h>

using common::ListRow;
using common::ListRows;

namespace {

// One location with a sub-location, two categories and four products whose
// descriptions sort differently from their codes and ids.
class LocationContents : public ::testing::Test {
protected:
    void SetUp() override {
        office = t.addLocation(QStringLiteral("Office"), 1, 2, 1);
        cupboard = t.addLocation(QStringLiteral("Cupboard"), office, 3, 1);
        const int pcs = t.addCategory(QStringLiteral("  PCs  "));
        const int soft = t.addCategory(QStringLiteral("Software"));
        zebra = t.addProduct(QStringLiteral("Z1"), QStringLiteral("Zebra printer"), pcs);
        apple = t.addProduct(QStringLiteral("A1"), QStringLiteral("apple desktop"), pcs);
        word = t.addProduct(QStringLiteral("W1"), QStringLiteral("Word"), soft);
        excel = t.addProduct(QStringLiteral("E1"), QStringLiteral("Excel"), soft);
        antivirus = t.addProduct(QStringLiteral("V1"), QStringLiteral("Antivirus"), soft);
    }

    testing_support::TestDatabase t;
    testing_support::ScriptedMessages messages;
    testing_support::TestHooks hooks;
    int office = 0, cupboard = 0;
    int zebra = 0, apple = 0, word = 0, excel = 0, antivirus = 0;
};

} // namespace

TEST_F(LocationContents, StockRowsCountItemsPerProductOrderedByDescription) {
    for (const char* code : {"S1", "S2", "S3"})
        t.addStock(QString::fromLatin1(code), zebra, office);
    t.addStock(QStringLiteral("S4"), apple, office);
    t.addStock(QStringLiteral("S5"), apple, cupboard); // in a sub-location: not counted
    t.addStock(QStringLiteral("S6"), zebra, store::loc::RemovedStock);

    assets::clsStock stock(t.db(), messages, hooks.clock);
    const auto contents = stock.FillStockListUsingLocation(office);
    const ListRows expected{
        {QStringLiteral("S%1").arg(apple), {"A1", "apple desktop", "PCs", "1"}},
        {QStringLiteral("S%1").arg(zebra), {"Z1", "Zebra printer", "PCs", "3"}},
    };
    EXPECT_EQ(contents.stock, expected);
    EXPECT_TRUE(contents.licences.empty());
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(LocationContents, LicenceRowsPutTemporaryOnlyProductsAfterTheOthers) {
    t.addLicence(QStringLiteral("K1"), word, office, store::LicenceNormal);
    t.addLicence(QStringLiteral("K2"), word, office, store::LicenceNormal);
    t.addLicence(QStringLiteral("K3"), word, office, store::LicenceTemporary);
    t.addLicence(QStringLiteral("K4"), excel, office, store::LicenceNormal);
    // Only temporary licences: after every product with normal ones, even
    // though its description sorts first.
    t.addLicence(QStringLiteral("K5"), antivirus, office, store::LicenceTemporary);
    t.addLicence(QStringLiteral("K6"), antivirus, cupboard, store::LicenceNormal);

    assets::clsStock stock(t.db(), messages, hooks.clock);
    const auto contents = stock.FillStockListUsingLocation(office);
    const ListRows expected{
        {QStringLiteral("L%1").arg(excel), {"E1", "Excel", "Software", "1", "0"}},
        {QStringLiteral("L%1").arg(word), {"W1", "Word", "Software", "2", "1"}},
        {QStringLiteral("L%1").arg(antivirus), {"V1", "Antivirus", "Software", "0", "1"}},
    };
    EXPECT_EQ(contents.licences, expected);
    EXPECT_TRUE(contents.stock.empty());
}

TEST_F(LocationContents, RootAndEmptyLocationsGiveEmptyLists) {
    t.addStock(QStringLiteral("S1"), zebra, cupboard);
    assets::clsStock stock(t.db(), messages, hooks.clock);
    for (int loc : {store::loc::None, office, store::loc::AvailableLocations}) {
        const auto contents = stock.FillStockListUsingLocation(loc);
        EXPECT_TRUE(contents.stock.empty()) << loc;
        EXPECT_TRUE(contents.licences.empty()) << loc;
    }
}
