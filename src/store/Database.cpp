#define SQLITE_HAS_CODEC 1
#include "store/Database.h"

#include "store/Collation.h"
#include "store/FindText.h"
#include "store/ServerEngine.h"
#include "store/StoreConstants.h"

#include <QFileInfo>

#include <pwd.h>
#include <unistd.h>

#include <sqlite3.h>

namespace store {

namespace {

// Page cache per connection, in KiB when negative: 64 MiB keeps the whole
// register in memory once read.
constexpr int CacheKiB = 65536;

int collateUnicase(void*, int lenA, const void* a, int lenB, const void* b) {
    const QString sa = QString::fromUtf8(static_cast<const char*>(a), lenA);
    const QString sb = QString::fromUtf8(static_cast<const char*>(b), lenB);
    return compareText(sa, sb);
}

// fold_text(x): x as Find compares it (FindText.h); NULL folds to "".
void foldText(sqlite3_context* context, int, sqlite3_value** args) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(args[0]));
    const QByteArray folded =
        text ? foldForFind(QString::fromUtf8(text, sqlite3_value_bytes(args[0]))).toUtf8()
             : QByteArray();
    sqlite3_result_text(context, folded.constData(), folded.size(), SQLITE_TRANSIENT);
}

// The primary result code (SQLITE_CORRUPT, SQLITE_NOTADB, ...) of an
// extended one.
int primary(int code) {
    return code & 0xff;
}

} // namespace

DbError::DbError(QString description, int number, QString sqlState)
    : std::runtime_error(description.toStdString()), description_(std::move(description)),
      number_(number), sqlState_(std::move(sqlState)) {}

QString DbError::text() const {
    return description_ + QStringLiteral(" - ") + QString::number(number_);
}

bool DbError::isCorrupt() const {
    return number_ == SQLITE_CORRUPT;
}

bool DbError::isConnectionLost() const {
    return sqlState_.startsWith(QLatin1String("08")) || sqlState_ == QLatin1String("57P01") ||
           sqlState_ == QLatin1String("57P02") || sqlState_ == QLatin1String("57P03");
}

bool DbError::isSerialisationFailure() const {
    return sqlState_ == QLatin1String("40001") || sqlState_ == QLatin1String("40P01");
}

bool DbError::isUniqueViolation() const {
    if (!sqlState_.isEmpty())
        return sqlState_ == QLatin1String("23505");
    return number_ == SQLITE_CONSTRAINT && description_.startsWith(QLatin1String("UNIQUE"));
}

bool DbError::isDamage() const {
    return number_ == SQLITE_CORRUPT || number_ == SQLITE_NOTADB;
}

// ---------------------------------------------------------------- Database

Database::Database(sqlite3* db) : db_(db) {}

Database::~Database() {
    if (db_)
        sqlite3_close_v2(db_);
}

sqlite3* Database::handle() const {
    if (server_)
        throw DbError(QStringLiteral("The register is on a server, not in a file"), SQLITE_MISUSE);
    if (!db_)
        throw DbError(QStringLiteral("The database connection is closed"), SQLITE_MISUSE);
    return db_;
}

ServerConnection& Database::server() const {
    if (!server_)
        throw DbError(QStringLiteral("The register is a file, not on a server"), SQLITE_MISUSE);
    return *server_;
}

std::unique_ptr<Database> Database::connectServer(const QString& uri,
                                                  const PasswordPrompt& prompt) {
    std::unique_ptr<Database> db(new Database(nullptr));
    db->server_ = ServerConnection::connect(uri, prompt);
    return db;
}

const QString& Database::userName() {
    if (!userName_) {
        if (server_) {
            Query q(*this, QStringLiteral("SELECT session_user AS login"));
            userName_ = q.next() ? q.text(QStringLiteral("login")) : QString();
        } else {
            const passwd* entry = getpwuid(geteuid());
            userName_ =
                entry ? QString::fromLocal8Bit(entry->pw_name) : qEnvironmentVariable("USER");
        }
    }
    return *userName_;
}

