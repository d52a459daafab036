#pragma once

// What the main window keeps between runs, in the user's settings file
// (never beside the register): its size and position, every splitter's
// shares, the column widths the user set on the lists, and the report
// zoom.

#include <QString>

#include <memory>

class QSettings;

namespace shell {

class frmVemora;

// The settings file in the user's configuration folder: an INI file,
// "Vemora/Vemora Assets.ini" under QSettings' user path for that format
// (~/.config on Linux).
std::shared_ptr<QSettings> userSettings();

// Puts the window back as the settings last saw it; anything missing or
// unreadable leaves its part as the window made it.
void restoreWindow(frmVemora& window, QSettings& settings);
// Writes the window's state to the settings file.
void saveWindow(frmVemora& window, QSettings& settings);

// The keys, by part.
inline const QString GeometryKey = QStringLiteral("window/geometry");
inline const QString SplitterGroup = QStringLiteral("splitters");
inline const QString ColumnGroup = QStringLiteral("columns");
inline const QString ReportZoomKey = QStringLiteral("reports/zoom");

} // namespace shell
