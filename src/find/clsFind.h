#pragma once

// Find: the stock items, licences, products, locations and suppliers whose
// searched text holds what the user typed, anywhere in it, ignoring case
// and accents. The folded texts live in the store's FindText table, kept in
// the order the results show (by kind, then text). A search walks that
// order a slice at a time and stops as soon as it has the results shown
// and a bounded count of the rest, so a text that many records hold is
// answered from the first rows; a rare one has the whole table to walk, a
// slice of a few milliseconds at a time, between which the window answers
// the user. The records of the matches are then read by id, with their
// location paths.

#include "store/FindText.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace store {
class Database;
class LocationPaths;
} // namespace store
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

// The most matches counted beyond those shown; a search stops there.
inline constexpr int MoreCounted = 5000;

// The entries of the folded texts one slice of a search walks at most.
inline constexpr int SliceRows = 20000;

// The line after the shown results when there are more: exactly that many,
// or, when the count stopped at MoreCounted, more than that.
QString moreText(int more);
QString moreThanText(int counted);
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
    bool moreCapped = false;      // the count of them stopped at more
    bool complete = true;         // false while the search is still walking
};

// The line after the results for them: the "more" line, or empty.
QString moreLine(const FindResult& result);

// One search under way. Each step walks a slice of the folded texts from
// where the last one stopped; the results found so far are the first ones
// of the whole result, in its order, with their records read.
class FindSearch {
public:
    // A search for text (trimmed; a blank one finds nothing and is done at
    // once), showing at most limit results and counting at most moreCap
    // beyond them. Nothing is read until the first step.
    FindSearch(store::Database& db, const QString& text, int limit = ShownLimit,
               int moreCap = MoreCounted);
    ~FindSearch();
    FindSearch(const FindSearch&) = delete;
    FindSearch& operator=(const FindSearch&) = delete;

    // Walks at most rows more entries; true once the search has ended.
    bool step(int rows = SliceRows);
    bool done() const { return done_; }
    // What was found so far (complete once done).
    const FindResult& result() const { return result_; }

private:
    // Walks at most rows entries of the kind the walk is in, and past its
    // end to the next kind; true when it walked all rows (or more, to the
    // end of a text).
    bool walkSlice(int rows);
    // Reads the records of the items from the given one on, dropping those
    // gone since their text was found.
    void readFrom(std::size_t first);

    store::Database& db_;
    QString pattern_;
    int limit_;
    int moreCap_;
    // Where the walk stands: the kind it is in, and, once a slice of it was
    // walked, the last text walked (every entry of that text included).
    int kind_ = 0;
    bool inKind_ = false;
    QString folded_;
    int matched_ = 0; // matches walked, shown or not
    bool done_ = false;
    FindResult result_;
    std::unique_ptr<store::LocationPaths> paths_; // the locations read for this search
};

class clsFind {
public:
    clsFind(store::Database& db, common::Messages& messages);

    // Every kind whose text holds text (trimmed; nothing for a blank one),
    // at most limit of them, and how many more there are (at most moreCap
    // counted), searched to the end at once.
    FindResult Find(const QString& text, int limit = ShownLimit, int moreCap = MoreCounted);

private:
    store::Database& db_;
};

} // namespace find
