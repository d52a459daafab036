#pragma once

// What the stock and licence records share: the rules of their code or key
// and cost fields, the product chooser of their dialogs, and reading the
// ids that the dialogs keep as text.

#include "catalogue/FreeText.h"
#include "store/Money.h"

#include <QString>

#include <optional>

namespace store {
class Database;
}

namespace assets {

// The longest stock code or licence key.
inline constexpr int ItemCodeLimit = 50;
// 1,000,000.00, the highest cost a stock item or licence may carry.
inline constexpr store::Money MaxItemCost = store::Money::fromCents(100000000);

// A stock code or licence key as it is stored and compared: cleaned as the
// key filter would have let it in (pasted text included), then upper-cased.
QString storedCode(const QString& typed);

// A decimal id as a dialog keeps it in a hidden text box; no value when the
// text is empty or not a whole number.
std::optional<int> idFromText(const QString& text);

// A supplier id as a dialog keeps it: none when empty, not a number or 0.
std::optional<int> supplierFromText(const QString& text);

// Every product for the dialogs' product chooser, by description, each
// entry carrying its id: two products with one description stay apart.
catalogue::Choices productChoices(store::Database& db);

// One product's description as stored; no value when there is no such
// product.
std::optional<QString> productDescription(store::Database& db, int prodId);

} // namespace assets
