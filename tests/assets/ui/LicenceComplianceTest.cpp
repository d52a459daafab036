// Licences a team can trust, as the windows show it: the licences owned on
// the product dialog and the product page, "LICENCES EXCEEDED !!" with its
// line on the enquiry page, the expiry column there, the start-up notice's
// bar and list, and the question before an expired licence is stored.

#include "assets/clsLicenceExpiry.h"
#include "assets/ui/ExpiryNotice.h"
#include "assets/ui/frmLicenceMaint.h"
#include "assets/ui/pgEnquireByProducts.h"
#include "catalogue/ui/frmProductMaint.h"
#include "common/DialogMode.h"
#include "common/LicenceSettings.h"
#include "common/Session.h"
#include "common/ui/DatePicker.h"
#include "common/ui/MainWindow.h"
#include "common/ui/ReportList.h"
#include "reports/ReportCatalogue.h"
#include "reports/ui/pgReports.h"
#include "shell/ui/Program.h"
#include "shell/ui/frmVemora.h"
#include "store/Database.h"
#include "store/StoreConstants.h"

#include "reports/ui/ReportView.h"
#include "support/RecordingMain.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"
#include "support/TestHooks.h"
#include "support/WhenModal.h"
#include "support/Widgets.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using testing_support::child;
using testing_support::WhenModal;

namespace {

class LicenceCompliance : public ::testing::Test {
protected:
    void SetUp() override {
        cat = t.addCategory(QStringLiteral("Software"));
        office = t.addLocation(QStringLiteral("Office"), store::loc::AvailableLocations, 2,
                               store::loc::AvailableLocations);
        suite = t.addProduct(QStringLiteral("OFF"), QStringLiteral("Office suite"), cat);
    }
    void TearDown() override { EXPECT_FALSE(messages.unexpectedQuestion()); }

    void openWindow() {
        window = std::make_unique<testing_support::RecordingMain>(session, nullptr);
        window->show();
    }
    assets::pgEnquireByProducts* enquiryPage() {
        window->SSTab1()->setCurrentIndex(common::EnquireByProducts);
        return static_cast<assets::pgEnquireByProducts*>(window->page(common::EnquireByProducts));
    }
    int addLicence(const QString& key, int location, const char* expiry,
                   const QString& type = store::LicenceNormal) {
        const int id = t.addLicence(key, suite, location, type);
        if (expiry)
            t.db().execute(QStringLiteral("UPDATE Licences SET Exp_Date = ? WHERE Licence_ID = ?"),
                           QString::fromLatin1(expiry), id);
        return id;
    }
    void setOwned(std::optional<int> owned) {
        t.db().execute(QStringLiteral("UPDATE Products SET Prod_Owned = ? WHERE Prod_ID = ?"),
                       owned, suite);
    }

    testing_support::TestDatabase t;
    testing_support::ScriptedMessages messages;
    testing_support::TestHooks hooks;
    common::Session session{t.db(), messages, hooks.clock, hooks.files};
    std::unique_ptr<testing_support::RecordingMain> window;
    int cat = 0, office = 0, suite = 0;
};

} // namespace

