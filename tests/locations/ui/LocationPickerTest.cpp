#include "common/Session.h"
#include "locations/clsLocations.h"
#include "locations/ui/LocationTreeView.h"
#include "locations/ui/frmLocationList.h"
#include "store/StoreConstants.h"
#include "support/QtPrinting.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"
#include "support/TestHooks.h"
#include "support/WhenModal.h"
#include "support/Widgets.h"

#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <ostream>

using locations::frmLocationList;
using locations::LocationTreeView;
using testing_support::WhenModal;

namespace {

// A picker over: "IT office" under row 1, "licence ROOM" under row 2 and the
// removed location "old store" under row 3.
class LocationPicker : public ::testing::Test {
protected:
    void SetUp() override {
        office = t.addLocation(QStringLiteral("IT office"), 1, 2, 1);
        licRoom = t.addLocation(QStringLiteral("licence ROOM"), 2, 2, 2);
        oldStore = t.addLocation(QStringLiteral("old store"), 3, 2, 3);
        // An earlier choice that the picker must not hand back by mistake.
        logic().SelectedLocID = office;
        logic().SelectedLocName = QStringLiteral("It Office");
        // The location page's current location, which the picker leaves be.
        logic().setCurrentLocId(office);
        logic().setCurrentLocDesc(QStringLiteral("It Office"));
    }

    locations::clsLocations& logic() { return session.logic<locations::clsLocations>(); }

    std::unique_ptr<frmLocationList> open() {
        auto picker = std::make_unique<frmLocationList>(session);
        picker->show();
        return picker;
    }
    static QTreeWidgetItem* node(frmLocationList& picker, int id) {
        return testing_support::child<locations::LocationTreeView>(&picker, "tvLocations")
            ->node(locations::locationKey(id));
    }
    static QPoint at(frmLocationList& picker, QTreeWidgetItem* item) {
        testing_support::child<locations::LocationTreeView>(&picker, "tvLocations")
            ->scrollToItem(item);
        return testing_support::child<locations::LocationTreeView>(&picker, "tvLocations")
            ->visualItemRect(item)
            .center();
    }
    static void click(frmLocationList& picker, int id) {
        QTreeWidgetItem* n = node(picker, id);
        ASSERT_NE(n, nullptr) << "no node L" << id;
        QTest::mouseClick(
            testing_support::child<locations::LocationTreeView>(&picker, "tvLocations")->viewport(),
            Qt::LeftButton, {}, at(picker, n));
        ASSERT_EQ(testing_support::child<locations::LocationTreeView>(&picker, "tvLocations")
                      ->selectedNode(),
                  n);
    }
    static void doubleClick(frmLocationList& picker, int id) {
        click(picker, id);
        const QPoint p = at(picker, node(picker, id));
        QTest::mouseDClick(
            testing_support::child<locations::LocationTreeView>(&picker, "tvLocations")->viewport(),
            Qt::LeftButton, {}, p);
        QTest::mouseRelease(
            testing_support::child<locations::LocationTreeView>(&picker, "tvLocations")->viewport(),
            Qt::LeftButton, {}, p);
    }

    testing_support::TestDatabase t;
    testing_support::ScriptedMessages messages;
    testing_support::TestHooks hooks;
    common::Session session{t.db(), messages, hooks.clock, hooks.files};
    int office = 0, licRoom = 0, oldStore = 0;
};

} // namespace

