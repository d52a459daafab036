#pragma once

// Moving a whole register between engines: from a file to an empty database
// on a server and back (vemora-admin copy). Ids, history and stamps are
// kept; the target is written in one transaction, so a copy that fails
// leaves it as empty as it was.

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

namespace store {
class Database;
}

namespace shell {

// Why File > Database Utils > Restore is disabled on a server register.
inline const QString ServerRestoreTip =
    QStringLiteral("A register on a server is restored by its administrator (vemora-admin copy "
                   "FILE URL into an empty database)");

// True when text names a server register (a libpq URI or keyword string)
// rather than a file.
bool isServerAddress(const QString& text);

// Opens a register named on the command line: a server by its address, a
// file by its path with the program's key.
std::unique_ptr<store::Database> openRegister(const QString& where);

struct CopyCounts {
    std::int64_t rows = 0;
    int tables = 0;
};

// Copies every table of the register in from (brought up to the current
// schema inside a transaction that is then undone, so the source is left as
// it was) into to, which must hold no register: the schema is made there,
// then the rows, in batches of many rows to a statement. Raises DbError,
// with nothing written, when to already holds a register or anything fails.
CopyCounts copyRegister(store::Database& from, store::Database& to);

// Writes the register db holds (on a server) to an encrypted register file at
// destination that the program opens: copied into a new file beside it,
// which then takes the destination's place. Raises DbError or
// common::FileError, leaving any earlier file at destination as it was.
CopyCounts backupToFile(store::Database& db, const QString& destination);

} // namespace shell
