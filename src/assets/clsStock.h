#pragma once

// Stock items, and what a location holds.

#include "common/ListRow.h"

namespace store {
class Database;
}
namespace common {
class Messages;
} // namespace common

namespace assets {

// The two lists of the location contents view.
struct LocationContents {
    // Key "S" + product id; code, description, category, stock count.
    common::ListRows stock;
    // Key "L" + product id; code, description, category, normal, temporary.
    // Products with normal licences first, then those with only temporary
    // ones, each group by description.
    common::ListRows licences;
};

class clsStock {
public:
    clsStock(store::Database& db, common::Messages& messages);

    // The products of the stock items and licences held directly at LocID.
    LocationContents FillStockListUsingLocation(int LocID);

    // Where every stock item and licence of one product is: key "S" + stock
    // id or "L" + licence id; location, supplier, code or key with its kind.
    // Stock first by code, then licences by key; temporary licences flagged.
    common::ListRows FillStockListUsingProduct(int prodId);

private:
    store::Database& db_;
    common::Messages& messages_;
};

} // namespace assets
