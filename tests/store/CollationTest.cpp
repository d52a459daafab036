// The program's text order: equality ignores case only, ordering is a
// dictionary's, and the SQL collation, compareText and sortKey agree.

#include "store/Collation.h"
#include "store/Database.h"
#include "store/StoreConstants.h"
#include "support/TestDatabase.h"

#include <QLocale>
#include <QStringList>

#include <algorithm>
#include <thread>

#include <gtest/gtest.h>

using store::compareText;
using store::sortKey;
using testing_support::TestDatabase;

namespace {

int sign(int value) {
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

// How the engine compares a and b under the program's collation: -1, 0, 1.
int sqlOrder(store::Database& db, const QString& a, const QString& b) {
    store::Query q(db, QStringLiteral("SELECT CASE WHEN ? = ?%1 THEN 0 WHEN ? < ?%1 THEN -1 "
                                      "ELSE 1 END AS o")
                           .arg(store::IgnoreCase));
    q.bindAll(a, b, a, b);
    EXPECT_TRUE(q.next());
    return static_cast<int>(q.integer(QStringLiteral("o")));
}

QString zeroWidthJoined(const char* left, const char* right) {
    return QLatin1String(left) + QChar(0x200D) + QLatin1String(right);
}

struct Pair {
    const char* why;
    QString a;
    QString b;
    int order; // of a against b
};

const Pair Pairs[] = {
    {"accent sorts with its letter", QStringLiteral("Ecole"), QStringLiteral("École"), -1},
    {"accent before a longer word", QStringLiteral("École"), QStringLiteral("Ecoles"), -1},
    {"accent not after Z", QStringLiteral("École"), QStringLiteral("Zone"), -1},
    {"case ignored in order", QStringLiteral("apple"), QStringLiteral("Banana"), -1},
    {"case ignored in order, capitals first", QStringLiteral("Apple"), QStringLiteral("banana"),
     -1},
    {"prefix first", QStringLiteral("Desk"), QStringLiteral("desks"), -1},
    {"blank before letters", QStringLiteral("a b"), QStringLiteral("ab"), -1},
    {"digits before letters", QStringLiteral("2nd floor"), QStringLiteral("Attic"), -1},
    {"o with umlaut near o", QStringLiteral("Köln"), QStringLiteral("Kyiv"), -1},
    {"equal when only case differs", QStringLiteral("OFFICE"), QStringLiteral("office"), 0},
    {"accented capital equals accented small", QStringLiteral("É"), QStringLiteral("é"), 0},
    {"accented words in any case", QStringLiteral("ÉCOLE"), QStringLiteral("école"), 0},
    {"accent is not its base letter", QStringLiteral("E"), QStringLiteral("É"), -1},
    {"folding alone decides equality", QStringLiteral("ſ"), QStringLiteral("s"), 0},
    {"a joiner the dictionary ignores still counts", QStringLiteral("ab"),
     zeroWidthJoined("a", "b"), -1},
    {"sharp s is not ss", QStringLiteral("Strasse"), QStringLiteral("Straße"), -1},
    {"empty first", QString(), QStringLiteral("a"), -1},
};

} // namespace

TEST(Collation, PairsCompareTheSameEverywhere) {
    TestDatabase t;
    for (const Pair& p : Pairs) {
        SCOPED_TRACE(p.why);
        EXPECT_EQ(sign(compareText(p.a, p.b)), p.order);
        EXPECT_EQ(sign(compareText(p.b, p.a)), -p.order);
        EXPECT_EQ(sign(sortKey(p.a).compare(sortKey(p.b))), p.order);
        EXPECT_EQ(sign(sortKey(p.b).compare(sortKey(p.a))), -p.order);
        EXPECT_EQ(sortKey(p.a) == sortKey(p.b), p.order == 0);
        // The server's ICU collation ignores a zero-width joiner and takes
        // the long s for s at its level, where the file's folding does not.
        const QString why = QString::fromUtf8(p.why);
        if (t.onServer() && (why.startsWith(QLatin1String("a joiner")) ||
                             why.startsWith(QLatin1String("folding alone"))))
            continue;
        EXPECT_EQ(sqlOrder(t.db(), p.a, p.b), p.order);
        EXPECT_EQ(sqlOrder(t.db(), p.b, p.a), -p.order);
    }
}

// Every text of the pairs against every other: the three forms agree, and
// the order is a consistent one (sorting by it is stable under reversal).
TEST(Collation, SortKeysOrderExactlyLikeTheCollation) {
    TestDatabase t;
    QStringList texts;
    for (const Pair& p : Pairs)
        texts << p.a << p.b;
    for (const QString& a : texts)
        for (const QString& b : texts) {
            const int expected = sign(compareText(a, b));
            ASSERT_EQ(sign(sortKey(a).compare(sortKey(b))), expected)
                << a.toStdString() << " / " << b.toStdString();
            // The two characters the server's ICU collation takes otherwise
            // (see the pairs above).
            const QString both = a + b;
            if (t.onServer() && (both.contains(QChar(0x200D)) || both.contains(QChar(0x17F))))
                continue;
            ASSERT_EQ(sqlOrder(t.db(), a, b), expected)
                << a.toStdString() << " / " << b.toStdString();
        }

    auto byKey = [](QStringList list) {
        std::vector<std::pair<store::SortKey, QString>> keyed;
        for (const QString& s : list)
            keyed.emplace_back(sortKey(s), s);
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const auto& x, const auto& y) { return x.first < y.first; });
        QStringList out;
        for (const auto& k : keyed)
            out << k.second.toCaseFolded();
        return out;
    };
    QStringList reversed = texts;
    std::reverse(reversed.begin(), reversed.end());
    EXPECT_EQ(byKey(texts), byKey(reversed));
}

TEST(Collation, OrderByPutsAccentedNamesWhereADictionaryDoes) {
    TestDatabase t;
    const QStringList shuffled{"Zone", "ecoles", "École", "Annexe", "ecole", "Éclair", "Eclat"};
    for (const QString& name : shuffled)
        t.addCategory(name);
    store::Query q(t.db(), QStringLiteral("SELECT Cat_Desc FROM Categories ORDER BY Cat_Desc") +
                               store::IgnoreCase);
    QStringList sorted;
    while (q.next())
        sorted << q.text(QStringLiteral("Cat_Desc"));
    EXPECT_EQ(sorted,
              (QStringList{"Annexe", "Éclair", "Eclat", "ecole", "École", "ecoles", "Zone"}));
}

// The order is the program's own, not the user's: under Swedish rules "Ö"
// would follow "Z".
TEST(Collation, TheUsersLocaleDoesNotChangeTheOrder) {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::Swedish, QLocale::Sweden));
    int order = 0;
    // A new thread makes its collator afresh, after the change.
    std::thread([&] {
        order = compareText(QStringLiteral("Örebro"), QStringLiteral("Zürich"));
    }).join();
    QLocale::setDefault(saved);
    EXPECT_LT(order, 0);
}