TEST_F(LocationPicker, OpensWithTheTreeAndSelectDisabled) {
    auto picker = open();
    EXPECT_EQ(picker->objectName(), QStringLiteral("frmLocationList"));
    EXPECT_EQ(picker->windowTitle(), QStringLiteral("Location List"));
    EXPECT_EQ(testing_support::child<QPushButton>(picker.get(), "btnExpand")->text(),
              QStringLiteral("&Expand Locations"));
    EXPECT_EQ(testing_support::child<QPushButton>(picker.get(), "btnSelect")->text(),
              QStringLiteral("&Select"));
    EXPECT_EQ(testing_support::child<QPushButton>(picker.get(), "btnClose")->text(),
              QStringLiteral("&Close"));
    for (const char* name : {"tvLocations", "btnExpand", "btnSelect", "btnClose"})
        EXPECT_NE(picker->findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
    EXPECT_FALSE(testing_support::child<QPushButton>(picker.get(), "btnSelect")->isEnabled());
    ASSERT_NE(node(*picker, licRoom), nullptr);
    EXPECT_EQ(node(*picker, licRoom)->text(0), QStringLiteral("Licence Room"));
}

TEST_F(LocationPicker, OnlyALocationOfTheAvailableBranchesEnablesSelect) {
    struct Case {
        const char* name;
        int id;
        bool choosable;
    };
    const Case cases[] = {
        {"the root", 0, false},
        {"reserved row 1", store::loc::AvailableLocations, false},
        {"reserved row 3", store::loc::RemovedLocations, false},
        {"a removed location", oldStore, false},
        {"a location under row 1", office, true},
        {"a location under row 2", licRoom, true},
    };
    auto picker = open();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // A valid click first, so that a refusal has something to undo.
        click(*picker, office);
        ASSERT_TRUE(testing_support::child<QPushButton>(picker.get(), "btnSelect")->isEnabled());
        click(*picker, c.id);
        EXPECT_EQ(testing_support::child<QPushButton>(picker.get(), "btnSelect")->isEnabled(),
                  c.choosable);
    }
}

TEST_F(LocationPicker, DoubleClickOrEnterOnAnythingElseDoesNothing) {
    for (int id : {0, store::loc::AvailableLicences, store::loc::RemovedStock, oldStore}) {
        SCOPED_TRACE(id);
        auto picker = open();
        doubleClick(*picker, id);
        QTest::keyClick(
            testing_support::child<locations::LocationTreeView>(picker.get(), "tvLocations"),
            Qt::Key_Return);
        EXPECT_TRUE(picker->isVisible());
        EXPECT_EQ(picker->result(), 0);
        EXPECT_EQ(logic().SelectedLocID, office);
    }
}

TEST_F(LocationPicker, DoubleClickReturnsTheLocationAsShown) {
    auto picker = open();
    doubleClick(*picker, licRoom);
    EXPECT_FALSE(picker->isVisible());
    EXPECT_EQ(picker->result(), QDialog::Accepted);
    EXPECT_EQ(logic().SelectedLocID, licRoom);
    EXPECT_EQ(logic().SelectedLocName, QStringLiteral("Licence Room"));
    EXPECT_EQ(logic().CurrentLocId(), office) << "the location page's current location is its own";
    EXPECT_EQ(logic().CurrentLocDesc(), QStringLiteral("It Office"));
}

