#pragma once

// Runs a piece of a test from inside the next event loop that is entered,
// such as the loop of a modal dialog being shown by the code under test.
// Showing a window may already deliver posted events before the dialog's
// loop begins; closing the dialog from there would leave the loop waiting
// for ever, so the work waits until a loop is really running.

#include <QThread>
#include <QTimer>

#include <functional>
#include <utility>

namespace testing_support {

class InsideEventLoop {
public:
    explicit InsideEventLoop(std::function<void()> work) : work_(std::move(work)) {
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (QThread::currentThread()->loopLevel() == 0)
                return;
            timer_.stop();
            work_();
        });
        timer_.start();
    }
    InsideEventLoop(const InsideEventLoop&) = delete;
    InsideEventLoop& operator=(const InsideEventLoop&) = delete;

    // True once the work has run.
    bool done() const { return !timer_.isActive(); }

private:
    std::function<void()> work_;
    QTimer timer_;
};

} // namespace testing_support