TEST_F(LicenceCompliance, TheEnquiryPageShowsExceededExactlyWhenMoreAreInUseThanOwned) {
    addLicence(QStringLiteral("K1"), office, nullptr);
    addLicence(QStringLiteral("K2"), office, nullptr, store::LicenceTemporary);
    addLicence(QStringLiteral("K3"), store::loc::RemovedLicences, nullptr);
    openWindow();
    struct Case {
        const char* name;
        std::optional<int> owned;
        bool exceeded;
        const char* line; // nullptr: the line is hidden
    };
    const Case cases[] = {
        {"not tracked", std::nullopt, false, nullptr},
        {"owned 0", 0, true, "In use 2 of 0 owned (1 temporary)"},
        {"one short", 1, true, "In use 2 of 1 owned (1 temporary)"},
        {"equal", 2, false, "In use 2 of 2 owned (1 temporary)"},
        {"room to spare", 5, false, "In use 2 of 5 owned (1 temporary)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        setOwned(c.owned);
        auto* page = enquiryPage();
        window->SSTab1_Click(common::EnquireByProducts);
        auto* exceeded = child<QLabel>(page, "lblLicExceed");
        auto* line = child<QLabel>(page, "lblLicInUse");
        EXPECT_EQ(exceeded->text(), QStringLiteral("LICENCES EXCEEDED !!"));
        EXPECT_EQ(exceeded->isVisible(), c.exceeded);
        EXPECT_EQ(line->isVisible(), c.line != nullptr);
        if (c.line) {
            EXPECT_EQ(line->text(), QString::fromLatin1(c.line));
        }
    }
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(LicenceCompliance, TheEnquiryListShowsEachLicencesExpiryAndMarksExpiredOnes) {
    const int expired = addLicence(QStringLiteral("A-OLD"), office, "2026-12-09");
    const int today = addLicence(QStringLiteral("B-TODAY"), office, "2026-12-10");
    const int none = addLicence(QStringLiteral("C-NONE"), office, nullptr);
    const int stock = t.addStock(QStringLiteral("S1"), suite, store::loc::AvailableLocations);
    openWindow();
    auto* page = enquiryPage();
    window->SSTab1_Click(common::EnquireByProducts);
    auto* list = child<common::ReportList>(page, "lvEnqProd");
    ASSERT_EQ(list->columnCount(), 4);
    EXPECT_EQ(list->headerItem()->text(3), QStringLiteral("Expires"));
    const std::pair<int, QString> rows[] = {
        {stock, QStringLiteral("S%1")},
        {expired, QStringLiteral("L%1")},
        {today, QStringLiteral("L%1")},
        {none, QStringLiteral("L%1")},
    };
    const QString shown[] = {QString(), QStringLiteral("09/12/26 (expired)"),
                             QStringLiteral("10/12/26"), QString()};
    for (size_t i = 0; i < std::size(rows); ++i) {
        QTreeWidgetItem* row = list->findKey(rows[i].second.arg(rows[i].first));
        ASSERT_NE(row, nullptr) << i;
        EXPECT_EQ(row->text(3), shown[i]) << i;
    }
    // The column sorts by date, the mark passed over.
    list->headingClicked(3);
    list->headingClicked(3);
    QStringList order;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        order << list->topLevelItem(i)->text(3);
    EXPECT_EQ(order.mid(2),
              (QStringList{QStringLiteral("09/12/26 (expired)"), QStringLiteral("10/12/26")}));
}

TEST_F(LicenceCompliance, TheProductDialogStoresTheLicencesOwnedAndThePageListsThem) {
    openWindow();
    window->SSTab1()->setCurrentIndex(common::ProductUtilities);
    window->SSTab1_Click(common::ProductUtilities);
    catalogue::frmProductMaint dialog(session, window.get());
    dialog.Mode = common::mode::Modify;
    dialog.ProdID = suite;
    dialog.show();
    auto* owned = child<QLineEdit>(&dialog, "txtProdOwned");
    EXPECT_TRUE(owned->text().isEmpty());
    // Digits only, seven at most.
    QTest::keyClicks(owned, QStringLiteral("1x2-5"));
    EXPECT_EQ(owned->text(), QStringLiteral("125"));
    owned->setText(QStringLiteral("2000000"));
    dialog.btnAction_Click();
    EXPECT_EQ(messages.texts(), QStringList{catalogue::LicencesOwnedRefusal});
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.focusWidget(), owned);
    messages.clear();
    owned->setText(QStringLiteral("9"));
    dialog.btnAction_Click();
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_EQ(t.value(QStringLiteral("SELECT Prod_Owned FROM Products WHERE Prod_ID = ?"), suite),
              QStringLiteral("9"));

    // The page's two columns, sorting by number.
    const int big = t.addProduct(QStringLiteral("BIG"), QStringLiteral("Big suite"), cat);
    t.db().execute(QStringLiteral("UPDATE Products SET Prod_Owned = 10 WHERE Prod_ID = ?"), big);
    for (int i = 0; i < 10; ++i)
        t.addLicence(QStringLiteral("B%1").arg(i), big, office, store::LicenceNormal);
    addLicence(QStringLiteral("K1"), office, nullptr);
    window->SSTab1_Click(common::ProductUtilities);
    auto* list = child<common::ReportList>(window->page(common::ProductUtilities), "lvProdList");
    ASSERT_EQ(list->columnCount(), 7);
    EXPECT_EQ(list->headerItem()->text(5), QStringLiteral("Owned"));
    EXPECT_EQ(list->headerItem()->text(6), QStringLiteral("In use"));
    for (int column : {5, 6}) {
        SCOPED_TRACE(column);
        list->headingClicked(column); // descending
        ASSERT_EQ(list->topLevelItemCount(), 2);
        // "10" before "9": by number, not as text.
        EXPECT_EQ(list->topLevelItem(0)->text(1), QStringLiteral("Big suite"));
        EXPECT_EQ(list->topLevelItem(1)->text(1), QStringLiteral("Office suite"));
        list->headingClicked(column); // back to ascending for the next column
    }
    EXPECT_EQ(list->topLevelItem(0)->text(5), QStringLiteral("9"));
}

TEST_F(LicenceCompliance, TheStartUpNoticeIsABarAboveThePages) {
    openWindow();
    auto* bar = child<assets::ExpiryNoticeBar>(window.get(), "barExpiry");
    EXPECT_FALSE(bar->isVisible());
    struct Case {
        const char* name;
        std::vector<const char*> expiries;
        int period;
        const char* text; // nullptr: no bar
    };
    const Case cases[] = {
        {"none", {"2027-06-01"}, 30, nullptr},
        {"only soon", {"2026-12-10", "2027-01-09"}, 30, "2 licences expire within 30 days"},
        {"only expired", {"2026-12-09"}, 30, "1 licence has expired"},
        {"both",
         {"2026-12-09", "2026-12-20", "2026-12-21", "2026-12-22"},
         30,
         "3 licences expire within 30 days, 1 has expired"},
        {"period 0", {"2026-12-09", "2026-12-20"}, 0, nullptr},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        t.db().run(QStringLiteral("DELETE FROM Licences"));
        for (const char* expiry : c.expiries)
            addLicence(QStringLiteral("K%1").arg(++n), office, expiry);
        window->ShowExpiryNotice(c.period);
        EXPECT_EQ(bar->isVisible(), c.text != nullptr);
        if (c.text) {
            EXPECT_EQ(child<QLabel>(bar, "lblExpiryNotice")->text(), QString::fromLatin1(c.text));
        }
    }
    // Above the pages, and no message box waits for an answer.
    EXPECT_LT(bar->mapTo(window.get(), QPoint()).y(),
              window->SSTab1()->mapTo(window.get(), QPoint()).y());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(messages.shown().empty());

    t.db().run(QStringLiteral("DELETE FROM Licences"));
    window->ShowExpiryNotice(30);
    ASSERT_FALSE(bar->isVisible());
    addLicence(QStringLiteral("LAST"), office, "2026-12-09");
    window->ShowExpiryNotice(30);
    ASSERT_TRUE(bar->isVisible());
    child<QToolButton>(bar, "btnExpiryClose")->click();
    EXPECT_FALSE(bar->isVisible());
}

TEST_F(LicenceCompliance, ShowListsTheLicencesAndEnterOpensOneInViewMode) {
    const int soon = addLicence(QStringLiteral("SOON-1"), office, "2026-12-20");
    const int old = addLicence(QStringLiteral("OLD-1"), office, "2026-11-01");
    addLicence(QStringLiteral("FAR-1"), office, "2027-12-20");
    openWindow();
    window->ShowExpiryNotice(30);
    auto* bar = child<assets::ExpiryNoticeBar>(window.get(), "barExpiry");
    ASSERT_TRUE(bar->isVisible());

    QString viewedTitle, viewedKey;
    QStringList keys;
    WhenModal<assets::frmExpiringLicences> list([&](assets::frmExpiringLicences* d) {
        auto* lv = child<common::ReportList>(d, "lvExpiring");
        for (int i = 0; i < lv->topLevelItemCount(); ++i)
            keys << lv->keyOf(lv->topLevelItem(i));
        ASSERT_EQ(lv->topLevelItemCount(), 2);
        EXPECT_EQ(lv->topLevelItem(0)->text(4), QStringLiteral("-39"));
        EXPECT_EQ(lv->topLevelItem(1)->text(2), QStringLiteral("Available Locations / Office"));
        lv->setCurrentItem(lv->topLevelItem(1));
        WhenModal<assets::frmLicenceMaint> view([&](assets::frmLicenceMaint* licence) {
            viewedTitle = licence->windowTitle();
            viewedKey = child<QLineEdit>(licence, "txtCode")->text();
        });
        QTest::keyClick(lv, Qt::Key_Return);
        EXPECT_TRUE(view.ran());
    });
    child<QPushButton>(bar, "btnExpiryShow")->click();
    ASSERT_TRUE(list.ran());
    EXPECT_EQ(keys, (QStringList{QStringLiteral("L%1").arg(old), QStringLiteral("L%1").arg(soon)}));
    EXPECT_EQ(viewedTitle, QStringLiteral("Viewing of a Licence"));
    EXPECT_EQ(viewedKey, QStringLiteral("SOON-1"));
}

TEST_F(LicenceCompliance, ALongListShowsItsFirstRowsAndReadsTheRestAsItIsScrolled) {
    const int antivirus = t.addProduct(QStringLiteral("AV"), QStringLiteral("antivirus"), cat);
    // Several slices' worth, a few licences a day over sixty days, two
    // products, all counted.
    const int total = 3 * assets::frmExpiringLicences::SliceRows + 17;
    for (int i = 0; i < total; ++i) {
        const int id = t.addLicence(QStringLiteral("K-%1").arg(i, 4, 10, QLatin1Char('0')),
                                    i % 2 ? antivirus : suite, office, store::LicenceNormal);
        t.db().execute(QStringLiteral("UPDATE Licences SET Exp_Date = ? WHERE Licence_ID = ?"),
                       QDate(2026, 11, 1).addDays(i % 60).toString(QStringLiteral("yyyy-MM-dd")),
                       id);
    }
    std::vector<int> products;
    const common::ListRows whole =
        session.logic<assets::clsLicenceExpiry>().ExpiringLicences(30, &products);
    ASSERT_EQ(static_cast<int>(whole.size()), total);
    openWindow();
    window->ShowExpiryNotice(30);
    auto* bar = child<assets::ExpiryNoticeBar>(window.get(), "barExpiry");

    const auto keysOf = [](common::ReportList* lv) {
        QStringList keys;
        for (int i = 0; i < lv->topLevelItemCount(); ++i)
            keys << lv->keyOf(lv->topLevelItem(i));
        return keys;
    };
    QStringList wholeKeys;
    for (const common::ListRow& row : whole)
        wholeKeys << row.key;

    QString viewedKey, viewedProduct;
    WhenModal<assets::frmExpiringLicences> list([&](assets::frmExpiringLicences* d) {
        auto* lv = child<common::ReportList>(d, "lvExpiring");
        // The first rows only, the first of them selected.
        ASSERT_TRUE(lv->hasMoreRows());
        EXPECT_GE(lv->topLevelItemCount(), assets::frmExpiringLicences::SliceRows);
        EXPECT_LT(lv->topLevelItemCount(), total);
        EXPECT_EQ(lv->currentItem(), lv->topLevelItem(0));
        EXPECT_EQ(lv->selectedKey(), whole.front().key);
        EXPECT_EQ(keysOf(lv), wholeKeys.mid(0, lv->topLevelItemCount()));
        // Held at the bottom, the list reads on until its last row.
        for (int turns = 0; lv->hasMoreRows() && turns < 100; ++turns) {
            lv->scrollToBottom();
            QApplication::processEvents();
        }
        EXPECT_FALSE(lv->hasMoreRows());
        EXPECT_EQ(keysOf(lv), wholeKeys);
        EXPECT_EQ(lv->topLevelItem(total - 1)->text(1), whole.back().texts[1]);
        // A row of the last slice opens its own licence and product.
        lv->setCurrentItem(lv->topLevelItem(total - 2));
        WhenModal<assets::frmLicenceMaint> view([&](assets::frmLicenceMaint* licence) {
            viewedKey = child<QLineEdit>(licence, "txtCode")->text();
            viewedProduct = child<QComboBox>(licence, "cboProdDesc")->currentText();
        });
        child<QPushButton>(d, "btnView")->click();
        EXPECT_TRUE(view.ran());
    });
    child<QPushButton>(bar, "btnExpiryShow")->click();
    ASSERT_TRUE(list.ran());
    EXPECT_EQ(viewedKey, whole[static_cast<size_t>(total - 2)].texts[1]);
    EXPECT_EQ(viewedProduct, products[static_cast<size_t>(total - 2)] == antivirus
                                 ? QStringLiteral("antivirus")
                                 : QStringLiteral("Office suite"));
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(LicenceCompliance, AHeadingClickOnAListNotWhollyReadSortsEveryRow) {
    const int total = 2 * assets::frmExpiringLicences::SliceRows + 5;
    for (int i = 0; i < total; ++i) {
        const int id = t.addLicence(QStringLiteral("K-%1").arg(i, 4, 10, QLatin1Char('0')), suite,
                                    office, store::LicenceNormal);
        t.db().execute(QStringLiteral("UPDATE Licences SET Exp_Date = ? WHERE Licence_ID = ?"),
                       QDate(2026, 12, 9).addDays(-(i % 40)).toString(QStringLiteral("yyyy-MM-dd")),
                       id);
    }
    openWindow();
    window->ShowExpiryNotice(30);
    auto* bar = child<assets::ExpiryNoticeBar>(window.get(), "barExpiry");
    QStringList keys;
    WhenModal<assets::frmExpiringLicences> list([&](assets::frmExpiringLicences* d) {
        auto* lv = child<common::ReportList>(d, "lvExpiring");
        ASSERT_TRUE(lv->hasMoreRows());
        // The first click sorts descending: the last key first.
        emit lv->header()->sectionClicked(1);
        EXPECT_FALSE(lv->hasMoreRows());
        ASSERT_EQ(lv->topLevelItemCount(), total);
        for (int i = 0; i < lv->topLevelItemCount(); ++i)
            keys << lv->topLevelItem(i)->text(1);
    });
    child<QPushButton>(bar, "btnExpiryShow")->click();
    ASSERT_TRUE(list.ran());
    QStringList expected;
    for (int i = total - 1; i >= 0; --i)
        expected << QStringLiteral("K-%1").arg(i, 4, 10, QLatin1Char('0'));
    EXPECT_EQ(keys, expected);
}

TEST_F(LicenceCompliance, AnExpiredLicenceIsStoredOnlyAfterYes) {
    auto dialog = std::make_unique<assets::frmLicenceMaint>(session);
    dialog->Mode = common::mode::Add;
    dialog->ProdID = suite;
    dialog->show();
    child<QLineEdit>(dialog.get(), "txtCode")->setText(QStringLiteral("late-1"));
    child<common::DatePicker>(dialog.get(), "dteExpDate")->setDate(QDate(2026, 12, 1));
    auto* add = child<QPushButton>(dialog.get(), "btnAdd");

    messages.answer({false});
    add->click();
    EXPECT_EQ(t.count(QStringLiteral("Licences")), 0);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(child<QLineEdit>(dialog.get(), "txtCode")->text(), QStringLiteral("LATE-1"));
    EXPECT_EQ(child<common::DatePicker>(dialog.get(), "dteExpDate")->date(), QDate(2026, 12, 1));
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].text,
              QStringLiteral("This licence has already expired. Store it anyway?"));
    EXPECT_EQ(messages.shown()[0].defaultButton, common::DefaultButton::No);

    messages.answer({true});
    add->click();
    EXPECT_EQ(t.count(QStringLiteral("Licences")), 1);
    EXPECT_EQ(t.value(QStringLiteral("SELECT Exp_Date FROM Licences")),
              QStringLiteral("2026-12-01"));
}

