// The connection's count of changed rows, by which the main window tells
// whether anything was written since a page was filled.

#include "store/Database.h"
#include "store/StoreConstants.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

namespace {

using testing_support::TestDatabase;

TEST(ChangeCount, GrowsByTheRowsEveryKindOfWriteChangesAndNotByReads) {
    TestDatabase t;
    store::Database& db = t.db();
    const int category = t.addCategory(QStringLiteral("PCs"));
    const int product = t.addProduct(QStringLiteral("P1"), QStringLiteral("Desk PC"), category);
    struct Case {
        const char* what;
        std::function<void()> work;
        std::int64_t rows;
    };
    const Case cases[] = {
        {"a read", [&] { db.exists(QStringLiteral("SELECT 1 FROM Stock")); }, 0},
        {"an insert",
         [&] { t.addStock(QStringLiteral("S1"), product, store::loc::AvailableLocations); }, 1},
        {"a second insert",
         [&] { t.addStock(QStringLiteral("S2"), product, store::loc::AvailableLocations); }, 1},
        {"an update of two rows", [&] { db.execute(QStringLiteral("UPDATE Stock SET Cost = 5")); },
         2},
        {"a delete that finds nothing",
         [&] { db.execute(QStringLiteral("DELETE FROM Stock WHERE Stock_ID < 0")); }, 0},
        {"several statements in one text",
         [&] {
             db.run(QStringLiteral("UPDATE Stock SET Cost = 6 WHERE Stock_Code = 'S1'; "
                                   "UPDATE Stock SET Cost = 7 WHERE Stock_Code = 'S2'"));
         },
         2},
        // No WHERE: the engine may empty the table in one step.
        {"a delete of every row", [&] { db.run(QStringLiteral("DELETE FROM Stock")); }, 2},
        // Work rolled back counts as well: a refill too many, never one too few.
        {"a rolled-back insert",
         [&] {
             store::Transaction transaction(db);
             t.addStock(QStringLiteral("S3"), product, store::loc::AvailableLocations);
         },
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::int64_t before = db.changeCount();
        c.work();
        // Rows that triggers keep (the folded search texts) count as well,
        // so a write counts at least the rows it changed itself.
        if (c.rows == 0)
            EXPECT_EQ(db.changeCount() - before, 0);
        else
            EXPECT_GE(db.changeCount() - before, c.rows);
    }
}

TEST(ChangeCount, IsKeptAcrossCloseAndReopen) {
    TestDatabase t(TestDatabase::Storage::KeyedFile);
    t.addCategory(QStringLiteral("PCs"));
    const std::int64_t before = t.db().changeCount();
    ASSERT_GT(before, 0);
    t.db().close();
    EXPECT_EQ(t.db().changeCount(), before);
    t.db().reopen();
    EXPECT_EQ(t.db().changeCount(), before) << "a new connection starts at none";
    t.addCategory(QStringLiteral("Printers"));
    EXPECT_GT(t.db().changeCount(), before);
    // So are the rows of each table, named in any case, and only those.
    const std::int64_t categories = t.db().tableChangeCount(QStringLiteral("categories"));
    const std::int64_t locations = t.db().tableChangeCount(QStringLiteral("Locations"));
    EXPECT_GE(categories, 2);
    t.addLocation(QStringLiteral("Office"), 1, 2, 1);
    EXPECT_EQ(t.db().tableChangeCount(QStringLiteral("Locations")), locations + 1);
    EXPECT_EQ(t.db().tableChangeCount(QStringLiteral("CATEGORIES")), categories);
}

} // namespace
