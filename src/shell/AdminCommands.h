#pragma once

// The shell's commands of vemora-admin, for scheduled jobs:
//   backup DEST [--db PATH]   writes a consistent copy of the asset database
//   check [--db PATH]         checks the file and lists every problem found
//   recount [--db PATH]       counts the products' live items again and mends
//                             the counts the register keeps
// PATH defaults to AssetManagement.mdb in the directory given by the caller
// (the programs' directory).

#include <QString>
#include <QStringList>

#include <cstdio>
#include <optional>

namespace shell {

// The usage lines of these commands.
QString adminUsage();

// Runs args (without the program name) when it is one of these commands and
// returns the exit status: 0 done and sound, 1 failed or problems found, 2
// wrong arguments or a refused backup destination (the live file, its
// journal, the program's own files). No value when the command is not one of these.
std::optional<int> runAdminCommand(const QStringList& args, const QString& programDir,
                                   std::FILE* out, std::FILE* err);

} // namespace shell
