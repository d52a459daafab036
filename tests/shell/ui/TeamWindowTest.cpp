// The main window on a register a team shares: other users' changes rebuild
// the page shown around the user's place, and a login that may only read
// gets a window in which nothing writes.

#include "common/Messages.h"
#include "common/Session.h"
#include "common/ui/Page.h"
#include "locations/ui/LocationTreeView.h"
#include "shell/RegisterRoles.h"
#include "shell/ui/frmVemora.h"
#include "store/Database.h"
#include "store/ServerEngine.h"
#include "store/StoreConstants.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"
#include "support/TestHooks.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QScrollBar>
#include <QThread>
#include <QUrl>

#include <gtest/gtest.h>

using shell::frmVemora;
using testing_support::ScriptedMessages;
using testing_support::TestDatabase;

namespace {

// Runs the event loop until done() holds or a few seconds have passed.
template <typename Done> bool eventually(Done done, int ms = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
    return true;
}

QString statusText(frmVemora& window, const char* name) {
    auto* label = window.findChild<QLabel*>(QString::fromLatin1(name));
    return label ? label->text() : QString();
}

QAction* item(frmVemora& window, const char* array, int index) {
    return window.menuItem(QString::fromLatin1(array), index);
}

// The writing items, and items beside them that only read.
const struct {
    const char* array;
    int index;
    bool writes;
} Items[] = {
    {"mnuCat", 0, true},    {"mnuCat", 1, true},     {"mnuCat", 2, true},
    {"mnuSup", 0, true},    {"mnuSup", 1, true},     {"mnuSup", 2, false},
    {"mnuSup", 3, true},    {"mnuProd", 0, true},    {"mnuProd", 1, true},
    {"mnuProd", 2, false},  {"mnuProd", 3, true},    {"mnuLoc", 0, true},
    {"mnuLoc", 1, true},    {"mnuLoc", 2, true},     {"mnuSMaint", 0, true},
    {"mnuSMaint", 1, true}, {"mnuSMaint", 2, false}, {"mnuSMaint", 3, true},
    {"mnuLMaint", 0, true}, {"mnuLMaint", 1, true},  {"mnuLMaint", 2, false},
    {"mnuLMaint", 3, true}, {"mnuStockL", 2, false}, {"mnuAlloc", 0, true},
    {"mnuAlloc", 1, true},  {"mnuDBase", 0, true},   {"mnuDBase", 1, false},
};

} // namespace

class TeamWindow : public ::testing::Test {
protected:
    ~TeamWindow() override {
        window.reset();
        sessions.clear();
        connections.clear();
        if (!login.isEmpty())
            t.db().runServerText(QStringLiteral("DROP ROLE IF EXISTS %1")
                                     .arg(t.db().server().quoteIdentifier(login)));
    }

    frmVemora& load(store::Database& db) {
        sessions.push_back(
            std::make_unique<common::Session>(db, messages, hooks.clock, hooks.files));
        window = std::make_unique<frmVemora>(*sessions.back(), nullptr);
        window->Form_Load({});
        return *window;
    }

    // On the server: a connection as a login of the test's own that holds
    // only the viewer's role.
    store::Database& viewerConnection() {
        shell::createRegisterRoles(t.db());
        login = QStringLiteral("team window viewer %1").arg(::getpid());
        const QString quoted = t.db().server().quoteIdentifier(login);
        t.db().runServerText(
            QStringLiteral("DROP ROLE IF EXISTS %1; CREATE ROLE %1 LOGIN").arg(quoted));
        shell::grantRegisterRole(t.db(), login, shell::ViewerRole);
        QString uri = t.serverUri();
        uri.replace(QRegularExpression(QStringLiteral("user=[^&]*")),
                    QStringLiteral("user=") + QString::fromUtf8(QUrl::toPercentEncoding(login)));
        connections.push_back(store::Database::connectServer(uri));
        return *connections.back();
    }

    // Any page's tree, the allocation page's model view included.
    QTreeView* view(int page, const char* name) {
        return window->page(page)->findChild<QTreeView*>(QString::fromLatin1(name));
    }
    locations::LocationTreeView* tree(int page, const char* name) {
        return window->page(page)->findChild<locations::LocationTreeView*>(
            QString::fromLatin1(name));
    }

    TestDatabase t;
    ScriptedMessages messages;
    testing_support::TestHooks hooks;
    std::vector<std::unique_ptr<store::Database>> connections;
    std::vector<std::unique_ptr<common::Session>> sessions;
    std::unique_ptr<frmVemora> window;
    QString login;
};

