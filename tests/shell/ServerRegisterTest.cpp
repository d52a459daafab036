// A register on a server: moving one there and back with vemora-admin copy,
// and what start-up tells the user when the server's register cannot be
// used. These need the test server and skip themselves on the file run.

#include "common/Messages.h"
#include "seed/Seed.h"
#include "shell/AdminCommands.h"
#include "shell/RegisterCopy.h"
#include "shell/StartUp.h"
#include "store/Database.h"
#include "store/ProductCounts.h"
#include "store/Schema.h"
#include "store/StoreConstants.h"
#include "support/AdminCommand.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using testing_support::ScriptedMessages;
using testing_support::ServerScratchDatabase;

namespace {

struct TableRows {
    const char* table;
    const char* columns;
    const char* order;
};
const TableRows AllTables[] = {
    {"Categories", "Cat_ID, Cat_Desc", "Cat_ID"},
    {"Suppliers",
     "Supplier_ID, Supp_Name, Add_1, Add_2, Add_3, Town, County, Post_Code, Area, Telephone, "
     "FaxArea, Fax, Email, Web_Address, Contact, Supp_Date",
     "Supplier_ID"},
    {"Locations", "Loc_ID, Loc_Desc, Loc_Status, Loc_Level, Loc_ParentID, Loc_Top", "Loc_ID"},
    {"Products",
     "Prod_ID, Prod_Code, Prod_Desc, Prod_Cat_ID, Supp_ID, Prod_Cost, Date_Added, Prod_Owned",
     "Prod_ID"},
    {"Stock", "Stock_ID, Stock_Code, Prod_ID, Loc_ID, Supp_ID, Cost, Date_Added", "Stock_ID"},
    {"Licences",
     "Licence_ID, Licence_Name, Prod_ID, Loc_ID, Supp_ID, Exp_Date, Cost, Type, Date_Added",
     "Licence_ID"},
    {"StockHistory", "Stock_Lic_ID, Loc_Desc, move_date, Type", "rowid"},
    // Not copied: the target's triggers fold the same texts alike.
    {"FindText", "Kind, Item_ID, Folded", "Kind, Item_ID"},
};

// Every row of a table, each as one line of its values (NULL told apart).
QStringList rowsOf(store::Database& db, const TableRows& t) {
    store::Query q(db, QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
                           .arg(QString::fromLatin1(t.columns), QString::fromLatin1(t.table),
                                QString::fromLatin1(t.order)));
    const QStringList columns = QString::fromLatin1(t.columns).split(QStringLiteral(", "));
    QStringList rows;
    while (q.next()) {
        QStringList values;
        for (const QString& c : columns)
            values << (q.isNull(c) ? QStringLiteral("<null>") : q.rawText(c));
        rows << values.join(QLatin1Char('|'));
    }
    return rows;
}

} // namespace

TEST(RegisterCopy, FileToServerAndBackKeepsEveryRowOfEveryTable) {
    NEEDS_SERVER();
    QTemporaryDir dir;
    const QString original = QDir(dir.path()).filePath(QStringLiteral("original.mdb"));
    const QString back = QDir(dir.path()).filePath(QStringLiteral("back.mdb"));
    seed::createSeededDatabase(original, 0.002);
    {
        // Licences owned on some products, and accents in a searched text
        // that each engine folds with its own function.
        auto db = store::Database::open(original, store::DatabaseKey);
        db->execute(QStringLiteral("UPDATE Products SET Prod_Owned = Prod_ID % 7 "
                                   "WHERE Prod_ID % 2 = 0"));
        db->execute(QStringLiteral("UPDATE Suppliers SET Supp_Name = ? WHERE Supplier_ID = "
                                   "(SELECT min(Supplier_ID) FROM Suppliers)"),
                    QStringLiteral("Ça Ōrsted Ŀédition ÅÄÖ"));
    }
    ServerScratchDatabase server;
    {
        auto from = store::Database::open(original, store::DatabaseKey);
        auto to = store::Database::connectServer(server.uri());
        const shell::CopyCounts counts = shell::copyRegister(*from, *to);
        EXPECT_EQ(counts.tables, 7);
        EXPECT_GT(counts.rows, 1000);
    }
    {
        auto from = store::Database::connectServer(server.uri());
        auto to = store::Database::create(back, store::DatabaseKey);
        shell::copyRegister(*from, *to);
    }
    auto a = store::Database::open(original, store::DatabaseKey);
    auto s = store::Database::connectServer(server.uri());
    auto b = store::Database::open(back, store::DatabaseKey);
    for (const TableRows& t : AllTables) {
        SCOPED_TRACE(t.table);
        const QStringList rows = rowsOf(*a, t);
        EXPECT_FALSE(rows.isEmpty());
        EXPECT_EQ(rowsOf(*s, t), rows);
        EXPECT_EQ(rowsOf(*b, t), rows);
    }
    EXPECT_EQ(b->userVersion(), store::SchemaVersion);
    // The kept product counts are made for the copied items on both.
    EXPECT_EQ(store::productCountProblems(*s, -1), QStringList());
    EXPECT_EQ(store::productCountProblems(*b, -1), QStringList());

    // New rows carry on above the copied ids on the server.
    const std::int64_t highest = [&] {
        store::Query q(*s, QStringLiteral("SELECT max(Stock_ID) AS m FROM Stock"));
        q.next();
        return q.integer(QStringLiteral("m"));
    }();
    s->execute(QStringLiteral("INSERT INTO Stock (Stock_Code, Prod_ID, Loc_ID, Cost) SELECT "
                              "'NEW-1', Prod_ID, 1, 0 FROM Products WHERE Prod_ID = (SELECT "
                              "min(Prod_ID) FROM Products)"));
    EXPECT_EQ(s->lastInsertId(), highest + 1);
    // And are counted: the triggers came back with the counts.
    store::Query counted(*s, QStringLiteral("SELECT Stock_Count - (SELECT count(*) FROM Stock "
                                            "x WHERE x.Prod_ID = k.Prod_ID AND x.Loc_ID <> 5) "
                                            "FROM ProductCounts k JOIN Stock s ON s.Prod_ID = "
                                            "k.Prod_ID WHERE s.Stock_Code = 'NEW-1'"));
    ASSERT_TRUE(counted.next());
    EXPECT_EQ(counted.integerAt(0), 0);
}

