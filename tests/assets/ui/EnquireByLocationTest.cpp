#include "assets/clsStock.h"
#include "assets/ui/pgEnquireByLocation.h"
#include "common/Session.h"
#include "common/ui/ReportList.h"
#include "locations/ui/LocationTreeView.h"
#include "shell/ui/frmVemora.h"
#include "store/Database.h"
#include "store/StoreConstants.h"
#include "support/RecordingMain.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"
#include "support/TestHooks.h"
#include "support/Widgets.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using testing_support::RecordingMain;

class EnquireByLocation : public ::testing::Test {
protected:
    void SetUp() override {
        office = t.addLocation(QStringLiteral("IT office"), 1, 2, 1);
        window = std::make_unique<RecordingMain>(session, nullptr);
        window->Do_the_Click();
        page = static_cast<assets::pgEnquireByLocation*>(window->page(common::EnquireByLocation));
    }

    void clickNode(const QString& key) {
        QTreeWidgetItem* node =
            testing_support::child<locations::LocationTreeView>(page, "tvLocations")->node(key);
        ASSERT_NE(node, nullptr) << key.toStdString();
        testing_support::child<locations::LocationTreeView>(page, "tvLocations")->selectNode(node);
        page->tvLocations_NodeClick(node);
    }

    QStringList column(common::ReportList* list, int col) {
        QStringList out;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            out << list->topLevelItem(i)->text(col);
        return out;
    }

    std::array<bool, 4> menuStates() const {
        std::array<bool, 4> out{};
        for (size_t i = 0; i < out.size(); ++i)
            out[i] = window->menuItem(QStringLiteral("mnuProd"), i)->isEnabled();
        return out;
    }

    testing_support::TestDatabase t;
    testing_support::ScriptedMessages messages;
    testing_support::TestHooks hooks;
    common::Session session{t.db(), messages, hooks.clock, hooks.files};
    std::unique_ptr<RecordingMain> window;
    assets::pgEnquireByLocation* page = nullptr;
    int office = 0;
};

} // namespace

TEST_F(EnquireByLocation, ClickingALocationListsWhatItHoldsUnderItsHeading) {
    const int cat = t.addCategory(QStringLiteral("PCs"));
    const int pc = t.addProduct(QStringLiteral("PC1"), QStringLiteral("Desktop"), cat);
    t.addStock(QStringLiteral("S1"), pc, office);
    t.addStock(QStringLiteral("S2"), pc, office);
    t.addLicence(QStringLiteral("K1"), pc, office, store::LicenceTemporary);

    clickNode(QStringLiteral("L%1").arg(office));
    EXPECT_EQ(testing_support::child<QLabel>(page, "lblViewingLoc")->text(),
              QStringLiteral("Location: It Office"));
    EXPECT_EQ(column(testing_support::child<common::ReportList>(page, "lvStockTable"), 0),
              QStringList{"PC1"});
    EXPECT_EQ(column(testing_support::child<common::ReportList>(page, "lvStockTable"), 3),
              QStringList{"2"});
    EXPECT_EQ(
        testing_support::child<common::ReportList>(page, "lvStockTable")
            ->keyOf(
                testing_support::child<common::ReportList>(page, "lvStockTable")->topLevelItem(0)),
        QStringLiteral("S%1").arg(pc));
    EXPECT_EQ(column(testing_support::child<common::ReportList>(page, "lvLicenceTable"), 3),
              QStringList{"0"});
    EXPECT_EQ(column(testing_support::child<common::ReportList>(page, "lvLicenceTable"), 4),
              QStringList{"1"});

    clickNode(QStringLiteral("L0"));
    EXPECT_EQ(testing_support::child<QLabel>(page, "lblViewingLoc")->text(),
              QStringLiteral("Location: SYSTEM"));
    EXPECT_EQ(testing_support::child<common::ReportList>(page, "lvStockTable")->topLevelItemCount(),
              0);
    EXPECT_EQ(
        testing_support::child<common::ReportList>(page, "lvLicenceTable")->topLevelItemCount(), 0);
}

