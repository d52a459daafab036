#include "assets/ui/frmStockMaint.h"
#include "common/DialogMode.h"
#include "common/Messages.h"
#include "common/Session.h"
#include "common/ui/DatePicker.h"
#include "common/ui/ReportList.h"
#include "locations/clsLocations.h"
#include "locations/ui/LocationTreeView.h"
#include "locations/ui/frmLocationList.h"
#include "store/Database.h"
#include "store/StoreConstants.h"
#include "suppliers/ui/frmSupplierList.h"
#include "support/QtPrinting.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"
#include "support/TestHooks.h"
#include "support/WhenModal.h"
#include "support/Widgets.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using assets::frmStockMaint;
using testing_support::child;
using testing_support::WhenModal;

namespace {

class StockMaint : public ::testing::Test {
protected:
    void SetUp() override {
        office = t.addLocation(QStringLiteral("IT office"), 1, 2, 1);
        licRoom = t.addLocation(QStringLiteral("licence room"), 2, 2, 2);
        const int pcs = t.addCategory(QStringLiteral("PCs"));
        desktop = t.addProduct(QStringLiteral("D1"), QStringLiteral("Desktop"), pcs);
        twin = t.addProduct(QStringLiteral("D2"), QStringLiteral("Desktop"), pcs);
        t.db().execute(QStringLiteral("INSERT INTO Suppliers (Supp_Name) VALUES ('Acme')"));
        acme = static_cast<int>(t.db().lastInsertId());
    }
    void TearDown() override { EXPECT_FALSE(messages.unexpectedQuestion()); }

    std::unique_ptr<frmStockMaint> open(const QString& mode, int prodId, int stockId) {
        auto d = std::make_unique<frmStockMaint>(session);
        d->Mode = mode;
        d->ProdID = prodId;
        d->StockID = stockId;
        d->show();
        return d;
    }
    static QLineEdit* edit(const QWidget* d, const char* name) { return child<QLineEdit>(d, name); }
    static QPushButton* button(const QWidget* d, const char* name) {
        return child<QPushButton>(d, name);
    }
    // Picks a location in the picker that the dialog's location button opens.
    static void pickLocation(frmStockMaint* d, int locId) {
        WhenModal<locations::frmLocationList> pick([locId](locations::frmLocationList* list) {
            auto* tree = child<locations::LocationTreeView>(list, "tvLocations");
            tree->expandAll();
            tree->setCurrentItem(tree->node(locations::locationKey(locId)));
            child<QPushButton>(list, "btnSelect")->click();
        });
        child<QToolButton>(d, "btnSupplier")->click();
        EXPECT_TRUE(pick.ran());
    }
    static void pickFirstSupplier(frmStockMaint* d) {
        WhenModal<suppliers::frmSupplierList> pick([](suppliers::frmSupplierList* list) {
            child<common::ReportList>(list, "lvSupplyList")->topLevelItem(0)->setSelected(true);
            child<QPushButton>(list, "btnSelect")->click();
        });
        child<QToolButton>(d, "btnGetsupp")->click();
        EXPECT_TRUE(pick.ran());
    }
    std::optional<QString> stockValue(const char* column, const QString& code) {
        return t.value(QStringLiteral("SELECT %1 FROM Stock WHERE Stock_Code = ?")
                           .arg(QString::fromLatin1(column)),
                       code);
    }

    testing_support::TestDatabase t;
    testing_support::ScriptedMessages messages;
    testing_support::TestHooks hooks;
    common::Session session{t.db(), messages, hooks.clock, hooks.files};
    int office = 0, licRoom = 0, desktop = 0, twin = 0, acme = 0;
};

} // namespace

