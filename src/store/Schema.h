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
// each step in its own transaction; then makes sure the seven tables read
// with their columns. Refuses, with SQLITE_NOTADB, a file with no version,
// one from a newer program and one that lacks a table or column.
void checkSchema(Database& db);

// Checks, without changing anything, that an opened database is an asset
// database this program can use: a known schema version (an older one is
// migrated by checkSchema when the file is next opened) and the seven
// tables, with all their columns when the file is at SchemaVersion. Returns
// the version; refuses as checkSchema does.
int verifySchema(Database& db);

} // namespace store
