#include "locations/ui/LocationTreeView.h"
#include "common/ui/Images.h"
#include "locations/clsLocations.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"

#include <QIcon>
#include <QSignalSpy>
#include <QTreeWidgetItemIterator>

#include <gtest/gtest.h>

using locations::LocationTreeView;
using locations::TreeNode;
namespace image = locations::image;

namespace {

// A small tree as the logic hands it over: parents first, siblings in
// order, one node whose parent is missing.
std::vector<TreeNode> sampleNodes() {
    return {
        {"L0", "", "SYSTEM", image::SystemNode, true},
        {"L1", "L0", "Available Locations", image::SystemNode, true},
        {"L3", "L0", "Removed Locations", image::SystemNode, false},
        {" L7 ", "L1", "Annexe", image::Location, false},
        {"L6", "L1", "Head Office", image::Location, true},
        {"L9", "L6", "Room 2", image::Location, false},
        {"L8", "L3", "Old Store", image::RemovedLocation, false},
        {"L5", "L42", "Lost", image::Location, false},
    };
}

// The texts of an item's children in order.
QStringList childTexts(const QTreeWidgetItem* item) {
    QStringList out;
    for (int i = 0; i < item->childCount(); ++i)
        out << item->child(i)->text(0);
    return out;
}

int itemCount(const QTreeWidget& tree) {
    int count = 0;
    std::function<void(const QTreeWidgetItem*)> walk = [&](const QTreeWidgetItem* item) {
        ++count;
        for (int i = 0; i < item->childCount(); ++i)
            walk(item->child(i));
    };
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        walk(tree.topLevelItem(i));
    return count;
}

class TreeFill : public ::testing::Test {
protected:
    LocationTreeView tree;
};

} // namespace

TEST_F(TreeFill, NodesGoUnderTheirParentsInTheOrderGivenAndAParentlessOneIsLeftOut) {
    tree.fill(sampleNodes());
    ASSERT_EQ(tree.topLevelItemCount(), 1);
    const QTreeWidgetItem* root = tree.topLevelItem(0);
    EXPECT_EQ(root->text(0), QStringLiteral("SYSTEM"));
    EXPECT_EQ(childTexts(root), (QStringList{"Available Locations", "Removed Locations"}));
    EXPECT_EQ(childTexts(tree.node(QStringLiteral("L1"))), (QStringList{"Annexe", "Head Office"}));
    EXPECT_EQ(childTexts(tree.node(QStringLiteral("L6"))), QStringList{"Room 2"});
    EXPECT_EQ(childTexts(tree.node(QStringLiteral("L3"))), QStringList{"Old Store"});
    EXPECT_EQ(tree.node(QStringLiteral("L5")), nullptr);
    EXPECT_EQ(itemCount(tree), 7);
}

TEST_F(TreeFill, EachNodeKeepsItsTrimmedKeyImageAndIconAndIsFoundByKey) {
    tree.fill(sampleNodes());
    struct Expected {
        const char* key;
        int image;
        const char* parent;
    };
    const Expected expected[] = {
        {"L0", image::SystemNode, ""},        {"L1", image::SystemNode, "L0"},
        {"L3", image::SystemNode, "L0"},      {"L7", image::Location, "L1"},
        {"L6", image::Location, "L1"},        {"L9", image::Location, "L6"},
        {"L8", image::RemovedLocation, "L3"},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.key);
        QTreeWidgetItem* item = tree.node(QString::fromLatin1(e.key));
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(LocationTreeView::keyOf(item), QString::fromLatin1(e.key));
        EXPECT_EQ(LocationTreeView::imageOf(item), e.image);
        EXPECT_EQ(item->icon(0).cacheKey(), common::imlLocation(e.image).cacheKey());
        const auto info = LocationTreeView::infoOf(item);
        ASSERT_TRUE(info.has_value());
        EXPECT_EQ(info->parentKey, QString::fromLatin1(e.parent));
    }
    EXPECT_EQ(tree.node(QStringLiteral(" L6 ")), tree.node(QStringLiteral("L6")));
}

TEST_F(TreeFill, OnlyTheNodesMarkedExpandedOpen) {
    tree.fill(sampleNodes());
    const std::pair<const char*, bool> expected[] = {{"L0", true}, {"L1", true},  {"L3", false},
                                                     {"L6", true}, {"L7", false}, {"L8", false}};
    for (const auto& [key, open] : expected)
        EXPECT_EQ(tree.node(QString::fromLatin1(key))->isExpanded(), open) << key;
}

