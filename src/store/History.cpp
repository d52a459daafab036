#include "store/History.h"

#include "store/Database.h"

namespace store {

int writeHistory(Database& db, int itemId, const QString& type, const QString& locDesc,
                 const QDateTime& at) {
    return HistoryWriter(db).write(itemId, type, locDesc, at);
}

HistoryWriter::HistoryWriter(Database& db)
    : insert_(db, QStringLiteral("INSERT INTO StockHistory (Stock_Lic_ID, Loc_Desc, move_date, "
                                 "Type, Moved_By) VALUES (?, ?, ?, ?, ?)")),
      by_(db.userName()) {}

int HistoryWriter::write(int itemId, const QString& type, const QString& locDesc,
                         const QDateTime& at) {
    if (used_)
        insert_.reset();
    used_ = true;
    insert_.bindAll(itemId, locDesc.trimmed(), at.toString(StoredHistoryStamp), type, by_);
    return insert_.execute();
}

int deleteHistory(Database& db, int itemId, const QString& type) {
    return db.execute(
        QStringLiteral("DELETE FROM StockHistory WHERE Type = ? AND Stock_Lic_ID = ?"), type,
        itemId);
}

} // namespace store
