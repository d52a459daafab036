#include "catalogue/clsCategories.h"
#include "store/Database.h"
#include "store/StoreConstants.h"
#include "support/ScriptedMessages.h"
#include "support/StatementLog.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

using common::MessageKind;

namespace {

class Categories : public ::testing::Test {
protected:
    QString descOf(int id) {
        return t.value(QStringLiteral("SELECT Cat_Desc FROM Categories WHERE Cat_ID = ?"), id)
            .value_or(QStringLiteral("<gone>"));
    }
    int count() { return t.count(QStringLiteral("Categories")); }

    testing_support::TestDatabase t;
    testing_support::ScriptedMessages messages;
    catalogue::clsCategories logic{t.db(), messages};
};

} // namespace

TEST_F(Categories, ListCountsProductsAndLiveItemsOnly) {
    const int office = t.addLocation(QStringLiteral("Office"), 1, 2, 1);
    const int pcs = t.addCategory(QStringLiteral("PCs"));
    const int empty = t.addCategory(QStringLiteral("audio"));
    const int a = t.addProduct(QStringLiteral("A"), QStringLiteral("Desktop"), pcs);
    t.addProduct(QStringLiteral("B"), QStringLiteral("Laptop"), pcs);
    t.addStock(QStringLiteral("S1"), a, office);
    t.addStock(QStringLiteral("S2"), a, store::loc::AvailableLocations);
    t.addStock(QStringLiteral("S3"), a, store::loc::RemovedStock);
    t.addLicence(QStringLiteral("K1"), a, office, store::LicenceNormal);
    t.addLicence(QStringLiteral("K2"), a, store::loc::RemovedLicences, store::LicenceTemporary);
    // A licence parked in the removed-stock location and stock in the
    // removed-licences one still count: each kind has its own removed place.
    t.addLicence(QStringLiteral("K3"), a, store::loc::RemovedStock, store::LicenceNormal);

    const common::ListRows expected = {
        {QStringLiteral("C%1").arg(empty), {"audio", "0", "0", "0"}},
        {QStringLiteral("C%1").arg(pcs), {"PCs", "2", "2", "2"}},
    };
    EXPECT_EQ(logic.FillListViewWithCats(), expected);
}

TEST_F(Categories, ListTakesOneStatementHoweverManyCategoriesAndProducts) {
    SKIP_ON_SERVER("counts statements with SQLite's trace hook");
    for (int c = 0; c < 5; ++c) {
        const int cat = t.addCategory(QStringLiteral("Cat %1").arg(c));
        for (int p = 0; p < 4; ++p)
            t.addStock(
                QStringLiteral("S%1-%2").arg(c).arg(p),
                t.addProduct(QStringLiteral("P%1-%2").arg(c).arg(p), QStringLiteral("D"), cat),
                store::loc::AvailableLocations);
    }
    testing_support::StatementLog counter(t.db());
    EXPECT_EQ(logic.FillListViewWithCats().size(), 5u);
    EXPECT_EQ(counter.count(), 1);
}

TEST_F(Categories, ChooserEntriesCarryTheirIds) {
    t.allowDuplicateTexts();
    const int b = t.addCategory(QStringLiteral("printers"));
    const int a = t.addCategory(QStringLiteral("Monitors"));
    const int b2 = t.addCategory(QStringLiteral("Printers"));
    const catalogue::Choices expected = {{a, "Monitors"}, {b, "printers"}, {b2, "Printers"}};
    EXPECT_EQ(logic.FillComboWithCats(), expected);
}

