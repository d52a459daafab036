#include "locations/clsLocations.h"
#include "store/Database.h"
#include "store/StoreConstants.h"
#include "support/QtPrinting.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <map>
#include <ostream>

using common::MessageKind;
using locations::DeleteResult;
using locations::DropResult;
using locations::MenuState;
using locations::NodeInfo;

namespace {

// The stored shape of one Locations row.
struct Row {
    QString desc;
    QString status;
    int level = 0;
    int parent = 0;
    int top = 0;
    friend bool operator==(const Row& a, const Row& b) {
        return a.desc == b.desc && a.status == b.status && a.level == b.level &&
               a.parent == b.parent && a.top == b.top;
    }
    friend void PrintTo(const Row& r, std::ostream* os) {
        *os << "{" << r.desc.toStdString() << ", " << r.status.toStdString() << ", level "
            << r.level << ", parent " << r.parent << ", top " << r.top << "}";
    }
};

// A small location tree:
//   1 Available Locations
//     Office            (level 2)
//       Desk            (level 3)
//     Cupboard          (level 2, a leaf)
//   2 Available Licences
//     Licence room      (level 2)
//   3 Removed Locations
//     Old store         (level 2, removed)
class Locations : public ::testing::Test {
protected:
    Locations() {
        office = t.addLocation(QStringLiteral("Office"), 1, 2, 1);
        desk = t.addLocation(QStringLiteral("Desk"), office, 3, 1);
        cupboard = t.addLocation(QStringLiteral("Cupboard"), 1, 2, 1);
        licRoom = t.addLocation(QStringLiteral("Licence room"), 2, 2, 2);
        oldStore = t.addLocation(QStringLiteral("Old store"), 3, 2, 3);
    }

    std::optional<Row> row(int id) {
        store::Query q(t.db(), QStringLiteral("SELECT Loc_Desc, Loc_Status, Loc_Level, "
                                              "Loc_ParentID, Loc_Top FROM Locations "
                                              "WHERE Loc_ID = ?"));
        q.bindAll(id);
        if (!q.next())
            return std::nullopt;
        return Row{q.rawText(QStringLiteral("Loc_Desc")), q.text(QStringLiteral("Loc_Status")),
                   static_cast<int>(q.integer(QStringLiteral("Loc_Level"))),
                   static_cast<int>(q.integer(QStringLiteral("Loc_ParentID"))),
                   static_cast<int>(q.integer(QStringLiteral("Loc_Top")))};
    }

    int locationCount() { return t.count(QStringLiteral("Locations")); }

    void removeRow(int id) {
        ASSERT_EQ(t.db().execute(QStringLiteral("DELETE FROM Locations WHERE Loc_ID = ?"), id), 1);
    }

    void makeCurrent(int id, const QString& desc) {
        logic.setCurrentLocId(id);
        logic.setCurrentLocDesc(desc);
    }

    // What the maintenance tree knows of a node, taken from a real fill.
    NodeInfo infoOf(int id) {
        const auto nodes = logic.FillUpLocationTree();
        EXPECT_TRUE(nodes.has_value());
        const QString key = locations::locationKey(id);
        NodeInfo info;
        for (const auto& n : *nodes) {
            if (n.key == key)
                info = NodeInfo{n.key, n.text, n.image, n.parentKey, 0};
            if (n.parentKey == key)
                ++info.childCount;
        }
        EXPECT_FALSE(info.key.isEmpty()) << "no node L" << id;
        return info;
    }

    testing_support::TestDatabase t;
    testing_support::ScriptedMessages messages;
    locations::clsLocations logic{t.db(), messages};
    int office = 0, desk = 0, cupboard = 0, licRoom = 0, oldStore = 0;
};

} // namespace

// ---- Adding ----------------------------------------------------------------

