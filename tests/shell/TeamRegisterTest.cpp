// A team on one server register: each writing transaction tells the other
// sessions which tables it changed, and the server's two roles decide who
// may write.

#include "allocation/clsAllocations.h"
#include "assets/clsStock.h"
#include "common/NodeKey.h"
#include "shell/RegisterRoles.h"
#include "store/Database.h"
#include "store/History.h"
#include "store/ServerEngine.h"
#include "store/StoreConstants.h"

#include "support/AdminCommand.h"
#include "support/QtPrinting.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"
#include "support/TestHooks.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

#include <gtest/gtest.h>

#include <sqlite3.h>

using testing_support::TestDatabase;

namespace {

// What a listening connection is told within a few seconds; empty when
// nothing came.
QStringList changesSeenBy(store::Database& db, int waitMs = 3000) {
    for (int waited = 0; waited <= waitMs; waited += 20) {
        const QStringList tables = db.takeChanges();
        if (!tables.isEmpty())
            return tables;
        QThread::msleep(20);
    }
    return {};
}

// Reads and drops whatever the listener has been told so far (each of a
// fixture's writes outside a transaction is told on its own).
void drain(store::Database& db) {
    for (int i = 0; i < 15; ++i) {
        db.takeChanges();
        QThread::msleep(20);
    }
}

class Notifications : public ::testing::Test {
protected:
    void SetUp() override {
        NEEDS_SERVER();
        listener = store::Database::connectServer(t.serverUri());
        listener->listenForChanges();
        writer = store::Database::connectServer(t.serverUri());
    }
    TestDatabase t;
    std::unique_ptr<store::Database> listener, writer;
};

} // namespace

TEST_F(Notifications, ACommittedWriteNamesItsTablesToTheOthersOnly) {
    const int office = t.addLocation(QStringLiteral("Office"), 1, 2, 1);
    const int pc = t.addProduct(QStringLiteral("PC"), QStringLiteral("Desk PC"),
                                t.addCategory(QStringLiteral("All")));
    drain(*listener); // what the fixture wrote
    {
        store::Transaction tx(*writer);
        writer->execute(QStringLiteral("INSERT INTO Stock (Stock_Code, Prod_ID, Loc_ID) VALUES "
                                       "('S1', ?, ?)"),
                        pc, office);
        store::writeHistory(*writer, static_cast<int>(writer->lastInsertId()), store::HistoryStock,
                            QStringLiteral("Office"), testing_support::testNow());
        // Nothing is told before the commit.
        EXPECT_TRUE(changesSeenBy(*listener, 200).isEmpty());
        tx.commit();
    }
    QStringList tables = changesSeenBy(*listener);
    tables.sort();
    EXPECT_EQ(tables, (QStringList{"stock", "stockhistory"}));

    // A write outside a transaction is told as it commits.
    writer->execute(QStringLiteral("UPDATE Stock SET Cost = 5"));
    EXPECT_EQ(changesSeenBy(*listener), QStringList{"stock"});

    // The listener's own writes are not news to it.
    listener->execute(QStringLiteral("UPDATE Stock SET Cost = 6"));
    EXPECT_TRUE(changesSeenBy(*listener, 300).isEmpty());
}

TEST_F(Notifications, NothingIsToldOfARollbackOrOfATransactionThatOnlyRead) {
    t.addCategory(QStringLiteral("All"));
    drain(*listener);
    {
        store::Transaction tx(*writer);
        writer->execute(QStringLiteral("UPDATE Categories SET Cat_Desc = 'Gone'"));
    } // rolled back
    {
        store::Transaction tx(*writer);
        EXPECT_TRUE(writer->exists(QStringLiteral("SELECT 1 FROM Categories")));
        // A write that changed no row is no change.
        writer->execute(QStringLiteral("DELETE FROM Suppliers WHERE Supplier_ID = -1"));
        tx.commit();
    }
    EXPECT_TRUE(changesSeenBy(*listener, 500).isEmpty());
    EXPECT_EQ(t.value(QStringLiteral("SELECT Cat_Desc FROM Categories")), QStringLiteral("All"));
}

TEST_F(Notifications, AListenerThatReconnectedStillHears) {
    store::Query pid(*listener, QStringLiteral("SELECT pg_backend_pid() AS pid"));
    ASSERT_TRUE(pid.next());
    t.value(QStringLiteral("SELECT pg_terminate_backend(?)"), pid.integer(QStringLiteral("pid")));
    // The broken connection has no socket to watch; the next statement
    // connects again and listens again.
    EXPECT_TRUE(changesSeenBy(*listener, 100).isEmpty());
    for (int i = 0; i < 100 && listener->notificationSocket() >= 0; ++i) {
        listener->takeChanges();
        QThread::msleep(20);
    }
    EXPECT_EQ(listener->notificationSocket(), -1);
    EXPECT_TRUE(listener->exists(QStringLiteral("SELECT 1")));
    EXPECT_GE(listener->notificationSocket(), 0);
    writer->execute(QStringLiteral("INSERT INTO Categories (Cat_Desc) VALUES ('New')"));
    EXPECT_EQ(changesSeenBy(*listener), QStringList{"categories"});
}