bool Database::mayWrite() {
    if (!mayWrite_)
        mayWrite_ = server_ ? server_->mayInsertHistory() : true;
    return *mayWrite_;
}

void Database::listenForChanges() {
    if (server_)
        server_->listen();
}

int Database::notificationSocket() const {
    return server_ ? server_->socket() : -1;
}

QStringList Database::takeChanges() {
    return server_ ? server_->takeNotifications() : QStringList();
}

QString Database::describe() const {
    return server_ ? server_->describe() : path_;
}

bool Database::hasTable(const QString& name) {
    if (server_)
        return exists(QStringLiteral("SELECT 1 FROM information_schema.tables WHERE table_schema = "
                                     "current_schema() AND lower(table_name) = lower(?)"),
                      name);
    return exists(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' "
                                 "AND name = ? COLLATE NOCASE"),
                  name);
}

QStringList Database::integrityProblems(int max) {
    QStringList problems;
    if (server_) {
        // The server keeps its own files sound; what the register needs of
        // it is the text collation and indexes the server has finished.
        if (!exists(QStringLiteral("SELECT 1 FROM pg_collation WHERE collname = 'unicase' AND "
                                   "NOT collisdeterministic")))
            problems << QStringLiteral("the collation unicase is missing");
        Query q(*this, QStringLiteral("SELECT c.relname AS name FROM pg_index i JOIN pg_class c "
                                      "ON c.oid = i.indexrelid JOIN pg_namespace n ON n.oid = "
                                      "c.relnamespace WHERE n.nspname = current_schema() AND "
                                      "NOT i.indisvalid"));
        while (q.next() && problems.size() < max)
            problems << QStringLiteral("index %1 is not valid").arg(q.rawTextAt(0));
        return problems;
    }
    Query q(*this, QStringLiteral("PRAGMA integrity_check"));
    while (q.next() && problems.size() < max) {
        const QString line = q.rawTextAt(0);
        if (line == QLatin1String("ok"))
            break;
        problems << line;
    }
    return problems;
}

void Database::followIdentity(const QString& table, const QString& idColumn) {
    if (!server_)
        return;
    // Names are program constants.
    run(QStringLiteral("SELECT setval(pg_get_serial_sequence('%1', '%2'), "
                       "coalesce((SELECT max(%2) FROM %1), 0) + 1, false)")
            .arg(table.toLower(), idColumn.toLower()));
}

void Database::fail() const {
    if (!db_)
        throw DbError(QStringLiteral("The database connection is closed"), SQLITE_MISUSE);
    throw DbError(QString::fromUtf8(sqlite3_errmsg(db_)), primary(sqlite3_extended_errcode(db_)));
}

std::unique_ptr<Database> Database::connect(const QString& path, const QString* key, int flags,
                                            int pageSize) {
    sqlite3* raw = nullptr;
    const QByteArray file = path.toUtf8();
    const int rc = sqlite3_open_v2(file.constData(), &raw, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString message =
            raw ? QString::fromUtf8(sqlite3_errmsg(raw)) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close_v2(raw);
        throw DbError(message, rc);
    }
    std::unique_ptr<Database> db(new Database(raw));
    db->path_ = path == QLatin1String(":memory:") ? QString() : path;
    if (key)
        db->key_ = *key;
    if (key) {
        const QByteArray k = key->toUtf8();
        if (sqlite3_key(raw, k.constData(), k.size()) != SQLITE_OK)
            db->fail();
        // Before the first read: the page size is not stored in the file.
        // PRAGMA takes no parameters; the value is a program constant.
        db->pageSize_ = pageSize == PageSizeUnset ? PageSize : pageSize;
        db->run(QStringLiteral("PRAGMA cipher_page_size = %1").arg(db->pageSize_));
    }
    db->configure();
    if (key)
        db->refuseReadOnly();
    return db;
}

