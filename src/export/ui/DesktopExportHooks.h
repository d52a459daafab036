#pragma once

#include "export/ExportHooks.h"

namespace exports {

// The export's hooks on the desktop: the question as a message box, the
// user's documents folder (the temporary folder when there is none), the
// hourglass, and files opened with the desktop's program for them.
class DesktopExportHooks : public ExportHooks {
public:
    ExportChoice askExportKind(const QString& question) override;
    QString workbookFolder() const override;
    bool openFile(const QString& path) override;
    bool offerFolder(const QString& notice) override;
    void setBusy(bool busy) override;
};

} // namespace exports
