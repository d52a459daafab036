#include "shell/DatabaseFile.h"
#include "shell/StartUp.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "store/StoreConstants.h"
#include "support/RecordingRunner.h"
#include "support/RegisterFiles.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "support/FileBytes.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <sqlite3.h>
#include <sys/stat.h>

using common::FileError;
using shell::DatabaseFile;
using testing_support::bytesOf;
using testing_support::TestDatabase;
using testing_support::writeBytes;

using testing_support::modeOf;

namespace {

// The categories of a database file, in id order, read with the key.
QStringList categoriesIn(const QString& path) {
    auto db = store::Database::open(path, store::DatabaseKey);
    store::Query q(*db, QStringLiteral("SELECT Cat_Desc FROM Categories ORDER BY Cat_ID"));
    QStringList out;
    while (q.next())
        out << q.text(QStringLiteral("Cat_Desc"));
    return out;
}

QStringList categoriesIn(store::Database& db) {
    store::Query q(db, QStringLiteral("SELECT Cat_Desc FROM Categories ORDER BY Cat_ID"));
    QStringList out;
    while (q.next())
        out << q.text(QStringLiteral("Cat_Desc"));
    return out;
}

// The file names in a directory, hidden ones too.
QStringList filesIn(const QString& dir) {
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// The permission bits of a file (not of a link's target).
// Sets the process's umask for one scope.
class Umask {
public:
    explicit Umask(mode_t mask) : saved_(::umask(mask)) {}
    ~Umask() { ::umask(saved_); }
    Umask(const Umask&) = delete;
    Umask& operator=(const Umask&) = delete;

private:
    mode_t saved_;
};

// A DatabaseFile whose rename fails, as a full disk or a pulled drive
// would make it fail between the copy and the rename.
class FailingRename : public DatabaseFile {
public:
    using DatabaseFile::DatabaseFile;
    int attempts = 0;

protected:
    void replaceFile(const QString&, const QString&) override {
        ++attempts;
        throw common::FileError(QStringLiteral("Input/output error"), 5);
    }
};

// A live keyed database in its own directory, with a few categories, and a
// second directory for the user's copies.
class DatabaseFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(elsewhere.isValid());
        t.addCategory(QStringLiteral("Laptops"));
        t.addCategory(QStringLiteral("Printers"));
    }

    QString copyPath(const QString& name) const { return QDir(elsewhere.path()).filePath(name); }

    // A sound asset database file at path holding the given categories.
    static void makeAssetFile(const QString& path, const QStringList& categories) {
        store::createAssetDatabase(path);
        auto db = store::Database::open(path, store::DatabaseKey);
        for (const QString& c : categories)
            db->execute(QStringLiteral("INSERT INTO Categories (Cat_Desc) VALUES (?)"), c);
    }

    // The live connection answers and takes a change.
    void expectLiveUsable() {
        ASSERT_TRUE(t.db().isOpen());
        EXPECT_NO_THROW(t.addCategory(QStringLiteral("Still working")));
        EXPECT_EQ(categoriesIn(t.db()).last(), QStringLiteral("Still working"));
    }

    TestDatabase t{TestDatabase::Storage::KeyedFile};
    QTemporaryDir elsewhere;
    DatabaseFile file{t.db(), t.dir()};
};

} // namespace

