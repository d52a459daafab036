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

const ItemTable LicenceTable{
    {QStringLiteral("Licences"), QStringLiteral("Licence_ID"), store::loc::RemovedLicences,
     store::HistoryLicence, QStringLiteral("Removed Licences"),
     QStringLiteral("Are you sure you wish to delete this licence from the system"),
     QStringLiteral("Are you sure you wish to delete this licence"),
     QStringLiteral("Internal Error: deleting licences"),
     QStringLiteral("Internal Error: deleting licence"), GettingLocationFailure,
     QStringLiteral("Internal Error: adding Licence to history")},
    QStringLiteral("Licence_Name"),
    {QStringLiteral("Exp_Date"), QStringLiteral("Type")},
    // Refusals of what the key filter lets through move no focus.
    {QStringLiteral("Enter a valid licence key")},
    {QStringLiteral("Enter a valid licence key"), ItemField::Code},
    {QStringLiteral("Invalid licence cost")},
    {QStringLiteral("Licence cost cannot exceed 1,000,000.00")},
    {QStringLiteral("The licence key: %1, already exists - unable to add")},
    {QStringLiteral("The licence key: %1, already exists - unable to modify")},
    QStringLiteral("internal Error: Getting ProductID"),
    QStringLiteral("Internal Error: adding Licence"),
    ItemField::None,
    // Two users adding one key at once: the loser is refused as any
    // duplicate is.
    QString()};

std::optional<QString> storedExpiry(const QDate& expiry) {
    if (!expiry.isValid())
        return std::nullopt;
    return expiry.toString(store::StoredDate);
}

LicenceSave licenceSave(const ItemSave& s) {
    return {s.id, s.refused, s.costText, s.changedMeanwhile};
}

} // namespace

clsLicences::clsLicences(store::Database& db, common::Messages& messages, common::Clock& clock)
    : ItemStore(db, messages, clock, LicenceTable) {}

CheckedRow clsLicences::collect(const LicenceFields& fields) {
    CheckedRow c = checking(fields);
    if (!checkCode(fields.key, c))
        return c;
    ItemRow& row = *c.row;
    // No location chosen: the pool. Any location that is there will do.
    row.locId = store::loc::AvailableLicences;
    if (fields.locId && *fields.locId != store::loc::None)
        row.locId = *fields.locId;
    if (row.locId == store::loc::AvailableLicences) {
        row.historyText = QStringLiteral("Available Licences");
    } else {
        store::Query q(db_, QStringLiteral("SELECT Loc_Desc FROM Locations WHERE Loc_ID = ?"));
        q.bindAll(row.locId);
        if (!q.next())
            return refused(c, {LocationGone, ItemField::Location});
        row.historyText = fields.locDesc.trimmed();
        if (row.historyText.isEmpty())
            row.historyText = q.text(QStringLiteral("Loc_Desc"));
    }
    // "0" is no cost, as an empty box is.
    const QString cost = fields.cost.trimmed();
    if (cost != QStringLiteral("0") && !checkCost(cost, c))
        return c;
    // The stored form holds four-digit years only.
    if (fields.expiry.isValid() && !store::isStorableDate(fields.expiry))
        return refused(
            c, {store::DateRangeMessage.arg(QStringLiteral("The expiry date")), ItemField::Expiry});
    row.own = {storedExpiry(fields.expiry),
               fields.temporary ? store::LicenceTemporary : store::LicenceNormal};
    return c;
}

LicenceSave clsLicences::InsertLicence(const LicenceFields& fields) {
    return licenceSave(addItem(collect(fields)));
}

LicenceSave clsLicences::ModifyLicencedets(int LicID, const LicenceFields& fields) {
    return licenceSave(modifyItem(LicID, collect(fields)));
}

bool clsLicences::confirmStore(const ItemRow& row, ItemSave& out) {
    // The expiry is the first of the licence's own columns.
    const std::optional<QString>& stored = row.own.front();
    const QDate expiry = stored ? store::readStoredDate(*stored) : QDate();
    if (!expiry.isValid() || expiry >= clock_.today())
        return true;
    if (messages_.ask(AlreadyExpiredQuestion, common::DefaultButton::No))
        return true;
    out.refused = ItemField::Expiry;
    return false;
}

LicenceRemoval clsLicences::DeleteLicence(int LicID) {
    return removeItem(LicID);
}

std::optional<LicenceDetails> clsLicences::GetLicDets(int LicID) {
    LicenceDetails d;
    // A licence stands at a location that is there, or is not shown.
    const std::optional<store::Query> q = readItem(
        LicID, d,
        QStringLiteral("Internal Error: Getting licience details for ") + QString::number(LicID),
        true);
    if (!q)
        return std::nullopt;
    d.key = q->text(QStringLiteral("Licence_Name"));
    d.expiry = store::readStoredDate(q->text(QStringLiteral("Exp_Date")));
    d.locId = static_cast<int>(q->integer(QStringLiteral("Loc_ID")));
    d.temporary = q->text(QStringLiteral("Type")) != store::LicenceNormal;
    return d;
}

} // namespace assets
