// The encrypted page of a register file: new files get the current size,
// files made with the old one still open, and copies keep their file's size.

#include "seed/Seed.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "store/StoreConstants.h"
#include "support/RegisterFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using store::Database;
using testing_support::makeOldPagesCopy;
using testing_support::registerLines;

namespace {

int enginePageSize(Database& db) {
    store::Query q(db, QStringLiteral("PRAGMA page_size"));
    EXPECT_TRUE(q.next());
    return static_cast<int>(q.integer(QStringLiteral("page_size")));
}

} // namespace

TEST(PageSize, ANewFileHasTheNewPages) {
    static_assert(store::PageSize == 4096);
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(store::DatabaseFileName);
    store::createAssetDatabase(path);
    auto db = Database::open(path, store::DatabaseKey);
    EXPECT_EQ(db->pageSize(), store::PageSize);
    EXPECT_EQ(enginePageSize(*db), store::PageSize);
    EXPECT_EQ(QFileInfo(path).size() % store::PageSize, 0);
    EXPECT_TRUE(Database::opensWithKey(path, store::DatabaseKey));
}

TEST(PageSize, AFileOfOldPagesOpensAndItsCopiesKeepItsPages) {
    QTemporaryDir dir;
    const QString fresh = QDir(dir.path()).filePath(QStringLiteral("fresh.mdb"));
    const QString old = QDir(dir.path()).filePath(QStringLiteral("old.mdb"));
    seed::createSeededDatabase(fresh, 0.002);
    makeOldPagesCopy(fresh, old);
    EXPECT_EQ(registerLines(old), registerLines(fresh)) << "the old file holds the same register";
    EXPECT_TRUE(Database::opensWithKey(old, store::DatabaseKey));

    // Each file's backup is a file of its own page size, whole.
    for (const QString& original : {fresh, old}) {
        SCOPED_TRACE(original.toStdString());
        auto db = Database::open(original, store::DatabaseKey);
        const int size = original == old ? store::OldPageSize : store::PageSize;
        EXPECT_EQ(db->pageSize(), size);
        EXPECT_EQ(enginePageSize(*db), size);
        const QString copy = original + QStringLiteral(".copy");
        std::int64_t lastDone = -1;
        std::int64_t lastTotal = 0;
        db->backupTo(copy, [&](std::int64_t done, std::int64_t total) {
            EXPECT_GT(done, lastDone) << "each step copies more";
            lastDone = done;
            lastTotal = total;
        });
        EXPECT_EQ(lastDone, lastTotal) << "the last step reports every page";
        EXPECT_EQ(lastTotal * size, QFileInfo(original).size());
        auto copied = Database::open(copy, store::DatabaseKey);
        EXPECT_EQ(copied->pageSize(), size);
        copied.reset();
        EXPECT_EQ(registerLines(copy), registerLines(fresh));
    }
}

TEST(PageSize, ABackupStoppedHalfWayThrowsWhatStoppedIt) {
    QTemporaryDir dir;
    const QString original = QDir(dir.path()).filePath(QStringLiteral("register.mdb"));
    seed::createSeededDatabase(original, 0.02);
    auto db = Database::open(original, store::DatabaseKey);
    struct Stop {};
    std::int64_t stoppedAt = 0;
    std::int64_t pages = 0;
    EXPECT_THROW(db->backupTo(QDir(dir.path()).filePath(QStringLiteral("copy.mdb")),
                              [&](std::int64_t done, std::int64_t total) {
                                  stoppedAt = done;
                                  pages = total;
                                  throw Stop{};
                              }),
                 Stop);
    EXPECT_GT(stoppedAt, 0);
    EXPECT_LT(stoppedAt, pages) << "stopped before the end";
    // The connection goes on as before.
    EXPECT_TRUE(db->exists(QStringLiteral("SELECT 1 FROM Locations")));
}

TEST(PageSize, AFileOfNeitherSizeNorKeyIsRefusedAsNoDatabase) {
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("other.mdb"));
    {
        auto other = Database::create(path, QStringLiteral("another key"));
        store::createSchema(*other);
    }
    try {
        Database::open(path, store::DatabaseKey);
        ADD_FAILURE() << "a file of another key opened";
    } catch (const store::DbError& error) {
        EXPECT_TRUE(error.isDamage());
        EXPECT_FALSE(error.isCorrupt());
    }
    EXPECT_FALSE(Database::opensWithKey(path, store::DatabaseKey));
}
