#pragma once

#include <QString>

namespace store {

class Database;

// Creates the seven tables, their indexes and the five reserved location
// rows in an empty database, in one transaction, at SchemaVersion.
void createSchema(Database& db);

// Creates a new, empty, keyed asset database at path; refuses an existing
// file. Throws DbError on failure.
void createAssetDatabase(const QString& path);

// Brings an opened database up to SchemaVersion, one version at a time,
// then makes sure the seven tables read with their columns. All of it is
// one transaction: a file refused after a migration is left exactly as it
// was. Refuses, with SQLITE_NOTADB, a file with no version, one from a newer
// program and one that lacks a table or column; a migration that fails on
// the file raises its own error, named after the version it was to reach.
// Returns the version the file had. Inside a caller's transaction the
// migration is kept or undone with it.
int checkSchema(Database& db);

} // namespace store
