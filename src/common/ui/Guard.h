#pragma once

#include "common/Messages.h"
#include "store/Database.h"

namespace common {

// Runs an event handler's work. An unexpected database error abandons the
// work (open transactions roll back as the stack unwinds) and is shown as
// one critical message; the program carries on.
template <typename Work>
bool guarded(Messages& messages, Work&& work, ErrorForm form = ErrorForm::Full) {
    try {
        work();
        return true;
    } catch (const store::DbError& error) {
        messages.reportError(error, form);
        return false;
    }
}

} // namespace common
