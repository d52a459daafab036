#include "common/NodeKey.h"
#include "locations/clsLocations.h"
#include "store/StoreConstants.h"
#include "support/LocationLevels.h"
#include "support/ScriptedMessages.h"
#include "support/StatementLog.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

using common::MessageKind;
using locations::TreeNode;

namespace {

class FillTree : public ::testing::Test {
protected:
    std::vector<TreeNode> fill() {
        locations::clsLocations logic(t.db(), messages);
        auto nodes = logic.FillUpLocationTree();
        EXPECT_TRUE(nodes.has_value());
        return nodes.value_or(std::vector<TreeNode>{});
    }

    static QString key(int id) { return QStringLiteral("L%1").arg(id); }

    static const TreeNode* find(const std::vector<TreeNode>& nodes, const QString& key) {
        for (const TreeNode& n : nodes)
            if (n.key == key)
                return &n;
        return nullptr;
    }

    // The texts of a node's children in tree order.
    static QStringList childTexts(const std::vector<TreeNode>& nodes, const QString& parent) {
        QStringList out;
        for (const TreeNode& n : nodes)
            if (n.parentKey == parent)
                out << n.text;
        return out;
    }

    // Every node's parent comes before it, so a tree can add them in order.
    static void expectParentsFirst(const std::vector<TreeNode>& nodes) {
        for (size_t i = 0; i < nodes.size(); ++i) {
            if (nodes[i].parentKey.isEmpty())
                continue;
            bool before = false;
            for (size_t j = 0; j < i; ++j)
                before = before || nodes[j].key == nodes[i].parentKey;
            EXPECT_TRUE(before) << nodes[i].key.toStdString() << " before its parent "
                                << nodes[i].parentKey.toStdString();
        }
    }

    testing_support::TestDatabase t;
    testing_support::ScriptedMessages messages;
};

} // namespace

