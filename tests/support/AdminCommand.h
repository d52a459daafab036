#pragma once

// Runs the vemora-admin built beside the test program, as a scheduled job or
// a user at a shell would, and collects what it says.

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

namespace testing_support {

struct AdminResult {
    int status = -1; // the exit status; -1 when it did not end normally
    QByteArray out;  // standard output, as written
    QString err;
    QString outText() const { return QString::fromUtf8(out); }
};

// The program beside the test program.
inline QString adminProgram() {
    return QDir(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath())
        .filePath(QStringLiteral("vemora-admin"));
}

inline AdminResult runAdmin(const QStringList& args) {
    QProcess p;
    p.start(adminProgram(), args);
    EXPECT_TRUE(p.waitForFinished(60000)) << adminProgram().toStdString();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            QString::fromUtf8(p.readAllStandardError())};
}

} // namespace testing_support