TEST_F(StockMaint, AddPicksLocationAndSupplierAndStaysOpenForTheNextItem) {
    auto d = open(common::mode::Add, desktop, 0);
    QSignalSpy changed(d.get(), &frmStockMaint::stockChanged);
    EXPECT_EQ(d->windowTitle(), QStringLiteral("Stock Maintenance"));
    EXPECT_EQ(button(d.get(), "btnAdd")->text(), QStringLiteral("&Add"));
    auto* product = child<QComboBox>(d.get(), "cboProdDesc");
    ASSERT_EQ(product->count(), 1);
    EXPECT_EQ(product->currentData().toInt(), desktop);
    EXPECT_FALSE(product->isEnabled());
    EXPECT_EQ(child<common::DatePicker>(d.get(), "DTStock")->date(),
              testing_support::testNow().date());
    EXPECT_EQ(child<QToolButton>(d.get(), "btnSupplier")->toolTip(),
              QStringLiteral("Select a Location"));
    EXPECT_EQ(child<QToolButton>(d.get(), "btnGetsupp")->toolTip(),
              QStringLiteral("Select a Supplier"));
    EXPECT_FALSE(edit(d.get(), "txtLoc")->isEnabled());
    EXPECT_FALSE(edit(d.get(), "txtLocID")->isVisibleTo(d.get()));

    pickLocation(d.get(), office);
    EXPECT_EQ(edit(d.get(), "txtLoc")->text(), QStringLiteral("It Office"));
    EXPECT_EQ(edit(d.get(), "txtLocID")->text(), QString::number(office));
    pickFirstSupplier(d.get());
    EXPECT_EQ(edit(d.get(), "txtSupplier")->text(), QStringLiteral("Acme"));
    EXPECT_EQ(edit(d.get(), "txtSuppID")->text(), QString::number(acme));

    QTest::keyClicks(edit(d.get(), "txtCode"), QStringLiteral("pc-1"));
    QTest::keyClicks(edit(d.get(), "txtCost"), QStringLiteral("1234.5"));
    QTest::keyClick(edit(d.get(), "txtCost"), Qt::Key_Return);
    EXPECT_TRUE(messages.shown().empty()) << messages.texts().join('|').toStdString();
    EXPECT_EQ(changed.size(), 1);
    EXPECT_TRUE(d->isVisible());
    EXPECT_TRUE(edit(d.get(), "txtCode")->text().isEmpty());
    EXPECT_EQ(edit(d.get(), "txtCost")->text(), QStringLiteral("1,234.50"));
    EXPECT_EQ(edit(d.get(), "txtLoc")->text(), QStringLiteral("It Office"));
    EXPECT_EQ(d->focusWidget(), edit(d.get(), "txtCode"));
    EXPECT_EQ(stockValue("Cost", QStringLiteral("PC-1")), QStringLiteral("123450"));
    EXPECT_EQ(stockValue("Supp_ID", QStringLiteral("PC-1")), QString::number(acme));
    EXPECT_EQ(t.value(QStringLiteral("SELECT Loc_Desc FROM StockHistory WHERE Type = 'S'")),
              QStringLiteral("It Office"));

    // The next item, with Enter in the code box; the same code is refused
    // and everything typed stays.
    QTest::keyClicks(edit(d.get(), "txtCode"), QStringLiteral("pc-1"));
    QTest::keyClick(edit(d.get(), "txtCode"), Qt::Key_Return);
    EXPECT_EQ(messages.texts(),
              QStringList{"The Stock Code: PC-1, already exists - unable to add"});
    EXPECT_EQ(edit(d.get(), "txtCode")->text(), QStringLiteral("PC-1"));
    EXPECT_EQ(edit(d.get(), "txtSupplier")->text(), QStringLiteral("Acme"));
    EXPECT_EQ(changed.size(), 1);
    EXPECT_EQ(t.count(QStringLiteral("Stock")), 1);
}

