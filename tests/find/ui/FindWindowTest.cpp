#include "assets/ui/frmStockLicHist.h"
#include "common/NodeKey.h"
#include "common/Session.h"
#include "common/ui/MainWindow.h"
#include "common/ui/Page.h"
#include "common/ui/ReportList.h"
#include "find/FindFixture.h"
#include "locations/ui/LocationTreeView.h"
#include "shell/ui/FindPanel.h"
#include "suppliers/ui/frmSupplierList.h"

#include "support/RecordingMain.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"
#include "support/TestHooks.h"
#include "support/TreeNodes.h"
#include "support/WhenModal.h"
#include "support/Widgets.h"

#include <QApplication>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

using testing_support::child;

class FindWindow : public ::testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<testing_support::RecordingMain>(session, nullptr);
        window->show();
        window->activateWindow();
        QApplication::setActiveWindow(window.get());
        box = child<QLineEdit>(window.get(), "txtFind");
        results = child<QTreeWidget>(window.get(), "lstFind");
    }

    // Ctrl+F, the text typed, then the search as the pause would run it.
    void type(const QString& text) {
        // A dialog shown before hands the window its activation back.
        window->activateWindow();
        QApplication::setActiveWindow(window.get());
        QTest::keyClick(window.get(), Qt::Key_F, Qt::ControlModifier);
        ASSERT_TRUE(box->hasFocus());
        QTest::keyClicks(box, text);
        window->findPanel()->findNow();
    }

    testing_support::TestDatabase t;
    testing_support::FindFixture f{t};
    testing_support::ScriptedMessages messages;
    testing_support::TestHooks hooks;
    common::Session session{t.db(), messages, hooks.clock, hooks.files};
    std::unique_ptr<testing_support::RecordingMain> window;
    QLineEdit* box = nullptr;
    QTreeWidget* results = nullptr;
};

TEST_F(FindWindow, ResultsShowKindCodeProductPathAndRemoved) {
    type(QStringLiteral("pc-10"));
    ASSERT_TRUE(results->isVisible());
    ASSERT_EQ(results->topLevelItemCount(), 2);
    const auto row = [&](int i) {
        QStringList texts;
        for (int c = 0; c < 4; ++c)
            texts << results->topLevelItem(i)->text(c);
        return texts;
    };
    EXPECT_EQ(row(0), (QStringList{"Stock", "PC-1001", "Laptop Pro",
                                   "Head Office \u203a Main Building \u203a Room 101"}));
    EXPECT_EQ(row(1), (QStringList{"Stock", "PC-1002", "Laptop Pro", "Removed Stock (removed)"}));
    EXPECT_FALSE(results->topLevelItem(0)->icon(0).isNull());
    // A text that matches nothing says so in a line that is no result.
    type(QStringLiteral("nothing-here"));
    ASSERT_TRUE(results->isVisible());
    ASSERT_EQ(results->topLevelItemCount(), 1);
    EXPECT_EQ(results->topLevelItem(0)->text(0), QStringLiteral("Nothing found"));
    EXPECT_FALSE(results->topLevelItem(0)->flags() & Qt::ItemIsSelectable);
    // Escape empties the box and the results go.
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_TRUE(box->text().isEmpty());
    EXPECT_FALSE(results->isVisible());
}