namespace {

// A register made by vemora-admin create --server, with a viewer and an
// editor login of the test's own.
class WhoMayWrite : public ::testing::Test {
protected:
    void SetUp() override {
        NEEDS_SERVER();
        shell::createRegisterRoles(t.db());
        office = t.addLocation(QStringLiteral("Office"), 1, 2, 1);
        store = t.addLocation(QStringLiteral("Store"), 1, 2, 1);
        pc = t.addProduct(QStringLiteral("PC"), QStringLiteral("Desk PC"),
                          t.addCategory(QStringLiteral("All")));
        item = t.addStock(QStringLiteral("PC-1"), pc, office);
        for (const QString& login : {viewer, editor})
            t.db().runServerText(QStringLiteral("DROP ROLE IF EXISTS %1; CREATE ROLE %1 LOGIN")
                                     .arg(t.db().server().quoteIdentifier(login)));
        shell::grantRegisterRole(t.db(), viewer, shell::ViewerRole);
        shell::grantRegisterRole(t.db(), editor, shell::EditorRole);
    }
    void TearDown() override {
        if (!testing_support::serverRun())
            return;
        connections.clear();
        for (const QString& login : {viewer, editor})
            t.db().runServerText(QStringLiteral("DROP ROLE IF EXISTS %1")
                                     .arg(t.db().server().quoteIdentifier(login)));
    }
    // A connection to the test's register as login.
    store::Database& as(const QString& login) {
        QString uri = t.serverUri();
        uri.replace(QRegularExpression(QStringLiteral("user=[^&]*")),
                    QStringLiteral("user=") + QString::fromUtf8(QUrl::toPercentEncoding(login)));
        connections.push_back(store::Database::connectServer(uri));
        return *connections.back();
    }

    TestDatabase t;
    // Names a server quotes: a blank, capitals and a quote.
    const QString viewer = QStringLiteral("Vemora Viewer \"%1\"").arg(::getpid());
    const QString editor = QStringLiteral("vemora editor %1").arg(::getpid());
    std::vector<std::unique_ptr<store::Database>> connections;
    int office = 0, store = 0, pc = 0, item = 0;
};

} // namespace

TEST_F(WhoMayWrite, AViewerReadsButTheServerRefusesItsWritesWithNothingWritten) {
    store::Database& db = as(viewer);
    EXPECT_FALSE(db.mayWrite());
    testing_support::ScriptedMessages messages;
    common::FixedClock clock{testing_support::testNow()};
    assets::clsStock stock(db, messages, clock);
    // Reading works.
    ASSERT_TRUE(stock.GetStockDets(item).has_value());

    allocation::clsAllocations allocations(db, messages, clock);
    const auto move = [&] {
        allocations.MoveStockLic(common::parseNodeKey(QStringLiteral("S%1").arg(item)),
                                 common::parseNodeKey(QStringLiteral("L%1").arg(office)),
                                 common::parseNodeKey(QStringLiteral("L%1").arg(store)));
    };
    assets::StockFields fields;
    fields.prodId = pc;
    fields.code = QStringLiteral("PC-2");
    fields.locId = office;
    fields.locDesc = QStringLiteral("Office");
    const std::function<void()> writes[] = {move, [&] {
                                                stock.AddStock(fields);
                                            }};
    for (const auto& write : writes) {
        try {
            write();
            ADD_FAILURE() << "a viewer wrote";
        } catch (const store::DbError& error) {
            EXPECT_EQ(error.number(), SQLITE_PERM);
            EXPECT_TRUE(error.description().startsWith(
                QStringLiteral("This login may only read the register")))
                << error.description().toStdString();
        }
    }
    EXPECT_FALSE(db.inTransaction());
    EXPECT_EQ(t.value(QStringLiteral("SELECT Loc_ID FROM Stock WHERE Stock_ID = ?"), item),
              QString::number(office));
    EXPECT_EQ(t.count(QStringLiteral("Stock")), 1);
    EXPECT_EQ(t.count(QStringLiteral("StockHistory")), 0);
}

