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

    // A stand-in for the viewer that writes the arguments it was given
    // (the shell's "args" text, e.g. "$1|$2") to a marker file: written
    // whole, then renamed, since the test reads the marker once it exists.
    void fakeViewer(const QString& marker, const QByteArray& args) {
        const QByteArray path = marker.toLocal8Bit();
        write(inDir(shell::HelpViewerName),
              "#!/bin/sh\necho \"" + args + "\" > '" + path + ".part' && mv '" + path + ".part' '" +
                  path + "'\n",
              true);
    }
    // What the stand-in viewer wrote, once it has run; "" when it never did.
    QString viewerRun(const QString& marker) {
        // The viewer runs on its own; wait for the file it leaves.
        QDeadlineTimer deadline(20000);
        while (!QFile::exists(marker) && !deadline.hasExpired())
            QThread::msleep(20);
        QFile f(marker);
        if (!f.open(QIODevice::ReadOnly))
            return QString();
        return QString::fromLocal8Bit(f.readAll().trimmed());
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
    fakeViewer(marker, "$1");
    helpTopics();
    EXPECT_TRUE(messages.shown().empty()) << messages.texts().join('\n').toStdString();
    EXPECT_EQ(viewerRun(marker), window->helpFile()) << "the viewer did not run";
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
        fakeViewer(marker, "$1|$2");
        window->SSTab1()->setCurrentIndex(c.page);
        messages.clear();
        QTest::keyClick(window.get(), Qt::Key_F1);
        EXPECT_TRUE(messages.shown().empty()) << messages.texts().join('\n').toStdString();
        EXPECT_EQ(viewerRun(marker), window->helpFile() + QLatin1Char('|') + QLatin1String(c.topic))
            << "the viewer did not run";
    }
}
