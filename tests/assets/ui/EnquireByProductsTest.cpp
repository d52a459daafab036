#include "assets/clsStockLicenceHist.h"
#include "assets/ui/frmStockLicHist.h"
#include "assets/ui/frmStockMaint.h"
#include "assets/ui/pgEnquireByProducts.h"
#include "common/Session.h"
#include "common/ui/MainWindow.h"
#include "common/ui/ReportList.h"
#include "shell/ui/frmVemora.h"
#include "store/History.h"
#include "store/StoreConstants.h"

#include "support/QtPrinting.h"
#include "support/RecordingMain.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"
#include "support/TestHooks.h"
#include "support/WhenModal.h"
#include "support/Widgets.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>

#include <gtest/gtest.h>

using testing_support::child;

namespace {

class EnquireByProducts : public ::testing::Test {
protected:
    void open() {
        window = std::make_unique<testing_support::RecordingMain>(session, nullptr);
        window->show();
        window->SSTab1()->setCurrentIndex(common::EnquireByProducts);
        page = static_cast<assets::pgEnquireByProducts*>(window->page(common::EnquireByProducts));
    }
    QComboBox* combo(const char* name) { return child<QComboBox>(page, name); }
    common::ReportList* list() { return child<common::ReportList>(page, "lvEnqProd"); }
    QStringList keys() {
        QStringList out;
        for (int i = 0; i < list()->topLevelItemCount(); ++i)
            out << list()->keyOf(list()->topLevelItem(i));
        return out;
    }
    QString states() {
        QString out;
        for (const auto& [array, count] :
             {std::pair{"mnuStockL", 3}, std::pair{"mnuSMaint", 4}, std::pair{"mnuLMaint", 4}}) {
            for (int i = 0; i < count; ++i)
                out += window->menuItem(QString::fromLatin1(array), i)->isEnabled() ? '1' : '0';
            out += ' ';
        }
        return out.trimmed();
    }
    void rightClick(const QString& key) {
        list()->clearSelection();
        if (QTreeWidgetItem* row = list()->findKey(key))
            row->setSelected(true);
        page->lvEnqProd_MouseDown(Qt::RightButton, QPoint());
    }

    testing_support::TestDatabase t;
    testing_support::ScriptedMessages messages;
    testing_support::TestHooks hooks;
    common::Session session{t.db(), messages, hooks.clock, hooks.files};
    std::unique_ptr<testing_support::RecordingMain> window;
    assets::pgEnquireByProducts* page = nullptr;
};

} // namespace

