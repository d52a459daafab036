#include "assets/AssetRecords.h"
#include "store/Database.h"

#include "support/TestDatabase.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

// The item dialogs' product list: every product by description in the
// register's text order (case-blind, an accented letter beside its base
// letter), descriptions alike in all but letter case by id.
TEST(ProductChoices, EveryProductInTheTextOrderTiesById) {
    testing_support::TestDatabase t;
    const int cat = t.addCategory(QStringLiteral("Hardware"));
    // Added out of order; the ids decide between "laptop" and "Laptop".
    const struct {
        const char* code;
        const char* desc;
    } added[] = {
        {"Z1", "Zone"},  {"L2", "laptop"}, {"E1", "Ecoles"}, {"L1", "Laptop"},
        {"E2", "École"}, {"E3", "Ecole"},  {"L3", "LAPTOP"}, {"A1", "adapter"},
    };
    std::vector<int> ids;
    for (const auto& p : added)
        ids.push_back(t.addProduct(QLatin1String(p.code), QString::fromUtf8(p.desc), cat));

    const catalogue::Choices choices = assets::productChoices(t.db());
    QStringList shown;
    std::vector<int> order;
    for (const auto& c : choices) {
        shown << c.text;
        order.push_back(c.id);
    }
    EXPECT_EQ(shown, (QStringList{"adapter", "Ecole", QString::fromUtf8("École"), "Ecoles",
                                  "laptop", "Laptop", "LAPTOP", "Zone"}));
    EXPECT_EQ(order,
              (std::vector<int>{ids[7], ids[5], ids[4], ids[2], ids[1], ids[3], ids[6], ids[0]}));
}

// On the file the engine walks an index in the list's order rather than
// sorting every product through the collation.
TEST(ProductChoices, AreReadInOrderFromAnIndex) {
    SKIP_ON_SERVER("reads SQLite's query plans");
    testing_support::TestDatabase t;
    store::Query q(t.db(), QStringLiteral("EXPLAIN QUERY PLAN SELECT Prod_ID, Prod_Desc FROM "
                                          "Products ORDER BY Prod_Desc COLLATE UNICASE, Prod_ID"));
    QStringList plan;
    while (q.next())
        plan << q.text(QStringLiteral("detail"));
    EXPECT_FALSE(plan.join('|').contains(QStringLiteral("TEMP B-TREE")))
        << plan.join('|').toStdString();
    EXPECT_TRUE(plan.join('|').contains(QStringLiteral("ixProductsDescOrder")))
        << plan.join('|').toStdString();
}

} // namespace
