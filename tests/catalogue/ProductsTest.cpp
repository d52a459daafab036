#include "catalogue/clsProducts.h"
#include "common/Clock.h"
#include "store/Database.h"
#include "store/StoreConstants.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"
#include "support/TestHooks.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <vector>

using catalogue::ProductField;
using catalogue::ProductFields;
using common::MessageKind;

namespace {

class Products : public ::testing::Test {
protected:
    struct Stored {
        QString code, desc;
        int catId = 0;
        std::int64_t cents = 0;
        bool noSupplier = false;
        QString added;
    };
    std::optional<Stored> stored(int id) {
        store::Query q(t.db(), QStringLiteral("SELECT * FROM Products WHERE Prod_ID = ?"));
        q.bindAll(id);
        if (!q.next())
            return std::nullopt;
        return Stored{q.rawText(QStringLiteral("Prod_Code")),
                      q.rawText(QStringLiteral("Prod_Desc")),
                      static_cast<int>(q.integer(QStringLiteral("Prod_Cat_ID"))),
                      q.integer(QStringLiteral("Prod_Cost")),
                      q.isNull(QStringLiteral("Supp_ID")),
                      q.rawText(QStringLiteral("Date_Added"))};
    }
    int rows(const QString& table) { return t.count(table); }
    void addHistory(int itemId, const QString& type) {
        t.db().execute(QStringLiteral("INSERT INTO StockHistory (Stock_Lic_ID, Loc_Desc, "
                                      "move_date, Type) VALUES (?, 'Somewhere', '2026-01-01', ?)"),
                       itemId, type);
    }
    ProductFields fields(const char* code, const char* desc, const char* cost = "") {
        return {QString::fromLatin1(code),
                QString::fromLatin1(desc),
                cat,
                QString::fromLatin1(cost),
                std::nullopt,
                ""};
    }

    testing_support::TestDatabase t;
    testing_support::ScriptedMessages messages;
    testing_support::TestHooks hooks;
    catalogue::clsProducts logic{t.db(), messages, hooks.clock};
    int cat = t.addCategory(QStringLiteral("PCs"));
};

} // namespace

// ---- The product list ------------------------------------------------------------

TEST_F(Products, ListCountsLiveStockNormalAndTemporaryLicences) {
    const int office = t.addLocation(QStringLiteral("Office"), 1, 2, 1);
    const int a = t.addProduct(QStringLiteral("a-1"), QStringLiteral("zebra desk "), cat);
    const int b = t.addProduct(QStringLiteral("B-2"), QStringLiteral("Apple"), cat);
    t.addProduct(QStringLiteral("X"), QStringLiteral("elsewhere"), t.addCategory("Other"));
    t.addStock(QStringLiteral("S1"), a, office);
    t.addStock(QStringLiteral("S2"), a, store::loc::AvailableLocations);
    t.addStock(QStringLiteral("S3"), a, store::loc::RemovedStock);
    t.addLicence(QStringLiteral("K1"), a, office, store::LicenceNormal);
    t.addLicence(QStringLiteral("K2"), a, store::loc::AvailableLicences, store::LicenceNormal);
    t.addLicence(QStringLiteral("K3"), a, office, store::LicenceTemporary);
    t.addLicence(QStringLiteral("K4"), a, store::loc::RemovedLicences, store::LicenceNormal);

    const auto list = logic.FillListViewWithProds(cat, QStringLiteral(" PCs "));
    const common::ListRows expected = {
        // Neither tracked nor with a licence in use: no owned, no in use.
        {QStringLiteral("P%1").arg(b), {"B-2", "Apple", "0", "0", "0", "", ""}},
        {QStringLiteral("P%1").arg(a), {"a-1", "zebra desk", "2", "2", "1", "", "3"}},
    };
    ASSERT_TRUE(list.has_value());
    EXPECT_EQ(*list, expected);
    EXPECT_EQ(logic.CurCatID, cat);
    EXPECT_EQ(logic.CurCatDesc, QStringLiteral("PCs"));
}

TEST_F(Products, CountsAreNotCappedAt16Bits) {
    const int p = t.addProduct(QStringLiteral("C"), QStringLiteral("Cable"), cat);
    t.db().run(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                              "WHERE i < 40000) INSERT INTO Stock (Stock_Code, Prod_ID, Loc_ID, "
                              "Cost) SELECT 'S' || i, %1, 1, 0 FROM n")
                   .arg(p));
    const auto list = logic.FillListViewWithProds(cat, QStringLiteral("PCs"));
    ASSERT_TRUE(list.has_value());
    ASSERT_EQ(list->size(), 1u);
    EXPECT_EQ(list->front().texts.at(2), QStringLiteral("40000"));
}

