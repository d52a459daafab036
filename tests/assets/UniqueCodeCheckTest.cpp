// Before a stock item or licence is stored, its code is looked for among
// the other items, letter case ignored. The look-up must be one search of
// the code's unique case-blind index, whatever the register's size, never
// a scan of the table comparing every code through the collation.

#include "assets/clsLicences.h"
#include "assets/clsStock.h"
#include "store/Database.h"
#include "store/StoreConstants.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"
#include "support/TestHooks.h"

#include <gtest/gtest.h>

TEST(UniqueCodeCheck, IsOneSearchOfTheCodesUniqueIndex) {
    SKIP_ON_SERVER("reads SQLite's query plans");
    testing_support::TestDatabase t;
    testing_support::ScriptedMessages messages;
    testing_support::TestHooks hooks;
    assets::clsStock stock(t.db(), messages, hooks.clock);
    assets::clsLicences licences(t.db(), messages, hooks.clock);
    const struct {
        QString sql;
        bool withOwnId;
        const char* index;
    } cases[] = {
        {stock.duplicateCheck(), false, "uxStockCode"},
        {stock.duplicateCheckOnModify(), true, "uxStockCode"},
        {licences.duplicateCheck(), false, "uxLicencesName"},
        {licences.duplicateCheckOnModify(), true, "uxLicencesName"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sql.toStdString());
        store::Query plan(t.db(), QStringLiteral("EXPLAIN QUERY PLAN ") + c.sql);
        plan.bind(1, QStringLiteral("abc-1"));
        if (c.withOwnId)
            plan.bind(2, 7);
        QStringList steps;
        while (plan.next())
            steps << plan.text(QStringLiteral("detail"));
        ASSERT_EQ(steps.size(), 1) << steps.join(u'|').toStdString();
        EXPECT_TRUE(steps[0].startsWith(QStringLiteral("SEARCH ")));
        EXPECT_TRUE(steps[0].contains(QStringLiteral("INDEX ") + QLatin1String(c.index) +
                                      QStringLiteral(" (")))
            << steps[0].toStdString();
    }
    // And the search finds the code in any letter case.
    const int product = t.addProduct(QStringLiteral("P-1"), QStringLiteral("Product"),
                                     t.addCategory(QStringLiteral("Category")));
    const int item = t.addStock(QStringLiteral("ABC-1"), product, store::loc::AvailableLocations);
    EXPECT_TRUE(t.db().exists(stock.duplicateCheck(), QStringLiteral("abc-1")));
    EXPECT_FALSE(t.db().exists(stock.duplicateCheckOnModify(), QStringLiteral("abc-1"), item));
}
