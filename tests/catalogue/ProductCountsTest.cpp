// The live items the store keeps counted per product: whatever writes the
// items, the category and product pages show what a count of the items
// themselves gives, and a register of the version before the counts gets
// them right from its migration.

#include "store/ProductCounts.h"
#include "catalogue/clsCategories.h"
#include "catalogue/clsProducts.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "store/StoreConstants.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"
#include "support/TestHooks.h"

#include <gtest/gtest.h>

#include <functional>

using testing_support::TestDatabase;

namespace {

// A small register: a category without products, one whose products have
// live and removed items of every kind (and one product none), and one of
// software.
class CountedRegister {
public:
    CountedRegister() {
        office = t.addLocation(QStringLiteral("Office"), store::loc::AvailableLocations, 2, 1);
        licRoom = t.addLocation(QStringLiteral("Licence room"), store::loc::AvailableLicences, 2,
                                store::loc::AvailableLicences);
        audio = t.addCategory(QStringLiteral("Audio"));
        pcs = t.addCategory(QStringLiteral("PCs"));
        software = t.addCategory(QStringLiteral("Software"));
        desktop = t.addProduct(QStringLiteral("A"), QStringLiteral("Desktop"), pcs);
        laptop = t.addProduct(QStringLiteral("B"), QStringLiteral("Laptop"), pcs);
        t.addProduct(QStringLiteral("C"), QStringLiteral("Monitor"), pcs);
        suite = t.addProduct(QStringLiteral("S"), QStringLiteral("Suite"), software);
    }

    void addItems() {
        using namespace store::loc;
        t.addStock(QStringLiteral("S1"), desktop, office);
        t.addStock(QStringLiteral("S2"), desktop, AvailableLocations);
        t.addStock(QStringLiteral("S3"), desktop, RemovedStock);
        t.addStock(QStringLiteral("S4"), laptop, office);
        t.addLicence(QStringLiteral("K1"), desktop, licRoom, store::LicenceNormal);
        t.addLicence(QStringLiteral("K2"), desktop, licRoom, store::LicenceTemporary);
        t.addLicence(QStringLiteral("K3"), desktop, RemovedLicences, store::LicenceNormal);
        t.addLicence(QStringLiteral("K4"), desktop, RemovedLicences, store::LicenceTemporary);
        // Each kind has its own removed location: a licence in the
        // removed-stock one is live.
        t.addLicence(QStringLiteral("K5"), desktop, RemovedStock, store::LicenceNormal);
        t.addLicence(QStringLiteral("K6"), suite, AvailableLicences, store::LicenceTemporary);
    }

    // Runs SQL text with the stock code or licence key given.
    void onStock(const char* code, const QString& set) {
        EXPECT_EQ(
            t.db().execute(QStringLiteral("UPDATE Stock SET %1 WHERE Stock_Code = ?").arg(set),
                           QString::fromLatin1(code)),
            1)
            << set.toStdString();
    }
    void onLicence(const char* key, const QString& set) {
        EXPECT_EQ(
            t.db().execute(QStringLiteral("UPDATE Licences SET %1 WHERE Licence_Name = ?").arg(set),
                           QString::fromLatin1(key)),
            1)
            << set.toStdString();
    }

    // The category page as a count of the items themselves gives it.
    common::ListRows countedCategories() {
        common::ListRows rows;
        store::Query q(
            t.db(), QStringLiteral(
                        "SELECT c.Cat_ID, c.Cat_Desc, "
                        "(SELECT count(*) FROM Products p WHERE p.Prod_Cat_ID = c.Cat_ID) AS p, "
                        "(SELECT count(*) FROM Stock s JOIN Products p ON p.Prod_ID = s.Prod_ID "
                        " WHERE p.Prod_Cat_ID = c.Cat_ID AND s.Loc_ID <> 5) AS s, "
                        "(SELECT count(*) FROM Licences l JOIN Products p ON p.Prod_ID = l.Prod_ID "
                        " WHERE p.Prod_Cat_ID = c.Cat_ID AND l.Loc_ID <> 4) AS l "
                        "FROM Categories c ORDER BY c.Cat_Desc") +
                        store::IgnoreCase + QStringLiteral(", c.Cat_ID"));
        while (q.next())
            rows.push_back({QStringLiteral("C") + q.rawTextAt(0),
                            {q.rawTextAt(1), q.rawTextAt(2), q.rawTextAt(3), q.rawTextAt(4)}});
        return rows;
    }

