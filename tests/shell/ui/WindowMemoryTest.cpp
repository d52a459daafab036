// The main window remembers: its size, splitters, column widths and report
// zoom between runs (through a settings file of the test's own), and each
// page's place while the user goes to other pages.

#include "shell/ui/WindowMemory.h"
#include "allocation/ui/pgAllocation.h"
#include "common/Messages.h"
#include "common/Session.h"
#include "common/ui/MainWindow.h"
#include "common/ui/ReportList.h"
#include "locations/ui/LocationTreeView.h"
#include "reports/ReportCatalogue.h"
#include "reports/ui/ReportPaper.h"
#include "reports/ui/pgReports.h"
#include "shell/ui/frmVemora.h"
#include "store/StoreConstants.h"

#include "reports/ui/ReportView.h"
#include "support/RecordingMain.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"
#include "support/TestHooks.h"
#include "support/TreeNodes.h"
#include "support/Widgets.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

using testing_support::child;

namespace {

class WindowMemory : public ::testing::Test {
protected:
    // A window as start-up makes it, keeping its state in the test's file.
    std::unique_ptr<testing_support::RecordingMain> openWindow() {
        auto window = std::make_unique<testing_support::RecordingMain>(session, nullptr);
        window->setSettings(std::make_shared<QSettings>(settingsFile(), QSettings::IniFormat));
        window->Form_Load({});
        return window;
    }
    QString settingsFile() const { return dir.filePath(QStringLiteral("settings.ini")); }

    testing_support::TestDatabase t;
    testing_support::ScriptedMessages messages;
    testing_support::TestHooks hooks;
    common::Session session{t.db(), messages, hooks.clock, hooks.files};
    QTemporaryDir dir;
};

TEST_F(WindowMemory, SizeSplittersColumnWidthsAndZoomComeBackInTheNextRun) {
    QRect geometry;
    QList<int> treeAndLists;
    QList<int> stockAndLicences;
    {
        auto window = openWindow();
        window->resize(900, 640);
        window->move(40, 30);
        auto* splitter = child<QSplitter>(window.get(), "splEnquireByLocation");
        auto* lists = child<QSplitter>(window.get(), "splLocationLists");
        ASSERT_TRUE(splitter && lists);
        QTest::qWait(0);
        splitter->setSizes({150, 700});
        lists->setSizes({100, 400});
        treeAndLists = splitter->sizes();
        stockAndLicences = lists->sizes();
        // The user drags the edge of the stock list's second heading.
        auto* stock = child<common::ReportList>(window.get(), "lvStockTable");
        stock->header()->resizeSection(1, 333);
        auto* page = static_cast<reports::pgReports*>(window->page(common::Reports));
        page->setZoom(3);
        geometry = window->geometry();
        messages.answer({true});
        EXPECT_TRUE(window->close());
    }
    ASSERT_TRUE(QFileInfo::exists(settingsFile()));

    auto window = openWindow();
    EXPECT_EQ(window->size(), geometry.size());
    EXPECT_EQ(child<QSplitter>(window.get(), "splEnquireByLocation")->sizes(), treeAndLists);
    EXPECT_EQ(child<QSplitter>(window.get(), "splLocationLists")->sizes(), stockAndLicences);
    auto* stock = child<common::ReportList>(window.get(), "lvStockTable");
    EXPECT_EQ(stock->header()->sectionSize(1), 333);
    EXPECT_EQ(stock->userColumnWidths().value(0), -1) << "only the column the user set";
    auto* page = static_cast<reports::pgReports*>(window->page(common::Reports));
    EXPECT_EQ(page->zoom(), 3);
    EXPECT_DOUBLE_EQ(child<reports::ReportView>(page, "rtbReport")->font().pointSizeF(),
                     reports::ScreenPointSize + 3);
}

TEST_F(WindowMemory, WithoutSettingsNothingIsReadOrWritten) {
    {
        testing_support::RecordingMain window(session, nullptr);
        window.Form_Load({});
        static_cast<reports::pgReports*>(window.page(common::Reports))->setZoom(5);
        messages.answer({true});
        window.close();
    }
    auto window = openWindow();
    EXPECT_EQ(static_cast<reports::pgReports*>(window->page(common::Reports))->zoom(), 0);
    EXPECT_FALSE(QFileInfo::exists(settingsFile()));
}

TEST(UserSettings, LiveInTheUsersConfigurationFolderNotBesideTheRegister) {
    QTemporaryDir config;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path());
    const std::shared_ptr<QSettings> settings = shell::userSettings();
    EXPECT_EQ(settings->format(), QSettings::IniFormat);
    EXPECT_TRUE(settings->fileName().startsWith(config.path() + QLatin1Char('/')))
        << settings->fileName().toStdString();
    EXPECT_NE(QFileInfo(settings->fileName()).absolutePath(),
              QFileInfo(QCoreApplication::applicationDirPath()).absoluteFilePath());
    settings->setValue(shell::ReportZoomKey, 2);
    settings->sync();
    EXPECT_TRUE(QFileInfo::exists(settings->fileName()));
}

