#pragma once

// The command line's progress: one line on standard error, written over in
// place as the work goes on ("Backing up: 45 %"), and taken away when the
// work ends. Shown only when standard error is a terminal; a run whose
// output goes to a file or a pipe (cron) writes no progress at all.

#include "common/BackgroundWork.h"
#include "common/Progress.h"

#include <QElapsedTimer>

#include <cstdio>
#include <mutex>

namespace common {

class TerminalProgress : public Progress {
public:
    // title begins the line; shown when out is a terminal.
    TerminalProgress(QString title, std::FILE* out);
    // Takes the line away.
    ~TerminalProgress() override;

    bool shown() const { return shown_; }
    // The line as it would be written now ("Backing up: 45 %").
    QString line() const;

protected:
    void changed() override;

private:
    // Both the work and the feeder may report.
    std::mutex writing_;
    QString title_;
    std::FILE* out_;
    bool shown_;
    QElapsedTimer sinceWritten_;
    QString written_;
    QString stageWritten_;
    int width_ = 0;
};

// Runs the work on a thread of its own, its progress on the terminal.
class TerminalRunner : public ThreadRunner {
public:
    explicit TerminalRunner(std::FILE* out = stderr) : out_(out) {}

protected:
    std::unique_ptr<Progress> makeProgress(const QString& title) override;

private:
    std::FILE* out_;
};

} // namespace common
