#include "catalogue/ui/ProductMenu.h"
#include "catalogue/ui/frmProductMaint.h"
#include "common/DialogMode.h"
#include "common/Session.h"
#include "common/ui/DatePicker.h"
#include "common/ui/MainWindow.h"
#include "common/ui/Page.h"
#include "common/ui/ReportList.h"
#include "store/Database.h"
#include "store/StoreConstants.h"
#include "suppliers/clsSuppliers.h"
#include "suppliers/ui/frmSupplierList.h"
#include "support/RecordingMain.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"
#include "support/TestHooks.h"
#include "support/WhenModal.h"
#include "support/Widgets.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using catalogue::frmProductMaint;
using common::ReportList;
using testing_support::child;
using testing_support::RecordingMain;
using testing_support::WhenModal;

namespace {

const char* const TabButtons[] = {"btnAddStock",    "btnModStock",   "btnViewStock",
                                  "btnDelStock",    "btnAddLicence", "btnModLicence",
                                  "btnViewLicence", "btnDelLicence"};

class ProductMaint : public ::testing::Test {
protected:
    void SetUp() override {
        office = t.addLocation(QStringLiteral("Office"), 1, 2, 1);
        audio = t.addCategory(QStringLiteral("Audio"));
        pcs = t.addCategory(QStringLiteral("PCs"));
        desktop = t.addProduct(QStringLiteral("D1"), QStringLiteral("Desktop"), pcs);
        t.db().execute(QStringLiteral("UPDATE Products SET Date_Added = '2026-01-02 03:04:05'"));
        stock = t.addStock(QStringLiteral("PC1"), desktop, office);
        licence = t.addLicence(QStringLiteral("K-1"), desktop, store::loc::AvailableLicences,
                               store::LicenceTemporary);
    }
    void TearDown() override { EXPECT_FALSE(messages.unexpectedQuestion()); }

    std::unique_ptr<frmProductMaint> open(const QString& mode, int prodId) {
        auto d = std::make_unique<frmProductMaint>(session);
        d->Mode = mode;
        d->ProdID = prodId;
        d->show();
        return d;
    }
    struct Stored {
        QString code, desc;
        int catId = 0;
        std::int64_t cents = 0;
        std::optional<std::int64_t> suppId;
    };
    std::optional<Stored> stored(int id) {
        store::Query q(t.db(), QStringLiteral("SELECT * FROM Products WHERE Prod_ID = ?"));
        q.bindAll(id);
        if (!q.next())
            return std::nullopt;
        return Stored{
            q.rawText(QStringLiteral("Prod_Code")), q.rawText(QStringLiteral("Prod_Desc")),
            static_cast<int>(q.integer(QStringLiteral("Prod_Cat_ID"))),
            q.integer(QStringLiteral("Prod_Cost")), q.optionalInteger(QStringLiteral("Supp_ID"))};
    }
    int addSupplier(const QString& name) {
        t.db().execute(QStringLiteral("INSERT INTO Suppliers (Supp_Name) VALUES (?)"), name);
        return static_cast<int>(t.db().lastInsertId());
    }
    static QLineEdit* edit(const QWidget* d, const char* name) { return child<QLineEdit>(d, name); }
    static QPushButton* button(const QWidget* d, const char* name) {
        return child<QPushButton>(d, name);
    }

    testing_support::TestDatabase t;
    testing_support::ScriptedMessages messages;
    testing_support::TestHooks hooks;
    common::Session session{t.db(), messages, hooks.clock, hooks.files};
    int office = 0, audio = 0, pcs = 0, desktop = 0, stock = 0, licence = 0;
};

} // namespace