// ------------------------------------------------------------------ the pages' place

class PagePlace : public ::testing::Test {
protected:
    void SetUp() override {
        software = t.addCategory(QStringLiteral("Software"));
        hardware = t.addCategory(QStringLiteral("Hardware"));
        office = t.addLocation(QStringLiteral("Office"), store::loc::AvailableLocations, 2,
                               store::loc::AvailableLocations);
        desk = t.addLocation(QStringLiteral("Desk"), office, 3, store::loc::AvailableLocations);
        word = t.addProduct(QStringLiteral("W1"), QStringLiteral("Word"), software);
        excel = t.addProduct(QStringLiteral("X1"), QStringLiteral("Excel"), software);
        pc = t.addProduct(QStringLiteral("P1"), QStringLiteral("Desk PC"), hardware);
        s1 = t.addStock(QStringLiteral("S1"), pc, desk);
        s2 = t.addStock(QStringLiteral("S2"), pc, office);
        k1 = t.addLicence(QStringLiteral("K1"), excel, desk, store::LicenceNormal);
        k2 = t.addLicence(QStringLiteral("K2"), excel, office, store::LicenceNormal);
        window = std::make_unique<testing_support::RecordingMain>(session, nullptr);
        window->Form_Load({});
    }
    void go(int page) { window->SSTab1()->setCurrentIndex(page); }
    template <typename T> T* on(int page, const char* name) {
        return child<T>(window->page(page), name);
    }
    static void choose(QComboBox* combo, int id) {
        const int index = combo->findData(id);
        ASSERT_GE(index, 0);
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }
    static QString L(int id) { return QStringLiteral("L%1").arg(id); }

    testing_support::TestDatabase t;
    testing_support::ScriptedMessages messages;
    testing_support::TestHooks hooks;
    common::Session session{t.db(), messages, hooks.clock, hooks.files};
    std::unique_ptr<testing_support::RecordingMain> window;
    int software = 0, hardware = 0, office = 0, desk = 0, word = 0, excel = 0, pc = 0;
    int s1 = 0, s2 = 0, k1 = 0, k2 = 0;
};

