#pragma once

// Runs a long import step with a progress bar and Cancel. The work stays
// on the window's thread, on the session's one connection: the bar is a
// window-modal progress dialog, so no other window takes input while the
// transaction is open, and the work lets the event loop run each time it
// reports progress (every few hundred rows), which keeps the window
// painting and Cancel answering. Cancel makes the progress callback say
// stop, and the work rolls back.

#include "import/clsImport.h"

#include <QString>

#include <functional>

class QWidget;

namespace imports {

ImportResult runWithProgress(QWidget* parent, const QString& label,
                             const std::function<ImportResult(const Progress&)>& work);

} // namespace imports
