// The keyboard and the right button on every list and tree of the main
// window that has a context menu: the right button makes the row under the
// pointer the selected row before the menu shows, the Menu key and
// Shift+F10 show the same menu, and Insert, F2 (Enter where it modifies)
// and Delete reach what the menu's items reach.

#include "common/Session.h"
#include "common/ui/MainWindow.h"
#include "common/ui/Page.h"
#include "common/ui/ReportList.h"
#include "locations/ui/LocationTreeView.h"
#include "store/StoreConstants.h"

#include "support/InsideEventLoop.h"
#include "support/RecordingMain.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"
#include "support/TestHooks.h"
#include "support/Widgets.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

using common::SharedMenu;
using locations::LocationTreeView;

namespace {

// What an action showed: the modal dialog (its class and caption) and the
// messages. Questions are answered No, so nothing changes.
struct Seen {
    QString dialog;
    QStringList messages;
    bool empty() const { return dialog.isEmpty() && messages.isEmpty(); }
    friend bool operator==(const Seen& a, const Seen& b) {
        return a.dialog == b.dialog && a.messages == b.messages;
    }
    friend bool operator!=(const Seen& a, const Seen& b) { return !(a == b); }
};

std::ostream& operator<<(std::ostream& out, const Seen& s) {
    return out << "dialog \"" << s.dialog.toStdString() << "\" messages \""
               << s.messages.join(QStringLiteral(" | ")).toStdString() << '"';
}

// One list or tree: its page, the row used, the menu it pops up and the
// menu items that Insert, F2 and Delete stand for.
struct ViewCase {
    const char* name;
    int page;
    const char* view;
    QString row;
    SharedMenu menu;
    QString arrays[3]; // Add, Modify, Remove
    int items[3];
    bool enterModifies;
    // What a right-click over empty space leaves enabled, item by item of
    // the three above.
    bool emptyEnabled[3];
};

class RowKeys : public ::testing::Test {
protected:
    void SetUp() override {
        office = t.addLocation(QStringLiteral("Office"), 1, 2, 1);
        storeRoom = t.addLocation(QStringLiteral("Store"), 1, 2, 1);
        cat = t.addCategory(QStringLiteral("PCs"));
        t.addCategory(QStringLiteral("Spare"));
        prod = t.addProduct(QStringLiteral("P1"), QStringLiteral("Desk PC"), cat);
        other = t.addProduct(QStringLiteral("P2"), QStringLiteral("Laptop"), cat);
        stock = t.addStock(QStringLiteral("PC-1"), prod, office);
        t.addStock(QStringLiteral("PC-2"), other, office);
        t.addStock(QStringLiteral("PC-3"), prod, storeRoom);
        window = std::make_unique<testing_support::RecordingMain>(session, nullptr);
        window->resize(1000, 700);
        window->show();
    }
    void TearDown() override { EXPECT_FALSE(messages.unexpectedQuestion()); }

