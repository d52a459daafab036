#define SQLITE_HAS_CODEC 1
#include "Bench.h"

#include "store/Database.h"

#include <QElapsedTimer>
#include <QSet>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <optional>

namespace bench {

namespace {

[[noreturn]] void failOn(sqlite3* connection) {
    throw store::DbError(QString::fromUtf8(sqlite3_errmsg(connection)),
                         sqlite3_extended_errcode(connection) & 0xff);
}

void bindValue(sqlite3* connection, sqlite3_stmt* stmt, int index, const QVariant& value) {
    int rc = SQLITE_OK;
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
        rc = sqlite3_bind_int64(stmt, index, value.toLongLong());
        break;
    default:
        if (value.isNull()) {
            rc = sqlite3_bind_null(stmt, index);
        } else {
            const QByteArray text = value.toString().toUtf8();
            rc = sqlite3_bind_text(stmt, index, text.constData(), static_cast<int>(text.size()),
                                   SQLITE_TRANSIENT);
        }
    }
    if (rc != SQLITE_OK)
        failOn(connection);
}

// Collects the text of every statement a connection runs, as prepared.
class StatementTrace {
public:
    explicit StatementTrace(sqlite3* connection) : connection_(connection) {
        sqlite3_trace_v2(connection_, SQLITE_TRACE_STMT, &StatementTrace::seen, this);
    }
    ~StatementTrace() { sqlite3_trace_v2(connection_, 0, nullptr, nullptr); }
    StatementTrace(const StatementTrace&) = delete;
    StatementTrace& operator=(const StatementTrace&) = delete;

    const QSet<QString>& texts() const { return texts_; }

private:
    static int seen(unsigned, void* self, void* stmt, void*) {
        const char* sql = sqlite3_sql(static_cast<sqlite3_stmt*>(stmt));
        if (sql)
            static_cast<StatementTrace*>(self)->texts_.insert(QString::fromUtf8(sql));
        return 0;
    }

    sqlite3* connection_;
    QSet<QString> texts_;
};

double milliseconds(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

struct Row {
    QString name;
    int rows = -1; // unknown
    double median = 0;
    double minimum = 0;
    std::optional<double> raw;
    std::optional<double> alone;
};

bool hasRaw(const Case& c) {
    return (c.connection && c.statements) || c.raw;
}

// The statements timed as the raw SQL: the best ones when given.
Statements rawStatements(const Case& c) {
    return c.best ? c.best() : c.statements();
}

// Fails the case unless the best statements return the operation's own
// statements' rows, row for row.
void checkBest(const Case& c) {
    const std::vector<QStringList> own = rowsOf(*c.connection, c.statements());
    const std::vector<QStringList> best = rowsOf(*c.connection, c.best());
    const size_t n = std::min(own.size(), best.size());
    for (size_t i = 0; i < n; ++i)
        if (own[i] != best[i])
            throw std::runtime_error(
                QStringLiteral("best SQL differs at row %1: [%2] against the program's [%3]")
                    .arg(i + 1)
                    .arg(best[i].join(QStringLiteral("|")), own[i].join(QStringLiteral("|")))
                    .toStdString());
    if (own.size() != best.size())
        throw std::runtime_error(QStringLiteral("best SQL returns %1 rows, the program's %2")
                                     .arg(best.size())
                                     .arg(own.size())
                                     .toStdString());
}

// One timed run of the raw SQL.
double timeRaw(const Case& c) {
    if (c.before)
        c.before();
    QElapsedTimer timer;
    if (c.statements) {
        const Statements statements = rawStatements(c);
        timer.start();
        stepThrough(*c.connection, statements);
    } else {
        timer.start();
        c.raw();
    }
    const double ms = milliseconds(timer);
    if (c.after)
        c.after();
    return ms;
}

// The first run of the operation, untimed; with statements on a shared
// connection, also makes sure they are ones the operation itself runs.
// Returns the rows the operation showed, -1 when the case does not tell.
int warmUp(const Case& c, const std::function<void()>& check) {
    if (c.before)
        c.before();
    if (c.connection && c.statements && !c.connection->onServer()) {
        // The server offers no statement trace: there the statements are
        // taken on trust from the file's run.
        const Statements statements = c.statements();
        {
            StatementTrace trace(c.connection->handle());
            c.run();
            for (const RawStatement& s : statements)
                if (!trace.texts().contains(s.sql))
                    throw std::runtime_error("raw statement not run by the operation: " +
                                             s.sql.toStdString());
        }
    } else {
        c.run();
    }
    if (check)
        check();
    if (c.connection && c.statements && c.best)
        checkBest(c);
    const int rows = c.rows ? c.rows() : -1;
    if (c.after)
        c.after();
    if (hasRaw(c))
        timeRaw(c);
    return rows;
}

Row measure(const Case& c, const Options& options, const std::function<void()>& check) {
    Row row;
    row.name = c.name;
    row.rows = warmUp(c, check);
    std::vector<double> times, raws;
    for (int i = 0; i < options.runs; ++i) {
        if (c.before)
            c.before();
        QElapsedTimer timer;
        timer.start();
        c.run();
        times.push_back(milliseconds(timer));
        if (check)
            check();
        if (c.after)
            c.after();
        // Alternating keeps a change of the machine's load from favouring
        // one side.
        if (hasRaw(c))
            raws.push_back(timeRaw(c));
    }
    row.median = median(times);
    row.minimum = *std::min_element(times.begin(), times.end());
    if (!raws.empty())
        row.raw = median(raws);
    return row;
}

void printRow(int width, const Row& row, bool aloneColumn) {
    const QByteArray name = row.name.toUtf8();
    std::printf("%-*s ", width, name.constData());
    if (row.rows >= 0)
        std::printf("%7d", row.rows);
    else
        std::printf("%7s", "-");
    std::printf(" %10.1f %10.1f", row.median, row.minimum);
    if (row.raw)
        std::printf(" %10.1f %7.1fx", *row.raw, *row.raw > 0 ? row.median / *row.raw : 0.0);
    else
        std::printf(" %10s %8s", "-", "-");
    if (aloneColumn) {
        if (row.alone)
            std::printf(" %10.1f", *row.alone);
        else
            std::printf(" %10s", "-");
    }
    std::printf("\n");
    std::fflush(stdout);
}

} // namespace

int stepThrough(sqlite3* connection, const Statements& statements) {
    int rows = 0;
    for (const RawStatement& s : statements) {
        const QByteArray text = s.sql.toUtf8();
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(connection, text.constData(), static_cast<int>(text.size()), &stmt,
                               nullptr) != SQLITE_OK)
            failOn(connection);
        int rc = SQLITE_OK;
        try {
            for (int i = 0; i < s.values.size(); ++i)
                bindValue(connection, stmt, i + 1, s.values.at(i));
            while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
                ++rows;
        } catch (...) {
            sqlite3_finalize(stmt);
            throw;
        }
        sqlite3_finalize(stmt);
        if (rc != SQLITE_DONE)
            failOn(connection);
    }
    return rows;
}

