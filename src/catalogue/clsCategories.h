#pragma once

// Product categories.

namespace store {
class Database;
}
namespace common {
class Messages;
} // namespace common

namespace catalogue {

class clsCategories {
public:
    clsCategories(store::Database& db, common::Messages& messages);

    // True when at least one category exists.
    bool AnyCategory();

private:
    store::Database& db_;
    common::Messages& messages_;
};

} // namespace catalogue