TEST_F(TreeFill, ARefillReplacesEveryNodeAndForgetsTheOldKeys) {
    tree.fill(sampleNodes());
    tree.setDropHighlight(tree.node(QStringLiteral("L9")));
    tree.fill({{"L0", "", "SYSTEM", image::SystemNode, true},
               {"L2", "L0", "Available Licences", image::SystemNode, false}});
    EXPECT_EQ(itemCount(tree), 2);
    EXPECT_EQ(tree.node(QStringLiteral("L6")), nullptr);
    EXPECT_EQ(tree.dropHighlight(), nullptr);
    EXPECT_EQ(childTexts(tree.topLevelItem(0)), QStringList{"Available Licences"});
}

TEST_F(TreeFill, ChangesToAFilledNodeReachTheViewAndItsReaders) {
    tree.fill(sampleNodes());
    QTreeWidgetItem* item = tree.node(QStringLiteral("L9"));
    QSignalSpy changed(tree.model(), &QAbstractItemModel::dataChanged);

    LocationTreeView::setImage(item, image::RemovedLocation);
    EXPECT_EQ(LocationTreeView::imageOf(item), image::RemovedLocation);
    EXPECT_EQ(item->icon(0).cacheKey(), common::imlLocation(image::RemovedLocation).cacheKey());
    item->setText(0, QStringLiteral("Room 3"));
    EXPECT_EQ(LocationTreeView::infoOf(item)->text, QStringLiteral("Room 3"));
    EXPECT_EQ(changed.count(), 2);
}

TEST_F(TreeFill, AddedAndMovedNodesBehaveAsFilledOnes) {
    tree.fill(sampleNodes());
    QTreeWidgetItem* added = tree.addNode({"L10", "L6", "Room 4", image::Location, false});
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(tree.node(QStringLiteral("L10")), added);
    EXPECT_EQ(childTexts(tree.node(QStringLiteral("L6"))), (QStringList{"Room 2", "Room 4"}));
    EXPECT_EQ(tree.addNode({"L11", "L99", "Nowhere", image::Location, false}), nullptr);

    tree.reparent(QStringLiteral("L10"), QStringLiteral("L7"));
    EXPECT_EQ(LocationTreeView::infoOf(added)->parentKey, QStringLiteral("L7"));
    tree.removeNode(QStringLiteral("L6"));
    EXPECT_EQ(tree.node(QStringLiteral("L9")), nullptr);
    EXPECT_EQ(tree.node(QStringLiteral("L10")), added);
}

// ---- A tree read one level at a time ----------------------------------------------

namespace {

// A register of a few levels:
//   1 Available Locations
//     Annexe
//     Building
//       Floor 1
//         Room 101
//           Desk
//       Floor 2
//   2 Available Licences
//     Pool
//       Seat
//   3 Removed Locations
//     Old wing
//       Old room
class LazyTree : public ::testing::Test {
protected:
    void SetUp() override {
        building = t.addLocation(QStringLiteral("Building"), 1, 2, 1);
        floor1 = t.addLocation(QStringLiteral("Floor 1"), building, 3, 1);
        room = t.addLocation(QStringLiteral("Room 101"), floor1, 4, 1);
        desk = t.addLocation(QStringLiteral("Desk"), room, 5, 1);
        floor2 = t.addLocation(QStringLiteral("Floor 2"), building, 3, 1);
        annexe = t.addLocation(QStringLiteral("Annexe"), 1, 2, 1);
        pool = t.addLocation(QStringLiteral("Pool"), 2, 2, 2);
        seat = t.addLocation(QStringLiteral("Seat"), pool, 3, 2);
        oldWing = t.addLocation(QStringLiteral("Old wing"), 3, 2, 3);
        oldRoom = t.addLocation(QStringLiteral("Old room"), oldWing, 3, 3);
        ASSERT_TRUE(tree.FillUpLocationTree(logic));
    }

