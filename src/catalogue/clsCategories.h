#pragma once

// Product categories: the list with live counts, the chooser entries, and
// adding, renaming and deleting a category.

#include "catalogue/FreeText.h"
#include "common/ListRow.h"

#include <QString>

#include <optional>

namespace store {
class Database;
}
namespace common {
class Messages;
} // namespace common

namespace catalogue {

// A category description holds at most this many characters.
inline constexpr int CategoryLimit = 50;

class clsCategories {
public:
    clsCategories(store::Database& db, common::Messages& messages);

    // True when at least one category exists.
    bool AnyCategory();

    // Every category for the product page's chooser, by description
    // (letter case ignored), descriptions trimmed.
    Choices FillComboWithCats();

    // The rows of the category list, by description: key "C" + id, the
    // description, its products, their stock items outside the removed-stock
    // location and their licences outside the removed-licences location.
    // One statement, however many categories and products there are.
    common::ListRows FillListViewWithCats();

    // Adds a category; its id, or no value after a message.
    std::optional<int> AddNewCategory(const QString& typed);
    // Gives the category catId a new description; false after a message.
    bool ModifyCategory(int catId, const QString& typed);
    // Deletes a category that has no products; false after a message.
    bool DeleteNewCategory(int catId);

private:
    // The cleaned description, or no value after a refusal.
    std::optional<QString> checkedDescription(const QString& typed);

    store::Database& db_;
    common::Messages& messages_;
};

} // namespace catalogue
