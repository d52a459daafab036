#include "allocation/ui/pgAllocation.h"
#include "common/Session.h"
#include "common/TreeImages.h"
#include "common/ui/MainWindow.h"
#include "locations/ui/LocationTreeView.h"
#include "shell/ui/frmVemora.h"
#include "store/StoreConstants.h"

#include "support/QtPrinting.h"
#include "support/RecordingMain.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"
#include "support/TestHooks.h"
#include "support/Widgets.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QTest>

#include <gtest/gtest.h>

namespace image = common::image;
using common::MessageKind;
using locations::LocationTreeView;

namespace {

// The main window on its allocation page, over:
//   1 Available Locations / Office (a desk PC), Store
//   2 Available Licences / Lab (two normal word licences)
//   3 Removed Locations / Old room
//   5 Removed Stock (a removed PC)
class AllocationPage : public ::testing::Test {
protected:
    void SetUp() override {
        office = t.addLocation(QStringLiteral("Office"), 1, 2, 1);
        storeRoom = t.addLocation(QStringLiteral("Store"), 1, 2, 1);
        lab = t.addLocation(QStringLiteral("Lab"), 2, 2, 2);
        oldRoom = t.addLocation(QStringLiteral("Available Locations"), 3, 2, 3);
        const int cat = t.addCategory(QStringLiteral("All"));
        pc = t.addProduct(QStringLiteral("P"), QStringLiteral("desk PC"), cat);
        word = t.addProduct(QStringLiteral("W"), QStringLiteral("Word"), cat);
        pcAtOffice = t.addStock(QStringLiteral("PC-1"), pc, office);
        removedPc = t.addStock(QStringLiteral("PC-2"), pc, store::loc::RemovedStock);
        t.addLicence(QStringLiteral("K1"), word, lab, store::LicenceNormal);
        t.addLicence(QStringLiteral("K2"), word, lab, store::LicenceNormal);
        window = std::make_unique<testing_support::RecordingMain>(session, nullptr);
        window->show();
        window->SSTab1()->setCurrentIndex(common::Allocation);
        page = static_cast<allocation::pgAllocation*>(window->page(common::Allocation));
        tree = testing_support::child<LocationTreeView>(page, "tvSourceLoc");
    }

    QTreeWidgetItem* node(const QString& key) const { return tree->node(key); }
    static QString loc(int id) { return QStringLiteral("L%1").arg(id); }
    QString parentOf(const QString& key) const {
        QTreeWidgetItem* n = node(key);
        return n && n->parent() ? LocationTreeView::keyOf(n->parent()) : QString();
    }
    QString textOf(const QString& key) const {
        QTreeWidgetItem* n = node(key);
        return n ? n->text(0) : QStringLiteral("<none>");
    }
    QPoint at(QTreeWidgetItem* item) const {
        tree->scrollToItem(item);
        return tree->visualItemRect(item).center();
    }

    testing_support::TestDatabase t;
    testing_support::ScriptedMessages messages;
    testing_support::TestHooks hooks;
    common::Session session{t.db(), messages, hooks.clock, hooks.files};
    std::unique_ptr<testing_support::RecordingMain> window;
    allocation::pgAllocation* page = nullptr;
    LocationTreeView* tree = nullptr;
    int office = 0, storeRoom = 0, lab = 0, oldRoom = 0, pc = 0, word = 0;
    int pcAtOffice = 0, removedPc = 0;
};

} // namespace

TEST_F(AllocationPage, EnteringThePageShowsEveryLocationWithWhatItHolds) {
    EXPECT_EQ(parentOf(QStringLiteral("S%1").arg(pcAtOffice)), loc(office));
    EXPECT_EQ(textOf(QStringLiteral("S%1").arg(pcAtOffice)), QStringLiteral("Desk Pc - (PC-1)"));
    EXPECT_EQ(LocationTreeView::imageOf(node(QStringLiteral("S%1").arg(removedPc))),
              image::RemovedStock);
    EXPECT_EQ(textOf(QStringLiteral("N%1-%2").arg(word).arg(lab)),
              QStringLiteral("Word - (Licences x 2)"));
    EXPECT_EQ(parentOf(loc(office)), QStringLiteral("L1"));
}

TEST_F(AllocationPage, DroppingMovesTheNodesOnlyAsTheDatabaseDid) {
    const QString removed = QStringLiteral("S%1").arg(removedPc);
    const QString group = QStringLiteral("N%1-%2").arg(word).arg(lab);

    // A removed item comes back into use and takes the live image.
    page->dropItem(node(removed), node(loc(office)));
    EXPECT_EQ(parentOf(removed), loc(office));
    EXPECT_EQ(LocationTreeView::imageOf(node(removed)), image::Stock);
    EXPECT_TRUE(node(loc(office))->isExpanded());

    // One licence of the group moves; both places are counted again.
    page->dropItem(node(group), node(loc(storeRoom)));
    EXPECT_EQ(textOf(group), QStringLiteral("Word - (Licences x 1)"));
    EXPECT_EQ(textOf(QStringLiteral("N%1-%2").arg(word).arg(storeRoom)),
              QStringLiteral("Word - (Licences x 1)"));
    page->dropItem(node(group), node(loc(storeRoom)));
    EXPECT_EQ(node(group), nullptr) << "the emptied group's node goes";
    EXPECT_EQ(textOf(QStringLiteral("N%1-%2").arg(word).arg(storeRoom)),
              QStringLiteral("Word - (Licences x 2)"));
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_EQ(t.count(QStringLiteral("StockHistory")), 3);
    EXPECT_EQ(tree->selectedItems().size(), 0);
    EXPECT_EQ(tree->dropHighlight(), nullptr);
}

