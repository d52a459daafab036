#pragma once

// A full check of an asset database file, for scheduled jobs
// (vemora-admin check): the engine's integrity check, the references
// between tables, the schema version and tables, the five reserved
// location rows and the rules the program keeps for the location tree, the
// codes and the unique texts. Reads only.

#include <QStringList>

namespace store {
class Database;
}

namespace shell {

struct CheckResult {
    int version = 0;      // the file's schema version; 0 when unknown
    QStringList problems; // one line per rule broken
    bool ok() const { return problems.isEmpty(); }
};

CheckResult checkDatabase(store::Database& db);

} // namespace shell
