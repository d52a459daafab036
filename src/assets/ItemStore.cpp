#include "assets/ItemStore.h"

#include "catalogue/clsProducts.h"
#include "common/Clock.h"
#include "common/KeyRule.h"
#include "common/Messages.h"
#include "store/Database.h"
#include "store/History.h"
#include "store/LocationPaths.h"
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
    const QString& name = table.removal.table;
    const QString& idColumn = table.removal.idColumn;
    const QStringList columns = QStringList{table.codeColumn} + SharedColumns + table.ownColumns;
    insert_ = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                  .arg(name, columns.join(QStringLiteral(", ")),
                       QStringList(columns.size(), QStringLiteral("?")).join(QStringLiteral(", ")));
    update_ = QStringLiteral("UPDATE %1 SET %2 = ? WHERE %3 = ?")
                  .arg(name, columns.join(QStringLiteral(" = ?, ")), idColumn);
    duplicate_ =
        QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?").arg(idColumn, name, table.codeColumn) +
        store::IgnoreCase;
    duplicateOther_ = duplicate_ + QStringLiteral(" AND %1 <> ?").arg(idColumn);
    location_ = QStringLiteral("SELECT Loc_ID FROM %1 WHERE %2 = ?").arg(name, idColumn);
    details_ = QStringLiteral("SELECT i.%1, l.Loc_ID AS FoundLoc, l.Loc_Desc, "
                              "p.Supplier_ID AS FoundSupp, p.Supp_Name "
                              "FROM %2 i "
                              "LEFT JOIN Locations l ON l.Loc_ID = i.Loc_ID "
                              "LEFT JOIN Suppliers p ON p.Supplier_ID = i.Supp_ID "
                              "WHERE i.%3 = ?")
                   .arg(columns.join(QStringLiteral(", i.")), name, idColumn);
}

catalogue::Choices ItemStore::productChoices() {
    return assets::productChoices(db_);
}

std::optional<QString> ItemStore::productDescription(int prodId) {
    return assets::productDescription(db_, prodId);
}

void ItemStore::refuse(ItemSave& out, const Refusal& refusal) {
    messages_.refuse(refusal.text);
    out.refused = refusal.field;
}

CheckedRow ItemStore::checking(const ItemFields& fields) {
    CheckedRow c;
    c.row.emplace();
    c.row->prodId = fields.prodId;
    c.row->suppId = fields.suppId;
    return c;
}

CheckedRow ItemStore::refused(CheckedRow& c, const Refusal& refusal) {
    refuse(c.save, refusal);
    c.row.reset();
    return c;
}

bool ItemStore::checkCode(const QString& typed, CheckedRow& c) {
    const QString code = storedCode(typed);
    if (code.isEmpty())
        refused(c, table_.emptyCode);
    else if (!codeFitsField(code))
        refused(c, table_.badCode);
    else if (code.size() > ItemCodeLimit)
        refused(c, {common::limitMessage(ItemCodeLimit), ItemField::Code});
    else
        c.row->code = code;
    return c.row.has_value();
}

bool ItemStore::checkCost(const QString& text, CheckedRow& c) {
    store::Money cost;
    if (text.trimmed().isEmpty())
        return true;
    switch (readItemCost(text, cost)) {
    case CostCheck::Invalid:
        refused(c, table_.badCost);
        return false;
    case CostCheck::TooHigh:
        refused(c, table_.costTooHigh);
        return false;
    case CostCheck::TooLong:
        refused(c, {common::limitMessage(catalogue::CostLimit), ItemField::Cost});
        return false;
    case CostCheck::Amount:
        break;
    }
    c.save.costText = cost.display();
    c.row->cost = cost;
    return true;
}

bool ItemStore::duplicate(const QString& code, std::optional<int> except) {
    return except ? db_.exists(duplicateOther_, code, *except) : db_.exists(duplicate_, code);
}