    // A product page's key and three counts per row, from its list and from
    // a count of the items.
    using Counts = std::vector<QStringList>;
    Counts listedProducts(int catId) {
        Counts out;
        const std::optional<common::ListRows> rows = products.FillListViewWithProds(catId, {});
        EXPECT_TRUE(rows.has_value());
        for (const common::ListRow& row : rows.value_or(common::ListRows{}))
            out.push_back({row.key, row.texts.at(2), row.texts.at(3), row.texts.at(4)});
        return out;
    }
    Counts countedProducts(int catId) {
        Counts out;
        store::Query q(
            t.db(), QStringLiteral("SELECT p.Prod_ID, "
                                   "(SELECT count(*) FROM Stock s WHERE s.Prod_ID = p.Prod_ID "
                                   " AND s.Loc_ID <> 5) AS s, "
                                   "(SELECT count(*) FROM Licences l WHERE l.Prod_ID = p.Prod_ID "
                                   " AND l.Loc_ID <> 4 AND l.Type = 'N') AS n, "
                                   "(SELECT count(*) FROM Licences l WHERE l.Prod_ID = p.Prod_ID "
                                   " AND l.Loc_ID <> 4 AND l.Type = 'T') AS t "
                                   "FROM Products p WHERE p.Prod_Cat_ID = ? ORDER BY p.Prod_Desc") +
                        store::IgnoreCase + QStringLiteral(", p.Prod_ID"));
        q.bindAll(catId);
        while (q.next())
            out.push_back({QStringLiteral("P") + q.rawTextAt(0), q.rawTextAt(1), q.rawTextAt(2),
                           q.rawTextAt(3)});
        return out;
    }

    // Both pages show what the items give, and the check agrees.
    void expectPagesMatchTheItems() {
        EXPECT_EQ(categories.FillListViewWithCats(), countedCategories());
        for (const common::ListRow& category : countedCategories()) {
            const int catId = category.key.mid(1).toInt();
            EXPECT_EQ(listedProducts(catId), countedProducts(catId))
                << category.texts.at(0).toStdString();
        }
        EXPECT_EQ(store::productCountProblems(t.db(), -1), QStringList());
    }

    TestDatabase t;
    testing_support::ScriptedMessages messages;
    testing_support::TestHooks hooks;
    catalogue::clsCategories categories{t.db(), messages};
    catalogue::clsProducts products{t.db(), messages, hooks.clock};
    int office = 0, licRoom = 0, audio = 0, pcs = 0, software = 0;
    int desktop = 0, laptop = 0, suite = 0;
};

} // namespace

