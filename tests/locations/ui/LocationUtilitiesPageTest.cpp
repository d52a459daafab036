#include "common/NodeKey.h"
#include "common/Session.h"
#include "locations/clsLocations.h"
#include "locations/ui/LocationTreeView.h"
#include "locations/ui/frmLocationMaint.h"
#include "locations/ui/pgLocationUtilities.h"
#include "shell/ui/frmVemora.h"
#include "store/Database.h"
#include "store/StoreConstants.h"
#include "support/QtPrinting.h"
#include "support/RecordingMain.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"
#include "support/TestHooks.h"
#include "support/WhenModal.h"
#include "support/Widgets.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidgetItemIterator>

#include <gtest/gtest.h>

#include <array>
#include <ostream>

using common::MessageKind;
using locations::frmLocationMaint;
using locations::LocationTreeView;
using testing_support::WhenModal;

namespace {

using testing_support::RecordingMain;

// The main window on its location page, over this tree:
//   1 Available Locations
//     Cupboard
//     IT office
//       Desk
//   3 Removed Locations
//     old store
class LocationUtilities : public ::testing::Test {
protected:
    void SetUp() override {
        office = t.addLocation(QStringLiteral("IT office"), 1, 2, 1);
        desk = t.addLocation(QStringLiteral("Desk"), office, 3, 1);
        cupboard = t.addLocation(QStringLiteral("Cupboard"), 1, 2, 1);
        oldStore = t.addLocation(QStringLiteral("old store"), 3, 2, 3);
        window = std::make_unique<RecordingMain>(session, nullptr);
        window->show();
        window->SSTab1()->setCurrentIndex(common::LocationUtilities);
        page =
            static_cast<locations::pgLocationUtilities*>(window->page(common::LocationUtilities));
        tree = testing_support::child<locations::LocationTreeView>(page, "tvLocations2");
    }

    void TearDown() override { EXPECT_FALSE(messages.unexpectedQuestion()); }

    QTreeWidgetItem* node(int id) const { return tree->node(locations::locationKey(id)); }
    QString parentKeyOf(int id) const {
        QTreeWidgetItem* n = node(id);
        return n && n->parent() ? LocationTreeView::keyOf(n->parent()) : QString();
    }
    QPoint at(QTreeWidgetItem* item) const {
        tree->scrollToItem(item);
        return tree->visualItemRect(item).center();
    }
    void click(int id) {
        QTreeWidgetItem* n = node(id);
        ASSERT_NE(n, nullptr) << "no node L" << id;
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at(n));
        ASSERT_EQ(tree->selectedNode(), n);
    }
    void rightClick(int id) {
        QTreeWidgetItem* n = node(id);
        ASSERT_NE(n, nullptr) << "no node L" << id;
        QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, at(n));
    }
    std::array<bool, 3> menuStates() const {
        return {window->menuItem(QStringLiteral("mnuLoc"), 0)->isEnabled(),
                window->menuItem(QStringLiteral("mnuLoc"), 1)->isEnabled(),
                window->menuItem(QStringLiteral("mnuLoc"), 2)->isEnabled()};
    }
    std::optional<std::array<int, 3>> stored(int id) { // level, parent, top
        store::Query q(t.db(), QStringLiteral("SELECT Loc_Level, Loc_ParentID, Loc_Top "
                                              "FROM Locations WHERE Loc_ID = ?"));
        q.bindAll(id);
        if (!q.next())
            return std::nullopt;
        return std::array<int, 3>{static_cast<int>(q.integer(QStringLiteral("Loc_Level"))),
                                  static_cast<int>(q.integer(QStringLiteral("Loc_ParentID"))),
                                  static_cast<int>(q.integer(QStringLiteral("Loc_Top")))};
    }
    QString storedDesc(int id) {
        return t.value(QStringLiteral("SELECT Loc_Desc FROM Locations WHERE Loc_ID = ?"), id)
            .value_or(QString());
    }
    void removeRow(int id) {
        ASSERT_EQ(t.db().execute(QStringLiteral("DELETE FROM Locations WHERE Loc_ID = ?"), id), 1);
    }
    locations::clsLocations& logic() { return session.logic<locations::clsLocations>(); }

    testing_support::TestDatabase t;
    testing_support::ScriptedMessages messages;
    testing_support::TestHooks hooks;
    common::Session session{t.db(), messages, hooks.clock, hooks.files};
    std::unique_ptr<RecordingMain> window;
    locations::pgLocationUtilities* page = nullptr;
    LocationTreeView* tree = nullptr;
    int office = 0, desk = 0, cupboard = 0, oldStore = 0;
};