TEST_F(FillTree, TheReservedRowsAloneGiveSixNodesWithTheFirstFourExpanded) {
    const auto nodes = fill();
    struct Expected {
        const char* key;
        const char* parent;
        const char* text;
        bool expanded;
    };
    const Expected expected[] = {
        {"L0", "", "SYSTEM", true},
        {"L1", "L0", "Available Locations", true},
        {"L2", "L0", "Available Licences", true},
        {"L3", "L0", "Removed Locations", true},
        {"L4", "L0", "Removed Licences", false},
        {"L5", "L0", "Removed Stock", false},
    };
    ASSERT_EQ(nodes.size(), std::size(expected));
    for (size_t i = 0; i < nodes.size(); ++i) {
        SCOPED_TRACE(expected[i].key);
        EXPECT_EQ(nodes[i].key, QString::fromLatin1(expected[i].key));
        EXPECT_EQ(nodes[i].parentKey, QString::fromLatin1(expected[i].parent));
        EXPECT_EQ(nodes[i].text, QString::fromLatin1(expected[i].text));
        EXPECT_EQ(nodes[i].image, locations::image::SystemNode);
        EXPECT_EQ(nodes[i].expanded, expected[i].expanded);
    }
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(FillTree, SiblingsComeInCaseInsensitiveDescriptionOrderWhateverTheirIds) {
    for (const char* desc : {"zeta store", "Charlie", "beta lab", "Alpha", "delta"})
        t.addLocation(QString::fromLatin1(desc), 1, 2, 1);
    const int office = t.addLocation(QStringLiteral("Office"), 2, 2, 2);
    for (const char* desc : {"printer", "Desk 2", "desk 1"})
        t.addLocation(QString::fromLatin1(desc), office, 3, 2);

    const auto nodes = fill();
    EXPECT_EQ(childTexts(nodes, QStringLiteral("L1")),
              (QStringList{"Alpha", "Beta Lab", "Charlie", "Delta", "Zeta Store"}));
    EXPECT_EQ(childTexts(nodes, key(office)), (QStringList{"Desk 1", "Desk 2", "Printer"}));
    EXPECT_EQ(childTexts(nodes, QStringLiteral("L0")).size(), 5);
    expectParentsFirst(nodes);
}

TEST_F(FillTree, ADeepLocationWithASmallerIdThanItsParentIsPlacedUnderIt) {
    // The level-4 row is added first, so its id is the smallest of the chain.
    const int desk = t.addLocation(QStringLiteral("Desk"), 0, 4, 1);
    const int floor = t.addLocation(QStringLiteral("Floor 1"), 1, 2, 1);
    const int room = t.addLocation(QStringLiteral("Room 12"), floor, 3, 1);
    t.db().execute(QStringLiteral("UPDATE Locations SET Loc_ParentID = ? WHERE Loc_ID = ?"), room,
                   desk);
    ASSERT_LT(desk, room);

    const auto nodes = fill();
    const TreeNode* node = find(nodes, key(desk));
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->parentKey, key(room));
    EXPECT_EQ(node->image, locations::image::Location);
    EXPECT_FALSE(node->expanded);
    ASSERT_NE(find(nodes, key(room)), nullptr);
    EXPECT_EQ(find(nodes, key(room))->parentKey, key(floor));
    EXPECT_EQ(find(nodes, key(floor))->parentKey, QStringLiteral("L1"));
    EXPECT_FALSE(find(nodes, key(floor))->expanded);
    expectParentsFirst(nodes);
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(FillTree, TextsAreTrimmedAndProperCasedAndImagesFollowTheBranch) {
    struct Row {
        const char* stored;
        int parent;
        int top;
        const char* shown;
        int image;
    };
    const Row rows[] = {
        {"  FINANCE office", 1, 1, "Finance Office", locations::image::Location},
        {"server ROOM  ", 2, 2, "Server Room", locations::image::Location},
        {"old store", 3, 3, "Old Store", locations::image::RemovedLocation},
    };
    std::vector<int> ids;
    for (const Row& r : rows)
        ids.push_back(t.addLocation(QString::fromLatin1(r.stored), r.parent, 2, r.top));

    const auto nodes = fill();
    for (size_t i = 0; i < ids.size(); ++i) {
        SCOPED_TRACE(rows[i].stored);
        const TreeNode* node = find(nodes, key(ids[i]));
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(node->text, QString::fromLatin1(rows[i].shown));
        EXPECT_EQ(node->image, rows[i].image);
        EXPECT_EQ(node->parentKey, key(rows[i].parent));
    }
    EXPECT_EQ(nodes.size(), 9u);
}

TEST_F(FillTree, AnEmptyLocationsTableGivesNoTreeAndSaysSo) {
    t.db().execute(QStringLiteral("DELETE FROM Locations"));
    locations::clsLocations logic(t.db(), messages);
    EXPECT_FALSE(logic.FillUpLocationTree().has_value());
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown().front().kind, MessageKind::Failure);
    EXPECT_EQ(messages.shown().front().text,
              QStringLiteral("Internal Error: There are No System Locations"));
}

TEST_F(FillTree, ALocationWhoseParentIsMissingIsLeftOutAndNamed) {
    const int kept = t.addLocation(QStringLiteral("Kept"), 1, 2, 1);
    const int lost = t.addLocation(QStringLiteral("lost room"), 999, 3, 1);
    const auto nodes = fill();
    EXPECT_NE(find(nodes, key(kept)), nullptr);
    EXPECT_EQ(find(nodes, key(lost)), nullptr);
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown().front().kind, MessageKind::Failure);
    EXPECT_TRUE(messages.shown().front().text.startsWith(QStringLiteral("Internal Error: ")));
    EXPECT_TRUE(messages.shown().front().text.contains(QStringLiteral("Lost Room")));
}

TEST(ProperCase, WordStartsUpperAndEveryOtherLetterLower) {
    const std::pair<const char*, const char*> cases[] = {
        {"IT dept", "It Dept"},
        {"FINANCE office", "Finance Office"},
        {"available locations", "Available Locations"},
        {"", ""},
        {"a", "A"},
        {"x  y", "X  Y"},
        {"room\tb12", "Room\tB12"},
        {"line\nnext", "Line\nNext"},
        {"o'brien's desk", "O'brien's Desk"},
        {"first-floor", "First-floor"},
        {"(main) HALL", "(main) Hall"},
        {"2nd FLOOR", "2nd Floor"},
        {"éCOLE été", "École Été"},
        {"r&d", "R&d"},
    };
    for (const auto& [text, shown] : cases)
        EXPECT_EQ(locations::properCase(QString::fromUtf8(text)), QString::fromUtf8(shown)) << text;
}

