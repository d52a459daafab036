#include "shell/HelpTopics.h"
#include "common/Session.h"
#include "common/ui/MainWindow.h"
#include "shell/ui/frmVemora.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"
#include "support/TestHooks.h"

#include <QAction>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

using common::MessageKind;
using testing_support::ScriptedMessages;
using testing_support::TestDatabase;

namespace {

// The main window loaded with a program directory of the test's own.
class HelpTopics : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        window = std::make_unique<shell::frmVemora>(session, nullptr);
        window->setProgramDirectory(dir.path());
        window->Form_Load({});
        messages.clear();
    }
    QString inDir(const QString& name) const { return QDir(dir.path()).filePath(name); }
    void helpTopics() { window->menuItem(QStringLiteral("mnuHelpAbout"), 0)->trigger(); }
    void write(const QString& path, const QByteArray& bytes, bool executable = false) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        if (executable)
            f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QTemporaryDir dir;
    TestDatabase t;
    ScriptedMessages messages;
    testing_support::TestHooks hooks;
    common::Session session{t.db(), messages, hooks.clock, hooks.files};
    std::unique_ptr<shell::frmVemora> window;
};

} // namespace

TEST_F(HelpTopics, TheHelpFileBesideTheProgramIsSetWhenTheWindowLoads) {
    EXPECT_EQ(window->helpFile(), inDir(QStringLiteral("AssetsHelp.qch")));
}

TEST_F(HelpTopics, AMissingHelpFileOrViewerShowsTheErrorsDescription) {
    helpTopics();
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].kind, MessageKind::Failure);
    EXPECT_TRUE(messages.shown()[0].text.startsWith(QStringLiteral("Cannot open the help file")))
        << messages.shown()[0].text.toStdString();

    write(window->helpFile(), "help");
    messages.clear();
    helpTopics();
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].kind, MessageKind::Failure);
    EXPECT_TRUE(messages.shown()[0].text.startsWith(QStringLiteral("Cannot start the help viewer")))
        << messages.shown()[0].text.toStdString();

    // A viewer that cannot run.
    write(inDir(shell::HelpViewerName), "#!/no/such/interpreter\n", true);
    messages.clear();
    helpTopics();
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].kind, MessageKind::Failure);
}

TEST_F(HelpTopics, TheViewerBesideTheProgramIsStartedOnTheHelpFile) {
    write(window->helpFile(), "help");
    const QString marker = inDir(QStringLiteral("opened"));
    write(inDir(shell::HelpViewerName),
          "#!/bin/sh\necho \"$1\" > '" + marker.toLocal8Bit() + ".part' && mv '" +
              marker.toLocal8Bit() + ".part' '" + marker.toLocal8Bit() + "'\n",
          true);
    helpTopics();
    EXPECT_TRUE(messages.shown().empty()) << messages.texts().join('\n').toStdString();
    // The viewer runs on its own; wait for the file it leaves.
    QDeadlineTimer deadline(20000);
    while (!QFile::exists(marker) && !deadline.hasExpired())
        QThread::msleep(20);
    QFile f(marker);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << "the viewer did not run";
    EXPECT_EQ(QString::fromLocal8Bit(f.readAll().trimmed()), window->helpFile());
}

TEST_F(HelpTopics, F1OpensTheHelpOnThePageShown) {
    write(window->helpFile(), "help");
    const struct {
        int page;
        const char* topic;
    } cases[] = {{common::EnquireByLocation, "enquire-location.html"},
                 {common::LocationUtilities, "locations.html"},
                 {common::Allocation, "allocation.html"},
                 {common::Reports, "reports.html"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.topic);
        const QString marker = inDir(QStringLiteral("opened-%1").arg(c.page));
        write(inDir(shell::HelpViewerName),
              // Written whole, then renamed: the test reads the marker as
              // soon as it exists.
              "#!/bin/sh\necho \"$1|$2\" > '" + marker.toLocal8Bit() + ".part' && mv '" +
                  marker.toLocal8Bit() + ".part' '" + marker.toLocal8Bit() + "'\n",
              true);
        window->SSTab1()->setCurrentIndex(c.page);
        messages.clear();
        QTest::keyClick(window.get(), Qt::Key_F1);
        EXPECT_TRUE(messages.shown().empty()) << messages.texts().join('\n').toStdString();
        QDeadlineTimer deadline(20000);
        while (!QFile::exists(marker) && !deadline.hasExpired())
            QThread::msleep(20);
        QFile f(marker);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << "the viewer did not run";
        EXPECT_EQ(QString::fromLocal8Bit(f.readAll().trimmed()),
                  window->helpFile() + QLatin1Char('|') + QLatin1String(c.topic));
    }
}
