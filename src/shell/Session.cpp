#include "shell/Session.h"

#include "assets/clsStock.h"
#include "catalogue/clsCategories.h"
#include "locations/clsLocations.h"

namespace shell {

namespace {

template <typename T> T& made(std::unique_ptr<T>& slot, store::Database& db, Messages& messages) {
    if (!slot)
        slot = std::make_unique<T>(db, messages);
    return *slot;
}

} // namespace

Session::Session(store::Database& db, Messages& messages) : db_(db), messages_(messages) {}

Session::~Session() = default;

locations::clsLocations& Session::locations() {
    return made(locations_, db_, messages_);
}

assets::clsStock& Session::stock() {
    return made(stock_, db_, messages_);
}

catalogue::clsCategories& Session::categories() {
    return made(categories_, db_, messages_);
}

void Session::release() {
    locations_.reset();
    stock_.reset();
    categories_.reset();
}

} // namespace shell