bool ItemStore::checkChoices(const ItemRow& row, ItemSave& out) {
    // The product and the supplier were chosen by id; another dialog may
    // have deleted either since.
    if (!assets::productDescription(db_, row.prodId)) {
        refuse(out, {ProductGone, ItemField::Product});
        return false;
    }
    if (!supplierExists(db_, row.suppId)) {
        refuse(out, {SupplierGone, ItemField::Supplier});
        return false;
    }
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

ItemSave ItemStore::addItem(const CheckedRow& c) {
    ItemSave out = c.save;
    if (!c.row)
        return out;
    const ItemRow& row = *c.row;
    if (duplicate(row.code, std::nullopt)) {
        refuse(out, {table_.duplicateOnAdd.text.arg(row.code), table_.duplicateOnAdd.field});
        return out;
    }
    if (row.prodId == 0) {
        messages_.fail(QStringLiteral("Internal Error: ProductID not set"));
        return out;
    }
    if (!checkChoices(row, out) || !confirmStore(row, out))
        return out;
    return store::withRetries(db_, [&] { return storeNew(row, out); });
}

void ItemStore::conflict(ItemSave& out, const QString& text, ItemField field) {
    messages_.conflict(text);
    out.refused = field;
}

bool ItemStore::holdChoices(const ItemRow& row, bool adding, ItemSave& out) {
    // Another user may have deleted the product, the supplier or the
    // location since the checks; locked, they stay until the commit.
    if (!store::lockRow(db_, QStringLiteral("Products"), QStringLiteral("Prod_ID"), row.prodId,
                        store::RowLock::Keep)) {
        conflict(out, ProductGone, ItemField::Product);
        return false;
    }
    if (row.suppId &&
        !store::lockRow(db_, QStringLiteral("Suppliers"), QStringLiteral("Supplier_ID"),
                        *row.suppId, store::RowLock::Keep)) {
        conflict(out, SupplierGone, ItemField::Supplier);
        return false;
    }
    return placeHolds(row, adding, out);
}

bool ItemStore::placeHolds(const ItemRow& row, bool, ItemSave& out) {
    if (!store::lockRow(db_, QStringLiteral("Locations"), QStringLiteral("Loc_ID"), row.locId,
                        store::RowLock::Share)) {
        conflict(out, LocationGone, ItemField::Location);
        return false;
    }
    return true;
}

ItemSave ItemStore::storeNew(const ItemRow& row, ItemSave out) {
    // The item and its first history row go together or not at all.
    store::Transaction tx(db_);
    if (!holdChoices(row, true, out))
        return out;
    const auto addedMeanwhile = [&] {
        if (table_.codeAddedMeanwhile.isEmpty())
            conflict(out, table_.duplicateOnAdd.text.arg(row.code), table_.duplicateOnAdd.field);
        else
            conflict(out, table_.codeAddedMeanwhile, table_.duplicateOnAdd.field);
        return out;
    };
    if (duplicate(row.code, std::nullopt))
        return addedMeanwhile();
    const QDateTime now = clock_.now();
    // Judged by its row count like every other write: an insert that added
    // no row has no new id to name. Two users adding one code at once both
    // pass the check above; the code's unique index lets one in, and the
    // other waits for it and is refused.
    store::Query insert(db_, insert_);
    bindRow(insert, row, now);
    int inserted = 0;
    try {
        inserted = insert.execute();
    } catch (const store::DbError& error) {
        if (!error.isUniqueViolation())
            throw;
        return addedMeanwhile();
    }
    if (inserted != 1) {
        messages_.fail(table_.failInsert);
        return out;
    }
    const int id = static_cast<int>(db_.lastInsertId());
    if (store::writeHistory(db_, id, table_.removal.historyType, row.historyText, now) != 1) {
        messages_.fail(table_.removal.failHistory);
        out.refused = table_.failHistoryField;
        return out;
    }
    tx.commit();
    out.id = id;
    return out;
}

ItemSave ItemStore::modifyItem(int id, const CheckedRow& c) {
    ItemSave out = c.save;
    if (!c.row)
        return out;
    const ItemRow& row = *c.row;
    if (duplicate(row.code, id)) {
        refuse(out, {table_.duplicateOnModify.text.arg(row.code), table_.duplicateOnModify.field});
        return out;
    }
    store::Query old(db_, location_);
    old.bindAll(id);
    if (!old.next()) {
        const auto loaded = loaded_.find(id);
        if (loaded != loaded_.end()) {
            // Shown to this user, and gone since.
            loaded_.erase(loaded);
            conflict(out, common::RemovedByAnotherUser);
        } else {
            messages_.fail(table_.removal.failLookup);
        }
        return out;
    }
    // The product is the one chosen by id, never looked up by description.
    if (row.prodId == 0) {
        messages_.fail(table_.noProductOnModify);
        return out;
    }
    if (!checkChoices(row, out) || !confirmStore(row, out))
        return out;
    out = store::withRetries(db_, [&] { return storeChange(id, row, out); });
    if (out.id)
        loaded_.erase(id);
    return out;
}

ItemSave ItemStore::storeChange(int id, const ItemRow& row, ItemSave out) {
    // The new values and the history row of a move go together.
    store::Transaction tx(db_);
    // The item first: whoever else changes it waits for this commit.
    if (!store::lockRow(db_, table_.removal.table, table_.removal.idColumn, id)) {
        loaded_.erase(id);
        conflict(out, common::RemovedByAnotherUser);
        return out;
    }
    // What the dialog showed must be what is stored: a move, a removal or
    // another user's modification since it was read is not overwritten.
    // The row as read stays remembered: until the dialog reads it again,
    // a second try is refused too.
    const auto loaded = loaded_.find(id);
    if (loaded != loaded_.end() && loaded->second != fingerprint(id)) {
        conflict(out, common::ChangedByAnotherUser);
        out.changedMeanwhile = true;
        return out;
    }
    if (!holdChoices(row, false, out))
        return out;
    if (duplicate(row.code, id)) {
        conflict(out, table_.duplicateOnModify.text.arg(row.code), table_.duplicateOnModify.field);
        return out;
    }
    store::Query old(db_, location_);
    old.bindAll(id);
    old.next();
    const std::int64_t oldLoc = old.integer(QStringLiteral("Loc_ID"));
    const QDateTime now = clock_.now();
    store::Query update(db_, update_);
    update.bind(bindRow(update, row, now), id);
    int changed = 0;
    try {
        changed = update.execute();
    } catch (const store::DbError& error) {
        if (!error.isUniqueViolation())
            throw;
        conflict(out, table_.duplicateOnModify.text.arg(row.code), table_.duplicateOnModify.field);
        return out;
    }
    if (changed != 1) {
        messages_.fail(table_.removal.failLookup);
        return out;
    }
    if (oldLoc != row.locId &&
        store::writeHistory(db_, id, table_.removal.historyType, row.historyText, now) != 1) {
        messages_.fail(table_.removal.failHistory);
        return out;
    }
    tx.commit();
    out.id = id;
    return out;
}

QString ItemStore::fingerprint(int id) {
    store::Query q(db_, details_);
    q.bindAll(id);
    return q.next() ? rowText(q) : QString();
}

QString ItemStore::rowText(const store::Query& q) const {
    // The item's own columns, which lead the details statement; the names
    // of its location and supplier are not the item's.
    const int columns = 1 + static_cast<int>(SharedColumns.size() + table_.ownColumns.size());
    QStringList values;
    for (int i = 0; i < columns; ++i)
        values << q.rawTextAt(i);
    return values.join(QChar(0x1f));
}

bool ItemStore::confirmStore(const ItemRow&, ItemSave&) {
    return true;
}

Removal ItemStore::removeItem(int id) {
    const Removal done =
        removeInTwoStages(db_, messages_, clock_.now(), table_.removal, table_.codeColumn, id);
    if (done != Removal::None)
        loaded_.erase(id);
    return done;
}

QString ItemStore::locationPath(int locId) {
    return store::LocationPaths(db_).path(locId);
}

std::optional<store::Query> ItemStore::readItem(int id, ItemDetails& d, const QString& missing,
                                                bool needLocation) {
    store::Query q(db_, details_);
    q.bindAll(id);
    if (!q.next() || (needLocation && q.isNull(QStringLiteral("FoundLoc")))) {
        messages_.fail(missing);
        return std::nullopt;
    }
    d.prodId = static_cast<int>(q.integer(QStringLiteral("Prod_ID")));
    if (!q.isNull(QStringLiteral("Supp_ID")))
        d.suppId = static_cast<int>(q.integer(QStringLiteral("Supp_ID")));
    if (!q.isNull(QStringLiteral("Cost")))
        d.cost = q.money(QStringLiteral("Cost")).field();
    d.dateAdded = store::readStoredDateTime(q.text(QStringLiteral("Date_Added")));
    d.locDesc = q.text(QStringLiteral("Loc_Desc"));
    if (!q.isNull(QStringLiteral("FoundLoc")))
        d.locPath = locationPath(static_cast<int>(q.integer(QStringLiteral("FoundLoc"))));
    d.suppName = q.text(QStringLiteral("Supp_Name"));
    loaded_[id] = rowText(q);
    return q;
}

} // namespace assets
