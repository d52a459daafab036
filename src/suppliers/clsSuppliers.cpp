#include "suppliers/clsSuppliers.h"

#include "common/Clock.h"
#include "common/KeyRule.h"
#include "common/Messages.h"
#include "store/Database.h"
#include "store/StoreConstants.h"

#include <QUrl>

#include <optional>
#include <utility>

namespace suppliers {

bool operator==(const SupplierFields& a, const SupplierFields& b) {
    return a.name == b.name && a.add1 == b.add1 && a.add2 == b.add2 && a.add3 == b.add3 &&
           a.town == b.town && a.county == b.county && a.postCode == b.postCode &&
           a.area == b.area && a.telephone == b.telephone && a.faxArea == b.faxArea &&
           a.fax == b.fax && a.email == b.email && a.web == b.web && a.contact == b.contact &&
           a.date == b.date;
}

namespace {

// Supp_Date as the picker shows it; none when empty or unreadable.
QDateTime readDate(const QString& stored) {
    return store::readStoredDateTime(stored);
}

// The parameter bound for Supp_Date: the text, or NULL for no date.
std::optional<QString> storedDate(const QDateTime& at) {
    if (!at.isValid())
        return std::nullopt;
    return at.toString(store::StoredDateTime);
}

} // namespace

bool isValidWebAddress(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    for (const QChar c : t)
        if (c.isSpace() || c.category() == QChar::Other_Control)
            return false;
    const QUrl url(t, QUrl::StrictMode);
    if (!url.isValid())
        return false;
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        return !url.host().isEmpty() && t.contains(QLatin1String("://"));
    // A bare host name: nothing before or after the host (no scheme, user,
    // port or path), and at least one dot inside it.
    const QUrl host(QStringLiteral("http://") + t, QUrl::StrictMode);
    if (!host.isValid() || host.host().isEmpty())
        return false;
    const QString name = host.host();
    return name.compare(t, Qt::CaseInsensitive) == 0 && name.contains(QLatin1Char('.')) &&
           !name.startsWith(QLatin1Char('.')) && !name.endsWith(QLatin1Char('.'));
}

clsSuppliers::clsSuppliers(store::Database& db, common::Messages& messages, common::Clock& clock)
    : db_(db), messages_(messages), clock_(clock) {}

void clsSuppliers::chooseSupplier(int id, const QString& name) {
    SelSuppID = id;
    SelSuppName = name.trimmed();
}

void clsSuppliers::clearChoice() {
    SelSuppID = 0;
    SelSuppName.clear();
}

SupplierFields clsSuppliers::GetSuppDets(int ForWhom) {
    SupplierFields f;
    store::Query q(db_, QStringLiteral("SELECT * FROM Suppliers WHERE Supplier_ID = ?"));
    q.bindAll(ForWhom);
    if (!q.next()) {
        f.date = clock_.now();
        return f;
    }
    f.name = q.text(QStringLiteral("Supp_Name"));
    f.add1 = q.text(QStringLiteral("Add_1"));
    f.add2 = q.text(QStringLiteral("Add_2"));
    f.add3 = q.text(QStringLiteral("Add_3"));
    f.town = q.text(QStringLiteral("Town"));
    f.county = q.text(QStringLiteral("County"));
    f.postCode = q.text(QStringLiteral("Post_Code"));
    f.area = q.text(QStringLiteral("Area"));
    f.telephone = q.text(QStringLiteral("Telephone"));
    f.faxArea = q.text(QStringLiteral("FaxArea"));
    f.fax = q.text(QStringLiteral("Fax"));
    f.email = q.text(QStringLiteral("Email"));
    f.web = q.text(QStringLiteral("Web_Address"));
    f.contact = q.text(QStringLiteral("Contact"));
    f.date = readDate(q.text(QStringLiteral("Supp_Date")));
    return f;
}

common::ListRows clsSuppliers::GetSuppNames() {
    common::ListRows rows;
    store::Query q(db_, QStringLiteral("SELECT Supplier_ID, Supp_Name, Area, Telephone, Contact "
                                       "FROM Suppliers ORDER BY Supplier_ID"));
    while (q.next())
        rows.push_back(
            {QStringLiteral("S") + QString::number(q.integer(QStringLiteral("Supplier_ID"))),
             {q.text(QStringLiteral("Supp_Name")),
              q.text(QStringLiteral("Area")) + QLatin1Char(' ') +
                  q.text(QStringLiteral("Telephone")),
              q.text(QStringLiteral("Contact"))}});
    return rows;
}

bool clsSuppliers::RemoveSupplier(int ForWhom) {
    const std::pair<const char*, const char*> ties[] = {
        {"SELECT Prod_ID FROM Products WHERE Supp_ID = ?",
         "There is atleast one product still tied to this supplier, unable to remove"},
        {"SELECT Stock_ID FROM Stock WHERE Supp_ID = ?",
         "There is atleast one stock item still tied to this supplier, unable to remove"},
        {"SELECT Licence_ID FROM Licences WHERE Supp_ID = ?",
         "There is atleast one licence still tied to this supplier, unable to remove"},
    };
    return store::withRetries(db_, [&] {
        // Locked first: an item or product being stored with this supplier
        // holds it until its commit, and then shows up as a tie.
        store::Transaction tx(db_);
        store::lockRow(db_, QStringLiteral("Suppliers"), QStringLiteral("Supplier_ID"), ForWhom);
        for (const auto& [sql, message] : ties) {
            if (db_.exists(QString::fromLatin1(sql), ForWhom)) {
                messages_.refuse(QString::fromLatin1(message));
                return false;
            }
        }
        if (db_.execute(QStringLiteral("DELETE FROM Suppliers WHERE Supplier_ID = ?"), ForWhom) !=
            1) {
            messages_.fail(QStringLiteral("Internal Error: Deleting Supplier"));
            return false;
        }
        tx.commit();
        return true;
    });
}

SupplierFields clsSuppliers::trimmed(const SupplierFields& in) const {
    SupplierFields f;
    f.name = in.name.trimmed();
    f.add1 = in.add1.trimmed();
    f.add2 = in.add2.trimmed();
    f.add3 = in.add3.trimmed();
    f.town = in.town.trimmed();
    f.county = in.county.trimmed();
    f.postCode = in.postCode.trimmed();
    f.area = in.area.trimmed();
    f.telephone = in.telephone.trimmed();
    f.faxArea = in.faxArea.trimmed();
    f.fax = in.fax.trimmed();
    f.email = in.email.trimmed();
    f.web = in.web.trimmed();
    f.contact = in.contact.trimmed();
    f.date = in.date;
    return f;
}

SupplierField clsSuppliers::validate(const SupplierFields& typed, int ownId) {
    const auto refuse = [this](SupplierField field, const QString& text) {
        messages_.refuse(text);
        return field;
    };
    if (!typed.email.trimmed().isEmpty() && !typed.email.contains(QLatin1Char('@')))
        return refuse(SupplierField::Email, QStringLiteral("Invalid email address"));
    if (!typed.web.trimmed().isEmpty() && !isValidWebAddress(typed.web))
        return refuse(SupplierField::Web, QStringLiteral("Invalid web address"));
    const SupplierFields f = trimmed(typed);
    if (f.name.isEmpty())
        return refuse(SupplierField::Name, QStringLiteral("Please enter supplier's name"));

    // Pasted text passes no key filter: what it would have refused is
    // refused here, with the field's own message, and the limits hold.
    using common::FieldKind;
    struct Rule {
        SupplierField field;
        const QString* text;
        FieldKind kind;
        int limit;
        const char* invalid;
    };
    const Rule rules[] = {
        {SupplierField::Name, &f.name, FieldKind::FreeText, SupplierTextLimit,
         "Please enter a valid supplier's name"},
        {SupplierField::Add1, &f.add1, FieldKind::FreeText, SupplierTextLimit,
         "Please enter a valid address"},
        {SupplierField::Add2, &f.add2, FieldKind::FreeText, SupplierTextLimit,
         "Please enter a valid address"},
        {SupplierField::Add3, &f.add3, FieldKind::FreeText, SupplierTextLimit,
         "Please enter a valid address"},
        {SupplierField::Town, &f.town, FieldKind::FreeText, SupplierTextLimit,
         "Please enter a valid town"},
        {SupplierField::County, &f.county, FieldKind::FreeText, SupplierTextLimit,
         "Please enter a valid county"},
        {SupplierField::PostCode, &f.postCode, FieldKind::FreeText, PostCodeLimit,
         "Please enter a valid post code"},
        {SupplierField::Area, &f.area, FieldKind::Telephone, AreaLimit,
         "Please enter a valid phone area code"},
        {SupplierField::Telephone, &f.telephone, FieldKind::Telephone, PhoneNumberLimit,
         "Please enter a valid phone number"},
        {SupplierField::FaxArea, &f.faxArea, FieldKind::Telephone, AreaLimit,
         "Please enter a valid fax area code"},
        {SupplierField::Fax, &f.fax, FieldKind::Telephone, PhoneNumberLimit,
         "Please enter a valid fax number"},
        {SupplierField::Email, &f.email, FieldKind::FreeText, SupplierTextLimit,
         "Invalid email address"},
        {SupplierField::Web, &f.web, FieldKind::FreeText, SupplierTextLimit, "Invalid web address"},
        {SupplierField::Contact, &f.contact, FieldKind::FreeText, SupplierTextLimit,
         "Please enter a valid contact"},
    };
    for (const Rule& r : rules) {
        if (!common::fitsField(r.kind, *r.text))
            return refuse(r.field, QString::fromLatin1(r.invalid));
        if (r.text->size() > r.limit)
            return refuse(r.field, common::limitMessage(r.limit));
    }
    // The stored form holds four-digit years only.
    if (f.date.isValid() && !store::isStorableDate(f.date.date()))
        return refuse(SupplierField::Date,
                      store::DateRangeMessage.arg(QStringLiteral("The date added")));

    const QString taken =
        QStringLiteral("SELECT Supplier_ID FROM Suppliers WHERE Supp_Name = ?") + store::IgnoreCase;
    const bool duplicate =
        ownId == 0 ? db_.exists(taken, f.name)
                   : db_.exists(taken + QStringLiteral(" AND Supplier_ID <> ?"), f.name, ownId);
    if (duplicate)
        return refuse(SupplierField::Name, QStringLiteral("This supplier already exists"));
    return SupplierField::None;
}

SupplierField clsSuppliers::DoValidation(const SupplierFields& fields) {
    return validate(fields, 0);
}

SupplierField clsSuppliers::DoModValidation(const SupplierFields& fields, int Who) {
    return validate(fields, Who);
}

SupplierSave clsSuppliers::InsertSupplier(const SupplierFields& fields) {
    SupplierSave out;
    out.refused = DoValidation(fields);
    if (out.refused != SupplierField::None)
        return out;
    const SupplierFields f = trimmed(fields);
    db_.execute(QStringLiteral("INSERT INTO Suppliers (Supp_Name, Add_1, Add_2, Add_3, Town, "
                               "County, Post_Code, Area, Telephone, FaxArea, Fax, Email, "
                               "Web_Address, Contact, Supp_Date) "
                               "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                f.name, f.add1, f.add2, f.add3, f.town, f.county, f.postCode, f.area, f.telephone,
                f.faxArea, f.fax, f.email, f.web, f.contact, storedDate(f.date));
    out.stored = true;
    out.suppId = static_cast<int>(db_.lastInsertId());
    return out;
}

SupplierSave clsSuppliers::Modify(int Who, const SupplierFields& fields) {
    SupplierSave out;
    out.refused = DoModValidation(fields, Who);
    if (out.refused != SupplierField::None)
        return out;
    const SupplierFields f = trimmed(fields);
    const int changed = db_.execute(
        QStringLiteral("UPDATE Suppliers SET Supp_Name = ?, Add_1 = ?, Add_2 = ?, Add_3 = ?, "
                       "Town = ?, County = ?, Post_Code = ?, Area = ?, Telephone = ?, "
                       "FaxArea = ?, Fax = ?, Email = ?, Web_Address = ?, Contact = ?, "
                       "Supp_Date = ? WHERE Supplier_ID = ?"),
        f.name, f.add1, f.add2, f.add3, f.town, f.county, f.postCode, f.area, f.telephone,
        f.faxArea, f.fax, f.email, f.web, f.contact, storedDate(f.date), Who);
    if (changed != 1) {
        messages_.fail(QStringLiteral("Internal Error: Modifying Supplier"));
        return out;
    }
    out.stored = true;
    out.suppId = Who;
    return out;
}

} // namespace suppliers
