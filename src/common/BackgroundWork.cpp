#include "common/BackgroundWork.h"

#include <atomic>
#include <thread>

namespace common {

WorkRunner::~WorkRunner() = default;

Idle::~Idle() = default;

void runAlongside(Progress& progress, const Work& work, const Feeder& feeder, Idle& idle) {
    std::exception_ptr workError;
    std::exception_ptr feedError;
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        try {
            work(progress);
        } catch (...) {
            workError = std::current_exception();
        }
        finished.store(true);
        idle.wake();
    });
    try {
        bool feeding = static_cast<bool>(feeder);
        while (!finished.load()) {
            Fed fed = Fed::Wait;
            if (feeding && progress.cancelled())
                feeding = false;
            if (feeding) {
                try {
                    fed = feeder(progress);
                } catch (...) {
                    // The work waits for slices that will not come.
                    feedError = std::current_exception();
                    progress.cancel();
                    feeding = false;
                }
                if (fed == Fed::Done)
                    feeding = false;
            }
            idle.pause(!feeding || fed != Fed::More);
        }
    } catch (...) {
        progress.cancel();
        worker.join();
        throw;
    }
    worker.join();
    if (feedError)
        std::rethrow_exception(feedError);
    if (workError)
        std::rethrow_exception(workError);
}

void Sleeper::pause(bool wait) {
    if (!wait)
        return;
    std::unique_lock<std::mutex> lock(mutex_);
    woken_.wait_for(lock, std::chrono::milliseconds(2), [this] { return ended_; });
}

void Sleeper::wake() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        ended_ = true;
    }
    woken_.notify_all();
}

void ThreadRunner::run(const QString& title, const Work& work, const Feeder& feeder) {
    const std::unique_ptr<Progress> progress = makeProgress(title);
    Sleeper idle;
    runAlongside(*progress, work, feeder, idle);
}

std::unique_ptr<Progress> ThreadRunner::makeProgress(const QString&) {
    return std::make_unique<Progress>();
}

} // namespace common