std::unique_ptr<Database> Database::connectKeyed(const QString& path, const QString& key,
                                                 int flags) {
    // A file read with the wrong page size fails on its first page as one
    // read with the wrong key does; the other size is tried then. A file
    // whose length is no whole number of new pages can only have old ones.
    const qint64 size = QFileInfo(path).size();
    std::optional<DbError> first;
    if (size <= 0 || size % PageSize == 0) {
        try {
            return connect(path, &key, flags, PageSize);
        } catch (const DbError& error) {
            if (error.number() != SQLITE_NOTADB)
                throw;
            first = error;
        }
    }
    try {
        return connect(path, &key, flags, OldPageSize);
    } catch (const DbError&) {
        if (first)
            throw *first;
        throw;
    }
}

void Database::configure() {
    // The first statement after keying reads the file header: a wrong key or
    // a file that is not a database fails here.
    run(QStringLiteral("SELECT count(*) FROM sqlite_master"));
    // PRAGMA takes no parameters; the values are program constants.
    run(QStringLiteral("PRAGMA journal_mode = DELETE; PRAGMA synchronous = FULL; "
                       "PRAGMA foreign_keys = ON; PRAGMA cache_size = -%1;")
            .arg(CacheKiB));
    countTableChanges();
    if (sqlite3_create_collation_v2(db_, "UNICASE", SQLITE_UTF8, nullptr, collateUnicase,
                                    nullptr) != SQLITE_OK)
        fail();
    if (sqlite3_create_function(db_, FoldFunctionName, 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                                nullptr, foldText, nullptr, nullptr) != SQLITE_OK)
        fail();
}

void Database::countTableChanges() {
    sqlite3_update_hook(
        db_,
        [](void* self, int, const char*, const char* table, sqlite3_int64) {
            auto& counts = static_cast<Database*>(self)->tableChanges_;
            const std::string_view name(table);
            if (auto found = counts.find(name); found != counts.end())
                ++found->second;
            else
                counts.emplace(std::string(name), 1);
        },
        this);
}

void Database::refuseReadOnly() const {
    // Asked for read-write, the engine quietly settles for reading a file it
    // cannot write; and a DELETE journal is a new file beside the database,
    // so its directory must take one. Either way the first change would fail
    // half-way through the user's work: refuse the file now instead.
    const QString file = QString::fromUtf8(sqlite3_db_filename(db_, "main"));
    if (sqlite3_db_readonly(db_, "main") == 1 ||
        !QFileInfo(QFileInfo(file).absolutePath()).isWritable())
        throw DbError(QString::fromUtf8(sqlite3_errstr(SQLITE_READONLY)), SQLITE_READONLY);
}

std::unique_ptr<Database> Database::open(const QString& path, const QString& key) {
    return connectKeyed(path, key, SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI);
}

std::unique_ptr<Database> Database::create(const QString& path, const QString& key) {
    if (QFileInfo::exists(path))
        throw DbError(QStringLiteral("file already exists: %1").arg(path), SQLITE_CANTOPEN);
    return connect(path, &key, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, PageSize);
}

