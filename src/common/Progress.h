#pragma once

// Long work reports how far it has come to a Progress, and learns there that
// the user asked it to stop. The work reports from whichever thread does it;
// the window (a progress bar) or the command line (a line on the terminal)
// reads the figures from its own thread, and Cancel sets the flag the work
// finds at its next report. Everything here may be called from any thread.

#include <QString>

#include <atomic>
#include <exception>
#include <mutex>

namespace common {

// Thrown by Progress::report and Progress::check once the work is to stop.
// Whatever the work made on its way unwinds with it: a file being written is
// removed, a transaction rolled back.
class Cancelled : public std::exception {
public:
    const char* what() const noexcept override;
};

class Progress {
public:
    Progress() = default;
    virtual ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // A new stage of the work, in the user's words ("Writing the rows"),
    // with the amount of work it has (rows, bytes, pages; 0 while unknown);
    // the work done starts again at 0.
    void stage(const QString& what, qint64 total = 0);
    // The work done so far in this stage. Throws Cancelled when the work is
    // to stop.
    void report(qint64 done);
    // The same, with the amount of work the stage turns out to have.
    void report(qint64 done, qint64 total);
    // Throws Cancelled when the work is to stop.
    void check() const;
    // The whole of the work is done: 100 %.
    void finish();

    // Asks the work to stop at its next report.
    void cancel();
    bool cancelled() const { return cancelled_.load(std::memory_order_relaxed); }

    QString what() const;
    qint64 total() const { return total_.load(std::memory_order_relaxed); }
    qint64 done() const { return done_.load(std::memory_order_relaxed); }
    // How far the stage has come, 0 to 100; -1 while its total is unknown.
    // A stage that goes past the total it announced stays at 99 until it
    // is finished.
    int percent() const;

protected:
    // Called on the working thread after each stage, report and finish.
    virtual void changed() {}

private:
    mutable std::mutex mutex_;
    QString what_;
    std::atomic<qint64> total_{0};
    std::atomic<qint64> done_{0};
    std::atomic<bool> finished_{false};
    std::atomic<bool> cancelled_{false};
};

} // namespace common
