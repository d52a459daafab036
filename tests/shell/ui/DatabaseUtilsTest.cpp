#include "common/FileGuard.h"
#include "common/Session.h"
#include "shell/DatabaseFile.h"
#include "shell/ui/frmVemora.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "store/StoreConstants.h"
#include "support/RegisterFiles.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"
#include "support/TestHooks.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>

#include "support/FileBytes.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>

#include <sys/resource.h>
#include <sys/stat.h>

using common::MessageKind;
using testing_support::bytesOf;
using testing_support::ScriptedMessages;
using testing_support::TestDatabase;

using testing_support::modeOf;

namespace {

// A rename that fails between the copy and the replace.
class FailingRename : public shell::DatabaseFile {
public:
    using DatabaseFile::DatabaseFile;

protected:
    void replaceFile(const QString&, const QString&) override {
        throw common::FileError(QStringLiteral("Input/output error"), 5);
    }
};

// The syncs and renames of a backup or restore, in the order they happen.
// The syncs are really made, so the files are as the program leaves them.
class RecordingSync : public common::FileSync {
public:
    QStringList log;
    void file(const QString& path) override {
        log << QStringLiteral("sync ") + path;
        common::systemFileSync().file(path);
    }
    void directory(const QString& path) override {
        log << QStringLiteral("sync folder ") + path;
        common::systemFileSync().directory(path);
    }
};

class RecordingFile : public shell::DatabaseFile {
public:
    RecordingFile(store::Database& live, const QString& dir, RecordingSync& sync)
        : DatabaseFile(live, dir, sync), sync_(sync) {}

protected:
    void replaceFile(const QString& from, const QString& to) override {
        sync_.log << QStringLiteral("rename %1 to %2").arg(from, to);
        DatabaseFile::replaceFile(from, to);
    }

private:
    RecordingSync& sync_;
};

// The main window on a keyed database file in the program's directory, as
// start-up loads it; the user's copies go to another directory.
class DatabaseUtils : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(elsewhere.isValid());
        t.addCategory(QStringLiteral("Laptops"));
        window = std::make_unique<shell::frmVemora>(session, nullptr);
        window->setProgramDirectory(t.dir());
        window->Form_Load({});
        messages.clear();
    }

    QString copyPath(const QString& name) const { return QDir(elsewhere.path()).filePath(name); }

    // Chooses the menu item, as a click on it does.
    void choose(int index) { window->menuItem(QStringLiteral("mnuDBase"), index)->trigger(); }

    void expectRequest(common::FileRequest::Purpose purpose, const QString& title) {
        ASSERT_EQ(hooks.files.requests().size(), 1u);
        const common::FileRequest& r = hooks.files.requests().front();
        EXPECT_EQ(r.purpose, purpose);
        EXPECT_EQ(r.title, title);
        EXPECT_EQ(r.directory, t.dir());
        EXPECT_EQ(r.filter, QStringLiteral("Access (*.mdb)"));
        EXPECT_FALSE(r.confirmOverwrite);
    }

    // The window still works on the live database: a page rebuilds with no
    // message and the quit question is asked again.
    void expectWindowWorking() {
        EXPECT_TRUE(window->isVisible());
        messages.clear();
        window->SSTab1()->setCurrentIndex(common::CategoryUtilities);
        EXPECT_TRUE(messages.shown().empty()) << messages.texts().join('\n').toStdString();
        EXPECT_EQ(t.count(QStringLiteral("Categories")), 1);
    }

    TestDatabase t{TestDatabase::Storage::KeyedFile};
    QTemporaryDir elsewhere;
    ScriptedMessages messages;
    testing_support::TestHooks hooks;
    common::Session session{t.db(), messages, hooks.clock, hooks.files};
    std::unique_ptr<shell::frmVemora> window;
};

} // namespace

