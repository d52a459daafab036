#pragma once

// The movement history of one stock item or licence, for the history
// viewer: the item's code and product, and every place it has been.

#include "common/ListRow.h"

#include <QString>

#include <optional>

namespace store {
class Database;
}
namespace common {
class Messages;
}

namespace assets {

struct HistoryItem {
    QString code;     // stock code or licence key
    QString prodDesc; // its product's description
};

class clsStockLicenceHist {
public:
    clsStockLicenceHist(store::Database& db, common::Messages& messages);

    // The item the viewer last showed (an id and "S" for a stock item or
    // "L" for a licence), kept for the next showing; the operations take
    // their item as arguments and never read these.
    int ItemID = 0;
    QString ItemType;

    // The code and product of item itemId of itemType ("S" or "L"); no
    // value (after a message for an id that names no item) when there is
    // nothing to show.
    std::optional<HistoryItem> GetInitData(int itemId, const QString& itemType);
    // The item's movements, oldest first (by stamp, then as written): key
    // "Z" + counter, the date shown "dd/MM/yy HH:mm", the location as its
    // full path where the stored description names it (see the .cpp), and
    // who made the move (empty for rows from before that was recorded).
    common::ListRows FillHistory(int itemId, const QString& itemType);

private:
    static bool knownType(const QString& itemType);

    store::Database& db_;
    common::Messages& messages_;
};

} // namespace assets
