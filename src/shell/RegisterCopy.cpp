#include "shell/RegisterCopy.h"

#include "store/Database.h"
#include "store/ExpiryCounts.h"
#include "store/ProductCounts.h"
#include "store/Schema.h"
#include "store/StoreConstants.h"

#include "common/FileWork.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cerrno>

#include <sqlite3.h>

namespace shell {

namespace {

// The tables in an order that keeps every reference satisfied, with the
// columns copied and the order rows are read in (history by the order it
// was written).
struct CopiedTable {
    const char* name;
    const char* id; // the counter key; null for the history
    const char* columns;
    const char* order;
};
const CopiedTable CopiedTables[] = {
    {"Categories", "Cat_ID", "Cat_ID, Cat_Desc", "Cat_ID"},
    {"Suppliers", "Supplier_ID",
     "Supplier_ID, Supp_Name, Add_1, Add_2, Add_3, Town, County, Post_Code, Area, Telephone, "
     "FaxArea, Fax, Email, Web_Address, Contact, Supp_Date",
     "Supplier_ID"},
    {"Locations", "Loc_ID", "Loc_ID, Loc_Desc, Loc_Status, Loc_Level, Loc_ParentID, Loc_Top",
     "Loc_ID"},
    {"Products", "Prod_ID",
     "Prod_ID, Prod_Code, Prod_Desc, Prod_Cat_ID, Supp_ID, Prod_Cost, Date_Added, Prod_Owned",
     "Prod_ID"},
    {"Stock", "Stock_ID", "Stock_ID, Stock_Code, Prod_ID, Loc_ID, Supp_ID, Cost, Date_Added",
     "Stock_ID"},
    {"Licences", "Licence_ID",
     "Licence_ID, Licence_Name, Prod_ID, Loc_ID, Supp_ID, Exp_Date, Cost, Type, Date_Added",
     "Licence_ID"},
    {"StockHistory", nullptr, "Stock_Lic_ID, Loc_Desc, move_date, Type, Moved_By", "rowid"},
};

// The file's engine takes at most 999 values to a statement.
constexpr int MaxValues = 999;
constexpr int MaxRows = 500;

QString insertText(const CopiedTable& table, int columns, int rows) {
    QString row =
        QStringLiteral("(?") + QStringLiteral(", ?").repeated(columns - 1) + QLatin1Char(')');
    QStringList all;
    for (int i = 0; i < rows; ++i)
        all << row;
    return QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
        .arg(QString::fromLatin1(table.name), QString::fromLatin1(table.columns),
             all.join(QStringLiteral(", ")));
}

std::int64_t copyTable(store::Database& from, store::Database& to, const CopiedTable& table) {
    const QStringList columns =
        QString::fromLatin1(table.columns).split(QStringLiteral(", "), Qt::SkipEmptyParts);
    const int width = static_cast<int>(columns.size());
    const int perBatch = std::min(MaxRows, MaxValues / width);
    // Names are program constants.
    store::Query rows(from,
                      QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
                          .arg(QString::fromLatin1(table.columns), QString::fromLatin1(table.name),
                               QString::fromLatin1(table.order)));
    store::Query full(to, insertText(table, width, perBatch));
    std::vector<std::optional<QString>> pending;
    pending.reserve(static_cast<size_t>(perBatch * width));
    std::int64_t copied = 0;
    const auto flush = [&](bool last) {
        const int n = static_cast<int>(pending.size()) / width;
        if (n == 0)
            return;
        std::optional<store::Query> partial;
        store::Query* insert = &full;
        if (last && n < perBatch) {
            partial.emplace(to, insertText(table, width, n));
            insert = &*partial;
        } else {
            full.reset();
        }
        int index = 0;
        for (const std::optional<QString>& value : pending)
            insert->bind(++index, value);
        if (insert->execute() != n)
            throw store::DbError(
                QStringLiteral("Rows of %1 were not copied").arg(QString::fromLatin1(table.name)),
                SQLITE_ERROR);
        copied += n;
        pending.clear();
    };
    while (rows.next()) {
        for (const QString& column : columns)
            pending.push_back(rows.isNull(column) ? std::nullopt
                                                  : std::optional<QString>(rows.rawText(column)));
        if (static_cast<int>(pending.size()) == perBatch * width)
            flush(false);
    }
    flush(true);
    if (table.id)
        to.followIdentity(QString::fromLatin1(table.name), QString::fromLatin1(table.id));
    return copied;
}

} // namespace

bool isServerAddress(const QString& text) {
    return text.startsWith(QLatin1String("postgresql:")) ||
           text.startsWith(QLatin1String("postgres:")) || text.contains(QLatin1Char('='));
}

std::unique_ptr<store::Database> openRegister(const QString& where) {
    if (isServerAddress(where))
        return store::Database::connectServer(where);
    return store::Database::open(where, store::DatabaseKey);
}

CopyCounts copyRegister(store::Database& from, store::Database& to) {
    if (to.userVersion() != 0 || to.hasTable(QStringLiteral("Locations")))
        throw store::DbError(QStringLiteral("The target already holds a register; a register is "
                                            "copied only into an empty database"),
                             SQLITE_CANTOPEN);
    // One state of the source, read as the program would see it; its
    // migration, if any, is undone with this transaction.
    store::Transaction source(from);
    if (from.onServer())
        from.run(QStringLiteral("SET TRANSACTION ISOLATION LEVEL REPEATABLE READ"));
    store::checkSchema(from);

    store::Transaction target(to);
    store::createSchema(to);
    to.run(QStringLiteral("DELETE FROM Locations"));
    // The kept product counts are made once from the copied items, not by
    // their triggers row by row.
    store::dropProductCounts(to);
    store::dropExpiryCounts(to);
    CopyCounts counts;
    for (const CopiedTable& table : CopiedTables) {
        counts.rows += copyTable(from, to, table);
        ++counts.tables;
    }
    store::addProductCounts(to);
    store::addExpiryCounts(to);
    target.commit();
    return counts;
}

CopyCounts backupToFile(store::Database& db, const QString& destination) {
    const QString part = destination + QStringLiteral(".part");
    QFile::remove(part);
    CopyCounts counts;
    try {
        auto file = store::Database::create(part, store::DatabaseKey);
        counts = copyRegister(db, *file);
    } catch (...) {
        QFile::remove(part);
        throw;
    }
    if ((QFileInfo::exists(destination) && !QFile::remove(destination)) ||
        !QFile::rename(part, destination)) {
        QFile::remove(part);
        throw common::FileError(
            QStringLiteral("The backup cannot be written to %1").arg(destination), EIO);
    }
    return counts;
}

} // namespace shell
