#include "assets/clsLicences.h"

#include "assets/AssetRecords.h"
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
    if (c.key.size() > ItemCodeLimit) {
        messages_.refuse(common::limitMessage(ItemCodeLimit));
        return std::nullopt;
    }
    // No location chosen: the pool. Any location that is there will do.
    if (fields.locId && *fields.locId != store::loc::None)
        c.locId = *fields.locId;
    if (c.locId == store::loc::AvailableLicences) {
        c.historyText = PoolText;
    } else {
        store::Query q(db_, QStringLiteral("SELECT Loc_Desc FROM Locations WHERE Loc_ID = ?"));
        q.bindAll(c.locId);
        if (!q.next()) {
            messages_.fail(GettingLocation);
            return std::nullopt;
        }
        c.historyText = fields.locDesc.trimmed();
        if (c.historyText.isEmpty())
            c.historyText = q.text(QStringLiteral("Loc_Desc"));
    }
    const QString cost = fields.cost.trimmed();
    if (!cost.isEmpty() && cost != QStringLiteral("0")) {
        // Read once, exactly, into hundredths: no sign, at most two decimals.
        const std::optional<store::Money> amount = store::Money::parse(cost);
        if (!amount) {
            messages_.refuse(QStringLiteral("Invalid licence cost"));
            return std::nullopt;
        }
        if (*amount > MaxItemCost) {
            messages_.refuse(QStringLiteral("Licence cost cannot exceed 1,000,000.00"));
            return std::nullopt;
        }
        c.cost = *amount;
        out.costText = amount->display();
    }
    c.type = fields.temporary ? store::LicenceTemporary : store::LicenceNormal;
    return c;
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
    if (!productDescription(db_, fields.prodId)) {
        messages_.fail(QStringLiteral("Internal Error: ProductID not set"));
        return out;
    }
    // The licence and its first history row go together or not at all.
    store::Transaction tx(db_);
    const QDateTime now = clock_.now();
    db_.execute(QStringLiteral("INSERT INTO Licences (Licence_Name, Prod_ID, Loc_ID, Supp_ID, "
                               "Exp_Date, Cost, Type, Date_Added) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
                c->key, fields.prodId, c->locId, fields.suppId, storedExpiry(fields.expiry),
                c->cost, c->type, now.toString(store::StoredDateTime));
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
    if (!productDescription(db_, fields.prodId)) {
        messages_.fail(QStringLiteral("internal Error: Getting ProductID"));
        return out;
    }
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
    d.expiry = QDate::fromString(q.text(QStringLiteral("Exp_Date")), store::StoredDate);
    d.dateAdded =
        QDateTime::fromString(q.text(QStringLiteral("Date_Added")), store::StoredDateTime);
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
