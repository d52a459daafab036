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

QString TestDatabase::dir() {
    if (inMemory())
        moveToFile();
    return dir_->path();
}

QString TestDatabase::path() {
    return QDir(dir()).filePath(store::DatabaseFileName);
}

void TestDatabase::moveToFile() {
    makeDir();
    const QString file = dir_->filePath(store::DatabaseFileName);
    const int version = db_->userVersion();
    db_->execute(QStringLiteral("ATTACH DATABASE ? AS keyed KEY ?"), file, store::DatabaseKey);
    db_->run(QStringLiteral("SELECT sqlcipher_export('keyed')"));
    // PRAGMA takes no parameters; the version is the database's own number.
    db_->run(QStringLiteral("PRAGMA keyed.user_version = %1").arg(version));
    db_->run(QStringLiteral("DETACH DATABASE keyed"));
    retired_ = std::move(db_);
    db_ = store::Database::open(file, store::DatabaseKey);
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
