#pragma once

// A fresh asset database of the test's own: the full schema and the
// reserved rows, at the current schema version.
//
// By default it lives in memory (no file, no key to derive), which is what
// most tests want. Tests of the file itself (opening, keying, start-up) ask
// for Storage::KeyedFile: a keyed AssetManagement.mdb in a temporary
// directory that goes when the fixture goes.
//
// The core tests run a second time on the server engine: with
// VEMORA_TEST_SERVER set (a libpq URI of a throwaway cluster, or the path of
// a file holding one, as tests/CMakeLists.txt arranges), the default storage
// is a fresh database of its own on that server instead of memory, dropped
// when the fixture goes. Tests of what only a file has skip themselves there
// with SKIP_ON_SERVER.

#include "store/Database.h"

#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace testing_support {

// The server the core tests run on this time; empty on the file run.
QString testServerUri();
inline bool serverRun() {
    return !testServerUri().isEmpty();
}

// A fresh, empty database of its own on the test server, dropped when this
// goes: uri() connects to it.
class ServerScratchDatabase {
public:
    ServerScratchDatabase();
    ~ServerScratchDatabase();
    ServerScratchDatabase(const ServerScratchDatabase&) = delete;
    ServerScratchDatabase& operator=(const ServerScratchDatabase&) = delete;
    QString uri() const { return uri_; }
    QString name() const { return name_; }

private:
    QString name_;
    QString uri_;
};

// The libpq URI of the test server with another database name.
QString serverUriFor(const QString& database);

#define SKIP_ON_SERVER(reason)                                                                     \
    do {                                                                                           \
        if (::testing_support::serverRun())                                                        \
            GTEST_SKIP() << "file engine only: " << (reason);                                      \
    } while (false)

#define NEEDS_SERVER()                                                                             \
    do {                                                                                           \
        if (!::testing_support::serverRun())                                                       \
            GTEST_SKIP() << "needs the test server (the server: run of the tests)";                \
    } while (false)

class TestDatabase {
public:
    enum class Storage { Memory, KeyedFile };

    explicit TestDatabase(Storage storage = Storage::Memory);
    store::Database& db() { return *db_; }
    bool inMemory() const { return !dir_ && !server_; }
    bool onServer() const { return server_.has_value(); }
    // On the server run: the URI that connects to this database.
    QString serverUri() const { return server_ ? server_->uri() : QString(); }

    // KeyedFile only: the directory holding AssetManagement.mdb, and the
    // file's path.
    QString dir() const;
    QString path() const;

    // Reading what a test left behind: the number of rows of a table (a name
    // from the test's own text), and the first column of the first row a
    // query returns as raw text, or no value without a row.
    int count(const QString& table);
    template <typename... Args>
    std::optional<QString> value(const QString& sql, const Args&... args) {
        store::Query q(*db_, sql);
        q.bindAll(args...);
        if (!q.next())
            return std::nullopt;
        return q.rawTextAt(0);
    }

    // Drops the unique indexes of the texts the program keeps unique, so
    // that a test may arrange a register another tool filled with duplicates.
    void allowDuplicateTexts();

    // Helpers that insert rows directly, for arranging a test.
    int addLocation(const QString& desc, int parent, int level, int top);
    int addCategory(const QString& desc);
    int addProduct(const QString& code, const QString& desc, int category);
    int addStock(const QString& code, int product, int location);
    int addLicence(const QString& key, int product, int location, const QString& type);

private:
    void makeDir();

    std::optional<QTemporaryDir> dir_;
    // Declared before the connection, so that the connection closes before
    // its database is dropped.
    std::optional<ServerScratchDatabase> server_;
    std::unique_ptr<store::Database> db_;
};

} // namespace testing_support