TEST_F(StockMaint, PickersClosedWithoutAChoiceEmptyTheirFields) {
    auto d = open(common::mode::Add, desktop, 0);
    pickLocation(d.get(), licRoom);
    edit(d.get(), "txtCode")->setText(QStringLiteral("PC-1"));
    button(d.get(), "btnAdd")->click();
    EXPECT_EQ(messages.texts(),
              QStringList{"You can only add stock to locations under (Available Locations)"});
    messages.clear();

    WhenModal<locations::frmLocationList> close(
        [](locations::frmLocationList* list) { child<QPushButton>(list, "btnClose")->click(); });
    child<QToolButton>(d.get(), "btnSupplier")->click();
    EXPECT_TRUE(close.ran());
    EXPECT_TRUE(edit(d.get(), "txtLoc")->text().isEmpty());
    EXPECT_EQ(edit(d.get(), "txtLocID")->text(), QStringLiteral("0"));
    button(d.get(), "btnAdd")->click();
    EXPECT_EQ(messages.texts(), QStringList{"Please enter a location"});
    EXPECT_EQ(d->focusWidget(), edit(d.get(), "txtCode"));

    pickFirstSupplier(d.get());
    WhenModal<suppliers::frmSupplierList> none(
        [](suppliers::frmSupplierList* list) { child<QPushButton>(list, "btnClose")->click(); });
    child<QToolButton>(d.get(), "btnGetsupp")->click();
    EXPECT_TRUE(none.ran());
    EXPECT_TRUE(edit(d.get(), "txtSupplier")->text().isEmpty());
    EXPECT_TRUE(edit(d.get(), "txtSuppID")->text().isEmpty());

    // The clear buttons.
    pickLocation(d.get(), office);
    pickFirstSupplier(d.get());
    child<QToolButton>(d.get(), "btnClearLoc")->click();
    child<QToolButton>(d.get(), "btnClearSupp")->click();
    for (const char* name : {"txtLoc", "txtLocID", "txtSupplier", "txtSuppID"})
        EXPECT_TRUE(edit(d.get(), name)->text().isEmpty()) << name;
}

TEST_F(StockMaint, AddWithoutAProductStoresNothing) {
    auto d = open(common::mode::Add, 0, 0);
    EXPECT_EQ(child<QComboBox>(d.get(), "cboProdDesc")->count(), 0);
    pickLocation(d.get(), office);
    edit(d.get(), "txtCode")->setText(QStringLiteral("PC-1"));
    button(d.get(), "btnAdd")->click();
    EXPECT_EQ(messages.texts(), QStringList{"Internal Error: ProductID not set"});
    EXPECT_EQ(t.count(QStringLiteral("Stock")), 0);
}

TEST_F(StockMaint, ModifyMovesTheItemToAnotherProductOfTheSameName) {
    const int id = t.addStock(QStringLiteral("PC-1"), desktop, office);
    t.db().execute(QStringLiteral("UPDATE Stock SET Cost = 0, Date_Added = '2026-01-02 "
                                  "03:04:05' WHERE Stock_ID = ?"),
                   id);
    auto d = open(common::mode::Modify, desktop, id);
    QSignalSpy changed(d.get(), &frmStockMaint::stockChanged);
    EXPECT_EQ(button(d.get(), "btnAdd")->text(), QStringLiteral("&Modify"));
    EXPECT_EQ(edit(d.get(), "txtCode")->text(), QStringLiteral("PC-1"));
    EXPECT_EQ(edit(d.get(), "txtLoc")->text(), QStringLiteral("IT office"));
    EXPECT_EQ(edit(d.get(), "txtCost")->text(), QStringLiteral("0.00"));
    EXPECT_EQ(child<common::DatePicker>(d.get(), "DTStock")->date(), QDate(2026, 1, 2));
    auto* product = child<QComboBox>(d.get(), "cboProdDesc");
    EXPECT_TRUE(product->isEnabled());
    ASSERT_EQ(product->count(), 2);
    EXPECT_EQ(product->currentData().toInt(), desktop);

    product->setCurrentIndex(product->findData(twin));
    button(d.get(), "btnAdd")->click();
    EXPECT_TRUE(messages.shown().empty()) << messages.texts().join('|').toStdString();
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(changed.size(), 1);
    EXPECT_EQ(stockValue("Prod_ID", QStringLiteral("PC-1")), QString::number(twin));
    // No move, no history row.
    EXPECT_EQ(t.count(QStringLiteral("StockHistory")), 0);
}

