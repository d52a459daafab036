#include "assets/ItemStore.h"

#include "catalogue/clsProducts.h"
#include "common/Clock.h"
#include "common/KeyRule.h"
#include "common/Messages.h"
#include "store/Database.h"
#include "store/History.h"
#include "store/StoreConstants.h"

namespace assets {

namespace {

// The columns every item table has beside its id and code, in the order the
// statements bind them.
const QStringList SharedColumns = {QStringLiteral("Prod_ID"), QStringLiteral("Loc_ID"),
                                   QStringLiteral("Supp_ID"), QStringLiteral("Cost"),
                                   QStringLiteral("Date_Added")};

} // namespace

ItemStore::ItemStore(store::Database& db, common::Messages& messages, common::Clock& clock,
                     const ItemTable& table)
    : db_(db), messages_(messages), clock_(clock), table_(table) {
    const QStringList columns = QStringList{table.codeColumn} + SharedColumns + table.ownColumns;
    insert_ = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                  .arg(table.table, columns.join(QStringLiteral(", ")),
                       QStringList(columns.size(), QStringLiteral("?")).join(QStringLiteral(", ")));
    update_ = QStringLiteral("UPDATE %1 SET %2 = ? WHERE %3 = ?")
                  .arg(table.table, columns.join(QStringLiteral(" = ?, ")), table.idColumn);
    duplicate_ = QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                     .arg(table.idColumn, table.table, table.codeColumn) +
                 store::IgnoreCase;
    duplicateOther_ = duplicate_ + QStringLiteral(" AND %1 <> ?").arg(table.idColumn);
    location_ =
        QStringLiteral("SELECT Loc_ID FROM %1 WHERE %2 = ?").arg(table.table, table.idColumn);
}

catalogue::Choices ItemStore::productChoices() {
    return assets::productChoices(db_);
}

std::optional<QString> ItemStore::productDescription(int prodId) {
    return assets::productDescription(db_, prodId);
}

bool ItemStore::refuse(ItemSave& out, const Refusal& refusal) {
    messages_.refuse(refusal.text);
    out.refused = refusal.field;
    return false;
}

std::nullopt_t ItemStore::refused(ItemSave& out, const Refusal& refusal) {
    refuse(out, refusal);
    return std::nullopt;
}

std::optional<QString> ItemStore::checkCode(const QString& typed, ItemSave& out) {
    const QString code = storedCode(typed);
    if (code.isEmpty())
        return refused(out, table_.emptyCode);
    if (!codeFitsField(code))
        return refused(out, table_.badCode);
    if (code.size() > ItemCodeLimit)
        return refused(out, {common::limitMessage(ItemCodeLimit), ItemField::Code});
    return code;
}

std::optional<store::Money> ItemStore::checkCost(const QString& text, ItemSave& out) {
    store::Money cost;
    if (text.trimmed().isEmpty())
        return cost;
    switch (readItemCost(text, cost)) {
    case CostCheck::Invalid:
        return refused(out, table_.badCost);
    case CostCheck::TooHigh:
        return refused(out, table_.costTooHigh);
    case CostCheck::TooLong:
        return refused(out, {common::limitMessage(catalogue::CostLimit), ItemField::Cost});
    case CostCheck::Amount:
        break;
    }
    out.costText = cost.display();
    return cost;
}

bool ItemStore::duplicate(const QString& code, std::optional<int> except) {
    return except ? db_.exists(duplicateOther_, code, *except) : db_.exists(duplicate_, code);
}

bool ItemStore::checkChoices(const ItemRow& row, ItemSave& out) {
    // The product and the supplier were chosen by id; another dialog may
    // have deleted either since.
    if (!assets::productDescription(db_, row.prodId))
        return refuse(out, {ProductGone, ItemField::Product});
    if (!supplierExists(db_, row.suppId))
        return refuse(out, {SupplierGone, ItemField::Supplier});
    return true;
}

namespace {

// Binds the code, the shared columns and the item's own, from position 1;
// returns the next free position.
int bindRow(store::Query& q, const ItemRow& row, const QDateTime& now) {
    q.bindAll(row.code, row.prodId, row.locId, row.suppId, row.cost,
              now.toString(store::StoredDateTime));
    int index = 1 + static_cast<int>(SharedColumns.size());
    for (const std::optional<QString>& value : row.own)
        q.bind(++index, value);
    return index + 1;
}

} // namespace

ItemSave ItemStore::addItem(const ItemRow& row, ItemSave out) {
    if (duplicate(row.code, std::nullopt)) {
        refuse(out, {table_.duplicateOnAdd.text.arg(row.code), table_.duplicateOnAdd.field});
        return out;
    }
    if (row.prodId == 0) {
        messages_.fail(QStringLiteral("Internal Error: ProductID not set"));
        return out;
    }
    if (!checkChoices(row, out))
        return out;
    // The item and its first history row go together or not at all.
    store::Transaction tx(db_);
    const QDateTime now = clock_.now();
    // Judged by its row count like every other write: an insert that added
    // no row has no new id to name.
    store::Query insert(db_, insert_);
    bindRow(insert, row, now);
    if (insert.execute() != 1) {
        messages_.fail(table_.failInsert);
        return out;
    }
    const int id = static_cast<int>(db_.lastInsertId());
    if (store::writeHistory(db_, id, table_.historyType, row.historyText, now) != 1) {
        messages_.fail(table_.failHistory.text);
        out.refused = table_.failHistory.field;
        return out;
    }
    tx.commit();
    out.id = id;
    return out;
}

ItemSave ItemStore::modifyItem(int id, const ItemRow& row, ItemSave out) {
    if (duplicate(row.code, id)) {
        refuse(out, {table_.duplicateOnModify.text.arg(row.code), table_.duplicateOnModify.field});
        return out;
    }
    store::Query old(db_, location_);
    old.bindAll(id);
    if (!old.next()) {
        messages_.fail(table_.removal.failLookup);
        return out;
    }
    const std::int64_t oldLoc = old.integer(QStringLiteral("Loc_ID"));
    // The product is the one chosen by id, never looked up by description.
    if (row.prodId == 0) {
        messages_.fail(table_.noProductOnModify);
        return out;
    }
    if (!checkChoices(row, out))
        return out;
    // The new values and the history row of a move go together.
    store::Transaction tx(db_);
    const QDateTime now = clock_.now();
    store::Query update(db_, update_);
    update.bind(bindRow(update, row, now), id);
    if (update.execute() != 1) {
        messages_.fail(table_.removal.failLookup);
        return out;
    }
    if (oldLoc != row.locId &&
        store::writeHistory(db_, id, table_.historyType, row.historyText, now) != 1) {
        messages_.fail(table_.failHistory.text);
        return out;
    }
    tx.commit();
    out.id = id;
    return out;
}

Removal ItemStore::removeItem(int id) {
    return removeInTwoStages(db_, messages_, clock_.now(), table_.removal, id);
}

void ItemStore::readShared(const store::Query& q, ItemDetails& d) {
    d.prodId = static_cast<int>(q.integer(QStringLiteral("Prod_ID")));
    if (!q.isNull(QStringLiteral("Supp_ID")))
        d.suppId = static_cast<int>(q.integer(QStringLiteral("Supp_ID")));
    if (!q.isNull(QStringLiteral("Cost")))
        d.cost = q.money(QStringLiteral("Cost")).field();
    d.dateAdded = store::readStoredDateTime(q.text(QStringLiteral("Date_Added")));
}

} // namespace assets