TEST_F(ProductMaint, AddFromTheProductPageStaysOpenForTheNextProduct) {
    RecordingMain window(session, nullptr);
    window.Form_Load({});
    window.SSTab1()->setCurrentIndex(common::ProductUtilities);
    auto* page = window.page(common::ProductUtilities);
    auto* chooser = child<QComboBox>(page, "cboCategories");
    chooser->setCurrentIndex(chooser->findData(pcs));

    int firstId = 0;
    WhenModal<frmProductMaint> dialog([&](frmProductMaint* d) {
        EXPECT_EQ(d->windowTitle(), QStringLiteral("Product maintenance"));
        EXPECT_FALSE(d->isWide());
        EXPECT_FALSE(button(d, "btnViewStockLics")->isEnabled());
        EXPECT_EQ(button(d, "btnAction")->text(), QStringLiteral("&Add"));
        EXPECT_EQ(child<QComboBox>(d, "cboCategory")->currentText(), QStringLiteral("PCs"));
        edit(d, "txtProdCode")->setText(QStringLiteral("M1"));
        edit(d, "txtProdDesc")->setText(QStringLiteral("Monitor"));
        edit(d, "txtProdCost")->setText(QStringLiteral("1234.5"));
        button(d, "btnAction")->click();
        EXPECT_TRUE(d->isVisible());
        firstId = d->ProdID;
        EXPECT_NE(firstId, 0);
        for (const char* name :
             {"txtProdCode", "txtProdDesc", "txtProdCost", "txtSuppName", "txtSuppID"})
            EXPECT_TRUE(edit(d, name)->text().isEmpty()) << name;
        EXPECT_EQ(child<common::DatePicker>(d, "dteDateAdded")->date(),
                  testing_support::testNow().date());
        EXPECT_EQ(child<QComboBox>(d, "cboCategory")->currentText(), QStringLiteral("PCs"));
        EXPECT_EQ(d->focusWidget(), edit(d, "txtProdCode"));

        // The next product, stored with Enter in the cost box.
        edit(d, "txtProdCode")->setText(QStringLiteral("M2"));
        edit(d, "txtProdDesc")->setText(QStringLiteral("Mouse"));
        QTest::keyClick(edit(d, "txtProdCost"), Qt::Key_Return);
        EXPECT_GT(d->ProdID, firstId);
        EXPECT_TRUE(edit(d, "txtProdCost")->text().isEmpty());
    });
    // Add, chosen in the Products menu that the page popped up.
    dynamic_cast<common::MenuClient*>(page)->menuChosen(catalogue::ProductMenuArray,
                                                        catalogue::AddProduct);
    EXPECT_TRUE(dialog.ran());
    const auto first = stored(firstId);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->code, QStringLiteral("M1"));
    EXPECT_EQ(first->catId, pcs);
    EXPECT_EQ(first->cents, 123450);
    EXPECT_FALSE(first->suppId);
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(ProductMaint, AddFromElsewhereChoosesNoCategory) {
    auto d = open(common::mode::Add, 0);
    EXPECT_EQ(child<QComboBox>(d.get(), "cboCategory")->currentIndex(), -1);
    EXPECT_EQ(child<QComboBox>(d.get(), "cboCategory")->count(), 2);
    edit(d.get(), "txtProdCode")->setText(QStringLiteral("M1"));
    edit(d.get(), "txtProdDesc")->setText(QStringLiteral("Monitor"));
    button(d.get(), "btnAction")->click();
    EXPECT_EQ(messages.texts(), QStringList{"Please select a category"});
    EXPECT_EQ(d->ProdID, 0);
}

TEST_F(ProductMaint, APageCategoryThatIsGoneSelectsNone) {
    auto d = std::make_unique<frmProductMaint>(session);
    d->Mode = common::mode::Add;
    d->PageCatID = 999;
    d->Form_Load();
    EXPECT_EQ(child<QComboBox>(d.get(), "cboCategory")->currentIndex(), -1);
}

