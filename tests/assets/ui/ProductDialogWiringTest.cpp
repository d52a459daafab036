#include "assets/ui/ProductDialogWiring.h"
#include "assets/ui/frmLicenceMaint.h"
#include "assets/ui/frmStockMaint.h"
#include "catalogue/ui/ProductMenu.h"
#include "catalogue/ui/frmProductMaint.h"
#include "common/DialogMode.h"
#include "common/Session.h"
#include "common/ui/ReportList.h"
#include "store/Database.h"
#include "store/StoreConstants.h"
#include "support/QtPrinting.h"
#include "support/RecordingMain.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"
#include "support/TestHooks.h"
#include "support/WhenModal.h"
#include "support/Widgets.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include <gtest/gtest.h>

using catalogue::frmProductMaint;
using common::ReportList;
using testing_support::child;
using testing_support::WhenModal;

namespace {

class ProductDialogWiring : public ::testing::Test {
protected:
    void SetUp() override {
        office = t.addLocation(QStringLiteral("Office"), 1, 2, 1);
        const int pcs = t.addCategory(QStringLiteral("PCs"));
        desktop = t.addProduct(QStringLiteral("D1"), QStringLiteral("Desktop"), pcs);
        stock = t.addStock(QStringLiteral("PC-1"), desktop, office);
    }
    void TearDown() override { EXPECT_FALSE(messages.unexpectedQuestion()); }

    static QPushButton* button(const QWidget* d, const char* name) {
        return child<QPushButton>(d, name);
    }
    static QStringList column(const ReportList* list, int col) {
        QStringList out;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            out << list->topLevelItem(i)->text(col);
        return out;
    }

    testing_support::TestDatabase t;
    testing_support::ScriptedMessages messages;
    testing_support::TestHooks hooks;
    common::Session session{t.db(), messages, hooks.clock, hooks.files};
    int office = 0, desktop = 0, stock = 0;
};

} // namespace

TEST_F(ProductDialogWiring, TheTabButtonsAddAndRemoveItemsAndTheListsFollow) {
    frmProductMaint product(session);
    product.Mode = common::mode::Modify;
    product.ProdID = desktop;
    assets::wireProductDialog(product, session);
    product.show();
    auto* lvStock = child<ReportList>(&product, "lvStock");
    auto* lvLicences = child<ReportList>(&product, "lvLicences");

    // Each item stored refills the list while the stock dialog stays open.
    WhenModal<assets::frmStockMaint> addStock([&](assets::frmStockMaint* d) {
        EXPECT_EQ(d->Mode, common::mode::Add);
        EXPECT_EQ(d->ProdID, desktop);
        child<QLineEdit>(d, "txtLoc")->setText(QStringLiteral("Office"));
        child<QLineEdit>(d, "txtLocID")->setText(QString::number(office));
        child<QLineEdit>(d, "txtCode")->setText(QStringLiteral("pc-2"));
        button(d, "btnAdd")->click();
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(column(lvStock, 0), (QStringList{"PC-1", "PC-2"}));
    });
    button(&product, "btnAddStock")->click();
    EXPECT_TRUE(addStock.ran());

    lvStock->topLevelItem(0)->setSelected(true);
    messages.answer({true});
    button(&product, "btnDelStock")->click();
    EXPECT_EQ(column(lvStock, 1), (QStringList{"Removed Stock", "Office"}));

    child<QTabWidget>(&product, "SSProducts")->setCurrentIndex(1);
    WhenModal<assets::frmLicenceMaint> addLicence([&](assets::frmLicenceMaint* d) {
        EXPECT_EQ(d->Mode, common::mode::Add);
        child<QLineEdit>(d, "txtCode")->setText(QStringLiteral("key-1"));
        button(d, "btnAdd")->click();
        EXPECT_EQ(column(lvLicences, 0), QStringList{"KEY-1"});
    });
    button(&product, "btnAddLicence")->click();
    EXPECT_TRUE(addLicence.ran());
    EXPECT_EQ(column(lvLicences, 1), QStringList{"Available Licences"});

    lvLicences->topLevelItem(0)->setSelected(true);
    messages.answer({true});
    button(&product, "btnDelLicence")->click();
    EXPECT_EQ(column(lvLicences, 1), QStringList{"Removed Licences"});
    EXPECT_EQ(t.count(QStringLiteral("StockHistory")), 4);
    EXPECT_EQ(messages.texts(), (QStringList{"Are you sure you wish to delete this item of stock",
                                             "Are you sure you wish to delete this licence"}));
}

TEST_F(ProductDialogWiring, TheProgramWiresEveryProductDialogItOpens) {
    testing_support::RecordingMain window(session, nullptr);
    window.Form_Load({});
    bool opened = false;
    WhenModal<frmProductMaint> product([&](frmProductMaint* d) {
        auto* lvStock = child<ReportList>(d, "lvStock");
        lvStock->topLevelItem(0)->setSelected(true);
        WhenModal<assets::frmStockMaint> modify([&](assets::frmStockMaint* s) {
            opened = true;
            EXPECT_EQ(s->Mode, common::mode::Modify);
            EXPECT_EQ(s->StockID, stock);
            EXPECT_EQ(child<QLineEdit>(s, "txtCode")->text(), QStringLiteral("PC-1"));
        });
        button(d, "btnModStock")->click();
        EXPECT_TRUE(modify.ran());
    });
    catalogue::showProductDialog(window, common::mode::Modify, desktop, &window);
    EXPECT_TRUE(product.ran());
    EXPECT_TRUE(opened);
}