TEST_F(LicenceCompliance, StartUpReadsTheWarningPeriodFromTheUsersSettings) {
    testing_support::TestDatabase file{testing_support::TestDatabase::Storage::KeyedFile};
    const int product = file.addProduct(QStringLiteral("P"), QStringLiteral("Suite"),
                                        file.addCategory(QStringLiteral("Software")));
    const int id = file.addLicence(QStringLiteral("IN-45-DAYS"), product,
                                   store::loc::AvailableLicences, store::LicenceNormal);
    file.db().execute(QStringLiteral("UPDATE Licences SET Exp_Date = '2027-01-24' WHERE "
                                     "Licence_ID = ?"),
                      id);
    common::resetExpiryWarningDays();
    struct Case {
        std::optional<int> setting;
        bool shown;
    };
    for (const Case& c :
         {Case{std::nullopt, false}, Case{60, true}, Case{0, false}, Case{45, true}}) {
        SCOPED_TRACE(c.setting.value_or(-1));
        if (c.setting)
            common::setExpiryWarningDays(*c.setting);
        EXPECT_EQ(common::expiryWarningDays(),
                  c.setting.value_or(common::DefaultExpiryWarningDays));
        shell::Program program(messages, hooks.clock, hooks.files);
        shell::Program::Options options;
        options.locale = QLocale(QLocale::English, QLocale::UnitedKingdom);
        options.directory = file.dir();
        options.showSplash = false;
        ASSERT_TRUE(program.Main(options)) << messages.texts().join('\n').toStdString();
        auto* bar = child<assets::ExpiryNoticeBar>(program.mainWindow(), "barExpiry");
        EXPECT_EQ(bar->isVisible(), c.shown);
        program.mainWindow()->skipQuitConfirmation();
    }
    common::resetExpiryWarningDays();
    EXPECT_EQ(common::expiryWarningDays(), common::DefaultExpiryWarningDays);
}

