#include "common/ui/ProgressDialog.h"
#include "common/BackgroundWork.h"
#include "common/Progress.h"

#include <QApplication>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using common::Cancelled;
using common::DialogRunner;
using common::Progress;

namespace {

QProgressDialog* openDialog() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == DialogRunner::DialogName && w->isVisible())
            return qobject_cast<QProgressDialog*>(w);
    return nullptr;
}

// Work that reports a stage of 100 steps and then waits, checking for a
// cancel, until released.
struct HeldWork {
    std::atomic<bool> release{false};
    std::atomic<bool> started{false};
    void operator()(Progress& progress) {
        progress.stage(QStringLiteral("Copying"), 100);
        progress.report(40);
        started = true;
        while (!release) {
            progress.check();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        progress.report(100);
        progress.finish();
    }
};

} // namespace

TEST(DialogRunner, TheWindowAnswersWhileTheWorkRunsAndTheBarShowsHowFar) {
    QWidget window;
    window.show();
    DialogRunner runner(&window, 0);
    HeldWork work;
    int ticks = 0;
    int shownValue = -1;
    QString shownLabel;
    QTimer answering;
    answering.setInterval(10);
    QObject::connect(&answering, &QTimer::timeout, [&] {
        ++ticks;
        window.update();
        if (QProgressDialog* dialog = openDialog()) {
            shownValue = dialog->value();
            shownLabel = dialog->labelText();
            if (ticks > 20)
                work.release = true;
        }
        if (ticks > 500)
            work.release = true; // never shown: end the test, which fails below
    });
    answering.start();
    runner.run(QStringLiteral("Backing up the database"), [&](Progress& p) { work(p); });
    answering.stop();

    EXPECT_GT(ticks, 20) << "the window's timers ran while the work did";
    EXPECT_EQ(shownValue, 40);
    EXPECT_EQ(shownLabel, QStringLiteral("Copying"));
    EXPECT_EQ(openDialog(), nullptr) << "the dialog goes with the work";
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the pointer is given back";
}

TEST(DialogRunner, CancelStopsTheWorkAndTheRunEndsCancelled) {
    QWidget window;
    window.show();
    DialogRunner runner(&window, 0);
    HeldWork work;
    QTimer pressing;
    pressing.setInterval(10);
    int ticks = 0;
    QObject::connect(&pressing, &QTimer::timeout, [&] {
        if (++ticks > 500)
            work.release = true; // never shown: end the test, which fails below
        QProgressDialog* dialog = openDialog();
        if (!dialog || !work.started)
            return;
        auto* cancel = dialog->findChild<QPushButton*>();
        ASSERT_NE(cancel, nullptr);
        QTest::mouseClick(cancel, Qt::LeftButton);
    });
    pressing.start();
    EXPECT_THROW(runner.run(QStringLiteral("Exporting"), [&](Progress& p) { work(p); }), Cancelled);
    pressing.stop();
    EXPECT_LE(ticks, 500);
    EXPECT_FALSE(work.release) << "the work stopped before it was released";
}

TEST(DialogRunner, ShortWorkShowsNoDialogAndAFeederRunsOnTheWindowsThread) {
    QWidget window;
    DialogRunner runner(&window, 10000);
    const Qt::HANDLE windowThread = QThread::currentThreadId();
    bool fedHere = true;
    std::atomic<int> fed{0};
    bool dialogSeen = false;
    runner.run(
        QStringLiteral("Exporting"),
        [&](Progress& p) {
            while (fed < 3) {
                p.check();
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        },
        [&](Progress&) {
            fedHere = fedHere && QThread::currentThreadId() == windowThread;
            dialogSeen = dialogSeen || openDialog() != nullptr;
            return ++fed < 3 ? common::Fed::More : common::Fed::Done;
        });
    EXPECT_EQ(fed, 3);
    EXPECT_TRUE(fedHere);
    EXPECT_FALSE(dialogSeen);
}
