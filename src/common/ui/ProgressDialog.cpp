#include "common/ui/ProgressDialog.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QLocale>
#include <QProgressDialog>
#include <QTimer>

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace common {

const QString DialogRunner::DialogName = QStringLiteral("ProgressDialog");

namespace {

// How often the bar is brought up to date.
constexpr int RefreshMs = 50;

// The window's thread spends the feeder's pauses in its own events; while
// there is nothing to feed it waits a moment between them, or until the work
// has ended.
class EventIdle : public Sleeper {
public:
    void pause(bool wait) override {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        Sleeper::pause(wait);
    }
};

// What the bar shows of a progress: the stage, and a percentage, or the
// count done while the total is unknown.
void show(QProgressDialog& dialog, const Progress& progress) {
    const int percent = progress.percent();
    QString label = progress.what();
    if (percent < 0) {
        if (dialog.maximum() != 0)
            dialog.setRange(0, 0);
        if (progress.done() > 0)
            label += QStringLiteral(": ") + QLocale().toString(progress.done());
    } else {
        if (dialog.maximum() != 100)
            dialog.setRange(0, 100);
        dialog.setValue(percent);
    }
    if (dialog.labelText() != label)
        dialog.setLabelText(label);
}

} // namespace

DialogRunner::DialogRunner(QWidget* parent, int showAfterMs)
    : parent_(parent), showAfterMs_(showAfterMs) {}

void DialogRunner::run(const QString& title, const Work& work, const Feeder& feeder) {
    Progress progress;
    QProgressDialog dialog(parent_);
    dialog.setObjectName(DialogName);
    dialog.setWindowTitle(title);
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    dialog.setMinimumDuration(0);
    dialog.setMinimumWidth(360);
    dialog.setRange(0, 0);
    dialog.setLabelText(title);
    // The dialog's own timer would show it after a first setValue; it shows
    // here when the work outlasts showAfterMs.
    dialog.cancel();
    dialog.reset();
    QObject::connect(&dialog, &QProgressDialog::canceled, &dialog,
                     [&progress] { progress.cancel(); });

    // While the bar shows, the pointer says the program works but answers:
    // over an hourglass a caller set, and only until the work ends.
    struct Pointer {
        bool pushed = false;
        void push() {
            if (!pushed)
                QApplication::setOverrideCursor(QCursor(Qt::BusyCursor));
            pushed = true;
        }
        ~Pointer() {
            if (pushed)
                QApplication::restoreOverrideCursor();
        }
    } pointer;
    QElapsedTimer since;
    since.start();
    QTimer refresh;
    refresh.setInterval(RefreshMs);
    QObject::connect(&refresh, &QTimer::timeout, &dialog, [&] {
        if (!dialog.isVisible() && since.elapsed() >= showAfterMs_ && !progress.cancelled()) {
            pointer.push();
            dialog.show();
        }
        if (dialog.isVisible())
            show(dialog, progress);
    });
    refresh.start();

    EventIdle idle;
    runAlongside(progress, work, feeder, idle);
    if (dialog.isVisible() && !progress.cancelled()) {
        progress.finish();
        show(dialog, progress);
    }
}

} // namespace common
