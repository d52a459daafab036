#include "allocation/clsAllocations.h"
#include "common/NodeKey.h"
#include "common/TreeImages.h"
#include "store/StoreConstants.h"

#include "support/QtPrinting.h"
#include "support/ScriptedMessages.h"
#include "support/StatementLog.h"
#include "support/TestDatabase.h"
#include "support/TestHooks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

namespace image = common::image;
using allocation::clsAllocations;
using common::MessageKind;
using locations::TreeNode;

namespace {

// A register with:
//   1 Available Locations / Office (live), Store (live)
//   2 Available Licences / Lab
//   3 Removed Locations / Old room (removed)
// Products "word processor" and "ZIP tool" (licences) and "desk PC" (stock).
class Allocations : public ::testing::Test {
protected:
    Allocations() {
        office = t.addLocation(QStringLiteral("Office "), 1, 2, 1);
        storeRoom = t.addLocation(QStringLiteral("store"), 1, 2, 1);
        lab = t.addLocation(QStringLiteral("Lab"), 2, 2, 2);
        oldRoom = t.addLocation(QStringLiteral("Old room"), 3, 2, 3);
        const int cat = t.addCategory(QStringLiteral("All"));
        word = t.addProduct(QStringLiteral("W"), QStringLiteral("word processor"), cat);
        zip = t.addProduct(QStringLiteral("Z"), QStringLiteral("ZIP tool"), cat);
        pc = t.addProduct(QStringLiteral("P"), QStringLiteral("desk PC"), cat);
    }

    // The logic's moves, with the node keys as the tree writes them.
    std::optional<allocation::MoveUpdate> moveStockLic(const QString& dragged, const QString& from,
                                                       const QString& target) {
        return logic.MoveStockLic(common::parseNodeKey(dragged), common::parseNodeKey(from),
                                  common::parseNodeKey(target));
    }
    allocation::MoveResult moveItemsWithUpdates(const QStringList& keys, int locId, bool whole) {
        std::vector<common::NodeKey> items;
        for (const QString& key : keys)
            items.push_back(common::parseNodeKey(key));
        return logic.MoveItems(items, locId, whole);
    }
    int moveItems(const QStringList& keys, int locId, bool whole) {
        return moveItemsWithUpdates(keys, locId, whole).moved;
    }

    // The text of each node by key, from a full fill.
    std::map<QString, std::pair<QString, QString>> filled() {
        std::map<QString, std::pair<QString, QString>> out; // key -> (parent, text)
        for (const TreeNode& n : logic.FillAllocationItems())
            out[n.key] = {n.parentKey, n.text};
        return out;
    }

    int locationOf(const char* table, const char* idColumn, int id) {
        return t
            .value(QStringLiteral("SELECT Loc_ID FROM %1 WHERE %2 = ?")
                       .arg(QString::fromLatin1(table), QString::fromLatin1(idColumn)),
                   id)
            .value_or(QStringLiteral("-1"))
            .toInt();
    }

    QStringList history(int itemId, const QString& type) {
        QStringList out;
        store::Query q(t.db(), QStringLiteral("SELECT Loc_Desc FROM StockHistory WHERE "
                                              "Stock_Lic_ID = ? AND Type = ? ORDER BY move_date"));
        q.bindAll(itemId, type);
        while (q.next())
            out << q.rawText(QStringLiteral("Loc_Desc"));
        return out;
    }

    static QString shape(const TreeNode& n) {
        return QStringLiteral("%1 > %2 %3 [%4]").arg(n.parentKey, n.key, n.text).arg(n.image);
    }
    // The shapes of the nodes of a full fill that hang under a location.
    static QStringList shapesUnder(const std::vector<TreeNode>& all, int locId) {
        QStringList out;
        for (const TreeNode& n : all)
            if (n.parentKey == QStringLiteral("L%1").arg(locId))
                out << shape(n);
        return out;
    }
    // A location's items read a batch at a time to the end, as the tree
    // reads them; each batch at least as large as asked unless it is the
    // last.
    QStringList readInBatches(int locId, int batch) {
        QStringList out;
        std::optional<allocation::ItemsPlace> place = allocation::ItemsPlace{};
        for (int read = 0; place; ++read) {
            const allocation::ItemsBatch b = logic.LocationItemsFrom(locId, *place, batch);
            if (b.next) {
                EXPECT_GE(static_cast<int>(b.nodes.size()), batch) << "batch " << read;
            }
            for (const TreeNode& n : b.nodes)
                out << shape(n);
            place = b.next;
            if (read > 100000) {
                ADD_FAILURE() << "the reading never ends";
                break;
            }
        }
        return out;
    }

    static QStringList texts(const std::vector<TreeNode>& nodes) {
        QStringList out;
        for (const TreeNode& n : nodes)
            out << n.key + QStringLiteral(" ") + n.text;
        return out;
    }

