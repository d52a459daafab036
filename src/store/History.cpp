#include "store/History.h"

#include "store/Database.h"

namespace store {

int writeHistory(Database& db, int itemId, const QString& type, const QString& locDesc,
                 const QDateTime& at) {
    return db.execute(QStringLiteral("INSERT INTO StockHistory (Stock_Lic_ID, Loc_Desc, "
                                     "move_date, Type, Moved_By) VALUES (?, ?, ?, ?, ?)"),
                      itemId, locDesc.trimmed(), at.toString(StoredHistoryStamp), type,
                      db.userName());
}

int deleteHistory(Database& db, int itemId, const QString& type) {
    return db.execute(
        QStringLiteral("DELETE FROM StockHistory WHERE Type = ? AND Stock_Lic_ID = ?"), type,
        itemId);
}

} // namespace store
