#include "catalogue/clsCategories.h"

#include "store/Database.h"

namespace catalogue {

clsCategories::clsCategories(store::Database& db, common::Messages& messages)
    : db_(db), messages_(messages) {}

bool clsCategories::AnyCategory() {
    return db_.exists(QStringLiteral("SELECT Cat_ID FROM Categories LIMIT 1"));
}

} // namespace catalogue