TEST_F(FindWindow, EnterGoesToTheItemAndCtrlHShowsItsHistory) {
    struct Case {
        const char* what;
        QString query;
        int page;
        const char* tree; // the page's tree, or null for a list page
        QString key;
        QString historyCode; // what Ctrl+H shows, for items
    };
    const Case cases[] = {
        {"a stock item", QStringLiteral("pc-1001"), common::Allocation, "tvSourceLoc",
         QStringLiteral("S%1").arg(f.pc1), QStringLiteral("PC-1001")},
        {"a licence, by its group", QStringLiteral("efgh"), common::Allocation, "tvSourceLoc",
         common::licenceGroupKey(false, f.suite, f.room), QStringLiteral("ABCD-EFGH-1234")},
        {"a location", QStringLiteral("etage"), common::LocationUtilities, "tvLocations2",
         QStringLiteral("L%1").arg(f.cafe), QString()},
        {"a product", QStringLiteral("laptop"), common::ProductUtilities, nullptr,
         QStringLiteral("P%1").arg(f.laptop), QString()},
    };
    for (const Case& c : cases) {
        box->clear();
        type(c.query);
        QTest::keyClick(box, Qt::Key_Return);
        EXPECT_EQ(window->SSTab1()->currentIndex(), c.page) << c.what;
        if (c.tree) {
            auto* tree = child<QTreeView>(window->page(c.page), c.tree);
            const testing_support::TreeNodes nodes(tree);
            EXPECT_EQ(nodes.selected(), c.key) << c.what;
            EXPECT_TRUE(nodes.shown(c.key)) << c.what;
            EXPECT_TRUE(tree->hasFocus()) << c.what;
        } else {
            auto* list = child<common::ReportList>(window->page(c.page), "lvProdList");
            EXPECT_EQ(list->selectedKey(), c.key) << c.what;
            EXPECT_EQ(window->selectedProdId(), f.laptop) << c.what;
        }
        if (c.historyCode.isEmpty())
            continue;
        auto* tree = child<QTreeView>(window->page(c.page), c.tree);
        QString shown;
        testing_support::WhenModal<assets::frmStockLicHist> history(
            [&](assets::frmStockLicHist* dialog) {
                shown = child<QLineEdit>(dialog, "txtCode")->text();
                dialog->reject();
            });
        QTest::keyClick(tree, Qt::Key_H, Qt::ControlModifier);
        EXPECT_TRUE(history.ran()) << c.what;
        EXPECT_EQ(shown, c.historyCode) << c.what;
    }
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(FindWindow, ASupplierOpensInTheSupplierList) {
    type(QStringLiteral("societe"));
    ASSERT_EQ(results->topLevelItemCount(), 1);
    QString selected;
    testing_support::WhenModal<suppliers::frmSupplierList> list(
        [&](suppliers::frmSupplierList* dialog) {
            selected = child<common::ReportList>(dialog, "lvSupplyList")->selectedKey();
            dialog->reject();
        });
    // From the list: Down into it, then Enter.
    QTest::keyClick(box, Qt::Key_Down);
    ASSERT_TRUE(results->hasFocus());
    QTest::keyClick(results, Qt::Key_Return);
    EXPECT_TRUE(list.ran());
    EXPECT_EQ(selected, QStringLiteral("S%1").arg(f.supplier));
}

// The texts of every line of the list.
QStringList lines(const QTreeWidget* list) {
    QStringList out;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        out << list->topLevelItem(i)->text(0) + QLatin1Char('|') + list->topLevelItem(i)->text(1);
    return out;
}

// A register larger than a slice is searched between the window's events:
// the list says so until the search ends, and a newer search replaces
// the one under way without the older one's results ever showing.
TEST_F(FindWindow, ASearchGoesOnBetweenEventsAndANewerOneReplacesIt) {
    window->findPanel()->setSliceRows(1);
    type(QStringLiteral("zzzz"));
    ASSERT_TRUE(window->findPanel()->searching());
    ASSERT_TRUE(results->isVisible());
    EXPECT_EQ(lines(results).last(), QStringLiteral("Searching\u2026|"));
    EXPECT_FALSE(results->topLevelItem(results->topLevelItemCount() - 1)->flags() &
                 Qt::ItemIsSelectable);

    // A newer text before the first search has ended.
    box->selectAll();
    type(QStringLiteral("pc-10"));
    ASSERT_TRUE(window->findPanel()->searching());
    QTRY_VERIFY_WITH_TIMEOUT(!window->findPanel()->searching(), 5000);
    EXPECT_EQ(lines(results),
              (QStringList{QStringLiteral("Stock|PC-1001"), QStringLiteral("Stock|PC-1002")}));
    // Nothing of the older search comes later.
    QTest::qWait(50);
    EXPECT_EQ(results->topLevelItemCount(), 2);

    // Its own search run to the end shows its own result.
    box->selectAll();
    type(QStringLiteral("zzzz"));
    window->findPanel()->finishSearch();
    EXPECT_FALSE(window->findPanel()->searching());
    EXPECT_EQ(lines(results), QStringList{QStringLiteral("Licence|ZZZZ-KEY")});

    // Clearing the box ends a search under way.
    box->selectAll();
    type(QStringLiteral("room"));
    ASSERT_TRUE(window->findPanel()->searching());
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_FALSE(window->findPanel()->searching());
    EXPECT_FALSE(results->isVisible());
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(FindWindow, EnterBeforeAnythingIsFoundGoesToTheFirstResultOnceFound) {
    window->findPanel()->setSliceRows(1);
    // The location comes late in the walk: kinds before it come first.
    type(QStringLiteral("etage"));
    QTest::keyClick(box, Qt::Key_Return);
    ASSERT_TRUE(window->findPanel()->searching());
    EXPECT_NE(window->SSTab1()->currentIndex(), common::LocationUtilities);
    QTRY_COMPARE_WITH_TIMEOUT(window->SSTab1()->currentIndex(),
                              static_cast<int>(common::LocationUtilities), 5000);
    const testing_support::TreeNodes nodes(
        child<QTreeView>(window->page(common::LocationUtilities), "tvLocations2"));
    EXPECT_EQ(nodes.selected(), QStringLiteral("L%1").arg(f.cafe));
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(FindWindow, DoubleClickGoesToTheResultAndTheMoreLineGoesNowhere) {
    type(QStringLiteral("room"));
    ASSERT_GE(results->topLevelItemCount(), 1);
    QTreeWidgetItem* first = results->topLevelItem(0);
    // The list was just shown: let it be laid out before pointing at a row.
    QApplication::processEvents();
    results->doItemsLayout();
    ASSERT_FALSE(results->visualItemRect(first).isEmpty());
    const QPoint at = results->visualItemRect(first).center();
    // A double-click is a press and release, then the second press.
    QTest::mouseClick(results->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(results->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    EXPECT_EQ(window->SSTab1()->currentIndex(), common::LocationUtilities);
    EXPECT_FALSE(window->findPanel()->openResult(results->topLevelItemCount()));
}

} // namespace