bool Database::opensWithKey(const QString& path, const QString& key) {
    const QByteArray file = path.toUtf8();
    const QByteArray k = key.toUtf8();
    for (const int pageSize : {PageSize, OldPageSize}) {
        sqlite3* raw = nullptr;
        bool opened = false;
        if (sqlite3_open_v2(file.constData(), &raw, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
            // The value is a program constant.
            const QByteArray size = "PRAGMA cipher_page_size = " + QByteArray::number(pageSize);
            opened = sqlite3_key(raw, k.constData(), k.size()) == SQLITE_OK &&
                     sqlite3_exec(raw, size.constData(), nullptr, nullptr, nullptr) == SQLITE_OK &&
                     sqlite3_exec(raw, "SELECT count(*) FROM sqlite_master", nullptr, nullptr,
                                  nullptr) == SQLITE_OK;
        }
        sqlite3_close_v2(raw);
        if (opened)
            return true;
    }
    return false;
}

std::unique_ptr<Database> Database::openInMemory() {
    return connect(QStringLiteral(":memory:"), nullptr, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
}

namespace {

// An online backup that is finished however its work ends.
class Backup {
public:
    Backup(sqlite3* to, sqlite3* from) : backup_(sqlite3_backup_init(to, "main", from, "main")) {}
    ~Backup() { finish(); }
    Backup(const Backup&) = delete;
    Backup& operator=(const Backup&) = delete;
    sqlite3_backup* get() const { return backup_; }
    int finish() {
        const int rc = backup_ ? sqlite3_backup_finish(backup_) : SQLITE_OK;
        backup_ = nullptr;
        return rc;
    }

private:
    sqlite3_backup* backup_;
};

// Pages copied per step of a backup: a few hundred kilobytes, so that a
// report of the progress (and a request to stop) comes several times a
// second.
constexpr int BackupStepPages = 256;

} // namespace

void Database::backupTo(const QString& path, const StepReport& step) const {
    if (server_)
        throw DbError(QStringLiteral("A register on a server is backed up by copying it to a file"),
                      SQLITE_MISUSE);
    sqlite3* source = handle();
    // The engine copies pages as they are: the copy has the same page size.
    std::unique_ptr<Database> copy = connect(path, key_ ? &*key_ : nullptr,
                                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, pageSize_);
    if (copy->userVersion() != 0 || copy->exists(QStringLiteral("SELECT name FROM sqlite_master")))
        throw DbError(QStringLiteral("The backup file is not empty: %1").arg(path),
                      SQLITE_CANTOPEN);
    Backup backup(copy->db_, source);
    if (!backup.get())
        copy->fail();
    int rc = SQLITE_OK;
    do {
        rc = sqlite3_backup_step(backup.get(), step ? BackupStepPages : -1);
        if (step && (rc == SQLITE_OK || rc == SQLITE_DONE)) {
            const int total = sqlite3_backup_pagecount(backup.get());
            step(total - sqlite3_backup_remaining(backup.get()), total);
        }
    } while (rc == SQLITE_OK);
    backup.finish();
    if (rc != SQLITE_DONE)
        copy->fail();
}

void Database::exportTo(const QString& path, int pageSize) {
    if (server_)
        throw DbError(QStringLiteral("A register on a server has no pages of its own"),
                      SQLITE_MISUSE);
    const int version = userVersion();
    {
        Query attach(*this, QStringLiteral("ATTACH DATABASE ? AS export KEY ?"));
        attach.bindAll(path, key_ ? *key_ : QString());
        attach.execute();
    }
    try {
        // PRAGMA takes no parameters; the values are program constants or
        // read from the file.
        run(QStringLiteral("PRAGMA export.cipher_page_size = %1").arg(pageSize));
        run(QStringLiteral("BEGIN"));
        try {
            run(QStringLiteral("SELECT sqlcipher_export('export')"));
            run(QStringLiteral("PRAGMA export.user_version = %1").arg(version));
            run(QStringLiteral("COMMIT"));
        } catch (...) {
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
            throw;
        }
    } catch (...) {
        sqlite3_exec(db_, "DETACH DATABASE export", nullptr, nullptr, nullptr);
        throw;
    }
    run(QStringLiteral("DETACH DATABASE export"));
}

void Database::close() {
    if (server_)
        throw DbError(QStringLiteral("A register on a server is not closed to be replaced"),
                      SQLITE_MISUSE);
    if (!db_)
        return;
    const int changes = sqlite3_total_changes(db_);
    if (sqlite3_close(db_) != SQLITE_OK)
        fail();
    closedChanges_ += changes;
    db_ = nullptr;
}

std::unique_ptr<Database> Database::openAnother() const {
    if (server_ || path_.isEmpty())
        throw DbError(QStringLiteral("Only a register file can be opened again"), SQLITE_MISUSE);
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI;
    return key_ ? connectKeyed(path_, *key_, flags) : connect(path_, nullptr, flags);
}

void Database::reopen() {
    if (db_ || server_)
        return;
    if (path_.isEmpty())
        throw DbError(QStringLiteral("A database held in memory cannot be opened again"),
                      SQLITE_MISUSE);
    // The file may have been replaced by one of another page size.
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI;
    std::unique_ptr<Database> fresh =
        key_ ? connectKeyed(path_, *key_, flags) : connect(path_, nullptr, flags);
    db_ = fresh->db_;
    pageSize_ = fresh->pageSize_;
    fresh->db_ = nullptr;
    // The connection now counts its writes here.
    for (const auto& [table, rows] : fresh->tableChanges_)
        tableChanges_[table] += rows;
    countTableChanges();
}

void Database::run(const QString& sql) {
    if (server_) {
        server_->run(sql);
        return;
    }
    char* error = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_exec(handle(), text.constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        const QString message = QString::fromUtf8(error ? error : sqlite3_errmsg(db_));
        sqlite3_free(error);
        throw DbError(message, primary(sqlite3_extended_errcode(db_)));
    }
}

void Database::runServerText(const QString& sql) {
    server().runNative(sql);
}

bool Database::inTransaction() const {
    if (server_)
        return server_->inTransaction();
    return db_ && sqlite3_get_autocommit(db_) == 0;
}

std::int64_t Database::reconnects() const {
    return server_ ? server_->reconnects() : 0;
}

bool lockRow(Database& db, const QString& table, const QString& idColumn, std::int64_t id,
             RowLock lock) {
    QString sql = QStringLiteral("SELECT %1 FROM %2 WHERE %1 = ?").arg(idColumn, table);
    if (db.onServer())
        sql += lock == RowLock::Update  ? QStringLiteral(" FOR UPDATE")
               : lock == RowLock::Share ? QStringLiteral(" FOR SHARE")
                                        : QStringLiteral(" FOR KEY SHARE");
    return db.exists(sql, id);
}

std::int64_t Database::changeCount() const {
    if (server_)
        return server_->changes();
    return closedChanges_ + (db_ ? sqlite3_total_changes(db_) : 0);
}

std::int64_t Database::tableChangeCount(const QString& table) const {
    if (server_)
        return server_->tableChanges(table);
    std::int64_t rows = 0;
    for (const auto& [name, count] : tableChanges_)
        if (QString::fromStdString(name).compare(table, Qt::CaseInsensitive) == 0)
            rows += count;
    return rows;
}

std::int64_t Database::lastInsertId() const {
    if (server_) {
        // The value the session's last identity drew: the key of the row
        // the last INSERT added.
        Query q(const_cast<Database&>(*this), QStringLiteral("SELECT lastval() AS id"));
        q.next();
        return q.integer(QStringLiteral("id"));
    }
    return sqlite3_last_insert_rowid(handle());
}

int Database::userVersion() {
    if (server_) {
        if (!exists(QStringLiteral("SELECT 1 WHERE to_regclass('schema_version') IS NOT NULL")))
            return 0;
        Query q(*this, QStringLiteral("SELECT version FROM schema_version"));
        return q.next() ? static_cast<int>(q.integer(QStringLiteral("version"))) : 0;
    }
    Query q(*this, QStringLiteral("PRAGMA user_version"));
    return q.next() ? static_cast<int>(q.integer(QStringLiteral("user_version"))) : 0;
}

void Database::setUserVersion(int version) {
    if (server_) {
        run(QStringLiteral("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL);"
                           "DELETE FROM schema_version;"
                           "INSERT INTO schema_version (version) VALUES (%1)")
                .arg(version));
        return;
    }
    // PRAGMA takes no parameters; the value is a program constant.
    run(QStringLiteral("PRAGMA user_version = %1").arg(version));
}

// ------------------------------------------------------------------- Query

Query::Query(Database& db, const QString& sql) : db_(&db) {
    if (db.server_) {
        server_ = std::make_unique<ServerStatement>(*db.server_, sql);
        return;
    }
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(db.handle(), text.constData(), text.size(), &stmt_, nullptr) !=
        SQLITE_OK)
        db.fail();
}

Query::Query(Query&& other) noexcept
    : db_(other.db_), stmt_(other.stmt_), server_(std::move(other.server_)),
      columns_(std::move(other.columns_)), spellings_(std::move(other.spellings_)),
      hasRow_(other.hasRow_) {
    other.stmt_ = nullptr;
}

Query::~Query() {
    sqlite3_finalize(stmt_);
}

Query& Query::bind(int index, std::int64_t value) {
    if (server_) {
        server_->bind(index, QByteArray::number(static_cast<qlonglong>(value)));
        return *this;
    }
    if (sqlite3_bind_int64(stmt_, index, value) != SQLITE_OK)
        db_->fail();
    return *this;
}

Query& Query::bind(int index, const QString& value) {
    const QByteArray text = value.toUtf8();
    if (server_) {
        server_->bind(index, text);
        return *this;
    }
    if (sqlite3_bind_text(stmt_, index, text.constData(), text.size(), SQLITE_TRANSIENT) !=
        SQLITE_OK)
        db_->fail();
    return *this;
}

Query& Query::bind(int index, Null) {
    if (server_) {
        server_->bind(index, std::nullopt);
        return *this;
    }
    if (sqlite3_bind_null(stmt_, index) != SQLITE_OK)
        db_->fail();
    return *this;
}

bool Query::next() {
    if (server_) {
        hasRow_ = server_->next();
        return hasRow_;
    }
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) {
        hasRow_ = true;
        return true;
    }
    hasRow_ = false;
    if (rc != SQLITE_DONE)
        db_->fail();
    return false;
}