TEST_F(DatabaseUtils, BackUpWritesTheCopyUnderItsNameWithDotMdbAndSaysSo) {
    const struct {
        const char* typed;
        const char* written;
    } cases[] = {{"monday", "monday.mdb"},
                 {"tuesday.mdb", "tuesday.mdb"},
                 {"WEDNESDAY.MDB", "WEDNESDAY.MDB.mdb"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        hooks.files = {};
        messages.clear();
        hooks.files.choose(copyPath(QString::fromLatin1(c.typed)));
        choose(1);
        expectRequest(common::FileRequest::Save,
                      QStringLiteral("Enter a Filename for your Back-Up"));
        ASSERT_EQ(messages.shown().size(), 1u);
        EXPECT_EQ(messages.shown()[0].kind, MessageKind::Refusal); // the exclamation icon
        EXPECT_EQ(messages.shown()[0].text, QStringLiteral("Database backed-up !!"));
        const QString written = copyPath(QString::fromLatin1(c.written));
        auto copy = store::Database::open(written, store::DatabaseKey);
        EXPECT_TRUE(copy->exists(QStringLiteral("SELECT 1 FROM Categories WHERE Cat_Desc = ?"),
                                 QStringLiteral("Laptops")));
    }
    EXPECT_FALSE(QFile::exists(copyPath(QStringLiteral("WEDNESDAY.MDB"))));
}

TEST_F(DatabaseUtils, ACancelledChoiceSaysNothing) {
    hooks.files.cancel();
    choose(1);
    EXPECT_TRUE(messages.shown().empty());

    hooks.files.cancel();
    choose(0);
    // Only the notice that comes before the choice.
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].kind, MessageKind::Notice);
    expectWindowWorking();
}

TEST_F(DatabaseUtils, BackUpOntoTheLiveFileIsRefused) {
    const QByteArray before = bytesOf(t.path());
    // Typed without its extension, the name gets ".mdb" and so names the
    // live file.
    hooks.files.choose(QDir(t.dir()).filePath(QStringLiteral("AssetManagement")));
    choose(1);
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].kind, MessageKind::Refusal);
    EXPECT_EQ(messages.shown()[0].text, QStringLiteral("You Cannot BackUp to the System database"));
    EXPECT_EQ(bytesOf(t.path()), before);
    expectWindowWorking();
}

TEST_F(DatabaseUtils, BackUpThroughALinkOntoTheProgramsFilesOrTheJournalIsRefused) {
    // The name always gets ".mdb": a link of that name is the way to them.
    const QString help =
        QDir(QCoreApplication::applicationDirPath()).filePath(common::HelpFileName);
    ASSERT_TRUE(QFileInfo::exists(help)) << "the build puts the help file beside the programs";
    const QString journal = t.path() + QStringLiteral("-journal");
    const struct {
        QString target;
        const char* link;
    } cases[] = {{help, "help.mdb"},
                 {QCoreApplication::applicationFilePath(), "program.mdb"},
                 {journal, "journal.mdb"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.link);
        hooks.files = {};
        messages.clear();
        const QString link = copyPath(QString::fromLatin1(c.link));
        ASSERT_TRUE(QFile::link(c.target, link));
        const bool existed = QFileInfo::exists(c.target);
        const QByteArray before = existed ? bytesOf(c.target) : QByteArray();
        const QFile::Permissions mode = QFile::permissions(c.target);
        hooks.files.choose(link);
        choose(1);
        ASSERT_EQ(messages.shown().size(), 1u);
        EXPECT_EQ(messages.shown()[0].kind, MessageKind::Refusal);
        EXPECT_EQ(messages.shown()[0].text, shell::CannotBackUpOver.arg(link));
        EXPECT_EQ(QFileInfo::exists(c.target), existed);
        if (existed) {
            EXPECT_EQ(bytesOf(c.target), before);
            EXPECT_EQ(QFile::permissions(c.target), mode);
        }
        EXPECT_TRUE(QFileInfo(link).isSymLink());
    }
    expectWindowWorking();
}

