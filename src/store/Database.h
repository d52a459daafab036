#pragma once

// A small layer over two engines: the SQLCipher C API (one keyed file) and
// PostgreSQL's libpq (a register on a database server). Both offer prepared
// statements with bound parameters, rows read by column name, and RAII
// transactions; the SQL text is one text for both, which the server's engine
// translates where the two differ ("?" placeholders, PRAGMAs, the column
// types of CREATE TABLE). Every failure raises DbError carrying the engine's
// own description and a result code: SQLite's primary result code
// (SQLITE_...) on the file; on the server the SQLSTATE, kept as it is and
// mapped to the nearest SQLite code (see ServerEngine.cpp).

#include "store/Money.h"

#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace store {

class ServerConnection;
class ServerStatement;

class DbError : public std::runtime_error {
public:
    DbError(QString description, int number, QString sqlState = {});
    const QString& description() const { return description_; }
    int number() const { return number_; }
    // The server's SQLSTATE ("23505"); empty on the file.
    const QString& sqlState() const { return sqlState_; }
    // "description - number", the form in which the program reports it.
    QString text() const;
    // True when the engine found the file damaged or no longer a database
    // (SQLITE_CORRUPT, SQLITE_NOTADB): only a backup can bring it back.
    bool isDamage() const;
    // True for damage inside a file that is a database (SQLITE_CORRUPT), as
    // against a file that is none or is read with another key.
    bool isCorrupt() const;
    // The server's connection broke (the server restarted, the session was
    // ended): the server rolled back what was under way, and the next
    // statement connects again.
    bool isConnectionLost() const;
    // Another session's work stood in the way: a serialisation failure or
    // a deadlock on the server (SQLSTATE 40001, 40P01). The transaction was
    // rolled back and may be run again.
    bool isSerialisationFailure() const;
    // A row would have repeated a value that a unique index keeps unique.
    bool isUniqueViolation() const;

private:
    QString description_;
    int number_;
    QString sqlState_;
};

// The engine under a Database.
enum class Engine { File, Server };

// Asks the user for the password the server wants for the described login
// ("user@host/database"); no value when the user declines.
using PasswordPrompt = std::function<std::optional<QString>(const QString& login)>;

// Marker for binding SQL NULL.
struct Null {};
inline constexpr Null null{};

class Database;

// A prepared statement. Parameters are bound by position (1-based, "?" in
// the SQL text); rows are stepped with next() and read by column name,
// ignoring the case of the name.
class Query {
public:
    Query(Database& db, const QString& sql);
    ~Query();
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;
    Query(Query&& other) noexcept;
    Query& operator=(Query&&) = delete;

    Query& bind(int index, std::int64_t value);
    Query& bind(int index, int value) { return bind(index, static_cast<std::int64_t>(value)); }
    Query& bind(int index, const QString& value);
    Query& bind(int index, const char* value) { return bind(index, QString::fromUtf8(value)); }
    Query& bind(int index, Money value) { return bind(index, value.cents()); }
    Query& bind(int index, Null);
    template <typename T> Query& bind(int index, const std::optional<T>& value) {
        return value ? bind(index, *value) : bind(index, null);
    }

    // Binds every argument in order, starting at position 1.
    template <typename... Args> Query& bindAll(const Args&... args) {
        int index = 0;
        (bind(++index, args), ...);
        return *this;
    }

    // Steps to the next row; false when there are no more rows. A statement
    // that returns no rows runs completely on its first call.
    bool next();

    // Runs a statement that changes rows and returns how many it changed.
    int execute();

    // Makes the statement ready to run again; bind the new values after it.
    void reset();

    bool isNull(const QString& column) const;
    std::int64_t integer(const QString& column) const;
    // Text of the column trimmed of leading and trailing blanks; NULL reads as "".
    QString text(const QString& column) const;
    // Text exactly as stored; NULL reads as "".
    QString rawText(const QString& column) const;
    // Text of the column at a position (0-based), exactly as stored.
    QString rawTextAt(int index) const;
    // How many columns the statement returns.
    int columnCount() const;

    // The position (0-based) of a column named as the readers above take
    // it; known once a row has been read. A loop over many rows finds its
    // columns once and reads each cell by position below.
    int columnPosition(const QString& column) const { return columnIndex(column); }
    bool isNullAt(int index) const;
    std::int64_t integerAt(int index) const;
    // The cell's bytes exactly as stored (UTF-8), without a copy; valid
    // until the next step. NULL reads as empty.
    QByteArrayView utf8At(int index) const;
    Money money(const QString& column) const;
    std::optional<std::int64_t> optionalInteger(const QString& column) const;

private:
    int columnIndex(const QString& column) const;

    Database* db_;
    sqlite3_stmt* stmt_ = nullptr;
    // On the server: the translated text, the bound values and the result.
    std::unique_ptr<ServerStatement> server_;
    // The statement's column names in lower case, made on the first read.
    mutable QHash<QString, int> columns_;
    // Each spelling a caller has read by, so a loop over rows finds its
    // columns without lower-casing the name again.
    mutable QHash<QString, int> spellings_;
    bool hasRow_ = false;
};

