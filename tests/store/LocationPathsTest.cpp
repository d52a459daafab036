// Location paths read on demand give what the whole location table gives:
// the tree is read here in one pass and walked in memory, and every
// location, asked for alone, in one prefetch or in batches, must come out
// the same.

#include "store/LocationPaths.h"
#include "store/Database.h"
#include "store/StoreConstants.h"

#include "support/TestDatabase.h"

#include <QHash>
#include <QStringList>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

// The whole table, walked in memory: the reference the on-demand reads
// must match.
struct WholeTable {
    struct Row {
        QString desc;
        int parent = 0;
    };
    QHash<int, Row> rows;

    explicit WholeTable(store::Database& db) {
        store::Query q(db, QStringLiteral("SELECT Loc_ID, Loc_Desc, Loc_ParentID FROM Locations"));
        while (q.next())
            rows.insert(static_cast<int>(q.integer(QStringLiteral("Loc_ID"))),
                        {q.text(QStringLiteral("Loc_Desc")),
                         static_cast<int>(q.integer(QStringLiteral("Loc_ParentID")))});
    }

    // The ids from the location up to its top, or 256 of them in a ring.
    std::vector<int> chain(int id) const {
        std::vector<int> ids;
        for (int depth = 0; depth < 256 && rows.contains(id); ++depth) {
            ids.push_back(id);
            const int parent = rows.value(id).parent;
            if (parent == store::loc::None || parent == id)
                break;
            id = parent;
        }
        return ids;
    }
    QString path(int id) const {
        QStringList names;
        for (const int at : chain(id))
            if ((at != store::loc::AvailableLocations && at != store::loc::AvailableLicences) ||
                names.isEmpty())
                names.prepend(rows.value(at).desc);
        return names.join(store::LocationPaths::Separator);
    }
    QString fullPath(int id) const {
        QStringList names;
        for (const int at : chain(id))
            names.prepend(rows.value(at).desc);
        return names.join(QStringLiteral(" / "));
    }
    int branchOf(int id) const {
        const std::vector<int> ids = chain(id);
        if (ids.empty())
            return 0;
        const Row& top = rows.value(ids.back());
        return top.parent == store::loc::None || top.parent == ids.back() ? ids.back() : 0;
    }
    std::vector<int> named(const QString& desc) const {
        std::vector<int> ids;
        for (auto row = rows.cbegin(); row != rows.cend(); ++row)
            if (row->desc.toCaseFolded() == desc.trimmed().toCaseFolded())
                ids.push_back(row.key());
        std::sort(ids.begin(), ids.end());
        return ids;
    }
};

// A small tree with the reserved rows, a removed branch, a deep branch, a
// ring of two and a row that is its own parent:
//   1 Available Locations / Head Office / Floor 1 / Room 1 ... / Desk
//   2 Available Licences / Pool A
//   3 Removed Locations / Old Room
//   Ring A <-> Ring B; Self -> Self
class LocationPathsTest : public ::testing::Test {
protected:
    void SetUp() override {
        headOffice = t.addLocation(QStringLiteral("Head Office"), store::loc::AvailableLocations, 2,
                                   store::loc::AvailableLocations);
        floor1 =
            t.addLocation(QStringLiteral("Floor 1"), headOffice, 3, store::loc::AvailableLocations);
        room = t.addLocation(QStringLiteral("Room 1"), floor1, 4, store::loc::AvailableLocations);
        desk = t.addLocation(QStringLiteral("Desk"), room, 5, store::loc::AvailableLocations);
        // A second "Room 1", in another case, elsewhere.
        otherRoom =
            t.addLocation(QStringLiteral("ROOM 1"), headOffice, 3, store::loc::AvailableLocations);
        cafe = t.addLocation(QStringLiteral("Café"), headOffice, 3, store::loc::AvailableLocations);
        pool = t.addLocation(QStringLiteral("Pool A"), store::loc::AvailableLicences, 2,
                             store::loc::AvailableLicences);
        oldRoom = t.addLocation(QStringLiteral("Old Room"), store::loc::RemovedLocations, 2,
                                store::loc::RemovedLocations);
        ringA =
            t.addLocation(QStringLiteral("Ring A"), headOffice, 3, store::loc::AvailableLocations);
        ringB = t.addLocation(QStringLiteral("Ring B"), ringA, 4, store::loc::AvailableLocations);
        self = t.addLocation(QStringLiteral("Self"), headOffice, 3, store::loc::AvailableLocations);
        t.db().run(QStringLiteral("PRAGMA foreign_keys = OFF"));
        t.db().execute(QStringLiteral("UPDATE Locations SET Loc_ParentID = ? WHERE Loc_ID = ?"),
                       ringB, ringA);
        t.db().execute(QStringLiteral("UPDATE Locations SET Loc_ParentID = ? WHERE Loc_ID = ?"),
                       self, self);
    }

    std::vector<int> ids() const {
        std::vector<int> all;
        for (int id = 0; id <= self + 2; ++id)
            all.push_back(id);
        all.push_back(-7);
        return all;
    }

    testing_support::TestDatabase t;
    int headOffice = 0, floor1 = 0, room = 0, desk = 0, otherRoom = 0, cafe = 0, pool = 0,
        oldRoom = 0, ringA = 0, ringB = 0, self = 0;
};

