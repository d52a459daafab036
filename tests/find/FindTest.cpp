#include "find/FindFixture.h"
#include "find/clsFind.h"
#include "store/Database.h"
#include "store/FindText.h"
#include "store/LocationPaths.h"
#include "store/Schema.h"
#include "store/StoreConstants.h"

#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"

#include <QStringList>

#include <algorithm>
#include <string>

#include <gtest/gtest.h>

namespace {

using find::FoundItem;

// One result as "Kind|code|product|path" with " (removed)" after the path.
QStringList describe(const find::FindResult& result) {
    QStringList rows;
    for (const FoundItem& item : result.items)
        rows << find::kindWord(item.kind) + QLatin1Char('|') + item.code + QLatin1Char('|') +
                    item.product + QLatin1Char('|') + item.path +
                    (item.removed ? QStringLiteral(" (removed)") : QString());
    return rows;
}

class Find : public ::testing::Test {
protected:
    testing_support::TestDatabase t;
    testing_support::ScriptedMessages messages;
    testing_support::FindFixture f{t};
    find::clsFind logic{t.db(), messages};
};

const QString Room = QStringLiteral("Head Office \u203a Main Building \u203a Room 101");

TEST_F(Find, FindsEachKindByAnyPartIgnoringCaseAndAccents) {
    struct Case {
        const char* what;
        QString query;
        QStringList rows;
    };
    const Case cases[] = {
        {"a stock code's beginning, in lower case",
         QStringLiteral("pc-10"),
         {QStringLiteral("Stock|PC-1001|Laptop Pro|") + Room,
          QStringLiteral("Stock|PC-1002|Laptop Pro|Removed Stock (removed)")}},
        {"the middle of a licence key",
         QStringLiteral("efgh"),
         {QStringLiteral("Licence|ABCD-EFGH-1234|Office Suite|") + Room}},
        {"a temporary licence in the pool",
         QStringLiteral("zzzz"),
         {QStringLiteral("Licence|ZZZZ-KEY|Office Suite|Available Licences")}},
        {"an accented location typed plain and in capitals",
         QStringLiteral("ETAGE"),
         {QStringLiteral("Location|Café Étage||Head Office \u203a Café Étage")}},
        {"accents typed where the text has none",
         QStringLiteral("rôôm 1"),
         {QStringLiteral("Location|Room 101||") + Room}},
        {"a product by description and a location, products first",
         QStringLiteral("office"),
         {QStringLiteral("Product|SW-OFF|Office Suite|"),
          QStringLiteral("Location|Head Office||Head Office")}},
        {"a product by code",
         QStringLiteral("lap-0"),
         {QStringLiteral("Product|LAP-01|Laptop Pro|")}},
        {"a removed location",
         QStringLiteral("old r"),
         {QStringLiteral("Location|Old Room||Removed Locations \u203a Old Room (removed)")}},
        {"a supplier typed without accents",
         QStringLiteral("societe gen"),
         {QStringLiteral("Supplier|Société Générale||")}},
        {"blanks around the text",
         QStringLiteral("  mon-77 "),
         {QStringLiteral("Stock|MON-77|Laptop Pro|Head Office \u203a Café Étage")}},
        {"no match", QStringLiteral("nothing-here"), {}},
        // The search's own wildcards and escape, typed, are plain letters.
        {"an underscore typed stands for itself", QStringLiteral("pc_1001"), {}},
        {"a per cent sign typed stands for itself", QStringLiteral("1%1"), {}},
        {"the escape character typed stands for itself", QStringLiteral("pc!-1001"), {}},
        {"a blank text", QStringLiteral("   "), {}},
    };
    for (const Case& c : cases) {
        const find::FindResult result = logic.Find(c.query);
        EXPECT_EQ(describe(result), c.rows) << c.what;
        EXPECT_EQ(result.more, 0) << c.what;
    }
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(Find, ShowsAtMostTheLimitAndCountsTheRest) {
    // "o" is in many texts: both products, five locations, MON-77, Société.
    const find::FindResult all = logic.Find(QStringLiteral("o"));
    ASSERT_GT(all.items.size(), 3u);
    const find::FindResult some = logic.Find(QStringLiteral("o"), 3);
    ASSERT_EQ(some.items.size(), 3u);
    EXPECT_EQ(some.more, static_cast<int>(all.items.size()) - 3);
    // The first ones of the same order.
    EXPECT_EQ(describe(some), describe(all).mid(0, 3));
    EXPECT_EQ(find::moreText(7), QStringLiteral("7 more \u2014 refine the search"));
}

TEST_F(Find, CountsTheRestOnlyUpToTheCapAndSaysSo) {
    const int total = static_cast<int>(logic.Find(QStringLiteral("o")).items.size());
    ASSERT_GE(total, 6);
    struct Case {
        const char* what;
        int limit;
        int cap;
        int more;
        bool capped;
        QString line;
    };
    const Case cases[] = {
        {"few matches: all shown, no line", total, 5, 0, false, QString()},
        {"the rest within the cap: counted exactly", 3, total, total - 3, false,
         find::moreText(total - 3)},
        {"the rest exactly the cap: still exact", 3, total - 3, total - 3, false,
         find::moreText(total - 3)},
        {"one beyond the cap: over the cap", 3, total - 4, total - 4, true,
         QStringLiteral("Over %1 more \u2014 refine the search").arg(total - 4)},
        {"no count at all", 3, 0, 0, total > 3,
         QStringLiteral("Over 0 more \u2014 refine the search")},
    };
    for (const Case& c : cases) {
        const find::FindResult result = logic.Find(QStringLiteral("o"), c.limit, c.cap);
        EXPECT_EQ(static_cast<int>(result.items.size()), std::min(c.limit, total)) << c.what;
        EXPECT_EQ(result.more, c.more) << c.what;
        EXPECT_EQ(result.moreCapped, c.capped) << c.what;
        EXPECT_EQ(find::moreLine(result), c.line) << c.what;
        EXPECT_TRUE(result.complete) << c.what;
    }
}

// A search a slice at a time finds what one walk of the whole table finds,
// and what it has found at any point is the beginning of that.
TEST_F(Find, ASlicedSearchGrowsTheSameResultInOrder) {
    const QString queries[] = {QStringLiteral("o"), QStringLiteral("zzzz"), QStringLiteral("pc-10"),
                               QStringLiteral("nothing-here"), QStringLiteral("e")};
    for (const QString& query : queries) {
        const find::FindResult whole = logic.Find(query, 4, 2);
        for (const int rows : {1, 2, 5, 1000}) {
            SCOPED_TRACE(query.toStdString() + " in slices of " + std::to_string(rows));
            find::FindSearch search(t.db(), query, 4, 2);
            EXPECT_FALSE(search.result().complete);
            int steps = 0;
            QStringList before;
            while (!search.step(rows)) {
                ++steps;
                const QStringList now = describe(search.result());
                EXPECT_EQ(now.mid(0, before.size()), before);
                EXPECT_EQ(now, describe(whole).mid(0, now.size()));
                EXPECT_FALSE(search.result().complete);
                before = now;
                ASSERT_LT(steps, 100);
            }
            EXPECT_TRUE(search.done());
            EXPECT_TRUE(search.result().complete);
            EXPECT_EQ(describe(search.result()), describe(whole));
            EXPECT_EQ(search.result().more, whole.more);
            EXPECT_EQ(search.result().moreCapped, whole.moreCapped);
            EXPECT_TRUE(search.step(rows)); // stays done
        }
    }
}

// With many matches the walk stops once the results and the count are
// full, long before the end of the table.
TEST_F(Find, ManyMatchesEndTheWalkEarly) {
    const int entries = t.count(QStringLiteral("FindText"));
    // Stock codes, licence keys and product codes hold a "-": the first
    // kinds in the order walked.
    find::FindSearch search(t.db(), QStringLiteral("-"), 2, 1);
    int steps = 1;
    while (!search.step(1))
        ++steps;
    EXPECT_EQ(search.result().items.size(), 2u);
    EXPECT_TRUE(search.result().moreCapped);
    EXPECT_EQ(search.result().more, 1);
    // The three stock codes and the first licence key are all it needs: two
    // shown, one counted and the one that says there are more.
    EXPECT_EQ(steps, 4);
    EXPECT_GT(entries, 10);
    // A blank text is done before it starts.
    find::FindSearch blank(t.db(), QStringLiteral("  "));
    EXPECT_TRUE(blank.done());
    EXPECT_TRUE(blank.result().items.empty());
}

TEST_F(Find, FollowsEveryChangeToTheSearchedTexts) {
    // Written by plain statements, as any writer might: the folded copy
    // follows through the store's triggers.
    t.db().execute(QStringLiteral("UPDATE Stock SET Stock_Code = 'NB-Ü9' WHERE Stock_ID = ?"),
                   f.pc1);
    EXPECT_TRUE(logic.Find(QStringLiteral("pc-1001")).items.empty());
    EXPECT_EQ(describe(logic.Find(QStringLiteral("nb-u9"))),
              QStringList{QStringLiteral("Stock|NB-Ü9|Laptop Pro|") + Room});
    t.db().execute(QStringLiteral("UPDATE Products SET Prod_Desc = 'Notebook' WHERE Prod_ID = ?"),
                   f.laptop);
    EXPECT_TRUE(logic.Find(QStringLiteral("laptop")).items.empty());
    EXPECT_EQ(logic.Find(QStringLiteral("notebook")).items.size(), 1u);
    t.db().execute(QStringLiteral("UPDATE Locations SET Loc_Desc = 'Annexe' WHERE Loc_ID = ?"),
                   f.building);
    EXPECT_EQ(describe(logic.Find(QStringLiteral("nb-u9"))),
              QStringList{QStringLiteral("Stock|NB-Ü9|Notebook|Head Office \u203a Annexe "
                                         "\u203a Room 101")});
    t.db().execute(QStringLiteral("DELETE FROM Stock WHERE Stock_ID = ?"), f.pc1);
    EXPECT_TRUE(logic.Find(QStringLiteral("nb-u9")).items.empty());
    EXPECT_EQ(t.value(QStringLiteral("SELECT count(*) FROM FindText WHERE Kind = 1")),
              QStringLiteral("2"));
}

TEST(FindText, FoldsCaseAndAccentsAlike) {
    EXPECT_EQ(store::foldForFind(QStringLiteral("Écran")),
              store::foldForFind(QStringLiteral("ecRAN")));
    EXPECT_EQ(store::foldForFind(QStringLiteral("Société")), QStringLiteral("societe"));
    EXPECT_NE(store::foldForFind(QStringLiteral("Ecran")),
              store::foldForFind(QStringLiteral("Ecrin")));
}

// The triggers fold with the engine's fold_text; Find folds what is typed
// with foldForFind. Both must agree, or a typed text misses its row.
TEST(FindText, TheEnginesFoldingIsTheProgramsFolding) {
    testing_support::TestDatabase t;
    const QString texts[] = {
        QStringLiteral("PC-1001"),
        QStringLiteral("Société Générale"),
        QStringLiteral("ÉCRAN écran Ecran"),
        QStringLiteral("Åsa Öberg Ärla"),
        QStringLiteral("Łódź Ørsted Straße"),
        QStringLiteral("Ǆemal ǅ ǆ"),
        QStringLiteral("A\u0301 e\u0308 n\u0303 (marks after their letters)"),
        QStringLiteral("Ⅻ ＡＢＣ 東京 Ωμέγα ΟΔΟΣ"),
        QStringLiteral("50% off_the_list!"),
        QString(),
    };
    for (const QString& text : texts) {
        SCOPED_TRACE(text.toStdString());
        store::Query q(t.db(), QStringLiteral("SELECT fold_text(?) AS folded"));
        q.bind(1, text);
        ASSERT_TRUE(q.next());
        EXPECT_EQ(q.rawText(QStringLiteral("folded")), store::foldForFind(text));
    }
    store::Query q(t.db(), QStringLiteral("SELECT fold_text(NULL) AS folded"));
    ASSERT_TRUE(q.next());
    EXPECT_FALSE(q.isNull(QStringLiteral("folded")));
    EXPECT_EQ(q.rawText(QStringLiteral("folded")), QString());
}

TEST(FindText, TheMigrationFoldsTheRecordsAlreadyThere) {
    testing_support::TestDatabase t;
    testing_support::FindFixture f{t};
    // As a register of the version before: no table, no triggers (and
    // neither the unique indexes nor the history's author column of the
    // versions after it; the report order indexes and the kept product and
    // expiry counts stay, which their migrations keep or make afresh).
    QString drop = QStringLiteral("DROP TABLE FindText;");
    for (const char* table : {"Stock", "Licences", "Products", "Locations", "Suppliers"})
        for (const char* when : {"Add", "Change", "Remove"})
            drop += QStringLiteral("DROP TRIGGER tr%1Find%2%3;")
                        .arg(QLatin1String(table), QLatin1String(when),
                             t.onServer() ? QStringLiteral(" ON %1").arg(QLatin1String(table))
                                          : QString());
    drop += QStringLiteral("DROP INDEX uxCategoriesDesc; DROP INDEX uxProductsCode; "
                           "DROP INDEX uxStockCode; DROP INDEX uxLicencesName;");
    // The file's engine cannot drop a column: the history is made again.
    drop += t.onServer()
                ? QStringLiteral("ALTER TABLE StockHistory DROP COLUMN Moved_By;")
                : QStringLiteral("CREATE TABLE History_v3 (Stock_Lic_ID INTEGER NOT NULL, "
                                 "Loc_Desc TEXT, move_date TEXT NOT NULL, Type TEXT NOT NULL);"
                                 "INSERT INTO History_v3 SELECT Stock_Lic_ID, Loc_Desc, "
                                 "move_date, Type FROM StockHistory;"
                                 "DROP TABLE StockHistory;"
                                 "ALTER TABLE History_v3 RENAME TO StockHistory;");
    t.db().run(drop);
    t.db().setUserVersion(3);
    store::checkSchema(t.db());
    testing_support::ScriptedMessages messages;
    find::clsFind logic{t.db(), messages};
    EXPECT_EQ(describe(logic.Find(QStringLiteral("cafe"))),
              QStringList{QStringLiteral("Location|Café Étage||Head Office \u203a Café Étage")});
    // Every record of the five tables has its row: 5 reserved and 5 own
    // locations, 2 products, 3 stock items, 2 licences, 1 supplier.
    EXPECT_EQ(t.count(QStringLiteral("FindText")), 18);
}

TEST(LocationPaths, ArePathsFromTheTopWithoutTheSharedBranch) {
    testing_support::TestDatabase t;
    testing_support::FindFixture f{t};
    const store::LocationPaths paths(t.db());
    struct Case {
        int id;
        QString path;
        int branch;
    };
    const Case cases[] = {
        {f.room, Room, store::loc::AvailableLocations},
        {f.headOffice, QStringLiteral("Head Office"), store::loc::AvailableLocations},
        {store::loc::AvailableLocations, QStringLiteral("Available Locations"),
         store::loc::AvailableLocations},
        {store::loc::RemovedStock, QStringLiteral("Removed Stock"), store::loc::RemovedStock},
        {f.oldRoom, QStringLiteral("Removed Locations \u203a Old Room"),
         store::loc::RemovedLocations},
        {9999, QString(), 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(paths.path(c.id), c.path) << c.id;
        EXPECT_EQ(paths.branchOf(c.id), c.branch) << c.id;
    }
    EXPECT_EQ(paths.named(QStringLiteral(" room 101 ")), std::vector<int>{f.room});
}

TEST(LocationPaths, AParentRingEndsThePath) {
    testing_support::TestDatabase t;
    const int a = t.addLocation(QStringLiteral("A"), 1, 2, 1);
    const int b = t.addLocation(QStringLiteral("B"), a, 3, 1);
    t.db().run(QStringLiteral("PRAGMA foreign_keys = OFF"));
    t.db().execute(QStringLiteral("UPDATE Locations SET Loc_ParentID = ? WHERE Loc_ID = ?"), b, a);
    const store::LocationPaths paths(t.db());
    EXPECT_FALSE(paths.path(b).isEmpty());
    EXPECT_EQ(paths.branchOf(b), 0);
}

} // namespace
