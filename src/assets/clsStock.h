#pragma once

// Stock items: adding, changing, viewing and removing one item (with the
// movement history each placement writes), and what a location holds.

#include "common/ListRow.h"
#include "store/Money.h"

#include <QDateTime>
#include <QString>

#include <optional>

namespace store {
class Database;
}
namespace common {
class Clock;
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

// The stock dialog's fields as typed, with the ids it keeps.
struct StockFields {
    int prodId = 0;            // the item's product
    QString code;              // the stock code
    QString locDesc;           // the location as the dialog shows it
    std::optional<int> locId;  // its id; no value when none is held
    std::optional<int> suppId; // no value: no supplier
    QString cost;              // empty: no cost (stored as 0)
};

// The field a refusal names, so that the dialog can put the focus on it.
enum class StockField { None, Code, Cost, Product, Location, Supplier };

struct StockSave {
    std::optional<int> stockId; // the item stored; no value after a message
    StockField refused = StockField::None;
    // The cost as the dialog now shows it ("##,##0.00"), once it was read;
    // empty until then, and for an empty cost.
    QString costText;
};

// One item's fields as the stock dialog loads them.
struct StockDetails {
    int prodId = 0;
    QString code;
    std::optional<int> locId;
    QString locDesc; // empty when the location was not found
    std::optional<int> suppId;
    QString suppName; // empty without a supplier or when it was not found
    QString cost;     // "0.00" (no thousands separator)
    QDateTime dateAdded;
};

// What a removal did.
enum class StockRemoval { None, Parked, Deleted };

class clsStock {
public:
    clsStock(store::Database& db, common::Messages& messages, common::Clock& clock);

    // The products of the stock items and licences held directly at LocID.
    LocationContents FillStockListUsingLocation(int LocID);

    // Where every stock item and licence of one product is: key "S" + stock
    // id or "L" + licence id; location, supplier, code or key with its kind.
    // Stock first by code, then licences by key; temporary licences flagged.
    common::ListRows FillStockListUsingProduct(int prodId);

    // Checks the fields and adds a new item with its first history row.
    StockSave AddStock(const StockFields& fields);
    // Checks the fields and rewrites the item StockID; a change of location
    // adds a history row.
    StockSave ModifyStock(int StockID, const StockFields& fields);
    // Removes an item after asking: one at the removed-stock location goes
    // for good with its history, any other is parked there.
    StockRemoval DeleteStock(int StockID);
    // The item's fields for its dialog; no value, after a message, when the
    // item is not there.
    std::optional<StockDetails> GetStockDets(int StockID);

private:
    // The fields once checked: the code as stored, the cost read.
    struct Checked {
        QString code;
        QString locDesc;
        int locId = 0;
        store::Money cost;
    };
    // The checks common to adding and changing, in order; a refusal shows
    // its message and sets out.refused. Sets out.costText once the cost is
    // read.
    std::optional<Checked> validate(const StockFields& fields, bool adding, StockSave& out);
    // The product and the supplier are still there; else a message naming
    // the one that is gone.
    bool checkChoices(const StockFields& fields, StockSave& out);

    store::Database& db_;
    common::Messages& messages_;
    common::Clock& clock_;
};

} // namespace assets
