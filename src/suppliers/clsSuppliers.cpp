#include "suppliers/clsSuppliers.h"

#include "common/Clock.h"
#include "common/KeyRule.h"
#include "common/Messages.h"
#include "store/Database.h"
#include "store/StoreConstants.h"

#include <QUrl>

#include <initializer_list>
#include <optional>
#include <tuple>
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

// Keeps each character that the key filter of a field of that kind lets in;
// control characters become blanks. Trimmed.
QString asTyped(const QString& text, common::FieldKind kind) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control) {
            out += QLatin1Char(' ');
            continue;
        }
        if (common::judgeKey(kind, 0, 0, QString(c)) == common::KeyVerdict::Pass)
            out += c;
    }
    return out.trimmed();
}

// Supp_Date as the picker shows it; none when empty or unreadable.
QDateTime readDate(const QString& stored) {
    if (stored.isEmpty())
        return {};
    QDateTime at = QDateTime::fromString(stored, store::StoredDateTime);
    if (!at.isValid())
        at = QDateTime(QDate::fromString(stored, store::StoredDate), QTime(0, 0));
    return at.isValid() ? at : QDateTime();
}

// The parameter bound for Supp_Date: the text, or NULL for no date.
std::optional<QString> storedDate(const QDateTime& at) {
    if (!at.isValid())
        return std::nullopt;
    return at.toString(store::StoredDateTime);
}

} // namespace

QString asTypedText(const QString& text) {
    return asTyped(text, common::FieldKind::FreeText);
}

QString asTypedPhone(const QString& text) {
    return asTyped(text, common::FieldKind::Telephone);
}

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
    for (const auto& [sql, message] : ties) {
        if (db_.exists(QString::fromLatin1(sql), ForWhom)) {
            messages_.refuse(QString::fromLatin1(message));
            return false;
        }
    }
    if (db_.execute(QStringLiteral("DELETE FROM Suppliers WHERE Supplier_ID = ?"), ForWhom) != 1) {
        messages_.fail(QStringLiteral("Internal Error: Deleting Supplier"));
        return false;
    }
    return true;
}

SupplierFields clsSuppliers::cleaned(const SupplierFields& in) const {
    SupplierFields f;
    f.name = asTypedText(in.name);
    f.add1 = asTypedText(in.add1);
    f.add2 = asTypedText(in.add2);
    f.add3 = asTypedText(in.add3);
    f.town = asTypedText(in.town);
    f.county = asTypedText(in.county);
    f.postCode = asTypedText(in.postCode);
    f.area = asTypedPhone(in.area);
    f.telephone = asTypedPhone(in.telephone);
    f.faxArea = asTypedPhone(in.faxArea);
    f.fax = asTypedPhone(in.fax);
    f.email = asTypedText(in.email);
    f.web = asTypedText(in.web);
    f.contact = asTypedText(in.contact);
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
    const SupplierFields f = cleaned(typed);
    if (f.name.isEmpty())
        return refuse(SupplierField::Name, QStringLiteral("Please enter supplier's name"));

    // Pasted text passes no key filter: the stored values keep the limits.
    const std::initializer_list<std::tuple<SupplierField, const QString*, int>> limits = {
        {SupplierField::Name, &f.name, SupplierTextLimit},
        {SupplierField::Add1, &f.add1, SupplierTextLimit},
        {SupplierField::Add2, &f.add2, SupplierTextLimit},
        {SupplierField::Add3, &f.add3, SupplierTextLimit},
        {SupplierField::Town, &f.town, SupplierTextLimit},
        {SupplierField::County, &f.county, SupplierTextLimit},
        {SupplierField::PostCode, &f.postCode, PostCodeLimit},
        {SupplierField::Area, &f.area, AreaLimit},
        {SupplierField::Telephone, &f.telephone, PhoneNumberLimit},
        {SupplierField::FaxArea, &f.faxArea, AreaLimit},
        {SupplierField::Fax, &f.fax, PhoneNumberLimit},
        {SupplierField::Email, &f.email, SupplierTextLimit},
        {SupplierField::Web, &f.web, SupplierTextLimit},
        {SupplierField::Contact, &f.contact, SupplierTextLimit},
    };
    for (const auto& [field, text, limit] : limits)
        if (text->size() > limit)
            return refuse(field, common::limitMessage(limit));

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
    const SupplierFields f = cleaned(fields);
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
    const SupplierFields f = cleaned(fields);
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