TEST(ProductCounts, PagesShowTheItemsCountWhateverWritesThem) {
    const struct Case {
        const char* what;
        std::function<void(CountedRegister&)> act;
    } cases[] = {
        {"as added",
         [](CountedRegister&) {
         }},
        {"parked in the removed locations",
         [](CountedRegister& r) {
             r.onStock("S1", "Loc_ID = 5");
             r.onLicence("K1", "Loc_ID = 4");
             r.onLicence("K2", "Loc_ID = 4");
         }},
        {"taken back out of the removed locations",
         [](CountedRegister& r) {
             r.onStock("S3", "Loc_ID = 1");
             r.onLicence("K3", "Loc_ID = 2");
             r.onLicence("K4", "Loc_ID = 2");
         }},
        {"deleted for good, live and removed ones",
         [](CountedRegister& r) {
             r.t.db().run(QStringLiteral("DELETE FROM Stock WHERE Stock_Code IN ('S2', 'S3');"
                                         "DELETE FROM Licences WHERE Licence_Name IN ('K1', "
                                         "'K4')"));
         }},
        {"moved between live locations",
         [](CountedRegister& r) {
             r.onStock("S1", "Loc_ID = 1");
             r.onLicence("K1", "Loc_ID = 2");
         }},
        {"given another product",
         [](CountedRegister& r) {
             r.onStock("S1", QStringLiteral("Prod_ID = %1").arg(r.laptop));
             r.onStock("S3", QStringLiteral("Prod_ID = %1").arg(r.laptop));
             r.onLicence("K2", QStringLiteral("Prod_ID = %1").arg(r.suite));
         }},
        {"product and location changed at once",
         [](CountedRegister& r) {
             r.onStock("S3",
                       QStringLiteral("Prod_ID = %1, Loc_ID = %2").arg(r.laptop).arg(r.office));
             r.onLicence("K1", QStringLiteral("Prod_ID = %1, Loc_ID = 4").arg(r.suite));
         }},
        {"licence type changed, live and removed",
         [](CountedRegister& r) {
             r.onLicence("K1", "Type = 'T'");
             r.onLicence("K2", "Type = 'N'");
             r.onLicence("K4", "Type = 'N'");
         }},
        {"other columns changed, and the counted ones set to what they were",
         [](CountedRegister& r) {
             r.t.db().run(QStringLiteral("UPDATE Stock SET Cost = 5; UPDATE Licences SET "
                                         "Exp_Date = '2030-01-01', Cost = 7;"
                                         "UPDATE Stock SET Prod_ID = Prod_ID, Loc_ID = Loc_ID;"
                                         "UPDATE Licences SET Type = Type, Loc_ID = Loc_ID"));
         }},
        {"many rows a statement",
         [](CountedRegister& r) {
             r.t.db().execute(QStringLiteral("INSERT INTO Stock (Stock_Code, Prod_ID, Loc_ID) "
                                             "VALUES ('M1', ?, 1), ('M2', ?, 5), ('M3', ?, ?)"),
                              r.laptop, r.laptop, r.desktop, r.office);
             r.t.db().run(
                 QStringLiteral("INSERT INTO Licences (Licence_Name, Prod_ID, Loc_ID, Type) "
                                "SELECT 'X' || Licence_Name, Prod_ID, Loc_ID, Type FROM Licences;"
                                "UPDATE Stock SET Loc_ID = 5 WHERE Stock_Code <> 'M1'"));
         }},
        {"product deleted with its removed items, another added",
         [](CountedRegister& r) {
             r.t.db().run(QStringLiteral("UPDATE Stock SET Loc_ID = 5; UPDATE Licences SET "
                                         "Loc_ID = 4 WHERE Prod_ID <> %1")
                              .arg(r.suite));
             r.messages.answer({true, true});
             EXPECT_TRUE(r.products.DeleteProduct(r.desktop));
             EXPECT_EQ(r.t.value(QStringLiteral("SELECT count(*) FROM ProductCounts WHERE "
                                                "Prod_ID = ?"),
                                 r.desktop),
                       QStringLiteral("0"));
             const int fresh = r.t.addProduct(QStringLiteral("D"), QStringLiteral("Dock"), r.pcs);
             r.t.addStock(QStringLiteral("D1"), fresh, r.office);
             r.t.addProduct(QStringLiteral("E"), QStringLiteral("Empty"), r.software);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CountedRegister r;
        r.addItems();
        c.act(r);
        r.expectPagesMatchTheItems();
    }
}

TEST(ProductCounts, APageShowsTheFiguresOfARealCountNotOnlyTheSame) {
    // Guards the comparison above: the pages' figures for the fixture, as
    // the pages' own rules give them.
    CountedRegister r;
    r.addItems();
    const common::ListRows expected = {
        {QStringLiteral("C%1").arg(r.audio), {"Audio", "0", "0", "0"}},
        {QStringLiteral("C%1").arg(r.pcs), {"PCs", "3", "3", "3"}},
        {QStringLiteral("C%1").arg(r.software), {"Software", "1", "0", "1"}},
    };
    EXPECT_EQ(r.categories.FillListViewWithCats(), expected);
    EXPECT_EQ(r.listedProducts(r.pcs).front(),
              (QStringList{QStringLiteral("P%1").arg(r.desktop), "2", "2", "1"}));
}

TEST(ProductCounts, AWrongKeptCountIsFoundAndMended) {
    CountedRegister r;
    r.addItems();
    r.t.db().execute(QStringLiteral("UPDATE ProductCounts SET Stock_Count = 9, Temp_Count = 0 "
                                    "WHERE Prod_ID = ?"),
                     r.desktop);
    r.t.db().execute(QStringLiteral("DELETE FROM ProductCounts WHERE Prod_ID = ?"), r.suite);
    const QStringList wrong = {
        QStringLiteral("product %1: kept 9 stock items, 3 licences (0 temporary); counted 2, 3 (1)")
            .arg(r.desktop),
        QStringLiteral("product %1: kept 0 stock items, 0 licences (0 temporary); counted 0, 1 (1)")
            .arg(r.suite),
    };
    EXPECT_EQ(store::productCountProblems(r.t.db(), -1), wrong);
    EXPECT_EQ(store::productCountProblems(r.t.db(), 1), wrong.mid(0, 1));
    EXPECT_EQ(store::recountProducts(r.t.db()), wrong);
    r.expectPagesMatchTheItems();
    EXPECT_EQ(store::recountProducts(r.t.db()), QStringList());
}

namespace {

// Takes a register back to the version before the kept counts: no table,
// no triggers, none of the later versions' indexes, stamped 7.
void backToVersion7(store::Database& db) {
    const char* const triggers[][2] = {
        {"trProductsCountRemove", "Products"}, {"trStockCountAdd", "Stock"},
        {"trStockCountChange", "Stock"},       {"trStockCountRemove", "Stock"},
        {"trLicencesCountAdd", "Licences"},    {"trLicencesCountChange", "Licences"},
        {"trLicencesCountRemove", "Licences"},
    };
    for (const auto& trigger : triggers)
        db.run(db.onServer()
                   ? QStringLiteral("DROP TRIGGER %1 ON %2")
                         .arg(QString::fromLatin1(trigger[0]), QString::fromLatin1(trigger[1]))
                   : QStringLiteral("DROP TRIGGER %1").arg(QString::fromLatin1(trigger[0])));
    db.run(QStringLiteral("DROP TABLE ProductCounts"));
    db.run(QStringLiteral("DROP INDEX ixProductsDescOrder"));
    db.setUserVersion(7);
}

} // namespace

TEST(ProductCounts, ARegisterOfVersion7IsCountedByItsMigration) {
    CountedRegister r;
    backToVersion7(r.t.db());
    r.addItems();
    r.onStock("S1", "Loc_ID = 5");
    r.onLicence("K3", "Loc_ID = 2");
    EXPECT_EQ(store::checkSchema(r.t.db()), 7);
    EXPECT_EQ(r.t.db().userVersion(), store::SchemaVersion);
    r.expectPagesMatchTheItems();
    EXPECT_EQ(r.t.value(QStringLiteral("SELECT Stock_Count || '/' || Licence_Count || '/' || "
                                       "Temp_Count FROM ProductCounts WHERE Prod_ID = ?"),
                        r.desktop),
              QStringLiteral("1/4/1"));
    // The triggers came with it: later writes are counted too.
    r.onStock("S2", "Loc_ID = 5");
    r.onLicence("K2", "Type = 'N'");
    r.expectPagesMatchTheItems();
}
