#include "common/Session.h"
#include "common/ui/Page.h"
#include "common/ui/ReportList.h"
#include "locations/clsLocations.h"
#include "locations/ui/LocationTreeView.h"
#include "shell/StartUp.h"
#include "shell/ui/Program.h"
#include "shell/ui/frmAbout.h"
#include "shell/ui/frmVemora.h"
#include "store/StoreConstants.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"
#include "support/TestHooks.h"
#include "support/TreeNodes.h"
#include "support/WhenModal.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>

#include <functional>

#include <gtest/gtest.h>

using common::MessageKind;
using shell::frmVemora;
using testing_support::ScriptedMessages;
using testing_support::TestDatabase;

namespace {

const QString Quit = QStringLiteral("Are you sure you wish to Quit ?");

const char* const Captions[common::PageCount] = {"Enquire by &Location",
                                                 "Enquire by &Products",
                                                 "Location   &Utilities",
                                                 "&Category Utilities",
                                                 "P&roduct   Utilities",
                                                 " &Allocation",
                                                 "R&eports"};

const char* const Hints[common::PageCount] = {
    "Select a location from the tree to show stock and/or licences.",
    "Select a category and a product to show locations, right click for history",
    "Select and right click a location to Add, Modify or Delete",
    "Shows all categories together with numbers of Products, Stock and Licences",
    "Shows all products for the selected category together with numbers of Stock, Licences and "
    "Temporary Licences",
    "Firstly select the stock or licences to be moved, then Drag to the desired location",
    "Select the desired report, order if required, select your printer, hit Print or Export"};

// The main window on a fresh database, loaded as start-up loads it.
class MainWindow : public ::testing::Test {
protected:
    void load(const QStringList& printers = {}) {
        window = std::make_unique<frmVemora>(session, nullptr);
        window->Form_Load(printers);
    }

    template <typename T = QWidget> T* control(int page, const char* name) {
        return window->page(page)->findChild<T*>(QString::fromLatin1(name));
    }

    locations::LocationTreeView* tree(int page, const char* name) {
        return control<locations::LocationTreeView>(page, name);
    }

    void select(int page) { window->SSTab1()->setCurrentIndex(page); }

    TestDatabase t;
    ScriptedMessages messages;
    testing_support::TestHooks hooks;
    common::Session session{t.db(), messages, hooks.clock, hooks.files};
    std::unique_ptr<frmVemora> window;
};

// What the Tab key walks through from the tab strip, in order: every widget
// of the window that takes focus by Tab. A widget that hands its focus to a
// proxy is passed over, as Qt does, and so are the tab strip's own scroll
// buttons, which belong to the tab control.
QWidgetList keyboardOrder(frmVemora& window) {
    QWidget* start = window.SSTab1()->tabBar();
    QWidgetList order{start};
    for (QWidget* w = start->nextInFocusChain(); w != start; w = w->nextInFocusChain()) {
        if (order.size() > 1000)
            break;
        if ((w->focusPolicy() & Qt::TabFocus) && !w->focusProxy() && w->window() == &window &&
            !start->isAncestorOf(w))
            order << w;
    }
    return order;
}

// The names of the widgets joined by blanks, array members with their index.
std::string namesOf(const QWidgetList& widgets) {
    QStringList out;
    for (QWidget* w : widgets) {
        QString name = w->objectName();
        if (w->property("index").isValid())
            name += QStringLiteral("(%1)").arg(w->property("index").toInt());
        out << (name.isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : name);
    }
    return out.join(QLatin1Char(' ')).toStdString();
}

QStringList actionTexts(const QMenu* menu) {
    QStringList out;
    for (const QAction* a : menu->actions())
        out << a->text();
    return out;
}

// A menu item of a control array, by the array's name and the item's index.
QAction* menuItem(QWidget& window, const QString& array, int index) {
    QAction* found = nullptr;
    for (QAction* a : window.findChildren<QAction*>(array))
        if (a->property("index").isValid() && a->property("index").toInt() == index) {
            EXPECT_EQ(found, nullptr) << array.toStdString() << " " << index << " twice";
            found = a;
        }
    return found;
}

} // namespace

