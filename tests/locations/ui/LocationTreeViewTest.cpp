#include "locations/ui/LocationTreeView.h"
#include "common/ui/Images.h"
#include "locations/clsLocations.h"

#include <QIcon>
#include <QSignalSpy>

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
