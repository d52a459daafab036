#pragma once

// One copy of the program per asset database: a lock file beside the
// register ("AssetManagement.mdb.lock") holds the process id of the copy
// that has it open, and an flock(2) on it that the system drops when that
// process ends, however it ends. A lock file left by a process that has
// gone is therefore taken over at once; one held by a running copy refuses
// the start. vemora-admin takes no lock: backup and check work beside a
// running program.

#include <QString>

#include <memory>
#include <optional>

namespace shell {

// The refusal shown to a second copy, naming the register and, when the
// lock file tells it, the process that holds it.
QString alreadyOpenText(const QString& databasePath, std::optional<qint64> pid);

class DatabaseLock {
public:
    // The lock file of the database at databasePath.
    static QString lockPath(const QString& databasePath);

    // Takes the lock of the database at databasePath. When another running
    // process holds it, returns null and sets *holder to that process's id
    // when known; a file that cannot be made throws common::FileError.
    static std::unique_ptr<DatabaseLock> acquire(const QString& databasePath,
                                                 std::optional<qint64>* holder = nullptr);

    // Releases the lock and removes the lock file.
    ~DatabaseLock();
    DatabaseLock(const DatabaseLock&) = delete;
    DatabaseLock& operator=(const DatabaseLock&) = delete;

private:
    DatabaseLock(QString path, int fd);
    QString path_;
    int fd_;
};

} // namespace shell
