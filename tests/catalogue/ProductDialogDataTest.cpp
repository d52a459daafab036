#include "catalogue/clsProducts.h"
#include "common/Clock.h"
#include "store/Database.h"
#include "store/StoreConstants.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"
#include "support/TestHooks.h"

#include <gtest/gtest.h>

using common::MessageKind;

namespace {

class ProductDialogData : public ::testing::Test {
protected:
    void SetUp() override {
        cat = t.addCategory(QStringLiteral("PCs"));
        office = t.addLocation(QStringLiteral("  Office  "), 1, 2, 1);
        prod = t.addProduct(QStringLiteral("D1"), QStringLiteral(" Desktop "), cat);
    }

    testing_support::TestDatabase t;
    testing_support::ScriptedMessages messages;
    testing_support::TestHooks hooks;
    catalogue::clsProducts logic{t.db(), messages, hooks.clock};
    int cat = 0, office = 0, prod = 0;
};

} // namespace

TEST_F(ProductDialogData, DetailsCarryTheCostAsZeroPointTwoDecimalsAndTheSupplier) {
    t.db().execute(QStringLiteral("INSERT INTO Suppliers (Supp_Name) VALUES (' Acme ')"));
    const int supp = static_cast<int>(t.db().lastInsertId());
    t.db().execute(QStringLiteral("UPDATE Products SET Supp_ID = ?, Prod_Cost = 123456, "
                                  "Date_Added = '2026-01-02 03:04:05' WHERE Prod_ID = ?"),
                   supp, prod);
    const auto d = logic.FillProdFormWithDets(prod);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->code, QStringLiteral("D1"));
    EXPECT_EQ(d->desc, QStringLiteral("Desktop"));
    EXPECT_EQ(d->cost, QStringLiteral("1234.56"));
    EXPECT_EQ(d->suppId, supp);
    EXPECT_EQ(d->suppName, QStringLiteral("Acme"));
    EXPECT_EQ(d->catId, cat);
    EXPECT_EQ(d->dateAdded, QDate(2026, 1, 2));
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(ProductDialogData, AProductWithoutSupplierShowsNoNameAndNoMessage) {
    const auto d = logic.FillProdFormWithDets(prod);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->cost, QStringLiteral("0.00"));
    EXPECT_FALSE(d->suppId);
    EXPECT_TRUE(d->suppName.isEmpty());
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(ProductDialogData, AMissingProductIsAnInternalError) {
    EXPECT_FALSE(logic.FillProdFormWithDets(prod + 100));
    ASSERT_EQ(messages.texts(), QStringList{"Internal Error: selecting product"});
    EXPECT_EQ(messages.shown()[0].kind, MessageKind::Failure);
}

TEST_F(ProductDialogData, StockAndLicenceListsShowRemovedItemsToo) {
    const int s1 = t.addStock(QStringLiteral(" PC1 "), prod, office);
    const int s2 = t.addStock(QStringLiteral("PC2"), prod, store::loc::RemovedStock);
    const int l1 = t.addLicence(QStringLiteral("K-1"), prod, store::loc::AvailableLicences,
                                store::LicenceNormal);
    const int l2 = t.addLicence(QStringLiteral("K-2"), prod, store::loc::RemovedLicences,
                                store::LicenceTemporary);
    const common::ListRows stock = logic.FillStockListView(prod);
    ASSERT_EQ(stock.size(), 2u);
    EXPECT_EQ(stock[0], (common::ListRow{QStringLiteral("S%1").arg(s1), {"PC1", "Office"}}));
    EXPECT_EQ(stock[1].key, QStringLiteral("S%1").arg(s2));
    EXPECT_FALSE(stock[1].texts[1].isEmpty()); // the removed-stock location's description

    const common::ListRows licences = logic.FillLicenceListView(prod);
    ASSERT_EQ(licences.size(), 2u);
    EXPECT_EQ(licences[0].key, QStringLiteral("L%1").arg(l1));
    EXPECT_EQ(licences[0].texts[0], QStringLiteral("K-1"));
    EXPECT_EQ(licences[0].texts[2], QStringLiteral("NORM"));
    EXPECT_EQ(licences[1].key, QStringLiteral("L%1").arg(l2));
    EXPECT_EQ(licences[1].texts[2], QStringLiteral("TEMP"));
}