TEST_F(ProductMaint, ModifyShowsTheCostAsZeroPointTwoDecimalsAndStoresIt) {
    auto d = open(common::mode::Modify, desktop);
    EXPECT_TRUE(d->isWide());
    EXPECT_EQ(button(d.get(), "btnAction")->text(), QStringLiteral("&Modify"));
    EXPECT_EQ(edit(d.get(), "txtProdCode")->text(), QStringLiteral("D1"));
    EXPECT_EQ(edit(d.get(), "txtProdCost")->text(), QStringLiteral("0.00"));
    EXPECT_EQ(child<QComboBox>(d.get(), "cboCategory")->currentText(), QStringLiteral("PCs"));
    EXPECT_EQ(child<common::DatePicker>(d.get(), "dteDateAdded")->date(), QDate(2026, 1, 2));
    EXPECT_TRUE(button(d.get(), "btnAddStock")->isEnabled());
    EXPECT_TRUE(button(d.get(), "btnAddLicence")->isEnabled());
    EXPECT_FALSE(button(d.get(), "btnModStock")->isEnabled());

    // A refusal further on still shows the cost formatted.
    const int other = t.addProduct(QStringLiteral("X1"), QStringLiteral("Other"), pcs);
    edit(d.get(), "txtProdCode")->setText(QStringLiteral("x1"));
    edit(d.get(), "txtProdCost")->setText(QStringLiteral("2500"));
    button(d.get(), "btnAction")->click();
    EXPECT_EQ(messages.texts(),
              QStringList{"You may not create duplicate a product with the same code"});
    EXPECT_EQ(edit(d.get(), "txtProdCost")->text(), QStringLiteral("2,500.00"));
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(d->focusWidget(), edit(d.get(), "txtProdCode"));
    ASSERT_NE(other, 0);

    edit(d.get(), "txtProdCode")->setText(QStringLiteral("D1"));
    child<QComboBox>(d.get(), "cboCategory")
        ->setCurrentIndex(child<QComboBox>(d.get(), "cboCategory")->findData(audio));
    button(d.get(), "btnAction")->click();
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(d->ProdID, 0); // reset as it closes
    const auto after = stored(desktop);
    ASSERT_TRUE(after);
    EXPECT_EQ(after->cents, 250000);
    EXPECT_EQ(after->catId, audio);
}

TEST_F(ProductMaint, ViewIsReadOnlyAndOnlyViewFollowsTheSelection) {
    auto d = open(common::mode::View, desktop);
    EXPECT_TRUE(d->isWide());
    EXPECT_FALSE(child<QGroupBox>(d.get(), "fraProd")->isEnabled());
    EXPECT_FALSE(button(d.get(), "btnAction")->isVisible());
    EXPECT_TRUE(button(d.get(), "btnClose")->isEnabled());
    for (const char* name : TabButtons)
        EXPECT_FALSE(button(d.get(), name)->isEnabled()) << name;

    auto* lvStock = child<ReportList>(d.get(), "lvStock");
    ASSERT_EQ(lvStock->topLevelItemCount(), 1);
    EXPECT_EQ(lvStock->topLevelItem(0)->text(0), QStringLiteral("PC1"));
    EXPECT_EQ(lvStock->topLevelItem(0)->text(1), QStringLiteral("Office"));
    QTest::mouseClick(lvStock->viewport(), Qt::LeftButton, {},
                      lvStock->visualItemRect(lvStock->topLevelItem(0)).center());
    EXPECT_TRUE(button(d.get(), "btnViewStock")->isEnabled());
    for (const char* name : {"btnAddStock", "btnModStock", "btnDelStock"})
        EXPECT_FALSE(button(d.get(), name)->isEnabled()) << name;

    auto* lvLicences = child<ReportList>(d.get(), "lvLicences");
    ASSERT_EQ(lvLicences->topLevelItemCount(), 1);
    EXPECT_EQ(lvLicences->topLevelItem(0)->text(2), QStringLiteral("TEMP"));

    // The view button passes mode, product and item.
    QSignalSpy spy(d.get(), &frmProductMaint::stockDialogRequested);
    button(d.get(), "btnViewStock")->click();
    ASSERT_EQ(spy.size(), 1);
    EXPECT_EQ(spy[0][0].toString(), common::mode::View);
    EXPECT_EQ(spy[0][1].toInt(), desktop);
    EXPECT_EQ(spy[0][2].toInt(), stock);

    // Enter in a field does nothing in view mode.
    button(d.get(), "btnAction")->click();
    EXPECT_TRUE(d->isVisible());
}

