#pragma once

// Licences: adding, changing, viewing and removing one licence, with the
// movement history each placement writes. A licence given no location
// goes to the available-licences pool.

#include "assets/ItemStore.h"

#include <QDate>
#include <QString>

#include <optional>

namespace assets {

// The licence dialog's fields as typed, with the ids it keeps. No location
// (no value or 0) is the available-licences pool; an empty cost or "0" is
// no cost.
struct LicenceFields : ItemFields {
    QString key;            // the licence key
    QDate expiry;           // invalid: no expiry date
    bool temporary = false; // type 'T', else 'N'
};

// What InsertLicence and ModifyLicencedets did: the licence stored (no
// value after a message), the field a refusal names, and the cost as the
// dialog now shows it (see ItemSave).
struct LicenceSave {
    std::optional<int> licId;
    ItemField refused = ItemField::None;
    QString costText;
    bool changedMeanwhile = false; // see ItemSave
};
using LicenceField = ItemField;

// One licence's fields as the licence dialog loads them.
struct LicenceDetails : ItemDetails {
    QString key;
    QDate expiry; // invalid: none
    int locId = 0;
    bool temporary = false;
};

using LicenceRemoval = Removal;

class clsLicences : public ItemStore {
public:
    clsLicences(store::Database& db, common::Messages& messages, common::Clock& clock);

    // Checks the fields and adds a licence with its first history row.
    LicenceSave InsertLicence(const LicenceFields& fields);
    // Checks the fields and rewrites the licence LicID; a change of
    // location adds a history row.
    LicenceSave ModifyLicencedets(int LicID, const LicenceFields& fields);
    // Removes a licence after asking: one at the removed-licences location
    // goes for good with its history, any other is parked there.
    LicenceRemoval DeleteLicence(int LicID);
    // The licence's fields for its dialog; no value, after a message, when
    // there is no such licence.
    std::optional<LicenceDetails> GetLicDets(int LicID);

    // Asked before a licence whose expiry date lies before today is added
    // or changed; No (the default) stores nothing and keeps the input.
    static inline const QString AlreadyExpiredQuestion =
        QStringLiteral("This licence has already expired. Store it anyway?");

private:
    bool confirmStore(const ItemRow& row, ItemSave& out) override;
    // The checks of adding and changing, in order: the key, the location
    // resolved, the cost read, the expiry.
    CheckedRow collect(const LicenceFields& fields);
};

} // namespace assets
