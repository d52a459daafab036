// The guard over every file the program writes, and the replacement of a
// file through a temporary one beside it.

#include "common/FileGuard.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "store/StoreConstants.h"
#include "support/TestDatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "support/FileBytes.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using common::Written;
using testing_support::bytesOf;
using testing_support::TestDatabase;
using testing_support::writeBytes;

namespace {

// The live register in its folder, with a folder of the user's beside it.
class FileGuard : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(user.isValid());
        live = common::databaseFile(t.db());
        ASSERT_EQ(QFileInfo(live).canonicalFilePath(), QFileInfo(t.path()).canonicalFilePath());
    }
    QString mine(const QString& name) const { return QDir(user.path()).filePath(name); }
    QString beside(const QString& name) const { return QDir(t.dir()).filePath(name); }
    QStringList filesIn(const QString& dir) const {
        return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }

    TestDatabase t{TestDatabase::Storage::KeyedFile};
    QTemporaryDir user;
    QString live;
};

} // namespace

TEST_F(FileGuard, TheLiveFileAndItsJournalsAreRefusedHoweverNamed) {
    ASSERT_TRUE(QFile::link(t.path(), mine(QStringLiteral("link.pdf"))));
    ASSERT_TRUE(QFile::link(beside(QStringLiteral("AssetManagement.mdb-journal")),
                            mine(QStringLiteral("dangling.pdf"))));
    ASSERT_EQ(::link(QFile::encodeName(t.path()).constData(),
                     QFile::encodeName(mine(QStringLiteral("hard.pdf"))).constData()),
              0);
    const QString up = QStringLiteral("%1/../%2/%3")
                           .arg(t.dir(), QFileInfo(t.dir()).fileName(), store::DatabaseFileName);
    const QString journal = beside(QStringLiteral("AssetManagement.mdb-journal"));
    const QString journalUp = QStringLiteral("%1/../%2/AssetManagement.mdb-journal")
                                  .arg(t.dir(), QFileInfo(t.dir()).fileName());
    const QString refused[] = {
        t.path(),
        up,
        mine(QStringLiteral("link.pdf")),
        mine(QStringLiteral("hard.pdf")),
        journal,
        journalUp,
        beside(QStringLiteral("AssetManagement.mdb-wal")),
        beside(QStringLiteral("AssetManagement.mdb-shm")),
        beside(QStringLiteral("AssetManagement.mdb.lock")),
        mine(QStringLiteral("dangling.pdf")),
    };
    for (const QString& path : refused) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_TRUE(common::isProtectedTarget(path, live, Written::Report));
        EXPECT_TRUE(common::isProtectedTarget(path, live, Written::DatabaseCopy));
    }
    // Beside the register, other names are the user's.
    EXPECT_FALSE(common::isProtectedTarget(beside(QStringLiteral("report.pdf")), live));
    EXPECT_FALSE(common::isProtectedTarget(mine(QStringLiteral("report.pdf")), live));
}

TEST_F(FileGuard, AReportIsRefusedOverAnyAssetDatabaseButABackupMayReplaceOne) {
    // A backup with the program's extension, the same renamed, an unkeyed
    // database, and the register's name in a folder of its own.
    ASSERT_TRUE(QFile::copy(t.path(), mine(QStringLiteral("nightly.mdb"))));
    ASSERT_TRUE(QFile::copy(t.path(), mine(QStringLiteral("nightly.bak"))));
    writeBytes(mine(QStringLiteral("plain.db")),
               QByteArray("SQLite format 3\0", 16) + QByteArray(4080, '\0'));
    const QString otherRegister = mine(QStringLiteral("assetmanagement.MDB"));
    struct Case {
        QString path;
        bool report;
    };
    // A file of whole pages that is no database is the user's.
    writeBytes(mine(QStringLiteral("pages.bin")), QByteArray(8192, 'x'));
    writeBytes(mine(QStringLiteral("old.pdf")), QByteArrayLiteral("%PDF-1.4 old"));
    const Case cases[] = {
        {mine(QStringLiteral("nightly.mdb")), true}, {mine(QStringLiteral("nightly.bak")), true},
        {mine(QStringLiteral("plain.db")), true},    {otherRegister, true},
        {mine(QStringLiteral("pages.bin")), false},  {mine(QStringLiteral("old.pdf")), false},
        {mine(QStringLiteral("new.mdb")), false}, // not there yet: no database
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        EXPECT_EQ(common::isProtectedTarget(c.path, live, Written::Report), c.report);
        EXPECT_FALSE(common::isProtectedTarget(c.path, live, Written::DatabaseCopy));
    }
}