TEST_F(DatabaseUtils, AFailureIsShownAsDescriptionFollowedByNumber) {
    hooks.files.choose(copyPath(QStringLiteral("no/such/folder/copy")));
    choose(1);
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].kind, MessageKind::Failure);
    // The system's words, " - " and the error number.
    EXPECT_EQ(messages.shown()[0].text, QStringLiteral("No such file or directory - 2"));
    expectWindowWorking();
}

TEST_F(DatabaseUtils, RestoreWarnsFirstThenReplacesTheFileAndClosesWithoutTheQuitQuestion) {
    const QString backup = copyPath(QStringLiteral("friday.mdb"));
    store::createAssetDatabase(backup);
    store::Database::open(backup, store::DatabaseKey)
        ->execute(QStringLiteral("INSERT INTO Categories (Cat_Desc) VALUES (?)"),
                  QStringLiteral("From Friday"));
    hooks.files.choose(backup);
    choose(0);

    expectRequest(common::FileRequest::Open, QStringLiteral("Select a Database to be Restored"));
    ASSERT_EQ(messages.shown().size(), 2u) << messages.texts().join('\n').toStdString();
    EXPECT_EQ(messages.shown()[0].kind, MessageKind::Notice);
    EXPECT_EQ(messages.shown()[0].text,
              QStringLiteral("Restoring a database will over right your current database,\r"
                             "If you wish to keep the exisiting database please backup first"));
    EXPECT_EQ(messages.shown()[1].kind, MessageKind::Refusal);
    EXPECT_EQ(messages.shown()[1].text,
              QStringLiteral("Database restored !!\rYou will need to re-start the application to "
                             "use the restored database"));
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(messages.unexpectedQuestion());

    auto restored = store::Database::open(t.path(), store::DatabaseKey);
    EXPECT_TRUE(restored->exists(QStringLiteral("SELECT 1 FROM Categories WHERE Cat_Desc = ?"),
                                 QStringLiteral("From Friday")));
}

TEST_F(DatabaseUtils, RefusedRestoresLeaveTheLiveFileAndTheWindowWorking) {
    const QString notDb = copyPath(QStringLiteral("notes.mdb"));
    {
        QFile f(notDb);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(8192, 'x'));
    }
    const QString viaDots = QDir(t.dir()).filePath(QStringLiteral("x/../AssetManagement.mdb"));
    QDir(t.dir()).mkdir(QStringLiteral("x"));
    const struct {
        QString path;
        QString message;
    } cases[] = {
        {t.path(), QStringLiteral("You Cannot Restore the System database")},
        {viaDots, QStringLiteral("You Cannot Restore the System database")},
        {notDb, shell::CannotRestoreFile},
    };
    const QByteArray before = bytesOf(t.path());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        messages.clear();
        hooks.files.choose(c.path);
        choose(0);
        ASSERT_EQ(messages.shown().size(), 2u);
        EXPECT_EQ(messages.shown()[1].kind, MessageKind::Refusal);
        EXPECT_TRUE(messages.shown()[1].text.startsWith(c.message))
            << messages.shown()[1].text.toStdString();
        EXPECT_EQ(bytesOf(t.path()), before);
        expectWindowWorking();
    }
}

TEST_F(DatabaseUtils, ARestoreThatFailsAtTheRenameKeepsTheOldFileOpen) {
    window->setProgramDirectory(t.dir(), std::make_unique<FailingRename>(t.db(), t.dir()));
    const QString backup = copyPath(QStringLiteral("friday.mdb"));
    store::createAssetDatabase(backup);
    const QByteArray before = bytesOf(t.path());
    hooks.files.choose(backup);
    choose(0);
    ASSERT_EQ(messages.shown().size(), 2u);
    EXPECT_EQ(messages.shown()[1].kind, MessageKind::Failure);
    EXPECT_EQ(messages.shown()[1].text, QStringLiteral("Input/output error - 5"));
    EXPECT_EQ(bytesOf(t.path()), before);
    expectWindowWorking();
    // Closing asks again.
    messages.answer({false});
    window->close();
    EXPECT_TRUE(window->isVisible());
}

