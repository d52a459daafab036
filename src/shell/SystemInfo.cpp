#include "shell/SystemInfo.h"

#include "common/Messages.h"

#include <QProcess>
#include <QStandardPaths>

namespace shell {

std::optional<QString> findSystemInfoProgram() {
    for (const QString& name : SystemInfoPrograms) {
        const QString path = QStandardPaths::findExecutable(name);
        if (!path.isEmpty())
            return path;
    }
    return std::nullopt;
}

bool StartSysInfo(common::Messages& messages) {
    const std::optional<QString> program = findSystemInfoProgram();
    if (program && QProcess::startDetached(*program, {}))
        return true;
    messages.fail(SysInfoUnavailable);
    return false;
}

} // namespace shell
