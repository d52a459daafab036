#include "shell/StartUp.h"
#include "shell/SystemInfo.h"
#include "shell/ui/frmAbout.h"
#include "support/ScriptedMessages.h"
#include "support/Widgets.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

using common::MessageKind;
using testing_support::child;
using testing_support::ScriptedMessages;

namespace {

// PATH set to one directory of the test's own for the test's length.
class FakePath {
public:
    FakePath() : saved_(qgetenv("PATH")) { qputenv("PATH", dir_.path().toLocal8Bit()); }
    ~FakePath() { qputenv("PATH", saved_); }

    // An executable script named name whose body is script.
    QString add(const QString& name, const QByteArray& script) {
        const QString path = QDir(dir_.path()).filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(script);
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }
    QString file(const QString& name) const { return QDir(dir_.path()).filePath(name); }

private:
    QByteArray saved_;
    QTemporaryDir dir_;
};

// A program that leaves a file naming itself when it runs.
QByteArray marking(const QString& marker, const char* name) {
    return "#!/bin/sh\necho " + QByteArray(name) + " > '" + marker.toLocal8Bit() + "'\n";
}

} // namespace

TEST(About, ShowsTitleVersionDisclaimerIconAndButtons) {
    ScriptedMessages messages;
    shell::frmAbout about(messages);
    about.lblVersion()->setText(shell::VersionText);
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About Vemora! Assets"));
    EXPECT_EQ(child<QLabel>(&about, "lblVersion")->text(), QStringLiteral("Version 1.9"));
    EXPECT_FALSE(child<QLabel>(&about, "lblTitle")->text().isEmpty());
    EXPECT_GT(child<QLabel>(&about, "lblDisclaimer")->text().size(), 40);
    EXPECT_FALSE(child<QLabel>(&about, "Image1")->pixmap().isNull());
    EXPECT_EQ(about.findChildren<QFrame*>(QStringLiteral("Line1")).size(), 2);
    EXPECT_EQ(child<QPushButton>(&about, "cmdOK")->text(), QStringLiteral("&OK"));
    EXPECT_EQ(child<QPushButton>(&about, "cmdSysInfo")->text(), QStringLiteral("&System Info..."));

    about.show();
    QTest::mouseClick(child<QPushButton>(&about, "cmdOK"), Qt::LeftButton);
    EXPECT_FALSE(about.isVisible());
    EXPECT_TRUE(messages.shown().empty());
}

TEST(About, SystemInfoWithoutAProgramOnPathSaysItIsUnavailable) {
    FakePath path;
    // A file of the right name that cannot run is no program either.
    path.add(QStringLiteral("hardinfo"), "#!/no/such/interpreter\n");
    ScriptedMessages messages;
    shell::frmAbout about(messages);
    for (bool withBrokenProgram : {true, false}) {
        if (!withBrokenProgram)
            QFile::remove(path.file(QStringLiteral("hardinfo")));
        messages.clear();
        QTest::mouseClick(child<QPushButton>(&about, "cmdSysInfo"), Qt::LeftButton);
        ASSERT_EQ(messages.shown().size(), 1u);
        EXPECT_EQ(messages.shown()[0].kind, MessageKind::Failure);
        EXPECT_EQ(messages.shown()[0].text,
                  QStringLiteral("System information is unavailable at this time"));
    }
}

TEST(About, SystemInfoStartsTheFirstProgramOfTheListOnPath) {
    FakePath path;
    QTemporaryDir out;
    const QString marker = QDir(out.path()).filePath(QStringLiteral("started"));
    path.add(QStringLiteral("lshw-gtk"), marking(marker, "lshw-gtk"));
    path.add(QStringLiteral("kinfocenter"), marking(marker, "kinfocenter"));
    EXPECT_EQ(shell::findSystemInfoProgram(), path.file(QStringLiteral("kinfocenter")));

    ScriptedMessages messages;
    shell::frmAbout about(messages);
    QTest::mouseClick(child<QPushButton>(&about, "cmdSysInfo"), Qt::LeftButton);
    EXPECT_TRUE(messages.shown().empty()) << messages.texts().join('\n').toStdString();
    // The program runs on its own; wait for the file it leaves, written.
    QDeadlineTimer deadline(20000);
    while (QFileInfo(marker).size() == 0 && !deadline.hasExpired())
        QThread::msleep(20);
    QFile file(marker);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "the program did not run";
    EXPECT_EQ(file.readAll().trimmed(), QByteArray("kinfocenter"));
}
