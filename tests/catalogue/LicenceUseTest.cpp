// How many licences a product owns, and how many it has in use: the field
// as the product dialog stores it, the counts behind "LICENCES EXCEEDED !!"
// and the product list's "Owned" and "In use" columns.

#include "catalogue/clsProducts.h"
#include "store/Database.h"
#include "store/StoreConstants.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"
#include "support/TestHooks.h"

#include <gtest/gtest.h>

using catalogue::LicenceUse;
using catalogue::ProductField;
using catalogue::ProductFields;

namespace {

class LicenceUseTest : public ::testing::Test {
protected:
    std::optional<QString> storedOwned(int prodId) {
        return t.value(QStringLiteral("SELECT Prod_Owned FROM Products WHERE Prod_ID = ? AND "
                                      "Prod_Owned IS NOT NULL"),
                       prodId);
    }
    void setOwned(int prodId, std::optional<int> owned) {
        t.db().execute(QStringLiteral("UPDATE Products SET Prod_Owned = ? WHERE Prod_ID = ?"),
                       owned, prodId);
    }
    void addLicences(int prodId, int count, int location, const QString& type) {
        for (int i = 0; i < count; ++i)
            t.addLicence(QStringLiteral("K%1").arg(++keys_), prodId, location, type);
    }

    testing_support::TestDatabase t;
    testing_support::ScriptedMessages messages;
    testing_support::TestHooks hooks;
    catalogue::clsProducts logic{t.db(), messages, hooks.clock};
    int cat = t.addCategory(QStringLiteral("Software"));
    int office = t.addLocation(QStringLiteral("Office"), 1, 2, 1);

private:
    int keys_ = 0;
};

} // namespace

TEST_F(LicenceUseTest, TheOwnedFieldTakesDigitsFromNoneToAMillion) {
    struct Case {
        const char* typed;
        const char* stored; // nullptr: not tracked (null), or refused
        bool accepted;
    };
    const Case cases[] = {
        {"", nullptr, true},         {"   ", nullptr, true},           {"0", "0", true},
        {" 12 ", "12", true},        {"1000000", "1000000", true},     {"0001000", "1000", true},
        {"1000001", nullptr, false}, {"9999999", nullptr, false},      {"12345678", nullptr, false},
        {"-1", nullptr, false},      {"1.5", nullptr, false},          {"12a", nullptr, false},
        {"1 2", nullptr, false},     {"\u0661\u0662", nullptr, false}, // digits of another script
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        messages.clear();
        const ProductFields fields{
            QStringLiteral("C%1").arg(++n), QStringLiteral("Desc"), cat, "", std::nullopt,
            QString::fromUtf8(c.typed)};
        const catalogue::ProductSave saved = logic.AddNewProduct(fields);
        EXPECT_EQ(saved.prodId.has_value(), c.accepted);
        if (!c.accepted) {
            EXPECT_EQ(saved.refused, ProductField::Owned);
            EXPECT_EQ(messages.texts(), QStringList{catalogue::LicencesOwnedRefusal});
            continue;
        }
        EXPECT_TRUE(messages.shown().empty());
        const std::optional<QString> owned = storedOwned(*saved.prodId);
        EXPECT_EQ(owned.has_value(), c.stored != nullptr);
        if (c.stored) {
            EXPECT_EQ(*owned, QString::fromLatin1(c.stored));
        }
        // The dialog loads it back as digits, or empty for not tracked.
        const auto details = logic.FillProdFormWithDets(*saved.prodId);
        ASSERT_TRUE(details.has_value());
        EXPECT_EQ(details->owned, c.stored ? QString::fromLatin1(c.stored) : QString());
    }
}

TEST_F(LicenceUseTest, ModifyingSetsAndClearsTheNumberOwned) {
    const int p = t.addProduct(QStringLiteral("P1"), QStringLiteral("Office suite"), cat);
    EXPECT_FALSE(storedOwned(p).has_value());
    ASSERT_TRUE(logic.ModifyProduct(p, {"P1", "Office suite", cat, "", std::nullopt, "25"}).prodId);
    EXPECT_EQ(storedOwned(p), std::optional<QString>(QStringLiteral("25")));
    ASSERT_TRUE(logic.ModifyProduct(p, {"P1", "Office suite", cat, "", std::nullopt, ""}).prodId);
    EXPECT_FALSE(storedOwned(p).has_value());
}

