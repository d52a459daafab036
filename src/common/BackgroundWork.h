#pragma once

// Long work off the calling thread: the work runs on a thread of its own
// while the caller's thread stays free, for the window to repaint and
// answer (DialogRunner in common/ui shows a progress bar with Cancel) or
// for the command line to wait (ThreadRunner, TerminalRunner).
//
// The register's connection serves one thread at a time, and the window's
// thread owns it. Work that needs rows of the register therefore comes in
// two parts: a feeder that reads the rows on the caller's thread, a slice of
// a few milliseconds at a time between the window's events, and the work
// proper on its own thread, which formats, compresses and writes what the
// feeder hands it through a Handoff. Work that needs no rows (a file copied,
// a page painted, another connection of its own) is all work and no feeder.

#include "common/Progress.h"

#include <QString>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

namespace common {

// The part of the work that runs on a thread of its own.
using Work = std::function<void(Progress&)>;

// What one call of a feeder leaves to do.
enum class Fed {
    More, // call again as soon as the caller's events have had their turn
    Wait, // nothing to do until the work has taken what it was given
    Done, // nothing more, ever
};
// The part of the work that stays on the caller's thread, one short slice a
// call.
using Feeder = std::function<Fed(Progress&)>;

class WorkRunner {
public:
    virtual ~WorkRunner();
    // Runs work on a thread of its own and feeder (when given) on this one,
    // until the work has ended; what the work reports reaches the user as it
    // comes, under the title. Rethrows what either part threw, Cancelled
    // when the user stopped the work.
    virtual void run(const QString& title, const Work& work, const Feeder& feeder = {}) = 0;
};

// How a runner's own thread spends the time the feeder leaves it.
class Idle {
public:
    virtual ~Idle();
    // Lets the caller's thread do what else it has to; with wait, until
    // there is something (or a few milliseconds have passed).
    virtual void pause(bool wait) = 0;
    // Called from the work's thread when it has ended, to end a pause.
    virtual void wake() = 0;
};

// The plain way to idle: the calling thread sleeps until the work ends or a
// moment passes.
class Sleeper : public Idle {
public:
    void pause(bool wait) override;
    void wake() override;

private:
    std::mutex mutex_;
    std::condition_variable woken_;
    bool ended_ = false;
};

// The loop every runner goes through: starts the work on a thread of its
// own, calls the feeder until it is done, pauses between, and waits for the
// work to end. When the feeder throws, the work is cancelled and the
// feeder's error is the one rethrown.
void runAlongside(Progress& progress, const Work& work, const Feeder& feeder, Idle& idle);

// Runs the work on a thread of its own while the calling thread feeds it or
// waits: for the command line and for tests. The progress goes nowhere
// unless a subclass makes one that shows it.
class ThreadRunner : public WorkRunner {
public:
    void run(const QString& title, const Work& work, const Feeder& feeder = {}) override;

protected:
    // The progress of one run.
    virtual std::unique_ptr<Progress> makeProgress(const QString& title);
};

// Slices handed from the feeder's thread to the work's: a queue of at most
// a few slices, so that the feeder runs only as far ahead as the work keeps
// up. The work waits for the next slice; the feeder never waits.
template <typename T> class Handoff {
public:
    explicit Handoff(std::size_t capacity) : capacity_(capacity) {}

    // The feeder's side. True while the queue has room for a slice.
    bool wantsMore() const {
        const std::lock_guard<std::mutex> lock(mutex_);
        return !closed_ && queue_.size() < capacity_;
    }
    void put(T slice) {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            queue_.push_back(std::move(slice));
        }
        ready_.notify_one();
    }
    // No more slices will come.
    void close() {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            closed_ = true;
        }
        ready_.notify_all();
    }

    // The work's side: the next slice, waiting for it; no value once the
    // feeder has closed the queue and it is empty. Throws Cancelled when the
    // work's progress says it is to stop.
    std::optional<T> take(const Progress& progress) {
        std::unique_lock<std::mutex> lock(mutex_);
        while (queue_.empty() && !closed_) {
            progress.check();
            ready_.wait_for(lock, std::chrono::milliseconds(20));
        }
        progress.check();
        if (queue_.empty())
            return std::nullopt;
        T slice = std::move(queue_.front());
        queue_.pop_front();
        return slice;
    }

private:
    const std::size_t capacity_;
    mutable std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<T> queue_;
    bool closed_ = false;
};

} // namespace common
