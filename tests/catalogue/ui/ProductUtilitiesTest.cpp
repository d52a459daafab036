#include "assets/ui/pgEnquireByLocation.h"
#include "catalogue/clsProducts.h"
#include "catalogue/ui/BoxAnswers.h"
#include "catalogue/ui/pgProductUtilities.h"
#include "common/Session.h"
#include "common/ui/BoxMessages.h"
#include "common/ui/ReportList.h"
#include "locations/ui/LocationTreeView.h"
#include "store/Database.h"
#include "store/StoreConstants.h"
#include "support/RecordingMain.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"
#include "support/TestHooks.h"
#include "support/Widgets.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QMenu>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <array>

using common::ReportList;
using testing_support::child;
using testing_support::RecordingMain;

namespace {

class ProductPage : public ::testing::Test {
protected:
    void SetUp() override {
        office = t.addLocation(QStringLiteral("Office"), 1, 2, 1);
        pcs = t.addCategory(QStringLiteral("PCs"));
        audio = t.addCategory(QStringLiteral("Audio"));
        desktop = t.addProduct(QStringLiteral("D1"), QStringLiteral("Desktop"), pcs);
        t.addStock(QStringLiteral("S1"), desktop, office);
        speaker = t.addProduct(QStringLiteral("A1"), QStringLiteral("Speaker"), audio);
        window = std::make_unique<RecordingMain>(session, nullptr);
        window->Form_Load({});
        products =
            static_cast<catalogue::pgProductUtilities*>(window->page(common::ProductUtilities));
        combo = child<QComboBox>(products, "cboCategories");
        list = child<ReportList>(products, "lvProdList");
    }
    void TearDown() override { EXPECT_FALSE(messages.unexpectedQuestion()); }

    QStringList codes() const {
        QStringList out;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            out << list->topLevelItem(i)->text(0);
        return out;
    }
    void rightPressOnRow(int row) {
        const QPoint at = list->visualItemRect(list->topLevelItem(row)).center();
        QTest::mouseClick(list->viewport(), Qt::RightButton, {}, at);
    }
    std::array<bool, 4> menuStates() const {
        std::array<bool, 4> out{};
        for (int i = 0; i < 4; ++i)
            out[static_cast<size_t>(i)] =
                window->menuItem(QStringLiteral("mnuProd"), i)->isEnabled();
        return out;
    }
    bool productExists(int id) {
        return t.db().exists(QStringLiteral("SELECT Prod_ID FROM Products WHERE Prod_ID = ?"), id);
    }

    testing_support::TestDatabase t;
    testing_support::ScriptedMessages messages;
    testing_support::TestHooks hooks;
    common::Session session{t.db(), messages, hooks.clock, hooks.files};
    std::unique_ptr<RecordingMain> window;
    catalogue::pgProductUtilities* products = nullptr;
    QComboBox* combo = nullptr;
    ReportList* list = nullptr;
    int office = 0, pcs = 0, audio = 0, desktop = 0, speaker = 0;
};

} // namespace

