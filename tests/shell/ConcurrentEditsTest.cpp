// Two users on one register at once: each test gives two programs their own
// connection and logic objects and interleaves their work deliberately,
// never by timing. Either the second user acts between the first one's
// check and store (inside a question the first one is asked, or after the
// first one read what its dialog or tree shows), or the first user holds its
// work open in a transaction while the second one's store waits on its
// locks, and then commits. Each ends with one winner, the other's message,
// and a register whose rows agree.

#include "allocation/clsAllocations.h"
#include "assets/clsLicences.h"
#include "assets/clsStock.h"
#include "catalogue/clsCategories.h"
#include "catalogue/clsProducts.h"
#include "common/Messages.h"
#include "common/NodeKey.h"
#include "common/TreeImages.h"
#include "common/ui/Guard.h"
#include "locations/clsLocations.h"
#include "store/Database.h"
#include "store/ProductCounts.h"
#include "store/StoreConstants.h"
#include "suppliers/clsSuppliers.h"

#include "support/QtPrinting.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"
#include "support/TestHooks.h"

#include <gtest/gtest.h>

#include <QThread>

#include <functional>
#include <memory>
#include <thread>

using common::MessageKind;
using testing_support::ScriptedMessages;
using testing_support::TestDatabase;

namespace {

// Messages whose next question first lets something else happen: the
// other user's work, done while this one waits for the answer.
class InterleavedMessages : public ScriptedMessages {
public:
    void beforeNextQuestion(std::function<void()> work) { work_ = std::move(work); }

protected:
    bool presentQuestion(const QString& text, common::DefaultButton byDefault) override {
        if (work_)
            std::exchange(work_, {})();
        return ScriptedMessages::presentQuestion(text, byDefault);
    }

private:
    std::function<void()> work_;
};

// One user: a connection of its own, its messages and the logic objects.
struct User {
    explicit User(const QString& uri)
        : db(store::Database::connectServer(uri)), stock(*db, messages, clock),
          licences(*db, messages, clock), allocations(*db, messages, clock),
          locations(*db, messages), products(*db, messages, clock), categories(*db, messages),
          suppliers(*db, messages, clock) {
        messages.setRefresh([this] { ++refreshes; });
    }
    std::unique_ptr<store::Database> db;
    InterleavedMessages messages;
    common::FixedClock clock{testing_support::testNow()};
    assets::clsStock stock;
    assets::clsLicences licences;
    allocation::clsAllocations allocations;
    locations::clsLocations locations;
    catalogue::clsProducts products;
    catalogue::clsCategories categories;
    suppliers::clsSuppliers suppliers;
    int refreshes = 0;
};

class ConcurrentEdits : public ::testing::Test {
protected:
    void SetUp() override {
        NEEDS_SERVER(); // the file has one user: its program holds the register's lock
        office = t.addLocation(QStringLiteral("Office"), 1, 2, 1);
        store = t.addLocation(QStringLiteral("Store"), 1, 2, 1);
        lab = t.addLocation(QStringLiteral("Lab"), 2, 2, 2);
        oldRoom = t.addLocation(QStringLiteral("Old room"), 3, 2, 3);
        cat = t.addCategory(QStringLiteral("All"));
        pc = t.addProduct(QStringLiteral("PC"), QStringLiteral("Desk PC"), cat);
        word = t.addProduct(QStringLiteral("W"), QStringLiteral("Word"), cat);
        a = std::make_unique<User>(t.serverUri());
        b = std::make_unique<User>(t.serverUri());
    }

    // Runs first's work in a transaction it holds open, then second's work
    // on another thread, which must come to wait on first's locks; then
    // first commits and second carries on.
    void race(User& first, const std::function<void()>& firstWork, User& second,
              const std::function<void()>& secondWork) {
        store::Transaction held(*first.db);
        firstWork();
        std::thread other([&] { common::guarded(second.messages, secondWork); });
        const bool waited = waitForLockWait();
        held.commit();
        other.join();
        ASSERT_TRUE(waited) << "the second user never waited on the first one's locks";
    }

