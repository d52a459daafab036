#pragma once

// "&Help Topics": the help file AssetsHelp.qch beside the program, shown by
// the program's help viewer vemora-help (contents, index and full-text
// search). The viewer is a program of its own, as a help viewer
// traditionally is: its search index needs an SQLite with full-text search,
// which the program's own SQLCipher engine does not carry.

#include "common/FileGuard.h"

#include <QString>

namespace shell {

using common::HelpFileName;
inline const QString HelpViewerName = QStringLiteral("vemora-help");

// Starts the help viewer found in dir on helpFile, at the page topic (a
// page's file name, "allocation.html") or, with none, at the first page.
// Returns the description of what went wrong (the help file missing or
// unreadable, the viewer missing or not starting), or "" when the viewer
// has started.
QString StartHelpViewer(const QString& helpFile, const QString& dir,
                        const QString& topic = QString());

} // namespace shell
