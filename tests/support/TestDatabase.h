#pragma once

// A fresh asset database of the test's own, in a temporary directory that
// goes when the fixture goes.

#include "store/Database.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace testing_support {

class TestDatabase {
public:
    TestDatabase();
    store::Database& db() { return *db_; }
    QString dir() const { return dir_.path(); }
    QString path() const;

    // Helpers that insert rows directly, for arranging a test.
    int addLocation(const QString& desc, int parent, int level, int top);
    int addCategory(const QString& desc);
    int addProduct(const QString& code, const QString& desc, int category);
    int addStock(const QString& code, int product, int location);
    int addLicence(const QString& key, int product, int location, const QString& type);

private:
    QTemporaryDir dir_;
    std::unique_ptr<store::Database> db_;
};

} // namespace testing_support