TEST(BackupName, DotMdbIsAppendedUnlessTheNameEndsInExactlyDotMdb) {
    const struct {
        const char* chosen;
        const char* written;
    } cases[] = {
        {"/b/copy", "/b/copy.mdb"},
        {"/b/copy.mdb", "/b/copy.mdb"},
        {"/b/copy.MDB", "/b/copy.MDB.mdb"},
        {"/b/copy.Mdb", "/b/copy.Mdb.mdb"},
        {"/b/copy.mdbx", "/b/copy.mdbx.mdb"},
        {"/b/copy.txt", "/b/copy.txt.mdb"},
        {"/b/.mdb", "/b/.mdb"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(shell::backupName(QString::fromLatin1(c.chosen)), QString::fromLatin1(c.written))
            << c.chosen;
}

TEST_F(DatabaseFileTest, TheLiveFileIsKnownHoweverItsPathIsWritten) {
    const QString live = t.path();
    const QString sub = QDir(t.dir()).filePath(QStringLiteral("sub"));
    ASSERT_TRUE(QDir().mkpath(sub));
    const QString viaDots = sub + QStringLiteral("/../") + store::DatabaseFileName;
    const QString link = copyPath(QStringLiteral("link.mdb"));
    ASSERT_TRUE(QFile::link(live, link));
    const QString hardLink = copyPath(QStringLiteral("hard.mdb"));
    std::filesystem::create_hard_link(live.toStdString(), hardLink.toStdString());
    const QString other = copyPath(QStringLiteral("other.mdb"));
    makeAssetFile(other, {});

    EXPECT_TRUE(file.isLiveFile(live));
    EXPECT_TRUE(file.isLiveFile(viaDots));
    EXPECT_TRUE(file.isLiveFile(link));
    EXPECT_TRUE(file.isLiveFile(hardLink));
    EXPECT_FALSE(file.isLiveFile(other));
    EXPECT_FALSE(file.isLiveFile(copyPath(QStringLiteral("missing.mdb"))));
    // On a file system that tells capitals apart, another spelling is
    // another (here missing) file.
    EXPECT_FALSE(file.isLiveFile(QDir(t.dir()).filePath(QStringLiteral("ASSETMANAGEMENT.MDB"))));
}

TEST_F(DatabaseFileTest, BackupOfTheOpenDatabaseRestoresToTheSameRows) {
    const QString backup = copyPath(QStringLiteral("monday.mdb"));
    ASSERT_EQ(file.backup(backup), std::nullopt);
    EXPECT_EQ(categoriesIn(backup), (QStringList{"Laptops", "Printers"}));

    // Work goes on after the backup, then the backup is restored.
    t.addCategory(QStringLiteral("Monitors"));
    t.db().execute(QStringLiteral("DELETE FROM Categories WHERE Cat_Desc = ?"),
                   QStringLiteral("Laptops"));
    ASSERT_EQ(file.restore(backup), std::nullopt);

    EXPECT_FALSE(t.db().isOpen()) << "the program ends after a restore";
    EXPECT_EQ(categoriesIn(t.path()), (QStringList{"Laptops", "Printers"}));
    EXPECT_EQ(filesIn(t.dir()), QStringList{store::DatabaseFileName}) << "no temporary file left";
    EXPECT_TRUE(QFile::exists(backup)) << "the source is copied, not moved";
}

TEST_F(DatabaseFileTest, BackupReplacesAnOlderFileOfTheSameNameAndLeavesNoTemporaryFile) {
    const QString backup = copyPath(QStringLiteral("weekly.mdb"));
    writeBytes(backup, "last week's copy");
    ASSERT_EQ(file.backup(backup), std::nullopt);
    EXPECT_EQ(categoriesIn(backup), (QStringList{"Laptops", "Printers"}));
    EXPECT_EQ(filesIn(elsewhere.path()), QStringList{QStringLiteral("weekly.mdb")});
}

TEST_F(DatabaseFileTest, BackupThroughALinkReplacesTheFileTheLinkNames) {
    const QString target = copyPath(QStringLiteral("target.mdb"));
    writeBytes(target, "old");
    const QString link = copyPath(QStringLiteral("latest.mdb"));
    ASSERT_TRUE(QFile::link(target, link));
    ASSERT_EQ(file.backup(link), std::nullopt);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(categoriesIn(target), (QStringList{"Laptops", "Printers"}));
}

TEST_F(DatabaseFileTest, AFailedBackupKeepsTheOlderBackup) {
    const QString backup = copyPath(QStringLiteral("weekly.mdb"));
    makeAssetFile(backup, {QStringLiteral("Last week")});
    const QByteArray before = bytesOf(backup);
    FailingRename failing(t.db(), t.dir());
    EXPECT_THROW(failing.backup(backup), common::FileError);
    EXPECT_EQ(failing.attempts, 1);
    EXPECT_EQ(bytesOf(backup), before);
    EXPECT_EQ(filesIn(elsewhere.path()), QStringList{QStringLiteral("weekly.mdb")});
    expectLiveUsable();
}

TEST_F(DatabaseFileTest, BackupIntoAMissingFolderFailsWithTheSystemsDescription) {
    try {
        file.backup(copyPath(QStringLiteral("no/such/folder/copy.mdb")));
        FAIL() << "no error";
    } catch (const common::FileError& error) {
        EXPECT_FALSE(error.description().isEmpty());
    }
    expectLiveUsable();
}

TEST_F(DatabaseFileTest, NeitherBackupOntoNorRestoreFromTheLiveFileIsPossible) {
    const QString link = copyPath(QStringLiteral("link.mdb"));
    ASSERT_TRUE(QFile::link(t.path(), link));
    const QString viaDots = copyPath(QStringLiteral("..")) + QStringLiteral("/") +
                            QDir(QFileInfo(t.path()).absolutePath()).dirName() +
                            QStringLiteral("/") + store::DatabaseFileName;
    ASSERT_TRUE(QFileInfo::exists(viaDots)) << viaDots.toStdString();
    const QByteArray before = bytesOf(t.path());
    for (const QString& path : {t.path(), link, viaDots}) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_EQ(file.backup(path), shell::CannotBackUpLive);
        EXPECT_EQ(file.restore(path), shell::CannotRestoreLive);
        EXPECT_EQ(bytesOf(t.path()), before);
    }
    EXPECT_EQ(filesIn(t.dir()), QStringList{store::DatabaseFileName});
    expectLiveUsable();
}

TEST_F(DatabaseFileTest, RestoreRefusesUnsoundFilesAndLeavesTheLiveFileAsItWas) {
    const QString notDb = copyPath(QStringLiteral("notes.mdb"));
    writeBytes(notDb, QByteArray("These are not the droids you are looking for.\n").repeated(200));

    const QString otherKey = copyPath(QStringLiteral("otherkey.mdb"));
    {
        auto db = store::Database::create(otherKey, QStringLiteral("not the key"));
        store::createSchema(*db);
    }

    // The asset tables in a file with no key at all.
    const QString plain = copyPath(QStringLiteral("plain.mdb"));
    {
        sqlite3* raw = nullptr;
        ASSERT_EQ(sqlite3_open(plain.toUtf8().constData(), &raw), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(raw,
                               "CREATE TABLE Categories (Cat_ID INTEGER PRIMARY KEY, Cat_Desc "
                               "TEXT); PRAGMA user_version = 2;",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(raw);
    }

    const QString otherSchema = copyPath(QStringLiteral("otherschema.mdb"));
    {
        auto db = store::Database::create(otherSchema, store::DatabaseKey);
        db->run(
            QStringLiteral("CREATE TABLE Invoices (Inv_ID INTEGER PRIMARY KEY, Total INTEGER)"));
        db->setUserVersion(1);
    }

    const QString newer = copyPath(QStringLiteral("newer.mdb"));
    makeAssetFile(newer, {});
    store::Database::open(newer, store::DatabaseKey)->setUserVersion(store::SchemaVersion + 1);

    // Damage in the schema's pages near the start, and in the rows' pages
    // near the end.
    const QString damaged = copyPath(QStringLiteral("damaged.mdb"));
    const QString damagedRows = copyPath(QStringLiteral("damagedrows.mdb"));
    {
        QStringList many;
        for (int i = 0; i < 400; ++i)
            many << QStringLiteral("Category %1 with a long enough description").arg(i);
        makeAssetFile(damaged, many);
        const QByteArray sound = bytesOf(damaged);
        ASSERT_GT(sound.size(), 8 * 4096);
        const auto spoil = [&](const QString& path, int offset) {
            QByteArray bytes = sound;
            for (int i = offset; i < offset + 60; ++i)
                bytes[i] = static_cast<char>(bytes[i] ^ 0x5a);
            writeBytes(path, bytes);
        };
        spoil(damaged, 3 * 4096 + 200);
        spoil(damagedRows, static_cast<int>(sound.size()) - 2 * 4096 + 200);
    }

    const QString empty = copyPath(QStringLiteral("empty.mdb"));
    writeBytes(empty, QByteArray());

    const struct {
        QString path;
        const char* reason; // a part of the reason given
    } cases[] = {
        {notDb, "not an asset database, or it is protected by another password"},
        {otherKey, "not an asset database, or it is protected by another password"},
        {plain, "not an asset database, or it is protected by another password"},
        {otherSchema, "does not hold an asset register"},
        {newer, "newer version"},
        {damaged, "it is damaged"},
        {damagedRows, "it is damaged"},
        {empty, "does not hold an asset register"},
        {copyPath(QStringLiteral("missing.mdb")), "cannot be read"},
    };
    const QByteArray before = bytesOf(t.path());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        const std::optional<QString> refusal = file.restore(c.path);
        ASSERT_TRUE(refusal.has_value());
        EXPECT_TRUE(refusal->startsWith(shell::CannotRestoreFile)) << refusal->toStdString();
        EXPECT_TRUE(refusal->contains(QLatin1String(c.reason))) << refusal->toStdString();
        EXPECT_EQ(bytesOf(t.path()), before);
        EXPECT_EQ(filesIn(t.dir()), QStringList{store::DatabaseFileName});
        EXPECT_TRUE(t.db().isOpen());
        EXPECT_EQ(categoriesIn(t.db()), (QStringList{"Laptops", "Printers"}));
    }
    expectLiveUsable();
}

TEST_F(DatabaseFileTest, AFailureBetweenCopyAndRenameLeavesTheOldFileOpenAndWorking) {
    const QString backup = copyPath(QStringLiteral("good.mdb"));
    makeAssetFile(backup, {QStringLiteral("From the backup")});
    const QByteArray before = bytesOf(t.path());
    FailingRename failing(t.db(), t.dir());
    EXPECT_THROW(failing.restore(backup), common::FileError);
    EXPECT_EQ(failing.attempts, 1);
    EXPECT_EQ(bytesOf(t.path()), before);
    EXPECT_EQ(filesIn(t.dir()), QStringList{store::DatabaseFileName});
    EXPECT_EQ(categoriesIn(t.db()), (QStringList{"Laptops", "Printers"}));
    expectLiveUsable();
}

TEST_F(DatabaseFileTest, RestoreRemovesAStaleJournalOfTheReplacedFile) {
    const QString backup = copyPath(QStringLiteral("good.mdb"));
    makeAssetFile(backup, {QStringLiteral("From the backup")});
    const QString journal = t.path() + QStringLiteral("-journal");
    writeBytes(journal, QByteArray(4096, 'j'));
    ASSERT_EQ(file.restore(backup), std::nullopt);
    EXPECT_FALSE(QFile::exists(journal));
    EXPECT_EQ(categoriesIn(t.path()), QStringList{QStringLiteral("From the backup")});
}

TEST_F(DatabaseFileTest, AnOlderSchemaVersionIsRestoredMigrated) {
    const QString old = copyPath(QStringLiteral("old.mdb"));
    testing_support::makeVersion1Register(old, {QStringLiteral("Old")});
    const QByteArray source = bytesOf(old);
    ASSERT_EQ(file.restore(old), std::nullopt);
    EXPECT_EQ(bytesOf(old), source) << "the chosen file is only read";
    {
        // Migrated on the copy before it was installed.
        auto restored = store::Database::open(t.path(), store::DatabaseKey);
        EXPECT_EQ(restored->userVersion(), store::SchemaVersion);
        EXPECT_TRUE(restored->exists(QStringLiteral(
            "SELECT name FROM sqlite_master WHERE name = 'ixStockLocationProduct'")));
    }
    const QByteArray installed = bytesOf(t.path());

    testing_support::ScriptedMessages messages;
    auto db = shell::OpenAssetDatabase(t.dir(), messages);
    ASSERT_NE(db, nullptr) << messages.texts().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(db->userVersion(), store::SchemaVersion);
    EXPECT_EQ(categoriesIn(*db), QStringList{QStringLiteral("Old")});
    db.reset();
    EXPECT_EQ(bytesOf(t.path()), installed) << "nothing was left for the start to do";
}

TEST_F(DatabaseFileTest, RestoreRefusesARegisterTheProgramCouldNotOpenOrUse) {
    const QByteArray before = bytesOf(t.path());
    const unsigned mode = modeOf(t.path());
    for (const testing_support::UnsoundRegister& unsound : testing_support::unsoundRegisters()) {
        SCOPED_TRACE(unsound.name);
        const QString path = copyPath(QString::fromLatin1(unsound.name) + QStringLiteral(".mdb"));
        unsound.make(path);
        const QByteArray source = bytesOf(path);
        const std::optional<QString> refusal = file.restore(path);
        ASSERT_TRUE(refusal.has_value());
        EXPECT_TRUE(refusal->startsWith(shell::CannotRestoreFile)) << refusal->toStdString();
        EXPECT_TRUE(refusal->contains(QLatin1String(unsound.reason))) << refusal->toStdString();
        EXPECT_EQ(bytesOf(t.path()), before);
        EXPECT_EQ(modeOf(t.path()), mode);
        EXPECT_EQ(bytesOf(path), source);
        EXPECT_EQ(filesIn(t.dir()), QStringList{store::DatabaseFileName});
        EXPECT_TRUE(t.db().isOpen());
    }
    expectLiveUsable();
}

TEST_F(DatabaseFileTest, ARestoredRegisterKeepsTheModeOfTheLiveFile) {
    const QString backup = copyPath(QStringLiteral("good.mdb"));
    makeAssetFile(backup, {QStringLiteral("From the backup")});
    ASSERT_TRUE(QFile::setPermissions(backup, QFile::ReadOwner | QFile::WriteOwner));
    for (const unsigned mode : {0644u, 0640u, 0600u}) {
        SCOPED_TRACE(mode);
        TestDatabase live{TestDatabase::Storage::KeyedFile};
        ASSERT_EQ(::chmod(QFile::encodeName(live.path()).constData(), mode), 0);
        DatabaseFile restoring(live.db(), live.dir());
        ASSERT_EQ(restoring.restore(backup), std::nullopt);
        EXPECT_EQ(modeOf(live.path()), mode);
        EXPECT_EQ(categoriesIn(live.path()), QStringList{QStringLiteral("From the backup")});
    }
}

TEST_F(DatabaseFileTest, ABackupGetsTheModeOfANewFileUnderTheUmask) {
    const QString backup = copyPath(QStringLiteral("weekly.mdb"));
    writeBytes(backup, "last week's copy");
    ASSERT_TRUE(QFile::setPermissions(backup, QFile::ReadOwner | QFile::WriteOwner |
                                                  QFile::ReadOther | QFile::WriteOther));
    for (const auto& [mask, mode] : {std::pair{0022u, 0644u}, {0027u, 0640u}, {0077u, 0600u}}) {
        SCOPED_TRACE(mask);
        Umask umask(mask);
        ASSERT_EQ(file.backup(backup), std::nullopt);
        EXPECT_EQ(modeOf(backup), mode);
    }
    EXPECT_EQ(categoriesIn(backup), (QStringList{"Laptops", "Printers"}));
}

TEST(DatabaseFileLink, ARestoreOntoALinkedRegisterReplacesTheFileTheLinkNames) {
    QTemporaryDir programDir;
    QTemporaryDir dataDir;
    QTemporaryDir elsewhere;
    const QString real = QDir(dataDir.path()).filePath(QStringLiteral("register.mdb"));
    store::createAssetDatabase(real);
    ASSERT_EQ(::chmod(QFile::encodeName(real).constData(), 0640), 0);
    const QString link = QDir(programDir.path()).filePath(store::DatabaseFileName);
    ASSERT_TRUE(QFile::link(real, link));
    const QString backup = QDir(elsewhere.path()).filePath(QStringLiteral("good.mdb"));
    testing_support::makeVersion1Register(backup, {QStringLiteral("From the backup")});

    auto live = store::Database::open(link, store::DatabaseKey);
    DatabaseFile restoring(*live, programDir.path());
    ASSERT_EQ(restoring.restore(backup), std::nullopt);
    EXPECT_TRUE(QFileInfo(link).isSymLink()) << "the link was replaced";
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), real);
    EXPECT_EQ(modeOf(real), 0640u);
    EXPECT_EQ(categoriesIn(real), QStringList{QStringLiteral("From the backup")});
    EXPECT_EQ(filesIn(dataDir.path()), QStringList{QStringLiteral("register.mdb")});
}

