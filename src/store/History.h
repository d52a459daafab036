#pragma once

// The movement history of stock items and licences: one StockHistory row
// each time an item is placed, moved or parked. Every writer goes through
// here, so that all rows carry the same stamp form.

#include "store/Database.h"

#include <QDateTime>
#include <QString>

namespace store {

// Stamps are local time in ISO form with milliseconds, so that rows
// written within one second keep their order when sorted by stamp.
inline const QString StoredHistoryStamp = QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz");

// Appends one history row for an item ("S" for a stock item, "L" for a
// licence) that now stands at locDesc, made by the connection's user
// (Database::userName). Returns the rows inserted, which the
// caller checks is exactly one; it runs inside the caller's transaction.
int writeHistory(Database& db, int itemId, const QString& type, const QString& locDesc,
                 const QDateTime& at);

// The same rows from one statement prepared once, for a writer of many
// rows in one transaction (an import).
class HistoryWriter {
public:
    explicit HistoryWriter(Database& db);
    // As writeHistory.
    int write(int itemId, const QString& type, const QString& locDesc, const QDateTime& at);

private:
    Query insert_;
    // Who makes the rows: the connection's user, read once.
    QString by_;
    bool used_ = false;
};

// Removes every history row of one item; returns how many went.
int deleteHistory(Database& db, int itemId, const QString& type);

} // namespace store