const QString Root = QStringLiteral("L0");

} // namespace

// ---- The page and its menu -------------------------------------------------------

TEST_F(LocationUtilities, EnteringThePageFillsTheTree) {
    window->SSTab1()->setCurrentIndex(common::EnquireByLocation);
    const int added = t.addLocation(QStringLiteral("Annex"), 1, 2, 1);
    window->SSTab1()->setCurrentIndex(common::LocationUtilities);
    EXPECT_EQ(parentKeyOf(added), QStringLiteral("L1"));
    EXPECT_EQ(window->statusPanel(1)->text(),
              QStringLiteral("Select and right click a location to Add, Modify or Delete"));
}

TEST_F(LocationUtilities, NodeClickMakesTheCurrentLocation) {
    click(office);
    EXPECT_EQ(logic().CurrentLocId(), office);
    EXPECT_EQ(logic().CurrentLocDesc(), QStringLiteral("It Office"));
}

TEST_F(LocationUtilities, RightButtonPopsUpTheMenuForTheNodeUnderThePointer) {
    struct Case {
        int id;
        std::array<bool, 3> items; // Add, Modify, Delete
    };
    const Case cases[] = {
        {0, {false, false, false}},
        {store::loc::AvailableLocations, {true, false, false}},
        {store::loc::AvailableLicences, {true, false, false}},
        {store::loc::RemovedLocations, {false, false, false}},
        {store::loc::RemovedStock, {false, false, false}},
        {office, {true, true, true}},
        {oldStore, {false, false, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        window->popped.clear();
        // Another node was chosen before: the right button's node counts.
        click(cupboard == c.id ? office : cupboard);
        rightClick(c.id);
        EXPECT_EQ(tree->selectedNode(), node(c.id));
        EXPECT_EQ(menuStates(), c.items);
        ASSERT_EQ(window->popped.size(), 1u);
        EXPECT_EQ(window->popped[0], window->sharedMenu(common::SharedMenu::Locations));
        EXPECT_EQ(logic().CurrentLocId(), c.id);
    }
}

TEST_F(LocationUtilities, MenuWaitsForTheRightButtonAndOverEmptySpaceOffersNothing) {
    click(office);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at(node(cupboard)));
    EXPECT_TRUE(window->popped.empty());
    tree->collapseAll();
    QTest::mouseClick(tree->viewport(), Qt::RightButton, {},
                      QPoint(tree->viewport()->width() - 3, tree->viewport()->height() - 3));
    EXPECT_EQ(tree->selectedNode(), nullptr);
    ASSERT_EQ(window->popped.size(), 1u);
    // Even an addition needs the location it would go under.
    EXPECT_EQ(menuStates(), (std::array<bool, 3>{false, false, false}));
}

TEST_F(LocationUtilities, MenuActsOnTheNodeItWasMadeFor) {
    // Selected by keys, not clicked: the menu and its action agree.
    click(cupboard);
    tree->selectNode(node(office));
    rightClick(office);
    EXPECT_EQ(logic().CurrentLocId(), office);
    EXPECT_EQ(logic().CurrentLocDesc(), QStringLiteral("It Office"));
}

// ---- The maintenance dialog --------------------------------------------------------

TEST_F(LocationUtilities, DialogCaptionsFollowTheMode) {
    struct Case {
        const char* mode;
        const char* caption;
        const char* button;
    };
    const Case cases[] = {{"ADD", "Adding a new location", "&Add"},
                          {"MODIFY", "Modifying an existing location", "&Modify"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        frmLocationMaint dialog(session, window.get());
        EXPECT_EQ(dialog.objectName(), QStringLiteral("frmLocationMaint"));
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Location Maintenance"));
        EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("lblLoc"))->text(),
                  QStringLiteral("Please enter your new location description"));
        EXPECT_EQ(dialog.findChild<QLineEdit*>(QStringLiteral("txtLocDesc")),
                  testing_support::child<QLineEdit>(&dialog, "txtLocDesc"));
        EXPECT_EQ(dialog.findChild<QPushButton*>(QStringLiteral("btnAdd")),
                  testing_support::child<QPushButton>(&dialog, "btnAdd"));
        EXPECT_EQ(dialog.findChild<QPushButton*>(QStringLiteral("btnClose"))->text(),
                  QStringLiteral("&Close"));
        dialog.Mode = QString::fromLatin1(c.mode);
        dialog.show();
        EXPECT_EQ(dialog.windowTitle(), QString::fromLatin1(c.caption));
        EXPECT_EQ(testing_support::child<QPushButton>(&dialog, "btnAdd")->text(),
                  QString::fromLatin1(c.button));
    }
}

