#pragma once

// Long work run as the command line runs it (a thread of its own), with a
// progress that remembers what the work reported and can stop it part-way:
// once a stage has reported stopAt units of work, the user presses Cancel.

#include "common/BackgroundWork.h"
#include "common/Progress.h"

#include <QString>

#include <atomic>
#include <limits>
#include <memory>
#include <mutex>
#include <vector>

namespace testing_support {

class RecordingRunner : public common::ThreadRunner {
public:
    // Never stops the work unless told.
    explicit RecordingRunner(qint64 stopAt = std::numeric_limits<qint64>::max())
        : stopAt_(stopAt) {}

    // What the last run reported: its percentages in order, the most done
    // in a stage and whether it was cancelled.
    std::vector<int> percents() const {
        const std::lock_guard<std::mutex> lock(mutex_);
        return percents_;
    }
    int lastPercent() const {
        const std::lock_guard<std::mutex> lock(mutex_);
        return percents_.empty() ? -2 : percents_.back();
    }
    qint64 mostDone() const { return mostDone_.load(); }
    bool stopped() const { return stopped_.load(); }
    int runs() const { return runs_.load(); }
    QString title() const {
        const std::lock_guard<std::mutex> lock(mutex_);
        return title_;
    }

protected:
    std::unique_ptr<common::Progress> makeProgress(const QString& title) override {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            percents_.clear();
            title_ = title;
        }
        mostDone_ = 0;
        stopped_ = false;
        ++runs_;
        return std::make_unique<Watch>(*this);
    }

private:
    class Watch : public common::Progress {
    public:
        explicit Watch(RecordingRunner& runner) : runner_(runner) {}

    protected:
        void changed() override {
            {
                const std::lock_guard<std::mutex> lock(runner_.mutex_);
                runner_.percents_.push_back(percent());
            }
            if (done() > runner_.mostDone_)
                runner_.mostDone_ = done();
            if (done() >= runner_.stopAt_ && percent() != 100 && !cancelled()) {
                runner_.stopped_ = true;
                cancel();
            }
        }

    private:
        RecordingRunner& runner_;
    };

    const qint64 stopAt_;
    mutable std::mutex mutex_;
    std::vector<int> percents_;
    QString title_;
    std::atomic<qint64> mostDone_{0};
    std::atomic<bool> stopped_{false};
    std::atomic<int> runs_{0};
};

} // namespace testing_support
