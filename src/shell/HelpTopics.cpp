#include "shell/HelpTopics.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace shell {

QString StartHelpViewer(const QString& helpFile, const QString& dir, const QString& topic) {
    QFile file(helpFile);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("Cannot open the help file %1: %2")
            .arg(QDir::toNativeSeparators(helpFile), file.errorString());
    file.close();
    const QString viewer = QDir(dir).filePath(HelpViewerName);
    if (!QFileInfo(viewer).isExecutable())
        return QStringLiteral("Cannot start the help viewer %1: no such program")
            .arg(QDir::toNativeSeparators(viewer));
    QProcess process;
    process.setProgram(viewer);
    QStringList arguments{helpFile};
    if (!topic.isEmpty())
        arguments << topic;
    process.setArguments(arguments);
    if (!process.startDetached())
        return QStringLiteral("Cannot start the help viewer %1: %2")
            .arg(QDir::toNativeSeparators(viewer), process.errorString());
    return QString();
}

} // namespace shell