TEST_F(EnquireByLocation, EnteringThePageAfterAChangeRefillsItKeepingTheLocationShown) {
    const int cat = t.addCategory(QStringLiteral("PCs"));
    t.addStock(QStringLiteral("S1"), t.addProduct(QStringLiteral("PC1"), QStringLiteral("D"), cat),
               office);
    clickNode(QStringLiteral("L%1").arg(office));
    ASSERT_EQ(testing_support::child<common::ReportList>(page, "lvStockTable")->topLevelItemCount(),
              1);

    const int added = t.addLocation(QStringLiteral("Server room"), 1, 2, 1);
    window->SSTab1_Click(common::EnquireByLocation);
    // The location chosen still exists: its lists are refilled, not emptied.
    EXPECT_EQ(testing_support::child<common::ReportList>(page, "lvStockTable")->topLevelItemCount(),
              1);
    EXPECT_EQ(testing_support::child<QLabel>(page, "lblViewingLoc")->text(),
              QStringLiteral("Location: It Office"));
    EXPECT_NE(testing_support::child<locations::LocationTreeView>(page, "tvLocations")
                  ->node(QStringLiteral("L%1").arg(added)),
              nullptr);
}

TEST_F(EnquireByLocation, MousePressSetsTheProductMenuFromCategoriesAndSelection) {
    // No category at all: every item off, and the menu still pops up.
    page->listMouseDown(testing_support::child<common::ReportList>(page, "lvStockTable"),
                        Qt::RightButton, QPoint());
    EXPECT_EQ(menuStates(), (std::array<bool, 4>{false, false, false, false}));
    ASSERT_EQ(window->popped.size(), 1u);
    EXPECT_EQ(window->popped.back(), window->sharedMenu(common::SharedMenu::Products));

    const int cat = t.addCategory(QStringLiteral("Software"));
    const int word = t.addProduct(QStringLiteral("W1"), QStringLiteral("Word"), cat);
    t.addLicence(QStringLiteral("K1"), word, office, store::LicenceNormal);
    clickNode(QStringLiteral("L%1").arg(office));

    // Categories but no selected row: only "Add Product"; a left press pops nothing up.
    page->listMouseDown(testing_support::child<common::ReportList>(page, "lvLicenceTable"),
                        Qt::LeftButton, QPoint());
    EXPECT_EQ(menuStates(), (std::array<bool, 4>{true, false, false, false}));
    EXPECT_EQ(window->popped.size(), 1u);

    // A real press on the row selects it and names its product.
    QTreeWidgetItem* row =
        testing_support::child<common::ReportList>(page, "lvLicenceTable")->topLevelItem(0);
    const QRect rect =
        testing_support::child<common::ReportList>(page, "lvLicenceTable")->visualItemRect(row);
    window->show();
    QTest::mousePress(
        testing_support::child<common::ReportList>(page, "lvLicenceTable")->viewport(),
        Qt::LeftButton, {}, rect.center());
    EXPECT_EQ(window->selectedProdId(), word);
    EXPECT_EQ(menuStates(), (std::array<bool, 4>{true, true, true, true}));
}

TEST_F(EnquireByLocation, ArrowKeysShowTheContentsOfTheLocationReached) {
    const int cat = t.addCategory(QStringLiteral("PCs"));
    const int pc = t.addProduct(QStringLiteral("PC1"), QStringLiteral("Desktop"), cat);
    t.addStock(QStringLiteral("S1"), pc, office);
    window->SSTab1_Click(common::EnquireByLocation);

    auto* tree = testing_support::child<locations::LocationTreeView>(page, "tvLocations");
    tree->selectNode(tree->node(QStringLiteral("L1")));
    tree->expandAll();
    tree->setFocus();
    QTest::keyClick(tree, Qt::Key_Down); // onto the branch's first location
    ASSERT_EQ(tree->selectedNode(), tree->node(QStringLiteral("L%1").arg(office)));
    EXPECT_EQ(testing_support::child<QLabel>(page, "lblViewingLoc")->text(),
              QStringLiteral("Location: It Office"));
    EXPECT_EQ(column(testing_support::child<common::ReportList>(page, "lvStockTable"), 0),
              QStringList{"PC1"});

    QTest::keyClick(tree, Qt::Key_Up); // back onto the branch, which holds nothing
    EXPECT_EQ(testing_support::child<QLabel>(page, "lblViewingLoc")->text(),
              QStringLiteral("Location: Available Locations"));
    EXPECT_EQ(testing_support::child<common::ReportList>(page, "lvStockTable")->topLevelItemCount(),
              0);
}

