#include "common/FileGuard.h"
#include "common/Session.h"
#include "shell/DatabaseFile.h"
#include "shell/ui/frmVemora.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "store/StoreConstants.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"
#include "support/TestHooks.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTabWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using common::MessageKind;
using testing_support::ScriptedMessages;
using testing_support::TestDatabase;

namespace {

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

// A rename that fails between the copy and the replace.
class FailingRename : public shell::DatabaseFile {
public:
    using DatabaseFile::DatabaseFile;

protected:
    void replaceFile(const QString&, const QString&) override {
        throw shell::FileError(QStringLiteral("Input/output error"), 5);
    }
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
    const QString text = messages.shown()[0].text;
    EXPECT_TRUE(text.at(text.size() - 1).isDigit()) << text.toStdString();
    EXPECT_FALSE(text.contains(QLatin1String(" - "))) << text.toStdString();
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
    EXPECT_EQ(messages.shown()[1].text, QStringLiteral("Input/output error5"));
    EXPECT_EQ(bytesOf(t.path()), before);
    expectWindowWorking();
    // Closing asks again.
    messages.answer({false});
    window->close();
    EXPECT_TRUE(window->isVisible());
}
