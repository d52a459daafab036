#pragma once

// The live licences of each expiry date, kept counted: one ExpiryCounts row
// per date that a licence not in the removed-licences location has had
// (a date without a row has none). Triggers on Licences (a licence added,
// deleted, or changed in its date or location) keep the rows right on both
// engines, whoever writes, as for the products' counts. The start-up notice
// sums them over a range of dates, in time proportional to the number of
// dates rather than of licences.

#include <QStringList>

namespace store {

class Database;

// The migration that adds the table and its triggers and counts the
// licences already there. Run again, it makes them afresh.
void addExpiryCounts(Database& db);

// Takes the table and its triggers away, for a writer of many licences
// that makes them again with addExpiryCounts once it has written.
void dropExpiryCounts(Database& db);

// Counts every date's live licences again and writes the counts that
// differ. Returns the dates whose kept counts were wrong, each as
// "expiry date D: kept K, counted C" (empty when all were right).
QStringList recountExpiries(Database& db);

// The dates whose kept counts differ from a real count, in the same words
// as recountExpiries, at most `limit` of them (all: -1); nothing is written.
QStringList expiryCountProblems(Database& db, int limit);

} // namespace store