TEST_F(FileGuard, TheRefusalNamesTheFile) {
    EXPECT_EQ(common::protectedTargetRefusal(QStringLiteral("/x/AssetManagement.mdb")),
              QStringLiteral("The report cannot be saved as \"/x/AssetManagement.mdb\": that file "
                             "belongs to the program or its database. Choose another file."));
}

TEST_F(FileGuard, AReplacementTakesTheTargetsPlaceOnlyWhenCommitted) {
    const QString target = mine(QStringLiteral("report.pdf"));
    writeBytes(target, QByteArrayLiteral("old"));
    ASSERT_TRUE(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner |
                                                  QFile::ReadGroup | QFile::ReadOther));
    const QFile::Permissions mode = QFile::permissions(target);
    {
        common::ReplacementFile file(target);
        ASSERT_TRUE(file.create()) << file.errorString().toStdString();
        writeBytes(file.temporaryPath(), QByteArrayLiteral("half"));
        // Dropped without commit: the old file stays, the temporary goes.
    }
    EXPECT_EQ(bytesOf(target), QByteArrayLiteral("old"));
    EXPECT_EQ(filesIn(user.path()), QStringList{QStringLiteral("report.pdf")});
    {
        common::ReplacementFile file(target);
        ASSERT_TRUE(file.create());
        writeBytes(file.temporaryPath(), QByteArrayLiteral("new"));
        ASSERT_TRUE(file.commit()) << file.errorString().toStdString();
    }
    EXPECT_EQ(bytesOf(target), QByteArrayLiteral("new"));
    EXPECT_EQ(QFile::permissions(target), mode);
    EXPECT_EQ(filesIn(user.path()), QStringList{QStringLiteral("report.pdf")});
}

TEST_F(FileGuard, ANewFileGetsTheUmasksModeAndALinkKeepsPointingAtItsFile) {
    const mode_t before = ::umask(027);
    const QString fresh = mine(QStringLiteral("fresh.csv"));
    {
        common::ReplacementFile file(fresh);
        ASSERT_TRUE(file.create());
        ASSERT_TRUE(file.commit());
    }
    ::umask(before);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(fresh).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    const QString real = mine(QStringLiteral("real.csv"));
    const QString link = mine(QStringLiteral("link.csv"));
    writeBytes(real, QByteArrayLiteral("old"));
    ASSERT_TRUE(QFile::link(real, link));
    common::ReplacementFile file(link);
    ASSERT_TRUE(file.create());
    writeBytes(file.temporaryPath(), QByteArrayLiteral("new"));
    ASSERT_TRUE(file.commit());
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(bytesOf(real), QByteArrayLiteral("new"));
}

TEST_F(FileGuard, AReplacementSyncsBeforeItsRenameAndClearsAKilledWritersLeftover) {
    // What a writer killed half-way leaves: a copy under the temporary
    // pattern that no process holds.
    const QString target = mine(QStringLiteral("report.pdf"));
    const QString leftover = mine(QStringLiteral(".report.pdf.Ab12Cd"));
    writeBytes(leftover, QByteArrayLiteral("half a report"));

    struct Recording : common::FileSync {
        QStringList steps;
        QString target;
        void file(const QString& path) override {
            steps << (QFileInfo::exists(target) ? QStringLiteral("sync after rename")
                                                : QStringLiteral("sync"));
            EXPECT_NE(path, target);
        }
        void directory(const QString&) override { steps << QStringLiteral("folder"); }
    } sync;
    sync.target = target;
    common::ReplacementFile file(target, sync);
    ASSERT_TRUE(file.create()) << file.errorString().toStdString();
    EXPECT_FALSE(QFileInfo::exists(leftover)) << "the leftover goes";
    writeBytes(file.temporaryPath(), QByteArrayLiteral("whole report"));
    ASSERT_TRUE(file.commit()) << file.errorString().toStdString();
    EXPECT_EQ(sync.steps, (QStringList{"sync", "folder"}));
    EXPECT_EQ(bytesOf(target), QByteArrayLiteral("whole report"));
    EXPECT_EQ(filesIn(user.path()), QStringList{QStringLiteral("report.pdf")});
}

TEST_F(FileGuard, AReplacementInAFolderThatCannotTakeItFails) {
    common::ReplacementFile file(mine(QStringLiteral("no/such/folder/report.pdf")));
    EXPECT_FALSE(file.create());
    EXPECT_FALSE(file.errorString().isEmpty());
    EXPECT_FALSE(file.commit());
}