    QTreeWidget* open(const ViewCase& c) {
        // Selecting the page shown already would not rebuild it.
        if (window->SSTab1()->currentIndex() == c.page)
            window->SSTab1_Click(c.page);
        else
            window->SSTab1()->setCurrentIndex(c.page);
        common::Page* page = window->page(c.page);
        if (c.page == common::EnquireByLocation) {
            // The lists show what the clicked location holds.
            auto* tree = testing_support::child<LocationTreeView>(page, "tvLocations");
            tree->expandAll();
            QTreeWidgetItem* node = tree->node(QStringLiteral("L%1").arg(office));
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                              tree->visualItemRect(node).center());
        }
        auto* view = testing_support::child<QTreeWidget>(page, c.view);
        view->expandAll();
        return view;
    }
    static QTreeWidgetItem* row(QTreeWidget* view, const QString& key) {
        if (auto* list = qobject_cast<common::ReportList*>(view))
            return list->findKey(key);
        return static_cast<LocationTreeView*>(view)->node(key);
    }
    static QString selectedKey(QTreeWidget* view) {
        if (auto* list = qobject_cast<common::ReportList*>(view))
            return list->selectedKey();
        return LocationTreeView::keyOf(static_cast<LocationTreeView*>(view)->selectedNode());
    }
    static QPoint at(QTreeWidget* view, const QString& key) {
        QTreeWidgetItem* item = row(view, key);
        EXPECT_NE(item, nullptr) << key.toStdString();
        view->scrollToItem(item);
        return view->visualItemRect(item).center();
    }
    // A row other than the one the case uses, selected first.
    static void selectAnother(QTreeWidget* view, const QString& key) {
        QTreeWidgetItemIterator it(view);
        for (; *it; ++it)
            if (*it != row(view, key)) {
                view->setCurrentItem(*it);
                return;
            }
    }
    void rightClick(QTreeWidget* view, const QString& key) {
        QTest::mouseClick(view->viewport(), Qt::RightButton, {}, at(view, key));
    }
    Seen observe(const std::function<void()>& act) {
        messages.clear();
        messages.answer({false});
        Seen seen;
        testing_support::InsideEventLoop closer([&seen] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                // Its class, caption and buttons tell the dialog and its mode.
                seen.dialog = QString::fromLatin1(modal->metaObject()->className()) +
                              QLatin1Char(' ') + modal->windowTitle();
                for (const QPushButton* button : modal->findChildren<QPushButton*>())
                    if (button->isVisible())
                        seen.dialog += QLatin1Char(' ') + button->text();
                modal->close();
            }
        });
        act();
        messages.forgetAnswers();
        seen.messages = messages.texts();
        return seen;
    }
    std::vector<ViewCase> cases() const {
        const QString prodRow = QStringLiteral("P%1").arg(prod);
        const QString mnuProd = QStringLiteral("mnuProd");
        const QString mnuSMaint = QStringLiteral("mnuSMaint");
        const QString mnuLoc = QStringLiteral("mnuLoc");
        const QString mnuCat = QStringLiteral("mnuCat");
        return {
            {"location contents, stock",
             common::EnquireByLocation,
             "lvStockTable",
             QStringLiteral("S%1").arg(prod),
             SharedMenu::Products,
             {mnuProd, mnuProd, mnuProd},
             {0, 1, 3},
             true,
             {true, false, false}},
            {"product enquiry",
             common::EnquireByProducts,
             "lvEnqProd",
             QStringLiteral("S%1").arg(stock),
             SharedMenu::StockLicences,
             {mnuSMaint, mnuSMaint, mnuSMaint},
             {0, 1, 3},
             true,
             {true, false, false}},
            {"location tree",
             common::LocationUtilities,
             "tvLocations2",
             QStringLiteral("L%1").arg(office),
             SharedMenu::Locations,
             {mnuLoc, mnuLoc, mnuLoc},
             {0, 1, 2},
             true,
             {false, false, false}},
            {"categories",
             common::CategoryUtilities,
             "lvCategories",
             QStringLiteral("C%1").arg(cat),
             SharedMenu::Categorys,
             {mnuCat, mnuCat, mnuCat},
             {0, 1, 2},
             false,
             {true, false, false}},
            {"products",
             common::ProductUtilities,
             "lvProdList",
             prodRow,
             SharedMenu::Products,
             {mnuProd, mnuProd, mnuProd},
             {0, 1, 3},
             false,
             {true, false, false}},
        };
    }

    testing_support::TestDatabase t;
    testing_support::ScriptedMessages messages;
    testing_support::TestHooks hooks;
    common::Session session{t.db(), messages, hooks.clock, hooks.files};
    std::unique_ptr<testing_support::RecordingMain> window;
    int office = 0, storeRoom = 0, cat = 0, prod = 0, other = 0, stock = 0;
};

} // namespace

TEST_F(RowKeys, TheRightButtonMakesTheRowUnderThePointerTheOneTheMenuIsFor) {
    for (const ViewCase& c : cases()) {
        SCOPED_TRACE(c.name);
        QTreeWidget* view = open(c);
        selectAnother(view, c.row);
        ASSERT_NE(selectedKey(view), c.row);
        window->popped.clear();
        rightClick(view, c.row);
        EXPECT_EQ(selectedKey(view), c.row);
        EXPECT_EQ(row(view, c.row), view->currentItem());
        ASSERT_EQ(window->popped.size(), 1u);
        EXPECT_EQ(window->popped[0], window->sharedMenu(c.menu));
        // Every item is on for the row the menu was made for.
        for (int i = 0; i < 3; ++i)
            EXPECT_TRUE(window->menuItem(c.arrays[i], c.items[i])->isEnabled()) << i;

        // Over empty space: no row, and only what needs none.
        window->popped.clear();
        QTest::mouseClick(view->viewport(), Qt::RightButton, {},
                          QPoint(view->viewport()->width() - 3, view->viewport()->height() - 3));
        EXPECT_TRUE(view->selectedItems().isEmpty());
        ASSERT_EQ(window->popped.size(), 1u);
        EXPECT_EQ(window->popped[0], window->sharedMenu(c.menu));
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(window->menuItem(c.arrays[i], c.items[i])->isEnabled(), c.emptyEnabled[i])
                << i;
    }
}

