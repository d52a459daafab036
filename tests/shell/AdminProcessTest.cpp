// vemora-admin check and backup run as the scheduled job runs them: as a
// process of their own, beside a running program.

#include "shell/DatabaseLock.h"
#include "store/Database.h"
#include "store/StoreConstants.h"
#include "support/RegisterFiles.h"
#include "support/TestDatabase.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "support/AdminCommand.h"

#include "support/FileBytes.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using testing_support::fileBytes;

using testing_support::modeOf;

namespace {

using Result = testing_support::AdminResult;
using testing_support::adminProgram;
using testing_support::runAdmin;

class AdminProcess : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QFileInfo::exists(adminProgram()));
        ASSERT_TRUE(dir.isValid());
    }
    QString path(const QString& name) const { return QDir(dir.path()).filePath(name); }
    QTemporaryDir dir;
};

} // namespace

TEST_F(AdminProcess, CheckReportsEveryRegisterARestoreRefusesAndChangesNothing) {
    for (const testing_support::UnsoundRegister& unsound : testing_support::unsoundRegisters()) {
        SCOPED_TRACE(unsound.name);
        const QString file = path(QString::fromLatin1(unsound.name) + QStringLiteral(".mdb"));
        unsound.make(file);
        const QByteArray before = fileBytes(file);
        const Result r = runAdmin({QStringLiteral("check"), QStringLiteral("--db"), file});
        EXPECT_EQ(r.status, 1) << r.outText().toStdString() << r.err.toStdString();
        EXPECT_TRUE(r.outText().contains(QLatin1String(unsound.problem)))
            << r.outText().toStdString();
        EXPECT_TRUE(r.outText().contains(QStringLiteral("problem(s)")))
            << r.outText().toStdString();
        EXPECT_EQ(fileBytes(file), before);
    }
}

TEST_F(AdminProcess, CheckPassesASoundOlderRegisterAndLeavesItsMigrationToTheStart) {
    const QString file = path(QStringLiteral("old.mdb"));
    testing_support::makeVersion1Register(file, {QStringLiteral("Old")});
    const QByteArray before = fileBytes(file);
    const Result r = runAdmin({QStringLiteral("check"), QStringLiteral("--db"), file});
    EXPECT_EQ(r.status, 0) << r.outText().toStdString() << r.err.toStdString();
    EXPECT_TRUE(
        r.outText().contains(QStringLiteral("ok, schema version 1 (updated at the next start)")))
        << r.outText().toStdString();
    EXPECT_EQ(fileBytes(file), before);
}

TEST_F(AdminProcess, BackupAndCheckWorkWhileTheProgramHoldsTheRegister) {
    testing_support::TestDatabase t{testing_support::TestDatabase::Storage::KeyedFile};
    t.addCategory(QStringLiteral("Laptops"));
    // As the running program holds it.
    auto lock = shell::DatabaseLock::acquire(t.path());
    ASSERT_NE(lock, nullptr);
    const QString copy = path(QStringLiteral("nightly.mdb"));

    const mode_t saved = ::umask(0027);
    const Result backup =
        runAdmin({QStringLiteral("backup"), copy, QStringLiteral("--db"), t.path()});
    ::umask(saved);
    EXPECT_EQ(backup.status, 0) << backup.err.toStdString();
    EXPECT_EQ(modeOf(copy), 0640u) << "a new file's mode under the umask";
    auto db = store::Database::open(copy, store::DatabaseKey);
    EXPECT_TRUE(db->exists(QStringLiteral("SELECT 1 FROM Categories WHERE Cat_Desc = 'Laptops'")));

    const Result check = runAdmin({QStringLiteral("check"), QStringLiteral("--db"), t.path()});
    EXPECT_EQ(check.status, 0) << check.outText().toStdString() << check.err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(shell::DatabaseLock::lockPath(t.path())));
}

TEST_F(AdminProcess, ABackupThatCannotBeWrittenSaysWhyInWords) {
    testing_support::TestDatabase t{testing_support::TestDatabase::Storage::KeyedFile};
    const Result r =
        runAdmin({QStringLiteral("backup"), path(QStringLiteral("no/such/folder/copy.mdb")),
                  QStringLiteral("--db"), t.path()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, QStringLiteral("vemora-admin: No such file or directory - 2\n"));
}
