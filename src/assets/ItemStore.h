#pragma once

// What stock items and licences have in common: a table of items, each with
// a unique code (a stock code, a licence key), a product, a location, an
// optional supplier and a cost; adding and changing one together with its
// movement history, and removing it in two stages. clsStock and clsLicences
// describe their table (ItemTable) and keep only their own rules.

#include "assets/AssetRecords.h"
#include "catalogue/FreeText.h"
#include "store/Money.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>
#include <unordered_map>
#include <vector>

namespace store {
class Database;
class Query;
} // namespace store
namespace common {
class Clock;
class Messages;
} // namespace common

namespace assets {

// The field a refusal names, so that the dialog can put the focus on it.
enum class ItemField { None, Code, Cost, Expiry, Product, Location, Supplier };

// A refusal's text and the field it names (None: the focus stays).
struct Refusal {
    QString text;
    ItemField field = ItemField::None;
};

// The fields both item dialogs hand in, as typed, with the ids they keep.
struct ItemFields {
    int prodId = 0;            // the item's product
    QString locDesc;           // the location as the dialog shows it
    std::optional<int> locId;  // its id; no value when none is held
    std::optional<int> suppId; // no value: no supplier
    QString cost;              // empty: no cost (stored as 0)
};

// What a store did.
struct ItemSave {
    std::optional<int> id; // the item stored; no value after a message
    ItemField refused = ItemField::None;
    // The cost as the dialog now shows it ("##,##0.00"), once it was read;
    // empty until then, and for no cost.
    QString costText;
    // Another user changed the item since the dialog read it: the dialog
    // reads it again before the user stores anything over it.
    bool changedMeanwhile = false;
};

// The fields both item dialogs load.
struct ItemDetails {
    int prodId = 0;
    QString locDesc; // empty when the location was not found
    QString locPath; // the location's full path; empty likewise
    std::optional<int> suppId;
    QString suppName; // empty without a supplier or when it was not found
    QString cost;     // "0.00" (no thousands separator); empty for no cost
    QDateTime dateAdded;
};

// One kind of item: its table and the program's texts for it. Table and
// column names are program text, never typed.
struct ItemTable {
    // The table ("Stock"), its id column ("Stock_ID"), the removed
    // location, the history type ("S" or "L") and the removal's texts.
    RemovalRules removal;
    QString codeColumn; // "Stock_Code"
    // Columns of this kind alone, written after the shared ones, in order.
    QStringList ownColumns;

    Refusal emptyCode;
    Refusal badCode; // holds what the key filter keeps out
    Refusal badCost;
    Refusal costTooHigh;
    // "%1" is the code.
    Refusal duplicateOnAdd;
    Refusal duplicateOnModify;
    QString noProductOnModify;
    QString failInsert;
    // The history row was not written (removal.failHistory); the field is
    // named after an add.
    ItemField failHistoryField = ItemField::None;
    // Another user stored the same code between the check and the add;
    // empty: the add's duplicate refusal says it.
    QString codeAddedMeanwhile;
};

// An item's values once its own rules have checked them.
struct ItemRow {
    int prodId = 0;
    QString code; // as stored
    int locId = 0;
    std::optional<int> suppId;
    store::Money cost;
    QString historyText;                     // the location as its history row names it
    std::vector<std::optional<QString>> own; // the values of ItemTable::ownColumns
};

// A kind's checks as they stand: the row to store, or no row and the
// refusal in save.
struct CheckedRow {
    std::optional<ItemRow> row;
    ItemSave save;
};

class ItemStore {
public:
    // Every product for the dialogs' product chooser, by description, each
    // entry carrying its id.
    catalogue::Choices productChoices();
    // One product's description as stored; no value when it is not there.
    std::optional<QString> productDescription(int prodId);
    // A location's full path (store::LocationPaths); empty for none.
    QString locationPath(int locId);
    // The statements that look for the code among the other items before
    // a store, case-blind (bound: the code; the code and the item's own
    // id): each is answered by the code's unique index alone.
    const QString& duplicateCheck() const { return duplicate_; }
    const QString& duplicateCheckOnModify() const { return duplicateOther_; }

protected:
    ItemStore(store::Database& db, common::Messages& messages, common::Clock& clock,
              const ItemTable& table);
    virtual ~ItemStore() = default;
    ItemStore(const ItemStore&) = delete;
    ItemStore& operator=(const ItemStore&) = delete;