TEST_F(LicenceUseTest, ExceededExactlyWhenTrackedAndMoreInUseThanOwned) {
    struct Case {
        const char* name;
        std::optional<int> owned;
        int normal, temporary, removed;
        bool exceeded;
        int inUse, temp;
        const char* summary;
    };
    const Case cases[] = {
        {"not tracked, many in use", std::nullopt, 5, 1, 0, false, 6, 1, ""},
        {"owned 0, none in use", 0, 0, 0, 0, false, 0, 0, "In use 0 of 0 owned (0 temporary)"},
        {"owned 0, one in use", 0, 1, 0, 0, true, 1, 0, "In use 1 of 0 owned (0 temporary)"},
        {"as many in use as owned", 3, 3, 0, 0, false, 3, 0, "In use 3 of 3 owned (0 temporary)"},
        {"one over", 3, 4, 0, 0, true, 4, 0, "In use 4 of 3 owned (0 temporary)"},
        {"temporary ones count as in use", 3, 2, 2, 0, true, 4, 2,
         "In use 4 of 3 owned (2 temporary)"},
        {"temporary ones alone", 1, 0, 2, 0, true, 2, 2, "In use 2 of 1 owned (2 temporary)"},
        {"removed ones are not counted", 3, 3, 0, 2, false, 3, 0,
         "In use 3 of 3 owned (0 temporary)"},
        {"the example", 10, 10, 2, 1, true, 12, 2, "In use 12 of 10 owned (2 temporary)"},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int p = t.addProduct(QStringLiteral("P%1").arg(++n), QStringLiteral("Suite"), cat);
        // Another product's licences never count here.
        const int other = t.addProduct(QStringLiteral("O%1").arg(n), QStringLiteral("Other"), cat);
        addLicences(other, 2, office, store::LicenceNormal);
        setOwned(p, c.owned);
        addLicences(p, c.normal, office, store::LicenceNormal);
        addLicences(p, c.temporary, store::loc::AvailableLicences, store::LicenceTemporary);
        addLicences(p, c.removed, store::loc::RemovedLicences, store::LicenceNormal);

        const std::optional<LicenceUse> use = logic.LicenceUseOf(p);
        ASSERT_TRUE(use.has_value());
        EXPECT_EQ(use->owned, c.owned);
        EXPECT_EQ(use->inUse, c.inUse);
        EXPECT_EQ(use->temporary, c.temp);
        EXPECT_EQ(use->exceeded(), c.exceeded);
        EXPECT_EQ(use->summary(), QString::fromLatin1(c.summary));
    }
    EXPECT_FALSE(logic.LicenceUseOf(9999).has_value());
}

TEST_F(LicenceUseTest, TheProductListShowsOwnedAndInUseForLicenceProducts) {
    const int tracked = t.addProduct(QStringLiteral("A"), QStringLiteral("A tracked"), cat);
    const int untracked = t.addProduct(QStringLiteral("B"), QStringLiteral("B untracked"), cat);
    const int stockOnly = t.addProduct(QStringLiteral("C"), QStringLiteral("C stock"), cat);
    const int trackedUnused = t.addProduct(QStringLiteral("D"), QStringLiteral("D unused"), cat);
    setOwned(tracked, 10);
    setOwned(trackedUnused, 0);
    addLicences(tracked, 11, office, store::LicenceNormal);
    addLicences(tracked, 1, office, store::LicenceTemporary);
    addLicences(tracked, 3, store::loc::RemovedLicences, store::LicenceNormal);
    addLicences(untracked, 2, office, store::LicenceTemporary);
    t.addStock(QStringLiteral("S1"), stockOnly, 1);

    const auto rows = logic.FillListViewWithProds(cat, QStringLiteral("Software"));
    ASSERT_TRUE(rows.has_value());
    const common::ListRows expected = {
        {QStringLiteral("P%1").arg(tracked), {"A", "A tracked", "0", "11", "1", "10", "12"}},
        {QStringLiteral("P%1").arg(untracked), {"B", "B untracked", "0", "0", "2", "", "2"}},
        {QStringLiteral("P%1").arg(stockOnly), {"C", "C stock", "1", "0", "0", "", ""}},
        {QStringLiteral("P%1").arg(trackedUnused), {"D", "D unused", "0", "0", "0", "0", "0"}},
    };
    EXPECT_EQ(*rows, expected);
}

TEST_F(LicenceUseTest, TheRegisterRefusesANegativeNumberOwned) {
    const int p = t.addProduct(QStringLiteral("P1"), QStringLiteral("Suite"), cat);
    EXPECT_THROW(setOwned(p, -1), store::DbError);
}