TEST_F(PagePlace, TheProductEnquiryKeepsCategoryProductAndRowAcrossATabSwitch) {
    go(common::EnquireByProducts);
    auto* cats = on<QComboBox>(common::EnquireByProducts, "cboEnqCats");
    auto* prods = on<QComboBox>(common::EnquireByProducts, "cboEnqProds");
    auto* list = on<common::ReportList>(common::EnquireByProducts, "lvEnqProd");
    choose(cats, software);
    choose(prods, excel);
    ASSERT_EQ(list->topLevelItemCount(), 2);
    const QString row = QStringLiteral("L%1").arg(k2);
    list->selectKeys({row}, row);

    // Nothing written meanwhile: the page is as it was left, not refilled.
    const QTreeWidgetItem* firstRow = list->topLevelItem(0);
    go(common::CategoryUtilities);
    go(common::EnquireByProducts);
    EXPECT_EQ(list->topLevelItem(0), firstRow) << "the same rows";
    EXPECT_EQ(cats->currentData().toInt(), software);
    EXPECT_EQ(prods->currentData().toInt(), excel);
    EXPECT_EQ(list->selectedKeys(), QStringList{row});

    // A write elsewhere: refilled, the new licence shows, the place stays.
    go(common::CategoryUtilities);
    const int k3 = t.addLicence(QStringLiteral("K3"), excel, office, store::LicenceTemporary);
    go(common::EnquireByProducts);
    EXPECT_EQ(cats->currentData().toInt(), software);
    EXPECT_EQ(prods->currentData().toInt(), excel);
    EXPECT_EQ(list->topLevelItemCount(), 3);
    EXPECT_NE(list->findKey(QStringLiteral("L%1").arg(k3)), nullptr);
    EXPECT_EQ(list->selectedKeys(), QStringList{row});

    // The chosen product gone: the category's first product instead.
    go(common::CategoryUtilities);
    t.db().execute(QStringLiteral("DELETE FROM Licences WHERE Prod_ID = ?"), excel);
    t.db().execute(QStringLiteral("DELETE FROM Products WHERE Prod_ID = ?"), excel);
    go(common::EnquireByProducts);
    EXPECT_EQ(cats->currentData().toInt(), software);
    EXPECT_EQ(prods->currentData().toInt(), word);
    EXPECT_TRUE(list->selectedKeys().isEmpty());
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(PagePlace, TreesKeepTheirOpenBranchesAndSelectionAndShowWhatChanged) {
    struct Case {
        int page;
        const char* tree;
    };
    const Case cases[] = {{common::EnquireByLocation, "tvLocations"},
                          {common::LocationUtilities, "tvLocations2"},
                          {common::Allocation, "tvSourceLoc"}};
    // A branch that a fill opens, which the user closes.
    t.addLocation(QStringLiteral("Pool"), store::loc::AvailableLicences, 2,
                  store::loc::AvailableLicences);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tree);
        go(common::Reports);
        go(c.page); // filled with every location there is
        auto* view = on<QTreeView>(c.page, c.tree);
        testing_support::TreeNodes tree(view);
        ASSERT_TRUE(tree.has(L(office)));
        view->collapseAll();
        tree.setOpen(QStringLiteral("L0"), true);
        tree.setOpen(L(store::loc::AvailableLocations), true);
        tree.setOpen(L(office), true);
        tree.select(L(desk));
        const locations::LocationTreeView::Place before = tree.place();

        go(common::Reports);
        go(c.page);
        EXPECT_EQ(tree.place().expanded, before.expanded) << "unchanged";
        EXPECT_EQ(tree.selected(), L(desk));

        // A location added elsewhere appears; the place is kept.
        go(common::Reports);
        const int annex = t.addLocation(QStringLiteral("Annex %1").arg(c.page), office, 3,
                                        store::loc::AvailableLocations);
        go(c.page);
        ASSERT_TRUE(tree.has(L(annex))) << "refilled";
        QStringList expanded = tree.place().expanded;
        expanded.sort();
        QStringList expected = before.expanded;
        expected.sort();
        EXPECT_EQ(expanded, expected);
        EXPECT_FALSE(tree.isOpen(L(store::loc::AvailableLicences))) << "kept closed";
        EXPECT_EQ(tree.selected(), L(desk));
    }
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(PagePlace, AMoveAnotherUserMadeFirstIsRefusedAndThePageRefilledAroundThePlace) {
    go(common::Allocation);
    auto* view = on<allocation::AllocationTreeView>(common::Allocation, "tvSourceLoc");
    testing_support::TreeNodes tree(view);
    view->expandAll();
    const QString item = QStringLiteral("S%1").arg(s2);
    ASSERT_EQ(tree.parentKey(item), L(office));
    // Another user moves the item to the desk while this tree shows it in
    // the office.
    t.db().execute(QStringLiteral("UPDATE Stock SET Loc_ID = ? WHERE Stock_ID = ?"), desk, s2);
    auto* page = static_cast<allocation::pgAllocation*>(window->page(common::Allocation));
    page->dropItem(view->node(item), view->node(L(store::loc::AvailableLocations)));
    EXPECT_EQ(messages.texts(), QStringList{common::ChangedByAnotherUser});
    EXPECT_EQ(t.count(QStringLiteral("StockHistory")), 0);
    QCoreApplication::processEvents(); // the refill comes once the drop has ended
    ASSERT_TRUE(tree.has(item));
    EXPECT_EQ(tree.parentKey(item), L(desk)) << "shows where it stands";
    EXPECT_TRUE(tree.isOpen(L(desk))) << "its open branches kept";
}