TEST_F(EnquireByProducts, EnteringThePageChainsCategoryProductAndList) {
    open(); // no categories at all
    EXPECT_EQ(combo("cboEnqCats")->count(), 0);
    EXPECT_EQ(combo("cboEnqProds")->count(), 0);
    EXPECT_FALSE(child<QLabel>(page, "lblLicExceed")->isVisible());

    const int empty = t.addCategory(QStringLiteral("Audio"));
    const int pcs = t.addCategory(QStringLiteral("PCs"));
    const int office = t.addLocation(QStringLiteral("Office"), 1, 2, 1);
    const int pc = t.addProduct(QStringLiteral("P1"), QStringLiteral("Desk PC"), pcs);
    const int twin = t.addProduct(QStringLiteral("P2"), QStringLiteral("Desk PC"), pcs);
    const int s1 = t.addStock(QStringLiteral("S1"), pc, office);
    const int s2 = t.addStock(QStringLiteral("S2"), twin, office);
    window->SSTab1_Click(common::EnquireByProducts);
    // The first category has no products: both lists stay empty.
    EXPECT_EQ(combo("cboEnqCats")->currentData().toInt(), empty);
    EXPECT_EQ(combo("cboEnqProds")->count(), 0);
    EXPECT_TRUE(keys().isEmpty());
    rightClick(QString());
    EXPECT_EQ(states(), QStringLiteral("000 0000 0000"));

    combo("cboEnqCats")->setCurrentIndex(1);
    page->cboEnqCats_Click();
    EXPECT_EQ(combo("cboEnqProds")->count(), 2);
    EXPECT_EQ(keys(), QStringList{QStringLiteral("S%1").arg(s1)});
    // Two products of one description: the one chosen is listed.
    combo("cboEnqProds")->setCurrentIndex(1);
    page->cboEnqProds_Click();
    EXPECT_EQ(keys(), QStringList{QStringLiteral("S%1").arg(s2)});
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(EnquireByProducts, TheMenuFollowsTheSelectedRowAndHistoryShowsThatItem) {
    const int cat = t.addCategory(QStringLiteral("PCs"));
    const int office = t.addLocation(QStringLiteral("Office"), 1, 2, 1);
    const int pc = t.addProduct(QStringLiteral("P1"), QStringLiteral("Desk PC"), cat);
    const int item = t.addStock(QStringLiteral("S1"), pc, office);
    const int licence = t.addLicence(QStringLiteral("K1"), pc, 2, store::LicenceTemporary);
    store::writeHistory(t.db(), item, store::HistoryStock, QStringLiteral("Office"),
                        hooks.clock.now());
    store::writeHistory(t.db(), licence, store::HistoryLicence, QStringLiteral("Pool"),
                        hooks.clock.now());
    open();
    ASSERT_EQ(keys().size(), 2);
    EXPECT_EQ(list()->findKey(QStringLiteral("L%1").arg(licence))->foreground(0).color(),
              QColor(255, 0, 0));

    struct Case {
        QString key;
        const char* states;
    };
    const Case cases[] = {
        {QString(), "110 1000 1000"},
        {QStringLiteral("S%1").arg(item), "111 1111 1000"},
        {QStringLiteral("L%1").arg(licence), "111 1000 1111"},
    };
    for (const Case& c : cases) {
        rightClick(c.key);
        EXPECT_EQ(states(), QString::fromLatin1(c.states)) << c.key.toStdString();
        EXPECT_EQ(window->popped.back(), window->sharedMenu(common::SharedMenu::StockLicences));
    }

    // History on the licence row: the licence's own rows.
    QStringList seen;
    testing_support::WhenModal<assets::frmStockLicHist> read([&](assets::frmStockLicHist* d) {
        seen << child<QLineEdit>(d, "txtCode")->text();
        auto* rows = child<common::ReportList>(d, "lvStockLicHist");
        for (int i = 0; i < rows->topLevelItemCount(); ++i)
            seen << rows->topLevelItem(i)->text(0) + QStringLiteral(" ") +
                        rows->topLevelItem(i)->text(1);
        d->reject();
    });
    window->menuItem(QStringLiteral("mnuStockL"), 2)->trigger();
    EXPECT_EQ(seen, (QStringList{"K1", "10/12/26 09:30 Pool"}));
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(EnquireByProducts, TheHistoryDialogShowsTheItemItIsMadeFor) {
    const int cat = t.addCategory(QStringLiteral("PCs"));
    const int office = t.addLocation(QStringLiteral("Office"), 1, 2, 1);
    const int pc = t.addProduct(QStringLiteral("P1"), QStringLiteral("Desk PC"), cat);
    const int first = t.addStock(QStringLiteral("S1"), pc, office);
    const int second = t.addStock(QStringLiteral("S2"), pc, office);
    store::writeHistory(t.db(), second, store::HistoryStock, QStringLiteral("Lab"),
                        testing_support::testNow());
    // The shared object still names another item: the dialog does not read it.
    auto& shared = session.logic<assets::clsStockLicenceHist>();
    shared.ItemID = first;
    shared.ItemType = store::HistoryStock;
    assets::frmStockLicHist d(session, second, store::HistoryStock);
    EXPECT_EQ(child<QLineEdit>(&d, "txtCode")->text(), QStringLiteral("S2"));
    auto* rows = child<common::ReportList>(&d, "lvStockLicHist");
    ASSERT_EQ(rows->topLevelItemCount(), 1);
    EXPECT_EQ(rows->topLevelItem(0)->text(1), QStringLiteral("Lab"));
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(EnquireByProducts, TheMenuMaintainsTheChosenProductsItemsAndRefillsTheList) {
    const int cat = t.addCategory(QStringLiteral("PCs"));
    const int office = t.addLocation(QStringLiteral("Office"), 1, 2, 1);
    t.addProduct(QStringLiteral("P0"), QStringLiteral("Desk PC"), cat);
    const int pc = t.addProduct(QStringLiteral("P1"), QStringLiteral("Desk PC"), cat);
    const int item = t.addStock(QStringLiteral("S1"), pc, office);
    open();
    combo("cboEnqProds")->setCurrentIndex(1);
    page->cboEnqProds_Click();
    ASSERT_EQ(keys(), QStringList{QStringLiteral("S%1").arg(item)});

    // Removing parks the item first, then deletes it for good.
    const auto locationOfOnlyRow = [this] {
        return list()->topLevelItemCount() == 1 ? list()->topLevelItem(0)->text(0) : QString();
    };
    rightClick(QStringLiteral("S%1").arg(item));
    messages.answer({true});
    window->menuItem(QStringLiteral("mnuSMaint"), 3)->trigger();
    EXPECT_EQ(locationOfOnlyRow(), QStringLiteral("Removed Stock"));
    rightClick(QStringLiteral("S%1").arg(item));
    messages.answer({true});
    window->menuItem(QStringLiteral("mnuSMaint"), 3)->trigger();
    EXPECT_TRUE(keys().isEmpty());
    EXPECT_FALSE(messages.unexpectedQuestion());

    // "Add" opens the stock dialog for the product chosen by id.
    QString mode;
    int prodId = -1;
    testing_support::WhenModal<assets::frmStockMaint> read([&](assets::frmStockMaint* d) {
        mode = d->Mode;
        prodId = d->ProdID;
        d->reject();
    });
    rightClick(QString());
    window->menuItem(QStringLiteral("mnuSMaint"), 0)->trigger();
    EXPECT_EQ(mode, QStringLiteral("ADD"));
    EXPECT_EQ(prodId, pc);
}
