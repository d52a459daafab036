#include "common/Session.h"

namespace common {

Session::Session(store::Database& db, Messages& messages, Clock& clock, FileChooser& files)
    : db_(db), messages_(messages), clock_(clock), files_(files) {}

Session::~Session() = default;

void Session::release() {
    objects_.clear();
}

} // namespace common