TEST(RegisterCopy, ATargetThatHoldsARegisterIsRefusedAndLeftAsItWas) {
    NEEDS_SERVER();
    QTemporaryDir dir;
    const QString file = QDir(dir.path()).filePath(QStringLiteral("a.mdb"));
    seed::createSeededDatabase(file, 0.001);
    ServerScratchDatabase server;
    auto to = store::Database::connectServer(server.uri());
    store::createSchema(*to);
    to->execute(QStringLiteral("INSERT INTO Categories (Cat_Desc) VALUES (?)"),
                QStringLiteral("Kept"));
    auto from = store::Database::open(file, store::DatabaseKey);
    EXPECT_THROW(shell::copyRegister(*from, *to), store::DbError);
    store::Query q(*to, QStringLiteral("SELECT Cat_Desc FROM Categories"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.text(QStringLiteral("Cat_Desc")), QStringLiteral("Kept"));
    EXPECT_FALSE(q.next());
}

TEST(RegisterCopy, TheAdminCommandCopiesBothWaysAndBacksUpAServer) {
    NEEDS_SERVER();
    QTemporaryDir dir;
    const QString file = QDir(dir.path()).filePath(QStringLiteral("a.mdb"));
    seed::createSeededDatabase(file, 0.001);
    ServerScratchDatabase server;
    const QString back = QDir(dir.path()).filePath(QStringLiteral("back.mdb"));
    const QString nightly = QDir(dir.path()).filePath(QStringLiteral("nightly.mdb"));
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    EXPECT_EQ(shell::runAdminCommand({"copy", file, server.uri()}, dir.path(), out, err), 0);
    EXPECT_EQ(shell::runAdminCommand({"copy", file, server.uri()}, dir.path(), out, err), 1);
    EXPECT_EQ(shell::runAdminCommand({"check", "--server", server.uri()}, dir.path(), out, err), 0);
    EXPECT_EQ(shell::runAdminCommand({"copy", server.uri(), back}, dir.path(), out, err), 0);
    EXPECT_EQ(
        shell::runAdminCommand({"backup", nightly, "--server", server.uri()}, dir.path(), out, err),
        0);
    std::fclose(out);
    std::fclose(err);
    auto a = store::Database::open(file, store::DatabaseKey);
    for (const QString& copy : {back, nightly}) {
        auto b = store::Database::open(copy, store::DatabaseKey);
        for (const TableRows& t : AllTables)
            EXPECT_EQ(rowsOf(*b, t), rowsOf(*a, t)) << t.table;
    }
}

TEST(ServerStartUp, EachFailureSaysWhatWentWrongAndWhatToDo) {
    NEEDS_SERVER();
    ServerScratchDatabase empty;
    ServerScratchDatabase newer;
    {
        auto db = store::Database::connectServer(newer.uri());
        store::createSchema(*db);
        db->setUserVersion(store::SchemaVersion + 1);
    }
    {
        auto admin = store::Database::connectServer(testing_support::serverUriFor("postgres"));
        admin->run(QStringLiteral("DROP ROLE IF EXISTS vemora_password"));
        admin->run(QStringLiteral("CREATE ROLE vemora_password LOGIN PASSWORD 'right'"));
    }
    QString wrongPort = empty.uri();
    wrongPort += QStringLiteral("&port=1");
    QString withPassword = empty.uri();
    withPassword.replace(QRegularExpression(QStringLiteral("user=[^&]*")),
                         QStringLiteral("user=vemora_password"));

    const struct {
        const char* name;
        QString uri;
        std::optional<QString> password; // what the user types when asked
        QString first;                   // the start of the message
        QString help;                    // what it ends with
    } cases[] = {
        {"wrong port", wrongPort, std::nullopt, QStringLiteral("connection to server"),
         shell::ServerUnreachableHelp},
        {"wrong password", withPassword, QStringLiteral("wrong"),
         QStringLiteral("connection to server"), shell::ServerLoginHelp},
        {"no password given", withPassword, std::nullopt, QStringLiteral("connection to server"),
         shell::ServerLoginHelp},
        {"no register", empty.uri(), std::nullopt, QStringLiteral("The database "),
         QStringLiteral("vemora-admin create --server URL.")},
        {"newer schema", newer.uri(), std::nullopt,
         QStringLiteral("The asset database was made by a newer version of the program"),
         shell::NewerRegisterHelp},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedMessages messages;
        int asked = 0;
        const auto prompt = [&](const QString&) {
            ++asked;
            return c.password;
        };
        EXPECT_EQ(shell::OpenServerRegister(c.uri, messages, prompt), nullptr);
        ASSERT_EQ(messages.shown().size(), 1u);
        EXPECT_EQ(messages.shown().front().kind, common::MessageKind::Failure);
        EXPECT_TRUE(messages.shown().front().text.startsWith(c.first))
            << messages.shown().front().text.toStdString();
        EXPECT_TRUE(messages.shown().front().text.endsWith(c.help))
            << messages.shown().front().text.toStdString();
        EXPECT_EQ(asked, c.name == std::string("wrong password") ||
                                 c.name == std::string("no password given")
                             ? 1
                             : 0);
    }

    // The right password, typed when asked, opens the register.
    {
        auto db = store::Database::connectServer(empty.uri());
        store::createSchema(*db);
        db->run(QStringLiteral("GRANT ALL ON ALL TABLES IN SCHEMA public TO vemora_password; "
                               "GRANT ALL ON ALL SEQUENCES IN SCHEMA public TO vemora_password"));
    }
    ScriptedMessages messages;
    auto db = shell::OpenServerRegister(withPassword, messages,
                                        [](const QString&) { return QStringLiteral("right"); });
    ASSERT_NE(db, nullptr) << messages.shown().front().text.toStdString();
    EXPECT_TRUE(db->describe().startsWith(QStringLiteral("vemora_password@")));
    EXPECT_TRUE(messages.shown().empty());
}

// vemora-admin create, seed and report on a server give what they give on a
// file: the same schema, the same demo register, the same report text.
TEST(AdminOnServer, CreateSeedAndReportDoOnAServerWhatTheyDoOnAFile) {
    NEEDS_SERVER();
    using testing_support::runAdmin;
    QTemporaryDir dir;
    const QString file = QDir(dir.path()).filePath(QStringLiteral("seeded.mdb"));
    ServerScratchDatabase created;
    ServerScratchDatabase seeded;

    const testing_support::AdminResult create = runAdmin({"create", "--server", created.uri()});
    EXPECT_EQ(create.status, 0) << create.err.toStdString();
    {
        auto db = store::Database::connectServer(created.uri());
        EXPECT_EQ(db->userVersion(), store::SchemaVersion);
        store::Query q(*db, QStringLiteral("SELECT count(*) AS n FROM Locations"));
        ASSERT_TRUE(q.next());
        EXPECT_EQ(q.integer(QStringLiteral("n")), 5);
    }
    const testing_support::AdminResult again = runAdmin({"create", "--server", created.uri()});
    EXPECT_EQ(again.status, 1);
    EXPECT_TRUE(again.err.contains(QStringLiteral("already holds a register")))
        << again.err.toStdString();

    const testing_support::AdminResult seed =
        runAdmin({"seed", "--server", seeded.uri(), "--scale", "0.001"});
    EXPECT_EQ(seed.status, 0) << seed.err.toStdString();
    EXPECT_EQ(runAdmin({"seed", file, "--scale", "0.001"}).status, 0);
    EXPECT_EQ(runAdmin({"seed", "--server", seeded.uri(), "--scale", "0.001"}).status, 1);
    {
        auto a = store::Database::open(file, store::DatabaseKey);
        auto s = store::Database::connectServer(seeded.uri());
        for (const TableRows& t : AllTables) {
            SCOPED_TRACE(t.table);
            const QStringList rows = rowsOf(*a, t);
            EXPECT_FALSE(rows.isEmpty());
            EXPECT_EQ(rowsOf(*s, t), rows);
        }
    }

    for (const char* report : {"1", "Licences expiring soon"}) {
        SCOPED_TRACE(report);
        const testing_support::AdminResult onFile = runAdmin({"report", report, "--db", file});
        const testing_support::AdminResult onServer =
            runAdmin({"report", report, "--server", seeded.uri()});
        EXPECT_EQ(onServer.status, 0) << onServer.err.toStdString();
        EXPECT_FALSE(onFile.out.isEmpty());
        EXPECT_EQ(onServer.outText(), onFile.outText());
    }
    EXPECT_NE(runAdmin({"report", "1", "--db", file, "--server", seeded.uri()}).status, 0);
}
