#pragma once

// Licences: adding, changing, viewing and removing one licence, with the
// movement history each placement writes. A licence given no location
// goes to the available-licences pool.

#include <QDate>
#include <QDateTime>
#include <QString>

#include <optional>

namespace store {
class Database;
}
namespace common {
class Clock;
class Messages;
} // namespace common

namespace assets {

// The licence dialog's fields as typed, with the ids it keeps.
struct LicenceFields {
    int prodId = 0;            // the licence's product
    QString key;               // the licence key
    QString locDesc;           // the location as the dialog shows it
    std::optional<int> locId;  // no value or 0: the available-licences pool
    std::optional<int> suppId; // no value: no supplier
    QDate expiry;              // invalid: no expiry date
    QString cost;              // empty or "0": no cost (stored as 0)
    bool temporary = false;    // type 'T', else 'N'
};

// The field a refusal of what reached the dialog without its key filter
// (pasted text), or of a choice gone meanwhile, names for the focus.
enum class LicenceField { None, Key, Cost, Expiry, Product, Location, Supplier };

struct LicenceSave {
    std::optional<int> licId; // the licence stored; no value after a message
    LicenceField refused = LicenceField::None;
    // The cost as the dialog now shows it ("##,##0.00"), once it was read;
    // empty until then, and for no cost.
    QString costText;
};

// One licence's fields as the licence dialog loads them.
struct LicenceDetails {
    int prodId = 0;
    QString key;
    QDate expiry; // invalid: none
    QDateTime dateAdded;
    int locId = 0;
    QString locDesc;
    QString cost; // "0.00" (no thousands separator)
    bool temporary = false;
    std::optional<int> suppId;
    QString suppName;
};

enum class LicenceRemoval { None, Parked, Deleted };

class clsLicences {
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

private:
    // The fields once collected: the key as stored, the location resolved,
    // the cost read.
    struct Collected;
    std::optional<Collected> collect(const LicenceFields& fields, LicenceSave& out);
    // The product and the supplier are still there; else a message naming
    // the one that is gone.
    bool checkChoices(const LicenceFields& fields, LicenceSave& out);

    store::Database& db_;
    common::Messages& messages_;
    common::Clock& clock_;
};

} // namespace assets
