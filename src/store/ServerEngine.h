#pragma once

// The PostgreSQL engine under store::Database: one libpq connection, the
// translation of the program's SQL text into the server's, and the mapping
// of the server's SQLSTATE onto the SQLite result codes the program judges
// errors by. Only Database.cpp uses it.

#include "store/Database.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

struct pg_conn;
struct pg_result;

namespace store {

// The SQLite result code nearest in meaning to a SQLSTATE:
//   23xxx integrity constraint violation      -> SQLITE_CONSTRAINT
//   08xxx connection, 3D000 no such database  -> SQLITE_CANTOPEN
//   28xxx invalid authorisation               -> SQLITE_AUTH
//   42501 insufficient privilege              -> SQLITE_PERM
//   25006 read-only transaction               -> SQLITE_READONLY
//   40001, 40P01, 55P03 serialisation, deadlock, lock not available -> SQLITE_BUSY
//   25P02 statement in an aborted transaction -> SQLITE_ABORT
//   57014 query cancelled                     -> SQLITE_INTERRUPT
//   53100 disk full                           -> SQLITE_FULL
//   53xxx, 58xxx, 57Pxx other resources, system errors, shutdown -> SQLITE_IOERR
//   XX001, XX002 data or index corrupted      -> SQLITE_CORRUPT
//   22xxx data exception                      -> SQLITE_MISMATCH
//   anything else (42xxx syntax, missing table or column, ...) -> SQLITE_ERROR
// An error without a SQLSTATE (the connection was lost) is SQLITE_IOERR.
int resultCodeOf(const QString& sqlState);

// The server's text of one statement of the program: "?" placeholders
// numbered $1, $2, ... (outside quotes); the PRAGMAs that have a meaning on
// the server turned into their equivalent, the others into nothing; and in
// CREATE TABLE the file's counter keys and integers turned into identity
// keys and bigint. paramCount receives the number of placeholders.
QString serverText(const QString& sql, int* paramCount = nullptr);

class ServerConnection {
public:
    // Connects with a libpq URI or keyword string; see Database::connectServer.
    static std::unique_ptr<ServerConnection> connect(const QString& uri,
                                                     const PasswordPrompt& prompt);
    ~ServerConnection();
    ServerConnection(const ServerConnection&) = delete;
    ServerConnection& operator=(const ServerConnection&) = delete;

    // user@host/database
    QString describe() const;
    // True while a transaction is open. A connection found broken is made
    // again first (see ensureOpen), and then none is.
    bool inTransaction();
    // Connects again, with the same settings, when the connection broke
    // (the server restarted or ended the session); raises a lost
    // connection when that fails. Every statement calls it first, so the
    // program reconnects on the user's next action.
    void ensureOpen();
    std::int64_t reconnects() const { return reconnects_; }

    // Runs one statement with text values (no value: NULL); the result is the
    // caller's to PQclear. Raises DbError when the server refuses it.
    pg_result* exec(const QByteArray& sql, const std::vector<std::optional<QByteArray>>& values);
    // Runs text holding no parameters, possibly several statements.
    void run(const QString& sql);
    // Runs the server's own SQL text as it is, untranslated (function
    // bodies, triggers): text only the server's engine is given.
    void runNative(const QString& sql);
    // The rows inserted, updated or deleted by the statements this
    // connection ran (not those changed by triggers), work later rolled
    // back included.
    std::int64_t changes() const { return changes_; }
    // Those of them made by statements that write one table (named in any
    // case).
    std::int64_t tableChanges(const QString& table) const {
        return tableChanges_.value(table.toLower());
    }
    // Runs COMMIT, and raises when the server rolled back instead. A
    // transaction that wrote tells the other sessions first: one
    // notification on ChangeChannel, naming the tables it wrote (in lower
    // case, separated by commas), which the server delivers as it commits.
    void commit();
    // Runs ROLLBACK: nothing was written, so nothing is told.
    void rollback();

    // LISTEN on ChangeChannel, kept across a reconnect.
    void listen();
    // The connection's socket; -1 while the connection is broken.
    int socket() const;
    // The tables named by other sessions' notifications that arrived.
    QStringList takeNotifications();
    // name as an SQL identifier, quoted by the server's rules
    // (PQescapeIdentifier), for the statements that cannot bind a name.
    QString quoteIdentifier(const QString& name) const;
    // True when the login may add history rows (has_table_privilege).
    bool mayInsertHistory();

    [[noreturn]] void fail(pg_result* result) const;

private:
    explicit ServerConnection(pg_conn* conn) : conn_(conn) {}
    // Sends text that may hold several statements and takes every result.
    void runText(const QByteArray& text);
    // Counts the rows a write changed and notes its table for the
    // notification; returns true when it changed any.
    bool count(pg_result* result, const QByteArray& sql);
    // Sends the notification of the tables written, when there are any.
    void notifyWritten();
    // The session's settings, made after every connect.
    void setUp();
    pg_conn* conn_;
    std::int64_t changes_ = 0;
    QHash<QString, std::int64_t> tableChanges_;
    std::int64_t reconnects_ = 0;
    // Tables written since the transaction began, or by the last
    // statement run outside one.
    QStringList written_;
    bool listening_ = false;
};

// A statement prepared for the server: its text, its bound values, and the
// rows of its result once run.
class ServerStatement {
public:
    ServerStatement(ServerConnection& connection, const QString& sql);
    ~ServerStatement();
    ServerStatement(const ServerStatement&) = delete;
    ServerStatement& operator=(const ServerStatement&) = delete;

    void bind(int index, std::optional<QByteArray> value);
    bool next();
    int execute();
    void reset();

    int columnCount() const;
    QString columnName(int i) const;
    bool isNull(int i) const;
    QByteArray value(int i) const;
    // The value as the result holds it, valid while the result lives.
    QByteArrayView view(int i) const;

private:
    void runOnce();

    ServerConnection& connection_;
    QByteArray sql_;
    std::vector<std::optional<QByteArray>> values_;
    pg_result* result_ = nullptr;
    int row_ = -1;
};

} // namespace store
