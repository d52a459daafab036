#pragma once

#include <QString>

namespace store {

class Database;

// Creates the seven tables, their indexes and the five reserved location
// rows in an empty database, in one transaction.
void createSchema(Database& db);

// Creates a new, empty, keyed asset database at path; refuses an existing
// file. Throws DbError on failure.
void createAssetDatabase(const QString& path);

// Brings an opened database up to the current schema version; refuses a
// file that is not an asset database or comes from a newer program.
void checkSchema(Database& db);

} // namespace store
