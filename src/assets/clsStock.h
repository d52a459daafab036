#pragma once

// Stock items: adding, changing, viewing and removing one item (with the
// movement history each placement writes), and what a location holds.

#include "assets/ItemStore.h"
#include "common/ListRow.h"
#include "store/ProductWalk.h"

#include <QString>

#include <optional>
#include <vector>

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

// The two lists of the location contents view, read a slice at a time.
enum class ContentsList { Stock, Licences };

// Where the reading of one of those lists has got to: the part being read
// (the stock list has one; the licence list has the products with normal
// licences, then those with temporary ones only) and, in a part read
// product by product, the last product read. The default place is the
// start.
struct ContentsPlace {
    int part = 0;
    // The part holds too many products to be read whole: it is read by
    // walking the products in their order.
    bool walking = false;
    store::ProductPlace product;
};

// Some rows of a list in its order, and where the reading goes on; no
// value when the list has no more.
struct ContentsSlice {
    common::ListRows rows;
    std::optional<ContentsPlace> next;
};

// A statement that reads a list, with the values of its placeholders in
// order. Its rows: product id, code, description, category and the list's
// counts.
struct ContentsStatement {
    QString sql;
    std::vector<store::BoundValue> values;
};

// How many parts a list has.
int contentsParts(ContentsList list);
// The statement that counts the products of a part of a list held at
// locId, up to one more than a part read whole may hold: one row, the count.
ContentsStatement contentsSize(int locId, ContentsList list, int part);
// The statement that reads a part of a list held at locId at a place: at
// the part's start (not walking), the part whole, in no order; walking, up
// to count of its products after the place's one, in the products' order.
// Each product's items at the location are found and counted through the
// location's index.
ContentsStatement contentsStatement(int locId, ContentsList list, const ContentsPlace& place,
                                    int count);

// The stock dialog's fields as typed, with the ids it keeps.
struct StockFields : ItemFields {
    QString code; // the stock code
};

// One item's fields as the stock dialog loads them.
struct StockDetails : ItemDetails {
    QString code;
    std::optional<int> locId;
};

// The fields that store an item as it stands: a Modify with nothing changed.
StockFields fieldsOf(const StockDetails& details);

// What AddStock and ModifyStock did: the item stored (no value after a
// message), the field a refusal names, and the cost as the dialog now shows
// it (see ItemSave).
struct StockSave {
    std::optional<int> stockId;
    ItemField refused = ItemField::None;
    QString costText;
    bool changedMeanwhile = false; // see ItemSave
};
using StockField = ItemField;

// What a removal did.
using StockRemoval = Removal;

// Follows the expiry date of a licence that has expired.
inline const QString ExpiredMark = QStringLiteral(" (expired)");

class clsStock : public ItemStore {
public:
    clsStock(store::Database& db, common::Messages& messages, common::Clock& clock);

    // A part of a list holding up to this many products is read whole and
    // put in order in memory; a larger one is read a slice at a time.
    static constexpr int WholePartProducts = 1000;

    // The products of the stock items and licences held directly at LocID.
    LocationContents FillStockListUsingLocation(int LocID);
    // Rows of one of those lists from a place, as FillStockListUsingLocation
    // gives them: at least count of them unless fewer are left, and more
    // when a part small enough to read whole is reached. The work is
    // bounded by the slice, the products walked past and their items at the
    // location, not by what the location or the register holds.
    ContentsSlice LocationContentsFrom(int LocID, ContentsList list, const ContentsPlace& from,
                                       int count);

    // Where every stock item and licence of one product is: key "S" + stock
    // id or "L" + licence id; location, supplier, code or key with its kind,
    // and a licence's expiry date ("dd/mm/yy", ExpiredMark after it when it
    // is before today; empty for stock and for no date).
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

protected:
    bool placeHolds(const ItemRow& row, bool adding, ItemSave& out) override;

private:
    // The checks of adding and changing, in order: the code, the cost, the
    // location; a refusal shows its message and names its field.
    CheckedRow validate(const StockFields& fields, bool adding);
};

} // namespace assets
