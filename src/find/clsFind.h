#pragma once

// Find: the stock items, licences, products, locations and suppliers whose
// searched text holds what the user typed, anywhere in it, ignoring case
// and accents. The folded texts live in the store's FindText table; one scan
// of it finds the matches, and the rows shown are then read by id, with
// their location paths from one pass over the location table.

#include "store/FindText.h"

#include <QString>

#include <vector>

namespace store {
class Database;
}
namespace common {
class Messages;
}

namespace find {

using store::FindKind;

// The most results shown at once.
inline constexpr int ShownLimit = 300;

// The kind as the results name it: "Stock", "Licence", "Product",
// "Location", "Supplier".
QString kindWord(FindKind kind);

// The line after the shown results when there are more.
QString moreText(int more);
// The one line of the results when nothing matches what was typed.
inline const QString NothingFoundText = QStringLiteral("Nothing found");

// The text shown after the location of a removed item or location.
inline const QString RemovedMark = QStringLiteral("(removed)");

struct FoundItem {
    FindKind kind = FindKind::Stock;
    int id = 0;
    QString code;    // stock code, licence key, product code, location or supplier name
    QString product; // the product's description (items and products)
    QString path;    // the full location path (items and locations)
    bool removed = false;
    int locId = 0;          // items: where they stand; locations: themselves
    int prodId = 0;         // items and products
    int catId = 0;          // items and products: the product's category
    bool temporary = false; // a temporary licence
    bool read = false;      // its record was read
};

struct FindResult {
    std::vector<FoundItem> items; // by kind, then by text
    int more = 0;                 // matches beyond those shown
};

class clsFind {
public:
    clsFind(store::Database& db, common::Messages& messages);

    // Every kind whose text holds text (trimmed; nothing for a blank one),
    // at most limit of them, and how many more there are.
    FindResult Find(const QString& text, int limit = ShownLimit);

private:
    store::Database& db_;
};

} // namespace find
