#include "support/TestDatabase.h"

#include "store/Schema.h"
#include "store/StoreConstants.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <stdexcept>
#include <unistd.h>

namespace testing_support {

QString testServerUri() {
    static const QString uri = [] {
        const QString given = qEnvironmentVariable("VEMORA_TEST_SERVER");
        if (given.isEmpty() || given.startsWith(QLatin1String("postgres")) ||
            given.contains(QLatin1Char('=')))
            return given;
        QFile file(given);
        if (!file.open(QIODevice::ReadOnly))
            throw std::runtime_error("VEMORA_TEST_SERVER names a file that cannot be read (is the "
                                     "test cluster started?)");
        return QString::fromUtf8(file.readAll()).trimmed();
    }();
    return uri;
}

QString serverUriFor(const QString& database) {
    // postgresql:///postgres?host=/tmp/x&user=postgres -> the same with database
    QString uri = testServerUri();
    static const QRegularExpression path(QStringLiteral("^(postgres(?:ql)?://[^/?]*)/?[^?]*"));
    uri.replace(path, QStringLiteral("\\1/") + database);
    return uri;
}

namespace {

std::unique_ptr<store::Database> serverAdmin() {
    return store::Database::connectServer(serverUriFor(QStringLiteral("postgres")));
}

} // namespace

ServerScratchDatabase::ServerScratchDatabase() {
    static int counter = 0;
    name_ = QStringLiteral("vemora_test_%1_%2").arg(::getpid()).arg(++counter);
    // Names are made here, never typed by a user.
    // Each its own statement: neither runs inside a transaction block.
    const auto admin = serverAdmin();
    admin->run(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name_));
    admin->run(QStringLiteral("CREATE DATABASE %1 TEMPLATE template0 ENCODING 'UTF8'").arg(name_));
    uri_ = serverUriFor(name_);
}

ServerScratchDatabase::~ServerScratchDatabase() {
    try {
        serverAdmin()->run(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name_));
    } catch (const store::DbError&) {
        // The cluster goes at the end of the run, and the database with it.
    }
}

TestDatabase::TestDatabase(Storage storage) {
    if (storage == Storage::Memory && serverRun()) {
        server_.emplace();
        db_ = store::Database::connectServer(server_->uri());
        store::createSchema(*db_);
        return;
    }
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

void TestDatabase::allowDuplicateTexts() {
    db_->run(QStringLiteral("DROP INDEX uxCategoriesDesc; DROP INDEX uxProductsCode; "
                            "DROP INDEX uxStockCode; DROP INDEX uxLicencesName"));
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