TEST_F(AllocationPage, RefusedDropsChangeNeitherTheTreeNorTheDatabase) {
    const QString item = QStringLiteral("S%1").arg(pcAtOffice);
    struct Case {
        const char* name;
        QString target;
        QString message; // empty: refused without a word
    };
    const Case cases[] = {
        {"its own location", loc(office), "This item is already under this location"},
        {"a removed location named like branch 1", loc(oldRoom), ""},
        {"removed stock", loc(store::loc::RemovedStock), ""},
        {"another item", QStringLiteral("S%1").arg(removedPc), ""},
        {"the root", QStringLiteral("L0"), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        page->dropItem(node(item), node(c.target));
        EXPECT_EQ(parentOf(item), loc(office));
        EXPECT_EQ(messages.texts(), c.message.isEmpty() ? QStringList() : QStringList{c.message});
    }
    // A failed move leaves the node where the database has the item.
    messages.clear();
    t.db().run(QStringLiteral("CREATE TEMP TRIGGER f BEFORE UPDATE ON Stock "
                              "BEGIN SELECT RAISE(IGNORE); END"));
    page->dropItem(node(item), node(loc(storeRoom)));
    EXPECT_EQ(messages.texts(), QStringList{"Internal Error: Updating Stock Location"});
    EXPECT_EQ(parentOf(item), loc(office));
    EXPECT_EQ(t.count(QStringLiteral("StockHistory")), 0);
}

TEST_F(AllocationPage, SeveralSelectedItemsMoveTogetherAndTheTreeFollowsOnce) {
    tree->expandAll();
    const QString a = QStringLiteral("S%1").arg(pcAtOffice);
    const QString b = QStringLiteral("S%1").arg(removedPc);
    const QString group = QStringLiteral("N%1-%2").arg(word).arg(lab);
    page->dropItems({node(a), node(b), node(group)}, node(loc(storeRoom)));
    EXPECT_EQ(parentOf(a), loc(storeRoom));
    EXPECT_EQ(parentOf(b), loc(storeRoom));
    EXPECT_EQ(node(group), nullptr);
    EXPECT_EQ(textOf(QStringLiteral("N%1-%2").arg(word).arg(storeRoom)),
              QStringLiteral("Word - (Licences x 2)"));
    EXPECT_TRUE(node(loc(lab))->isExpanded()) << "the tree stays open where it was";
    EXPECT_EQ(t.count(QStringLiteral("StockHistory")), 4);
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(AllocationPage, ALocationCannotBeDraggedAndAnItemIsDraggedWithTheMouse) {
    tree->expandAll();
    bool started = false;
    QObject::connect(tree, &LocationTreeView::dragStarting,
                     [&](QTreeWidgetItem*, const QMimeData*) { started = true; });
    const QPoint from = at(node(loc(office)));
    QTest::mousePress(tree->viewport(), Qt::LeftButton, {}, from);
    QTest::mouseMove(tree->viewport(), from + QPoint(5, 0));
    QTest::mouseMove(tree->viewport(), from + QPoint(40, 0));
    QTest::mouseRelease(tree->viewport(), Qt::LeftButton, {}, from + QPoint(40, 0));
    EXPECT_FALSE(started);
    EXPECT_EQ(messages.texts(), QStringList{"You can only move stock or licences"});
    EXPECT_TRUE(tree->selectedItems().isEmpty());

    // A real drag of an item; the offscreen platform ends a drag at once, so
    // the events over the target are handed to the tree as it begins.
    messages.clear();
    const QString item = QStringLiteral("S%1").arg(pcAtOffice);
    QTreeWidgetItem* target = node(loc(lab));
    QTreeWidgetItem* highlighted = nullptr;
    QObject::connect(tree, &LocationTreeView::dragStarting,
                     [&](QTreeWidgetItem*, const QMimeData* payload) {
                         const QPoint to = at(target);
                         QDragEnterEvent enter(to, Qt::MoveAction, payload, Qt::LeftButton, {});
                         QApplication::sendEvent(tree->viewport(), &enter);
                         QDragMoveEvent move(to, Qt::MoveAction, payload, Qt::LeftButton, {});
                         QApplication::sendEvent(tree->viewport(), &move);
                         highlighted = tree->dropHighlight();
                         QDropEvent drop(to, Qt::MoveAction, payload, Qt::LeftButton, {});
                         QApplication::sendEvent(tree->viewport(), &drop);
                     });
    const QPoint itemAt = at(node(item));
    QTest::mousePress(tree->viewport(), Qt::LeftButton, {}, itemAt);
    QTest::mouseMove(tree->viewport(), itemAt + QPoint(5, 0));
    QTest::mouseMove(tree->viewport(), itemAt + QPoint(40, 0));
    QTest::mouseRelease(tree->viewport(), Qt::LeftButton, {}, itemAt + QPoint(40, 0));
    EXPECT_TRUE(started);
    EXPECT_EQ(highlighted, target);
    EXPECT_EQ(parentOf(item), loc(lab)) << "stock may go under the licences branch";
    EXPECT_TRUE(messages.shown().empty());
}