    testing_support::TestDatabase t;
    testing_support::ScriptedMessages messages;
    testing_support::TestHooks hooks;
    clsAllocations logic{t.db(), messages, hooks.clock};
    int office = 0, storeRoom = 0, lab = 0, oldRoom = 0, word = 0, zip = 0, pc = 0;
};

} // namespace

TEST_F(Allocations, TheFillPutsStockAndLicenceGroupsUnderTheirLocationsInDescriptionOrder) {
    const int s1 = t.addStock(QStringLiteral(" ab-1 "), pc, office);
    const int s2 = t.addStock(QStringLiteral("AB-2"), pc, store::loc::RemovedStock);
    for (int i = 0; i < 3; ++i)
        t.addLicence(QStringLiteral("W%1").arg(i), word, lab, store::LicenceNormal);
    t.addLicence(QStringLiteral("Z1"), zip, lab, store::LicenceTemporary);
    t.addLicence(QStringLiteral("W9"), word, store::loc::RemovedLicences, store::LicenceTemporary);

    const std::vector<TreeNode> nodes = logic.FillAllocationItems();
    struct Expected {
        QString key, parent, text;
        int image;
    };
    const Expected expected[] = {
        {QStringLiteral("S%1").arg(s1), QStringLiteral("L%1").arg(office), "Desk Pc - (ab-1)",
         image::Stock},
        {QStringLiteral("S%1").arg(s2), "L5", "Desk Pc - (AB-2)", image::RemovedStock},
        {QStringLiteral("N%1-%2").arg(word).arg(lab), QStringLiteral("L%1").arg(lab),
         "Word Processor - (Licences x 3)", image::Licence},
        {QStringLiteral("T%1-4").arg(word), "L4", "Word Processor - (Temp Licences x 1)",
         image::RemovedTemporaryLicence},
        {QStringLiteral("T%1-%2").arg(zip).arg(lab), QStringLiteral("L%1").arg(lab),
         "Zip Tool - (Temp Licences x 1)", image::TemporaryLicence},
    };
    ASSERT_EQ(nodes.size(), std::size(expected))
        << texts(nodes).join(QStringLiteral("; ")).toStdString();
    for (size_t i = 0; i < nodes.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(nodes[i].key, expected[i].key);
        EXPECT_EQ(nodes[i].parentKey, expected[i].parent);
        EXPECT_EQ(nodes[i].text, expected[i].text);
        EXPECT_EQ(nodes[i].image, expected[i].image);
        EXPECT_FALSE(nodes[i].expanded);
    }
}

TEST_F(Allocations, ALocationsOwnItemsAreThoseTheFullFillHangsUnderItInTheSameOrder) {
    // Products whose description order differs from their id order and
    // from a case-sensitive one; stock of two products at one place, both
    // kinds of licence group at two, removed items.
    const int cat = t.addCategory(QStringLiteral("More"));
    const int apple = t.addProduct(QStringLiteral("A"), QStringLiteral("apple mac"), cat);
    const int ids[] = {t.addStock(QStringLiteral("P-2"), pc, office),
                       t.addStock(QStringLiteral("A-1"), apple, office),
                       t.addStock(QStringLiteral("P-1"), pc, office),
                       t.addStock(QStringLiteral("A-9"), apple, storeRoom),
                       t.addStock(QStringLiteral("P-R"), pc, store::loc::RemovedStock)};
    for (const int loc : {lab, office}) {
        t.addLicence(QStringLiteral("Z%1").arg(loc), zip, loc, store::LicenceNormal);
        t.addLicence(QStringLiteral("W%1").arg(loc), word, loc, store::LicenceNormal);
        t.addLicence(QStringLiteral("V%1").arg(loc), word, loc, store::LicenceNormal);
        t.addLicence(QStringLiteral("T%1").arg(loc), word, loc, store::LicenceTemporary);
    }
    t.addLicence(QStringLiteral("R1"), zip, store::loc::RemovedLicences, store::LicenceTemporary);

    const std::vector<TreeNode> all = logic.FillAllocationItems();
    for (const int loc : {office, storeRoom, lab, oldRoom, int(store::loc::RemovedStock),
                          int(store::loc::RemovedLicences), int(store::loc::AvailableLocations)}) {
        SCOPED_TRACE(loc);
        const QStringList expected = shapesUnder(all, loc);
        // Read a batch at a time, one item or several to a batch.
        for (const int batch : {1, 2, 200}) {
            SCOPED_TRACE(batch);
            EXPECT_EQ(readInBatches(loc, batch), expected);
        }
        EXPECT_EQ(logic.HoldsItems(loc), !expected.isEmpty());
    }
    // The holders of a level at once: those HoldsItems names one by one.
    const std::pair<int, QSet<int>> levels[] = {
        {store::loc::AvailableLocations, {office, storeRoom}},
        {store::loc::AvailableLicences, {lab}},
        {store::loc::RemovedLocations, {}},
        {office, {}},
    };
    for (const auto& [parent, holders] : levels)
        EXPECT_EQ(logic.ChildrenHoldingItems(parent), holders) << parent;
    // A stock item's node alone is the one the fill makes.
    for (const int id : ids) {
        const auto node = logic.StockNode(id);
        ASSERT_TRUE(node.has_value()) << id;
        const auto in = std::find_if(all.begin(), all.end(), [&](const TreeNode& n) {
            return n.key == QStringLiteral("S%1").arg(id);
        });
        ASSERT_NE(in, all.end());
        EXPECT_EQ(shape(*node), shape(*in));
        EXPECT_EQ(logic.StockLocation(id), common::idOfKey(in->parentKey));
    }
    EXPECT_FALSE(logic.StockNode(ids[4] + 100).has_value());
    EXPECT_FALSE(logic.StockLocation(ids[4] + 100).has_value());
}

