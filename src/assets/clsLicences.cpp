#include "assets/clsLicences.h"

#include "assets/AssetRecords.h"
#include "catalogue/clsProducts.h"
#include "common/Clock.h"
#include "common/KeyRule.h"
#include "common/Messages.h"
#include "store/Database.h"
#include "store/History.h"
#include "store/StoreConstants.h"

namespace assets {

namespace {

const QString AddingToHistory = QStringLiteral("Internal Error: adding Licence to history");
const QString GettingLocation = QStringLiteral("Internal Error: Getting Location ID");
const QString PoolText = QStringLiteral("Available Licences");

std::optional<QString> storedExpiry(const QDate& expiry) {
    if (!expiry.isValid())
        return std::nullopt;
    return expiry.toString(store::StoredDate);
}

} // namespace

struct clsLicences::Collected {
    QString key;
    int locId = store::loc::AvailableLicences;
    QString historyText; // the text of the history row a placement writes
    store::Money cost;
    QString type;
};

clsLicences::clsLicences(store::Database& db, common::Messages& messages, common::Clock& clock)
    : db_(db), messages_(messages), clock_(clock) {}

std::optional<clsLicences::Collected> clsLicences::collect(const LicenceFields& fields,
                                                           LicenceSave& out) {
    Collected c;
    c.key = storedCode(fields.key);
    if (c.key.isEmpty()) {
        messages_.refuse(QStringLiteral("Enter a valid licence key"));
        return std::nullopt;
    }
    const auto refuse = [&](LicenceField field, const QString& text) {
        messages_.refuse(text);
        out.refused = field;
        return std::nullopt;
    };
    if (!codeFitsField(c.key))
        return refuse(LicenceField::Key, QStringLiteral("Enter a valid licence key"));
    if (c.key.size() > ItemCodeLimit)
        return refuse(LicenceField::Key, common::limitMessage(ItemCodeLimit));
    // No location chosen: the pool. Any location that is there will do.
    if (fields.locId && *fields.locId != store::loc::None)
        c.locId = *fields.locId;
    if (c.locId == store::loc::AvailableLicences) {
        c.historyText = PoolText;
    } else {
        store::Query q(db_, QStringLiteral("SELECT Loc_Desc FROM Locations WHERE Loc_ID = ?"));
        q.bindAll(c.locId);
        if (!q.next())
            return refuse(LicenceField::Location, LocationGone);
        c.historyText = fields.locDesc.trimmed();
        if (c.historyText.isEmpty())
            c.historyText = q.text(QStringLiteral("Loc_Desc"));
    }
    const QString cost = fields.cost.trimmed();
    if (!cost.isEmpty() && cost != QStringLiteral("0")) {
        // Read once, exactly, into hundredths: no sign, at most two decimals.
        store::Money amount;
        switch (readItemCost(cost, amount)) {
        case CostCheck::Invalid:
            messages_.refuse(QStringLiteral("Invalid licence cost"));
            return std::nullopt;
        case CostCheck::TooHigh:
            messages_.refuse(QStringLiteral("Licence cost cannot exceed 1,000,000.00"));
            return std::nullopt;
        case CostCheck::TooLong:
            return refuse(LicenceField::Cost, common::limitMessage(catalogue::CostLimit));
        case CostCheck::Amount:
            break;
        }
        c.cost = amount;
        out.costText = amount.display();
    }
    // The stored form holds four-digit years only.
    if (fields.expiry.isValid() && !store::isStorableDate(fields.expiry))
        return refuse(LicenceField::Expiry,
                      store::DateRangeMessage.arg(QStringLiteral("The expiry date")));
    c.type = fields.temporary ? store::LicenceTemporary : store::LicenceNormal;
    return c;
}

bool clsLicences::checkChoices(const LicenceFields& fields, LicenceSave& out) {
    // The product and the supplier were chosen by id; another dialog may
    // have deleted either since.
    if (!productDescription(db_, fields.prodId)) {
        messages_.refuse(ProductGone);
        out.refused = LicenceField::Product;
        return false;
    }
    if (!supplierExists(db_, fields.suppId)) {
        messages_.refuse(SupplierGone);
        out.refused = LicenceField::Supplier;
        return false;
    }
    return true;
}

LicenceSave clsLicences::InsertLicence(const LicenceFields& fields) {
    LicenceSave out;
    const std::optional<Collected> c = collect(fields, out);
    if (!c)
        return out;
    if (db_.exists(QStringLiteral("SELECT Licence_ID FROM Licences WHERE Licence_Name = ?") +
                       store::IgnoreCase,
                   c->key)) {
        messages_.refuse(QStringLiteral("The licence key: ") + c->key +
                         QStringLiteral(", already exists - unable to add"));
        return out;
    }
    if (fields.prodId == 0) {
        messages_.fail(QStringLiteral("Internal Error: ProductID not set"));
        return out;
    }
    if (!checkChoices(fields, out))
        return out;
    // The licence and its first history row go together or not at all.
    store::Transaction tx(db_);
    const QDateTime now = clock_.now();
    // Judged by its row count like every other write: an insert that added
    // no row has no new id to name.
    if (db_.execute(QStringLiteral("INSERT INTO Licences (Licence_Name, Prod_ID, Loc_ID, "
                                   "Supp_ID, Exp_Date, Cost, Type, Date_Added) "
                                   "VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
                    c->key, fields.prodId, c->locId, fields.suppId, storedExpiry(fields.expiry),
                    c->cost, c->type, now.toString(store::StoredDateTime)) != 1) {
        messages_.fail(QStringLiteral("Internal Error: adding Licence"));
        return out;
    }
    const int id = static_cast<int>(db_.lastInsertId());
    if (store::writeHistory(db_, id, store::HistoryLicence, c->historyText, now) != 1) {
        messages_.fail(AddingToHistory);
        return out;
    }
    tx.commit();
    out.licId = id;
    return out;
}

LicenceSave clsLicences::ModifyLicencedets(int LicID, const LicenceFields& fields) {
    LicenceSave out;
    const std::optional<Collected> c = collect(fields, out);
    if (!c)
        return out;
    if (db_.exists(QStringLiteral("SELECT Licence_ID FROM Licences WHERE Licence_Name = ?") +
                       store::IgnoreCase + QStringLiteral(" AND Licence_ID <> ?"),
                   c->key, LicID)) {
        messages_.refuse(QStringLiteral("The licence key: ") + c->key +
                         QStringLiteral(", already exists - unable to modify"));
        return out;
    }
    store::Query old(db_, QStringLiteral("SELECT Loc_ID FROM Licences WHERE Licence_ID = ?"));
    old.bindAll(LicID);
    if (!old.next()) {
        messages_.fail(GettingLocation);
        return out;
    }
    const std::int64_t oldLoc = old.integer(QStringLiteral("Loc_ID"));
    // The product is the one chosen by id, never looked up by description.
    if (fields.prodId == 0) {
        messages_.fail(QStringLiteral("internal Error: Getting ProductID"));
        return out;
    }
    if (!checkChoices(fields, out))
        return out;
    // The new values and the history row of a move go together.
    store::Transaction tx(db_);
    const QDateTime now = clock_.now();
    const int changed =
        db_.execute(QStringLiteral("UPDATE Licences SET Licence_Name = ?, Prod_ID = ?, Loc_ID = ?, "
                                   "Supp_ID = ?, Exp_Date = ?, Cost = ?, Type = ?, Date_Added = ? "
                                   "WHERE Licence_ID = ?"),
                    c->key, fields.prodId, c->locId, fields.suppId, storedExpiry(fields.expiry),
                    c->cost, c->type, now.toString(store::StoredDateTime), LicID);
    if (changed != 1) {
        messages_.fail(GettingLocation);
        return out;
    }
    if (oldLoc != c->locId &&
        store::writeHistory(db_, LicID, store::HistoryLicence, c->historyText, now) != 1) {
        messages_.fail(AddingToHistory);
        return out;
    }
    tx.commit();
    out.licId = LicID;
    return out;
}

LicenceRemoval clsLicences::DeleteLicence(int LicID) {
    static const RemovalRules rules{
        QStringLiteral("Licences"),
        QStringLiteral("Licence_ID"),
        store::loc::RemovedLicences,
        store::HistoryLicence,
        QStringLiteral("Removed Licences"),
        QStringLiteral("Are you sure you wish to delete this licence from the system\r"
                       "All Live and Historical data will be removed, this data will be "
                       "irretrievable !!!"),
        QStringLiteral("Are you sure you wish to delete this licence"),
        QStringLiteral("Internal Error: deleting licences"),
        QStringLiteral("Internal Error: deleting licence"),
        GettingLocation,
        AddingToHistory};
    switch (removeInTwoStages(db_, messages_, clock_.now(), rules, LicID)) {
    case Removal::Parked:
        return LicenceRemoval::Parked;
    case Removal::Deleted:
        return LicenceRemoval::Deleted;
    case Removal::None:
        break;
    }
    return LicenceRemoval::None;
}

std::optional<LicenceDetails> clsLicences::GetLicDets(int LicID) {
    store::Query q(db_, QStringLiteral("SELECT c.Licence_Name, c.Exp_Date, c.Cost, c.Prod_ID, "
                                       "c.Loc_ID, l.Loc_Desc, c.Type, s.Supp_Name, c.Supp_ID, "
                                       "c.Date_Added "
                                       "FROM Licences c "
                                       "JOIN Locations l ON c.Loc_ID = l.Loc_ID "
                                       "LEFT JOIN Suppliers s ON c.Supp_ID = s.Supplier_ID "
                                       "WHERE c.Licence_ID = ?"));
    q.bindAll(LicID);
    if (!q.next()) {
        messages_.fail(QStringLiteral("Internal Error: Getting licience details for ") +
                       QString::number(LicID));
        return std::nullopt;
    }
    LicenceDetails d;
    d.prodId = static_cast<int>(q.integer(QStringLiteral("Prod_ID")));
    d.key = q.text(QStringLiteral("Licence_Name"));
    d.expiry = store::readStoredDate(q.text(QStringLiteral("Exp_Date")));
    d.dateAdded = store::readStoredDateTime(q.text(QStringLiteral("Date_Added")));
    d.locId = static_cast<int>(q.integer(QStringLiteral("Loc_ID")));
    d.locDesc = q.text(QStringLiteral("Loc_Desc"));
    if (!q.isNull(QStringLiteral("Cost")))
        d.cost = q.money(QStringLiteral("Cost")).field();
    d.temporary = q.text(QStringLiteral("Type")) != store::LicenceNormal;
    if (!q.isNull(QStringLiteral("Supp_ID")))
        d.suppId = static_cast<int>(q.integer(QStringLiteral("Supp_ID")));
    d.suppName = q.text(QStringLiteral("Supp_Name"));
    return d;
}

} // namespace assets