TEST_F(PagePlace, TheLocationPageKeepsItsListsForTheSelectedLocation) {
    go(common::EnquireByLocation);
    auto* tree = on<locations::LocationTreeView>(common::EnquireByLocation, "tvLocations");
    auto* licences = on<common::ReportList>(common::EnquireByLocation, "lvLicenceTable");
    tree->expandAll();
    tree->selectNode(tree->node(L(office)));
    emit tree->nodeClicked(tree->node(L(office)));
    ASSERT_EQ(licences->topLevelItemCount(), 1);
    const QString row = licences->keyOf(licences->topLevelItem(0));
    licences->selectKeys({row}, row);

    go(common::Allocation);
    go(common::EnquireByLocation);
    EXPECT_EQ(licences->selectedKeys(), QStringList{row});

    // Another licence of that product arrives: the count follows.
    go(common::Allocation);
    t.addLicence(QStringLiteral("K9"), excel, office, store::LicenceTemporary);
    go(common::EnquireByLocation);
    ASSERT_EQ(licences->topLevelItemCount(), 1);
    EXPECT_EQ(licences->topLevelItem(0)->text(4), QStringLiteral("1")) << "the Temp count";
    EXPECT_EQ(licences->selectedKeys(), QStringList{row});
    EXPECT_EQ(on<QLabel>(common::EnquireByLocation, "lblViewingLoc")->text(),
              QStringLiteral("Location: Office"));
}

TEST_F(PagePlace, TheProductAndCategoryPagesKeepTheirChoiceAndRow) {
    go(common::ProductUtilities);
    auto* cats = on<QComboBox>(common::ProductUtilities, "cboCategories");
    auto* products = on<common::ReportList>(common::ProductUtilities, "lvProdList");
    cats->setCurrentIndex(cats->findData(software));
    const QString row = QStringLiteral("P%1").arg(excel);
    products->selectKeys({row}, row);
    go(common::CategoryUtilities);
    auto* categories = on<common::ReportList>(common::CategoryUtilities, "lvCategories");
    const QString catRow = QStringLiteral("C%1").arg(hardware);
    categories->selectKeys({catRow}, catRow);

    // A write on the allocation page's data.
    go(common::Allocation);
    t.addStock(QStringLiteral("S7"), word, office);
    go(common::ProductUtilities);
    EXPECT_EQ(cats->currentData().toInt(), software);
    EXPECT_EQ(products->selectedKeys(), QStringList{row});
    EXPECT_EQ(products->findKey(QStringLiteral("P%1").arg(word))->text(2), QStringLiteral("1"));
    go(common::CategoryUtilities);
    EXPECT_EQ(categories->selectedKeys(), QStringList{catRow});
    EXPECT_EQ(categories->findKey(QStringLiteral("C%1").arg(software))->text(2),
              QStringLiteral("1"));
}