// A location holding more than a part read whole is read by walking the
// products in their order: the batches together are the full fill's items
// under it, whatever the batch's size. Descriptions equal but for case,
// ids against the description order, and stock of one product spread over
// many batches.
TEST_F(Allocations, AWideLocationReadInBatchesGivesTheFullFillsItems) {
    const int cat = t.addCategory(QStringLiteral("Wide"));
    std::vector<int> products;
    for (const char* desc :
         {"mouse", "Mouse", "keyboard", "Zebra printer", "écran", "Ecran", "adapter", "MONITOR"})
        products.push_back(
            t.addProduct(QStringLiteral("C%1").arg(products.size()), QString::fromUtf8(desc), cat));
    constexpr int Many = clsAllocations::WholePartRows + 60;
    {
        store::Transaction tx(t.db());
        for (int i = 0; i < Many; ++i) {
            // Most of the stock is of one product, the rest spread.
            const int prod =
                i % 5 == 0 ? products[static_cast<size_t>(i) % products.size()] : products[3];
            t.addStock(QStringLiteral("K-%1").arg(i, 4, 10, QLatin1Char('0')), prod, office);
            t.addLicence(QStringLiteral("N-%1").arg(i), products[static_cast<size_t>(i) % 7], lab,
                         store::LicenceNormal);
        }
        t.addStock(QStringLiteral("ALONE"), pc, office);
        t.addLicence(QStringLiteral("T-1"), word, lab, store::LicenceTemporary);
        t.addLicence(QStringLiteral("N-X"), zip, lab, store::LicenceNormal);
        tx.commit();
    }
    const std::vector<TreeNode> all = logic.FillAllocationItems();
    for (const int loc : {office, lab}) {
        SCOPED_TRACE(loc);
        const QStringList expected = shapesUnder(all, loc);
        ASSERT_GT(expected.size(), 8);
        for (const int batch : {1, 7, 200, Many * 2}) {
            SCOPED_TRACE(batch);
            EXPECT_EQ(readInBatches(loc, batch), expected);
        }
    }
    // A batch read from the middle of a product's stock goes on from there.
    const allocation::ItemsBatch first = logic.LocationItemsFrom(office, {}, 3);
    ASSERT_TRUE(first.next.has_value());
    EXPECT_TRUE(first.next->walking);
    const allocation::ItemsBatch second = logic.LocationItemsFrom(office, *first.next, 3);
    QStringList both;
    for (const auto* b : {&first, &second})
        for (const TreeNode& n : b->nodes)
            both << shape(n);
    EXPECT_EQ(both, shapesUnder(all, office).mid(0, 6));
}

// The walk goes through the products' own index, not a sort of the items:
// the plans of the statements a batch of a wide location runs.
TEST_F(Allocations, AWideLocationsWalkUsesTheProductsIndex) {
    SKIP_ON_SERVER("reads SQLite's query plans");
    {
        store::Transaction tx(t.db());
        for (int i = 0; i <= clsAllocations::WholePartRows; ++i) {
            t.addStock(QStringLiteral("K-%1").arg(i), i % 2 ? pc : zip, office);
            t.addLicence(QStringLiteral("N-%1").arg(i), i % 2 ? word : zip, office,
                         store::LicenceNormal);
        }
        tx.commit();
    }
    testing_support::StatementLog log(t.db());
    std::optional<allocation::ItemsPlace> place = allocation::ItemsPlace{};
    // Into the stock, on from the middle of a product's items, then into
    // the licences.
    for (const int batch : {3, 3, clsAllocations::WholePartRows + 5}) {
        ASSERT_TRUE(place.has_value());
        place = logic.LocationItemsFrom(office, *place, batch).next;
    }
    log.stop();
    QStringList walks;
    for (const QString& sql : log.texts())
        if (sql.contains(QStringLiteral("ORDER BY p.Prod_Desc")))
            walks << sql;
    ASSERT_FALSE(walks.isEmpty());
    bool stock = false, licences = false;
    for (const QString& sql : walks) {
        const QString plan = testing_support::StatementLog::planOf(t.db(), sql);
        const std::string shown = (sql + QLatin1Char('\n') + plan).toStdString();
        EXPECT_TRUE(plan.contains(QStringLiteral("ixProductsDescOrder"))) << shown;
        EXPECT_FALSE(plan.contains(QStringLiteral("TEMP B-TREE"))) << shown;
        stock = stock || plan.contains(QStringLiteral("ixStockLocationProduct"));
        licences = licences || plan.contains(QStringLiteral("ixLicencesLocationType"));
    }
    EXPECT_TRUE(stock);
    EXPECT_TRUE(licences);
}

