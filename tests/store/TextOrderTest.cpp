// Equality and order of texts as the register compares them (UNICASE on
// the file, the collation unicase on the server): the same answers on both
// engines, and the same as the program's own compareText.

#include "store/Collation.h"
#include "store/Database.h"
#include "store/StoreConstants.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

#include <algorithm>

using testing_support::TestDatabase;

namespace {

// Supplier names are not kept unique, so case variants may stand side by side.
int addText(TestDatabase& t, const QString& text) {
    t.db().execute(QStringLiteral("INSERT INTO Suppliers (Supp_Name) VALUES (?)"), text);
    return static_cast<int>(t.db().lastInsertId());
}

} // namespace

TEST(TextOrder, EqualityIgnoresCaseButNotAccents) {
    const struct {
        const char* a;
        const char* b;
        bool equal;
    } cases[] = {
        {"É", "é", true},
        {"É", "E", false},
        {"printers", "Printers", true},
        {"PRINTERS", "printers", true},
        {"Å", "å", true},
        {"Ä", "ä", true},
        {"Ö", "ö", true},
        {"å", "a", false},
        {"ä", "a", false},
        {"ö", "o", false},
        {"Item 9", "item 9", true},
        {"Item 9", "Item 09", false},
        {"printer", "printers", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " / " + c.b);
        TestDatabase t;
        addText(t, QString::fromUtf8(c.a));
        const bool found =
            t.db().exists(QStringLiteral("SELECT Supplier_ID FROM Suppliers WHERE Supp_Name = ?") +
                              store::IgnoreCase,
                          QString::fromUtf8(c.b));
        EXPECT_EQ(found, c.equal);
        EXPECT_EQ(store::compareText(QString::fromUtf8(c.a), QString::fromUtf8(c.b)) == 0, c.equal);
    }
}

TEST(TextOrder, OrderIsTheDictionarysWithCaseIgnored) {
    const QStringList texts = {
        QStringLiteral("Zone"),     QStringLiteral("École"),    QStringLiteral("Ecoles"),
        QStringLiteral("Ecole"),    QStringLiteral("b"),        QStringLiteral("A"),
        QStringLiteral("a"),        QStringLiteral("é"),        QStringLiteral("E"),
        QStringLiteral("Printers"), QStringLiteral("printers"), QStringLiteral("öl"),
        QStringLiteral("ol"),       QStringLiteral("Åsa"),      QStringLiteral("Asa"),
        QStringLiteral("Item 9"),   QStringLiteral("Item 10"),  QStringLiteral("item 2"),
    };
    TestDatabase t;
    std::vector<std::pair<int, QString>> rows;
    for (const QString& text : texts)
        rows.emplace_back(addText(t, text), text);

    // The program's own order; equal texts keep the order they were added in.
    std::vector<std::pair<int, QString>> expected = rows;
    std::stable_sort(expected.begin(), expected.end(), [](const auto& x, const auto& y) {
        return store::compareText(x.second, y.second) < 0;
    });
    store::Query q(t.db(), QStringLiteral("SELECT Supp_Name FROM Suppliers ORDER BY Supp_Name") +
                               store::IgnoreCase + QStringLiteral(", Supplier_ID"));
    QStringList got;
    while (q.next())
        got << q.rawText(QStringLiteral("Supp_Name"));
    QStringList want;
    for (const auto& row : expected)
        want << row.second;
    EXPECT_EQ(got, want);

    // A few fixed points of that order, whatever compareText says.
    const auto before = [&](const char* x, const char* y) {
        return got.indexOf(QString::fromUtf8(x)) < got.indexOf(QString::fromUtf8(y));
    };
    EXPECT_TRUE(before("a", "b"));
    EXPECT_TRUE(before("Ecole", "École"));
    EXPECT_TRUE(before("École", "Ecoles"));
    EXPECT_TRUE(before("E", "é"));
    EXPECT_TRUE(before("Item 10", "Item 9"));
    EXPECT_TRUE(before("Asa", "Åsa"));
    EXPECT_TRUE(before("ol", "öl"));
    EXPECT_TRUE(before("Ecoles", "Zone"));
}

TEST(TextOrder, UniqueCodesRefuseCaseVariantsButNotAccentVariants) {
    TestDatabase t;
    const int cat = t.addCategory(QStringLiteral("Écrans"));
    EXPECT_THROW(t.addCategory(QStringLiteral("éCRANS")), store::DbError);
    EXPECT_NO_THROW(t.addCategory(QStringLiteral("Ecrans")));
    t.addProduct(QStringLiteral("p-1"), QStringLiteral("x"), cat);
    try {
        t.addProduct(QStringLiteral("P-1"), QStringLiteral("y"), cat);
        ADD_FAILURE() << "a second product code in other letters was stored";
    } catch (const store::DbError& error) {
        EXPECT_EQ(error.number(), 19); // SQLITE_CONSTRAINT, on both engines
    }
}
