#pragma once

// Product categories.

namespace store {
class Database;
}
namespace shell {
class Messages;
}

namespace catalogue {

class clsCategories {
public:
    clsCategories(store::Database& db, shell::Messages& messages);

    // True when at least one category exists.
    bool AnyCategory();

private:
    store::Database& db_;
    shell::Messages& messages_;
};

} // namespace catalogue