TEST_F(DatabaseFileTest, CopiesLeftByAKilledRunAreRemovedByTheNextBackupButNotOnesInUse) {
    const QString backup = copyPath(QStringLiteral("nightly.mdb"));
    const QByteArray full = bytesOf(t.path());
    // As a kill leaves them: full-size copies, one with the journal of a
    // migration under way, beside the register and beside a backup.
    const QStringList leftovers{
        QDir(t.dir()).filePath(QStringLiteral(".AssetManagement.mdb.aB3xY9")),
        QDir(t.dir()).filePath(QStringLiteral(".AssetManagement.mdb.aB3xY9-journal")),
        QDir(t.dir()).filePath(QStringLiteral(".AssetManagement.mdb.Q7pk2M")),
        QDir(t.dir()).filePath(QStringLiteral(".AssetManagement.mdb.zz99zz-journal")),
        copyPath(QStringLiteral(".nightly.mdb.k2L9dd")),
    };
    for (const QString& path : leftovers)
        writeBytes(path, full);
    // Names that only look alike, and a copy that a running backup holds.
    const QStringList others{
        QDir(t.dir()).filePath(QStringLiteral(".AssetManagement.mdb.lock")),
        QDir(t.dir()).filePath(QStringLiteral(".AssetManagement.mdb.abc")),
        QDir(t.dir()).filePath(QStringLiteral("AssetManagement.mdb.aB3xY9")),
        copyPath(QStringLiteral(".other.mdb.k2L9dd")),
    };
    for (const QString& path : others)
        writeBytes(path, "x");
    common::TemporaryCopy inUse(t.path());
    inUse.write(full.constData(), full.size());

    ASSERT_EQ(file.backup(backup), std::nullopt);
    for (const QString& path : leftovers)
        EXPECT_FALSE(QFile::exists(path)) << path.toStdString();
    for (const QString& path : others)
        EXPECT_TRUE(QFile::exists(path)) << path.toStdString();
    EXPECT_TRUE(QFile::exists(inUse.path())) << "a copy in use was taken";
    EXPECT_EQ(categoriesIn(backup), (QStringList{"Laptops", "Printers"}));
}