TEST_F(LocationUtilities, DescriptionTakesAtMost50FreeTextCharacters) {
    logic().setCurrentLocId(office);
    frmLocationMaint dialog(session, window.get());
    dialog.Mode = QStringLiteral("ADD");
    dialog.show();
    QTest::keyClicks(testing_support::child<QLineEdit>(&dialog, "txtLocDesc"),
                     QStringLiteral("O'Brien|s"));
    EXPECT_EQ(testing_support::child<QLineEdit>(&dialog, "txtLocDesc")->text(),
              QStringLiteral("O'Briens"));
    QTest::keyClicks(testing_support::child<QLineEdit>(&dialog, "txtLocDesc"),
                     QString(42, QLatin1Char('x')));
    ASSERT_EQ(testing_support::child<QLineEdit>(&dialog, "txtLocDesc")->text().size(), 50);
    EXPECT_TRUE(messages.shown().empty());

    QTest::keyClick(testing_support::child<QLineEdit>(&dialog, "txtLocDesc"), Qt::Key_Y);
    QTest::keyClick(testing_support::child<QLineEdit>(&dialog, "txtLocDesc"),
                    Qt::Key_Return); // swallowed too: nothing added
    EXPECT_EQ(testing_support::child<QLineEdit>(&dialog, "txtLocDesc")->text().size(), 50);
    ASSERT_EQ(messages.texts(),
              (QStringList{"Only 50 characters allowed", "Only 50 characters allowed"}));
    EXPECT_EQ(messages.shown()[0].kind, MessageKind::Refusal);
    EXPECT_EQ(node(office)->childCount(), 1);

    QTest::keyClick(testing_support::child<QLineEdit>(&dialog, "txtLocDesc"), Qt::Key_Backspace);
    EXPECT_EQ(testing_support::child<QLineEdit>(&dialog, "txtLocDesc")->text().size(), 49);
}

TEST_F(LocationUtilities, EmptyDescriptionIsRefusedAndTheFocusGoesBack) {
    logic().setCurrentLocId(office);
    frmLocationMaint dialog(session, window.get());
    dialog.Mode = QStringLiteral("ADD");
    dialog.show();
    QTest::keyClicks(testing_support::child<QLineEdit>(&dialog, "txtLocDesc"),
                     QStringLiteral("   "));
    testing_support::child<QPushButton>(&dialog, "btnClose")->setFocus();
    QTest::mouseClick(testing_support::child<QPushButton>(&dialog, "btnAdd"), Qt::LeftButton);
    ASSERT_EQ(messages.texts(), QStringList{"Please enter a location description"});
    EXPECT_EQ(messages.shown()[0].kind, MessageKind::Refusal);
    EXPECT_EQ(dialog.focusWidget(), testing_support::child<QLineEdit>(&dialog, "txtLocDesc"));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(node(office)->childCount(), 1);
}

TEST_F(LocationUtilities, AddFromTheRightButtonGoesUnderTheNodeRightClicked) {
    // The left button chose another branch before: the new location still
    // goes under the node the menu was opened on.
    click(store::loc::AvailableLicences);
    rightClick(office);
    WhenModal<frmLocationMaint> action([&](frmLocationMaint* dialog) {
        testing_support::child<QLineEdit>(dialog, "txtLocDesc")
            ->setText(QStringLiteral("Room 101"));
        QTest::mouseClick(testing_support::child<QPushButton>(dialog, "btnAdd"), Qt::LeftButton);
        dialog->close();
    });
    window->menuItem(QStringLiteral("mnuLoc"), 0)->trigger();
    ASSERT_TRUE(action.ran());
    const auto id = t.value(QStringLiteral("SELECT Loc_ID FROM Locations WHERE Loc_Desc = ?"),
                            QStringLiteral("Room 101"));
    ASSERT_TRUE(id.has_value());
    EXPECT_EQ(stored(id->toInt()), (std::array<int, 3>{3, office, 1}));
}

