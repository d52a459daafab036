#include "support/TestDatabase.h"

#include "store/Schema.h"
#include "store/StoreConstants.h"

#include <QDir>

#include <stdexcept>

namespace testing_support {

TestDatabase::TestDatabase(Storage storage) {
    if (storage == Storage::Memory) {
        db_ = store::Database::openInMemory();
        store::createSchema(*db_);
        return;
    }
    makeDir();
    store::createAssetDatabase(path());
    db_ = store::Database::open(path(), store::DatabaseKey);
}

void TestDatabase::makeDir() {
    dir_.emplace();
    if (!dir_->isValid())
        throw std::runtime_error("cannot make a temporary directory");
}

QString TestDatabase::dir() const {
    if (!dir_)
        throw std::logic_error("an in-memory test database has no directory");
    return dir_->path();
}

QString TestDatabase::path() const {
    return QDir(dir()).filePath(store::DatabaseFileName);
}

int TestDatabase::count(const QString& table) {
    store::Query q(*db_, QStringLiteral("SELECT count(*) AS n FROM ") + table);
    q.next();
    return static_cast<int>(q.integer(QStringLiteral("n")));
}

int TestDatabase::addLocation(const QString& desc, int parent, int level, int top) {
    db_->execute(QStringLiteral("INSERT INTO Locations (Loc_Desc, Loc_Status, Loc_Level, "
                                "Loc_ParentID, Loc_Top) VALUES (?, 'U', ?, ?, ?)"),
                 desc, level, parent, top);
    return static_cast<int>(db_->lastInsertId());
}

int TestDatabase::addCategory(const QString& desc) {
    db_->execute(QStringLiteral("INSERT INTO Categories (Cat_Desc) VALUES (?)"), desc);
    return static_cast<int>(db_->lastInsertId());
}

int TestDatabase::addProduct(const QString& code, const QString& desc, int category) {
    db_->execute(QStringLiteral("INSERT INTO Products (Prod_Code, Prod_Desc, Prod_Cat_ID, "
                                "Prod_Cost) VALUES (?, ?, ?, 0)"),
                 code, desc, category);
    return static_cast<int>(db_->lastInsertId());
}

int TestDatabase::addStock(const QString& code, int product, int location) {
    db_->execute(QStringLiteral("INSERT INTO Stock (Stock_Code, Prod_ID, Loc_ID, Cost) "
                                "VALUES (?, ?, ?, 0)"),
                 code, product, location);
    return static_cast<int>(db_->lastInsertId());
}

int TestDatabase::addLicence(const QString& key, int product, int location, const QString& type) {
    db_->execute(QStringLiteral("INSERT INTO Licences (Licence_Name, Prod_ID, Loc_ID, Cost, Type) "
                                "VALUES (?, ?, ?, 0, ?)"),
                 key, product, location, type);
    return static_cast<int>(db_->lastInsertId());
}

} // namespace testing_support
