// The Reports page's "PDF" button on a keyed register: it never writes over
// the register, a backup of it or the program's own files, and a PDF that
// cannot be finished leaves the file it would have replaced as it was.

#include "common/FileGuard.h"
#include "common/Session.h"
#include "reports/ReportFixture.h"
#include "reports/ui/pgReports.h"
#include "store/StoreConstants.h"
#include "support/RecordingMain.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"
#include "support/TestHooks.h"
#include "support/Widgets.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include "support/FileBytes.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

using testing_support::child;

using testing_support::FileState;
using testing_support::stateOf;

namespace {

QString besideProgram(const QString& name) {
    return QDir(QCoreApplication::applicationDirPath()).filePath(name);
}

class PdfTarget : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(user.isValid());
        testing_support::seedReportFixture(t);
        window = std::make_unique<testing_support::RecordingMain>(session, nullptr);
        window->show();
        window->SSTab1()->setCurrentIndex(common::Reports);
        auto* page = window->page(common::Reports);
        auto* combo = child<QComboBox>(page, "cboReports");
        const int index = combo->findText(QStringLiteral("Stock details"));
        ASSERT_GE(index, 0);
        combo->setCurrentIndex(index);
        emit combo->activated(index);
        pdf = child<QPushButton>(page, "btnPdf");
        ASSERT_TRUE(pdf->isEnabled());
        messages.clear();
    }
    void TearDown() override { EXPECT_FALSE(hooks.files.unexpectedRequest()); }

    QString mine(const QString& name) const { return QDir(user.path()).filePath(name); }
    QStringList filesInMine() const {
        return QDir(user.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    testing_support::TestDatabase t{testing_support::TestDatabase::Storage::KeyedFile};
    testing_support::ScriptedMessages messages;
    testing_support::TestHooks hooks;
    common::Session session{t.db(), messages, hooks.clock, hooks.files};
    std::unique_ptr<testing_support::RecordingMain> window;
    QTemporaryDir user;
    QPushButton* pdf = nullptr;
};

} // namespace

TEST_F(PdfTarget, TheRegisterItsBackupsAndTheProgramsFilesAreRefused) {
    ASSERT_TRUE(QFile::copy(t.path(), mine(QStringLiteral("AssetManagement.mdb"))));
    ASSERT_TRUE(QFile::copy(t.path(), mine(QStringLiteral("friday.mdb"))));
    // The programs' names have no extension, so the page adds ".pdf": a
    // link is the way to them.
    ASSERT_TRUE(QFile::link(besideProgram(QStringLiteral("vemora-admin")),
                            mine(QStringLiteral("admin.pdf"))));
    ASSERT_TRUE(
        QFile::link(QCoreApplication::applicationFilePath(), mine(QStringLiteral("tests.pdf"))));
    ASSERT_TRUE(QFileInfo::exists(besideProgram(common::HelpFileName)))
        << "the build puts the help file beside the programs";
    const QString up = QStringLiteral("%1/../%2/%3")
                           .arg(t.dir(), QFileInfo(t.dir()).fileName(), store::DatabaseFileName);
    const QString targets[] = {
        t.path(),
        up,
        mine(QStringLiteral("AssetManagement.mdb")),
        mine(QStringLiteral("friday.mdb")),
        besideProgram(common::HelpFileName),
        mine(QStringLiteral("admin.pdf")),
        mine(QStringLiteral("tests.pdf")),
    };
    for (const QString& target : targets) {
        SCOPED_TRACE(target.toStdString());
        messages.clear();
        const FileState before = stateOf(target);
        const FileState live = stateOf(t.path());
        hooks.files.choose(target);
        QTest::mouseClick(pdf, Qt::LeftButton);
        ASSERT_EQ(messages.shown().size(), 1u);
        EXPECT_EQ(messages.shown()[0].kind, common::MessageKind::Refusal);
        EXPECT_EQ(messages.shown()[0].text,
                  QStringLiteral("The report cannot be saved as \"%1\": that file belongs to the "
                                 "program or its database. Choose another file.")
                      .arg(QDir::toNativeSeparators(target)));
        EXPECT_TRUE(stateOf(target) == before) << "the file is changed";
        EXPECT_TRUE(stateOf(t.path()) == live) << "the register is changed";
    }
    // The register still opens and reads.
    EXPECT_GT(t.count(QStringLiteral("Stock")), 0);
}

TEST_F(PdfTarget, APdfThatCannotBeFinishedLeavesTheOldFileAsItWas) {
    const QString target = mine(QStringLiteral("stock.pdf"));
    {
        QFile old(target);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("the old report");
    }
    const FileState before = stateOf(target);
    // No file may grow past 1 KiB: the PDF fails half-way, as on a full disk.
    rlimit limit{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &limit), 0);
    const rlimit small{1024, limit.rlim_max};
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    hooks.files.choose(target);
    QTest::mouseClick(pdf, Qt::LeftButton);
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, previous);

    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].kind, common::MessageKind::Failure);
    EXPECT_EQ(messages.shown()[0].text, QStringLiteral("The print job failed 3"));
    EXPECT_TRUE(stateOf(target) == before) << "the old file is changed";
    EXPECT_EQ(filesInMine(), QStringList{QStringLiteral("stock.pdf")}) << "a temporary file stays";

    // Without the limit the same choice replaces it.
    hooks.files.choose(target);
    QTest::mouseClick(pdf, Qt::LeftButton);
    EXPECT_EQ(messages.shown().size(), 1u);
    EXPECT_TRUE(stateOf(target).bytes.startsWith("%PDF"));
    EXPECT_EQ(filesInMine(), QStringList{QStringLiteral("stock.pdf")});
}