TEST_F(FillTree, ReadOneLevelAtATimeTheTreeIsTheFullFillsAndEachNodeHasItsPath) {
    // Siblings out of id order, three branches, a deep chain, a row parked
    // under a system location of another branch, and rows that have no
    // place: a missing parent, a parent in another branch, a parent not
    // above its child.
    for (const char* desc : {"zeta", "Alpha", "beta"})
        t.addLocation(QString::fromLatin1(desc), 1, 2, 1);
    const int site = t.addLocation(QStringLiteral("Site"), 1, 2, 1);
    const int floor = t.addLocation(QStringLiteral("floor 2"), site, 3, 1);
    const int desk = t.addLocation(QStringLiteral("Desk"), floor, 4, 1);
    const int pool = t.addLocation(QStringLiteral("Pool A"), 2, 2, 2);
    t.addLocation(QStringLiteral("seat"), pool, 3, 2);
    const int parked = t.addLocation(QStringLiteral("old room"), 3, 2, 3);
    t.addLocation(QStringLiteral("under four"), 4, 2, 1);
    const int missing = t.addLocation(QStringLiteral("lost"), 999, 3, 1);
    const int otherBranch = t.addLocation(QStringLiteral("stray"), pool, 3, 1);
    const int sameLevel = t.addLocation(QStringLiteral("flat"), floor, 3, 1);

    locations::clsLocations logic(t.db(), messages);
    const auto full = logic.FillUpLocationTree();
    ASSERT_TRUE(full.has_value());
    const QStringList fullMessages = messages.texts();
    messages.clear();
    const std::vector<TreeNode> levels = testing_support::readEveryLevel(logic);
    testing_support::expectSameTree(*full, levels);
    EXPECT_EQ(messages.texts(), fullMessages);

    // The top holds the root, the system rows and the open branches'
    // children, each marked as the full fill marks it.
    const auto top = logic.TopOfLocationTree();
    ASSERT_TRUE(top.has_value());
    for (const TreeNode& n : *top) {
        const TreeNode* same = find(*full, n.key);
        ASSERT_NE(same, nullptr) << n.key.toStdString();
        EXPECT_EQ(n.expanded, same->expanded) << n.key.toStdString();
        EXPECT_TRUE(n.parentKey.isEmpty() || n.parentKey == QStringLiteral("L0") ||
                    find(*top, n.parentKey)->expanded)
            << n.key.toStdString();
    }

    // Every node's path is its chain of parents in the full fill; a row
    // that is not in the tree has none.
    for (const TreeNode& n : *full) {
        QStringList chain;
        for (const TreeNode* at = &n; at; at = find(*full, at->parentKey))
            chain.prepend(at->key);
        EXPECT_EQ(logic.LocationKeyPath(common::idOfKey(n.key)),
                  n.key == QStringLiteral("L0") ? QStringList() : chain)
            << n.key.toStdString();
    }
    for (int id : {missing, otherBranch, sameLevel, 12345})
        EXPECT_TRUE(logic.LocationKeyPath(id).isEmpty()) << id;
    EXPECT_EQ(logic.LocationKeyPath(desk),
              (QStringList{"L0", "L1", key(site), key(floor), key(desk)}));
    EXPECT_EQ(logic.LocationKeyPath(parked), (QStringList{"L0", "L3", key(parked)}));
    EXPECT_TRUE(logic.ChildLocations(QStringLiteral("L999")).empty());
    EXPECT_TRUE(logic.ChildLocations(QStringLiteral("junk")).empty());
}