TEST_F(LocationUtilities, AddKeepsTheDialogOpenAndPutsEveryNodeUnderTheSameParent) {
    click(office);
    rightClick(office);
    QStringList seen;
    WhenModal<frmLocationMaint> action([&](frmLocationMaint* dialog) {
        seen << dialog->windowTitle();
        QTest::keyClicks(testing_support::child<QLineEdit>(dialog, "txtLocDesc"),
                         QStringLiteral("shelf a"));
        QTest::keyClick(testing_support::child<QLineEdit>(dialog, "txtLocDesc"),
                        Qt::Key_Return); // Enter acts as "&Add"
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_TRUE(testing_support::child<QLineEdit>(dialog, "txtLocDesc")->text().isEmpty());
        EXPECT_EQ(dialog->focusWidget(), testing_support::child<QLineEdit>(dialog, "txtLocDesc"));
        QTest::keyClicks(testing_support::child<QLineEdit>(dialog, "txtLocDesc"),
                         QStringLiteral("  Shelf B"));
        QTest::mouseClick(testing_support::child<QPushButton>(dialog, "btnAdd"), Qt::LeftButton);
        EXPECT_TRUE(dialog->isVisible());
        QTest::mouseClick(testing_support::child<QPushButton>(dialog, "btnClose"), Qt::LeftButton);
        EXPECT_FALSE(dialog->isVisible());
    });
    window->menuItem(QStringLiteral("mnuLoc"), 0)->trigger();
    ASSERT_TRUE(action.ran());
    EXPECT_EQ(seen, QStringList{"Adding a new location"});
    EXPECT_TRUE(messages.shown().empty());

    // Both nodes under the clicked location, with the text as typed; the
    // last one selected; the current location is still the parent.
    QTreeWidgetItem* parent = node(office);
    ASSERT_EQ(parent->childCount(), 3);
    QStringList texts;
    for (int i = 0; i < parent->childCount(); ++i)
        texts << parent->child(i)->text(0);
    EXPECT_EQ(texts, (QStringList{"Desk", "shelf a", "  Shelf B"}));
    QTreeWidgetItem* last = parent->child(2);
    EXPECT_EQ(LocationTreeView::imageOf(last), locations::image::Location);
    EXPECT_EQ(tree->selectedNode(), last);
    EXPECT_TRUE(last->isExpanded());
    EXPECT_EQ(logic().CurrentLocId(), office);
    const int lastId = LocationTreeView::keyOf(last).mid(1).toInt();
    EXPECT_EQ(stored(lastId), (std::array<int, 3>{3, office, 1}));
    EXPECT_EQ(storedDesc(lastId), QStringLiteral("Shelf B"));
}

namespace {
// Renames the clicked location through the menu; returns what the dialog
// showed when it opened and whether it closed.
struct RenameSeen {
    QString text;
    QString caption;
    bool closed = false;
};
} // namespace