TEST_F(PagePlace, TheReportsPageKeepsItsReportAndRunsItAgainAfterAChange) {
    go(common::Reports);
    auto* combo = on<QComboBox>(common::Reports, "cboReports");
    auto* page = static_cast<reports::pgReports*>(window->page(common::Reports));
    const int index = combo->findText(QStringLiteral("Stock details"));
    ASSERT_GE(index, 0);
    combo->setCurrentIndex(index);
    emit combo->activated(index);
    const QString shown = page->reportText();
    ASSERT_TRUE(shown.contains(QStringLiteral("S1")));

    go(common::EnquireByLocation);
    go(common::Reports);
    EXPECT_EQ(combo->currentText(), QStringLiteral("Stock details"));
    EXPECT_EQ(page->reportText(), shown);
    EXPECT_TRUE(on<QPushButton>(common::Reports, "btnExportReport")->isEnabled());

    go(common::EnquireByLocation);
    t.addStock(QStringLiteral("NEW-STOCK"), pc, office);
    go(common::Reports);
    EXPECT_EQ(combo->currentText(), QStringLiteral("Stock details"));
    EXPECT_TRUE(page->reportText().contains(QStringLiteral("NEW-STOCK")));
    EXPECT_TRUE(messages.shown().empty());
}

// ------------------------------------------------------------------ columns and zoom

TEST(ListColumns, NarrowColumnsShowWholeAndWideOnesShareTheRest) {
    common::ReportList list({QStringLiteral("Product Code"), QStringLiteral("Product Description"),
                             QStringLiteral("Category"), QStringLiteral("Norm"),
                             QStringLiteral("Temp")});
    list.resize(500, 300);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    const QString longText(300, QLatin1Char('D'));
    list.setRows({{QStringLiteral("L1"),
                   {QStringLiteral("W1"), longText, QStringLiteral("Office"), QStringLiteral("12"),
                    QStringLiteral("3")}}});
    QHeaderView* header = list.header();
    const int width = list.viewport()->width();
    // Everything within the list: no column pushed out of sight.
    EXPECT_LE(header->sectionViewportPosition(4) + header->sectionSizeHint(4), width);
    for (int c : {0, 2, 3})
        EXPECT_GE(header->sectionSize(c), header->sectionSizeHint(c)) << c;
    // The long description takes what the others leave.
    EXPECT_GT(header->sectionSize(1), header->sectionSize(0));

    // A column the user sized keeps its width through later fills.
    header->resizeSection(0, 200);
    list.setRows({{QStringLiteral("L2"),
                   {QStringLiteral("X"), QStringLiteral("y"), QStringLiteral("z"),
                    QStringLiteral("1"), QStringLiteral("2")}}});
    EXPECT_EQ(header->sectionSize(0), 200);
    EXPECT_EQ(list.userColumnWidths(), (QList<int>{200, -1, -1, -1, -1}));
}

TEST_F(PagePlace, TempCountsShowBesideALongDescriptionAtTheDefaultSize) {
    const int suite = t.addProduct(
        QStringLiteral("SUITE-2026-ENTERPRISE"),
        QStringLiteral("Office productivity suite, enterprise edition with every optional "
                       "component, volume licence for the whole organisation"),
        software);
    t.addLicence(QStringLiteral("K-SUITE"), suite, office, store::LicenceTemporary);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    go(common::Reports);
    go(common::EnquireByLocation);
    auto* tree = on<locations::LocationTreeView>(common::EnquireByLocation, "tvLocations");
    tree->expandAll();
    tree->selectNode(tree->node(L(office)));
    emit tree->nodeClicked(tree->node(L(office)));
    auto* licences = on<common::ReportList>(common::EnquireByLocation, "lvLicenceTable");
    ASSERT_EQ(licences->topLevelItemCount(), 2);
    QHeaderView* header = licences->header();
    for (int c = 0; c < header->count(); ++c) {
        SCOPED_TRACE(c);
        EXPECT_LE(header->sectionViewportPosition(c) + header->sectionSizeHint(c),
                  licences->viewport()->width())
            << "the column's heading is in sight";
    }
    EXPECT_GE(header->sectionSize(0), header->sectionSizeHint(0));
}