int Query::execute() {
    if (server_) {
        hasRow_ = false;
        return server_->execute();
    }
    while (next()) {
    }
    return sqlite3_changes(db_->handle());
}

void Query::reset() {
    if (server_) {
        server_->reset();
        hasRow_ = false;
        return;
    }
    // A failed step has already raised its error; reset repeats that code.
    sqlite3_reset(stmt_);
    hasRow_ = false;
}

int Query::columnIndex(const QString& column) const {
    if (!hasRow_)
        throw DbError(QStringLiteral("No current row"), SQLITE_MISUSE);
    const auto known = spellings_.constFind(column);
    if (known != spellings_.cend())
        return known.value();
    if (columns_.isEmpty()) {
        const int count = server_ ? server_->columnCount() : sqlite3_column_count(stmt_);
        for (int i = 0; i < count; ++i)
            columns_.insert((server_ ? server_->columnName(i)
                                     : QString::fromUtf8(sqlite3_column_name(stmt_, i)))
                                .toLower(),
                            i);
    }
    const auto it = columns_.constFind(column.toLower());
    if (it == columns_.cend())
        throw DbError(QStringLiteral("Item not found in this collection: %1").arg(column),
                      SQLITE_RANGE);
    spellings_.insert(column, it.value());
    return it.value();
}