// A value to bind to a placeholder, for statements built with their values
// (a report's query, a slice of a list).
using BoundValue = std::variant<std::int64_t, QString>;
// Binds values in order from position index on; returns the position
// after them.
int bindValues(Query& q, int index, const std::vector<BoundValue>& values);

class Database {
public:
    // Opens an existing database file with the given key, for reading and
    // writing, whichever of the two page sizes (PageSize, OldPageSize) it
    // was made with. A missing file, a wrong key or a file that is not a
    // database fails here with DbError, and so does a file that could only
    // be read (the file or its directory is not writable): SQLITE_READONLY.
    // The path may also be a "file:" URI.
    static std::unique_ptr<Database> open(const QString& path, const QString& key);
    // Creates a new, empty, keyed database file of PageSize pages; refuses an
    // existing path.
    static std::unique_ptr<Database> create(const QString& path, const QString& key);
    // True when an existing file opens for reading with the key and its
    // schema reads: a database of that key. Writes and creates nothing.
    static bool opensWithKey(const QString& path, const QString& key);
    // A new, empty database held in memory, with the settings and collation
    // of a file but no key (and so none of the cost of deriving one). Gone
    // when the connection closes.
    static std::unique_ptr<Database> openInMemory();
    // Connects to a register on a PostgreSQL server, given a libpq
    // connection URI or "service=NAME" (any libpq setting passes through).
    // When the server asks for a password and none came with the settings,
    // prompt is asked for one (never kept); without a prompt, or when the
    // user declines, the login fails as the server refused it.
    static std::unique_ptr<Database> connectServer(const QString& uri,
                                                   const PasswordPrompt& prompt = {});

    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Runs one statement with the given parameters and returns the number of
    // rows it changed.
    template <typename... Args> int execute(const QString& sql, const Args&... args) {
        Query q(*this, sql);
        q.bindAll(args...);
        return q.execute();
    }

    // True when the query returns at least one row.
    template <typename... Args> bool exists(const QString& sql, const Args&... args) {
        Query q(*this, sql);
        q.bindAll(args...);
        return q.next();
    }

    // Runs SQL text holding no parameters, possibly several statements.
    void run(const QString& sql);
    // Runs the server's own SQL text untranslated (function bodies,
    // triggers); for what only the server's engine has. Fails on the file.
    void runServerText(const QString& sql);

    // The id of the row the last INSERT added to a table with a counter key.
    std::int64_t lastInsertId() const;
    // The schema version: PRAGMA user_version on the file, the one row of
    // the table schema_version on the server (0 while it is missing).
    // How many rows this connection has inserted, changed or deleted since
    // it was first opened, through any statement (work later rolled back
    // included), kept across close() and reopen(). It only grows: a window
    // that noted it can tell whether anything was written since. On the
    // server: the rows the program's own statements changed, those that
    // triggers keep not included.
    std::int64_t changeCount() const;
    // The rows of one table (named in any case) among them: for telling
    // whether a table was written since it was last read whole. On the
    // file: rows of tables with rowids, triggers' work included, a DELETE
    // of every row without a WHERE not counted.
    std::int64_t tableChangeCount(const QString& table) const;
    int userVersion();
    void setUserVersion(int version);

    // True while a transaction is open on the connection.
    bool inTransaction() const;
    // How many times an operation was run again after a serialisation
    // failure or a deadlock (withRetries), and how many times the server's
    // connection was made again after it broke.
    std::int64_t retries() const { return retries_; }
    void noteRetry() { ++retries_; }
    std::int64_t reconnects() const;

    // Who writes through this connection, as the history records it: the
    // server's login (session_user, asked once per connection) on a
    // server, the operating system's user name on a file.
    const QString& userName();

    // False when the login may only read the register (on a server: no
    // right to add history rows, as a vemora_viewer has none); the file
    // is always written. Asked once per connection.
    bool mayWrite();

    // Changes other sessions make, on a server: every transaction that
    // wrote sends, as it commits, a notification on ChangeChannel naming
    // the tables it changed. listenForChanges() starts listening on this
    // connection (again after a reconnect); the socket to watch for them
    // is notificationSocket() (-1 on the file, which has none);
    // takeChanges() reads what arrived and returns the tables named by
    // other sessions' notifications, this connection's own left out
    // (empty when nothing came).
    void listenForChanges();
    int notificationSocket() const;
    QStringList takeChanges();

    Engine engine() const { return server_ ? Engine::Server : Engine::File; }
    bool onServer() const { return server_ != nullptr; }
    // Which register is open, for the user: the file's path ("" in memory),
    // or user@host/database on the server.
    QString describe() const;
    // True when the database holds a table of that name (any case).
    bool hasTable(const QString& name);
    // The engine's own integrity check, at most max lines; empty when sound.
    QStringList integrityProblems(int max);
    // After rows were inserted with their ids given, makes the table's
    // counter key carry on above the highest id (the file does so itself).
    void followIdentity(const QString& table, const QString& idColumn);