TEST_F(Locations, AddTakesLevelParentAndBranchFromTheCurrentLocation) {
    struct Case {
        const char* name;
        int parent;
        int level;
        int top;
    };
    const Case cases[] = {
        {"under row 1", 1, 2, 1},
        {"under row 2", 2, 2, 2},
        {"under a level-2 location of branch 1", office, 3, 1},
        {"under a level-3 location of branch 1", desk, 4, 1},
        {"under a location of branch 2", licRoom, 3, 2},
        {"under a removed location", oldStore, 3, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int parent = c.parent;
        makeCurrent(parent, QStringLiteral("Parent"));
        const auto node = logic.AddLocation(QStringLiteral("  new PLACE "));
        ASSERT_TRUE(node.has_value());
        const int id = node->key.mid(1).toInt();
        EXPECT_EQ(row(id), (Row{"new PLACE", "U", c.level, parent, c.top}));
        // The node shows the text as typed until the next fill.
        EXPECT_EQ(node->key, QStringLiteral("L%1").arg(id));
        EXPECT_EQ(node->parentKey, QStringLiteral("L%1").arg(parent));
        EXPECT_EQ(node->text, QStringLiteral("  new PLACE "));
        EXPECT_EQ(node->image, locations::image::Location);
        EXPECT_TRUE(node->expanded);
        EXPECT_EQ(logic.CurrentLocId(), parent);
    }
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(Locations, AddUnderRowOneThenUnderThatLocation) {
    makeCurrent(1, QStringLiteral("Available Locations"));
    const auto first = logic.AddLocation(QStringLiteral("Server room"));
    ASSERT_TRUE(first.has_value());
    const int firstId = first->key.mid(1).toInt();
    EXPECT_EQ(row(firstId), (Row{"Server room", "U", 2, 1, 1}));

    makeCurrent(firstId, QStringLiteral("Server Room"));
    const auto second = logic.AddLocation(QStringLiteral("Rack"));
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ(row(second->key.mid(1).toInt()), (Row{"Rack", "U", 3, firstId, 1}));
}

TEST_F(Locations, TwoAdditionsInARowGoUnderTheSameParent) {
    makeCurrent(office, QStringLiteral("Office"));
    const auto a = logic.AddLocation(QStringLiteral("Shelf A"));
    const auto b = logic.AddLocation(QStringLiteral("Shelf B"));
    ASSERT_TRUE(a && b);
    EXPECT_NE(a->key, b->key);
    EXPECT_EQ(row(a->key.mid(1).toInt())->parent, office);
    EXPECT_EQ(row(b->key.mid(1).toInt())->parent, office);
    EXPECT_EQ(b->parentKey, QStringLiteral("L%1").arg(office));
}

TEST_F(Locations, AddIsRefusedWithoutAParentThatTakesChildren) {
    struct Case {
        const char* name;
        int parent;
        const char* message;
    };
    const int vanished = t.addLocation(QStringLiteral("Gone"), 1, 2, 1);
    removeRow(vanished);
    const Case cases[] = {
        {"the parent row vanished", vanished, "Internal Error: Selecting Parent Node"},
        {"the root, which is no row", 0, "Internal Error: Selecting Parent Node"},
        {"the removed-locations row", store::loc::RemovedLocations,
         "Internal Error: adding location"},
        {"the removed-stock row", store::loc::RemovedStock, "Internal Error: adding location"},
    };
    const int before = locationCount();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        makeCurrent(c.parent, QStringLiteral("X"));
        EXPECT_FALSE(logic.AddLocation(QStringLiteral("Nowhere")).has_value());
        ASSERT_EQ(messages.shown().size(), 1u);
        EXPECT_EQ(messages.shown()[0].kind, MessageKind::Failure);
        EXPECT_EQ(messages.shown()[0].text, QString::fromLatin1(c.message));
        EXPECT_EQ(locationCount(), before);
    }
}

// ---- Renaming --------------------------------------------------------------

TEST_F(Locations, RenameStoresTheTrimmedTextOfTheCurrentLocation) {
    makeCurrent(office, QStringLiteral("Office"));
    // Pasted text is not filtered: an apostrophe goes in as it is.
    EXPECT_TRUE(logic.ModifyLocation(QStringLiteral("  Bob's office  ")));
    EXPECT_EQ(row(office)->desc, QStringLiteral("Bob's office"));
    EXPECT_EQ(row(cupboard)->desc, QStringLiteral("Cupboard"));
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(Locations, RenameThatChangesNoRowSaysSo) {
    struct Case {
        const char* name;
        int id;
    };
    const int vanished = t.addLocation(QStringLiteral("Gone"), 1, 2, 1);
    removeRow(vanished);
    const Case cases[] = {{"the row vanished", vanished},
                          {"a reserved row", store::loc::AvailableLocations}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        makeCurrent(c.id, QStringLiteral("X"));
        EXPECT_FALSE(logic.ModifyLocation(QStringLiteral("Renamed")));
        ASSERT_EQ(messages.texts(), QStringList{"Internal Error: Modifying location"});
        EXPECT_EQ(messages.shown()[0].kind, MessageKind::Failure);
    }
    EXPECT_EQ(row(store::loc::AvailableLocations)->desc, QStringLiteral("Available Locations"));
}

// ---- Moving by drag and drop -------------------------------------------------

namespace {

// Nodes named for the drop table; each is looked up in a fresh fill.
enum class N {
    None,
    Root,
    Row1,
    Row2,
    Row3,
    Row4,
    Row5,
    Office,
    Desk,
    Cupboard,
    LicRoom,
    OldStore
};

struct DropCase {
    const char* name;
    N dragged;
    N target;
    std::vector<bool> answers; // answers to the move question
    DropResult result;
    QStringList texts; // every message shown, in order
    N storedParent;    // where the dragged row is afterwards
    int storedLevel;
    int storedTop;
    friend void PrintTo(const DropCase& c, std::ostream* os) { *os << c.name; }
};

const QString MoveQuestion =
    QStringLiteral("Are you sure wish to move: %1\runder the location: %2");

} // namespace

class DropRules : public Locations, public ::testing::WithParamInterface<DropCase> {
protected:
    int idOf(N n) {
        const std::map<N, int> ids{
            {N::Root, 0},          {N::Row1, 1},           {N::Row2, 2},
            {N::Row3, 3},          {N::Row4, 4},           {N::Row5, 5},
            {N::Office, office},   {N::Desk, desk},        {N::Cupboard, cupboard},
            {N::LicRoom, licRoom}, {N::OldStore, oldStore}};
        return ids.at(n);
    }
    std::optional<NodeInfo> node(N n) {
        if (n == N::None)
            return std::nullopt;
        return infoOf(idOf(n));
    }
};

TEST_P(DropRules, MovesOnlyWhatTheRulesAllow) {
    const DropCase& c = GetParam();
    const auto dragged = node(c.dragged);
    const auto target = node(c.target);
    for (bool yes : c.answers)
        messages.answer({yes});
    const std::optional<Row> before = c.dragged == N::None ? std::nullopt : row(idOf(c.dragged));

    EXPECT_EQ(logic.DropLocation(dragged, target), c.result);
    EXPECT_EQ(messages.texts(), c.texts);
    EXPECT_EQ(messages.pendingAnswers(), 0);
    EXPECT_FALSE(messages.unexpectedQuestion());
    if (c.dragged != N::None && c.dragged != N::Root) {
        Row expected = *before;
        expected.parent = idOf(c.storedParent);
        expected.level = c.storedLevel;
        expected.top = c.storedTop;
        EXPECT_EQ(row(idOf(c.dragged)), expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Locations, DropRules,
    ::testing::Values(
        DropCase{"NoDraggedNode", N::None, N::Office, {}, DropResult::Refused, {}, N::None, 0, 0},
        DropCase{"NoTarget", N::Cupboard, N::None, {}, DropResult::Refused, {}, N::Row1, 2, 1},
        DropCase{
            "SystemRowDragged", N::Row1, N::Office, {}, DropResult::Refused, {}, N::Root, 1, 0},
        DropCase{"RootDragged", N::Root, N::Office, {}, DropResult::Refused, {}, N::None, 0, 0},
        DropCase{"OntoItsOwnParent",
                 N::Desk,
                 N::Office,
                 {},
                 DropResult::Refused,
                 {"This location is already under this location"},
                 N::Office,
                 3,
                 1},
        DropCase{"WithSubLocations",
                 N::Office,
                 N::LicRoom,
                 {},
                 DropResult::Refused,
                 {"You may only drag locations that have no sub locations"},
                 N::Row1,
                 2,
                 1},
        DropCase{"OntoTheRoot", N::Cupboard, N::Root, {}, DropResult::Refused, {}, N::Row1, 2, 1},
        DropCase{"OntoRow3", N::Cupboard, N::Row3, {}, DropResult::Refused, {}, N::Row1, 2, 1},
        DropCase{"OntoRow4", N::Cupboard, N::Row4, {}, DropResult::Refused, {}, N::Row1, 2, 1},
        DropCase{"OntoRow5", N::Cupboard, N::Row5, {}, DropResult::Refused, {}, N::Row1, 2, 1},
        DropCase{"AnsweredNo",
                 N::Cupboard,
                 N::LicRoom,
                 {false},
                 DropResult::Refused,
                 {MoveQuestion.arg("Cupboard", "Licence Room")},
                 N::Row1,
                 2,
                 1},
        DropCase{"OntoItself",
                 N::Cupboard,
                 N::Cupboard,
                 {true},
                 DropResult::Unchanged,
                 {MoveQuestion.arg("Cupboard", "Cupboard")},
                 N::Row1,
                 2,
                 1},
        DropCase{"OntoRow2",
                 N::Cupboard,
                 N::Row2,
                 {true},
                 DropResult::Moved,
                 {MoveQuestion.arg("Cupboard", "Available Licences")},
                 N::Row2,
                 2,
                 2},
        DropCase{"UnderALocationOfBranch2",
                 N::Cupboard,
                 N::LicRoom,
                 {true},
                 DropResult::Moved,
                 {MoveQuestion.arg("Cupboard", "Licence Room")},
                 N::LicRoom,
                 3,
                 2},
        DropCase{"DeeperLocationUpToRow1",
                 N::Desk,
                 N::Row1,
                 {true},
                 DropResult::Moved,
                 {MoveQuestion.arg("Desk", "Available Locations")},
                 N::Row1,
                 2,
                 1},
        DropCase{"OntoARemovedLocation",
                 N::Cupboard,
                 N::OldStore,
                 {true},
                 DropResult::Moved,
                 {MoveQuestion.arg("Cupboard", "Old Store")},
                 N::OldStore,
                 3,
                 3},
        DropCase{"RemovedLocationBackIntoUse",
                 N::OldStore,
                 N::Office,
                 {true},
                 DropResult::Moved,
                 {MoveQuestion.arg("Old Store", "Office")},
                 N::Office,
                 3,
                 1}),
    [](const ::testing::TestParamInfo<DropCase>& param) { return std::string(param.param.name); });

TEST_F(Locations, DropOntoAVanishedTargetRowChangesNothing) {
    const NodeInfo dragged = infoOf(cupboard);
    const NodeInfo target = infoOf(licRoom);
    removeRow(licRoom);
    messages.answer({true});
    EXPECT_EQ(logic.DropLocation(dragged, target), DropResult::Refused);
    EXPECT_EQ(messages.texts(), (QStringList{MoveQuestion.arg("Cupboard", "Licence Room"),
                                             "Internal Error: Selecting Parent Data"}));
    EXPECT_EQ(row(cupboard), (Row{"Cupboard", "U", 2, 1, 1}));
}

TEST_F(Locations, DropOfAVanishedRowSaysSo) {
    const NodeInfo dragged = infoOf(cupboard);
    const NodeInfo target = infoOf(licRoom);
    removeRow(cupboard);
    messages.answer({true});
    EXPECT_EQ(logic.DropLocation(dragged, target), DropResult::Refused);
    ASSERT_FALSE(messages.shown().empty());
    ASSERT_EQ(messages.texts().last(), QStringLiteral("Internal Error: Modifying location"));
    EXPECT_EQ(messages.shown().back().kind, MessageKind::Failure);
}

TEST_F(Locations, MovedLocationIsFoundInItsNewBranchByTheNextFill) {
    messages.answer({true, true});
    ASSERT_EQ(logic.DropLocation(infoOf(cupboard), infoOf(store::loc::AvailableLicences)),
              DropResult::Moved);
    ASSERT_EQ(logic.DropLocation(infoOf(desk), infoOf(oldStore)), DropResult::Moved);
    const NodeInfo moved = infoOf(cupboard);
    EXPECT_EQ(moved.parentKey, QStringLiteral("L2"));
    EXPECT_EQ(moved.image, locations::image::Location);
    const NodeInfo removed = infoOf(desk);
    EXPECT_EQ(removed.parentKey, QStringLiteral("L%1").arg(oldStore));
    EXPECT_EQ(removed.image, locations::image::RemovedLocation);
}

// ---- Removing ------------------------------------------------------------------

namespace {

class Removal : public Locations {
protected:
    Removal() {
        const int cat = t.addCategory(QStringLiteral("PCs"));
        product = t.addProduct(QStringLiteral("PC1"), QStringLiteral("Desktop"), cat);
    }
    int product = 0;
};

} // namespace

TEST_F(Removal, ParkingMovesTheLocationUnderRow3WithItsLevelAndItsAssets) {
    const int stock = t.addStock(QStringLiteral("S1"), product, desk);
    t.addLicence(QStringLiteral("K1"), product, desk, store::LicenceNormal);
    makeCurrent(desk, QStringLiteral("Desk"));
    messages.answer({true});
    EXPECT_EQ(logic.DeleteLocation(locations::image::Location), DeleteResult::Parked);
    EXPECT_EQ(messages.texts(), QStringList{"Are you sure you wish to remove location Desk"});
    EXPECT_EQ(row(desk), (Row{"Desk", "U", 3, 3, 3}));
    EXPECT_TRUE(t.db().exists(
        QStringLiteral("SELECT 1 FROM Stock WHERE Stock_ID = ? AND Loc_ID = ?"), stock, desk));
    EXPECT_TRUE(t.db().exists(QStringLiteral("SELECT 1 FROM Licences WHERE Loc_ID = ?"), desk));
}

TEST_F(Removal, ParkingIsRefusedOrDeclined) {
    struct Case {
        const char* name;
        int location;
        std::vector<bool> answers;
        QStringList texts;
    };
    const Case cases[] = {
        {"child locations", office, {}, {"Cannot remove, this location has child locations"}},
        {"answered No", cupboard, {false}, {"Are you sure you wish to remove location Cupboard"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        for (bool yes : c.answers)
            messages.answer({yes});
        const int id = c.location;
        const Row before = *row(id);
        makeCurrent(id, before.desc);
        EXPECT_EQ(logic.DeleteLocation(locations::image::Location), DeleteResult::Nothing);
        EXPECT_EQ(messages.texts(), c.texts);
        EXPECT_EQ(row(id), before);
    }
}

TEST_F(Removal, PermanentRemovalDeletesAnEmptyRemovedLocation) {
    makeCurrent(oldStore, QStringLiteral("Old Store"));
    messages.answer({true});
    EXPECT_EQ(logic.DeleteLocation(locations::image::RemovedLocation), DeleteResult::Deleted);
    EXPECT_EQ(messages.texts(), QStringList{"Are you sure you wish to remove location Old Store\r"
                                            "This will be completely removed from your database"});
    EXPECT_FALSE(row(oldStore).has_value());
}

TEST_F(Removal, PermanentRemovalIsRefusedWhileAnythingIsHeldThere) {
    enum Holds { Stock = 1, Licence = 2, Child = 4 };
    struct Case {
        const char* name;
        int holds;
        std::vector<bool> answers;
        QString text;
    };
    const Case cases[] = {
        {"stock", Stock, {}, "Cannot remove, this location has stock within it"},
        {"licences", Licence, {}, "Cannot remove, this location has licences within it"},
        // A location dragged onto a removed one would lose its parent row.
        {"child locations", Child, {}, "Cannot remove, this location has child locations"},
        {"stock and a child: stock first",
         Stock | Child,
         {},
         "Cannot remove, this location has stock within it"},
        {"answered No",
         0,
         {false},
         "Are you sure you wish to remove location Old Store\r"
         "This will be completely removed from your database"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing_support::TestDatabase fresh;
        testing_support::ScriptedMessages said;
        locations::clsLocations maint(fresh.db(), said);
        const int removed = fresh.addLocation(QStringLiteral("Old store"), 3, 2, 3);
        const int cat = fresh.addCategory(QStringLiteral("PCs"));
        const int prod = fresh.addProduct(QStringLiteral("P"), QStringLiteral("P"), cat);
        if (c.holds & Stock)
            fresh.addStock(QStringLiteral("S1"), prod, removed);
        if (c.holds & Licence)
            fresh.addLicence(QStringLiteral("K1"), prod, removed, store::LicenceTemporary);
        if (c.holds & Child)
            fresh.addLocation(QStringLiteral("Moved in"), removed, 3, 3);
        for (bool yes : c.answers)
            said.answer({yes});
        maint.setCurrentLocId(removed);
        maint.setCurrentLocDesc(QStringLiteral("Old Store"));
        EXPECT_EQ(maint.DeleteLocation(locations::image::RemovedLocation), DeleteResult::Nothing);
        EXPECT_EQ(said.texts(), QStringList{c.text});
        EXPECT_TRUE(
            fresh.db().exists(QStringLiteral("SELECT 1 FROM Locations WHERE Loc_ID = ?"), removed));
    }
}

TEST_F(Removal, RemovalThatChangesNoRowSaysSo) {
    for (int selectedImage : {locations::image::Location, locations::image::RemovedLocation}) {
        SCOPED_TRACE(selectedImage);
        messages.clear();
        const int gone = t.addLocation(QStringLiteral("Gone"), 1, 2, 1);
        removeRow(gone);
        makeCurrent(gone, QStringLiteral("Gone"));
        messages.answer({true});
        EXPECT_EQ(logic.DeleteLocation(selectedImage), DeleteResult::Nothing);
        ASSERT_FALSE(messages.shown().empty());
        EXPECT_EQ(messages.shown().back().kind, MessageKind::Failure);
        EXPECT_EQ(messages.texts().last(), QStringLiteral("Internal Error: Deleting location"));
    }
}

TEST_F(Removal, NothingHappensForASystemNodeOrWithoutASelectedNode) {
    for (int selectedImage : {0, locations::image::SystemNode}) {
        SCOPED_TRACE(selectedImage);
        makeCurrent(cupboard, QStringLiteral("Cupboard"));
        EXPECT_EQ(logic.DeleteLocation(selectedImage), DeleteResult::Nothing);
        EXPECT_TRUE(messages.shown().empty());
        EXPECT_EQ(row(cupboard)->parent, 1);
    }
}

// ---- Menu and picker rules -------------------------------------------------------

TEST(LocationRules, MenuItemsFollowTheSelectedNode) {
    using locations::image::Location;
    using locations::image::RemovedLocation;
    using locations::image::SystemNode;
    struct Case {
        const char* key;
        int image;
        MenuState menu;
    };
    const Case cases[] = {
        {"L0", SystemNode, {false, false, false}}, {"L1", SystemNode, {true, false, false}},
        {"L2", SystemNode, {true, false, false}},  {"L3", SystemNode, {false, false, false}},
        {"L4", SystemNode, {false, false, false}}, {"L5", SystemNode, {false, false, false}},
        {"L12", Location, {true, true, true}},     {"L13", RemovedLocation, {false, false, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        const MenuState got =
            locations::clsLocations::MenuFor(NodeInfo{c.key, "X", c.image, "L0", 0});
        EXPECT_EQ(got.add, c.menu.add);
        EXPECT_EQ(got.modify, c.menu.modify);
        EXPECT_EQ(got.remove, c.menu.remove);
    }
}

TEST(LocationRules, OnlyLocationsOfTheTwoAvailableBranchesCanBeChosen) {
    for (int image = 1; image <= locations::image::Count; ++image) {
        SCOPED_TRACE(image);
        EXPECT_EQ(locations::clsLocations::IsChoosable(image), image == locations::image::Location);
    }
}

// ---- The move rules held by the logic itself ------------------------------

TEST_F(Locations, UpdateLocationRefusesEveryMoveTheDropRulesForbid) {
    struct Case {
        const char* name;
        int moved;
        int parent;
        MessageKind kind;
        QString message;
    };
    const Case cases[] = {
        {"under the root", cupboard, 0, MessageKind::Failure, "Internal Error: Modifying location"},
        {"under removed locations", cupboard, store::loc::RemovedLocations, MessageKind::Failure,
         "Internal Error: Modifying location"},
        {"under removed licences", cupboard, store::loc::RemovedLicences, MessageKind::Failure,
         "Internal Error: Modifying location"},
        {"under removed stock", cupboard, store::loc::RemovedStock, MessageKind::Failure,
         "Internal Error: Modifying location"},
        {"under itself", cupboard, cupboard, MessageKind::Failure,
         "Internal Error: Modifying location"},
        {"under its own child", office, desk, MessageKind::Refusal,
         "You may only drag locations that have no sub locations"},
        {"a location with children", office, store::loc::AvailableLicences, MessageKind::Refusal,
         "You may only drag locations that have no sub locations"},
        {"a reserved row", store::loc::AvailableLicences, store::loc::AvailableLocations,
         MessageKind::Failure, "Internal Error: Modifying location"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        const auto before = row(c.moved);
        EXPECT_FALSE(logic.UpdateLocation(c.moved, c.parent));
        EXPECT_EQ(row(c.moved), before);
        ASSERT_EQ(messages.shown().size(), 1u);
        EXPECT_EQ(messages.shown().front().kind, c.kind);
        EXPECT_EQ(messages.texts().front(), c.message);
    }
    // A leaf still moves.
    messages.clear();
    EXPECT_TRUE(logic.UpdateLocation(cupboard, licRoom));
    EXPECT_EQ(row(cupboard), (Row{"Cupboard", "U", 3, licRoom, 2}));
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(Removal, PermanentRemovalTouchesOnlyARowOfTheRemovedBranch) {
    // The node says "removed" but the row is live: nothing is deleted.
    makeCurrent(cupboard, QStringLiteral("Cupboard"));
    messages.answer({true});
    EXPECT_EQ(logic.DeleteLocation(locations::image::RemovedLocation), DeleteResult::Nothing);
    EXPECT_TRUE(row(cupboard).has_value());
    ASSERT_FALSE(messages.shown().empty());
    EXPECT_EQ(messages.texts().last(), QStringLiteral("Internal Error: Deleting location"));
}