TEST_F(ProductMaint, TabButtonsCheckTheSelectionThenAskForTheirDialog) {
    auto d = open(common::mode::Modify, desktop);
    button(d.get(), "btnModStock")->setEnabled(true);
    button(d.get(), "btnModStock")->click();
    EXPECT_EQ(messages.texts(), QStringList{"Please select an item of stock"});
    messages.clear();
    button(d.get(), "btnDelLicence")->setEnabled(true);
    button(d.get(), "btnDelLicence")->click();
    EXPECT_EQ(messages.texts(), QStringList{"Please select a licence"});
    messages.clear();

    QSignalSpy stockSpy(d.get(), &frmProductMaint::stockDialogRequested);
    QSignalSpy licSpy(d.get(), &frmProductMaint::licenceDialogRequested);
    QSignalSpy delSpy(d.get(), &frmProductMaint::licenceDeleteRequested);
    button(d.get(), "btnAddStock")->click();
    ASSERT_EQ(stockSpy.size(), 1);
    EXPECT_EQ(stockSpy[0][0].toString(), common::mode::Add);
    EXPECT_EQ(stockSpy[0][1].toInt(), desktop);
    EXPECT_EQ(stockSpy[0][2].toInt(), 0);

    auto* tabs = child<QTabWidget>(d.get(), "SSProducts");
    tabs->setCurrentIndex(1);
    auto* lvLicences = child<ReportList>(d.get(), "lvLicences");
    lvLicences->topLevelItem(0)->setSelected(true);
    EXPECT_TRUE(button(d.get(), "btnModLicence")->isEnabled());
    // The licence dialog reports a change: the list refills.
    QObject::connect(d.get(), &frmProductMaint::licenceDialogRequested, d.get(), [this] {
        t.addLicence(QStringLiteral("K-2"), desktop, store::loc::AvailableLicences,
                     store::LicenceNormal);
    });
    button(d.get(), "btnModLicence")->click();
    ASSERT_EQ(licSpy.size(), 1);
    EXPECT_EQ(licSpy[0][0].toString(), common::mode::Modify);
    EXPECT_EQ(licSpy[0][1].toInt(), desktop);
    EXPECT_EQ(licSpy[0][2].toInt(), licence);
    EXPECT_EQ(lvLicences->topLevelItemCount(), 2);

    lvLicences->topLevelItem(0)->setSelected(true);
    button(d.get(), "btnDelLicence")->click();
    ASSERT_EQ(delSpy.size(), 1);
    EXPECT_EQ(delSpy[0][0].toInt(), licence);

    // Switching tabs resets the buttons.
    tabs->setCurrentIndex(0);
    EXPECT_TRUE(button(d.get(), "btnAddLicence")->isEnabled());
    EXPECT_FALSE(button(d.get(), "btnModLicence")->isEnabled());

    // Stock changes reported by the stock dialog refill the stock list.
    t.addStock(QStringLiteral("PC2"), desktop, office);
    d->FillStockListView();
    EXPECT_EQ(child<ReportList>(d.get(), "lvStock")->topLevelItemCount(), 2);
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(ProductMaint, SupplierChosenClearedAndStored) {
    const int acme = addSupplier(QStringLiteral("Acme"));
    auto d = open(common::mode::Modify, desktop);
    EXPECT_TRUE(edit(d.get(), "txtSuppName")->text().isEmpty());

    WhenModal<suppliers::frmSupplierList> pick([](suppliers::frmSupplierList* list) {
        auto* rows = child<ReportList>(list, "lvSupplyList");
        rows->topLevelItem(0)->setSelected(true);
        child<QPushButton>(list, "btnSelect")->click();
    });
    child<QToolButton>(d.get(), "btnSupplier")->click();
    EXPECT_TRUE(pick.ran());
    EXPECT_EQ(edit(d.get(), "txtSuppName")->text(), QStringLiteral("Acme"));
    EXPECT_EQ(edit(d.get(), "txtSuppID")->text(), QString::number(acme));
    button(d.get(), "btnAction")->click();
    EXPECT_EQ(stored(desktop)->suppId, acme);

    // Reopened, the supplier shows; cleared, none is stored.
    d = open(common::mode::Modify, desktop);
    EXPECT_EQ(edit(d.get(), "txtSuppName")->text(), QStringLiteral("Acme"));
    child<QToolButton>(d.get(), "btnClearSupp")->click();
    EXPECT_TRUE(edit(d.get(), "txtSuppName")->text().isEmpty());
    EXPECT_TRUE(edit(d.get(), "txtSuppID")->text().isEmpty());
    button(d.get(), "btnAction")->click();
    EXPECT_FALSE(stored(desktop)->suppId);

    // Closing the list without a choice empties the supplier fields.
    d = open(common::mode::Modify, desktop);
    edit(d.get(), "txtSuppID")->setText(QString::number(acme));
    edit(d.get(), "txtSuppName")->setText(QStringLiteral("Acme"));
    WhenModal<suppliers::frmSupplierList> close(
        [](suppliers::frmSupplierList* list) { child<QPushButton>(list, "btnClose")->click(); });
    child<QToolButton>(d.get(), "btnSupplier")->click();
    EXPECT_TRUE(close.ran());
    EXPECT_TRUE(edit(d.get(), "txtSuppName")->text().isEmpty());
    EXPECT_TRUE(edit(d.get(), "txtSuppID")->text().isEmpty());
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(ProductMaint, KeyFiltersOfTheProductFields) {
    auto d = open(common::mode::Add, 0);
    auto* cost = edit(d.get(), "txtProdCost");
    QTest::keyClicks(cost, QStringLiteral("12a.5x"));
    EXPECT_EQ(cost->text(), QStringLiteral("12.5"));
    auto* code = edit(d.get(), "txtProdCode");
    QTest::keyClicks(code, QStringLiteral("A'B|C"));
    EXPECT_EQ(code->text(), QStringLiteral("A'BC"));
    code->setText(QString(50, QLatin1Char('c')));
    QTest::keyClick(code, Qt::Key_Return);
    EXPECT_EQ(messages.texts(), QStringList{"Only 50 characters allowed"});
}

TEST_F(ProductMaint, DoubleClickOnTheProductPageOpensItInViewMode) {
    RecordingMain window(session, nullptr);
    window.Form_Load({});
    window.SSTab1()->setCurrentIndex(common::ProductUtilities);
    auto* page = window.page(common::ProductUtilities);
    auto* chooser = child<QComboBox>(page, "cboCategories");
    chooser->setCurrentIndex(chooser->findData(pcs));
    auto* list = child<ReportList>(page, "lvProdList");
    ASSERT_EQ(list->topLevelItemCount(), 1);
    list->topLevelItem(0)->setSelected(true);
    WhenModal<frmProductMaint> dialog([&](frmProductMaint* d) {
        EXPECT_EQ(d->Mode, common::mode::View);
        EXPECT_EQ(d->ProdID, desktop);
        EXPECT_EQ(edit(d, "txtProdDesc")->text(), QStringLiteral("Desktop"));
    });
    emit list->itemDoubleClicked(list->topLevelItem(0), 0);
    EXPECT_TRUE(dialog.ran());
}

TEST_F(ProductMaint, PastedTextIsStoredAsGivenOrRefusedOnItsField) {
    auto d = open(common::mode::Add, 0);
    auto* cbo = child<QComboBox>(d.get(), "cboCategory");
    cbo->setCurrentIndex(cbo->findData(pcs));
    auto* code = edit(d.get(), "txtProdCode");
    auto* desc = edit(d.get(), "txtProdDesc");
    QTest::keyClicks(code, QStringLiteral("N-1"));
    // The apostrophe is kept, typed or pasted.
    QGuiApplication::clipboard()->setText(QStringLiteral("O'Neill's Desk"));
    desc->setFocus();
    QTest::keyClick(desc, Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(desc->text(), QStringLiteral("O'Neill's Desk"));
    button(d.get(), "btnAction")->click();
    EXPECT_TRUE(messages.shown().empty());
    ASSERT_NE(d->ProdID, 0);
    EXPECT_EQ(stored(d->ProdID)->desc, QStringLiteral("O'Neill's Desk"));
    EXPECT_EQ(stored(d->ProdID)->code, QStringLiteral("N-1"));

    // What the keys could not have entered is refused, never cleaned.
    const int before = t.count(QStringLiteral("Products"));
    QTest::keyClicks(code, QStringLiteral("N-2"));
    QGuiApplication::clipboard()->setText(QStringLiteral("Big\tscreen"));
    desc->setFocus();
    QTest::keyClick(desc, Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(desc->text(), QStringLiteral("Big\tscreen"));
    button(d.get(), "btnAction")->click();
    EXPECT_EQ(messages.texts(), QStringList{"Please enter a valid product description"});
    EXPECT_EQ(d->focusWidget(), desc);
    EXPECT_EQ(desc->text(), QStringLiteral("Big\tscreen"));
    EXPECT_EQ(t.count(QStringLiteral("Products")), before);
}

TEST_F(ProductMaint, TheCostBoxHasItsLimitAndAHugeCostIsAboveTheMaximum) {
    auto d = open(common::mode::Add, 0);
    auto* cbo = child<QComboBox>(d.get(), "cboCategory");
    cbo->setCurrentIndex(cbo->findData(pcs));
    QTest::keyClicks(edit(d.get(), "txtProdCode"), QStringLiteral("BIG"));
    QTest::keyClicks(edit(d.get(), "txtProdDesc"), QStringLiteral("Big"));
    auto* cost = edit(d.get(), "txtProdCost");
    QTest::keyClicks(cost, QStringLiteral("12345678901234567"));
    button(d.get(), "btnAction")->click();
    EXPECT_EQ(messages.texts(), QStringList{"Product cost cannot exceed 1,000,000.00"});
    EXPECT_EQ(d->focusWidget(), cost);
    EXPECT_EQ(d->ProdID, 0);

    messages.clear();
    cost->clear();
    QTest::keyClicks(cost, QString(21, QLatin1Char('9')));
    EXPECT_EQ(cost->text(), QString(20, QLatin1Char('9')));
    EXPECT_EQ(messages.texts(), QStringList{"Only 20 characters allowed"});
}

TEST_F(ProductMaint, AFullBoxWithItsTextSelectedTakesTheKeyThatReplacesIt) {
    auto d = open(common::mode::Add, 0);
    auto* code = edit(d.get(), "txtProdCode");
    QTest::keyClicks(code, QString(50, QLatin1Char('c')));
    QTest::keyClick(code, Qt::Key_X);
    ASSERT_EQ(messages.texts(), QStringList{"Only 50 characters allowed"});
    code->selectAll();
    QTest::keyClicks(code, QStringLiteral("NEW"));
    EXPECT_EQ(code->text(), QStringLiteral("NEW"));
    EXPECT_EQ(messages.texts(), QStringList{"Only 50 characters allowed"});
}

TEST_F(ProductMaint, ASupplierDeletedMeanwhileIsNamedAndTheDialogStaysOpen) {
    const int acme = addSupplier(QStringLiteral("Acme"));
    auto d = open(common::mode::Modify, desktop);
    WhenModal<suppliers::frmSupplierList> pick([](suppliers::frmSupplierList* list) {
        child<ReportList>(list, "lvSupplyList")->topLevelItem(0)->setSelected(true);
        child<QPushButton>(list, "btnSelect")->click();
    });
    child<QToolButton>(d.get(), "btnSupplier")->click();
    ASSERT_TRUE(pick.ran());
    ASSERT_EQ(edit(d.get(), "txtSuppID")->text(), QString::number(acme));
    // Another dialog deletes the supplier, which nothing names yet.
    ASSERT_TRUE(session.logic<suppliers::clsSuppliers>().RemoveSupplier(acme));

    button(d.get(), "btnAction")->click();
    EXPECT_EQ(messages.texts(),
              QStringList{"The chosen supplier no longer exists, please choose another"});
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(d->focusWidget(), child<QToolButton>(d.get(), "btnSupplier"));
    EXPECT_FALSE(stored(desktop)->suppId.has_value());
    EXPECT_EQ(stored(desktop)->code, QStringLiteral("D1"));
}

TEST_F(ProductMaint, TheDateAddedAlwaysHoldsADate) {
    for (const QString& mode : {common::mode::Add, common::mode::Modify, common::mode::View}) {
        SCOPED_TRACE(mode.toStdString());
        auto d = open(mode, mode == common::mode::Add ? 0 : desktop);
        auto* picker = child<common::DatePicker>(d.get(), "dteDateAdded");
        EXPECT_FALSE(picker->isCheckable());
        EXPECT_FALSE(picker->checkBox()->isVisibleTo(picker));
        EXPECT_TRUE(picker->hasDate());
    }
}

TEST_F(ProductMaint, TabGoesThroughTheFieldsThenTheButtonsThenTheTabs) {
    const QStringList fields{"txtProdCode", "txtProdDesc",  "cboCategory",
                             "txtProdCost", "txtProdOwned", "txtSuppName",
                             "btnSupplier", "btnClearSupp", "dteDateAdded"};
    auto adding = open(common::mode::Add, 0);
    EXPECT_EQ(testing_support::tabOrder(adding.get()),
              (fields + QStringList{"btnAction", "btnClose"}));
    auto changing = open(common::mode::Modify, desktop);
    EXPECT_EQ(
        testing_support::tabOrder(changing.get()),
        (fields + QStringList{"btnAction", "btnClose", "btnAddStock", "SSProducts", "lvStock"}));
    auto viewing = open(common::mode::View, desktop);
    EXPECT_EQ(testing_support::tabOrder(viewing.get()),
              (QStringList{"btnClose", "SSProducts", "lvStock"}));
}