TEST_F(LocationUtilities, ModifyOpensWithTheStoredTextAndRenamesTheNode) {
    click(office);
    rightClick(office);
    RenameSeen seen;
    WhenModal<frmLocationMaint> action([&](frmLocationMaint* dialog) {
        seen.text = testing_support::child<QLineEdit>(dialog, "txtLocDesc")->text();
        seen.caption = dialog->windowTitle();
        testing_support::child<QLineEdit>(dialog, "txtLocDesc")->clear();
        QTest::keyClicks(testing_support::child<QLineEdit>(dialog, "txtLocDesc"),
                         QStringLiteral("help desk "));
        QTest::mouseClick(testing_support::child<QPushButton>(dialog, "btnAdd"), Qt::LeftButton);
        seen.closed = !dialog->isVisible();
    });
    window->menuItem(QStringLiteral("mnuLoc"), 1)->trigger();
    ASSERT_TRUE(action.ran());
    // The description as stored, not the tree's proper case ("It Office").
    EXPECT_EQ(seen.text, QStringLiteral("IT office"));
    EXPECT_EQ(seen.caption, QStringLiteral("Modifying an existing location"));
    EXPECT_TRUE(seen.closed);
    EXPECT_EQ(node(office)->text(0), QStringLiteral("help desk "));
    EXPECT_EQ(storedDesc(office), QStringLiteral("help desk"));
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(LocationUtilities, FailedRenameLeavesTheTreeAsItWas) {
    click(cupboard);
    rightClick(cupboard);
    removeRow(cupboard); // the row goes before the rename reaches it
    RenameSeen seen;
    WhenModal<frmLocationMaint> action([&](frmLocationMaint* dialog) {
        testing_support::child<QLineEdit>(dialog, "txtLocDesc")->setText(QStringLiteral("Store"));
        QTest::mouseClick(testing_support::child<QPushButton>(dialog, "btnAdd"), Qt::LeftButton);
        seen.closed = !dialog->isVisible();
    });
    window->menuItem(QStringLiteral("mnuLoc"), 1)->trigger();
    ASSERT_TRUE(action.ran());
    EXPECT_TRUE(seen.closed);
    EXPECT_EQ(messages.texts(), QStringList{"Internal Error: Modifying location"});
    EXPECT_EQ(node(cupboard)->text(0), QStringLiteral("Cupboard"));
}

TEST_F(LocationUtilities, FailedAddLeavesTheTreeAsItWas) {
    click(cupboard);
    rightClick(cupboard);
    removeRow(cupboard);
    WhenModal<frmLocationMaint> action([&](frmLocationMaint* dialog) {
        QTest::keyClicks(testing_support::child<QLineEdit>(dialog, "txtLocDesc"),
                         QStringLiteral("Shelf"));
        QTest::keyClick(testing_support::child<QLineEdit>(dialog, "txtLocDesc"), Qt::Key_Return);
        EXPECT_TRUE(testing_support::child<QLineEdit>(dialog, "txtLocDesc")->text().isEmpty());
    });
    window->menuItem(QStringLiteral("mnuLoc"), 0)->trigger();
    ASSERT_TRUE(action.ran());
    EXPECT_EQ(messages.texts(), QStringList{"Internal Error: Selecting Parent Node"});
    EXPECT_EQ(node(cupboard)->childCount(), 0);
}

TEST_F(LocationUtilities, DeleteParksOrRemovesTheNodeOnlyWhenTheDatabaseDid) {
    struct Case {
        const char* name;
        int id;
        std::vector<bool> answers;
        QString parentAfter; // empty: the node is gone
        int imageAfter;
    };
    const QString l1 = QStringLiteral("L1"), l3 = QStringLiteral("L3");
    const Case cases[] = {
        {"child locations", office, {}, l1, locations::image::Location},
        {"answered No", desk, {false}, locations::locationKey(office), locations::image::Location},
        {"parked", cupboard, {true}, l3, locations::image::RemovedLocation},
        {"deleted for good", oldStore, {true}, QString(), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        click(c.id);
        const QString shown = node(c.id)->text(0);
        for (bool yes : c.answers)
            messages.answer({yes});
        rightClick(c.id);
        window->menuItem(QStringLiteral("mnuLoc"), 2)->trigger();
        EXPECT_EQ(messages.pendingAnswers(), 0);
        EXPECT_EQ(parentKeyOf(c.id), c.parentAfter);
        if (c.parentAfter.isEmpty()) {
            EXPECT_EQ(node(c.id), nullptr);
            EXPECT_FALSE(stored(c.id).has_value());
        } else {
            EXPECT_EQ(LocationTreeView::imageOf(node(c.id)), c.imageAfter);
            EXPECT_EQ(node(c.id)->text(0), shown);
            EXPECT_EQ(stored(c.id)->at(1), c.parentAfter.mid(1).toInt());
        }
    }
    ASSERT_FALSE(messages.shown().empty());
    EXPECT_EQ(messages.texts().first(),
              QStringLiteral("Cannot remove, this location has child locations"));
}

// ---- Moving by drag and drop --------------------------------------------------------

TEST_F(LocationUtilities, DropMovesTheNodeOnlyWhenTheDatabaseDid) {
    struct Case {
        const char* name;
        int dragged;
        int target;
        std::vector<bool> answers;
        bool targetRowGone;
        QString parentAfter;
        QString lastMessage;
    };
    const Case cases[] = {
        {"answered No",
         cupboard,
         store::loc::AvailableLicences,
         {false},
         false,
         "L1",
         "Are you sure wish to move: Cupboard\runder the location: Available Licences"},
        {"has sub-locations",
         office,
         store::loc::AvailableLicences,
         {},
         false,
         "L1",
         "You may only drag locations that have no sub locations"},
        {"target row gone",
         desk,
         cupboard,
         {true},
         true,
         locations::locationKey(office),
         "Internal Error: Selecting Parent Data"},
        {"moved",
         desk,
         store::loc::AvailableLicences,
         {true},
         false,
         "L2",
         "Are you sure wish to move: Desk\runder the location: Available Licences"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        for (bool yes : c.answers)
            messages.answer({yes});
        if (c.targetRowGone)
            removeRow(c.target);
        tree->selectNode(node(c.dragged));
        tree->setDropHighlight(node(c.target));
        page->dropLocation(node(c.dragged), node(c.target));
        EXPECT_EQ(parentKeyOf(c.dragged), c.parentAfter);
        ASSERT_FALSE(messages.texts().isEmpty());
        EXPECT_EQ(messages.texts().last(), c.lastMessage);
        EXPECT_EQ(tree->selectedNode(), nullptr);
        EXPECT_EQ(tree->dropHighlight(), nullptr);
    }
    EXPECT_EQ(stored(desk), (std::array<int, 3>{2, 2, 2}));
}

TEST_F(LocationUtilities, MovedNodeTakesTheIconOfItsNewBranchSoRemovalParksALiveLocation) {
    // Back from the removed branch into use: a later Delete must park it,
    // not delete it for good.
    messages.answer({true});
    page->dropLocation(node(oldStore), node(store::loc::AvailableLocations));
    ASSERT_EQ(parentKeyOf(oldStore), QStringLiteral("L1"));
    EXPECT_EQ(LocationTreeView::imageOf(node(oldStore)), locations::image::Location);

    click(oldStore);
    messages.answer({true});
    page->mnuLoc_Click(2);
    ASSERT_FALSE(messages.shown().empty());
    EXPECT_EQ(messages.texts().last(),
              QStringLiteral("Are you sure you wish to remove location Old Store"));
    EXPECT_EQ(stored(oldStore), (std::array<int, 3>{2, 3, 3}));

    // Into the removed branch: shown as removed at once.
    messages.answer({true});
    page->dropLocation(node(cupboard), node(oldStore));
    EXPECT_EQ(LocationTreeView::imageOf(node(cupboard)), locations::image::RemovedLocation);
}

TEST_F(LocationUtilities, MouseDragHighlightsTheTargetAndDropsThere) {
    // The offscreen platform ends a drag at once, so the events the
    // platform would deliver while the pointer is over the target are
    // handed to the tree as the drag begins.
    QTreeWidgetItem* target = node(store::loc::AvailableLicences);
    QTreeWidgetItem* highlighted = nullptr;
    QTreeWidgetItem* started = nullptr;
    QObject::connect(
        tree, &LocationTreeView::dragStarting,
        [&](QTreeWidgetItem* dragged, const QMimeData* payload) {
            started = dragged;
            const QPointF to = at(target);
            QDragEnterEvent enter(to.toPoint(), Qt::MoveAction, payload, Qt::LeftButton, {});
            QApplication::sendEvent(tree->viewport(), &enter);
            QDragMoveEvent move(to.toPoint(), Qt::MoveAction, payload, Qt::LeftButton, {});
            QApplication::sendEvent(tree->viewport(), &move);
            EXPECT_TRUE(move.isAccepted());
            highlighted = tree->dropHighlight();
            QDropEvent drop(to, Qt::MoveAction, payload, Qt::LeftButton, {});
            QApplication::sendEvent(tree->viewport(), &drop);
            // The question waits until the drag has ended.
            EXPECT_TRUE(messages.shown().empty());
        });
    messages.answer({true});
    const QPoint from = at(node(cupboard));
    QTest::mousePress(tree->viewport(), Qt::LeftButton, {}, from);
    QTest::mouseMove(tree->viewport(), from + QPoint(5, 0));
    QTest::mouseMove(tree->viewport(), from + QPoint(40, 0));
    QTest::mouseRelease(tree->viewport(), Qt::LeftButton, {}, from + QPoint(40, 0));

    EXPECT_EQ(started, node(cupboard));
    EXPECT_EQ(highlighted, target);
    EXPECT_EQ(messages.texts(),
              QStringList{"Are you sure wish to move: Cupboard\runder the location: "
                          "Available Licences"});
    EXPECT_EQ(parentKeyOf(cupboard), QStringLiteral("L2"));
    EXPECT_EQ(stored(cupboard), (std::array<int, 3>{2, 2, 2}));
    EXPECT_EQ(tree->dropHighlight(), nullptr);
    EXPECT_EQ(tree->selectedNode(), nullptr);
}

TEST_F(LocationUtilities, DraggingASystemNodeMarksNoTargetAndMovesNothing) {
    QTreeWidgetItem* highlighted = node(office);
    bool started = false;
    QObject::connect(tree, &LocationTreeView::dragStarting,
                     [&](QTreeWidgetItem*, const QMimeData* payload) {
                         started = true;
                         const QPoint to = at(node(office));
                         QDragEnterEvent enter(to, Qt::MoveAction, payload, Qt::LeftButton, {});
                         QApplication::sendEvent(tree->viewport(), &enter);
                         QDragMoveEvent move(to, Qt::MoveAction, payload, Qt::LeftButton, {});
                         QApplication::sendEvent(tree->viewport(), &move);
                         EXPECT_TRUE(move.isAccepted());
                         highlighted = tree->dropHighlight();
                         QDropEvent drop(QPointF(to), Qt::MoveAction, payload, Qt::LeftButton, {});
                         QApplication::sendEvent(tree->viewport(), &drop);
                     });
    const QPoint from = at(node(store::loc::AvailableLicences));
    QTest::mousePress(tree->viewport(), Qt::LeftButton, {}, from);
    QTest::mouseMove(tree->viewport(), from + QPoint(5, 0));
    QTest::mouseMove(tree->viewport(), from + QPoint(40, 0));
    QTest::mouseRelease(tree->viewport(), Qt::LeftButton, {}, from + QPoint(40, 0));

    EXPECT_TRUE(started);
    EXPECT_EQ(highlighted, nullptr);
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_EQ(parentKeyOf(store::loc::AvailableLicences), Root);
    EXPECT_EQ(parentKeyOf(office), QStringLiteral("L1"));
}

TEST_F(LocationUtilities, AFailedDropShowsTheErrorsDescriptionAloneAndMovesNothing) {
    SKIP_ON_SERVER("plants failures with SQLite triggers");
    t.db().run(QStringLiteral("CREATE TRIGGER lockMoves BEFORE UPDATE ON Locations "
                              "BEGIN SELECT RAISE(ABORT, 'moves are locked'); END"));
    messages.answer({true});
    tree->selectNode(node(desk));
    page->dropLocation(node(desk), node(store::loc::AvailableLicences));
    ASSERT_FALSE(messages.shown().empty());
    EXPECT_EQ(messages.shown().back().kind, MessageKind::Failure);
    EXPECT_EQ(messages.texts().last(), QStringLiteral("moves are locked"));
    EXPECT_EQ(parentKeyOf(desk), locations::locationKey(office));
    EXPECT_EQ(stored(desk), (std::array<int, 3>{3, office, 1}));
}

TEST_F(LocationUtilities, ConfirmingModifyUnchangedKeepsTheStoredDescription) {
    const QString stored[] = {QStringLiteral("IT Store"), QStringLiteral("LT-0003")};
    for (const QString& desc : stored) {
        SCOPED_TRACE(desc.toStdString());
        t.db().execute(QStringLiteral("UPDATE Locations SET Loc_Desc = ? WHERE Loc_ID = ?"), desc,
                       office);
        page->rebuild();
        click(office);
        rightClick(office);
        QString shown;
        WhenModal<frmLocationMaint> action([&](frmLocationMaint* dialog) {
            shown = testing_support::child<QLineEdit>(dialog, "txtLocDesc")->text();
            QTest::mouseClick(testing_support::child<QPushButton>(dialog, "btnAdd"),
                              Qt::LeftButton);
        });
        window->menuItem(QStringLiteral("mnuLoc"), 1)->trigger();
        ASSERT_TRUE(action.ran());
        EXPECT_EQ(shown, desc);
        EXPECT_EQ(storedDesc(office), desc);
        // A fresh fill shows it in proper case, as always.
        page->rebuild();
        EXPECT_NE(node(office)->text(0), desc);
    }
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(LocationUtilities, PastedDescriptionIsStoredAsGivenOrRefused) {
    logic().setCurrentLocId(office);
    frmLocationMaint dialog(session, window.get());
    dialog.Mode = QStringLiteral("ADD");
    dialog.show();
    dialog.activateWindow();
    auto* box = testing_support::child<QLineEdit>(&dialog, "txtLocDesc");
    QGuiApplication::clipboard()->setText(QStringLiteral("Desk\tA"));
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(box->text(), QStringLiteral("Desk\tA"));
    testing_support::child<QPushButton>(&dialog, "btnAdd")->click();
    EXPECT_EQ(messages.texts(), QStringList{"Please enter a valid location description"});
    EXPECT_EQ(box->text(), QStringLiteral("Desk\tA"));
    EXPECT_EQ(dialog.focusWidget(), box);
    EXPECT_EQ(node(office)->childCount(), 1);

    messages.clear();
    box->clear();
    QGuiApplication::clipboard()->setText(QStringLiteral("Manager's Office"));
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    testing_support::child<QPushButton>(&dialog, "btnAdd")->click();
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_TRUE(t.db().exists(QStringLiteral("SELECT Loc_ID FROM Locations WHERE Loc_Desc = ?"),
                              QStringLiteral("Manager's Office")));
}

TEST_F(LocationUtilities, TheDialogTabsFromTheBoxToItsButtonsAndEnterPressesAFocusedOne) {
    logic().setCurrentLocId(office);
    frmLocationMaint dialog(session, window.get());
    dialog.Mode = QStringLiteral("ADD");
    dialog.show();
    EXPECT_EQ(testing_support::tabOrder(&dialog),
              (QStringList{"txtLocDesc", "btnAdd", "btnClose"}));
    testing_support::child<QPushButton>(&dialog, "btnClose")->setFocus();
    QTest::keyClick(testing_support::child<QPushButton>(&dialog, "btnClose"), Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

// ---- Changes under a branch not read yet -------------------------------------------

namespace {

// The node the tree holds for a location, found without reading anything.
QTreeWidgetItem* shownNode(LocationTreeView* tree, int id) {
    const QString key = locations::locationKey(id);
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        if (LocationTreeView::keyOf(*it) == key)
            return *it;
    return nullptr;
}

QStringList childTexts(const QTreeWidgetItem* item) {
    QStringList out;
    for (int i = 0; i < item->childCount(); ++i)
        out << item->child(i)->text(0);
    return out;
}

} // namespace

TEST_F(LocationUtilities, ADropIntoABranchNotReadYetReadsItWithTheMovedNode) {
    QTreeWidgetItem* officeNode = shownNode(tree, office);
    QTreeWidgetItem* cupboardNode = shownNode(tree, cupboard);
    ASSERT_NE(officeNode, nullptr);
    ASSERT_TRUE(LocationTreeView::hasUnreadChildren(officeNode));
    ASSERT_EQ(shownNode(tree, desk), nullptr);

    messages.answer({true});
    page->dropLocation(cupboardNode, officeNode);
    EXPECT_EQ(messages.texts(),
              QStringList{"Are you sure wish to move: Cupboard\runder the location: It Office"});
    EXPECT_EQ(stored(cupboard), (std::array<int, 3>{3, office, 1}));
    // The branch holds both, each once, in the tree's order; the dragged node
    // is the one moved.
    EXPECT_EQ(childTexts(officeNode), (QStringList{"Cupboard", "Desk"}));
    EXPECT_EQ(shownNode(tree, cupboard), cupboardNode);
    EXPECT_EQ(cupboardNode->parent(), officeNode);
    EXPECT_EQ(tree->node(locations::locationKey(cupboard)), cupboardNode);
    EXPECT_FALSE(LocationTreeView::hasUnreadChildren(officeNode));
    EXPECT_EQ(childTexts(shownNode(tree, store::loc::AvailableLocations)),
              QStringList{"It Office"});
}

TEST_F(LocationUtilities, ALocationWhoseSubLocationsAreNotReadYetIsNotDragged) {
    QTreeWidgetItem* officeNode = shownNode(tree, office);
    ASSERT_TRUE(LocationTreeView::hasUnreadChildren(officeNode));
    page->dropLocation(officeNode, shownNode(tree, store::loc::AvailableLicences));
    EXPECT_EQ(messages.texts(),
              QStringList{"You may only drag locations that have no sub locations"});
    EXPECT_EQ(officeNode->parent(), shownNode(tree, store::loc::AvailableLocations));
    EXPECT_EQ(stored(office), (std::array<int, 3>{2, 1, 1}));
}

TEST_F(LocationUtilities, AnAdditionUnderABranchNotReadYetJoinsItsChildrenOnce) {
    QTreeWidgetItem* officeNode = shownNode(tree, office);
    ASSERT_TRUE(LocationTreeView::hasUnreadChildren(officeNode));
    tree->selectNode(officeNode);
    logic().setCurrentLocId(office);
    WhenModal<frmLocationMaint> action([&](frmLocationMaint* dialog) {
        testing_support::child<QLineEdit>(dialog, "txtLocDesc")->setText(QStringLiteral("aisle"));
        QTest::mouseClick(testing_support::child<QPushButton>(dialog, "btnAdd"), Qt::LeftButton);
        dialog->close();
    });
    page->mnuLoc_Click(0);
    ASSERT_TRUE(action.ran());
    EXPECT_TRUE(messages.shown().empty());
    // Last, with the text as typed, and selected, as any addition.
    EXPECT_EQ(childTexts(officeNode), (QStringList{"Desk", "aisle"}));
    EXPECT_EQ(tree->selectedNode(), officeNode->child(1));
    EXPECT_EQ(logic().CurrentLocId(), office);

    // Parked from there: it goes under the removed branch, once.
    const int aisle = common::idOfKey(LocationTreeView::keyOf(officeNode->child(1)));
    logic().setCurrentLocDesc(QStringLiteral("Aisle"));
    logic().setCurrentLocId(aisle);
    messages.answer({true});
    page->showDeletedLocation(logic().DeleteLocation(locations::image::Location));
    EXPECT_EQ(childTexts(officeNode), QStringList{"Desk"});
    EXPECT_EQ(childTexts(shownNode(tree, store::loc::RemovedLocations)),
              (QStringList{"Old Store", "Aisle"}));
}
