#include "common/Clock.h"
#include "store/Database.h"
#include "store/StoreConstants.h"
#include "suppliers/clsSuppliers.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"
#include "support/TestHooks.h"

#include <gtest/gtest.h>

using common::MessageKind;
using suppliers::SupplierField;
using suppliers::SupplierFields;

namespace {

class Suppliers : public ::testing::Test {
protected:
    SupplierFields named(const QString& name) {
        SupplierFields f;
        f.name = name;
        f.date = hooks.clock.now();
        return f;
    }
    int add(const QString& name) {
        const auto saved = logic.InsertSupplier(named(name));
        EXPECT_TRUE(saved.stored);
        return saved.suppId;
    }
    int count() {
        store::Query q(t.db(), QStringLiteral("SELECT count(*) AS n FROM Suppliers"));
        q.next();
        return static_cast<int>(q.integer(QStringLiteral("n")));
    }
    void tieProduct(int prodId, int suppId) {
        t.db().execute(QStringLiteral("UPDATE Products SET Supp_ID = ? WHERE Prod_ID = ?"), suppId,
                       prodId);
    }

    testing_support::TestDatabase t;
    testing_support::ScriptedMessages messages;
    testing_support::TestHooks hooks;
    suppliers::clsSuppliers logic{t.db(), messages, hooks.clock};
};

} // namespace

TEST_F(Suppliers, AStoredSupplierReadsBackTrimmedWithItsDate) {
    SupplierFields f = named(QStringLiteral("  Acme Ltd  "));
    f.add1 = QStringLiteral(" 1 High St ");
    f.town = QStringLiteral("Leeds");
    f.postCode = QStringLiteral("LS1 1AA");
    f.area = QStringLiteral("0113");
    f.telephone = QStringLiteral("(2) 123 456");
    f.email = QStringLiteral("sales@acme.example");
    f.web = QStringLiteral("www.acme.example");
    f.contact = QStringLiteral("Jo");
    f.date = QDateTime(QDate(2025, 3, 4), QTime(10, 11, 12));
    const auto saved = logic.InsertSupplier(f);
    ASSERT_TRUE(saved.stored);
    EXPECT_TRUE(messages.shown().empty());

    const SupplierFields back = logic.GetSuppDets(saved.suppId);
    EXPECT_EQ(back.name, QStringLiteral("Acme Ltd"));
    EXPECT_EQ(back.add1, QStringLiteral("1 High St"));
    EXPECT_EQ(back.add2, QString());
    EXPECT_EQ(back.telephone, QStringLiteral("(2) 123 456"));
    EXPECT_EQ(back.web, QStringLiteral("www.acme.example"));
    EXPECT_EQ(back.date, f.date);

    // Empty address lines are stored as empty texts, not as null.
    store::Query q(t.db(), QStringLiteral("SELECT Add_2, Supp_Date FROM Suppliers"));
    ASSERT_TRUE(q.next());
    EXPECT_FALSE(q.isNull(QStringLiteral("Add_2")));
    EXPECT_EQ(q.rawText(QStringLiteral("Supp_Date")), QStringLiteral("2025-03-04 10:11:12"));

    const common::ListRows rows = logic.GetSuppNames();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].key, QStringLiteral("S%1").arg(saved.suppId));
    EXPECT_EQ(rows[0].texts,
              (QStringList{QStringLiteral("Acme Ltd"), QStringLiteral("0113 (2) 123 456"),
                           QStringLiteral("Jo")}));
}

