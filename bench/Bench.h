#pragma once

// The benchmark's cases and how they are timed.
//
// A case is one user operation run through the program's own code (the
// windows under the offscreen platform, or the logic classes), with beside
// it the raw SQL of the same work: statements stepped through the same
// rows on the same connection with the engine's C interface and
// nothing else, or a faster way to the same rows where one is known
// (checked row for row). Each is run once to warm up, then N times; the
// table shows the median and minimum of the operation, the median of its
// raw SQL and the ratio of the two medians, and on request the median of the
// operation run alone in a fresh process.
//
// A new operation is one more Case added by a case group (see Cases.h).

#include "store/Database.h"

#include <QString>
#include <QStringList>
#include <QVariantList>

#include <functional>
#include <optional>
#include <vector>

struct sqlite3;

namespace bench {

// One statement with its values, bound by position.
struct RawStatement {
    QString sql;
    QVariantList values;
};
using Statements = std::vector<RawStatement>;
// A statement built with its values, as the program runs it.
RawStatement rawStatement(const QString& sql, const std::vector<store::BoundValue>& values);

// Every row of each statement in turn, each column as text (NULL as "").
std::vector<QStringList> rowsOf(store::Database& connection, const Statements& statements);

// Prepares, binds and steps each statement through all its rows; returns
// the number of rows stepped. Throws store::DbError on failure.
int stepThrough(sqlite3* connection, const Statements& statements);
// The same on a connection of the store: on the file, with the engine's C
// interface on its handle; on a server, through the store's own statements
// (libpq, with the engine's translation of the text and its placeholders).
int stepThrough(store::Database& connection, const Statements& statements);

struct Case {
    QString name;
    // The operation as the user meets it.
    std::function<void()> run;
    // How many rows the operation shows or changes; asked once, untimed,
    // after the warm-up run and before its after().
    std::function<int()> rows;
    // Untimed work around every run of the operation and of its raw SQL:
    // a fresh row to act on, an undo, the page to show first.
    std::function<void()> before;
    std::function<void()> after;

    // The raw SQL, either as statements stepped on the operation's own
    // connection (made after before(), so they may name a fresh row) ...
    store::Database* connection = nullptr;
    std::function<Statements()> statements;
    // ... or as work of its own, for operations that open their own
    // connection. Neither: the table shows no raw figure.
    std::function<void()> raw;
    // A faster way to the same rows than the operation's own statements,
    // when there is one. Its rows must equal theirs, row for row and in
    // order (checked on the warm-up run; a difference fails the case), and
    // the raw figure is then its time: the ratio compares the program with
    // the best SQL found, not with itself.
    std::function<Statements()> best;
};

struct Options {
    int runs = 15;
    // Only the cases whose name contains this text; all when empty.
    QString only;
    // Only the case of exactly that name.
    bool exact = false;
    // Prints only "median MS" of the one case run, for a parent bench.
    bool medianOnly = false;
    // When set, the table gains an "alone ms" column: the case's median in
    // a fresh process that runs it alone, without the cases before it.
    std::function<std::optional<double>(const QString& name)> alone;
};

class Bench {
public:
    void add(Case c) { cases_.push_back(std::move(c)); }

    // Times every case and prints the table to standard output. A case that
    // fails has its reason in the table and the others still run; false
    // when any failed.
    bool runAll(const Options& options);

    // Called after every run of an operation; throws to fail the case, e.g.
    // when the program showed the user a message. Optional.
    std::function<void()> check;

private:
    std::vector<Case> cases_;
};

} // namespace bench