namespace {

// Each statement through the store's own Query, with f called on every row.
template <typename F>
void eachRow(store::Database& connection, const Statements& statements, F&& f) {
    for (const RawStatement& s : statements) {
        store::Query q(connection, s.sql);
        for (int i = 0; i < s.values.size(); ++i) {
            const QVariant& value = s.values.at(i);
            const int type = value.typeId();
            if (type == QMetaType::Int || type == QMetaType::LongLong)
                q.bind(i + 1, static_cast<std::int64_t>(value.toLongLong()));
            else if (value.isNull())
                q.bind(i + 1, store::null);
            else
                q.bind(i + 1, value.toString());
        }
        while (q.next())
            f(q);
    }
}

} // namespace

RawStatement rawStatement(const QString& sql, const std::vector<store::BoundValue>& values) {
    RawStatement out{sql, {}};
    for (const store::BoundValue& value : values)
        out.values << (std::holds_alternative<QString>(value)
                           ? QVariant(std::get<QString>(value))
                           : QVariant(static_cast<qlonglong>(std::get<std::int64_t>(value))));
    return out;
}

std::vector<QStringList> rowsOf(store::Database& connection, const Statements& statements) {
    std::vector<QStringList> rows;
    eachRow(connection, statements, [&rows](const store::Query& q) {
        QStringList row;
        for (int i = 0; i < q.columnCount(); ++i)
            row << q.rawTextAt(i);
        rows.push_back(row);
    });
    return rows;
}

int stepThrough(store::Database& connection, const Statements& statements) {
    if (!connection.onServer())
        return stepThrough(connection.handle(), statements);
    int rows = 0;
    eachRow(connection, statements, [&rows](const store::Query&) { ++rows; });
    return rows;
}

bool Bench::runAll(const Options& options) {
    int width = static_cast<int>(QStringLiteral("operation").size());
    for (const Case& c : cases_)
        width = std::max(width, static_cast<int>(c.name.size()));
    const bool aloneColumn = static_cast<bool>(options.alone);
    if (!options.medianOnly) {
        std::printf("%-*s %7s %10s %10s %10s %8s", width, "operation", "rows", "median ms",
                    "min ms", "raw ms", "ratio");
        std::printf(aloneColumn ? " %10s\n" : "\n", "alone ms");
    }
    bool ok = true;
    for (const Case& c : cases_) {
        if (options.exact ? c.name != options.only
                          : !options.only.isEmpty() && !c.name.contains(options.only))
            continue;
        QString failure;
        try {
            Row row = measure(c, options, check);
            if (options.medianOnly) {
                std::printf("median %.3f\n", row.median);
                std::fflush(stdout);
                continue;
            }
            if (aloneColumn)
                row.alone = options.alone(c.name);
            printRow(width, row, aloneColumn);
            continue;
        } catch (const store::DbError& error) {
            failure = error.text();
        } catch (const std::exception& error) {
            failure = QString::fromUtf8(error.what());
        }
        std::printf("%-*s FAILED: %s\n", width, qUtf8Printable(c.name), qUtf8Printable(failure));
        std::fflush(stdout);
        ok = false;
    }
    return ok;
}

} // namespace bench