TEST_F(TeamWindow, AReadOnlyRegisterGreysEveryWritingItemAndDragAndSaysSo) {
    const int office = t.addLocation(QStringLiteral("Office"), 1, 2, 1);
    t.addStock(QStringLiteral("PC-1"),
               t.addProduct(QStringLiteral("PC"), QStringLiteral("Desk PC"),
                            t.addCategory(QStringLiteral("All"))),
               office);
    if (testing_support::serverRun()) {
        // A viewer's window is read-only from the start.
        frmVemora& w = load(viewerConnection());
        EXPECT_TRUE(w.readOnly());
    } else {
        frmVemora& w = load(t.db());
        EXPECT_FALSE(w.readOnly());
        EXPECT_EQ(statusText(w, "sbReadOnly"), QString());
        EXPECT_TRUE(item(w, "mnuCat", 0)->isEnabled());
        w.setReadOnly();
    }
    frmVemora& w = *window;
    EXPECT_EQ(statusText(w, "sbReadOnly"), QStringLiteral("Read-only register"));
    for (const auto& i : Items) {
        SCOPED_TRACE(std::string(i.array) + " " + std::to_string(i.index));
        QAction* action = item(w, i.array, i.index);
        ASSERT_NE(action, nullptr);
        // As a page does when the selection allows the item.
        action->setEnabled(true);
        EXPECT_EQ(action->isEnabled(), !i.writes);
    }
    for (const auto& [page, name] : {std::pair{2, "tvLocations2"}, std::pair{5, "tvSourceLoc"}}) {
        w.SSTab1()->setCurrentIndex(page);
        ASSERT_NE(view(page, name), nullptr) << name;
        EXPECT_FALSE(view(page, name)->dragEnabled()) << name;
        EXPECT_FALSE(view(page, name)->viewport()->acceptDrops()) << name;
    }
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(TeamWindow, AChangeByAnotherUserRebuildsThePageShownKeepingTheUsersPlace) {
    NEEDS_SERVER();
    const int office = t.addLocation(QStringLiteral("Office"), 1, 2, 1);
    const int room = t.addLocation(QStringLiteral("Room"), office, 3, 1);
    for (int i = 0; i < 40; ++i)
        t.addLocation(QStringLiteral("Filler %1").arg(i, 2, 10, QLatin1Char('0')), 1, 2, 1);
    frmVemora& w = load(t.db());
    w.resize(700, 400);
    w.show();
    w.SSTab1()->setCurrentIndex(common::LocationUtilities);
    locations::LocationTreeView* tv = tree(common::LocationUtilities, "tvLocations2");
    tv->expandAll();
    tv->node(QStringLiteral("L%1").arg(office))->setExpanded(true);
    tv->setCurrentItem(tv->node(QStringLiteral("L%1").arg(room)));
    QCoreApplication::processEvents();
    tv->verticalScrollBar()->setValue(tv->verticalScrollBar()->maximum() / 2);
    const int scroll = tv->verticalScrollBar()->value();
    ASSERT_GT(scroll, 0);

    // Another user adds a location and renames the room.
    auto other = store::Database::connectServer(t.serverUri());
    {
        store::Transaction tx(*other);
        other->execute(QStringLiteral("INSERT INTO Locations (Loc_Desc, Loc_Status, Loc_Level, "
                                      "Loc_ParentID, Loc_Top) VALUES ('Annex', 'U', 3, ?, 1)"),
                       office);
        other->execute(QStringLiteral("UPDATE Locations SET Loc_Desc = 'Big room' WHERE "
                                      "Loc_ID = ?"),
                       room);
        tx.commit();
    }
    ASSERT_TRUE(eventually([&] { return !statusText(w, "sbOthersChanges").isEmpty(); }));
    EXPECT_EQ(statusText(w, "sbOthersChanges"),
              QStringLiteral("Updated with changes from another user at 09:30"));
    // The page shows the change, around the same place.
    QTreeWidgetItem* roomNode = tv->node(QStringLiteral("L%1").arg(room));
    ASSERT_NE(roomNode, nullptr);
    EXPECT_EQ(roomNode->text(0), QStringLiteral("Big Room"));
    EXPECT_TRUE(roomNode->isSelected());
    EXPECT_TRUE(tv->node(QStringLiteral("L%1").arg(office))->isExpanded());
    EXPECT_EQ(tv->verticalScrollBar()->value(), scroll);
    bool annex = false;
    for (int i = 0; i < tv->node(QStringLiteral("L%1").arg(office))->childCount(); ++i)
        annex = annex || tv->node(QStringLiteral("L%1").arg(office))->child(i)->text(0) ==
                             QStringLiteral("Annex");
    EXPECT_TRUE(annex);
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(TeamWindow, AChangeWaitsWhileAMenuIsOpenAndTheWindowsOwnWritesAreNoNews) {
    NEEDS_SERVER();
    const int office = t.addLocation(QStringLiteral("Office"), 1, 2, 1);
    frmVemora& w = load(t.db());
    w.show();
    w.SSTab1()->setCurrentIndex(common::LocationUtilities);
    locations::LocationTreeView* tv = tree(common::LocationUtilities, "tvLocations2");

    // The window's own connection writes: nothing comes back to it.
    t.db().execute(QStringLiteral("UPDATE Locations SET Loc_Desc = 'Main office' WHERE "
                                  "Loc_ID = ?"),
                   office);
    EXPECT_FALSE(eventually([&] { return !statusText(w, "sbOthersChanges").isEmpty(); }, 1500));

    // A menu is open: the page stays as it is until it closes.
    QMenu* menu = w.sharedMenu(common::SharedMenu::Locations);
    menu->popup(QPoint(10, 10));
    ASSERT_TRUE(eventually([&] { return QApplication::activePopupWidget() == menu; }));
    auto other = store::Database::connectServer(t.serverUri());
    other->execute(QStringLiteral("INSERT INTO Locations (Loc_Desc, Loc_Status, Loc_Level, "
                                  "Loc_ParentID, Loc_Top) VALUES ('Annex', 'U', 2, 1, 1)"));
    const QString annexKey = QStringLiteral("L%1").arg(
        *t.value(QStringLiteral("SELECT Loc_ID FROM Locations WHERE Loc_Desc = 'Annex'")));
    EXPECT_FALSE(eventually([&] { return tv->node(annexKey) != nullptr; }, 1500));
    EXPECT_TRUE(statusText(w, "sbOthersChanges").isEmpty());
    menu->close();
    EXPECT_TRUE(eventually([&] { return tv->node(annexKey) != nullptr; }));
    EXPECT_FALSE(statusText(w, "sbOthersChanges").isEmpty());
}
