#pragma once

// Suppliers: the supplier list, one supplier's details, checking and
// storing new and changed suppliers, removing a supplier that nothing
// refers to, and the supplier last chosen in the list, which the product,
// stock and licence dialogs pick up.

#include "common/ListRow.h"

#include <QDateTime>
#include <QString>

namespace store {
class Database;
}
namespace common {
class Clock;
class Messages;
} // namespace common

namespace suppliers {

// The longest texts the supplier dialog's fields take.
inline constexpr int SupplierTextLimit = 50; // name, address lines, town, county, ...
inline constexpr int PostCodeLimit = 10;
inline constexpr int AreaLimit = 6;         // telephone and fax area codes
inline constexpr int PhoneNumberLimit = 20; // telephone and fax numbers

// The supplier dialog's fields as typed (or as loaded). date: the date
// added; an invalid QDateTime is "no date".
struct SupplierFields {
    QString name;
    QString add1, add2, add3;
    QString town, county, postCode;
    QString area, telephone;
    QString faxArea, fax;
    QString email, web, contact;
    QDateTime date;

    friend bool operator==(const SupplierFields& a, const SupplierFields& b);
};

// The field a refusal names, so that the dialog can put the focus on it.
enum class SupplierField {
    None,
    Name,
    Add1,
    Add2,
    Add3,
    Town,
    County,
    PostCode,
    Area,
    Telephone,
    FaxArea,
    Fax,
    Email,
    Web,
    Contact,
    Date
};

struct SupplierSave {
    bool stored = false;
    SupplierField refused = SupplierField::None; // set when a check refused
    int suppId = 0;                              // the supplier stored
};

// A web address is valid when it holds no blank and is either an http or
// https URL with a host, or a bare host name containing a dot
// ("www.example.com").
bool isValidWebAddress(const QString& text);

class clsSuppliers {
public:
    clsSuppliers(store::Database& db, common::Messages& messages, common::Clock& clock);

    // The supplier last chosen in the supplier list: 0 and empty for none.
    // The list resets both each time it opens, so closing it without a
    // choice hands the caller no supplier.
    int SelSuppID = 0;
    QString SelSuppName;
    void chooseSupplier(int id, const QString& name);
    void clearChoice();

    // One supplier's fields, trimmed. A supplier that is not there gives
    // empty fields dated now.
    SupplierFields GetSuppDets(int ForWhom);

    // The rows of the supplier list in the database's order: key "S" + id,
    // name, area and telephone joined by a blank, contact.
    common::ListRows GetSuppNames();

    // Removes a supplier that no product, stock item or licence (removed
    // ones included) names; refuses with a message otherwise. Asks nothing:
    // the caller asks first. True when the supplier was removed.
    bool RemoveSupplier(int ForWhom);

    // Checks and stores a new supplier.
    SupplierSave InsertSupplier(const SupplierFields& fields);
    // Checks and stores the fields over the supplier Who.
    SupplierSave Modify(int Who, const SupplierFields& fields);

    // The checks of a new supplier, in order: e-mail, web address, name
    // present, each field holding only what its key filter lets in (pasted
    // text is refused, never cleaned) and within its limit, the date, name
    // not taken. Refused: a message has been
    // shown and the result names the field.
    SupplierField DoValidation(const SupplierFields& fields);
    // The same for a change of the supplier Who, whose own name is no
    // duplicate.
    SupplierField DoModValidation(const SupplierFields& fields, int Who);

private:
    SupplierField validate(const SupplierFields& fields, int ownId);
    SupplierFields trimmed(const SupplierFields& fields) const;

    store::Database& db_;
    common::Messages& messages_;
    common::Clock& clock_;
};

} // namespace suppliers