    // The nodes the tree holds, found without reading anything.
    QTreeWidgetItem* shown(int id) const {
        const QString key = locations::locationKey(id);
        for (QTreeWidgetItemIterator it(const_cast<LocationTreeView*>(&tree)); *it; ++it)
            if (LocationTreeView::keyOf(*it) == key)
                return *it;
        return nullptr;
    }
    QStringList shownKeys() const {
        QStringList keys;
        for (QTreeWidgetItemIterator it(const_cast<LocationTreeView*>(&tree)); *it; ++it)
            keys << LocationTreeView::keyOf(*it);
        keys.sort();
        return keys;
    }
    static QStringList childKeys(const QTreeWidgetItem* item) {
        QStringList out;
        for (int i = 0; i < item->childCount(); ++i)
            out << LocationTreeView::keyOf(item->child(i));
        return out;
    }
    // Every key of the whole tree read at once, sorted as shownKeys is.
    QStringList fullTreeKeys() {
        QStringList all;
        if (const auto full = logic.FillUpLocationTree())
            for (const locations::TreeNode& n : *full)
                all << n.key;
        all.sort();
        return all;
    }

    static QStringList keys(std::initializer_list<int> ids) {
        QStringList out;
        for (int id : ids)
            out << locations::locationKey(id);
        return out;
    }

    testing_support::TestDatabase t;
    testing_support::ScriptedMessages messages;
    locations::clsLocations logic{t.db(), messages};
    LocationTreeView tree;
    int building = 0, floor1 = 0, room = 0, desk = 0, floor2 = 0, annexe = 0, pool = 0, seat = 0,
        oldWing = 0, oldRoom = 0;
};

} // namespace