TEST_F(MainWindow, TitleAndTheSevenTabCaptions) {
    load();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Vemora! - Assets"));
    EXPECT_TRUE(window->isVisible());
    QTabWidget* tabs = window->SSTab1();
    EXPECT_EQ(tabs->objectName(), QStringLiteral("SSTab1"));
    ASSERT_EQ(tabs->count(), common::PageCount);
    for (int i = 0; i < tabs->count(); ++i) {
        EXPECT_EQ(tabs->tabText(i), QString::fromLatin1(Captions[i])) << i;
        EXPECT_EQ(tabs->widget(i), window->page(i));
    }
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_NE(window->findChild<QWidget*>(QStringLiteral("sbStatusBar")), nullptr);
}

TEST_F(MainWindow, EveryPageHoldsItsNamedControlsAndCaptions) {
    load();
    struct Named {
        int page;
        const char* name;
        const char* caption; // the text shown on the control itself, if any
    };
    const Named named[] = {
        {0, "tvLocations", nullptr},
        {0, "btnExpandEBL", "&Expand Locations"},
        {0, "lblViewingLoc", nullptr},
        {0, "lvStockTable", nullptr},
        {0, "lvLicenceTable", nullptr},
        {1, "cboEnqCats", nullptr},
        {1, "cboEnqProds", nullptr},
        {1, "lvEnqProd", nullptr},
        {1, "lblLicExceed", "LICENCES EXCEEDED !!"},
        {2, "tvLocations2", nullptr},
        {2, "btnExpand", "&Expand Locations"},
        {3, "lvCategories", nullptr},
        {4, "cboCategories", nullptr},
        {4, "lvProdList", nullptr},
        {5, "tvSourceLoc", nullptr},
        {5, "btnExpandAlloc", "&Expand Locations"},
        {6, "cboReports", nullptr},
        {6, "frLicDetsOB", "Order by"},
        {6, "rtbReport", nullptr},
        {6, "cboPrinters", nullptr},
        {6, "btnPrint", "Print"},
        {6, "btnExportReport", "Export"},
    };
    for (const Named& n : named) {
        SCOPED_TRACE(n.name);
        QWidget* w = control(n.page, n.name);
        ASSERT_NE(w, nullptr) << "not on page " << n.page;
        if (!n.caption)
            continue;
        const QString caption = QString::fromLatin1(n.caption);
        QString shown;
        if (auto* button = qobject_cast<QAbstractButton*>(w))
            shown = button->text();
        else if (auto* label = qobject_cast<QLabel*>(w))
            shown = label->text();
        else if (auto* frame = qobject_cast<QGroupBox*>(w))
            shown = frame->title();
        EXPECT_EQ(shown, caption);
    }

    // The ten order buttons are one control array, indexes 0 to 9.
    const auto orderBy =
        window->page(6)->findChildren<QAbstractButton*>(QStringLiteral("btnOrderBy"));
    QList<int> indexes;
    for (QAbstractButton* b : orderBy)
        indexes << b->property("index").toInt();
    std::sort(indexes.begin(), indexes.end());
    EXPECT_EQ(indexes, (QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

TEST_F(MainWindow, PagesCarryTheirLabelsAndLegends) {
    load();
    const std::pair<int, std::vector<const char*>> labels[] = {
        {0, {"Stock Items", "Licence Items"}},
        {1, {"Category", "Product"}},
        {2, {"System Node", "Location", "Removed Location"}},
        {4, {"Select Category"}},
        {5,
         {"System Node", "Location", "Removed Location", "Stock", "Removed Stock", "Licence",
          "Licence Location", "Temporary Licence", "Removed Temporary Licence"}},
        {6, {"Report to Show", "Available Printers"}},
    };
    for (const auto& [page, texts] : labels) {
        QStringList shown;
        for (const QLabel* l : window->page(page)->findChildren<QLabel*>())
            shown << l->text();
        for (const char* text : texts)
            EXPECT_TRUE(shown.contains(QString::fromLatin1(text)))
                << "page " << page << ": " << text;
    }
}

TEST_F(MainWindow, MenuBarShowsFileAndHelpAndTheOtherMenusAreHidden) {
    load();
    ASSERT_NE(window->findChild<QMenu*>(QStringLiteral("mnuFileMenu")), nullptr);
    ASSERT_NE(window->findChild<QMenu*>(QStringLiteral("mnuHelp")), nullptr);
    QStringList bar;
    for (const QAction* a : window->menuBar()->actions())
        bar << a->text();
    EXPECT_EQ(bar, (QStringList{"&File", "&Help"}));

    struct Menu {
        const char* name;
        const char* caption;
        QStringList items;
    };
    const Menu menus[] = {
        {"mnuFileMenu", "&File", {"&Database Utils", "Import…", "&Exit"}},
        {"mnuHelp", "&Help", {"&Help Topics", "&About"}},
        {"mnuCategorys", "Category", {"Add Category", "Modify Category", "Delete Category"}},
        {"mnuSuppliers", "Supplier", {"Add", "Modify", "View", "Delete"}},
        {"mnuProducts",
         "Products",
         {"Add Product", "Modify Product", "View Product", "Delete Product"}},
        {"mnuLocations", "Locations", {"Add", "Modify", "Delete"}},
        {"mnuStockLicences", "Stock / Licences ", {"Stock", "Licences", "History"}},
    };
    for (const Menu& m : menus) {
        SCOPED_TRACE(m.name);
        auto* menu = window->findChild<QMenu*>(QString::fromLatin1(m.name));
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(menu->title(), QString::fromLatin1(m.caption));
        EXPECT_EQ(actionTexts(menu), m.items);
        EXPECT_FALSE(menu->isVisible());
    }
    EXPECT_EQ(actionTexts(menuItem(*window, QStringLiteral("mnuFile"), 0)->menu()),
              (QStringList{"&Restore Database", "&BackUp Database"}));
    const QStringList maint{"Add", "Modify", "View", "Delete"};
    EXPECT_EQ(actionTexts(menuItem(*window, QStringLiteral("mnuStockL"), 0)->menu()), maint);
    EXPECT_EQ(actionTexts(menuItem(*window, QStringLiteral("mnuStockL"), 1)->menu()), maint);
}

TEST_F(MainWindow, MenuItemsAreControlArraysFoundByNameAndIndex) {
    load();
    struct Item {
        const char* array;
        int index;
        const char* caption;
    };
    const Item items[] = {
        {"mnuFile", 0, "&Database Utils"},
        {"mnuFile", 1, "&Exit"},
        {"mnuDBase", 0, "&Restore Database"},
        {"mnuDBase", 1, "&BackUp Database"},
        {"mnuHelpAbout", 0, "&Help Topics"},
        {"mnuHelpAbout", 1, "&About"},
        {"mnuCat", 0, "Add Category"},
        {"mnuCat", 2, "Delete Category"},
        {"mnuSup", 0, "Add"},
        {"mnuSup", 3, "Delete"},
        {"mnuProd", 0, "Add Product"},
        {"mnuProd", 3, "Delete Product"},
        {"mnuLoc", 1, "Modify"},
        {"mnuLoc", 2, "Delete"},
        {"mnuStockL", 0, "Stock"},
        {"mnuStockL", 1, "Licences"},
        {"mnuStockL", 2, "History"},
        {"mnuSMaint", 0, "Add"},
        {"mnuSMaint", 3, "Delete"},
        {"mnuLMaint", 1, "Modify"},
        {"mnuLMaint", 2, "View"},
    };
    for (const Item& i : items) {
        QAction* a = menuItem(*window, QString::fromLatin1(i.array), i.index);
        ASSERT_NE(a, nullptr) << i.array << "(" << i.index << ")";
        EXPECT_EQ(a->text(), QString::fromLatin1(i.caption)) << i.array << "(" << i.index << ")";
    }
    QMenu* stockL = window->sharedMenu(common::SharedMenu::StockLicences);
    EXPECT_EQ(menuItem(*window, QStringLiteral("mnuStockL"), 0)->menu()->parent(), stockL);
    EXPECT_EQ(menuItem(*window, QStringLiteral("mnuStockL"), 1)->menu()->parent(), stockL);
    EXPECT_EQ(menuItem(*window, QStringLiteral("mnuFile"), 0)->menu()->title(),
              QStringLiteral("&Database Utils"));
}

TEST_F(MainWindow, EachPageShowsItsHintWhenSelectedAndTheClockPanels) {
    load();
    EXPECT_EQ(window->statusPanel(1)->text(), QString::fromLatin1(Hints[0]));
    for (int page : {1, 2, 3, 4, 5, 6, 0, 6, 2}) {
        select(page);
        EXPECT_EQ(window->SSTab1()->currentIndex(), page);
        EXPECT_EQ(window->statusPanel(1)->text(), QString::fromLatin1(Hints[page])) << page;
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "hourglass left on, page " << page;
    }
    const QLocale locale = QLocale::system();
    EXPECT_EQ(window->statusPanel(2)->text(),
              locale.toString(QDate(2026, 12, 10), QLocale::ShortFormat));
    EXPECT_EQ(window->statusPanel(3)->text(), locale.toString(QTime(9, 30), QLocale::ShortFormat));
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(MainWindow, SelectingATreePageAgainShowsLocationsAddedMeanwhile) {
    load();
    const std::pair<int, const char*> trees[] = {
        {0, "tvLocations"}, {2, "tvLocations2"}, {5, "tvSourceLoc"}};
    for (const auto& [page, name] : trees) {
        SCOPED_TRACE(name);
        select(page);
        select(3);
        const int added = t.addLocation(QStringLiteral("server ROOM %1").arg(page), 1, 2, 1);
        const QString key = QStringLiteral("L%1").arg(added);
        const testing_support::TreeNodes nodes(control<QTreeView>(page, name));
        EXPECT_FALSE(nodes.has(key));
        select(page);
        ASSERT_TRUE(nodes.has(key));
        EXPECT_EQ(nodes.text(key), QStringLiteral("Server Room %1").arg(page));
        EXPECT_EQ(nodes.parentKey(key), QStringLiteral("L1"));
    }
}

// The check for locations no tree can show reads every location, so it
// waits until the page filled is on screen; it names them once, and again
// only after the locations have changed.
TEST_F(MainWindow, LocationsWithoutAPlaceAreNamedOnceThePageFilledIsOnScreen) {
    t.addLocation(QStringLiteral("lost room"), 999, 3, 1);
    load();
    EXPECT_NE(tree(0, "tvLocations")->node(QStringLiteral("L1")), nullptr);
    EXPECT_TRUE(messages.shown().empty());
    const auto expectNamed = [&](bool named) {
        // A slice of locations a turn of the event loop: a few turns here.
        for (int turn = 0; turn < 5; ++turn)
            QApplication::processEvents();
        ASSERT_EQ(messages.shown().size(), named ? 1u : 0u);
        if (named) {
            EXPECT_EQ(messages.shown().front().kind, MessageKind::Failure);
            EXPECT_TRUE(messages.shown().front().text.endsWith(QStringLiteral(": Lost Room")));
        }
        messages.clear();
    };
    expectNamed(true);
    // Other pages, and writes that leave the locations as they were.
    select(2);
    expectNamed(false);
    t.addCategory(QStringLiteral("Any"));
    select(3);
    expectNamed(false);
    t.addLocation(QStringLiteral("Annex"), 1, 2, 1);
    select(0);
    expectNamed(true);
}

TEST_F(MainWindow, EnteringTheFirstPageKeepsItUntilTheRegisterChangesThenEmptiesItsLists) {
    load();
    auto* stock = control<common::ReportList>(0, "lvStockTable");
    auto* licences = control<common::ReportList>(0, "lvLicenceTable");
    stock->setRows({{QStringLiteral("S1"), {"A", "B", "C", "1"}}});
    licences->setRows({{QStringLiteral("S1"), {"A", "B", "C", "1", "0"}}});
    // Nothing written: the page is as it was left.
    select(4);
    select(0);
    EXPECT_EQ(stock->topLevelItemCount(), 1);
    EXPECT_EQ(licences->topLevelItemCount(), 1);
    // Written meanwhile, no location chosen: the lists empty, the tree is
    // filled again.
    select(4);
    const int added = t.addLocation(QStringLiteral("Annex"), 1, 2, 1);
    select(0);
    EXPECT_EQ(stock->topLevelItemCount(), 0);
    EXPECT_EQ(licences->topLevelItemCount(), 0);
    EXPECT_NE(tree(0, "tvLocations")->node(QStringLiteral("L%1").arg(added)), nullptr);
}

TEST_F(MainWindow, DoTheClickGoesBackToTheFirstPageWithItsHintAndKeyboardOrder) {
    load();
    select(3);
    const int added = t.addLocation(QStringLiteral("Annexe"), 1, 2, 1);
    window->Do_the_Click();
    EXPECT_EQ(window->SSTab1()->currentIndex(), 0);
    EXPECT_NE(tree(0, "tvLocations")->node(QStringLiteral("L%1").arg(added)), nullptr);
    EXPECT_EQ(window->statusPanel(1)->text(), QString::fromLatin1(Hints[0]));
    EXPECT_EQ(namesOf(keyboardOrder(*window)),
              "qt_tabwidget_tabbar tvLocations btnExpandEBL lvStockTable lvLicenceTable");
}

TEST_F(MainWindow, KeyboardOrderIsTheTabStripThenThePageControls) {
    load();
    const std::pair<int, const char*> orders[] = {
        {0, "qt_tabwidget_tabbar tvLocations btnExpandEBL lvStockTable lvLicenceTable"},
        {1, "qt_tabwidget_tabbar cboEnqCats cboEnqProds lvEnqProd"},
        {2, "qt_tabwidget_tabbar tvLocations2 btnExpand"},
        {3, "qt_tabwidget_tabbar lvCategories"},
        {4, "qt_tabwidget_tabbar cboCategories lvProdList"},
        {5, "qt_tabwidget_tabbar tvSourceLoc btnExpandAlloc"},
        {6, "qt_tabwidget_tabbar cboReports btnOrderBy(0) btnOrderBy(1) btnOrderBy(2) "
            "btnOrderBy(3) btnOrderBy(4) btnOrderBy(5) btnOrderBy(6) btnOrderBy(7) btnOrderBy(8) "
            "btnOrderBy(9) cboPrinters btnPrint btnExportReport"},
    };
    ASSERT_EQ(window->SSTab1()->tabBar()->objectName(), QStringLiteral("qt_tabwidget_tabbar"));
    // After loading, the first page's order holds.
    EXPECT_EQ(namesOf(keyboardOrder(*window)), orders[0].second);
    for (int round = 0; round < 2; ++round)
        for (const auto& [page, expected] : orders) {
            select(page);
            EXPECT_EQ(namesOf(keyboardOrder(*window)), expected) << "page " << page;
        }
    // Opening a combo's list does not put it into the order.
    control<QComboBox>(6, "cboPrinters")->view();
    window->SetTabOrder(6);
    EXPECT_EQ(namesOf(keyboardOrder(*window)), orders[6].second);
    EXPECT_FALSE(control(6, "rtbReport")->focusPolicy() & Qt::TabFocus);
}

TEST_F(MainWindow, PrinterListFollowsTheInstalledPrinters) {
    struct PrinterCase {
        QStringList printers;
        int selected;
    };
    const PrinterCase cases[] = {
        {{}, -1},
        {{"Office LaserJet", "PDF writer"}, 0},
        {{"Only one"}, 0},
    };
    for (const PrinterCase& c : cases) {
        load(c.printers);
        auto* combo = control<QComboBox>(6, "cboPrinters");
        ASSERT_NE(combo, nullptr);
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        EXPECT_EQ(items, c.printers);
        EXPECT_EQ(combo->currentIndex(), c.selected);
        const QString current = c.printers.isEmpty() ? QString() : c.printers.first();
        EXPECT_EQ(combo->currentText(), current);
    }
}

TEST_F(MainWindow, AnsweringNoToQuitLeavesEverythingAsItWas) {
    t.addLocation(QStringLiteral("Office"), 1, 2, 1);
    load();
    select(2);
    auto* tv = tree(2, "tvLocations2");
    tv->selectNode(tv->node(QStringLiteral("L2")));
    const int nodes = static_cast<int>(
        tv->findItems(QStringLiteral("*"), Qt::MatchWildcard | Qt::MatchRecursive).size());
    session.logic<locations::clsLocations>().setCurrentLocId(2);
    messages.answer({false});
    menuItem(*window, QStringLiteral("mnuFile"), 1)->trigger();

    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown().front().kind, MessageKind::Question);
    EXPECT_EQ(messages.shown().front().text, Quit);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->SSTab1()->currentIndex(), 2);
    EXPECT_EQ(tv->selectedNode(), tv->node(QStringLiteral("L2")));
    EXPECT_EQ(tv->findItems(QStringLiteral("*"), Qt::MatchWildcard | Qt::MatchRecursive).size(),
              nodes);
    EXPECT_EQ(window->statusPanel(1)->text(), QString::fromLatin1(Hints[2]));
    // The shared logic objects are kept: the current location is still set.
    EXPECT_EQ(session.logic<locations::clsLocations>().CurrentLocId(), 2);

    // The close box asks the same.
    messages.answer({false});
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(messages.texts(), (QStringList{Quit, Quit}));
}

TEST_F(MainWindow, AnsweringYesClosesAndLetsGoOfTheLogicObjects) {
    load();
    select(2);
    session.logic<locations::clsLocations>().setCurrentLocId(2);
    messages.answer({true});
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(messages.texts(), QStringList{Quit});
    EXPECT_EQ(session.logic<locations::clsLocations>().CurrentLocId(), 0)
        << "logic objects were not released";
}

TEST_F(MainWindow, AfterARestoreTheWindowClosesWithoutAsking) {
    load();
    window->skipQuitConfirmation();
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_FALSE(messages.unexpectedQuestion());
}

TEST_F(MainWindow, ExpandButtonsExpandEveryNodeAndSelectTheRoot) {
    const int floor = t.addLocation(QStringLiteral("Floor"), 1, 2, 1);
    const int room = t.addLocation(QStringLiteral("Room"), floor, 3, 1);
    t.addLocation(QStringLiteral("Desk"), room, 4, 1);
    const int pool = t.addLocation(QStringLiteral("Pool"), 2, 2, 2);
    t.addLocation(QStringLiteral("Seat"), pool, 3, 2);
    const int old = t.addLocation(QStringLiteral("Old wing"), 3, 2, 3);
    t.addLocation(QStringLiteral("Old room"), old, 3, 3);
    load();
    struct Expander {
        int page;
        const char* tree;
        const char* button;
    };
    const Expander expanders[] = {
        {0, "tvLocations", "btnExpandEBL"},
        {2, "tvLocations2", "btnExpand"},
        {5, "tvSourceLoc", "btnExpandAlloc"},
    };
    for (const Expander& e : expanders) {
        SCOPED_TRACE(e.tree);
        select(e.page);
        auto* tv = control<QTreeView>(e.page, e.tree);
        ASSERT_NE(tv, nullptr);
        testing_support::TreeNodes nodes(tv);
        EXPECT_FALSE(nodes.isOpen(QStringLiteral("L%1").arg(room)));
        EXPECT_FALSE(nodes.isOpen(QStringLiteral("L%1").arg(old)));
        nodes.select(QStringLiteral("L%1").arg(pool));
        control<QAbstractButton>(e.page, e.button)->click();
        int withChildren = 0;
        const QAbstractItemModel* model = tv->model();
        std::function<void(const QModelIndex&)> walk = [&](const QModelIndex& parent) {
            for (int row = 0; row < model->rowCount(parent); ++row) {
                const QModelIndex node = model->index(row, 0, parent);
                if (model->rowCount(node) > 0) {
                    ++withChildren;
                    EXPECT_TRUE(tv->isExpanded(node)) << node.data().toString().toStdString();
                }
                walk(node);
            }
        };
        walk(QModelIndex());
        EXPECT_EQ(withChildren, 8); // SYSTEM, the three branches, Floor, Room, Pool, Old wing
        EXPECT_EQ(nodes.selected(), QStringLiteral("L0"));
        EXPECT_EQ(tv->selectionModel()->selectedRows().size(), 1);
    }
}

// ---------------------------------------------------------------- start-up

namespace {

QWidgetList visibleWindows() {
    QWidgetList out;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible())
            out << w;
    return out;
}

class ProgramStart : public ::testing::Test {
protected:
    shell::Program::Options options(const QString& dir, const char* locale = "en_GB") {
        shell::Program::Options o;
        o.locale = QLocale(QString::fromLatin1(locale));
        o.directory = dir;
        o.showSplash = false;
        o.printers = {QStringLiteral("Printer A")};
        return o;
    }

    ScriptedMessages messages;
};

} // namespace

TEST_F(ProgramStart, ARefusedDateOrderEndsBeforeTheDatabaseIsOpened) {
    for (const char* locale : {"en_US", "ja_JP"}) {
        QTemporaryDir empty;
        ScriptedMessages shown;
        testing_support::TestHooks hooks;
        shell::Program program(shown, hooks.clock, hooks.files);
        EXPECT_FALSE(program.Main(options(empty.path(), locale)));
        ASSERT_EQ(shown.shown().size(), 1u) << "the database was tried: " << locale;
        EXPECT_EQ(shown.shown().front().kind, MessageKind::Failure);
        EXPECT_EQ(shown.shown().front().text, shell::DateOrderRefusal);
        EXPECT_EQ(program.mainWindow(), nullptr);
        EXPECT_TRUE(QDir(empty.path()).isEmpty());
    }
}

TEST_F(ProgramStart, AMissingDatabaseIsReportedThenStartUpAborts) {
    QTemporaryDir empty;
    const QWidgetList before = visibleWindows();
    testing_support::TestHooks hooks;
    shell::Program program(messages, hooks.clock, hooks.files);
    EXPECT_FALSE(program.Main(options(empty.path())));
    ASSERT_EQ(messages.shown().size(), 2u);
    EXPECT_EQ(messages.shown()[0].kind, MessageKind::Failure);
    EXPECT_TRUE(messages.shown()[0].text.endsWith(QStringLiteral(" - 14")))
        << messages.shown()[0].text.toStdString();
    EXPECT_EQ(messages.shown()[1].kind, MessageKind::Failure);
    EXPECT_EQ(messages.shown()[1].text, QStringLiteral("Cannot access database, aborting..."));
    EXPECT_EQ(program.mainWindow(), nullptr);
    EXPECT_TRUE(QDir(empty.path()).isEmpty());
    EXPECT_EQ(visibleWindows(), before);
}

TEST_F(ProgramStart, OpensTheMainWindowOnTheFirstPageAndVersionsTheAboutBox) {
    TestDatabase t{TestDatabase::Storage::KeyedFile};
    const int office = t.addLocation(QStringLiteral("Office"), 1, 2, 1);
    testing_support::TestHooks hooks;
    shell::Program program(messages, hooks.clock, hooks.files);
    ASSERT_TRUE(program.Main(options(t.dir())));
    EXPECT_TRUE(messages.shown().empty());
    frmVemora* main = program.mainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(main->SSTab1()->currentIndex(), 0);
    auto* tv =
        main->page(0)->findChild<locations::LocationTreeView*>(QStringLiteral("tvLocations"));
    ASSERT_NE(tv, nullptr);
    EXPECT_NE(tv->node(QStringLiteral("L%1").arg(office)), nullptr);
    EXPECT_EQ(main->page(6)->findChild<QComboBox*>(QStringLiteral("cboPrinters"))->currentText(),
              QStringLiteral("Printer A"));

    ASSERT_NE(program.about(), nullptr);
    EXPECT_EQ(program.about()->lblVersion()->objectName(), QStringLiteral("lblVersion"));
    EXPECT_EQ(program.about()->lblVersion()->text(), QStringLiteral("Version 1.9"));
    EXPECT_FALSE(program.about()->isVisible());
}

TEST_F(ProgramStart, OnAServerRegisterTheWindowNamesItAndShowsItsRows) {
    NEEDS_SERVER();
    TestDatabase t;
    const int office = t.addLocation(QStringLiteral("Office"), 1, 2, 1);
    testing_support::TestHooks hooks;
    shell::Program program(messages, hooks.clock, hooks.files);
    QTemporaryDir programDir;
    shell::Program::Options o = options(programDir.path());
    o.server = t.serverUri();
    ASSERT_TRUE(program.Main(o));
    EXPECT_TRUE(messages.shown().empty()) << messages.texts().join(QLatin1Char('|')).toStdString();
    frmVemora* main = program.mainWindow();
    ASSERT_NE(main, nullptr);
    const QString where = t.db().describe();
    EXPECT_TRUE(where.contains(QLatin1Char('@'))) << where.toStdString();
    EXPECT_EQ(main->windowTitle(), QStringLiteral("Vemora! - Assets - ") + where);
    auto* status = main->findChild<QLabel*>(QStringLiteral("sbRegister"));
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->text(), where);
    auto* tv =
        main->page(0)->findChild<locations::LocationTreeView*>(QStringLiteral("tvLocations"));
    ASSERT_NE(tv, nullptr);
    EXPECT_NE(tv->node(QStringLiteral("L%1").arg(office)), nullptr);
    // No lock file is made beside the program for a server register.
    EXPECT_TRUE(QDir(programDir.path()).isEmpty());
}

