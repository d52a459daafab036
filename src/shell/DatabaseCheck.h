#pragma once

// A full check of an asset database file: the engine's integrity check,
// the schema version brought up to date by the migrations, the tables, the
// references between tables, the five reserved location rows and the rules
// the program keeps for the location tree, the codes and the unique texts.
// vemora-admin check runs it and leaves the file as it was; a restore runs
// it on its copy and keeps the migration when the copy passes, so the two
// judge every file alike.

#include <QStringList>

namespace store {
class Database;
}

namespace shell {

struct CheckResult {
    // What kind of fault was found first.
    enum class Fault {
        None,     // sound
        Damage,   // the engine found the file damaged
        Schema,   // no asset register this program can use, or one that cannot be migrated
        Register, // the rows break a reference or a rule of the register
    };
    int version = 0; // the file's schema version before any migration; 0 when unknown
    Fault fault = Fault::None;
    QStringList problems; // one line per rule broken
    bool ok() const { return problems.isEmpty(); }
};

// What becomes of the migration a check runs on an older file.
enum class Migration {
    Undo, // nothing in the file changes
    Keep, // kept when the file passes every check, undone otherwise
};

// Errors that say nothing about the file (a full disk, an I/O error) are
// raised as store::DbError, with any migration undone.
CheckResult checkDatabase(store::Database& db, Migration migration = Migration::Undo);

} // namespace shell