TEST_F(StockMaint, AnItemChangedByAnotherUserSinceItWasShownIsShownAgainNotOverwritten) {
    const int id = t.addStock(QStringLiteral("PC-1"), desktop, office);
    auto d = open(common::mode::Modify, desktop, id);
    QSignalSpy changed(d.get(), &frmStockMaint::stockChanged);
    // Another user moves it and gives it a cost while the dialog is open.
    const int store = t.addLocation(QStringLiteral("Store"), 1, 2, 1);
    t.db().execute(QStringLiteral("UPDATE Stock SET Loc_ID = ?, Cost = 1500 WHERE Stock_ID = ?"),
                   store, id);

    edit(d.get(), "txtCost")->setText(QStringLiteral("99"));
    button(d.get(), "btnAdd")->click();
    EXPECT_EQ(messages.texts(), QStringList{common::ChangedByAnotherUser});
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(changed.size(), 0);
    EXPECT_EQ(stockValue("Loc_ID", QStringLiteral("PC-1")), QString::number(store));
    EXPECT_EQ(stockValue("Cost", QStringLiteral("PC-1")), QStringLiteral("1500"));
    // The dialog shows the item as it now is; stored from there, it goes in.
    EXPECT_EQ(edit(d.get(), "txtLoc")->text(), QStringLiteral("Store"));
    EXPECT_EQ(edit(d.get(), "txtCost")->text(), QStringLiteral("15.00"));
    messages.clear();
    edit(d.get(), "txtCost")->setText(QStringLiteral("99"));
    button(d.get(), "btnAdd")->click();
    EXPECT_TRUE(messages.shown().empty()) << messages.texts().join('|').toStdString();
    EXPECT_EQ(stockValue("Cost", QStringLiteral("PC-1")), QStringLiteral("9900"));
    EXPECT_EQ(stockValue("Loc_ID", QStringLiteral("PC-1")), QString::number(store));
}

TEST_F(StockMaint, TheActionFollowsTheModeTheDialogWasOpenedInNotTheButtonsCaption) {
    const int id = t.addStock(QStringLiteral("PC-1"), desktop, office);
    auto d = open(common::mode::Modify, desktop, id);
    // A caption changed afterwards changes nothing of what the button does.
    button(d.get(), "btnAdd")->setText(QStringLiteral("&Add"));
    edit(d.get(), "txtCode")->setText(QStringLiteral("PC-2"));
    button(d.get(), "btnAdd")->click();
    EXPECT_TRUE(messages.shown().empty()) << messages.texts().join('|').toStdString();
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(t.count(QStringLiteral("Stock")), 1);
    EXPECT_EQ(stockValue("Stock_ID", QStringLiteral("PC-2")), QString::number(id));
}

TEST_F(StockMaint, ViewShowsTheItemReadOnly) {
    const int id = t.addStock(QStringLiteral("PC-1"), twin, office);
    auto d = open(common::mode::View, 0, id);
    EXPECT_FALSE(child<QGroupBox>(d.get(), "framStock")->isEnabled());
    EXPECT_FALSE(button(d.get(), "btnAdd")->isVisible());
    EXPECT_FALSE(child<QComboBox>(d.get(), "cboProdDesc")->isEnabled());
    EXPECT_EQ(child<QComboBox>(d.get(), "cboProdDesc")->currentData().toInt(), twin);
    EXPECT_EQ(edit(d.get(), "txtCode")->text(), QStringLiteral("PC-1"));
    QTest::keyClick(edit(d.get(), "txtCode"), Qt::Key_Return);
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(StockMaint, KeyRulesOfCodeAndCost) {
    auto d = open(common::mode::Add, desktop, 0);
    auto* code = edit(d.get(), "txtCode");
    QTest::keyClicks(code, QStringLiteral("a'b|c"));
    EXPECT_EQ(code->text(), QStringLiteral("a'bc"));
    // Upper-cased as the focus leaves.
    QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(code, &leave);
    EXPECT_EQ(code->text(), QStringLiteral("A'BC"));
    QTest::keyClicks(edit(d.get(), "txtCost"), QStringLiteral("1x2,3.4-"));
    EXPECT_EQ(edit(d.get(), "txtCost")->text(), QStringLiteral("123.4"));
    code->setText(QString(50, QLatin1Char('C')));
    QTest::keyClick(code, Qt::Key_D);
    QTest::keyClick(code, Qt::Key_Return);
    EXPECT_EQ(messages.texts(),
              (QStringList{"Only 50 characters allowed", "Only 50 characters allowed"}));
    EXPECT_EQ(t.count(QStringLiteral("Stock")), 0);
}
