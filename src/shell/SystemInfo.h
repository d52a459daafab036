#pragma once

// The system-information program started by the About box's
// "&System Info...": the first of a short list of such programs found on
// PATH.

#include <QString>
#include <QStringList>

#include <optional>

namespace common {
class Messages;
}

namespace shell {

inline const QString SysInfoUnavailable =
    QStringLiteral("System information is unavailable at this time");

// The programs looked for, in order: HardInfo, KDE's Info Center, the
// graphical front end of lshw.
inline const QStringList SystemInfoPrograms = {
    QStringLiteral("hardinfo"), QStringLiteral("kinfocenter"), QStringLiteral("lshw-gtk")};

// The full path of the first program of the list found on PATH.
std::optional<QString> findSystemInfoProgram();

// Starts that program on its own; when none is found or it fails to
// start, shows SysInfoUnavailable (critical). True when started.
bool StartSysInfo(common::Messages& messages);

} // namespace shell
