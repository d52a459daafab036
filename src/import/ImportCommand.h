#pragma once

// vemora-admin import FILE --kind stock|licences [--map COLUMN=FIELD ...]
//     [--create-missing] [--skip-bad] [--dry-run] [--separator S]
//     [--db PATH | --server URL]
// Prints every problem as FILE:LINE: reason on standard error. Exit status:
// 0 imported (or, with --dry-run, no problems), 1 problems and nothing
// stored (or the register could not be opened), 2 wrong arguments.

#include <QString>
#include <QStringList>

#include <cstdio>
#include <optional>

namespace common {
class Clock;
}

namespace imports {

QString importUsage();

// Runs args (without the program name) when it is the import command and
// returns the exit status; no value when it is another command. PATH
// defaults to AssetManagement.mdb in programDir.
std::optional<int> runImportCommand(const QStringList& args, const QString& programDir,
                                    common::Clock& clock, std::FILE* out, std::FILE* err);

} // namespace imports