TEST(DatabaseReopen, AClosedConnectionRefusesWorkUntilReopenedInPlace) {
    TestDatabase t{TestDatabase::Storage::KeyedFile};
    t.addCategory(QStringLiteral("Kept"));
    store::Database& db = t.db();
    db.close();
    EXPECT_FALSE(db.isOpen());
    try {
        t.count(QStringLiteral("Categories"));
        FAIL() << "a closed connection ran a statement";
    } catch (const store::DbError& error) {
        EXPECT_EQ(error.number(), 21); // SQLITE_MISUSE
    }
    db.reopen();
    EXPECT_EQ(t.count(QStringLiteral("Categories")), 1);
    EXPECT_EQ(db.path(), t.path());
}

TEST(DatabaseReopen, CloseRefusesWhileAStatementIsUnfinished) {
    TestDatabase t{TestDatabase::Storage::KeyedFile};
    store::Query q(t.db(), QStringLiteral("SELECT Loc_ID FROM Locations"));
    ASSERT_TRUE(q.next());
    EXPECT_THROW(t.db().close(), store::DbError);
    EXPECT_TRUE(t.db().isOpen());
}

TEST_F(DatabaseFileTest, ABackupCancelledHalfwayLeavesNoFileAndTheRegisterUntouched) {
    // Pages enough for several steps of the copy.
    t.db().run(QStringLiteral("CREATE TABLE Filler (Data BLOB); "
                              "INSERT INTO Filler VALUES (randomblob(4000000));"));
    const QByteArray before = bytesOf(t.path());
    const QString backup = copyPath(QStringLiteral("monday.mdb"));

    testing_support::RecordingRunner stopping(300);
    file.setWorkRunner(&stopping);
    EXPECT_THROW(file.backup(backup), common::Cancelled);
    EXPECT_TRUE(stopping.stopped());
    EXPECT_GT(stopping.percents().size(), 1u) << "stopped after the first step";
    EXPECT_TRUE(filesIn(elsewhere.path()).isEmpty())
        << filesIn(elsewhere.path()).join(u' ').toStdString();
    EXPECT_EQ(filesIn(t.dir()), QStringList{store::DatabaseFileName});
    EXPECT_EQ(bytesOf(t.path()), before);
    expectLiveUsable();

    // An older backup of the name is kept.
    writeBytes(backup, "older");
    EXPECT_THROW(file.backup(backup), common::Cancelled);
    EXPECT_EQ(bytesOf(backup), QByteArray("older"));
    EXPECT_EQ(filesIn(elsewhere.path()), QStringList{QStringLiteral("monday.mdb")});

    // Not stopped: the progress reaches 100 % and the copy holds every row.
    testing_support::RecordingRunner watching;
    file.setWorkRunner(&watching);
    ASSERT_EQ(file.backup(backup), std::nullopt);
    EXPECT_EQ(watching.lastPercent(), 100);
    EXPECT_FALSE(watching.stopped());
    EXPECT_EQ(categoriesIn(backup), categoriesIn(t.db()));
}

TEST_F(DatabaseFileTest, ARestoreCancelledHalfwayLeavesTheLiveFileOpenAndAsItWas) {
    const QString source = copyPath(QStringLiteral("friday.mdb"));
    makeAssetFile(source, {QStringLiteral("Desks")});
    const QByteArray before = bytesOf(t.path());

    // Stopped once the file is copied, before it is checked.
    testing_support::RecordingRunner stopping(1);
    file.setWorkRunner(&stopping);
    EXPECT_THROW(file.restore(source), common::Cancelled);
    EXPECT_TRUE(stopping.stopped());
    EXPECT_EQ(filesIn(t.dir()), QStringList{store::DatabaseFileName}) << "no copy left beside it";
    EXPECT_EQ(bytesOf(t.path()), before);
    expectLiveUsable();

    testing_support::RecordingRunner watching;
    file.setWorkRunner(&watching);
    ASSERT_EQ(file.restore(source), std::nullopt);
    EXPECT_EQ(watching.lastPercent(), 100);
    EXPECT_EQ(categoriesIn(t.path()), QStringList{QStringLiteral("Desks")});
}