TEST_F(LocationPicker, CloseReturnsNoLocationEvenAfterAValidClick) {
    struct Case {
        const char* name;
        std::function<void(frmLocationList&)> close;
    };
    const Case cases[] = {
        {"the Close button",
         [](frmLocationList& p) {
             QTest::mouseClick(testing_support::child<QPushButton>(&p, "btnClose"), Qt::LeftButton);
         }},
        {"the window's close box",
         [](frmLocationList& p) {
             p.close();
         }},
        {"Escape",
         [](frmLocationList& p) {
             QTest::keyClick(&p, Qt::Key_Escape);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto picker = open();
        click(*picker, office);
        c.close(*picker);
        EXPECT_FALSE(picker->isVisible());
        EXPECT_EQ(logic().SelectedLocID, 0);
        EXPECT_EQ(logic().SelectedLocName, QString());
        logic().SelectedLocID = office;
        logic().SelectedLocName = QStringLiteral("It Office");
    }
}

TEST_F(LocationPicker, ExpandSelectsTheRootAndDisablesSelect) {
    auto picker = open();
    click(*picker, office);
    ASSERT_TRUE(testing_support::child<QPushButton>(picker.get(), "btnSelect")->isEnabled());
    QTest::mouseClick(testing_support::child<QPushButton>(picker.get(), "btnExpand"),
                      Qt::LeftButton);
    EXPECT_EQ(LocationTreeView::keyOf(
                  testing_support::child<locations::LocationTreeView>(picker.get(), "tvLocations")
                      ->selectedNode()),
              QStringLiteral("L0"));
    EXPECT_TRUE(node(*picker, oldStore)->parent()->isExpanded());
    EXPECT_TRUE(node(*picker, store::loc::RemovedStock)->parent()->isExpanded());
    EXPECT_FALSE(testing_support::child<QPushButton>(picker.get(), "btnSelect")->isEnabled());
    QTest::mouseClick(testing_support::child<QPushButton>(picker.get(), "btnSelect"),
                      Qt::LeftButton);
    QTest::keyClick(
        testing_support::child<locations::LocationTreeView>(picker.get(), "tvLocations"),
        Qt::Key_Return);
    EXPECT_TRUE(picker->isVisible());
    EXPECT_EQ(logic().SelectedLocID, office);

    // A valid location clicked again can be chosen.
    click(*picker, office);
    EXPECT_TRUE(testing_support::child<QPushButton>(picker.get(), "btnSelect")->isEnabled());
    QTest::mouseClick(testing_support::child<QPushButton>(picker.get(), "btnSelect"),
                      Qt::LeftButton);
    EXPECT_EQ(picker->result(), QDialog::Accepted);
    EXPECT_EQ(logic().SelectedLocName, QStringLiteral("It Office"));
}

TEST_F(LocationPicker, MovingTheSelectionByKeysNeverLeavesSelectOnARefusedNode) {
    auto picker = open();
    click(*picker, office);
    ASSERT_TRUE(testing_support::child<QPushButton>(picker.get(), "btnSelect")->isEnabled());
    QTest::keyClick(
        testing_support::child<locations::LocationTreeView>(picker.get(), "tvLocations"),
        Qt::Key_Up); // onto "Available Locations"
    ASSERT_EQ(testing_support::child<locations::LocationTreeView>(picker.get(), "tvLocations")
                  ->selectedNode(),
              node(*picker, store::loc::AvailableLocations));
    EXPECT_FALSE(testing_support::child<QPushButton>(picker.get(), "btnSelect")->isEnabled());
    picker->btnSelect_Click();
    EXPECT_TRUE(picker->isVisible());
}

TEST_F(LocationPicker, PickLocationShowsThePickerModallyAndHandsBackTheChoice) {
    WhenModal<frmLocationList> select([&](frmLocationList* picker) {
        click(*picker, office);
        QTest::keyClick(testing_support::child<locations::LocationTreeView>(picker, "tvLocations"),
                        Qt::Key_Return); // Enter acts as Select
    });
    const auto chosen = locations::pickLocation(session, nullptr);
    ASSERT_TRUE(select.ran());
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(chosen->first, office);
    EXPECT_EQ(chosen->second, QStringLiteral("It Office"));

    WhenModal<frmLocationList> close([&](frmLocationList* picker) {
        click(*picker, licRoom);
        QTest::mouseClick(testing_support::child<QPushButton>(picker, "btnClose"), Qt::LeftButton);
    });
    EXPECT_FALSE(locations::pickLocation(session, nullptr).has_value());
    ASSERT_TRUE(close.ran());
    EXPECT_EQ(logic().SelectedLocID, 0);
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(LocationPicker, ArrowKeysOntoALocationEnableSelectAsAClickDoes) {
    auto picker = open();
    auto* tree = testing_support::child<locations::LocationTreeView>(picker.get(), "tvLocations");
    auto* select = testing_support::child<QPushButton>(picker.get(), "btnSelect");
    tree->selectNode(node(*picker, store::loc::AvailableLocations));
    tree->setFocus();
    ASSERT_FALSE(select->isEnabled());
    tree->expandAll();
    tree->setFocus();
    QTest::keyClick(tree, Qt::Key_Down); // onto the branch's first location
    ASSERT_EQ(tree->selectedNode(), node(*picker, office));
    EXPECT_TRUE(select->isEnabled());
    QTest::mouseClick(select, Qt::LeftButton);
    EXPECT_EQ(picker->result(), QDialog::Accepted);
    EXPECT_EQ(logic().SelectedLocID, office);
}