TEST_F(WhoMayWrite, AnEditorWritesAndTheHistoryNamesItsLogin) {
    store::Database& db = as(editor);
    EXPECT_TRUE(db.mayWrite());
    EXPECT_EQ(db.userName(), editor);
    testing_support::ScriptedMessages messages;
    common::FixedClock clock{testing_support::testNow()};
    allocation::clsAllocations allocations(db, messages, clock);
    ASSERT_TRUE(allocations.MoveStockLic(common::parseNodeKey(QStringLiteral("S%1").arg(item)),
                                         common::parseNodeKey(QStringLiteral("L%1").arg(office)),
                                         common::parseNodeKey(QStringLiteral("L%1").arg(store))));
    EXPECT_EQ(
        t.value(QStringLiteral("SELECT Moved_By FROM StockHistory WHERE Stock_Lic_ID = ?"), item),
        editor);
    // A new stock item draws its id from the table's sequence.
    assets::clsStock stock(db, messages, clock);
    assets::StockFields fields;
    fields.prodId = pc;
    fields.code = QStringLiteral("PC-2");
    fields.locId = office;
    fields.locDesc = QStringLiteral("Office");
    EXPECT_TRUE(stock.AddStock(fields).stockId.has_value());
    EXPECT_TRUE(messages.texts().isEmpty())
        << messages.texts().join(QLatin1Char('\n')).toStdString();
}

TEST_F(WhoMayWrite, GrantingTheOtherRoleTakesTheFirstAway) {
    shell::grantRegisterRole(t.db(), viewer, shell::EditorRole);
    EXPECT_TRUE(as(viewer).mayWrite());
    shell::grantRegisterRole(t.db(), viewer, shell::ViewerRole);
    EXPECT_FALSE(as(viewer).mayWrite());
    // Making the roles again changes nothing.
    shell::createRegisterRoles(t.db());
    EXPECT_FALSE(as(viewer).mayWrite());
    EXPECT_EQ(shell::registerRole(QStringLiteral("editor")), shell::EditorRole);
    EXPECT_EQ(shell::registerRole(QStringLiteral("viewer")), shell::ViewerRole);
    EXPECT_FALSE(shell::registerRole(QStringLiteral("admin")).has_value());
}

TEST(WhoMayWriteAFile, TheFileIsAlwaysWritten) {
    SKIP_ON_SERVER("the file has no logins");
    TestDatabase t;
    EXPECT_TRUE(t.db().mayWrite());
    EXPECT_EQ(t.db().notificationSocket(), -1);
    EXPECT_TRUE(t.db().takeChanges().isEmpty());
}

TEST(TeamAdminCommands, CreateAndCopyMakeTheRolesAndGrantGivesALoginOne) {
    NEEDS_SERVER();
    const struct {
        const char* name;
        bool copied;
    } ways[] = {{"create --server", false}, {"copy FILE URL", true}};
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        testing_support::ServerScratchDatabase server;
        auto admin = store::Database::connectServer(server.uri());
        const QString login = QStringLiteral("admin's viewer %1").arg(::getpid());
        const QString quoted = admin->server().quoteIdentifier(login);
        admin->runServerText(
            QStringLiteral("DROP ROLE IF EXISTS %1; CREATE ROLE %1 LOGIN").arg(quoted));

        if (way.copied) {
            // A register made in a file, then copied onto the server.
            QTemporaryDir dir;
            const QString file = dir.filePath(QStringLiteral("register.mdb"));
            ASSERT_EQ(testing_support::runAdmin({"create", file}).status, 0);
            const auto copied = testing_support::runAdmin({"copy", file, server.uri()});
            ASSERT_EQ(copied.status, 0) << copied.err.toStdString();
        } else {
            EXPECT_EQ(testing_support::runAdmin({"create", "--server", server.uri()}).status, 0);
        }
        const auto has = [&](const char* role, const char* privilege) {
            store::Query q(*admin,
                           QStringLiteral("SELECT has_table_privilege(?, 'stock', ?) AS may"));
            q.bindAll(QString::fromLatin1(role), QString::fromLatin1(privilege));
            return q.next() && q.text(QStringLiteral("may")) == QLatin1String("t");
        };
        EXPECT_TRUE(has("vemora_viewer", "SELECT"));
        EXPECT_FALSE(has("vemora_viewer", "INSERT"));
        EXPECT_TRUE(has("vemora_editor", "UPDATE"));

        const auto grant =
            testing_support::runAdmin({"grant", login, "viewer", "--server", server.uri()});
        EXPECT_EQ(grant.status, 0) << grant.err.toStdString();
        EXPECT_EQ(
            testing_support::runAdmin({"grant", login, "owner", "--server", server.uri()}).status,
            2);
        QString uri = server.uri();
        uri.replace(QRegularExpression(QStringLiteral("user=[^&]*")),
                    QStringLiteral("user=") + QString::fromUtf8(QUrl::toPercentEncoding(login)));
        {
            auto viewer = store::Database::connectServer(uri);
            EXPECT_FALSE(viewer->mayWrite());
            EXPECT_TRUE(viewer->exists(QStringLiteral("SELECT 1 FROM Locations")));
        }
        admin.reset();
        store::Database::connectServer(server.uri())
            ->runServerText(QStringLiteral("DROP OWNED BY %1; DROP ROLE %1").arg(quoted));
    }
}
