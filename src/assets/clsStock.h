#pragma once

// Stock items, and what a location holds.

#include "shell/ListRow.h"

namespace store {
class Database;
}
namespace shell {
class Messages;
}

namespace assets {

// The two lists of the location contents view.
struct LocationContents {
    // Key "S" + product id; code, description, category, stock count.
    shell::ListRows stock;
    // Key "L" + product id; code, description, category, normal, temporary.
    // Products with normal licences first, then those with only temporary
    // ones, each group by description.
    shell::ListRows licences;
};

class clsStock {
public:
    clsStock(store::Database& db, shell::Messages& messages);

    // The products of the stock items and licences held directly at LocID.
    LocationContents FillStockListUsingLocation(int LocID);

private:
    store::Database& db_;
    shell::Messages& messages_;
};

} // namespace assets