bool Query::isNull(const QString& column) const {
    return isNullAt(columnIndex(column));
}

bool Query::isNullAt(int index) const {
    if (server_)
        return server_->isNull(index);
    return sqlite3_column_type(stmt_, index) == SQLITE_NULL;
}

std::int64_t Query::integer(const QString& column) const {
    return integerAt(columnIndex(column));
}

std::int64_t Query::integerAt(int index) const {
    if (server_) {
        // Text as the server sends it; a truth value reads as 1 or 0, NULL
        // and a text that is no number as 0, as on the file.
        const QByteArrayView v = server_->view(index);
        if (v == "t")
            return 1;
        if (v == "f")
            return 0;
        bool ok = false;
        const qlonglong n = v.toLongLong(&ok);
        return ok ? n : static_cast<std::int64_t>(v.toDouble());
    }
    return sqlite3_column_int64(stmt_, index);
}

std::optional<std::int64_t> Query::optionalInteger(const QString& column) const {
    if (isNull(column))
        return std::nullopt;
    return integer(column);
}

QString Query::rawText(const QString& column) const {
    return rawTextAt(columnIndex(column));
}

QString Query::rawTextAt(int i) const {
    if (server_) {
        if (!hasRow_)
            throw DbError(QStringLiteral("No current row"), SQLITE_MISUSE);
        return QString::fromUtf8(server_->value(i));
    }
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, i));
    return data ? QString::fromUtf8(data, sqlite3_column_bytes(stmt_, i)) : QString();
}