TEST_F(Products, ListOfAVanishedCategoryKeepsTheLastCategory) {
    logic.FillListViewWithProds(cat, QStringLiteral("PCs"));
    EXPECT_FALSE(logic.FillListViewWithProds(999, QStringLiteral("Gone")).has_value());
    ASSERT_EQ(messages.texts(), QStringList{"Internal Error: selecting category"});
    EXPECT_EQ(messages.shown()[0].kind, MessageKind::Failure);
    EXPECT_EQ(logic.CurCatID, cat);
}

// ---- Checking the dialog's fields ------------------------------------------------------

TEST_F(Products, ChecksRunInOrderAndStopAtTheFirstRefusal) {
    t.addProduct(QStringLiteral("TAKEN"), QStringLiteral("Existing"), cat);
    const QString longCode(51, QLatin1Char('c'));
    const QString longDesc(256, QLatin1Char('d'));
    struct Case {
        const char* name;
        ProductFields fields;
        ProductField refused;
        QString message;
    };
    const Case cases[] = {
        {"everything empty",
         {"", "", std::nullopt, "x", std::nullopt, ""},
         ProductField::Code,
         "Please enter a product code"},
        {"code of blanks",
         {" \t ", "D", cat, "", std::nullopt, ""},
         ProductField::Code,
         "Please enter a product code"},
        {"code with a character the keys would not let in",
         {" 'A|B' ", "D", cat, "", std::nullopt, ""},
         ProductField::Code,
         "Please enter a valid product code"},
        {"description with a line break pasted in",
         {"C1", "Big\nscreen", cat, "", std::nullopt, ""},
         ProductField::Description,
         "Please enter a valid product description"},
        {"code too long",
         {longCode, "D", cat, "", std::nullopt, ""},
         ProductField::Code,
         "Only 50 characters allowed"},
        {"no description",
         {"C1", "  ", std::nullopt, "x", std::nullopt, ""},
         ProductField::Description,
         "Please enter a product description"},
        {"description too long",
         {"C1", longDesc, cat, "", std::nullopt, ""},
         ProductField::Description,
         "Only 255 characters allowed"},
        {"no category",
         {"C1", "D", std::nullopt, "x", std::nullopt, ""},
         ProductField::Category,
         "Please select a category"},
        {"bad cost before duplicate code",
         {"taken", "D", cat, "x", std::nullopt, ""},
         ProductField::Cost,
         "Please enter a valid product cost"},
        {"cost of sixteen whole digits",
         {"C1", "D", cat, "1234567890123456", std::nullopt, ""},
         ProductField::Cost,
         "Product cost cannot exceed 1,000,000.00"},
        {"cost of twenty whole digits, grouped",
         {"C1", "D", cat, "12,345,678,901,234,567,890.00", std::nullopt, ""},
         ProductField::Cost,
         "Product cost cannot exceed 1,000,000.00"},
        {"cost longer than its box takes",
         {"C1", "D", cat, "0000000000000000001.00", std::nullopt, ""},
         ProductField::Cost,
         "Only 20 characters allowed"},
        {"duplicate code, any letter case",
         {" taken ", "D", cat, "", std::nullopt, ""},
         ProductField::Code,
         "You may not create duplicate a product with the same code"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        const catalogue::ProductCheck check = logic.ValidateProduct("ADD", c.fields, 0);
        EXPECT_FALSE(check.values.has_value());
        EXPECT_EQ(check.refused, c.refused);
        ASSERT_EQ(messages.shown().size(), 1u);
        EXPECT_EQ(messages.shown()[0].kind, MessageKind::Refusal);
        EXPECT_EQ(messages.shown()[0].text, c.message);
    }
}

TEST_F(Products, UnknownValidationModeIsAnInternalError) {
    const catalogue::ProductCheck check = logic.ValidateProduct("MODIFY", fields("C1", "Desc"), 0);
    EXPECT_FALSE(check.values.has_value());
    ASSERT_EQ(messages.texts(), QStringList{"Internal Error: Invalid Validation Type"});
    EXPECT_EQ(messages.shown()[0].kind, MessageKind::Failure);
}

TEST_F(Products, CostIsReadExactlyWithDecimalPointAndCommaThousands) {
    struct Case {
        const char* typed;
        std::int64_t cents; // -1: refused
        const char* shown;  // the dialog's text afterwards, or the refusal
    };
    const Case cases[] = {
        {"", 0, ""},
        {"   ", 0, ""},
        {"12.5", 1250, "12.50"},
        {".99", 99, "0.99"},
        {"0.1", 10, "0.10"},
        {"1234.56", 123456, "1,234.56"},
        {"1000000", 100000000, "1,000,000.00"},
        {"1,000,000.00", 100000000, "1,000,000.00"},
        {"1000000.01", -1, "Product cost cannot exceed 1,000,000.00"},
        {"1,000,000.01", -1, "Product cost cannot exceed 1,000,000.00"},
        {"99999999999", -1, "Product cost cannot exceed 1,000,000.00"},
        {"-1", -1, "Please enter a valid product cost"},
        {"1.234", -1, "Please enter a valid product cost"},
        {"1,00", -1, "Please enter a valid product cost"},
        {"1e3", -1, "Please enter a valid product cost"},
        {"12,5", -1, "Please enter a valid product cost"},
        {"1.2.3", -1, "Please enter a valid product cost"},
        {"12\t", 1200, "12.00"},
        {"1 2", -1, "Please enter a valid product cost"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        messages.clear();
        const catalogue::ProductCheck check =
            logic.ValidateProduct("ADD", fields("C1", "Desc", c.typed), 0);
        if (c.cents < 0) {
            EXPECT_FALSE(check.values.has_value());
            EXPECT_EQ(check.refused, ProductField::Cost);
            EXPECT_EQ(messages.texts(), QStringList{QString::fromLatin1(c.shown)});
        } else {
            ASSERT_TRUE(check.values.has_value());
            EXPECT_EQ(check.values->cost.cents(), c.cents);
            EXPECT_EQ(check.costText, QString::fromLatin1(c.shown));
            EXPECT_TRUE(messages.shown().empty());
        }
    }
}

TEST_F(Products, DuplicateCodeOnAddButNotForTheProductsOwnCode) {
    const int a = t.addProduct(QStringLiteral("AAA"), QStringLiteral("First"), cat);
    t.addProduct(QStringLiteral("BBB"), QStringLiteral("Second"), cat);
    struct Case {
        const char* mode;
        const char* code;
        bool accepted;
    };
    const Case cases[] = {
        {"ADD", "AAA", false}, {"ADD", "aaa", false}, {"ADD", "CCC", true},
        {"MOD", "AAA", true},  {"MOD", "aaa", true},  {"MOD", "bbb", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.mode) + " " + c.code);
        messages.clear();
        const auto check = logic.ValidateProduct(c.mode, fields(c.code, "Desc"), a);
        EXPECT_EQ(check.values.has_value(), c.accepted);
        EXPECT_EQ(messages.shown().empty(), c.accepted);
    }
}

// ---- Storing --------------------------------------------------------------------------

TEST_F(Products, AddStoresTheCheckedFieldsWithTheClocksTime) {
    t.addProduct(QStringLiteral("OLD"), QStringLiteral("Older"), cat);
    const catalogue::ProductSave saved =
        logic.AddNewProduct({QStringLiteral("  NEW-1 "), QStringLiteral(" Manager's screen "), cat,
                             QStringLiteral("1,250.5"), std::nullopt, ""});
    ASSERT_TRUE(saved.prodId.has_value());
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_EQ(saved.costText, QStringLiteral("1,250.50"));
    store::Query max(t.db(), QStringLiteral("SELECT max(Prod_ID) AS m FROM Products"));
    max.next();
    EXPECT_EQ(*saved.prodId, max.integer(QStringLiteral("m")));
    const auto row = stored(*saved.prodId);
    ASSERT_TRUE(row.has_value());
    EXPECT_EQ(row->code, QStringLiteral("NEW-1"));
    EXPECT_EQ(row->desc, QStringLiteral("Manager's screen"));
    EXPECT_EQ(row->catId, cat);
    EXPECT_EQ(row->cents, 125050);
    EXPECT_TRUE(row->noSupplier);
    EXPECT_EQ(row->added, QStringLiteral("2026-12-10 09:30:00"));
}

TEST_F(Products, ASupplierDeletedMeanwhileIsNamedAndNothingIsStored) {
    t.db().execute(QStringLiteral("INSERT INTO Suppliers (Supp_Name) VALUES ('Acme')"));
    const int supp = static_cast<int>(t.db().lastInsertId());
    const int prod = t.addProduct(QStringLiteral("P1"), QStringLiteral("Desk"), cat);
    t.db().execute(QStringLiteral("DELETE FROM Suppliers WHERE Supplier_ID = ?"), supp);
    const int before = rows(QStringLiteral("Products"));
    const ProductFields f{"C1", "Desc", cat, "", supp, ""};
    for (const bool adding : {true, false}) {
        SCOPED_TRACE(adding ? "add" : "modify");
        messages.clear();
        const auto saved = adding ? logic.AddNewProduct(f) : logic.ModifyProduct(prod, f);
        EXPECT_FALSE(saved.prodId.has_value());
        EXPECT_EQ(saved.refused, ProductField::Supplier);
        ASSERT_EQ(messages.shown().size(), 1u);
        EXPECT_EQ(messages.shown()[0].kind, MessageKind::Refusal);
        EXPECT_EQ(messages.shown()[0].text,
                  QStringLiteral("The chosen supplier no longer exists, please choose another"));
    }
    EXPECT_EQ(rows(QStringLiteral("Products")), before);
    EXPECT_EQ(stored(prod)->code, QStringLiteral("P1"));
}

TEST_F(Products, AddToAVanishedCategoryStoresNothing) {
    const int before = rows(QStringLiteral("Products"));
    const auto saved = logic.AddNewProduct({"C1", "Desc", 999, "", std::nullopt, ""});
    EXPECT_FALSE(saved.prodId.has_value());
    EXPECT_EQ(messages.texts(), QStringList{"Internal Error: Getting CategoryID"});
    EXPECT_EQ(rows(QStringLiteral("Products")), before);
}

TEST_F(Products, ModifyOverwritesTheRowAndItsDate) {
    const int other = t.addCategory(QStringLiteral("Laptops"));
    const int p = t.addProduct(QStringLiteral("P1"), QStringLiteral("Old"), cat);
    hooks.clock.advance(3600 * 1000);
    const auto saved = logic.ModifyProduct(p, {"p1", "New desc", other, "", std::nullopt, ""});
    ASSERT_EQ(saved.prodId, std::optional<int>(p));
    const auto row = stored(p);
    ASSERT_TRUE(row.has_value());
    EXPECT_EQ(row->code, QStringLiteral("p1"));
    EXPECT_EQ(row->desc, QStringLiteral("New desc"));
    EXPECT_EQ(row->catId, other);
    EXPECT_EQ(row->cents, 0);
    EXPECT_EQ(row->added, QStringLiteral("2026-12-10 10:30:00"));

    messages.clear();
    EXPECT_FALSE(logic.ModifyProduct(999, fields("Z9", "Gone")).prodId.has_value());
    EXPECT_EQ(messages.texts(), QStringList{"Internal Error: Modifying Product"});
}

// ---- Deleting -----------------------------------------------------------------------

TEST_F(Products, DeleteAsksOnceOrTwiceAndRefusesLiveItems) {
    const int office = t.addLocation(QStringLiteral("Office"), 1, 2, 1);
    const QString first = QStringLiteral("Are you sure you wish to delete this product");
    const QString warning = QStringLiteral(
        "WARNING !!\rYou have removed stock and licences for this product on the system.\r"
        "These will be completely removed including any historic data\r"
        "Remove this product together with its removed stock items and licences\r");
    const QString licencesTied =
        QStringLiteral("Cant Remove this product, licences are still tied to it");
    const QString stockTied = QStringLiteral("Cant Remove this product, stock is still tied to it");
    enum Items { None, LiveBoth, LiveStock, RemovedOnly };
    struct Case {
        const char* name;
        Items items;
        std::vector<bool> answers;
        QStringList shown;
        bool deleted;
    };
    const std::vector<Case> cases = {
        {"never had items", None, {true}, {first}, true},
        {"No to the first question", None, {false}, {first}, false},
        {"live licence tested before live stock", LiveBoth, {true}, {first, licencesTied}, false},
        {"live stock", LiveStock, {true}, {first, stockTied}, false},
        {"No to the warning", RemovedOnly, {true, false}, {first, warning}, false},
        {"Yes to both", RemovedOnly, {true, true}, {first, warning}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        const int p = t.addProduct(QStringLiteral("D-%1").arg(c.name), QStringLiteral("D"), cat);
        std::vector<int> stock, licences;
        if (c.items == LiveBoth) {
            stock.push_back(t.addStock(QStringLiteral("LS-%1").arg(c.name), p, office));
            licences.push_back(t.addLicence(QStringLiteral("LL-%1").arg(c.name), p, office, "N"));
        } else if (c.items == LiveStock) {
            stock.push_back(t.addStock(QStringLiteral("LS-%1").arg(c.name), p, office));
            licences.push_back(t.addLicence(QStringLiteral("RL-%1").arg(c.name), p,
                                            store::loc::RemovedLicences, "T"));
        } else if (c.items == RemovedOnly) {
            stock.push_back(
                t.addStock(QStringLiteral("RS-%1").arg(c.name), p, store::loc::RemovedStock));
            licences.push_back(t.addLicence(QStringLiteral("RL-%1").arg(c.name), p,
                                            store::loc::RemovedLicences, "N"));
        }
        for (int s : stock)
            addHistory(s, store::HistoryStock);
        for (int l : licences)
            addHistory(l, store::HistoryLicence);
        const int stockBefore = rows(QStringLiteral("Stock"));
        const int historyBefore = rows(QStringLiteral("StockHistory"));

        for (bool yes : c.answers)
            messages.answer({yes});
        EXPECT_EQ(logic.DeleteProduct(p), c.deleted);
        EXPECT_EQ(messages.pendingAnswers(), 0);
        EXPECT_EQ(messages.texts(), c.shown);
        EXPECT_EQ(stored(p).has_value(), !c.deleted);
        const int itemsGone = c.deleted ? static_cast<int>(stock.size()) : 0;
        const int historyGone = c.deleted ? static_cast<int>(stock.size() + licences.size()) : 0;
        EXPECT_EQ(rows(QStringLiteral("Stock")), stockBefore - itemsGone);
        EXPECT_EQ(rows(QStringLiteral("StockHistory")), historyBefore - historyGone);
    }
    EXPECT_FALSE(messages.unexpectedQuestion());
}

TEST_F(Products, DeleteTakesOnlyTheProductsOwnHistory) {
    // A stock item of another product has the same id as the deleted
    // product's licence: the history's type tells them apart.
    const int keep = t.addProduct(QStringLiteral("K"), QStringLiteral("Kept"), cat);
    const int gone = t.addProduct(QStringLiteral("G"), QStringLiteral("Gone"), cat);
    const int keptStock = t.addStock(QStringLiteral("S"), keep, store::loc::AvailableLocations);
    const int goneLicence =
        t.addLicence(QStringLiteral("L"), gone, store::loc::RemovedLicences, "N");
    ASSERT_EQ(keptStock, goneLicence);
    addHistory(keptStock, store::HistoryStock);
    addHistory(goneLicence, store::HistoryLicence);

    messages.answer({true, true});
    EXPECT_TRUE(logic.DeleteProduct(gone));
    EXPECT_EQ(rows(QStringLiteral("StockHistory")), 1);
    EXPECT_EQ(rows(QStringLiteral("Licences")), 0);
    EXPECT_EQ(rows(QStringLiteral("Stock")), 1);
    EXPECT_TRUE(stored(keep).has_value());
}

TEST_F(Products, DeleteThatMissesTheProductLeavesItsItemsAndHistory) {
    SKIP_ON_SERVER("plants failures with SQLite triggers");
    const int p = t.addProduct(QStringLiteral("P"), QStringLiteral("Held"), cat);
    addHistory(t.addStock(QStringLiteral("S"), p, store::loc::RemovedStock), store::HistoryStock);
    // The product row will not go (as if changed under us): nothing may go.
    t.db().run(QStringLiteral("CREATE TRIGGER keep BEFORE DELETE ON Products "
                              "BEGIN SELECT RAISE(IGNORE); END"));
    messages.answer({true, true});
    EXPECT_FALSE(logic.DeleteProduct(p));
    ASSERT_FALSE(messages.shown().empty());
    EXPECT_EQ(messages.shown().back().text, QStringLiteral("Internal Error: Deleting Product"));
    EXPECT_EQ(messages.shown().back().kind, MessageKind::Failure);
    EXPECT_EQ(rows(QStringLiteral("Stock")), 1);
    EXPECT_EQ(rows(QStringLiteral("StockHistory")), 1);
    EXPECT_TRUE(stored(p).has_value());
}

// ---- The product enquiry's choosers -------------------------------------------------------

TEST_F(Products, EnquiryChoosersCarryIdsAndKeepStoredDescriptions) {
    t.allowDuplicateTexts();
    const int twin = t.addCategory(QStringLiteral("PCs"));
    const int b = t.addProduct(QStringLiteral("B"), QStringLiteral(" monitor"), cat);
    const int a = t.addProduct(QStringLiteral("A"), QStringLiteral("Desktop"), cat);
    t.addProduct(QStringLiteral("C"), QStringLiteral("Other"), twin);

    const catalogue::Choices categories = {{cat, "PCs"}, {twin, "PCs"}};
    EXPECT_EQ(logic.FillComboWithCats(), categories);
    const catalogue::Choices products = {{b, " monitor"}, {a, "Desktop"}};
    EXPECT_EQ(logic.FillUpCombo(cat), products);
    EXPECT_TRUE(logic.FillUpCombo(999).empty());
}
