#pragma once

// What the export needs of the desktop, without knowing it: the three-way
// question, the folder in which the save dialogs start, the hourglass,
// handing a written file (or its folder) to the program the desktop opens
// it with, and the notice that offers the folder of a workbook no program
// took. Windows answer with DesktopExportHooks; tests with a script, so
// that nothing is launched.

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
    // The folder in which the save dialogs start: the user's documents.
    virtual QString workbookFolder() const = 0;
    // Opens a written file (or a folder) with the desktop's program for it;
    // false when that could not be done.
    virtual bool openFile(const QString& path) = 0;
    // Shows a notice (information icon) with an "Open Folder" button beside
    // OK; true when the user chose to open the folder.
    virtual bool offerFolder(const QString& notice) = 0;
    // The hourglass on while the export works, off when it ends.
    virtual void setBusy(bool busy) = 0;
};

} // namespace exports