TEST_F(Allocations, AStockItemMovesWithItsHistoryRowNamingTheStoredDescription) {
    const int item = t.addStock(QStringLiteral("S1"), pc, store::loc::RemovedStock);
    const auto update = moveStockLic(QStringLiteral("S%1").arg(item), QStringLiteral("L5"),
                                     QStringLiteral("L%1").arg(office));
    ASSERT_TRUE(update.has_value());
    EXPECT_EQ(update->kind, QLatin1Char('S'));
    EXPECT_EQ(update->stockKey, QStringLiteral("S%1").arg(item));
    EXPECT_EQ(update->targetLocId, office);
    EXPECT_EQ(locationOf("Stock", "Stock_ID", item), office);
    EXPECT_EQ(history(item, store::HistoryStock), QStringList{"Office"}) << "stored text, trimmed";
    EXPECT_EQ(t.value(QStringLiteral("SELECT move_date FROM StockHistory")),
              QStringLiteral("2026-12-10 09:30:00.000"));
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(Allocations, OneLicenceOfAGroupMovesAndBothGroupsAreCountedAgain) {
    std::vector<int> ids;
    for (int i = 0; i < 3; ++i)
        ids.push_back(t.addLicence(QStringLiteral("W%1").arg(i), word, lab, store::LicenceNormal));
    const QString group = QStringLiteral("N%1-%2").arg(word).arg(lab);

    auto update =
        moveStockLic(group, QStringLiteral("L%1").arg(lab), QStringLiteral("L%1").arg(office));
    ASSERT_TRUE(update.has_value());
    EXPECT_EQ(texts(update->sourceGroups),
              QStringList{group + QStringLiteral(" Word Processor - (Licences x 2)")});
    EXPECT_EQ(texts(update->targetGroups),
              QStringList{
                  QStringLiteral("N%1-%2 Word Processor - (Licences x 1)").arg(word).arg(office)});
    // The lowest id goes first, every time.
    EXPECT_EQ(locationOf("Licences", "Licence_ID", ids[0]), office);
    EXPECT_EQ(history(ids[0], store::HistoryLicence), QStringList{"Office"});

    moveStockLic(group, QStringLiteral("L%1").arg(lab), QStringLiteral("L%1").arg(office));
    update = moveStockLic(group, QStringLiteral("L%1").arg(lab), QStringLiteral("L%1").arg(office));
    ASSERT_TRUE(update.has_value());
    EXPECT_TRUE(update->sourceGroups.empty()) << "the last licence left";
    EXPECT_EQ(texts(update->targetGroups),
              QStringList{
                  QStringLiteral("N%1-%2 Word Processor - (Licences x 3)").arg(word).arg(office)});
}

TEST_F(Allocations, TemporaryGroupsOfTwoProductsAtOneLocationStayApart) {
    t.addLicence(QStringLiteral("W1"), word, store::loc::RemovedLicences, store::LicenceTemporary);
    t.addLicence(QStringLiteral("W2"), word, store::loc::RemovedLicences, store::LicenceTemporary);
    t.addLicence(QStringLiteral("Z1"), zip, store::loc::RemovedLicences, store::LicenceTemporary);
    const auto update = moveStockLic(QStringLiteral("T%1-4").arg(zip), QStringLiteral("L4"),
                                     QStringLiteral("L%1").arg(lab));
    ASSERT_TRUE(update.has_value());
    // The update names the moved product's groups only: gone from where
    // it was, new where it went.
    EXPECT_EQ(update->products, std::vector<int>{zip});
    EXPECT_TRUE(update->sourceGroups.empty());
    ASSERT_EQ(update->targetGroups.size(), 1u);
    EXPECT_EQ(update->targetGroups[0].text, QStringLiteral("Zip Tool - (Temp Licences x 1)"));
    EXPECT_EQ(update->targetGroups[0].image, image::TemporaryLicence);
    // The other product's group stayed apart, as it was.
    const std::vector<TreeNode> left =
        logic.LicenceGroups(QLatin1Char('T'), store::loc::RemovedLicences, {zip, word});
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].text, QStringLiteral("Word Processor - (Temp Licences x 2)"));
    EXPECT_EQ(left[0].image, image::RemovedTemporaryLicence);
}

