#include "common/Progress.h"

#include <algorithm>

namespace common {

const char* Cancelled::what() const noexcept {
    return "the work was cancelled";
}

Progress::~Progress() = default;

void Progress::stage(const QString& what, qint64 total) {
    check();
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        what_ = what;
    }
    done_.store(0, std::memory_order_relaxed);
    total_.store(std::max<qint64>(0, total), std::memory_order_relaxed);
    finished_.store(false, std::memory_order_relaxed);
    changed();
}

void Progress::report(qint64 done) {
    check();
    done_.store(done, std::memory_order_relaxed);
    changed();
}

void Progress::report(qint64 done, qint64 total) {
    check();
    total_.store(std::max<qint64>(0, total), std::memory_order_relaxed);
    done_.store(done, std::memory_order_relaxed);
    changed();
}

void Progress::check() const {
    if (cancelled())
        throw Cancelled();
}

void Progress::finish() {
    const qint64 total = std::max<qint64>(1, std::max(total_.load(), done_.load()));
    total_.store(total, std::memory_order_relaxed);
    done_.store(total, std::memory_order_relaxed);
    finished_.store(true, std::memory_order_relaxed);
    changed();
}

void Progress::cancel() {
    cancelled_.store(true, std::memory_order_relaxed);
}

QString Progress::what() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return what_;
}

int Progress::percent() const {
    if (finished_.load(std::memory_order_relaxed))
        return 100;
    const qint64 total = total_.load(std::memory_order_relaxed);
    if (total <= 0)
        return -1;
    const qint64 done = std::clamp<qint64>(done_.load(std::memory_order_relaxed), 0, total);
    return std::min(99, static_cast<int>(done * 100 / total));
}

} // namespace common