TEST_F(DatabaseUtils, RestoreRefusesEveryRegisterTheProgramCouldNotOpenOrUse) {
    const QByteArray before = bytesOf(t.path());
    const unsigned mode = modeOf(t.path());
    for (const testing_support::UnsoundRegister& unsound : testing_support::unsoundRegisters()) {
        SCOPED_TRACE(unsound.name);
        const QString path = copyPath(QString::fromLatin1(unsound.name) + QStringLiteral(".mdb"));
        unsound.make(path);
        messages.clear();
        hooks.files.choose(path);
        choose(0);
        ASSERT_EQ(messages.shown().size(), 2u) << messages.texts().join('\n').toStdString();
        EXPECT_EQ(messages.shown()[1].kind, MessageKind::Refusal);
        const QString text = messages.shown()[1].text;
        EXPECT_TRUE(text.startsWith(QStringLiteral("This file cannot be restored: ")))
            << text.toStdString();
        EXPECT_TRUE(text.contains(QLatin1String(unsound.reason))) << text.toStdString();
        EXPECT_EQ(bytesOf(t.path()), before);
        EXPECT_EQ(modeOf(t.path()), mode);
        EXPECT_EQ(QDir(t.dir()).entryList(QDir::Files | QDir::Hidden),
                  QStringList{store::DatabaseFileName});
        expectWindowWorking();
    }
}

TEST_F(DatabaseUtils, ASoundOlderRegisterIsRestoredMigratedWithTheLiveFilesMode) {
    ASSERT_EQ(::chmod(QFile::encodeName(t.path()).constData(), 0644), 0);
    const QString old = copyPath(QStringLiteral("old.mdb"));
    testing_support::makeVersion1Register(old, {QStringLiteral("From 2019")});
    ASSERT_EQ(::chmod(QFile::encodeName(old).constData(), 0600), 0);
    hooks.files.choose(old);
    choose(0);
    ASSERT_EQ(messages.shown().size(), 2u);
    EXPECT_EQ(messages.shown()[1].text, shell::DatabaseRestored);
    EXPECT_EQ(modeOf(t.path()), 0644u);
    auto restored = store::Database::open(t.path(), store::DatabaseKey);
    EXPECT_EQ(restored->userVersion(), store::SchemaVersion);
    EXPECT_TRUE(restored->exists(QStringLiteral("SELECT 1 FROM Categories WHERE Cat_Desc = ?"),
                                 QStringLiteral("From 2019")));
}

TEST_F(DatabaseUtils, ABackupGetsTheModeANewFileGetsUnderTheUmask) {
    const QString copy = copyPath(QStringLiteral("monday.mdb"));
    for (const auto& [mask, mode] : {std::pair{0027u, 0640u}, {0022u, 0644u}}) {
        SCOPED_TRACE(mask);
        messages.clear();
        hooks.files.choose(copy);
        const mode_t saved = ::umask(mask);
        choose(1);
        ::umask(saved);
        ASSERT_EQ(messages.shown().size(), 1u);
        EXPECT_EQ(messages.shown()[0].text, shell::DatabaseBackedUp);
        EXPECT_EQ(modeOf(copy), mode);
    }
}