TEST_F(FillTree, RowsWithoutAPlaceAreNamedOnTheFirstCheckAndAgainOnlyAfterAWrite) {
    t.addLocation(QStringLiteral("lost room"), 999, 3, 1);
    locations::clsLocations logic(t.db(), messages);
    // The top of the tree reads only what it shows and names nothing.
    ASSERT_TRUE(logic.TopOfLocationTree().has_value());
    EXPECT_TRUE(messages.shown().empty());
    const auto expectMessages = [&](int count) {
        messages.clear();
        EXPECT_EQ(logic.CheckLocationPlaces(), count == 0);
        ASSERT_EQ(messages.shown().size(), static_cast<size_t>(count));
        if (count > 0) {
            EXPECT_EQ(messages.shown().front().kind, MessageKind::Failure);
            EXPECT_TRUE(messages.shown().front().text.endsWith(QStringLiteral(": Lost Room")));
        }
    };
    expectMessages(1);
    expectMessages(0);
    // Writes elsewhere in the register leave the locations as they were.
    const int cat = t.addCategory(QStringLiteral("Any"));
    t.addStock(QStringLiteral("PC-9"), t.addProduct(QStringLiteral("P"), QStringLiteral("PC"), cat),
               store::loc::AvailableLocations);
    expectMessages(0);
    logic.setCurrentLocId(store::loc::AvailableLocations);
    ASSERT_TRUE(logic.AddLocation(QStringLiteral("New Wing")).has_value());
    expectMessages(1);
    expectMessages(0);
}

// Read a slice at a time, whatever the slice, the check names the rows
// without a place as the full fill does: by branch, level, then description
// case-blind.
TEST_F(FillTree, TheCheckReadInSlicesNamesWhatTheFullFillNamesInItsOrder) {
    const int pool = t.addLocation(QStringLiteral("Pool A"), 2, 2, 2);
    for (const char* desc : {"zeta lost", "Kept", "alpha lost", "Beta"})
        t.addLocation(QString::fromLatin1(desc), desc[0] == 'K' ? 1 : 999, 3, 1);
    t.addLocation(QStringLiteral("deep"), 999, 4, 1);
    t.addLocation(QStringLiteral("stray"), pool, 3, 1);
    t.addLocation(QStringLiteral("gone"), 998, 3, 2);
    locations::clsLocations full(t.db(), messages);
    ASSERT_TRUE(full.FillUpLocationTree().has_value());
    ASSERT_EQ(messages.texts().size(), 1);
    const QString named = messages.texts().front();
    EXPECT_TRUE(named.endsWith(QStringLiteral(": Alpha Lost, Beta, Stray, Zeta Lost, Deep, Gone")))
        << named.toStdString();
    for (const int slice : {1, 2, 3, 1000}) {
        SCOPED_TRACE(slice);
        messages.clear();
        locations::clsLocations logic(t.db(), messages);
        std::optional<locations::PlacesCheck> check = logic.StartPlacesCheck();
        ASSERT_TRUE(check.has_value());
        int turns = 0;
        while (!logic.ContinuePlacesCheck(*check, slice) && turns < 1000)
            ++turns;
        EXPECT_EQ(messages.texts(), QStringList{named});
        // Nothing written since: no check is due.
        EXPECT_FALSE(logic.StartPlacesCheck().has_value());
    }
}

// A slice of the check reads its locations by key, however many rows the
// branches hold, and finds each parent by key.
TEST_F(FillTree, ASliceOfTheCheckReadsItsLocationsByKey) {
    SKIP_ON_SERVER("reads SQLite's query plans");
    locations::clsLocations logic(t.db(), messages);
    std::optional<locations::PlacesCheck> check = logic.StartPlacesCheck();
    ASSERT_TRUE(check.has_value());
    testing_support::StatementLog log(t.db());
    logic.ContinuePlacesCheck(*check, 2);
    log.stop();
    ASSERT_EQ(log.texts().size(), 2);
    for (const QString& sql : log.texts()) {
        const QString plan = testing_support::StatementLog::planOf(t.db(), sql);
        EXPECT_TRUE(plan.contains(QStringLiteral("INTEGER PRIMARY KEY (rowid>?")))
            << plan.toStdString();
        EXPECT_FALSE(plan.contains(QStringLiteral("ixLocationsTop"))) << plan.toStdString();
        EXPECT_FALSE(plan.contains(QStringLiteral("SCAN"))) << plan.toStdString();
    }
}