TEST_F(PagePlace, TheProductChooserIsAsWideAsItsLongestEntry) {
    const QString longName = QStringLiteral("Enterprise Resource Planning Suite, site licence");
    t.addProduct(QStringLiteral("ERP"), longName, software);
    window->show();
    go(common::EnquireByProducts);
    auto* prods = on<QComboBox>(common::EnquireByProducts, "cboEnqProds");
    choose(on<QComboBox>(common::EnquireByProducts, "cboEnqCats"), software);
    QApplication::processEvents();
    EXPECT_GE(prods->width(), prods->fontMetrics().horizontalAdvance(longName));
}

TEST_F(PagePlace, TheReportZoomsWithCtrlPlusMinusAndZeroOnTheScreenOnly) {
    window->show();
    go(common::Reports);
    auto* page = static_cast<reports::pgReports*>(window->page(common::Reports));
    auto* text = on<reports::ReportView>(common::Reports, "rtbReport");
    EXPECT_GE(text->font().pointSizeF(), 9.0) << "legible at first";
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    text->setFocus();
    const double base = text->font().pointSizeF();
    QTest::keyClick(text, Qt::Key_Plus, Qt::ControlModifier);
    QTest::keyClick(text, Qt::Key_Plus, Qt::ControlModifier);
    EXPECT_EQ(page->zoom(), 2);
    EXPECT_DOUBLE_EQ(text->font().pointSizeF(), base + 2);
    QTest::keyClick(text, Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_EQ(page->zoom(), 1);
    QTest::keyClick(text, Qt::Key_0, Qt::ControlModifier);
    EXPECT_EQ(page->zoom(), 0);
    EXPECT_DOUBLE_EQ(text->font().pointSizeF(), base);
    // Ctrl with the wheel over the text zooms too.
    const QPointF centre = QPointF(text->viewport()->rect().center());
    QWheelEvent wheel(centre, text->viewport()->mapToGlobal(centre), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(text->viewport(), &wheel);
    EXPECT_EQ(page->zoom(), 1);
    EXPECT_DOUBLE_EQ(text->font().pointSizeF(), base + 1);
    // Bounded both ways.
    page->setZoom(1000);
    EXPECT_EQ(page->zoom(), reports::LargestZoom);
    page->setZoom(-1000);
    EXPECT_EQ(page->zoom(), reports::SmallestZoom);
}

TEST_F(PagePlace, PrintingAndPdfKeepTheirLayoutWhateverTheZoom) {
    for (int i = 0; i < 120; ++i)
        t.addStock(QStringLiteral("BULK-%1").arg(i, 3, 10, QLatin1Char('0')), pc, office);
    window->show();
    go(common::Reports);
    auto* page = static_cast<reports::pgReports*>(window->page(common::Reports));
    auto* combo = on<QComboBox>(common::Reports, "cboReports");
    const int index = combo->findText(QStringLiteral("Stock details"));
    ASSERT_GE(index, 0);
    combo->setCurrentIndex(index);
    emit combo->activated(index);
    QTemporaryDir out;
    const auto pdfAt = [&](int zoom) {
        page->setZoom(zoom);
        const QString path = out.filePath(QStringLiteral("zoom%1.pdf").arg(zoom));
        hooks.files.choose(path);
        page->SaveAsPdf();
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        return file.readAll();
    };
    const QByteArray plain = pdfAt(0);
    const QByteArray zoomed = pdfAt(reports::LargestZoom);
    const auto pages = [](const QByteArray& pdf) {
        return pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page ") +
               pdf.count("/Type /Page/");
    };
    EXPECT_GT(pages(plain), 1) << "a report of several pages";
    EXPECT_EQ(pages(zoomed), pages(plain));
    // Only the stamps of time and identity differ, which keep their length.
    EXPECT_EQ(zoomed.size(), plain.size());
    EXPECT_TRUE(messages.shown().empty());
}

} // namespace
