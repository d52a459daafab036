#pragma once

// The one source of "now" for everything the program stamps or compares:
// dates added, history stamps, the expiry audit's today, the status bar and
// report dates. Windows use the system clock; tests set the time.

#include <QDate>
#include <QDateTime>

namespace common {

class Clock {
public:
    virtual ~Clock() = default;
    // The local date and time now.
    virtual QDateTime now() const = 0;
    QDate today() const { return now().date(); }
};

// The computer's own clock.
class SystemClock : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

// A clock that stands still until it is set or moved on; for tests and for
// tools that must give the same result on every run.
class FixedClock : public Clock {
public:
    explicit FixedClock(QDateTime at) : at_(std::move(at)) {}
    QDateTime now() const override { return at_; }
    void set(const QDateTime& at) { at_ = at; }
    void advance(qint64 msecs) { at_ = at_.addMSecs(msecs); }

private:
    QDateTime at_;
};

} // namespace common
