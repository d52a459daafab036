#pragma once

// The hooks a test session runs on: a clock set to a fixed time and files
// chosen from a script (messages come from ScriptedMessages).

#include "common/Clock.h"
#include "support/ScriptedFileChooser.h"

#include <QDateTime>

namespace testing_support {

// Thursday 10 December 2026, 09:30:00 local time.
inline QDateTime testNow() {
    return QDateTime(QDate(2026, 12, 10), QTime(9, 30, 0));
}

struct TestHooks {
    common::FixedClock clock{testNow()};
    ScriptedFileChooser files;
};

} // namespace testing_support