TEST_F(LazyTree, OnEntryOnlyTheTopIsReadAndABranchShowsItHasChildren) {
    QStringList top = QStringList{"L0"} + keys({1, 2, 3, 4, 5, building, annexe, pool, oldWing});
    top.sort();
    EXPECT_EQ(shownKeys(), top);
    EXPECT_EQ(childKeys(shown(1)), keys({annexe, building}));
    struct Case {
        int id;
        bool unread;
    };
    const Case cases[] = {{building, true}, {pool, true}, {oldWing, true}, {annexe, false},
                          {4, false},       {1, false},   {0, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        QTreeWidgetItem* item = c.id == 0 ? tree.topLevelItem(0) : shown(c.id);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(LocationTreeView::hasUnreadChildren(item), c.unread);
        EXPECT_EQ(item->childIndicatorPolicy() == QTreeWidgetItem::ShowIndicator, c.unread);
        // Whoever asks whether it has children is told the truth.
        EXPECT_EQ(LocationTreeView::infoOf(item)->childCount > 0, c.unread || c.id <= 3);
    }
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(LazyTree, OpeningABranchReadsExactlyItsChildrenOnce) {
    const int before = static_cast<int>(shownKeys().size());
    shown(building)->setExpanded(true);
    EXPECT_EQ(childKeys(shown(building)), keys({floor1, floor2}));
    EXPECT_EQ(shownKeys().size(), before + 2);
    EXPECT_TRUE(LocationTreeView::hasUnreadChildren(shown(floor1)));
    EXPECT_FALSE(LocationTreeView::hasUnreadChildren(shown(floor2)));
    EXPECT_FALSE(LocationTreeView::hasUnreadChildren(shown(building)));
    EXPECT_EQ(shown(room), nullptr);

    // Closed and opened again: nothing is read twice.
    shown(building)->setExpanded(false);
    shown(building)->setExpanded(true);
    EXPECT_EQ(childKeys(shown(building)), keys({floor1, floor2}));

    // A branch whose children went meanwhile loses its indicator as it opens.
    ASSERT_EQ(t.db().execute(QStringLiteral("DELETE FROM Locations WHERE Loc_ID = ?"), seat), 1);
    shown(pool)->setExpanded(true);
    EXPECT_EQ(shown(pool)->childCount(), 0);
    EXPECT_EQ(shown(pool)->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

TEST_F(LazyTree, ANodeAskedForByKeyDeepInTheTreeAppearsWithItsAncestors) {
    QTreeWidgetItem* item = tree.node(locations::locationKey(desk));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(0), QStringLiteral("Desk"));
    EXPECT_EQ(LocationTreeView::imageOf(item), image::Location);
    QStringList above;
    for (QTreeWidgetItem* p = item->parent(); p; p = p->parent())
        above << LocationTreeView::keyOf(p);
    EXPECT_EQ(above, keys({room, floor1, building, 1, 0}));
    // Each branch on the way holds all of its children; the others stay
    // unread.
    EXPECT_EQ(childKeys(shown(building)), keys({floor1, floor2}));
    EXPECT_TRUE(LocationTreeView::hasUnreadChildren(shown(pool)));
    EXPECT_EQ(shown(seat), nullptr);
    // Closed branches: the node is there, not shown.
    EXPECT_FALSE(shown(building)->isExpanded());

    // Under a removed location, and a removed location's own children.
    EXPECT_EQ(LocationTreeView::imageOf(tree.node(locations::locationKey(oldRoom))),
              image::RemovedLocation);
    QTreeWidgetItem* wing = tree.node(locations::locationKey(oldWing));
    EXPECT_EQ(childKeys(wing), keys({oldRoom}));

    // No such location; and one added under a branch read already, which
    // the tree shows only when it is filled again.
    EXPECT_EQ(tree.node(QStringLiteral("L999")), nullptr);
    EXPECT_EQ(tree.node(QStringLiteral("X1")), nullptr);
    const int later = t.addLocation(QStringLiteral("Later"), building, 3, 1);
    EXPECT_EQ(tree.node(locations::locationKey(later)), nullptr);
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(LazyTree, ExpandingEverythingReadsEveryNodeAndKeepsThoseShown) {
    shown(building)->setExpanded(true);
    shown(floor1)->setText(0, QStringLiteral("renamed here"));
    QTreeWidgetItem* floor1Item = shown(floor1);
    tree.expandAllAndSelectRoot();

    EXPECT_EQ(shownKeys(), fullTreeKeys());
    EXPECT_EQ(shown(floor1), floor1Item);
    EXPECT_EQ(floor1Item->text(0), QStringLiteral("renamed here"));
    EXPECT_EQ(childKeys(floor1Item), keys({room}));
    EXPECT_EQ(childKeys(shown(pool)), keys({seat}));
    for (QTreeWidgetItemIterator it(&tree); *it; ++it) {
        EXPECT_FALSE(LocationTreeView::hasUnreadChildren(*it));
        if ((*it)->childCount() > 0) {
            EXPECT_TRUE((*it)->isExpanded()) << LocationTreeView::keyOf(*it).toStdString();
        }
    }
    EXPECT_EQ(LocationTreeView::keyOf(tree.selectedNode()), QStringLiteral("L0"));
}

TEST_F(LazyTree, ARefillKeepsTheOpenBranchesReadAgainAndTheSelection) {
    QTreeWidgetItem* roomItem = tree.node(locations::locationKey(room));
    shown(building)->setExpanded(true);
    shown(floor1)->setExpanded(true);
    tree.selectNode(roomItem);
    shown(2)->setExpanded(false);
    const LocationTreeView::Place place = tree.place();

    const int added = t.addLocation(QStringLiteral("Room 102"), floor1, 4, 1);
    ASSERT_TRUE(tree.FillUpLocationTree(logic));
    EXPECT_EQ(shown(floor1), nullptr) << "a fill reads the top only";
    tree.restorePlace(place);

    ASSERT_NE(shown(floor1), nullptr);
    EXPECT_TRUE(shown(building)->isExpanded());
    EXPECT_TRUE(shown(floor1)->isExpanded());
    EXPECT_EQ(childKeys(shown(floor1)), keys({room, added}));
    EXPECT_FALSE(shown(2)->isExpanded());
    EXPECT_EQ(LocationTreeView::keyOf(tree.selectedNode()), locations::locationKey(room));
    // The room's own branch stays as it was: closed, not read.
    EXPECT_EQ(shown(desk), nullptr);
}

TEST_F(LazyTree, TheViewsOwnExpandAllReadsEachBranchAsItOpens) {
    tree.show();
    tree.expandAll();
    EXPECT_EQ(shownKeys(), fullTreeKeys());
    for (int id : {building, floor1, room, pool, oldWing})
        EXPECT_TRUE(shown(id)->isExpanded()) << id;
    // Each node shown once, in the view as in the tree.
    int rows = 0;
    for (QModelIndex at = tree.model()->index(0, 0); at.isValid(); at = tree.indexBelow(at))
        ++rows;
    EXPECT_EQ(rows, fullTreeKeys().size());
}
