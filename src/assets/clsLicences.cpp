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
const QString PoolText = QStringLiteral("Available Licences");

const ItemTable LicenceTable{
    QStringLiteral("Licences"),
    QStringLiteral("Licence_ID"),
    QStringLiteral("Licence_Name"),
    {QStringLiteral("Exp_Date"), QStringLiteral("Type")},
    store::HistoryLicence,
    // Refusals of what the key filter lets through move no focus.
    {QStringLiteral("Enter a valid licence key")},
    {QStringLiteral("Enter a valid licence key"), ItemField::Code},
    {QStringLiteral("Invalid licence cost")},
    {QStringLiteral("Licence cost cannot exceed 1,000,000.00")},
    {QStringLiteral("The licence key: %1, already exists - unable to add")},
    {QStringLiteral("The licence key: %1, already exists - unable to modify")},
    QStringLiteral("internal Error: Getting ProductID"),
    QStringLiteral("Internal Error: adding Licence"),
    {AddingToHistory},
    {QStringLiteral("Licences"), QStringLiteral("Licence_ID"), store::loc::RemovedLicences,
     store::HistoryLicence, QStringLiteral("Removed Licences"),
     QStringLiteral("Are you sure you wish to delete this licence from the system\r"
                    "All Live and Historical data will be removed, this data will be "
                    "irretrievable !!!"),
     QStringLiteral("Are you sure you wish to delete this licence"),
     QStringLiteral("Internal Error: deleting licences"),
     QStringLiteral("Internal Error: deleting licence"),
     QStringLiteral("Internal Error: Getting Location ID"), AddingToHistory}};

std::optional<QString> storedExpiry(const QDate& expiry) {
    if (!expiry.isValid())
        return std::nullopt;
    return expiry.toString(store::StoredDate);
}

LicenceSave licenceSave(const ItemSave& s) {
    return {s.id, s.refused, s.costText};
}

} // namespace

clsLicences::clsLicences(store::Database& db, common::Messages& messages, common::Clock& clock)
    : ItemStore(db, messages, clock, LicenceTable) {}

std::optional<ItemRow> clsLicences::collect(const LicenceFields& fields, ItemSave& out) {
    ItemRow row;
    row.prodId = fields.prodId;
    row.suppId = fields.suppId;
    const std::optional<QString> key = checkCode(fields.key, out);
    if (!key)
        return std::nullopt;
    row.code = *key;
    // No location chosen: the pool. Any location that is there will do.
    row.locId = store::loc::AvailableLicences;
    if (fields.locId && *fields.locId != store::loc::None)
        row.locId = *fields.locId;
    if (row.locId == store::loc::AvailableLicences) {
        row.historyText = PoolText;
    } else {
        store::Query q(db_, QStringLiteral("SELECT Loc_Desc FROM Locations WHERE Loc_ID = ?"));
        q.bindAll(row.locId);
        if (!q.next())
            return refused(out, {LocationGone, ItemField::Location});
        row.historyText = fields.locDesc.trimmed();
        if (row.historyText.isEmpty())
            row.historyText = q.text(QStringLiteral("Loc_Desc"));
    }
    // "0" is no cost, as an empty box is.
    if (fields.cost.trimmed() != QStringLiteral("0")) {
        const std::optional<store::Money> cost = checkCost(fields.cost.trimmed(), out);
        if (!cost)
            return std::nullopt;
        row.cost = *cost;
    }
    // The stored form holds four-digit years only.
    if (fields.expiry.isValid() && !store::isStorableDate(fields.expiry))
        return refused(out, {store::DateRangeMessage.arg(QStringLiteral("The expiry date")),
                             ItemField::Expiry});
    row.own = {storedExpiry(fields.expiry),
               fields.temporary ? store::LicenceTemporary : store::LicenceNormal};
    return row;
}

LicenceSave clsLicences::InsertLicence(const LicenceFields& fields) {
    ItemSave out;
    const std::optional<ItemRow> row = collect(fields, out);
    return licenceSave(row ? addItem(*row, out) : out);
}

LicenceSave clsLicences::ModifyLicencedets(int LicID, const LicenceFields& fields) {
    ItemSave out;
    const std::optional<ItemRow> row = collect(fields, out);
    return licenceSave(row ? modifyItem(LicID, *row, out) : out);
}

LicenceRemoval clsLicences::DeleteLicence(int LicID) {
    switch (removeItem(LicID)) {
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
    readShared(q, d);
    d.key = q.text(QStringLiteral("Licence_Name"));
    d.expiry = store::readStoredDate(q.text(QStringLiteral("Exp_Date")));
    d.locId = static_cast<int>(q.integer(QStringLiteral("Loc_ID")));
    d.locDesc = q.text(QStringLiteral("Loc_Desc"));
    d.temporary = q.text(QStringLiteral("Type")) != store::LicenceNormal;
    d.suppName = q.text(QStringLiteral("Supp_Name"));
    return d;
}

} // namespace assets
