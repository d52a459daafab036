#pragma once

// What the export needs of the desktop, without knowing it: the three-way
// question, the folder that takes new workbooks, the hourglass, and handing
// a written file to the program the desktop opens it with. Windows answer
// with DesktopExportHooks; tests with a script, so that nothing is
// launched.

#include <QString>

namespace exports {

// The answer to the export question.
enum class ExportChoice {
    Workbook, // Yes
    TextFile, // No
    Cancel,   // Cancel, or Escape
};

class ExportHooks {
public:
    virtual ~ExportHooks() = default;

    // Asks the question with Yes, No and Cancel, Yes the default.
    virtual ExportChoice askExportKind(const QString& question) = 0;
    // The folder in which a new workbook is saved.
    virtual QString workbookFolder() const = 0;
    // Opens a written file with the desktop's program for it; false when
    // that could not be done.
    virtual bool openFile(const QString& path) = 0;
    // The hourglass on while the export works, off when it ends.
    virtual void setBusy(bool busy) = 0;
};

} // namespace exports