QByteArrayView Query::utf8At(int i) const {
    if (server_) {
        if (!hasRow_)
            throw DbError(QStringLiteral("No current row"), SQLITE_MISUSE);
        return server_->view(i);
    }
    // The text first, then its length, as the engine asks.
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, i));
    return data ? QByteArrayView(data, sqlite3_column_bytes(stmt_, i)) : QByteArrayView();
}

int Query::columnCount() const {
    return server_ ? server_->columnCount() : sqlite3_column_count(stmt_);
}

QString Query::text(const QString& column) const {
    return rawText(column).trimmed();
}

Money Query::money(const QString& column) const {
    return Money::fromCents(integer(column));
}

// ------------------------------------------------------------- Transaction

Transaction::Transaction(Database& db) : db_(db) {
    static int counter = 0;
    name_ = QStringLiteral("tx%1").arg(++counter);
    if (db_.onServer()) {
        // The server takes a savepoint only inside a transaction.
        outermost_ = !db_.server().inTransaction();
        db_.run(outermost_ ? QStringLiteral("BEGIN") : QStringLiteral("SAVEPOINT %1").arg(name_));
        return;
    }
    // The outermost one is a plain transaction rather than a savepoint: while
    // any savepoint is open the engine keeps every statement's journal of
    // the pages it changed (in memory, encrypted) until the transaction ends,
    // which a long transaction pays for in memory and time.
    outermost_ = sqlite3_get_autocommit(db_.handle()) != 0;
    db_.run(outermost_ ? QStringLiteral("BEGIN") : QStringLiteral("SAVEPOINT %1").arg(name_));
}

Transaction::~Transaction() {
    if (done_)
        return;
    try {
        // Rolling back to the outermost savepoint and releasing it would
        // commit an empty transaction: the pages played back are written
        // to the file again (re-encrypted, so no longer the same bytes) and
        // its change counter moves. A plain ROLLBACK leaves the file as it
        // was.
        if (outermost_ && db_.onServer())
            db_.server().rollback();
        else if (outermost_)
            db_.run(QStringLiteral("ROLLBACK"));
        else
            db_.run(QStringLiteral("ROLLBACK TO %1; RELEASE %1").arg(name_));
    } catch (const DbError&) {
        // Nothing more can be done while unwinding; the engine has already
        // abandoned the transaction if rollback itself failed.
    }
}

void Transaction::commit() {
    if (db_.onServer() && outermost_) {
        done_ = true;
        db_.server().commit();
        return;
    }
    db_.run(outermost_ ? QStringLiteral("COMMIT") : QStringLiteral("RELEASE %1").arg(name_));
    done_ = true;
}

int bindValues(Query& q, int index, const std::vector<BoundValue>& values) {
    for (const BoundValue& value : values)
        std::visit([&](const auto& v) { q.bind(index++, v); }, value);
    return index;
}

} // namespace store
