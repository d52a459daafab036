#include "assets/clsStock.h"
#include "store/Database.h"
#include "store/StoreConstants.h"
#include "support/ScriptedMessages.h"
#include "support/StatementLog.h"
#include "support/TestDatabase.h"
#include "support/TestHooks.h"

#include <gtest/gtest.h>

#include <optional>

using assets::ContentsList;
using common::ListRow;
using common::ListRows;

namespace {

// One location with a sub-location, two categories and four products whose
// descriptions sort differently from their codes and ids.
class LocationContents : public ::testing::Test {
protected:
    void SetUp() override {
        office = t.addLocation(QStringLiteral("Office"), 1, 2, 1);
        cupboard = t.addLocation(QStringLiteral("Cupboard"), office, 3, 1);
        const int pcs = t.addCategory(QStringLiteral("  PCs  "));
        const int soft = t.addCategory(QStringLiteral("Software"));
        zebra = t.addProduct(QStringLiteral("Z1"), QStringLiteral("Zebra printer"), pcs);
        apple = t.addProduct(QStringLiteral("A1"), QStringLiteral("apple desktop"), pcs);
        word = t.addProduct(QStringLiteral("W1"), QStringLiteral("Word"), soft);
        excel = t.addProduct(QStringLiteral("E1"), QStringLiteral("Excel"), soft);
        antivirus = t.addProduct(QStringLiteral("V1"), QStringLiteral("Antivirus"), soft);
    }

    // A list read a slice at a time to its end; each slice at least as large
    // as asked unless it is the last.
    ListRows readInSlices(assets::clsStock& stock, int loc, assets::ContentsList list, int count) {
        ListRows out;
        std::optional<assets::ContentsPlace> place = assets::ContentsPlace{};
        for (int read = 0; place; ++read) {
            assets::ContentsSlice slice = stock.LocationContentsFrom(loc, list, *place, count);
            if (slice.next) {
                EXPECT_GE(static_cast<int>(slice.rows.size()), count) << "slice " << read;
            }
            out.insert(out.end(), slice.rows.begin(), slice.rows.end());
            place = slice.next;
            if (read > 100000) {
                ADD_FAILURE() << "the reading never ends";
                break;
            }
        }
        return out;
    }

    // The lists as one statement each puts them in order through the
    // engine's collation.
    assets::LocationContents sortedByTheEngine(int loc) {
        assets::LocationContents out;
        store::Query s(t.db(), QStringLiteral("SELECT p.Prod_ID, p.Prod_Code, p.Prod_Desc, "
                                              "c.Cat_Desc, count(*) AS n FROM Stock x JOIN "
                                              "Products p ON p.Prod_ID = x.Prod_ID JOIN Categories "
                                              "c ON c.Cat_ID = p.Prod_Cat_ID WHERE x.Loc_ID = ? "
                                              "GROUP BY p.Prod_ID, p.Prod_Code, p.Prod_Desc, "
                                              "c.Cat_Desc ORDER BY p.Prod_Desc") +
                                   store::IgnoreCase + QStringLiteral(", p.Prod_ID"));
        s.bindAll(loc);
        while (s.next())
            out.stock.push_back(
                {QStringLiteral("S") + s.rawTextAt(0),
                 {s.text(QStringLiteral("Prod_Code")), s.text(QStringLiteral("Prod_Desc")),
                  s.text(QStringLiteral("Cat_Desc")), s.rawTextAt(4)}});
        store::Query l(t.db(),
                       QStringLiteral("SELECT p.Prod_ID, p.Prod_Code, p.Prod_Desc, c.Cat_Desc, "
                                      "sum(CASE WHEN x.Type = ? THEN 1 ELSE 0 END) AS n, "
                                      "sum(CASE WHEN x.Type = ? THEN 1 ELSE 0 END) AS t FROM "
                                      "Licences x JOIN Products p ON p.Prod_ID = x.Prod_ID JOIN "
                                      "Categories c ON c.Cat_ID = p.Prod_Cat_ID WHERE x.Loc_ID = ? "
                                      "GROUP BY p.Prod_ID, p.Prod_Code, p.Prod_Desc, c.Cat_Desc "
                                      "ORDER BY CASE WHEN sum(CASE WHEN x.Type = ? THEN 1 ELSE 0 "
                                      "END) = 0 THEN 1 ELSE 0 END, p.Prod_Desc") +
                           store::IgnoreCase + QStringLiteral(", p.Prod_ID"));
        l.bindAll(store::LicenceNormal, store::LicenceTemporary, loc, store::LicenceNormal);
        while (l.next())
            out.licences.push_back(
                {QStringLiteral("L") + l.rawTextAt(0),
                 {l.text(QStringLiteral("Prod_Code")), l.text(QStringLiteral("Prod_Desc")),
                  l.text(QStringLiteral("Cat_Desc")), l.rawTextAt(4), l.rawTextAt(5)}});
        return out;
    }