TEST_F(LicenceCompliance, TheReportsPageShowsLicencesExpiringSoonByExpiryDateFirst) {
    // The earlier expiry is in the category that sorts last.
    const int zulu = t.addCategory(QStringLiteral("Zulu tools"));
    const int tool = t.addProduct(QStringLiteral("ZT"), QStringLiteral("Zulu tool"), zulu);
    const int early = t.addLicence(QStringLiteral("EARLY-1"), tool, office, store::LicenceNormal);
    t.db().execute(QStringLiteral("UPDATE Licences SET Exp_Date = '2026-12-12' WHERE "
                                  "Licence_ID = ?"),
                   early);
    addLicence(QStringLiteral("LATE-1"), office, "2026-12-30");
    openWindow();
    window->SSTab1()->setCurrentIndex(common::Reports);
    auto* page = static_cast<reports::pgReports*>(window->page(common::Reports));
    auto* combo = child<QComboBox>(page, "cboReports");
    const int entry = combo->findText(QStringLiteral("Licences expiring soon"));
    ASSERT_GT(entry, 0);
    combo->setCurrentIndex(entry);
    emit combo->activated(entry);
    const QString text = child<reports::ReportView>(page, "rtbReport")->toPlainText();
    ASSERT_TRUE(text.contains(QStringLiteral("EARLY-1")) && text.contains(QStringLiteral("LATE-1")))
        << text.toStdString();
    EXPECT_LT(text.indexOf(QStringLiteral("EARLY-1")), text.indexOf(QStringLiteral("LATE-1")));
    EXPECT_TRUE(text.contains(QStringLiteral("Days left")));
    // The Category button sorts by category first.
    for (QPushButton* b : page->findChildren<QPushButton*>(QStringLiteral("btnOrderBy")))
        if (b->property("index").toInt() == reports::OrderCategory)
            b->click();
    const QString byCategory = child<reports::ReportView>(page, "rtbReport")->toPlainText();
    EXPECT_GT(byCategory.indexOf(QStringLiteral("EARLY-1")),
              byCategory.indexOf(QStringLiteral("LATE-1")));
    EXPECT_TRUE(messages.shown().empty());
}
