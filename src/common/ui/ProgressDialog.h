#pragma once

// Long work on the window's behalf: a progress bar with Cancel, the work on
// a thread of its own (common/BackgroundWork), and the window's events
// handled meanwhile, so that it repaints and answers while the work goes on.
// The dialog is modal to the window that owns it, so nothing else is
// started until the work has ended.

#include "common/BackgroundWork.h"

#include <QPointer>

class QWidget;

namespace common {

class DialogRunner : public WorkRunner {
public:
    // The dialog belongs to parent (the main window); it shows only when
    // the work takes longer than showAfterMs.
    explicit DialogRunner(QWidget* parent, int showAfterMs = 400);

    void run(const QString& title, const Work& work, const Feeder& feeder = {}) override;

    // The object name of the dialog while it is open ("ProgressDialog"), for
    // tests that press its Cancel.
    static const QString DialogName;

private:
    QPointer<QWidget> parent_;
    int showAfterMs_;
};

} // namespace common
