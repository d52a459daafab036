#pragma once

// A fresh asset database of the test's own: the full schema and the
// reserved rows, at the current schema version.
//
// By default it lives in memory (no file, no key to derive), which is what
// most tests want. Tests of the file itself (opening, keying, start-up) ask
// for Storage::KeyedFile: a keyed AssetManagement.mdb in a temporary
// directory that goes when the fixture goes.

#include "store/Database.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <optional>

namespace testing_support {

class TestDatabase {
public:
    enum class Storage { Memory, KeyedFile };

    explicit TestDatabase(Storage storage = Storage::Memory);
    store::Database& db() { return *db_; }
    bool inMemory() const { return !dir_; }

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

    // Helpers that insert rows directly, for arranging a test.
    int addLocation(const QString& desc, int parent, int level, int top);
    int addCategory(const QString& desc);
    int addProduct(const QString& code, const QString& desc, int category);
    int addStock(const QString& code, int product, int location);
    int addLicence(const QString& key, int product, int location, const QString& type);

private:
    void makeDir();

    std::optional<QTemporaryDir> dir_;
    std::unique_ptr<store::Database> db_;
};

} // namespace testing_support