    testing_support::TestDatabase t;
    testing_support::ScriptedMessages messages;
    testing_support::TestHooks hooks;
    int office = 0, cupboard = 0;
    int zebra = 0, apple = 0, word = 0, excel = 0, antivirus = 0;
};

} // namespace

TEST_F(LocationContents, StockRowsCountItemsPerProductOrderedByDescription) {
    for (const char* code : {"S1", "S2", "S3"})
        t.addStock(QString::fromLatin1(code), zebra, office);
    t.addStock(QStringLiteral("S4"), apple, office);
    t.addStock(QStringLiteral("S5"), apple, cupboard); // in a sub-location: not counted
    t.addStock(QStringLiteral("S6"), zebra, store::loc::RemovedStock);

    assets::clsStock stock(t.db(), messages, hooks.clock);
    const auto contents = stock.FillStockListUsingLocation(office);
    const ListRows expected{
        {QStringLiteral("S%1").arg(apple), {"A1", "apple desktop", "PCs", "1"}},
        {QStringLiteral("S%1").arg(zebra), {"Z1", "Zebra printer", "PCs", "3"}},
    };
    EXPECT_EQ(contents.stock, expected);
    EXPECT_TRUE(contents.licences.empty());
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(LocationContents, LicenceRowsPutTemporaryOnlyProductsAfterTheOthers) {
    t.addLicence(QStringLiteral("K1"), word, office, store::LicenceNormal);
    t.addLicence(QStringLiteral("K2"), word, office, store::LicenceNormal);
    t.addLicence(QStringLiteral("K3"), word, office, store::LicenceTemporary);
    t.addLicence(QStringLiteral("K4"), excel, office, store::LicenceNormal);
    // Only temporary licences: after every product with normal ones, even
    // though its description sorts first.
    t.addLicence(QStringLiteral("K5"), antivirus, office, store::LicenceTemporary);
    t.addLicence(QStringLiteral("K6"), antivirus, cupboard, store::LicenceNormal);

    assets::clsStock stock(t.db(), messages, hooks.clock);
    const auto contents = stock.FillStockListUsingLocation(office);
    const ListRows expected{
        {QStringLiteral("L%1").arg(excel), {"E1", "Excel", "Software", "1", "0"}},
        {QStringLiteral("L%1").arg(word), {"W1", "Word", "Software", "2", "1"}},
        {QStringLiteral("L%1").arg(antivirus), {"V1", "Antivirus", "Software", "0", "1"}},
    };
    EXPECT_EQ(contents.licences, expected);
    EXPECT_TRUE(contents.stock.empty());
}

TEST_F(LocationContents, RootAndEmptyLocationsGiveEmptyLists) {
    t.addStock(QStringLiteral("S1"), zebra, cupboard);
    assets::clsStock stock(t.db(), messages, hooks.clock);
    for (int loc : {store::loc::None, office, store::loc::AvailableLocations}) {
        const auto contents = stock.FillStockListUsingLocation(loc);
        EXPECT_TRUE(contents.stock.empty()) << loc;
        EXPECT_TRUE(contents.licences.empty()) << loc;
    }
}

// Lists of more products than a part read whole are read by walking the
// products in their order. Read a slice at a time, whatever the slice's
// size, they are the rows the engine's own collated sort gives: equal
// descriptions but for case or accent, ids against the description order,
// products with both kinds of licence, and more than a whole part of
// products with temporary licences only. A small location, read whole and
// put in order in memory, gives the engine's order too.
TEST_F(LocationContents, ListsReadInSlicesAreTheEnginesSortedListsWhateverTheSlice) {
    const int cat = t.addCategory(QStringLiteral("Wide"));
    const QStringList bases{QStringLiteral("mouse"),    QStringLiteral("Mouse"),
                            QString::fromUtf8("écran"), QStringLiteral("Ecran"),
                            QStringLiteral("adapter"),  QStringLiteral("MONITOR")};
    constexpr int Many = assets::clsStock::WholePartProducts + 30;
    {
        store::Transaction tx(t.db());
        for (int i = 0; i < 2 * Many; ++i) {
            // Descending numbers against ascending ids; every description
            // shared by a few products.
            const int prod = t.addProduct(
                QStringLiteral("P%1").arg(i),
                bases[i % bases.size()] + QStringLiteral(" %1").arg((2 * Many - i) / 4), cat);
            if (i < Many) {
                t.addStock(QStringLiteral("S-%1").arg(i), prod, office);
                if (i % 3 == 0)
                    t.addStock(QStringLiteral("S2-%1").arg(i), prod, office);
                t.addLicence(QStringLiteral("N-%1").arg(i), prod, office, store::LicenceNormal);
                if (i % 4 == 0)
                    t.addLicence(QStringLiteral("T-%1").arg(i), prod, office,
                                 store::LicenceTemporary);
            } else {
                t.addLicence(QStringLiteral("T-%1").arg(i), prod, office, store::LicenceTemporary);
                if (i % 5 == 0)
                    t.addLicence(QStringLiteral("T2-%1").arg(i), prod, office,
                                 store::LicenceTemporary);
            }
            // A few of them at the small location too, in pairs that differ
            // only by case or accent.
            if (i % 97 < 2) {
                t.addStock(QStringLiteral("C-%1").arg(i), prod, cupboard);
                t.addLicence(QStringLiteral("C-%1").arg(i), prod, cupboard,
                             i % 2 == 0 ? store::LicenceNormal : store::LicenceTemporary);
            }
        }
        tx.commit();
    }
    assets::clsStock stock(t.db(), messages, hooks.clock);
    for (const int loc : {office, cupboard}) {
        SCOPED_TRACE(loc);
        const assets::LocationContents expected = sortedByTheEngine(loc);
        ASSERT_GT(expected.licences.size(), size_t{8});
        const assets::LocationContents whole = stock.FillStockListUsingLocation(loc);
        EXPECT_EQ(whole.stock, expected.stock);
        EXPECT_EQ(whole.licences, expected.licences);
        for (const int slice : {13, 250, 3 * Many}) {
            SCOPED_TRACE(slice);
            EXPECT_EQ(readInSlices(stock, loc, ContentsList::Stock, slice), expected.stock);
            EXPECT_EQ(readInSlices(stock, loc, ContentsList::Licences, slice), expected.licences);
        }
    }
    EXPECT_TRUE(messages.shown().empty());
}

// A slice of a wide location walks the products' own index and finds each
// product's items through the location's index; nothing is sorted.
TEST_F(LocationContents, AWideListsSlicesWalkTheProductsIndex) {
    SKIP_ON_SERVER("reads SQLite's query plans");
    const int cat = t.addCategory(QStringLiteral("Wide"));
    {
        store::Transaction tx(t.db());
        for (int i = 0; i <= assets::clsStock::WholePartProducts; ++i) {
            const int prod = t.addProduct(QStringLiteral("P%1").arg(i),
                                          QStringLiteral("Product %1").arg(i), cat);
            t.addStock(QStringLiteral("S-%1").arg(i), prod, office);
            t.addLicence(QStringLiteral("N-%1").arg(i), prod, office, store::LicenceNormal);
            t.addLicence(QStringLiteral("T-%1").arg(i), prod, office, store::LicenceTemporary);
        }
        tx.commit();
    }
    assets::clsStock stock(t.db(), messages, hooks.clock);
    QStringList walks;
    for (const ContentsList list : {ContentsList::Stock, ContentsList::Licences}) {
        testing_support::StatementLog log(t.db());
        const assets::ContentsSlice first = stock.LocationContentsFrom(office, list, {}, 10);
        ASSERT_TRUE(first.next.has_value());
        EXPECT_TRUE(first.next->walking);
        stock.LocationContentsFrom(office, list, *first.next, 10);
        log.stop();
        for (const QString& sql : log.texts())
            if (sql.contains(QStringLiteral("ORDER BY")))
                walks << sql;
    }
    // Each list's first slice and the one after it.
    ASSERT_EQ(walks.size(), 4) << walks.join(QLatin1Char('\n')).toStdString();
    for (const QString& sql : walks) {
        const QString plan = testing_support::StatementLog::planOf(t.db(), sql);
        const std::string shown = (sql + QLatin1Char('\n') + plan).toStdString();
        EXPECT_TRUE(plan.contains(QStringLiteral("ixProductsDescOrder"))) << shown;
        EXPECT_TRUE(plan.contains(QStringLiteral("ixStockLocationProduct")) ||
                    plan.contains(QStringLiteral("ixLicencesLocationType")))
            << shown;
        EXPECT_FALSE(plan.contains(QStringLiteral("TEMP B-TREE"))) << shown;
    }
}
