#pragma once

// The statements a connection to a register file prepares while a log
// lives, as written (placeholders unfilled); with SQLite's query plan of
// each. File registers only: skip server runs.

#include "store/Database.h"

#include <QString>
#include <QStringList>

#include <sqlite3.h>

namespace testing_support {

class StatementLog {
public:
    explicit StatementLog(store::Database& db) : db_(db) {
        sqlite3_trace_v2(db_.handle(), SQLITE_TRACE_STMT, &StatementLog::onTrace, this);
    }
    ~StatementLog() { stop(); }
    StatementLog(const StatementLog&) = delete;
    StatementLog& operator=(const StatementLog&) = delete;

    void stop() { sqlite3_trace_v2(db_.handle(), 0, nullptr, nullptr); }
    int count() const { return static_cast<int>(texts_.size()); }
    const QStringList& texts() const { return texts_; }

    // The query plan's lines of a statement, joined by "|".
    static QString planOf(store::Database& db, const QString& sql) {
        store::Query q(db, QStringLiteral("EXPLAIN QUERY PLAN ") + sql);
        QStringList plan;
        while (q.next())
            plan << q.text(QStringLiteral("detail"));
        return plan.join(QLatin1Char('|'));
    }

private:
    static int onTrace(unsigned, void* self, void* statement, void*) {
        static_cast<StatementLog*>(self)->texts_
            << QString::fromUtf8(sqlite3_sql(static_cast<sqlite3_stmt*>(statement)));
        return 0;
    }
    store::Database& db_;
    QStringList texts_;
};

} // namespace testing_support