TEST_F(Suppliers, AMissingSupplierGivesEmptyFieldsDatedNow) {
    const SupplierFields f = logic.GetSuppDets(999);
    EXPECT_TRUE(f.name.isEmpty());
    EXPECT_EQ(f.date, hooks.clock.now());
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(Suppliers, ValidationRunsInThePartsOrder) {
    SupplierFields f; // empty name, bad e-mail, bad web address
    f.email = QStringLiteral("nobody");
    f.web = QStringLiteral("not a web address");
    EXPECT_EQ(logic.DoValidation(f), SupplierField::Email);
    ASSERT_EQ(messages.texts(), QStringList{"Invalid email address"});
    EXPECT_EQ(messages.shown()[0].kind, MessageKind::Refusal);

    messages.clear();
    f.email = QStringLiteral("a@b");
    EXPECT_EQ(logic.DoValidation(f), SupplierField::Web);
    EXPECT_EQ(messages.texts(), QStringList{"Invalid web address"});

    messages.clear();
    f.web.clear();
    EXPECT_EQ(logic.DoValidation(f), SupplierField::Name);
    EXPECT_EQ(messages.texts(), QStringList{"Please enter supplier's name"});

    messages.clear();
    add(QStringLiteral("Acme"));
    f.name = QStringLiteral("ACME ");
    EXPECT_EQ(logic.DoValidation(f), SupplierField::Name);
    EXPECT_EQ(messages.texts(), QStringList{"This supplier already exists"});

    messages.clear();
    f.name = QStringLiteral("Other");
    f.email.clear();
    EXPECT_EQ(logic.DoValidation(f), SupplierField::None);
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(Suppliers, ModifyRefusesAnotherSuppliersNameButKeepsItsOwn) {
    const int acme = add(QStringLiteral("Acme"));
    const int bolt = add(QStringLiteral("Bolt"));
    SupplierFields f = logic.GetSuppDets(bolt);
    f.name = QStringLiteral("acme");
    const auto refused = logic.Modify(bolt, f);
    EXPECT_FALSE(refused.stored);
    EXPECT_EQ(refused.refused, SupplierField::Name);
    EXPECT_EQ(messages.texts(), QStringList{"This supplier already exists"});
    EXPECT_EQ(logic.GetSuppDets(bolt).name, QStringLiteral("Bolt"));

    messages.clear();
    f = logic.GetSuppDets(acme);
    f.contact = QStringLiteral("Sam");
    EXPECT_TRUE(logic.Modify(acme, f).stored);
    EXPECT_EQ(logic.GetSuppDets(acme).contact, QStringLiteral("Sam"));
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(Suppliers, ModifyOfAMissingSupplierIsAnInternalError) {
    const auto saved = logic.Modify(42, named(QStringLiteral("Ghost")));
    EXPECT_FALSE(saved.stored);
    ASSERT_EQ(messages.texts(), QStringList{"Internal Error: Modifying Supplier"});
    EXPECT_EQ(messages.shown()[0].kind, MessageKind::Failure);
}

TEST_F(Suppliers, EmailNeedsOnlyAnAtSign) {
    SupplierFields f = named(QStringLiteral("Acme"));
    f.email = QStringLiteral("@");
    EXPECT_EQ(logic.DoValidation(f), SupplierField::None);
    f.email = QStringLiteral("   ");
    EXPECT_EQ(logic.DoValidation(f), SupplierField::None);
    f.email = QStringLiteral("x.y");
    EXPECT_EQ(logic.DoModValidation(f, 0), SupplierField::Email);
}

TEST(WebAddress, HttpUrlsWithAHostAndBareHostNamesWithADot) {
    using suppliers::isValidWebAddress;
    EXPECT_TRUE(isValidWebAddress(QStringLiteral("www.acme.example")));
    EXPECT_TRUE(isValidWebAddress(QStringLiteral("acme.co.uk")));
    EXPECT_TRUE(isValidWebAddress(QStringLiteral("http://acme.example")));
    EXPECT_TRUE(isValidWebAddress(QStringLiteral("https://www.acme.example/shop?x=1")));
    EXPECT_TRUE(isValidWebAddress(QStringLiteral("HTTPS://localhost")));
    EXPECT_TRUE(isValidWebAddress(QStringLiteral("  www.acme.example  ")));
    EXPECT_FALSE(isValidWebAddress(QStringLiteral("acme")));
    EXPECT_FALSE(isValidWebAddress(QStringLiteral("www.acme .example")));
    EXPECT_FALSE(isValidWebAddress(QStringLiteral("http://")));
    EXPECT_FALSE(isValidWebAddress(QStringLiteral("http:acme.example")));
    EXPECT_FALSE(isValidWebAddress(QStringLiteral("ftp://acme.example")));
    EXPECT_FALSE(isValidWebAddress(QStringLiteral("mailto:a@acme.example")));
    EXPECT_FALSE(isValidWebAddress(QStringLiteral("www.acme.example/shop")));
    EXPECT_FALSE(isValidWebAddress(QStringLiteral(".example")));
    EXPECT_FALSE(isValidWebAddress(QString()));
}

TEST_F(Suppliers, PastedTextIsStoredAsGivenOrRefusedWithTheFieldsMessage) {
    SupplierFields f = named(QStringLiteral("O'Neill & Sons"));
    f.telephone = QStringLiteral("+44 20 7946-0958");
    f.email = QStringLiteral("o'neill+sales@example.com");
    const auto saved = logic.InsertSupplier(f);
    ASSERT_TRUE(saved.stored);
    const SupplierFields back = logic.GetSuppDets(saved.suppId);
    EXPECT_EQ(back.name, QStringLiteral("O'Neill & Sons"));
    EXPECT_EQ(back.telephone, QStringLiteral("+44 20 7946-0958"));
    EXPECT_EQ(back.email, QStringLiteral("o'neill+sales@example.com"));

    // What the key filter would not have let in is refused, naming the
    // field, never cleaned.
    struct Refused {
        QString SupplierFields::*field;
        const char* text;
        SupplierField refused;
        const char* message;
    };
    const Refused refusals[] = {
        {&SupplierFields::name, "Bar | Co", SupplierField::Name,
         "Please enter a valid supplier's name"},
        {&SupplierFields::add2, "Line\tTwo", SupplierField::Add2, "Please enter a valid address"},
        {&SupplierFields::town, "Town\nCity", SupplierField::Town, "Please enter a valid town"},
        {&SupplierFields::area, "O20", SupplierField::Area, "Please enter a valid phone area code"},
        {&SupplierFields::telephone, "7946 x58", SupplierField::Telephone,
         "Please enter a valid phone number"},
        {&SupplierFields::fax, "7946.0958", SupplierField::Fax, "Please enter a valid fax number"},
        {&SupplierFields::email, "a|b@example.com", SupplierField::Email, "Invalid email address"},
        {&SupplierFields::contact, "Ann\x01", SupplierField::Contact,
         "Please enter a valid contact"},
    };
    for (const Refused& r : refusals) {
        SCOPED_TRACE(r.text);
        SupplierFields g = named(QStringLiteral("Other"));
        g.*r.field = QString::fromLatin1(r.text);
        EXPECT_EQ(logic.InsertSupplier(g).refused, r.refused);
        ASSERT_FALSE(messages.shown().empty());
        ASSERT_EQ(messages.texts().last(), QString::fromLatin1(r.message));
    }
    EXPECT_EQ(count(), 1);

    f = named(QString(51, QLatin1Char('n')));
    EXPECT_FALSE(logic.InsertSupplier(f).stored);
    ASSERT_EQ(messages.texts().last(), QStringLiteral("Only 50 characters allowed"));
    f = named(QStringLiteral("Short"));
    f.postCode = QStringLiteral("12345678901");
    EXPECT_EQ(logic.InsertSupplier(f).refused, SupplierField::PostCode);
    ASSERT_EQ(messages.texts().last(), QStringLiteral("Only 10 characters allowed"));
    f.postCode.clear();
    f.faxArea = QStringLiteral("1234567");
    EXPECT_EQ(logic.InsertSupplier(f).refused, SupplierField::FaxArea);
    ASSERT_EQ(messages.texts().last(), QStringLiteral("Only 6 characters allowed"));
    f.faxArea.clear();
    f.fax = QString(21, QLatin1Char('1'));
    EXPECT_EQ(logic.InsertSupplier(f).refused, SupplierField::Fax);
    EXPECT_EQ(messages.texts().last(), QStringLiteral("Only 20 characters allowed"));
    EXPECT_EQ(count(), 1);
}

TEST_F(Suppliers, ADateItsStoredFormCannotHoldIsRefused) {
    SupplierFields f = named(QStringLiteral("Far Future"));
    f.date = QDateTime(QDate(10000, 1, 1), QTime(9, 0));
    EXPECT_EQ(logic.InsertSupplier(f).refused, SupplierField::Date);
    ASSERT_FALSE(messages.shown().empty());
    EXPECT_EQ(messages.texts().last(),
              QStringLiteral("The date added must lie between 01/01/0001 and 31/12/9999"));
    EXPECT_EQ(count(), 0);
    // The last day it holds is stored and read back as it is.
    f.date = QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59));
    const auto saved = logic.InsertSupplier(f);
    ASSERT_TRUE(saved.stored);
    EXPECT_EQ(logic.GetSuppDets(saved.suppId).date, f.date);
}

TEST_F(Suppliers, ADatePastYear9999WrittenByAnotherToolIsReadAsItIs) {
    const int supp = add(QStringLiteral("Imported"));
    t.db().execute(QStringLiteral("UPDATE Suppliers SET Supp_Date = ? WHERE Supplier_ID = ?"),
                   QStringLiteral("12026-03-04 05:06:07"), supp);
    EXPECT_EQ(logic.GetSuppDets(supp).date, QDateTime(QDate(12026, 3, 4), QTime(5, 6, 7)));
}

TEST_F(Suppliers, NoDateIsStoredAsNull) {
    SupplierFields f = named(QStringLiteral("Undated"));
    f.date = QDateTime();
    const auto saved = logic.InsertSupplier(f);
    ASSERT_TRUE(saved.stored);
    EXPECT_FALSE(logic.GetSuppDets(saved.suppId).date.isValid());
}

TEST_F(Suppliers, RemovalIsRefusedWhileAProductNamesTheSupplier) {
    const int supp = add(QStringLiteral("Acme"));
    const int cat = t.addCategory(QStringLiteral("PCs"));
    const int prod = t.addProduct(QStringLiteral("P1"), QStringLiteral("Desktop"), cat);
    tieProduct(prod, supp);
    // A licence too: only the product message is shown.
    const int lic = t.addLicence(QStringLiteral("K1"), prod, store::loc::AvailableLicences,
                                 store::LicenceNormal);
    t.db().execute(QStringLiteral("UPDATE Licences SET Supp_ID = ? WHERE Licence_ID = ?"), supp,
                   lic);
    EXPECT_FALSE(logic.RemoveSupplier(supp));
    ASSERT_EQ(messages.texts(),
              QStringList{"There is atleast one product still tied to this supplier, unable to "
                          "remove"});
    EXPECT_EQ(messages.shown()[0].kind, MessageKind::Refusal);
    EXPECT_EQ(count(), 1);
}

TEST_F(Suppliers, RemovalIsRefusedForARemovedStockItem) {
    const int supp = add(QStringLiteral("Acme"));
    const int cat = t.addCategory(QStringLiteral("PCs"));
    const int prod = t.addProduct(QStringLiteral("P1"), QStringLiteral("Desktop"), cat);
    const int stock = t.addStock(QStringLiteral("S1"), prod, store::loc::RemovedStock);
    t.db().execute(QStringLiteral("UPDATE Stock SET Supp_ID = ? WHERE Stock_ID = ?"), supp, stock);
    EXPECT_FALSE(logic.RemoveSupplier(supp));
    EXPECT_EQ(messages.texts(),
              QStringList{"There is atleast one stock item still tied to this supplier, unable "
                          "to remove"});
    EXPECT_EQ(count(), 1);
}

TEST_F(Suppliers, RemovalIsRefusedForALicence) {
    const int supp = add(QStringLiteral("Acme"));
    const int cat = t.addCategory(QStringLiteral("Software"));
    const int prod = t.addProduct(QStringLiteral("P1"), QStringLiteral("Office"), cat);
    const int lic = t.addLicence(QStringLiteral("K1"), prod, store::loc::RemovedLicences,
                                 store::LicenceTemporary);
    t.db().execute(QStringLiteral("UPDATE Licences SET Supp_ID = ? WHERE Licence_ID = ?"), supp,
                   lic);
    EXPECT_FALSE(logic.RemoveSupplier(supp));
    EXPECT_EQ(messages.texts(),
              QStringList{"There is atleast one licence still tied to this supplier, unable to "
                          "remove"});
    EXPECT_EQ(count(), 1);
}

TEST_F(Suppliers, AnUntiedSupplierIsRemovedAndAMissingOneIsAnInternalError) {
    const int supp = add(QStringLiteral("Acme"));
    EXPECT_TRUE(logic.RemoveSupplier(supp));
    EXPECT_EQ(count(), 0);
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_FALSE(logic.RemoveSupplier(supp));
    ASSERT_EQ(messages.texts(), QStringList{"Internal Error: Deleting Supplier"});
    EXPECT_EQ(messages.shown()[0].kind, MessageKind::Failure);
}

TEST_F(Suppliers, TheChoiceIsKeptUntilCleared) {
    EXPECT_EQ(logic.SelSuppID, 0);
    logic.chooseSupplier(7, QStringLiteral(" Acme "));
    EXPECT_EQ(logic.SelSuppID, 7);
    EXPECT_EQ(logic.SelSuppName, QStringLiteral("Acme"));
    logic.clearChoice();
    EXPECT_EQ(logic.SelSuppID, 0);
    EXPECT_TRUE(logic.SelSuppName.isEmpty());
}
