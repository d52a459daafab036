// Start-up and the register's file: one copy of the program per register,
// nothing written to a file that start-up refuses, and the leftovers of a
// killed backup or restore removed.

#include "common/FileWork.h"
#include "shell/DatabaseLock.h"
#include "shell/StartUp.h"
#include "shell/ui/Program.h"
#include "shell/ui/frmVemora.h"
#include "store/Database.h"
#include "store/StoreConstants.h"
#include "support/RegisterFiles.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"
#include "support/TestHooks.h"

#include <QDir>
#include <QFile>
#include <QTabWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using common::MessageKind;
using testing_support::fileBytes;
using testing_support::ScriptedMessages;
using testing_support::TestDatabase;

namespace {

shell::Program::Options optionsFor(const QString& dir) {
    shell::Program::Options o;
    o.locale = QLocale(QStringLiteral("en_GB"));
    o.directory = dir;
    o.showSplash = false;
    return o;
}

QStringList filesIn(const QString& dir) {
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// The register and its program directory, with a second copy of the
// program ready to start on it.
class ProgramFiles : public ::testing::Test {
protected:
    QString lockPath() const { return shell::DatabaseLock::lockPath(t.path()); }

    TestDatabase t{TestDatabase::Storage::KeyedFile};
    ScriptedMessages messages;
    testing_support::TestHooks hooks;
};

} // namespace

TEST_F(ProgramFiles, ASecondCopyOnTheSameRegisterIsRefusedByNameAndWritesNothing) {
    t.addCategory(QStringLiteral("Laptops"));
    ScriptedMessages firstMessages;
    shell::Program first(firstMessages, hooks.clock, hooks.files);
    ASSERT_TRUE(first.Main(optionsFor(t.dir())));
    ASSERT_TRUE(QFile::exists(lockPath()));
    const QByteArray lock = fileBytes(lockPath());
    EXPECT_EQ(lock, QByteArray::number(static_cast<qint64>(::getpid())) + '\n');
    const QByteArray before = fileBytes(t.path());

    shell::Program second(messages, hooks.clock, hooks.files);
    EXPECT_FALSE(second.Main(optionsFor(t.dir())));
    ASSERT_EQ(messages.shown().size(), 2u) << messages.texts().join('\n').toStdString();
    EXPECT_EQ(messages.shown()[0].kind, MessageKind::Failure);
    EXPECT_EQ(messages.shown()[0].text,
              QStringLiteral("The asset database \"%1\" is already open in another copy of "
                             "Vemora Assets (process %2).")
                  .arg(t.path())
                  .arg(::getpid()));
    EXPECT_EQ(messages.shown()[1].text, shell::CannotAccessDatabase);
    EXPECT_EQ(second.mainWindow(), nullptr);
    EXPECT_EQ(fileBytes(t.path()), before);
    EXPECT_EQ(fileBytes(lockPath()), lock) << "the first copy's lock is kept";

    // The first copy works on.
    first.mainWindow()->SSTab1()->setCurrentIndex(3);
    EXPECT_TRUE(firstMessages.shown().empty()) << firstMessages.texts().join('\n').toStdString();
}

TEST_F(ProgramFiles, ARefusedCopyDoesNotEvenMigrateTheRegister) {
    // Another process has the register open; the file is of an older
    // version, which a start that went ahead would migrate.
    t.db().close();
    const QString old = t.path();
    ASSERT_TRUE(QFile::remove(old));
    testing_support::makeVersion1Register(old, {QStringLiteral("Old")});
    auto other = shell::DatabaseLock::acquire(t.path());
    ASSERT_NE(other, nullptr);
    const QByteArray before = fileBytes(old);

    shell::Program program(messages, hooks.clock, hooks.files);
    EXPECT_FALSE(program.Main(optionsFor(t.dir())));
    ASSERT_EQ(messages.shown().size(), 2u);
    EXPECT_TRUE(messages.shown()[0].text.contains(QStringLiteral("is already open")));
    EXPECT_EQ(fileBytes(old), before);
    EXPECT_EQ(store::Database::open(old, store::DatabaseKey)->userVersion(), 1);
}

TEST_F(ProgramFiles, TheLockOfACopyThatHasEndedIsTakenOverAndGoesWithTheProgram) {
    // A copy that was killed leaves its lock file, but holds it no more.
    {
        QFile stale(lockPath());
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
        stale.write("999999\n");
    }
    {
        shell::Program program(messages, hooks.clock, hooks.files);
        ASSERT_TRUE(program.Main(optionsFor(t.dir()))) << messages.texts().join('\n').toStdString();
        EXPECT_TRUE(messages.shown().empty());
        EXPECT_EQ(fileBytes(lockPath()),
                  QByteArray::number(static_cast<qint64>(::getpid())) + '\n');
    }
    EXPECT_FALSE(QFile::exists(lockPath())) << "released when the program ends";
    // And a refused start leaves no lock file behind.
    ASSERT_TRUE(QFile::remove(t.path()));
    shell::Program refused(messages, hooks.clock, hooks.files);
    EXPECT_FALSE(refused.Main(optionsFor(t.dir())));
    EXPECT_TRUE(filesIn(t.dir()).isEmpty()) << filesIn(t.dir()).join(' ').toStdString();
}

TEST_F(ProgramFiles, AStartThatRefusesTheRegisterAfterMigratingItLeavesItByteForByte) {
    t.db().close();
    const QString path = t.path();
    ASSERT_TRUE(QFile::remove(path));
    const testing_support::UnsoundRegister& lacking = testing_support::unsoundRegisters().front();
    ASSERT_STREQ(lacking.name, "version 1 lacking a column");
    lacking.make(path);
    const QByteArray before = fileBytes(path);

    shell::Program program(messages, hooks.clock, hooks.files);
    EXPECT_FALSE(program.Main(optionsFor(t.dir())));
    ASSERT_EQ(messages.shown().size(), 2u);
    EXPECT_TRUE(messages.shown()[0].text.contains(QLatin1String(lacking.problem)))
        << messages.shown()[0].text.toStdString();
    EXPECT_EQ(messages.shown()[1].text, shell::CannotAccessDatabase);
    EXPECT_EQ(fileBytes(path), before);
    EXPECT_EQ(filesIn(t.dir()), QStringList{store::DatabaseFileName});
}

TEST_F(ProgramFiles, TheCopiesOfAKilledBackupOrRestoreAreRemovedAtTheNextStart) {
    const QByteArray full = fileBytes(t.path());
    const QStringList leftovers{
        QDir(t.dir()).filePath(QStringLiteral(".AssetManagement.mdb.k8Jq2z")),
        QDir(t.dir()).filePath(QStringLiteral(".AssetManagement.mdb.k8Jq2z-journal")),
        QDir(t.dir()).filePath(QStringLiteral(".AssetManagement.mdb.0aZ9yX")),
    };
    for (const QString& path : leftovers) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(full);
    }
    // One that a running vemora-admin backup holds as it writes it.
    common::TemporaryCopy inUse(t.path());

    shell::Program program(messages, hooks.clock, hooks.files);
    ASSERT_TRUE(program.Main(optionsFor(t.dir()))) << messages.texts().join('\n').toStdString();
    EXPECT_EQ(filesIn(t.dir()),
              (QStringList{QFileInfo(inUse.path()).fileName(), store::DatabaseFileName,
                           QFileInfo(lockPath()).fileName()}));
}
