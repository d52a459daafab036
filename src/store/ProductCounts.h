#pragma once

// The live items of each product, kept counted: one ProductCounts row per
// product that has had an item (a product without a row has none), with its
// stock items not in the removed-stock location, its licences not in the
// removed-licences location, and the temporary ones among those licences.
// Triggers on Stock and Licences (an item added, deleted, or changed in its
// product, location or type) and on Products (a product deleted) keep the
// rows right on both engines, so that every writer, the program, the
// importer, vemora-admin, another user on the server or the engine's own
// shell, keeps them right without knowing of them. Pages that show counts
// read them here, in time proportional to the number of products.

#include <QStringList>

#include <functional>

namespace store {

class Database;

// The migration that adds the table and its triggers and counts the items
// already there. Run again (the seeder does, after its bulk load without
// the triggers), it makes the table and the triggers afresh.
void addProductCounts(Database& db);

// Takes the table and its triggers away, for a writer of many items that
// makes them again with addProductCounts once it has written (a copy of a
// whole register): one count at the end costs less than a trigger a row.
void dropProductCounts(Database& db);

// Counts every product's live items again and writes the counts that
// differ. Returns the products whose kept counts were wrong, each as
// "product N: stock kept K, counted C; ..." (empty when all were right).
QStringList recountProducts(Database& db);

// The products whose kept counts differ from a real count, in the same
// words as recountProducts, at most `limit` of them; nothing is written.
QStringList productCountProblems(Database& db, int limit);

// Runs a recount of a table of kept counts in one transaction; on the
// server the table is held against writers first (every write that
// changes a count writes it), so that no writer's count slips between the
// count read and the one written. mend writes the right counts and returns
// what it mended.
QStringList recountKept(Database& db, const QString& table,
                        const std::function<QStringList()>& mend);

// The server text that lets the register's roles at a table of kept
// counts, when the server has them: editors write it through the triggers,
// viewers read it.
QString grantsOnKeptCounts(const QString& table);

} // namespace store