    // Begins the checks of the fields both kinds have: the product and the
    // supplier as chosen.
    static CheckedRow checking(const ItemFields& fields);
    // Shows the refusal, names its field and drops the row.
    CheckedRow refused(CheckedRow& c, const Refusal& refusal);

    // The code as stored into the row, or false after a refusal: present,
    // holding only what the key filter lets in, no longer than the limit.
    bool checkCode(const QString& typed, CheckedRow& c);
    // The cost read once, exactly, into hundredths (0 for an empty box)
    // into the row, or false after a refusal. Sets the cost shown once read.
    bool checkCost(const QString& text, CheckedRow& c);

    // Adds the checked item with its first history row, in one transaction,
    // after the code's uniqueness, the product and the supplier are
    // checked; a refused check is handed back as it is.
    ItemSave addItem(const CheckedRow& c);
    // Rewrites item id, likewise; a change of location adds a history row.
    ItemSave modifyItem(int id, const CheckedRow& c);
    // Two-stage removal by the table's rules.
    Removal removeItem(int id);
    // Asked once every check has passed, just before the item is written:
    // false (the refused field named in out) keeps it unwritten. A kind
    // whose values want the user's word overrides it; the rest store.
    virtual bool confirmStore(const ItemRow& row, ItemSave& out);
    // Inside the store's transaction, with the item's location locked so
    // that nobody moves or removes it until the commit: whether the
    // location still takes the item. Unless replaced: it is still there.
    // False after the message.
    virtual bool placeHolds(const ItemRow& row, bool adding, ItemSave& out);

    // Reads item id into the shared fields of d and hands back the row for
    // the kind's own columns (its code column, Loc_ID, ownColumns; FoundLoc
    // and FoundSupp are null when the location or supplier is not there).
    // No row (after the message missing) when there is no such item, or,
    // with needLocation, when its location is not there.
    std::optional<store::Query> readItem(int id, ItemDetails& d, const QString& missing,
                                         bool needLocation);

    store::Database& db_;
    common::Messages& messages_;
    common::Clock& clock_;

private:
    // The product and the supplier are still there; else a message naming
    // the one that is gone.
    bool checkChoices(const ItemRow& row, ItemSave& out);
    void refuse(ItemSave& out, const Refusal& refusal);
    bool duplicate(const QString& code, std::optional<int> except);
    // The store itself, in one transaction that first locks what the checks
    // decided on (the item, its product, supplier and location) and checks
    // again under the locks; run again after a deadlock.
    ItemSave storeNew(const ItemRow& row, ItemSave out);
    ItemSave storeChange(int id, const ItemRow& row, ItemSave out);
    // The choices are still there once locked; else the message of the one
    // that is gone.
    bool holdChoices(const ItemRow& row, bool adding, ItemSave& out);
    // The item's row as readItem read it, in one text, to tell whether
    // another user changed it since.
    QString fingerprint(int id);
    QString rowText(const store::Query& q) const;
    void conflict(ItemSave& out, const QString& text, ItemField field = ItemField::None);

    const ItemTable& table_;
    // The statements, composed once from the table.
    QString insert_, update_, duplicate_, duplicateOther_, location_, details_;
    // Each item as it was last read for a dialog (fingerprint), so that a
    // modification of what another user has changed since is refused.
    std::unordered_map<int, QString> loaded_;
};

} // namespace assets
