#include "assets/AssetRecords.h"

#include "store/History.h"

#include "catalogue/clsProducts.h"
#include "common/KeyRule.h"
#include "common/Messages.h"

#include "store/Database.h"
#include "store/StoreConstants.h"

namespace assets {

QString storedCode(const QString& typed) {
    return typed.trimmed().toUpper();
}

bool codeFitsField(const QString& code) {
    return common::fitsField(common::FieldKind::FreeText, code);
}

CostCheck readItemCost(const QString& text, store::Money& amount) {
    const store::Money::Reading reading = store::Money::read(text, amount);
    if (reading == store::Money::Reading::TooLarge)
        return CostCheck::TooHigh;
    if (text.trimmed().size() > catalogue::CostLimit)
        return CostCheck::TooLong;
    if (reading == store::Money::Reading::Invalid)
        return CostCheck::Invalid;
    return amount > MaxItemCost ? CostCheck::TooHigh : CostCheck::Amount;
}

bool supplierExists(store::Database& db, const std::optional<int>& suppId) {
    return !suppId ||
           db.exists(QStringLiteral("SELECT Supplier_ID FROM Suppliers WHERE Supplier_ID = ?"),
                     *suppId);
}

bool locationExists(store::Database& db, int locId) {
    return db.exists(QStringLiteral("SELECT Loc_ID FROM Locations WHERE Loc_ID = ?"), locId);
}

catalogue::Choices productChoices(store::Database& db) {
    catalogue::Choices out;
    store::Query q(db,
                   QStringLiteral("SELECT Prod_ID, Prod_Desc FROM Products ORDER BY Prod_Desc") +
                       store::IgnoreCase + QStringLiteral(", Prod_ID"));
    // Each cell by its column's position: tens of thousands of rows.
    int id = -1;
    int desc = -1;
    while (q.next()) {
        if (id < 0) {
            id = q.columnPosition(QStringLiteral("Prod_ID"));
            desc = q.columnPosition(QStringLiteral("Prod_Desc"));
        }
        const QByteArrayView text = q.utf8At(desc);
        out.push_back({static_cast<int>(q.integerAt(id)),
                       QString::fromUtf8(text.data(), text.size()).trimmed()});
    }
    return out;
}

std::optional<QString> productDescription(store::Database& db, int prodId) {
    store::Query q(db, QStringLiteral("SELECT Prod_Desc FROM Products WHERE Prod_ID = ?"));
    q.bindAll(prodId);
    if (!q.next())
        return std::nullopt;
    return q.text(QStringLiteral("Prod_Desc"));
}

Removal removeInTwoStages(store::Database& db, common::Messages& messages, const QDateTime& now,
                          const RemovalRules& rules, const QString& nameColumn, int id) {
    // Table and column names are the program's own constants.
    store::Query q(db, QStringLiteral("SELECT Loc_ID, %3 AS ItemName FROM %1 WHERE %2 = ?")
                           .arg(rules.table, rules.idColumn, nameColumn));
    q.bindAll(id);
    if (!q.next()) {
        // On a server the item the user chose was there when the page
        // showed it: another user has deleted it since.
        if (db.onServer())
            messages.conflict(common::RemovedByAnotherUser);
        else
            messages.fail(rules.failLookup);
        return Removal::None;
    }
    const std::int64_t shownAt = q.integer(QStringLiteral("Loc_ID"));
    const auto stillThere = [&] {
        // Locked until the commit, the item must stand where it stood when
        // the question was asked: another user may have moved, parked or
        // deleted it meanwhile.
        if (!store::lockRow(db, rules.table, rules.idColumn, id)) {
            messages.conflict(common::RemovedByAnotherUser);
            return false;
        }
        store::Query current(
            db,
            QStringLiteral("SELECT Loc_ID FROM %1 WHERE %2 = ?").arg(rules.table, rules.idColumn));
        current.bindAll(id);
        if (!current.next() || current.integer(QStringLiteral("Loc_ID")) != shownAt) {
            messages.conflict(common::ChangedByAnotherUser);
            return false;
        }
        return true;
    };
    if (shownAt == rules.removedLocation) {
        if (!messages.ask(rules.askDelete + QStringLiteral(": ") +
                              q.text(QStringLiteral("ItemName")) + QLatin1Char('\r') +
                              DeleteWarning,
                          common::DefaultButton::No))
            return Removal::None;
        return store::withRetries(db, [&] {
            // The history and the item go together, judged by the item: an
            // item that has no history rows is still deleted.
            store::Transaction tx(db);
            if (!stillThere())
                return Removal::None;
            store::deleteHistory(db, id, rules.historyType);
            if (db.execute(
                    QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(rules.table, rules.idColumn),
                    id) != 1) {
                messages.fail(rules.failDelete);
                return Removal::None;
            }
            tx.commit();
            return Removal::Deleted;
        });
    }
    if (!messages.ask(rules.askPark))
        return Removal::None;
    return store::withRetries(db, [&] {
        // Parked together with its history row, or not at all.
        store::Transaction tx(db);
        if (!stillThere())
            return Removal::None;
        if (db.execute(QStringLiteral("UPDATE %1 SET Loc_ID = ? WHERE %2 = ?")
                           .arg(rules.table, rules.idColumn),
                       rules.removedLocation, id) != 1) {
            messages.fail(rules.failPark);
            return Removal::None;
        }
        if (store::writeHistory(db, id, rules.historyType, rules.removedDesc, now) != 1) {
            messages.fail(rules.failHistory);
            return Removal::None;
        }
        tx.commit();
        return Removal::Parked;
    });
}

} // namespace assets
