// The test fixture itself: in memory by default, a keyed file on request,
// and a database in memory asked for its file moves there with its rows.

#include "support/TestDatabase.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "store/StoreConstants.h"

#include <QFile>

#include <gtest/gtest.h>

using testing_support::TestDatabase;
using Storage = testing_support::TestDatabase::Storage;

namespace {

int locationsIn(store::Database& db) {
    store::Query q(db, QStringLiteral("SELECT count(*) AS n FROM Locations"));
    EXPECT_TRUE(q.next());
    return static_cast<int>(q.integer(QStringLiteral("n")));
}

} // namespace

TEST(TestDatabase, BothKindsHoldTheWholeCurrentSchema) {
    SKIP_ON_SERVER("compares sqlite_master of memory and file");
    for (Storage storage : {Storage::Memory, Storage::KeyedFile}) {
        TestDatabase t{storage};
        EXPECT_EQ(t.inMemory(), storage == Storage::Memory);
        EXPECT_EQ(t.db().userVersion(), store::SchemaVersion);
        EXPECT_NO_THROW(store::checkSchema(t.db()));
        EXPECT_EQ(locationsIn(t.db()), 5);
    }
}

TEST(TestDatabase, AKeyedFileDatabaseIsOnDiskAndKeyed) {
    TestDatabase t{TestDatabase::Storage::KeyedFile};
    t.addLocation(QStringLiteral("Office"), 1, 2, 1);
    EXPECT_EQ(t.dir() + QStringLiteral("/") + store::DatabaseFileName, t.path());

    auto opened = store::Database::open(t.path(), store::DatabaseKey);
    store::checkSchema(*opened);
    EXPECT_EQ(locationsIn(*opened), 6);

    QFile f(t.path());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_FALSE(f.readAll().contains("Office")) << "the file is keyed";
}

TEST(TestDatabase, AnInMemoryDatabaseHasNoFile) {
    TestDatabase t;
    EXPECT_THROW(t.dir(), std::logic_error);
}
