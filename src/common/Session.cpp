#include "common/Session.h"

#include "common/BackgroundWork.h"

namespace common {

Session::Session(store::Database& db, Messages& messages, Clock& clock, FileChooser& files)
    : db_(db), messages_(messages), clock_(clock), files_(files),
      work_(std::make_shared<ThreadRunner>()) {}

Session::~Session() = default;

void Session::setWork(std::shared_ptr<WorkRunner> runner) {
    work_ = runner ? std::move(runner) : std::make_shared<ThreadRunner>();
}

void Session::release() {
    objects_.clear();
}

} // namespace common