TEST_F(ProgramStart, TheAboutBoxIsOwnedByTheMainWindowModalOverItAndCentredOnIt) {
    TestDatabase t{TestDatabase::Storage::KeyedFile};
    testing_support::TestHooks hooks;
    shell::Program program(messages, hooks.clock, hooks.files);
    ASSERT_TRUE(program.Main(options(t.dir())));
    frmVemora* main = program.mainWindow();
    ASSERT_NE(main, nullptr);
    main->move(140, 90);
    bool modal = false;
    QWidget* owner = nullptr;
    QPoint centre, mainCentre;
    testing_support::WhenModal<shell::frmAbout> about([&](shell::frmAbout* box) {
        modal = box->isModal();
        owner = box->parentWidget();
        centre = box->frameGeometry().center();
        mainCentre = main->frameGeometry().center();
        box->close();
    });
    for (QAction* a : main->findChildren<QAction*>(QStringLiteral("mnuHelpAbout")))
        if (a->property("index").toInt() == 1)
            a->trigger();
    ASSERT_TRUE(about.ran());
    EXPECT_TRUE(modal);
    EXPECT_EQ(owner, main);
    EXPECT_LE((centre - mainCentre).manhattanLength(), 4)
        << centre.x() << "," << centre.y() << " vs " << mainCentre.x() << "," << mainCentre.y();
    EXPECT_TRUE(messages.shown().empty());
}