TEST_F(RowKeys, TheMenuKeyAndShiftF10ShowTheMenuForTheCurrentRow) {
    for (const ViewCase& c : cases()) {
        SCOPED_TRACE(c.name);
        QTreeWidget* view = open(c);
        view->setCurrentItem(row(view, c.row));
        for (const auto& [key, modifiers] :
             {std::pair{Qt::Key_Menu, Qt::KeyboardModifiers()},
              std::pair{Qt::Key_F10, Qt::KeyboardModifiers(Qt::ShiftModifier)}}) {
            window->popped.clear();
            for (int i = 0; i < 3; ++i)
                window->menuItem(c.arrays[i], c.items[i])->setEnabled(false);
            QTest::keyClick(view, key, modifiers);
            ASSERT_EQ(window->popped.size(), 1u) << key;
            EXPECT_EQ(window->popped[0], window->sharedMenu(c.menu));
            for (int i = 0; i < 3; ++i)
                EXPECT_TRUE(window->menuItem(c.arrays[i], c.items[i])->isEnabled()) << i;
        }
        // F10 alone is no menu key.
        window->popped.clear();
        QTest::keyClick(view, Qt::Key_F10);
        EXPECT_TRUE(window->popped.empty());
    }
}

TEST_F(RowKeys, InsertF2AndDeleteReachWhatTheMenuItemsReach) {
    for (const ViewCase& c : cases()) {
        SCOPED_TRACE(c.name);
        QTreeWidget* view = open(c);
        struct KeyCase {
            Qt::Key key;
            int item; // of the three
        };
        std::vector<KeyCase> keys{{Qt::Key_Insert, 0}, {Qt::Key_F2, 1}, {Qt::Key_Delete, 2}};
        if (c.enterModifies)
            keys.push_back({Qt::Key_Return, 1});
        std::vector<Seen> seenByMenu;
        for (const KeyCase& k : keys) {
            SCOPED_TRACE(k.key);
            rightClick(view, c.row);
            const Seen byMenu =
                observe([&] { window->menuItem(c.arrays[k.item], c.items[k.item])->trigger(); });
            view = open(c);
            view->setCurrentItem(row(view, c.row));
            view->setFocus();
            const Seen byKey = observe([&] { QTest::keyClick(view, k.key); });
            EXPECT_FALSE(byMenu.empty());
            EXPECT_EQ(byKey, byMenu);
            seenByMenu.push_back(byMenu);
            view = open(c);
        }
        // Each key reached a handler of its own.
        EXPECT_NE(seenByMenu[0], seenByMenu[1]);
        EXPECT_NE(seenByMenu[1], seenByMenu[2]);
    }
}

TEST_F(RowKeys, KeysForItemsTheMenuWouldDisableDoNothing) {
    // A system node of the location tree: the menu offers only Add.
    ViewCase c = cases()[2];
    QTreeWidget* view = open(c);
    view->setCurrentItem(row(view, QStringLiteral("L%1").arg(store::loc::AvailableLocations)));
    for (const Qt::Key key : {Qt::Key_F2, Qt::Key_Delete, Qt::Key_Return}) {
        SCOPED_TRACE(key);
        EXPECT_TRUE(observe([&] { QTest::keyClick(view, key); }).empty());
    }
    EXPECT_TRUE(
        observe([&] {
            QTest::keyClick(view, Qt::Key_Insert);
        }).dialog.startsWith(QStringLiteral("locations::frmLocationMaint Adding a new location")));
    // No row at all on the category list: only Insert acts.
    c = cases()[3];
    view = open(c);
    view->clearSelection();
    view->setCurrentItem(nullptr);
    for (const Qt::Key key : {Qt::Key_F2, Qt::Key_Delete}) {
        SCOPED_TRACE(key);
        EXPECT_TRUE(observe([&] { QTest::keyClick(view, key); }).empty());
    }
    EXPECT_FALSE(observe([&] { QTest::keyClick(view, Qt::Key_Insert); }).empty());
}

TEST_F(RowKeys, OnALicenceRowTheKeysReachTheLicencesMenu) {
    const int lic = t.addLicence(QStringLiteral("K-1"), prod, office, store::LicenceNormal);
    ViewCase c = cases()[1];
    c.row = QStringLiteral("L%1").arg(lic);
    QTreeWidget* view = open(c);
    const QString mnuLMaint = QStringLiteral("mnuLMaint");
    for (const auto& [key, item] :
         {std::pair{Qt::Key_Insert, 0}, std::pair{Qt::Key_F2, 1}, std::pair{Qt::Key_Delete, 3}}) {
        SCOPED_TRACE(key);
        rightClick(view, c.row);
        const Seen byMenu = observe([&] { window->menuItem(mnuLMaint, item)->trigger(); });
        view = open(c);
        view->setCurrentItem(row(view, c.row));
        const Seen byKey = observe([&] { QTest::keyClick(view, key); });
        EXPECT_FALSE(byMenu.empty());
        EXPECT_EQ(byKey, byMenu);
        view = open(c);
    }
}
