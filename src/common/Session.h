#pragma once

// What every window of a run shares: the one database connection, the
// message facility, the clock and file chooser hooks, the runner of long
// work, and one instance of each logic class, made on first use.
//
// The session knows no logic class by name: logic<T>() makes a T from the
// connection and the hooks the first time it is asked for, and hands the
// same instance out afterwards. So the base layer stays below the
// subsystems, and every window reaches the one shared instance of each
// logic object.

#include <functional>
#include <memory>
#include <type_traits>
#include <typeindex>
#include <unordered_map>

namespace store {
class Database;
}

namespace common {

class Messages;
class Clock;
class FileChooser;
class WorkRunner;

class Session {
public:
    Session(store::Database& db, Messages& messages, Clock& clock, FileChooser& files);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    store::Database& db() { return db_; }
    Messages& messages() { return messages_; }
    Clock& clock() { return clock_; }
    FileChooser& files() { return files_; }
    // Runs long work off the window's thread: a thread of its own with no
    // progress shown unless the program puts a progress dialog in its place.
    WorkRunner& work() { return *work_; }
    void setWork(std::shared_ptr<WorkRunner> runner);

    // The shared instance of a logic class. A class is made with
    // (Database&, Messages&, Clock&) when it has such a constructor, else
    // with (Database&, Messages&).
    template <typename T> T& logic() {
        std::shared_ptr<void>& slot = objects_[std::type_index(typeid(T))];
        if (!slot) {
            if constexpr (std::is_constructible_v<T, store::Database&, Messages&, Clock&>)
                slot = std::make_shared<T>(db_, messages_, clock_);
            else
                slot = std::make_shared<T>(db_, messages_);
        }
        return *static_cast<T*>(slot.get());
    }

    // Lets go of every logic object; the next use makes a fresh one.
    void release();

private:
    store::Database& db_;
    Messages& messages_;
    Clock& clock_;
    FileChooser& files_;
    std::shared_ptr<WorkRunner> work_;
    std::unordered_map<std::type_index, std::shared_ptr<void>> objects_;
};

} // namespace common