TEST_F(Categories, AddStoresTheDescriptionAsGivenOrRefusesIt) {
    t.addCategory(QStringLiteral("Printers"));
    struct Case {
        const char* typed;
        const char* stored;  // null: refused
        const char* message; // the refusal
    };
    const Case cases[] = {
        {"", nullptr, "Please enter a category"},
        {"    ", nullptr, "Please enter a category"},
        {"|", nullptr, "Please enter a valid category description"},
        {"Kit\tbox", nullptr, "Please enter a valid category description"},
        {"Printers", nullptr, "You may not create duplicate categorys"},
        {"  PRINTERS ", nullptr, "You may not create duplicate categorys"},
        {"  Scanners ", "Scanners", nullptr},
        {"O'Brien|s kit", nullptr, "Please enter a valid category description"},
        {"Manager's\r\nOffice", nullptr, "Please enter a valid category description"},
        // Blanks and line ends around the text are trimmed, as typed text is.
        {" Manager's Office\r\n", "Manager's Office", nullptr},
        {"12345678901234567890123456789012345678901234567890",
         "12345678901234567890123456789012345678901234567890", nullptr},
        {"123456789012345678901234567890123456789012345678901", nullptr,
         "Only 50 characters allowed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        messages.clear();
        const int before = count();
        const std::optional<int> id = logic.AddNewCategory(QString::fromLatin1(c.typed));
        if (c.stored) {
            ASSERT_TRUE(id.has_value());
            EXPECT_EQ(descOf(*id), QString::fromLatin1(c.stored));
            EXPECT_TRUE(messages.shown().empty());
        } else {
            EXPECT_FALSE(id.has_value());
            EXPECT_EQ(count(), before);
            ASSERT_EQ(messages.shown().size(), 1u);
            EXPECT_EQ(messages.shown()[0].kind, MessageKind::Refusal);
            EXPECT_EQ(messages.shown()[0].text, QString::fromLatin1(c.message));
        }
    }
}

TEST_F(Categories, RenameFindsTheRowByItsKey) {
    // Older data may hold the same description twice.
    t.allowDuplicateTexts();
    const int first = t.addCategory(QStringLiteral("printers"));
    const int twin = t.addCategory(QStringLiteral("Scanners"));
    t.db().execute(QStringLiteral("UPDATE Categories SET Cat_Desc = 'printers' WHERE Cat_ID = ?"),
                   twin);
    const int other = t.addCategory(QStringLiteral("Monitors"));

    struct Case {
        int id;
        const char* typed;
        const char* message; // null: renamed
    };
    const Case cases[] = {
        {first, "printers", "This category already exists"},
        {first, " printers  ", "This category already exists"},
        {first, "MONITORS", "This category already exists"},
        {first, "   ", "Please enter a category"},
        {other, "MONITORS", nullptr}, // its own name in other letter case
        {first, "Laser printers", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        messages.clear();
        const QString before = descOf(c.id);
        const bool renamed = logic.ModifyCategory(c.id, QString::fromLatin1(c.typed));
        EXPECT_EQ(renamed, c.message == nullptr);
        if (c.message) {
            EXPECT_EQ(messages.texts(), QStringList{QString::fromLatin1(c.message)});
            EXPECT_EQ(descOf(c.id), before);
        } else {
            EXPECT_TRUE(messages.shown().empty());
            EXPECT_EQ(descOf(c.id), QString::fromLatin1(c.typed).trimmed());
        }
    }
    EXPECT_EQ(descOf(twin), QStringLiteral("printers"));
}

TEST_F(Categories, RenameOfAVanishedCategoryIsAnInternalError) {
    EXPECT_FALSE(logic.ModifyCategory(999, QStringLiteral("Anything")));
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].kind, MessageKind::Failure);
    EXPECT_EQ(messages.shown()[0].text, QStringLiteral("Internal Error: Modfying category"));
}

TEST_F(Categories, DeleteRefusesACategoryWithProducts) {
    const int used = t.addCategory(QStringLiteral("PCs"));
    t.addProduct(QStringLiteral("A"), QStringLiteral("No stock at all"), used);
    const int unused = t.addCategory(QStringLiteral("Audio"));

    EXPECT_FALSE(logic.DeleteNewCategory(used));
    EXPECT_EQ(messages.texts(),
              QStringList{"You cannot delete a category with a product(s) tied to it."});
    EXPECT_EQ(descOf(used), QStringLiteral("PCs"));

    messages.clear();
    EXPECT_TRUE(logic.DeleteNewCategory(unused));
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_EQ(descOf(unused), QStringLiteral("<gone>"));

    EXPECT_FALSE(logic.DeleteNewCategory(unused));
    ASSERT_EQ(messages.texts(), QStringList{"Internal Error: Deleting category"});
    EXPECT_EQ(messages.shown()[0].kind, MessageKind::Failure);
}