TEST_F(DatabaseUtils, EachCopyIsSyncedBeforeItIsRenamedIntoPlaceAndItsFolderAfter) {
    RecordingSync sync;
    window->setProgramDirectory(t.dir(), std::make_unique<RecordingFile>(t.db(), t.dir(), sync));
    const auto expectSyncedThenRenamed = [&](const QString& target) {
        ASSERT_EQ(sync.log.size(), 3) << sync.log.join('\n').toStdString();
        const QString copy = sync.log[0].mid(QStringLiteral("sync ").size());
        EXPECT_TRUE(
            common::isTemporaryCopyOf(QFileInfo(copy).fileName(), QFileInfo(target).fileName()))
            << sync.log.join('\n').toStdString();
        EXPECT_EQ(sync.log[1], QStringLiteral("rename %1 to %2").arg(copy, target));
        EXPECT_EQ(sync.log[2], QStringLiteral("sync folder ") + QFileInfo(target).absolutePath());
    };

    const QString backup = copyPath(QStringLiteral("monday.mdb"));
    hooks.files.choose(backup);
    choose(1);
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].text, shell::DatabaseBackedUp);
    expectSyncedThenRenamed(backup);

    sync.log.clear();
    messages.clear();
    hooks.files.choose(backup);
    choose(0);
    ASSERT_EQ(messages.shown().size(), 2u);
    EXPECT_EQ(messages.shown()[1].text, shell::DatabaseRestored);
    expectSyncedThenRenamed(t.path());
}

TEST_F(DatabaseUtils, ARestoreWithNoRoomForItsCopySaysWhyAndLeavesNothingBehind) {
    // A file size limit stands in for a full disk: the copy's write fails
    // part-way with the system's error, as it would.
    const QString big = copyPath(QStringLiteral("big.mdb"));
    {
        QStringList many;
        for (int i = 0; i < 2000; ++i)
            many << QStringLiteral("Category %1 with a long enough description").arg(i);
        store::createAssetDatabase(big);
        auto db = store::Database::open(big, store::DatabaseKey);
        for (const QString& c : many)
            db->execute(QStringLiteral("INSERT INTO Categories (Cat_Desc) VALUES (?)"), c);
    }
    const QByteArray before = bytesOf(t.path());
    ASSERT_GT(QFileInfo(big).size(), before.size() + 65536);
    hooks.files.choose(big);

    const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit limited = saved;
    limited.rlim_cur = static_cast<rlim_t>(before.size() + 4096);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    choose(0);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldSignal);

    ASSERT_EQ(messages.shown().size(), 2u) << messages.texts().join('\n').toStdString();
    EXPECT_EQ(messages.shown()[1].kind, MessageKind::Failure);
    EXPECT_EQ(messages.shown()[1].text, QString::fromLocal8Bit(std::strerror(EFBIG)) +
                                            QStringLiteral(" - ") + QString::number(EFBIG));
    EXPECT_EQ(bytesOf(t.path()), before);
    EXPECT_EQ(QDir(t.dir()).entryList(QDir::Files | QDir::Hidden),
              QStringList{store::DatabaseFileName});
    expectWindowWorking();
}

TEST_F(DatabaseUtils, ARestoreWhoseMigrationFindsNoRoomFailsWithTheEnginesWordsNotARefusal) {
    const QString old = copyPath(QStringLiteral("old.mdb"));
    testing_support::makeVersion1Register(old, {QStringLiteral("From 2019")});
    const QByteArray before = bytesOf(t.path());
    hooks.files.choose(old);

    // Room for the copy, none for the indexes its migration adds.
    const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit limited = saved;
    limited.rlim_cur = static_cast<rlim_t>(QFileInfo(old).size());
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    choose(0);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldSignal);

    ASSERT_EQ(messages.shown().size(), 2u) << messages.texts().join('\n').toStdString();
    EXPECT_EQ(messages.shown()[1].kind, MessageKind::Failure)
        << messages.shown()[1].text.toStdString();
    EXPECT_FALSE(messages.shown()[1].text.startsWith(shell::CannotRestoreFile));
    EXPECT_TRUE(messages.shown()[1].text.contains(
        QRegularExpression(QStringLiteral("^[A-Za-z].* - [0-9]+$"))))
        << messages.shown()[1].text.toStdString();
    EXPECT_EQ(bytesOf(t.path()), before);
    EXPECT_EQ(QDir(t.dir()).entryList(QDir::Files | QDir::Hidden),
              QStringList{store::DatabaseFileName});
    expectWindowWorking();
}