    // True once a session of the test's database waits on a lock.
    bool waitForLockWait() {
        for (int i = 0; i < 2000; ++i) {
            if (t.value(QStringLiteral("SELECT count(*) FROM pg_stat_activity WHERE datname = "
                                       "current_database() AND wait_event_type = 'Lock'")) !=
                QStringLiteral("0"))
                return true;
            QThread::msleep(5);
        }
        return false;
    }

    assets::StockFields stockAt(const QString& code, int locId, const QString& locDesc) {
        assets::StockFields f;
        f.prodId = pc;
        f.code = code;
        f.locId = locId;
        f.locDesc = locDesc;
        return f;
    }
    assets::StockFields fieldsOf(int stockId) {
        const auto d = a->stock.GetStockDets(stockId);
        EXPECT_TRUE(d.has_value());
        return assets::fieldsOf(*d);
    }
    int historyRows(int itemId, const QString& type = store::HistoryStock) {
        return t
            .value(QStringLiteral("SELECT count(*) FROM StockHistory WHERE Stock_Lic_ID = ? "
                                  "AND Type = ?"),
                   itemId, type)
            ->toInt();
    }
    std::optional<int> locationOf(int stockId) {
        const auto v =
            t.value(QStringLiteral("SELECT Loc_ID FROM Stock WHERE Stock_ID = ?"), stockId);
        return v ? std::optional<int>(v->toInt()) : std::nullopt;
    }
    static common::NodeKey key(const QString& text) { return common::parseNodeKey(text); }
    static QString loc(int id) { return QStringLiteral("L%1").arg(id); }

