#include "assets/ui/pgEnquireByLocation.h"
#include "locations/ui/LocationTreeView.h"
#include "shell/Session.h"
#include "shell/ui/ReportList.h"
#include "shell/ui/frmVemora.h"
#include "store/StoreConstants.h"
#include "support/RecordingMain.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"

#include <QAction>
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
        page = window->pageEnquireByLocation();
    }

    void clickNode(const QString& key) {
        QTreeWidgetItem* node = page->tvLocations->node(key);
        ASSERT_NE(node, nullptr) << key.toStdString();
        page->tvLocations->selectNode(node);
        page->tvLocations_NodeClick(node);
    }

    QStringList column(shell::ReportList* list, int col) {
        QStringList out;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            out << list->topLevelItem(i)->text(col);
        return out;
    }

    std::array<bool, 4> menuStates() const {
        std::array<bool, 4> out{};
        for (size_t i = 0; i < out.size(); ++i)
            out[i] = window->mnuProd[i]->isEnabled();
        return out;
    }

    testing_support::TestDatabase t;
    testing_support::ScriptedMessages messages;
    shell::Session session{t.db(), messages};
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
    EXPECT_EQ(page->lblViewingLoc->text(), QStringLiteral("Location: It Office"));
    EXPECT_EQ(column(page->lvStockTable, 0), QStringList{"PC1"});
    EXPECT_EQ(column(page->lvStockTable, 3), QStringList{"2"});
    EXPECT_EQ(page->lvStockTable->keyOf(page->lvStockTable->topLevelItem(0)),
              QStringLiteral("S%1").arg(pc));
    EXPECT_EQ(column(page->lvLicenceTable, 3), QStringList{"0"});
    EXPECT_EQ(column(page->lvLicenceTable, 4), QStringList{"1"});

    clickNode(QStringLiteral("L0"));
    EXPECT_EQ(page->lblViewingLoc->text(), QStringLiteral("Location: SYSTEM"));
    EXPECT_EQ(page->lvStockTable->topLevelItemCount(), 0);
    EXPECT_EQ(page->lvLicenceTable->topLevelItemCount(), 0);
}

TEST_F(EnquireByLocation, EnteringThePageEmptiesTheListsButKeepsTheHeading) {
    const int cat = t.addCategory(QStringLiteral("PCs"));
    t.addStock(QStringLiteral("S1"), t.addProduct(QStringLiteral("PC1"), QStringLiteral("D"), cat),
               office);
    clickNode(QStringLiteral("L%1").arg(office));
    ASSERT_EQ(page->lvStockTable->topLevelItemCount(), 1);

    const int added = t.addLocation(QStringLiteral("Server room"), 1, 2, 1);
    window->SSTab1_Click(shell::frmVemora::EnquireByLocation);
    EXPECT_EQ(page->lvStockTable->topLevelItemCount(), 0);
    EXPECT_EQ(page->lblViewingLoc->text(), QStringLiteral("Location: It Office"));
    EXPECT_NE(page->tvLocations->node(QStringLiteral("L%1").arg(added)), nullptr);
}

TEST_F(EnquireByLocation, MousePressSetsTheProductMenuFromCategoriesAndSelection) {
    // No category at all: every item off, and the menu still pops up.
    page->listMouseDown(page->lvStockTable, Qt::RightButton, QPoint());
    EXPECT_EQ(menuStates(), (std::array<bool, 4>{false, false, false, false}));
    ASSERT_EQ(window->popped.size(), 1u);
    EXPECT_EQ(window->popped.back(), window->mnuProducts);

    const int cat = t.addCategory(QStringLiteral("Software"));
    const int word = t.addProduct(QStringLiteral("W1"), QStringLiteral("Word"), cat);
    t.addLicence(QStringLiteral("K1"), word, office, store::LicenceNormal);
    clickNode(QStringLiteral("L%1").arg(office));

    // Categories but no selected row: only "Add Product"; a left press pops nothing up.
    page->listMouseDown(page->lvLicenceTable, Qt::LeftButton, QPoint());
    EXPECT_EQ(menuStates(), (std::array<bool, 4>{true, false, false, false}));
    EXPECT_EQ(window->popped.size(), 1u);

    // A real press on the row selects it and names its product.
    QTreeWidgetItem* row = page->lvLicenceTable->topLevelItem(0);
    const QRect rect = page->lvLicenceTable->visualItemRect(row);
    window->show();
    QTest::mousePress(page->lvLicenceTable->viewport(), Qt::LeftButton, {}, rect.center());
    EXPECT_EQ(window->SelectedProdID, word);
    EXPECT_EQ(menuStates(), (std::array<bool, 4>{true, true, true, true}));
}
