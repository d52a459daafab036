#pragma once

// What the stock and licence records share: the rules of their code or key
// and cost fields, the product chooser of their dialogs, and two-stage
// removal.

#include "catalogue/FreeText.h"
#include "store/Money.h"

#include <QDateTime>
#include <QString>

#include <optional>

namespace store {
class Database;
}

namespace common {
class Messages;
}

namespace assets {

// The longest stock code or licence key.
inline constexpr int ItemCodeLimit = 50;
// 1,000,000.00, the highest cost a stock item or licence may carry.
inline constexpr store::Money MaxItemCost = store::Money::fromCents(100000000);

// A stock code or licence key as it is stored and compared: trimmed and
// upper-cased. Whether it holds only what the key filter lets in is
// codeFitsField's to say.
QString storedCode(const QString& typed);
bool codeFitsField(const QString& code);

// A cost box's text read for storing: empty is no cost, an amount with
// more than 15 whole digits is above the limit.
enum class CostCheck { Amount, Invalid, TooHigh, TooLong };
CostCheck readItemCost(const QString& text, store::Money& amount);

// The messages of a choice made in a dialog that another dialog has
// deleted meanwhile.
inline const QString SupplierGone =
    QStringLiteral("The chosen supplier no longer exists, please choose another");
inline const QString LocationGone =
    QStringLiteral("The chosen location no longer exists, please choose another");
inline const QString ProductGone =
    QStringLiteral("The chosen product no longer exists, please choose another");

// True when the supplier (none counts as there) or the location is there.
bool supplierExists(store::Database& db, const std::optional<int>& suppId);
bool locationExists(store::Database& db, int locId);

// Every product for the dialogs' product chooser, by description, each
// entry carrying its id: two products with one description stay apart.
catalogue::Choices productChoices(store::Database& db);

// One product's description as stored; no value when there is no such
// product.
std::optional<QString> productDescription(store::Database& db, int prodId);

// The line that follows the question before an item is deleted for good.
inline const QString DeleteWarning = QStringLiteral(
    "All Live and Historical data will be removed, this data will be irretrievable !!!");
// An item whose location cannot be read.
inline const QString GettingLocationFailure = QStringLiteral("Internal Error: Getting Location ID");

// Two-stage removal, the same for stock items and licences: an item at its
// removed location goes for good with its history (judged by the item
// delete), any other is parked there with its history row. Each stage asks
// first and runs in one transaction. The question before a delete for good
// names the item by its nameColumn (its code or key) and has No as its
// default button.
enum class Removal { None, Parked, Deleted };
struct RemovalRules {
    QString table;       // "Stock" or "Licences" (program text, never typed)
    QString idColumn;    // "Stock_ID" or "Licence_ID"
    int removedLocation; // where parked items stand
    QString historyType; // "S" or "L"
    QString removedDesc; // the parked place as the history names it
    QString askDelete;   // the question before deleting for good, before DeleteWarning
    QString askPark;     // the question before parking
    QString failDelete;  // a delete that removed no row
    QString failPark;    // a park that moved no row
    QString failLookup;  // the item is not there
    QString failHistory; // the history row was not written
};
Removal removeInTwoStages(store::Database& db, common::Messages& messages, const QDateTime& now,
                          const RemovalRules& rules, const QString& nameColumn, int id);

} // namespace assets