    TestDatabase t;
    std::unique_ptr<User> a, b;
    int office = 0, store = 0, lab = 0, oldRoom = 0, cat = 0, pc = 0, word = 0;
};

TEST_F(ConcurrentEdits, TheSameItemModifiedByBothKeepsTheFirstAndRefusesTheSecond) {
    const int item = t.addStock(QStringLiteral("PC-1"), pc, office);
    // Both dialogs show the item; the second user stores first.
    assets::StockFields mine = fieldsOf(item);
    const auto theirs = b->stock.GetStockDets(item);
    ASSERT_TRUE(theirs);
    assets::StockFields changed = mine;
    changed.cost = QStringLiteral("20");
    EXPECT_TRUE(b->stock.ModifyStock(item, changed).stockId);

    mine.cost = QStringLiteral("30");
    const assets::StockSave refused = a->stock.ModifyStock(item, mine);
    EXPECT_FALSE(refused.stockId);
    EXPECT_TRUE(refused.changedMeanwhile) << "the dialog reads the item again";
    EXPECT_EQ(a->messages.texts(), QStringList{common::ChangedByAnotherUser});
    EXPECT_EQ(a->messages.shown().at(0).kind, MessageKind::Refusal);
    EXPECT_EQ(a->refreshes, 1) << "the page is rebuilt";
    EXPECT_EQ(t.value(QStringLiteral("SELECT Cost FROM Stock WHERE Stock_ID = ?"), item),
              QStringLiteral("2000"));
    EXPECT_TRUE(b->messages.texts().isEmpty());

    // Not read again, a second try is refused too.
    EXPECT_FALSE(a->stock.ModifyStock(item, mine).stockId);
    EXPECT_EQ(a->messages.texts().last(), common::ChangedByAnotherUser);

    // Read again, the first user's change goes in.
    a->messages.clear();
    mine = fieldsOf(item);
    mine.cost = QStringLiteral("30");
    EXPECT_TRUE(a->stock.ModifyStock(item, mine).stockId);
    EXPECT_TRUE(a->messages.texts().isEmpty());
}

TEST_F(ConcurrentEdits, AModificationWaitingOnAnotherOnesLockFindsTheItemChanged) {
    const int item = t.addStock(QStringLiteral("PC-1"), pc, office);
    assets::StockFields mine = fieldsOf(item);
    assets::StockFields theirs = mine;
    ASSERT_TRUE(b->stock.GetStockDets(item));
    theirs.locId = store;
    theirs.locDesc = QStringLiteral("Store");
    mine.cost = QStringLiteral("5");
    race(
        *b, [&] { EXPECT_TRUE(b->stock.ModifyStock(item, theirs).stockId); }, *a,
        [&] { EXPECT_FALSE(a->stock.ModifyStock(item, mine).stockId); });
    EXPECT_EQ(a->messages.texts(), QStringList{common::ChangedByAnotherUser});
    EXPECT_EQ(locationOf(item), store);
    EXPECT_EQ(historyRows(item), 1) << "one move, one history row";
}

TEST_F(ConcurrentEdits, AnItemRemovedByAnotherUserIsNotModifiedOrRemovedAgain) {
    const int item = t.addStock(QStringLiteral("PC-1"), pc, store::loc::RemovedStock);
    const assets::StockFields mine = fieldsOf(item);
    // The other user deletes it for good.
    b->messages.answer({true});
    EXPECT_EQ(b->stock.DeleteStock(item), assets::StockRemoval::Deleted);

    assets::StockFields back = mine;
    back.locId = office;
    back.locDesc = QStringLiteral("Office");
    EXPECT_FALSE(a->stock.ModifyStock(item, back).stockId);
    EXPECT_EQ(a->messages.texts(), QStringList{common::RemovedByAnotherUser});
    EXPECT_FALSE(locationOf(item));
    EXPECT_EQ(historyRows(item), 0);
}

TEST_F(ConcurrentEdits, TwoRemovalsOfOneItemParkItOnce) {
    const int item = t.addStock(QStringLiteral("PC-1"), pc, office);
    // Asked whether to park it, the first user waits while the second one
    // parks it; the first one's Yes then finds it moved.
    a->messages.beforeNextQuestion([&] {
        b->messages.answer({true});
        EXPECT_EQ(b->stock.DeleteStock(item), assets::StockRemoval::Parked);
    });
    a->messages.answer({true});
    EXPECT_EQ(a->stock.DeleteStock(item), assets::StockRemoval::None);
    EXPECT_EQ(a->messages.texts().last(), common::ChangedByAnotherUser);
    EXPECT_EQ(locationOf(item), store::loc::RemovedStock);
    EXPECT_EQ(historyRows(item), 1) << "parked once";

    // The same while the first user holds its park open: the second one's
    // waits, then finds the item parked.
    const int other = t.addStock(QStringLiteral("PC-2"), pc, office);
    a->messages.clear();
    b->messages.clear();
    a->messages.answer({true});
    b->messages.answer({true});
    race(
        *a, [&] { EXPECT_EQ(a->stock.DeleteStock(other), assets::StockRemoval::Parked); }, *b,
        [&] { EXPECT_EQ(b->stock.DeleteStock(other), assets::StockRemoval::None); });
    EXPECT_EQ(b->messages.texts().last(), common::ChangedByAnotherUser);
    EXPECT_EQ(historyRows(other), 1);
}

TEST_F(ConcurrentEdits, TheSameItemMovedByBothMovesOnceWithOneHistoryRow) {
    const int item = t.addStock(QStringLiteral("PC-1"), pc, office);
    const QString node = QStringLiteral("S%1").arg(item);
    // Both trees show it at the office; the second user moves it first.
    ASSERT_TRUE(b->allocations.MoveStockLic(key(node), key(loc(office)), key(loc(store))));
    EXPECT_FALSE(a->allocations.MoveStockLic(key(node), key(loc(office)), key(loc(lab))));
    EXPECT_EQ(a->messages.texts(), QStringList{common::ChangedByAnotherUser});
    EXPECT_EQ(a->refreshes, 1);
    EXPECT_EQ(locationOf(item), store);
    EXPECT_EQ(historyRows(item), 1);

    // Held open: the second move waits for the first and then finds the
    // item gone from where its tree showed it.
    a->messages.clear();
    race(
        *a,
        [&] {
            EXPECT_TRUE(a->allocations.MoveStockLic(key(node), key(loc(store)), key(loc(lab))));
        },
        *b,
        [&] {
            // As the page hands it over: the item with the location it
            // hangs under.
            const common::NodeKey shown{QLatin1Char('S'), item, store};
            EXPECT_EQ(b->allocations.MoveItems({shown}, office, false).moved, 0);
        });
    EXPECT_EQ(locationOf(item), lab);
    EXPECT_EQ(historyRows(item), 2);
    EXPECT_TRUE(a->messages.texts().isEmpty());
    EXPECT_EQ(b->messages.texts(), QStringList{common::ChangedByAnotherUser});
}

TEST_F(ConcurrentEdits, OneLicenceOfAGroupMovedByBothMovesTwoDifferentLicences) {
    const int l1 = t.addLicence(QStringLiteral("K1"), word, lab, store::LicenceNormal);
    const int l2 = t.addLicence(QStringLiteral("K2"), word, lab, store::LicenceNormal);
    const QString group = QStringLiteral("N%1-%2").arg(word).arg(lab);
    race(
        *a,
        [&] {
            EXPECT_TRUE(a->allocations.MoveStockLic(key(group), key(loc(lab)), key(loc(office))));
        },
        *b,
        [&] {
            EXPECT_TRUE(b->allocations.MoveStockLic(key(group), key(loc(lab)), key(loc(store))));
        });
    EXPECT_EQ(historyRows(l1, store::HistoryLicence), 1);
    EXPECT_EQ(historyRows(l2, store::HistoryLicence), 1);
    EXPECT_EQ(t.value(QStringLiteral("SELECT count(*) FROM Licences WHERE Loc_ID = ?"), lab),
              QStringLiteral("0"));
    // The group is empty now: a third move of it is another user's doing.
    EXPECT_FALSE(a->allocations.MoveStockLic(key(group), key(loc(lab)), key(loc(store))));
    EXPECT_EQ(a->messages.texts(), QStringList{common::ChangedByAnotherUser});
}

TEST_F(ConcurrentEdits, TheSameCodeAddedByBothIsStoredOnce) {
    // After the first one's commit, the second one's check finds it.
    EXPECT_TRUE(a->stock.AddStock(stockAt(QStringLiteral("PC-9"), office, QStringLiteral("Office")))
                    .stockId);
    EXPECT_FALSE(
        b->stock.AddStock(stockAt(QStringLiteral("pc-9"), store, QStringLiteral("Store"))).stockId);
    EXPECT_EQ(b->messages.texts(),
              QStringList{QStringLiteral("The Stock Code: PC-9, already exists - unable to add")});

    // Both past the check: the code's unique index lets one in.
    b->messages.clear();
    race(
        *a,
        [&] {
            EXPECT_TRUE(
                a->stock
                    .AddStock(stockAt(QStringLiteral("PC-10"), office, QStringLiteral("Office")))
                    .stockId);
        },
        *b,
        [&] {
            EXPECT_FALSE(
                b->stock.AddStock(stockAt(QStringLiteral("PC-10"), store, QStringLiteral("Store")))
                    .stockId);
        });
    EXPECT_EQ(b->messages.texts(), QStringList{common::StockCodeAddedByAnotherUser});
    EXPECT_EQ(t.value(QStringLiteral("SELECT count(*) FROM Stock WHERE Stock_Code = ?"),
                      QStringLiteral("PC-10")),
              QStringLiteral("1"));
    EXPECT_EQ(t.count(QStringLiteral("StockHistory")), 2) << "one first row for each item stored";

    // Licences say it with their own duplicate refusal.
    assets::LicenceFields key;
    key.prodId = word;
    key.key = QStringLiteral("KEY-1");
    race(
        *a, [&] { EXPECT_TRUE(a->licences.InsertLicence(key).licId); }, *b,
        [&] { EXPECT_FALSE(b->licences.InsertLicence(key).licId); });
    EXPECT_EQ(b->messages.texts().last(),
              QStringLiteral("The licence key: KEY-1, already exists - unable to add"));
    EXPECT_EQ(t.count(QStringLiteral("Licences")), 1);
}

TEST_F(ConcurrentEdits, TwoUsersAddingItemsOfOneProductWaitInTurnOnItsKeptCounts) {
    // The second add waits on the product's counts row, which the first
    // one's insert changed, and counts on from the first one's figure.
    race(
        *a,
        [&] {
            EXPECT_TRUE(
                a->stock.AddStock(stockAt(QStringLiteral("PC-A"), office, QStringLiteral("Office")))
                    .stockId);
        },
        *b,
        [&] {
            EXPECT_TRUE(
                b->stock.AddStock(stockAt(QStringLiteral("PC-B"), store, QStringLiteral("Store")))
                    .stockId);
        });
    const common::ListRows both = {
        {QStringLiteral("C%1").arg(cat), {"All", "2", "2", "0"}},
    };
    EXPECT_EQ(b->categories.FillListViewWithCats(), both);

    // A removal and an add of the same product at once.
    const int parked = t.value(QStringLiteral("SELECT Stock_ID FROM Stock WHERE Stock_Code = "
                                              "'PC-A'"))
                           ->toInt();
    store::Transaction held(*a->db);
    EXPECT_EQ(a->db->execute(QStringLiteral("UPDATE Stock SET Loc_ID = ? WHERE Stock_ID = ?"),
                             store::loc::RemovedStock, parked),
              1);
    std::thread other([&] {
        EXPECT_TRUE(
            b->stock.AddStock(stockAt(QStringLiteral("PC-C"), store, QStringLiteral("Store")))
                .stockId);
    });
    const bool waited = waitForLockWait();
    held.commit();
    other.join();
    EXPECT_TRUE(waited);
    EXPECT_EQ(a->categories.FillListViewWithCats().front().texts.at(2), QStringLiteral("2"));
    EXPECT_EQ(store::productCountProblems(t.db(), -1), QStringList());
}

TEST_F(ConcurrentEdits, ALocationDeletedWhileAnItemIsAddedUnderIt) {
    // Asked whether to delete the removed room for good, the first user
    // waits while the second one puts a licence there.
    assets::LicenceFields licence;
    licence.prodId = word;
    licence.key = QStringLiteral("K-1");
    licence.locId = oldRoom;
    licence.locDesc = QStringLiteral("Old room");
    a->locations.setCurrentLocId(oldRoom);
    a->locations.setCurrentLocDesc(QStringLiteral("Old room"));
    a->messages.beforeNextQuestion([&] { EXPECT_TRUE(b->licences.InsertLicence(licence).licId); });
    a->messages.answer({true});
    EXPECT_EQ(a->locations.DeleteLocation(common::image::RemovedLocation),
              locations::DeleteResult::Nothing);
    EXPECT_EQ(a->messages.texts().last(),
              QStringLiteral("Cannot remove, this location has licences within it"));
    EXPECT_TRUE(t.value(QStringLiteral("SELECT Loc_ID FROM Locations WHERE Loc_ID = ?"), oldRoom));

    // Held open, the delete goes first; the add waits and finds it gone.
    const int empty = t.addLocation(QStringLiteral("Empty room"), 3, 2, 3);
    a->locations.setCurrentLocId(empty);
    a->locations.setCurrentLocDesc(QStringLiteral("Empty room"));
    a->messages.answer({true});
    licence.key = QStringLiteral("K-2");
    licence.locId = empty;
    race(
        *a,
        [&] {
            EXPECT_EQ(a->locations.DeleteLocation(common::image::RemovedLocation),
                      locations::DeleteResult::Deleted);
        },
        *b, [&] { EXPECT_FALSE(b->licences.InsertLicence(licence).licId); });
    EXPECT_EQ(b->messages.texts().last(), assets::LocationGone);
    EXPECT_EQ(t.value(QStringLiteral("SELECT count(*) FROM Licences WHERE Licence_Name = ?"),
                      QStringLiteral("K-2")),
              QStringLiteral("0"));

    // A live location removed while stock is added to it: the stock must
    // stand under the available locations when it is stored.
    a->locations.setCurrentLocId(store);
    a->locations.setCurrentLocDesc(QStringLiteral("Store"));
    a->messages.answer({true});
    race(
        *a,
        [&] {
            EXPECT_EQ(a->locations.DeleteLocation(common::image::Location),
                      locations::DeleteResult::Parked);
        },
        *b,
        [&] {
            EXPECT_FALSE(
                b->stock.AddStock(stockAt(QStringLiteral("S-1"), store, QStringLiteral("Store")))
                    .stockId);
        });
    EXPECT_EQ(b->messages.texts().last(),
              QStringLiteral("You can only add stock to locations under (Available Locations)"));
    EXPECT_EQ(t.count(QStringLiteral("Stock")), 0);
}

TEST_F(ConcurrentEdits, AProductDeletedWhileStockIsAddedToIt) {
    // A product whose only item was removed: deleting it asks twice. At the
    // second question the other user adds live stock of it.
    const int removed = t.addStock(QStringLiteral("OLD"), pc, store::loc::RemovedStock);
    bool added = false;
    a->messages.beforeNextQuestion([&] {
        // The first question comes before the checks; the warning about
        // removed items after them.
        a->messages.beforeNextQuestion([&] {
            added =
                b->stock.AddStock(stockAt(QStringLiteral("NEW"), office, QStringLiteral("Office")))
                    .stockId.has_value();
        });
    });
    a->messages.answer({true, true});
    EXPECT_FALSE(a->products.DeleteProduct(pc));
    EXPECT_TRUE(added);
    EXPECT_EQ(a->messages.texts().last(),
              QStringLiteral("Cant Remove this product, stock is still tied to it"));
    EXPECT_EQ(t.count(QStringLiteral("Stock")), 2) << "neither the new nor the removed item went";
    EXPECT_TRUE(locationOf(removed));

    // Held open, the delete goes first; the add waits and finds it gone.
    const int other = t.addProduct(QStringLiteral("MON"), QStringLiteral("Monitor"), cat);
    a->messages.clear();
    a->messages.answer({true});
    assets::StockFields f = stockAt(QStringLiteral("MON-1"), office, QStringLiteral("Office"));
    f.prodId = other;
    race(
        *a, [&] { EXPECT_TRUE(a->products.DeleteProduct(other)); }, *b,
        [&] { EXPECT_FALSE(b->stock.AddStock(f).stockId); });
    EXPECT_EQ(b->messages.texts().last(), assets::ProductGone);
    EXPECT_FALSE(t.value(QStringLiteral("SELECT Stock_ID FROM Stock WHERE Stock_Code = ?"),
                         QStringLiteral("MON-1")));
}

TEST_F(ConcurrentEdits, ASupplierOrCategoryDeletedWhileSomethingIsStoredWithItStays) {
    t.db().execute(QStringLiteral("INSERT INTO Suppliers (Supp_Name) VALUES ('Acme')"));
    const int acme = static_cast<int>(t.db().lastInsertId());
    assets::StockFields item = stockAt(QStringLiteral("PC-1"), office, QStringLiteral("Office"));
    item.suppId = acme;
    race(
        *a, [&] { EXPECT_TRUE(a->stock.AddStock(item).stockId); }, *b,
        [&] { EXPECT_FALSE(b->suppliers.RemoveSupplier(acme)); });
    EXPECT_EQ(
        b->messages.texts(),
        QStringList{QStringLiteral(
            "There is atleast one stock item still tied to this supplier, unable to remove")});
    EXPECT_TRUE(
        t.value(QStringLiteral("SELECT Supp_Name FROM Suppliers WHERE Supplier_ID = ?"), acme));

    const int empty = t.addCategory(QStringLiteral("Empty"));
    catalogue::ProductFields product;
    product.code = QStringLiteral("NEW");
    product.desc = QStringLiteral("New product");
    product.catId = empty;
    race(
        *a, [&] { EXPECT_TRUE(a->products.AddNewProduct(product).prodId); }, *b,
        [&] { EXPECT_FALSE(b->categories.DeleteNewCategory(empty)); });
    EXPECT_EQ(b->messages.texts().last(),
              QStringLiteral("You cannot delete a category with a product(s) tied to it."));
    EXPECT_TRUE(t.value(QStringLiteral("SELECT Cat_Desc FROM Categories WHERE Cat_ID = ?"), empty));
}

TEST_F(ConcurrentEdits, TwoLocationsMovedUnderEachOtherMakeNoLoop) {
    race(
        *a, [&] { EXPECT_TRUE(a->locations.UpdateLocation(office, store)); }, *b,
        [&] { EXPECT_FALSE(b->locations.UpdateLocation(store, office)); });
    EXPECT_EQ(b->messages.texts(), QStringList{QStringLiteral(
                                       "You may only drag locations that have no sub locations")});
    EXPECT_EQ(
        t.value(QStringLiteral("SELECT Loc_ParentID FROM Locations WHERE Loc_ID = ?"), office),
        QString::number(store));
    EXPECT_EQ(t.value(QStringLiteral("SELECT Loc_ParentID FROM Locations WHERE Loc_ID = ?"), store),
              QStringLiteral("1"));
}

TEST_F(ConcurrentEdits, ALostConnectionRollsBackAndTheNextActionConnectsAgain) {
    const int item = t.addStock(QStringLiteral("PC-1"), pc, office);
    const QString node = QStringLiteral("S%1").arg(item);
    const auto pidOf = [](store::Database& db) {
        store::Query q(db, QStringLiteral("SELECT pg_backend_pid() AS pid"));
        q.next();
        return q.integer(QStringLiteral("pid"));
    };
    const auto terminate = [&](std::int64_t pid) {
        // Waits until the session has ended.
        t.value(QStringLiteral("SELECT pg_terminate_backend(CAST(? AS integer), 10000)"), pid);
    };

    // Ended in the middle of a move: the server rolls the move back.
    bool ok = common::guarded(a->messages, [&] {
        store::Transaction tx(*a->db);
        ASSERT_TRUE(a->allocations.MoveStockLic(key(node), key(loc(office)), key(loc(store))));
        terminate(pidOf(*a->db));
        tx.commit();
    });
    EXPECT_FALSE(ok);
    EXPECT_EQ(a->messages.texts(), QStringList{common::ConnectionLost});
    EXPECT_EQ(a->messages.shown().at(0).kind, MessageKind::Failure);
    EXPECT_EQ(a->refreshes, 1) << "the page is rebuilt";
    EXPECT_EQ(locationOf(item), office);
    EXPECT_EQ(historyRows(item), 0) << "nothing half-written";

    // The next action connects again and works.
    a->messages.clear();
    EXPECT_TRUE(a->allocations.MoveStockLic(key(node), key(loc(office)), key(loc(store))));
    EXPECT_EQ(a->db->reconnects(), 1);
    EXPECT_EQ(locationOf(item), store);
    EXPECT_EQ(historyRows(item), 1);

    // Ended while idle: the first statement of the next action finds out,
    // says so, and the one after connects again.
    terminate(pidOf(*a->db));
    ok = common::guarded(a->messages, [&] {
        a->allocations.MoveStockLic(key(node), key(loc(store)), key(loc(office)));
    });
    EXPECT_FALSE(ok);
    EXPECT_EQ(a->messages.texts(), QStringList{common::ConnectionLost});
    EXPECT_EQ(locationOf(item), store);
    a->messages.clear();
    EXPECT_TRUE(a->allocations.MoveStockLic(key(node), key(loc(store)), key(loc(office))));
    EXPECT_EQ(a->db->reconnects(), 2);
    EXPECT_EQ(historyRows(item), 2);
}

} // namespace