// A location holding more products than a list reads whole shows its first
// rows and reads on as each list is held at its bottom, to the rows a full
// read gives. A refill after a change reads again as many rows as were read,
// so the selected row far down the list stays selected.
TEST_F(EnquireByLocation, AWideLocationsListsReadOnAsTheyScrollAndARefillKeepsThePlace) {
    const int cat = t.addCategory(QStringLiteral("PCs"));
    const int total = assets::clsStock::WholePartProducts + 20;
    {
        store::Transaction tx(t.db());
        for (int i = 0; i < total; ++i) {
            const int prod = t.addProduct(QStringLiteral("P%1").arg(i),
                                          QStringLiteral("Item %1").arg(total - i), cat);
            t.addStock(QStringLiteral("S-%1").arg(i), prod, office);
            t.addLicence(QStringLiteral("K-%1").arg(i), prod, office, store::LicenceNormal);
        }
        tx.commit();
    }
    const assets::LocationContents whole =
        session.logic<assets::clsStock>().FillStockListUsingLocation(office);
    ASSERT_EQ(static_cast<int>(whole.stock.size()), total);
    const auto keysOf = [](const common::ListRows& rows) {
        QStringList keys;
        for (const common::ListRow& row : rows)
            keys << row.key;
        return keys;
    };
    const auto shownKeys = [](common::ReportList* list) {
        QStringList keys;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            keys << list->keyOf(list->topLevelItem(i));
        return keys;
    };
    window->show();
    window->SSTab1_Click(common::EnquireByLocation);
    clickNode(QStringLiteral("L%1").arg(office));

    auto* stock = testing_support::child<common::ReportList>(page, "lvStockTable");
    auto* licences = testing_support::child<common::ReportList>(page, "lvLicenceTable");
    for (auto [list, rows] :
         {std::pair{stock, &whole.stock}, std::pair{licences, &whole.licences}}) {
        ASSERT_TRUE(list->hasMoreRows());
        EXPECT_GE(list->topLevelItemCount(), assets::pgEnquireByLocation::SliceRows);
        EXPECT_LT(list->topLevelItemCount(), total);
        EXPECT_EQ(shownKeys(list), keysOf(*rows).mid(0, list->topLevelItemCount()));
    }
    // The stock list held at its bottom reads on, some way and then to its end.
    stock->scrollToBottom();
    QApplication::processEvents();
    const int readOnce = stock->topLevelItemCount();
    EXPECT_GT(readOnce, assets::pgEnquireByLocation::SliceRows);
    for (int turns = 0; stock->hasMoreRows() && turns < 100; ++turns) {
        stock->scrollToBottom();
        QApplication::processEvents();
    }
    EXPECT_FALSE(stock->hasMoreRows());
    EXPECT_EQ(shownKeys(stock), keysOf(whole.stock));
    EXPECT_EQ(stock->topLevelItem(total - 1)->text(1), whole.stock.back().texts[1]);

    // A row near the end selected, then a change elsewhere: the refill
    // reads the whole list again and keeps the row selected; the licence
    // list reads again what it had read.
    const QString chosen = whole.stock[static_cast<size_t>(total - 3)].key;
    stock->selectKeys({chosen}, chosen);
    const int licencesRead = licences->topLevelItemCount();
    page->refill();
    EXPECT_EQ(stock->topLevelItemCount(), total);
    EXPECT_EQ(stock->selectedKey(), chosen);
    EXPECT_EQ(stock->currentKey(), chosen);
    EXPECT_EQ(licences->topLevelItemCount(), licencesRead);
    EXPECT_TRUE(licences->hasMoreRows());
    // A heading click reads every row before it sorts.
    emit licences->header()->sectionClicked(0);
    EXPECT_FALSE(licences->hasMoreRows());
    EXPECT_EQ(licences->topLevelItemCount(), total);
    EXPECT_TRUE(messages.shown().empty());
}