TEST_F(LocationPathsTest, OnDemandReadsGiveTheWholeTablesPaths) {
    const WholeTable whole(t.db());
    const store::LocationPaths prefetched(t.db(), ids());
    for (const int id : ids()) {
        // Alone: nothing read before the question.
        const store::LocationPaths alone(t.db());
        for (const store::LocationPaths* paths : {&alone, &prefetched}) {
            const char* how = paths == &alone ? "alone" : "prefetched";
            EXPECT_EQ(paths->path(id), whole.path(id)) << id << ' ' << how;
            EXPECT_EQ(paths->fullPath(id, QStringLiteral(" / ")), whole.fullPath(id))
                << id << ' ' << how;
            EXPECT_EQ(paths->branchOf(id), whole.branchOf(id)) << id << ' ' << how;
            EXPECT_EQ(paths->contains(id), whole.rows.contains(id)) << id << ' ' << how;
        }
    }
}

TEST_F(LocationPathsTest, PathsOfTheCases) {
    const store::LocationPaths paths(t.db());
    struct Case {
        int id;
        const char* path;
        const char* fullPath;
        int branch;
    };
    const Case cases[] = {
        {desk, "Head Office › Floor 1 › Room 1 › Desk",
         "Available Locations / Head Office / Floor 1 / Room 1 / Desk",
         store::loc::AvailableLocations},
        {pool, "Pool A", "Available Licences / Pool A", store::loc::AvailableLicences},
        {store::loc::AvailableLicences, "Available Licences", "Available Licences",
         store::loc::AvailableLicences},
        {oldRoom, "Removed Locations › Old Room", "Removed Locations / Old Room",
         store::loc::RemovedLocations},
        {store::loc::RemovedStock, "Removed Stock", "Removed Stock", store::loc::RemovedStock},
        {self, "Self", "Self", self},
        {9999, "", "", 0},
        {store::loc::None, "", "", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(paths.path(c.id), QString::fromUtf8(c.path)) << c.id;
        EXPECT_EQ(paths.fullPath(c.id, QStringLiteral(" / ")), QString::fromUtf8(c.fullPath))
            << c.id;
        EXPECT_EQ(paths.branchOf(c.id), c.branch) << c.id;
    }
    // A ring ends: a path of names of its own rows, and no branch.
    EXPECT_TRUE(paths.path(ringB).startsWith(QStringLiteral("Ring")));
    EXPECT_EQ(paths.branchOf(ringA), 0);
}

TEST_F(LocationPathsTest, NamesMatchTrimmedAndCaseBlindButNotAccentBlind) {
    const WholeTable whole(t.db());
    const store::LocationPaths paths(t.db());
    const QStringList asked = {QStringLiteral("room 1"),       QStringLiteral("  Desk "),
                               QStringLiteral("CAFÉ"),         QStringLiteral("Cafe"),
                               QStringLiteral("Nowhere"),      QStringLiteral("Available Licences"),
                               QStringLiteral("removed stock")};
    paths.prefetchNamed(asked);
    for (const QString& desc : asked)
        EXPECT_EQ(paths.named(desc), whole.named(desc)) << desc.toStdString();
    EXPECT_EQ(paths.named(QStringLiteral("room 1")), (std::vector<int>{room, otherRoom}));
    EXPECT_EQ(paths.named(QStringLiteral("cafe")), std::vector<int>{});
    EXPECT_EQ(paths.named(QStringLiteral("café")), std::vector<int>{cafe});
    // The locations found by name have their own rows read; a prefetch of
    // them reads their ancestors, and their paths are the whole table's.
    std::vector<int> found;
    for (const QString& desc : asked)
        for (const int id : paths.named(desc))
            found.push_back(id);
    ASSERT_FALSE(found.empty());
    paths.prefetch(found);
    for (const int id : found)
        EXPECT_EQ(paths.path(id), whole.path(id)) << id;
    // Asked without a prefetch, on a fresh object.
    const store::LocationPaths fresh(t.db());
    EXPECT_EQ(fresh.named(QStringLiteral(" DESK")), std::vector<int>{desk});
    EXPECT_EQ(fresh.path(desk), QStringLiteral("Head Office › Floor 1 › Room 1 › Desk"));
}

TEST(LocationPaths, ManyLocationsGiveTheSamePathsReadInBatchesOrWhole) {
    testing_support::TestDatabase t;
    // More locations on one level than one statement reads by id, and more
    // than one prefetch reads one by one.
    const int site = t.addLocation(QStringLiteral("Site"), store::loc::AvailableLocations, 2,
                                   store::loc::AvailableLocations);
    std::vector<int> rooms;
    QStringList names;
    {
        store::Transaction tx(t.db());
        for (int i = 0; i <= store::LocationPaths::WholeTableAbove; ++i) {
            names << QStringLiteral("Room %1").arg(i);
            rooms.push_back(t.addLocation(names.back(), site, 3, store::loc::AvailableLocations));
        }
        tx.commit();
    }
    const std::vector<int> some(rooms.begin(),
                                rooms.begin() + store::LocationPaths::BatchSize * 2 + 7);
    const std::vector<int> all = rooms;
    for (const std::vector<int>* asked : {&some, &all}) {
        const store::LocationPaths paths(t.db(), *asked);
        paths.prefetchNamed(names.mid(0, static_cast<qsizetype>(asked->size())));
        for (size_t i = 0; i < asked->size(); ++i) {
            ASSERT_EQ(paths.path(rooms[i]), QStringLiteral("Site › Room %1").arg(i));
            ASSERT_EQ(paths.named(names.at(static_cast<qsizetype>(i))), std::vector<int>{rooms[i]});
        }
        // Asked after the prefetch: a location not read yet, one that is
        // not there.
        EXPECT_EQ(paths.path(rooms.back()), QStringLiteral("Site › Room %1").arg(rooms.size() - 1));
        EXPECT_FALSE(paths.contains(rooms.back() + 1));
        EXPECT_EQ(paths.path(rooms.back() + 1), QString());
        EXPECT_EQ(paths.branchOf(rooms.front()), store::loc::AvailableLocations);
    }
}

} // namespace
