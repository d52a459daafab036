#pragma once

// What every window of a run shares: the one database connection, the
// message facility, and one instance of each logic class, made on first use.

#include <memory>

namespace store {
class Database;
}
namespace locations {
class clsLocations;
}
namespace assets {
class clsStock;
}
namespace catalogue {
class clsCategories;
}

namespace shell {

class Messages;

class Session {
public:
    Session(store::Database& db, Messages& messages);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    store::Database& db() { return db_; }
    Messages& messages() { return messages_; }

    locations::clsLocations& locations();
    assets::clsStock& stock();
    catalogue::clsCategories& categories();

    // Lets go of every logic object; the next use makes a fresh one.
    void release();

private:
    store::Database& db_;
    Messages& messages_;
    std::unique_ptr<locations::clsLocations> locations_;
    std::unique_ptr<assets::clsStock> stock_;
    std::unique_ptr<catalogue::clsCategories> categories_;
};

} // namespace shell