    // The SQLite connection; fails on the server.
    sqlite3* handle() const;
    ServerConnection& server() const;
    [[noreturn]] void fail() const;

    // The file the connection was opened on ("" in memory).
    QString path() const { return path_; }

    // The encrypted page size of the file, in bytes (0 in memory and on the
    // server).
    int pageSize() const { return pageSize_; }

    // Called as a long piece of work goes on with the work done and the work
    // there is (0 while unknown); it may throw to stop the work, which then
    // undoes what it wrote and lets the exception pass.
    using StepReport = std::function<void(std::int64_t done, std::int64_t total)>;

    // Writes a consistent copy of the whole database to a new file at path,
    // with the connection's key and page size, through the engine's online
    // backup: pages are copied under a read lock, so the copy is of one
    // committed state even while the connection is in use. The path must not
    // exist or be an empty file. Copies in steps of a few hundred pages,
    // reporting pages copied to step after each.
    void backupTo(const QString& path, const StepReport& step = {}) const;

    // Writes the whole database, schema version included, into the empty
    // file at path, keyed like this one but with pages of pageSize bytes
    // (the engine's sqlcipher_export, in one transaction on the new file).
    // Runs outside any transaction of this connection; the file at path is
    // left for the caller to put in place.
    void exportTo(const QString& path, int pageSize);

    // Closes the connection, so that its file may be replaced. Refuses
    // (SQLITE_BUSY, connection still open) while a statement is unfinished.
    // Until reopen() any use fails with SQLITE_MISUSE.
    void close();
    bool isOpen() const { return db_ != nullptr || server_ != nullptr; }
    // Another connection to the same file, with the same key and settings,
    // for work on another thread; fails in memory and on the server.
    std::unique_ptr<Database> openAnother() const;
    // Opens the same file again with the same key and settings, in place, so
    // that everything holding this Database carries on with it.
    void reopen();

private:
    explicit Database(sqlite3* db);
    static std::unique_ptr<Database> connect(const QString& path, const QString* key, int flags,
                                             int pageSize = PageSizeUnset);
    // Opens a keyed file with whichever page size it has.
    static std::unique_ptr<Database> connectKeyed(const QString& path, const QString& key,
                                                  int flags);
    static constexpr int PageSizeUnset = 0;
    void configure();
    // Has the connection count the rows written to each table here.
    void countTableChanges();
    void refuseReadOnly() const;

    sqlite3* db_;
    QString path_;
    std::optional<QString> key_;
    int pageSize_ = 0;
    std::unique_ptr<ServerConnection> server_;
    friend class Query;
    // Changes counted by connections closed before the current one.
    std::int64_t closedChanges_ = 0;
    // On the file: the rows written to each table, by the name the engine
    // gives, across reopening.
    std::map<std::string, std::int64_t, std::less<>> tableChanges_;
    std::int64_t retries_ = 0;
    std::optional<QString> userName_;
    std::optional<bool> mayWrite_;
};

// The channel on which the server's sessions tell one another of changes.
inline const QString ChangeChannel = QStringLiteral("vemora_changes");

// How a row is locked for the rest of the transaction before the program
// decides on it: Update for the row it will change or delete, Share for a
// row it only needs to stay as it is (the location an item goes to), Keep
// for a row that only needs to stay there (a product an item names), which
// a change of its other columns does not wait for.
enum class RowLock { Update, Share, Keep };

// Locks one row of a table by its id until the transaction ends and tells
// whether it is there. On the server other sessions that lock or change it
// wait (SELECT ... FOR UPDATE / FOR SHARE), and every statement after it
// reads what they committed; the file has one writer at a time, and the
// row is only read. Table and column names are program constants.
bool lockRow(Database& db, const QString& table, const QString& idColumn, std::int64_t id,
             RowLock lock = RowLock::Update);

// The times an operation is tried when another session's work keeps
// getting in its way.
inline constexpr int OperationAttempts = 4;

// Runs work (which opens its own transaction) again, up to
// OperationAttempts times in all, while it fails with a serialisation
// failure or a deadlock and no outer transaction is open; the last failure
// is raised. Work must show its messages only after its checks decided, so
// that a run that failed showed none.
template <typename Work> auto withRetries(Database& db, Work&& work) {
    for (int attempt = 1;; ++attempt) {
        try {
            return work();
        } catch (const DbError& error) {
            if (!error.isSerialisationFailure() || attempt >= OperationAttempts ||
                db.inTransaction())
                throw;
            db.noteRetry();
        }
    }
}

// A transaction that rolls back unless commit() is called. Nests: an inner
// transaction becomes a savepoint of the outer one.
class Transaction {
public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    Database& db_;
    QString name_;
    // Began the engine's transaction (no other was open): rolled back as a
    // whole, so that nothing at all is written to the file.
    bool outermost_ = false;
    bool done_ = false;
};

} // namespace store