TEST_F(ProductPage, ChoosingACategoryListsItsProductsOnlyWhileThePageShows) {
    // Filled at start-up, but listed only once the page is showing.
    EXPECT_EQ(combo->count(), 2);
    EXPECT_EQ(list->topLevelItemCount(), 0);

    window->SSTab1()->setCurrentIndex(common::ProductUtilities);
    EXPECT_EQ(combo->currentText(), QStringLiteral("Audio"));
    EXPECT_EQ(codes(), QStringList{"A1"});
    combo->setCurrentIndex(combo->findData(pcs));
    EXPECT_EQ(codes(), QStringList{"D1"});
    EXPECT_EQ(list->topLevelItem(0)->text(2), QStringLiteral("1"));

    window->SSTab1()->setCurrentIndex(common::EnquireByLocation);
    t.addProduct(QStringLiteral("D2"), QStringLiteral("Docking"), pcs);
    products->FillListViewWithProds();
    EXPECT_EQ(codes(), QStringList{"D1"});
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(ProductPage, CountColumnsSortByNumberWhenTheirHeadingIsClicked) {
    // Counts of 10, 9 and 2: as text "10" would sort before "2" and "9".
    const int counts[] = {10, 9, 2};
    const char* codesOf[] = {"TEN", "NINE", "TWO"};
    for (int i = 0; i < 3; ++i) {
        const int prod =
            t.addProduct(QString::fromLatin1(codesOf[i]), QStringLiteral("P%1").arg(i), pcs);
        for (int n = 0; n < counts[i]; ++n) {
            t.addStock(QStringLiteral("%1-S%2").arg(codesOf[i]).arg(n), prod, office);
            t.addLicence(QStringLiteral("%1-N%2").arg(codesOf[i]).arg(n), prod, office,
                         store::LicenceNormal);
            t.addLicence(QStringLiteral("%1-T%2").arg(codesOf[i]).arg(n), prod, office,
                         store::LicenceTemporary);
        }
    }
    window->SSTab1()->setCurrentIndex(common::ProductUtilities);
    combo->setCurrentIndex(combo->findData(pcs));
    list->resize(600, 300);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QHeaderView* header = list->header();
    const auto clickHeading = [&](int column) {
        const QPoint centre(header->sectionViewportPosition(column) +
                                header->sectionSize(column) / 2,
                            header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, centre);
    };
    // Each click flips the one direction: descending first.
    for (int column : {2, 3, 4}) {
        SCOPED_TRACE(column);
        clickHeading(column);
        const bool descending = list->direction() == Qt::DescendingOrder;
        EXPECT_EQ(codes(), descending ? (QStringList{"TEN", "NINE", "TWO", "D1"})
                                      : (QStringList{"D1", "TWO", "NINE", "TEN"}))
            << (descending ? "descending" : "ascending");
    }
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(ProductPage, WithoutCategoriesTheListEmptiesAndTheMenuIsAllOff) {
    window->SSTab1()->setCurrentIndex(common::ProductUtilities);
    ASSERT_EQ(list->topLevelItemCount(), 1);
    t.db().run(QStringLiteral("DELETE FROM Stock; DELETE FROM Products; DELETE FROM Categories"));
    window->SSTab1()->setCurrentIndex(common::CategoryUtilities);
    window->SSTab1()->setCurrentIndex(common::ProductUtilities);
    EXPECT_EQ(combo->count(), 0);
    EXPECT_EQ(list->topLevelItemCount(), 0);
    EXPECT_TRUE(messages.shown().empty()); // emptying the chooser is no choice

    QTest::mouseClick(list->viewport(), Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_EQ(menuStates(), (std::array<bool, 4>{false, false, false, false}));
    ASSERT_EQ(window->popped.size(), 1u);
    EXPECT_EQ(window->popped[0], window->sharedMenu(common::SharedMenu::Products));
}

TEST_F(ProductPage, PressOnARowNamesTheProductForTheMenu) {
    window->SSTab1()->setCurrentIndex(common::ProductUtilities);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      QPoint(5, list->viewport()->height() - 3));
    EXPECT_EQ(menuStates(), (std::array<bool, 4>{true, false, false, false}));
    EXPECT_TRUE(window->popped.empty());
    rightPressOnRow(0);
    EXPECT_EQ(window->selectedProdId(), speaker);
    EXPECT_EQ(menuStates(), (std::array<bool, 4>{true, true, true, true}));
    EXPECT_EQ(window->popped.size(), 1u);
}

TEST_F(ProductPage, OneClickOnTheSharedMenuRunsOneHandler) {
    // Both pages have popped the Products menu up; the last one receives.
    window->SSTab1()->setCurrentIndex(common::ProductUtilities);
    rightPressOnRow(0);
    window->SSTab1()->setCurrentIndex(common::EnquireByLocation);
    auto* location =
        static_cast<assets::pgEnquireByLocation*>(window->page(common::EnquireByLocation));
    auto* tree = child<locations::LocationTreeView>(location, "tvLocations");
    QTreeWidgetItem* node = tree->node(QStringLiteral("L%1").arg(office));
    ASSERT_NE(node, nullptr);
    tree->selectNode(node);
    location->tvLocations_NodeClick(node);
    auto* stock = child<ReportList>(location, "lvStockTable");
    ASSERT_EQ(stock->topLevelItemCount(), 1);
    stock->topLevelItem(0)->setSelected(true);
    location->listMouseDown(stock, Qt::RightButton, QPoint());
    ASSERT_EQ(window->popped.size(), 2u);

    messages.answer({false});
    window->menuItem(QStringLiteral("mnuProd"), 3)->trigger();
    EXPECT_EQ(messages.texts(), QStringList{"Are you sure you wish to delete this product"});
    EXPECT_EQ(messages.pendingAnswers(), 0);
    EXPECT_TRUE(productExists(desktop));
    EXPECT_EQ(stock->topLevelItemCount(), 1);
}

TEST_F(ProductPage, DeleteFromTheLocationListsRefillsThem) {
    const int removed = t.addProduct(QStringLiteral("R1"), QStringLiteral("Retired"), pcs);
    t.addStock(QStringLiteral("S9"), removed, store::loc::RemovedStock);
    auto* location =
        static_cast<assets::pgEnquireByLocation*>(window->page(common::EnquireByLocation));
    auto* tree = child<locations::LocationTreeView>(location, "tvLocations");
    QTreeWidgetItem* node = tree->node(QStringLiteral("L%1").arg(store::loc::RemovedStock));
    ASSERT_NE(node, nullptr);
    tree->selectNode(node);
    location->tvLocations_NodeClick(node);
    auto* stock = child<ReportList>(location, "lvStockTable");
    ASSERT_EQ(stock->topLevelItemCount(), 1);
    stock->topLevelItem(0)->setSelected(true);
    location->listMouseDown(stock, Qt::RightButton, QPoint());
    ASSERT_EQ(window->selectedProdId(), removed);

    messages.answer({true, true});
    window->menuItem(QStringLiteral("mnuProd"), 3)->trigger();
    EXPECT_FALSE(productExists(removed));
    EXPECT_EQ(stock->topLevelItemCount(), 0);
}

// The two confirmations as the user sees them: real message boxes.
TEST(ProductPageBoxes, DeleteAsksTwiceForRemovedItemsAndRefillsTheList) {
    testing_support::TestDatabase t;
    common::BoxMessages boxes;
    testing_support::TestHooks hooks;
    common::Session session{t.db(), boxes, hooks.clock, hooks.files};
    const int cat = t.addCategory(QStringLiteral("PCs"));
    const int p = t.addProduct(QStringLiteral("OLD"), QStringLiteral("Old desktop"), cat);
    t.addStock(QStringLiteral("S1"), p, store::loc::RemovedStock);
    t.addLicence(QStringLiteral("K1"), p, store::loc::RemovedLicences, store::LicenceNormal);
    RecordingMain window(session, nullptr);
    window.show();
    window.SSTab1()->setCurrentIndex(common::ProductUtilities);
    auto* list = child<ReportList>(window.page(common::ProductUtilities), "lvProdList");
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(2), QStringLiteral("0")); // removed: not counted
    QTest::mouseClick(list->viewport(), Qt::RightButton, {},
                      list->visualItemRect(list->topLevelItem(0)).center());

    const auto productCount = [&] {
        return t.count(QStringLiteral("Products"));
    };
    {
        catalogue_testing::BoxAnswers answers{QMessageBox::Yes, QMessageBox::No};
        window.menuItem(QStringLiteral("mnuProd"), 3)->trigger();
        EXPECT_TRUE(answers.allAnswered());
        ASSERT_EQ(answers.texts.size(), 2);
        EXPECT_TRUE(answers.texts[1].startsWith(QStringLiteral("WARNING !!")));
        EXPECT_EQ(productCount(), 1);
        EXPECT_EQ(list->topLevelItemCount(), 1);
    }
    {
        catalogue_testing::BoxAnswers answers{QMessageBox::Yes, QMessageBox::Yes};
        window.menuItem(QStringLiteral("mnuProd"), 3)->trigger();
        EXPECT_TRUE(answers.allAnswered());
        EXPECT_EQ(productCount(), 0);
        EXPECT_EQ(list->topLevelItemCount(), 0);
    }
}