TEST_F(Allocations, RefusalsAndFailuresStoreNothing) {
    SKIP_ON_SERVER("plants failures with SQLite triggers");
    const int item = t.addStock(QStringLiteral("S1"), pc, office);
    const QString key = QStringLiteral("S%1").arg(item);
    struct Case {
        const char* name;
        QString dragged, from, target;
        const char* trigger; // makes a statement of the move fail
        MessageKind kind;
        QString message;
    };
    const Case cases[] = {
        {"same location", key, QStringLiteral("L%1").arg(office), QStringLiteral("L%1").arg(office),
         nullptr, MessageKind::Refusal, "You have copied the stock/licence from this location"},
        {"no licence of that kind", QStringLiteral("N%1-%2").arg(word).arg(lab),
         QStringLiteral("L%1").arg(lab), QStringLiteral("L%1").arg(office), nullptr,
         MessageKind::Failure, "Internal Error: Getting a single Licence ID"},
        {"target row gone", key, QStringLiteral("L%1").arg(office), "L99999", nullptr,
         MessageKind::Failure, "Internal Error: Getting Location Description"},
        {"history not written", key, QStringLiteral("L%1").arg(office),
         QStringLiteral("L%1").arg(storeRoom),
         "CREATE TEMP TRIGGER f BEFORE INSERT ON StockHistory BEGIN SELECT RAISE(IGNORE); END",
         MessageKind::Failure, "Internal Error: Inserting into StockHistory"},
        {"item not updated", key, QStringLiteral("L%1").arg(office),
         QStringLiteral("L%1").arg(storeRoom),
         "CREATE TEMP TRIGGER f BEFORE UPDATE ON Stock BEGIN SELECT RAISE(IGNORE); END",
         MessageKind::Failure, "Internal Error: Updating Stock Location"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        t.db().run(QStringLiteral("DROP TRIGGER IF EXISTS temp.f"));
        if (c.trigger)
            t.db().run(QString::fromLatin1(c.trigger));
        EXPECT_FALSE(moveStockLic(c.dragged, c.from, c.target).has_value());
        ASSERT_EQ(messages.shown().size(), 1u);
        EXPECT_EQ(messages.shown()[0].kind, c.kind);
        EXPECT_EQ(messages.texts()[0], c.message);
        EXPECT_EQ(locationOf("Stock", "Stock_ID", item), office);
        EXPECT_EQ(t.count(QStringLiteral("StockHistory")), 0) << "no history row without a move";
    }
}

TEST_F(Allocations, SeveralItemsAndWholeGroupsMoveTogetherOrNotAtAll) {
    SKIP_ON_SERVER("plants failures with SQLite triggers");
    const int s1 = t.addStock(QStringLiteral("S1"), pc, office);
    const int s2 = t.addStock(QStringLiteral("S2"), pc, storeRoom);
    const int here = t.addStock(QStringLiteral("S3"), pc, lab);
    const int l1 = t.addLicence(QStringLiteral("W1"), word, office, store::LicenceNormal);
    const int l2 = t.addLicence(QStringLiteral("W2"), word, office, store::LicenceNormal);
    const QStringList keys{QStringLiteral("S%1").arg(s1), QStringLiteral("S%1").arg(s2),
                           QStringLiteral("S%1").arg(here),
                           QStringLiteral("N%1-%2").arg(word).arg(office)};

    t.db().run(QStringLiteral("CREATE TEMP TRIGGER f BEFORE UPDATE ON Licences "
                              "BEGIN SELECT RAISE(IGNORE); END"));
    EXPECT_EQ(moveItems(keys, lab, true), 0);
    EXPECT_EQ(messages.texts(), QStringList{"Internal Error: Updating Licence Location"});
    EXPECT_EQ(locationOf("Stock", "Stock_ID", s1), office) << "all or none";
    EXPECT_EQ(t.count(QStringLiteral("StockHistory")), 0);

    t.db().run(QStringLiteral("DROP TRIGGER temp.f"));
    messages.clear();
    EXPECT_EQ(moveItems(keys, lab, true), 4) << "the item already there stays";
    for (const auto& [table, column, id] :
         {std::tuple{"Stock", "Stock_ID", s1}, std::tuple{"Stock", "Stock_ID", s2},
          std::tuple{"Licences", "Licence_ID", l1}, std::tuple{"Licences", "Licence_ID", l2}})
        EXPECT_EQ(locationOf(table, column, id), lab) << table << " " << id;
    EXPECT_EQ(t.count(QStringLiteral("StockHistory")), 4);
    EXPECT_TRUE(history(here, store::HistoryStock).isEmpty());
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(Allocations, AGroupAmongSeveralItemsGivesOneLicenceUnlessWholeGroupsAreAsked) {
    const int item = t.addStock(QStringLiteral("S1"), pc, office);
    std::vector<int> ids;
    for (int i = 0; i < 3; ++i)
        ids.push_back(t.addLicence(QStringLiteral("W%1").arg(i), word, lab, store::LicenceNormal));
    const QStringList keys{QStringLiteral("S%1").arg(item),
                           QStringLiteral("N%1-%2").arg(word).arg(lab)};

    EXPECT_EQ(moveItems(keys, storeRoom, false), 2);
    EXPECT_EQ(locationOf("Stock", "Stock_ID", item), storeRoom);
    EXPECT_EQ(locationOf("Licences", "Licence_ID", ids[0]), storeRoom) << "the lowest id";
    EXPECT_EQ(locationOf("Licences", "Licence_ID", ids[1]), lab);
    EXPECT_EQ(locationOf("Licences", "Licence_ID", ids[2]), lab);
    EXPECT_EQ(history(ids[0], store::HistoryLicence), QStringList{"store"});

    EXPECT_EQ(moveItems(keys, office, true), 3) << "the stock item and the two left";
    for (const int id : ids)
        EXPECT_EQ(locationOf("Licences", "Licence_ID", id), id == ids[0] ? storeRoom : office);
    EXPECT_EQ(t.count(QStringLiteral("StockHistory")), 5);
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(Allocations, TheLowestLicenceIdLeavesAGroupWhateverOrderTheEngineReadsIn) {
    // The lowest id came to the lab last, and the engine is told to read
    // unordered rows backwards: only an explicit choice of the lowest id
    // finds it.
    const int lowest = t.addLicence(QStringLiteral("W0"), word, office, store::LicenceNormal);
    const int second = t.addLicence(QStringLiteral("W1"), word, lab, store::LicenceNormal);
    const int third = t.addLicence(QStringLiteral("W2"), word, lab, store::LicenceNormal);
    t.db().execute(QStringLiteral("UPDATE Licences SET Loc_ID = ? WHERE Licence_ID = ?"), lab,
                   lowest);
    t.db().run(QStringLiteral("PRAGMA reverse_unordered_selects = ON"));
    const QString group = QStringLiteral("N%1-%2").arg(word).arg(lab);

    ASSERT_TRUE(
        moveStockLic(group, QStringLiteral("L%1").arg(lab), QStringLiteral("L%1").arg(office))
            .has_value());
    EXPECT_EQ(locationOf("Licences", "Licence_ID", lowest), office) << "one drag";
    EXPECT_EQ(locationOf("Licences", "Licence_ID", second), lab);

    const int stockItem = t.addStock(QStringLiteral("S1"), pc, office);
    EXPECT_EQ(moveItems({QStringLiteral("S%1").arg(stockItem), group}, storeRoom, false), 2);
    EXPECT_EQ(locationOf("Licences", "Licence_ID", second), storeRoom) << "several at once";
    EXPECT_EQ(locationOf("Licences", "Licence_ID", third), lab);
}

TEST_F(Allocations, AGroupAlreadyAtTheTargetIsLeftAsItIsInAMoveOfSeveral) {
    const int item = t.addStock(QStringLiteral("S1"), pc, office);
    const int l1 = t.addLicence(QStringLiteral("W1"), word, lab, store::LicenceNormal);
    const int l2 = t.addLicence(QStringLiteral("W2"), word, lab, store::LicenceTemporary);
    const QStringList keys{QStringLiteral("N%1-%2").arg(word).arg(lab),
                           QStringLiteral("S%1").arg(item),
                           QStringLiteral("T%1-%2").arg(word).arg(lab)};
    for (const bool whole : {false, true}) {
        SCOPED_TRACE(whole ? "whole groups" : "one licence each");
        t.db().execute(QStringLiteral("UPDATE Stock SET Loc_ID = ?"), office);
        t.db().run(QStringLiteral("DELETE FROM StockHistory"));
        EXPECT_EQ(moveItems(keys, lab, whole), 1);
        EXPECT_EQ(locationOf("Stock", "Stock_ID", item), lab);
        EXPECT_EQ(locationOf("Licences", "Licence_ID", l1), lab);
        EXPECT_EQ(locationOf("Licences", "Licence_ID", l2), lab);
        EXPECT_EQ(t.count(QStringLiteral("StockHistory")), 1) << "the stock item's row alone";
        EXPECT_TRUE(history(l1, store::HistoryLicence).isEmpty());
        EXPECT_TRUE(history(l2, store::HistoryLicence).isEmpty());
    }
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(Allocations, AMoveOfSeveralTellsTheTreeEachChangeOnce) {
    SKIP_ON_SERVER("plants failures with SQLite triggers");
    const int s1 = t.addStock(QStringLiteral("S1"), pc, office);
    const int s2 = t.addStock(QStringLiteral("S2"), pc, store::loc::RemovedStock);
    for (int i = 0; i < 3; ++i)
        t.addLicence(QStringLiteral("W%1").arg(i), word, lab, store::LicenceNormal);
    t.addLicence(QStringLiteral("Z1"), zip, lab, store::LicenceNormal);
    const QStringList keys{QStringLiteral("S%1").arg(s1), QStringLiteral("S%1").arg(s2),
                           QStringLiteral("N%1-%2").arg(word).arg(lab),
                           QStringLiteral("N%1-%2").arg(zip).arg(lab)};

    const allocation::MoveResult result = moveItemsWithUpdates(keys, storeRoom, true);
    EXPECT_EQ(result.moved, 6);
    ASSERT_EQ(result.updates.size(), 3u) << "two stock nodes, and one recount of the lab's groups";
    EXPECT_EQ(result.updates[0].stockKey, QStringLiteral("S%1").arg(s1));
    EXPECT_EQ(result.updates[0].sourceLocId, office);
    EXPECT_EQ(result.updates[1].stockKey, QStringLiteral("S%1").arg(s2));
    EXPECT_EQ(result.updates[1].sourceLocId, store::loc::RemovedStock);
    const allocation::MoveUpdate& groups = result.updates[2];
    EXPECT_EQ(groups.kind, QLatin1Char('N'));
    EXPECT_EQ(groups.sourceLocId, lab);
    EXPECT_EQ(groups.targetLocId, storeRoom);
    EXPECT_TRUE(groups.sourceGroups.empty());
    EXPECT_EQ(texts(groups.targetGroups),
              (QStringList{
                  QStringLiteral("N%1-%2 Word Processor - (Licences x 3)").arg(word).arg(storeRoom),
                  QStringLiteral("N%1-%2 Zip Tool - (Licences x 1)").arg(zip).arg(storeRoom)}));

    // After a message nothing moved and the tree is told nothing.
    t.db().run(QStringLiteral("CREATE TEMP TRIGGER f BEFORE UPDATE ON Stock "
                              "BEGIN SELECT RAISE(IGNORE); END"));
    const allocation::MoveResult refused = moveItemsWithUpdates(keys, office, true);
    EXPECT_EQ(refused.moved, 0);
    EXPECT_TRUE(refused.updates.empty());
}

TEST(AllocationRules, DropTargetsAreKnownByKeyAndImageNeverByText) {
    struct Case {
        const char* key;
        int image;
        bool target;
    };
    const Case cases[] = {
        {"L1", image::SystemNode, true},  {"L2", image::SystemNode, true},
        {"L7", image::Location, true},    {"L3", image::SystemNode, false},
        {"L4", image::SystemNode, false}, {"L5", image::SystemNode, false},
        {"L0", image::SystemNode, false}, {"L8", image::RemovedLocation, false},
        {"S7", image::Stock, false},      {"N1-2", image::Licence, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(clsAllocations::IsDropTarget(QString::fromLatin1(c.key), c.image), c.target)
            << c.key;
    for (int i = 1; i <= image::Count; ++i) {
        const bool item = i == image::Stock || i == image::Licence ||
                          i == image::TemporaryLicence || i == image::RemovedStock ||
                          i == image::RemovedLicence || i == image::RemovedTemporaryLicence;
        EXPECT_EQ(clsAllocations::IsItem(i), item) << i;
    }
}

// ---- Undoing the last move ------------------------------------------------------------

TEST_F(Allocations, UndoMovesEveryItemOfTheLastMoveBackWithANewHistoryRow) {
    const int removedPc = t.addStock(QStringLiteral("S1"), pc, store::loc::RemovedStock);
    const int officePc = t.addStock(QStringLiteral("S2"), pc, storeRoom);
    const int w1 = t.addLicence(QStringLiteral("W1"), word, lab, store::LicenceNormal);
    const int w2 = t.addLicence(QStringLiteral("W2"), word, lab, store::LicenceNormal);
    EXPECT_FALSE(logic.CanUndo());
    ASSERT_EQ(moveItems({QStringLiteral("S%1").arg(removedPc), QStringLiteral("S%1").arg(officePc),
                         QStringLiteral("N%1-%2").arg(word).arg(lab)},
                        office, true),
              4);
    ASSERT_TRUE(logic.CanUndo());
    const int rowsBefore = t.count(QStringLiteral("StockHistory"));

    hooks.clock.advance(60);
    const auto updates = logic.UndoLastMove();
    ASSERT_TRUE(updates.has_value());
    EXPECT_TRUE(messages.shown().empty()) << messages.texts().join('\n').toStdString();
    // Each item is back where it came from, with one more row naming it.
    EXPECT_EQ(locationOf("Stock", "Stock_ID", removedPc), store::loc::RemovedStock);
    EXPECT_EQ(locationOf("Stock", "Stock_ID", officePc), storeRoom);
    EXPECT_EQ(locationOf("Licences", "Licence_ID", w1), lab);
    EXPECT_EQ(locationOf("Licences", "Licence_ID", w2), lab);
    EXPECT_EQ(history(removedPc, store::HistoryStock), (QStringList{"Office", "Removed Stock"}));
    EXPECT_EQ(history(officePc, store::HistoryStock), (QStringList{"Office", "store"}));
    EXPECT_EQ(history(w1, store::HistoryLicence), (QStringList{"Office", "Lab"}));
    EXPECT_EQ(history(w2, store::HistoryLicence), (QStringList{"Office", "Lab"}));
    EXPECT_EQ(t.count(QStringLiteral("StockHistory")), rowsBefore + 4) << "no row deleted";

    // What the tree changes: each stock node back under its location, the
    // licence groups counted again at both ends.
    std::map<QString, int> stockTargets;
    const allocation::MoveUpdate* licences = nullptr;
    for (const auto& u : *updates) {
        if (u.kind == QLatin1Char('S'))
            stockTargets[u.stockKey] = u.targetLocId;
        else
            licences = &u;
    }
    EXPECT_EQ(stockTargets, (std::map<QString, int>{
                                {QStringLiteral("S%1").arg(removedPc), store::loc::RemovedStock},
                                {QStringLiteral("S%1").arg(officePc), storeRoom}}));
    ASSERT_NE(licences, nullptr);
    EXPECT_EQ(licences->sourceLocId, office);
    EXPECT_EQ(licences->targetLocId, lab);
    EXPECT_TRUE(licences->sourceGroups.empty());
    EXPECT_EQ(
        texts(licences->targetGroups),
        QStringList{QStringLiteral("N%1-%2 Word Processor - (Licences x 2)").arg(word).arg(lab)});

    // Undone once: nothing is left to undo.
    EXPECT_FALSE(logic.CanUndo());
    EXPECT_FALSE(logic.UndoLastMove());
    EXPECT_EQ(messages.texts(), QStringList{allocation::NothingToUndo});
}

TEST_F(Allocations, UndoTakesBackOnlyTheLatestMove) {
    const int item = t.addStock(QStringLiteral("S1"), pc, storeRoom);
    const QString key = QStringLiteral("S%1").arg(item);
    ASSERT_TRUE(
        moveStockLic(key, QStringLiteral("L%1").arg(storeRoom), QStringLiteral("L%1").arg(office)));
    ASSERT_TRUE(moveStockLic(key, QStringLiteral("L%1").arg(office), QStringLiteral("L1")));
    ASSERT_TRUE(logic.UndoLastMove());
    EXPECT_EQ(locationOf("Stock", "Stock_ID", item), office);
    EXPECT_EQ(history(item, store::HistoryStock),
              (QStringList{"Office", "Available Locations", "Office"}));
    EXPECT_FALSE(logic.UndoLastMove());
}

TEST_F(Allocations, UndoIsRefusedWhenAnythingChangedTheItemsSinceAndChangesNothing) {
    struct Case {
        const char* what;
        std::function<void(int stockId)> meanwhile;
        QString message;
    };
    const Case cases[] = {
        {"moved elsewhere",
         [&](int id) { ASSERT_TRUE(logic.MoveItemToLocation(QLatin1Char('S'), id, lab)); },
         allocation::MovedSince},
        {"moved away and back",
         [&](int id) {
             ASSERT_TRUE(logic.MoveItemToLocation(QLatin1Char('S'), id, lab));
             ASSERT_TRUE(logic.MoveItemToLocation(QLatin1Char('S'), id, office));
         },
         allocation::MovedSince},
        {"deleted",
         [&](int id) {
             ASSERT_EQ(t.db().execute(QStringLiteral("DELETE FROM Stock WHERE Stock_ID = ?"), id),
                       1);
         },
         allocation::MovedSince},
        {"its old location deleted",
         [&](int) {
             ASSERT_EQ(
                 t.db().execute(QStringLiteral("DELETE FROM Locations WHERE Loc_ID = ?"), oldRoom),
                 1);
         },
         allocation::SourceGone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Each case starts from a room of its own under the removed branch.
        oldRoom = t.addLocation(QStringLiteral("Old room"), 3, 2, 3);
        const int item = t.addStock(QStringLiteral("C%1").arg(oldRoom), pc, oldRoom);
        const int other = t.addStock(QStringLiteral("D%1").arg(oldRoom), pc, oldRoom);
        ASSERT_EQ(moveItems({QStringLiteral("S%1").arg(other), QStringLiteral("S%1").arg(item)},
                            office, false),
                  2);
        c.meanwhile(item);
        const int rows = t.count(QStringLiteral("StockHistory"));
        const int otherAt = locationOf("Stock", "Stock_ID", other);
        const int itemAt = locationOf("Stock", "Stock_ID", item);
        messages.clear();
        EXPECT_FALSE(logic.UndoLastMove());
        EXPECT_EQ(messages.texts(), QStringList{c.message});
        ASSERT_EQ(messages.shown().size(), 1u);
        EXPECT_EQ(messages.shown()[0].kind, MessageKind::Refusal);
        // All or nothing: the item that could go back has not gone either.
        EXPECT_EQ(t.count(QStringLiteral("StockHistory")), rows);
        EXPECT_EQ(locationOf("Stock", "Stock_ID", other), otherAt);
        EXPECT_EQ(locationOf("Stock", "Stock_ID", item), itemAt);
        EXPECT_TRUE(logic.CanUndo()) << "a refusal keeps the move";
    }
}
