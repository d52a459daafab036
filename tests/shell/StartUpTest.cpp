#include "shell/StartUp.h"
#include "common/FileWork.h"
#include "seed/Seed.h"
#include "shell/DatabaseFile.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "store/StoreConstants.h"
#include "support/FileBytes.h"
#include "support/RegisterFiles.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/stat.h>

using common::MessageKind;
using shell::DateOrder;
using testing_support::ScriptedMessages;

namespace {

struct LocaleCase {
    const char* name;
    DateOrder order; // as the locale's short date format puts it
};

// Short date formats as Qt gives them: en_GB "dd/MM/yyyy", de_DE "dd.MM.yy",
// C "d MMM yyyy", bg_BG "d.MM.yy 'г'.", ar_SA with right-to-left marks;
// en_US "M/d/yy"; ja_JP "yyyy/MM/dd", hu_HU "yyyy. MM. dd.", ko_KR "yy. M. d.",
// eu_ES "yy/M/d".
const LocaleCase Locales[] = {
    {"en_GB", DateOrder::DayMonthYear}, {"de_DE", DateOrder::DayMonthYear},
    {"fr_FR", DateOrder::DayMonthYear}, {"C", DateOrder::DayMonthYear},
    {"it_IT", DateOrder::DayMonthYear}, {"es_ES", DateOrder::DayMonthYear},
    {"nl_NL", DateOrder::DayMonthYear}, {"ru_RU", DateOrder::DayMonthYear},
    {"en_AU", DateOrder::DayMonthYear}, {"pl_PL", DateOrder::DayMonthYear},
    {"bg_BG", DateOrder::DayMonthYear}, {"ar_SA", DateOrder::DayMonthYear},
    {"en_US", DateOrder::MonthDayYear}, {"en_PH", DateOrder::MonthDayYear},
    {"ja_JP", DateOrder::YearMonthDay}, {"zh_CN", DateOrder::YearMonthDay},
    {"hu_HU", DateOrder::YearMonthDay}, {"ko_KR", DateOrder::YearMonthDay},
    {"sv_SE", DateOrder::YearMonthDay}, {"en_CA", DateOrder::YearMonthDay},
    {"lt_LT", DateOrder::YearMonthDay}, {"eu_ES", DateOrder::YearMonthDay},
};

} // namespace

TEST(DateOrder, OnlyDayFirstLocalesAreAcceptedAndOthersSeeTheRefusal) {
    for (const LocaleCase& c : Locales) {
        const QLocale locale(QString::fromLatin1(c.name));
        SCOPED_TRACE(std::string(c.name) + " " +
                     locale.dateFormat(QLocale::ShortFormat).toStdString());
        ASSERT_EQ(locale.name(), QString::fromLatin1(c.name)) << "locale not known to Qt";
        EXPECT_EQ(shell::dateOrderOf(locale), c.order);

        ScriptedMessages messages;
        const bool accepted = c.order == DateOrder::DayMonthYear;
        EXPECT_EQ(shell::CheckDateOrder(locale, messages), accepted);
        if (accepted) {
            EXPECT_TRUE(messages.shown().empty());
        } else {
            ASSERT_EQ(messages.shown().size(), 1u);
            EXPECT_EQ(messages.shown().front().kind, MessageKind::Failure);
            EXPECT_EQ(messages.shown().front().text, shell::DateOrderRefusal);
        }
    }
}

TEST(DateOrder, RefusalTextJoinsItsTwoLinesWithCarriageReturnLineFeed) {
    EXPECT_EQ(
        shell::DateOrderRefusal,
        QStringLiteral("This program requires your date format to be day/month/year.\r\n"
                       "Please modify this in Regional Settings and re-start Vemora Assets."));
}

namespace {

QByteArray digestOf(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

QString engineText(int code) {
    return QString::fromUtf8(sqlite3_errstr(code)) + QStringLiteral(" - ") + QString::number(code);
}

} // namespace

TEST(OpenAssetDatabase, OpensTheDatabaseBesideTheProgramWithItsKey) {
    testing_support::TestDatabase t{testing_support::TestDatabase::Storage::KeyedFile};
    const int office = t.addLocation(QStringLiteral("Office"), 1, 2, 1);
    ScriptedMessages messages;
    auto db = shell::OpenAssetDatabase(t.dir(), messages);
    ASSERT_NE(db, nullptr);
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_TRUE(
        db->exists(QStringLiteral("SELECT Loc_ID FROM Locations WHERE Loc_ID = ?"), office));
}

TEST(OpenAssetDatabase, AMissingFileIsReportedByTheEngineAndNotCreated) {
    QTemporaryDir dir;
    ScriptedMessages messages;
    EXPECT_EQ(shell::OpenAssetDatabase(dir.path(), messages), nullptr);
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown().front().kind, MessageKind::Failure);
    EXPECT_EQ(messages.shown().front().text, engineText(SQLITE_CANTOPEN));
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST(OpenAssetDatabase, AFileKeyedOtherwiseIsRefusedAndLeftAsItWas) {
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(store::DatabaseFileName);
    {
        auto other = store::Database::create(path, QStringLiteral("not the key"));
        store::createSchema(*other);
    }
    const QByteArray before = digestOf(path);
    ScriptedMessages messages;
    EXPECT_EQ(shell::OpenAssetDatabase(dir.path(), messages), nullptr);
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown().front().kind, MessageKind::Failure);
    EXPECT_EQ(messages.shown().front().text, engineText(SQLITE_NOTADB));
    EXPECT_EQ(digestOf(path), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{store::DatabaseFileName});
}

TEST(OpenAssetDatabase, AKeyedFileThatIsNoAssetDatabaseIsRefused) {
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(store::DatabaseFileName);
    store::Database::create(path, store::DatabaseKey)->run(QStringLiteral("CREATE TABLE t (x)"));
    ScriptedMessages messages;
    EXPECT_EQ(shell::OpenAssetDatabase(dir.path(), messages), nullptr);
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown().front().kind, MessageKind::Failure);
    EXPECT_TRUE(messages.shown().front().text.endsWith(QStringLiteral(" - 26")))
        << messages.shown().front().text.toStdString();
}

TEST(OpenAssetDatabase, AFileMissingOneOfTheTablesIsRefused) {
    for (const char* table : {"Locations", "Suppliers", "StockHistory"}) {
        SCOPED_TRACE(table);
        testing_support::TestDatabase t{testing_support::TestDatabase::Storage::KeyedFile};
        t.db().run(QStringLiteral("PRAGMA foreign_keys = OFF; DROP TABLE %1")
                       .arg(QString::fromLatin1(table)));
        ScriptedMessages messages;
        EXPECT_EQ(shell::OpenAssetDatabase(t.dir(), messages), nullptr);
        ASSERT_EQ(messages.shown().size(), 1u);
        EXPECT_EQ(messages.shown().front().kind, MessageKind::Failure);
        EXPECT_TRUE(messages.shown().front().text.endsWith(QStringLiteral(" - 26")))
            << messages.shown().front().text.toStdString();
    }
}

namespace {

// A register beside the program with the pages of the files made before the
// current page size, holding a small seeded register; its lines as made.
QStringList placeOldRegister(const QString& dir) {
    const QString fresh = QDir(dir).filePath(QStringLiteral("fresh.mdb"));
    seed::createSeededDatabase(fresh, 0.002);
    const QStringList lines = testing_support::registerLines(fresh);
    const QString live = QDir(dir).filePath(store::DatabaseFileName);
    testing_support::makeOldPagesCopy(fresh, live);
    QFile::remove(fresh);
    return lines;
}

// A sync that fails, as a full disk or a pulled drive would make it.
class FailingSync : public common::FileSync {
public:
    void file(const QString&) override {
        throw common::FileError(QStringLiteral("No space left on device"), 28);
    }
    void directory(const QString&) override {}
};

} // namespace

TEST(OpenAssetDatabase, AFileOfOldPagesIsRewrittenWithTheNewOnesAndKeepsEveryRow) {
    QTemporaryDir dir;
    const QStringList lines = placeOldRegister(dir.path());
    const QString live = QDir(dir.path()).filePath(store::DatabaseFileName);
    ASSERT_EQ(store::Database::open(live, store::DatabaseKey)->pageSize(), store::OldPageSize);
    ASSERT_EQ(::chmod(QFile::encodeName(live).constData(), 0640), 0);

    ScriptedMessages messages;
    auto db = shell::OpenAssetDatabase(dir.path(), messages);
    ASSERT_NE(db, nullptr);
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_EQ(db->pageSize(), store::PageSize);
    // The connection works on the new file, and every row came across.
    EXPECT_TRUE(db->exists(QStringLiteral("SELECT 1 FROM StockHistory")));
    db.reset();
    EXPECT_EQ(store::Database::open(live, store::DatabaseKey)->pageSize(), store::PageSize);
    EXPECT_EQ(testing_support::registerLines(live), lines);
    EXPECT_EQ(testing_support::modeOf(live), 0640u) << "the file keeps its mode";
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{store::DatabaseFileName})
        << "no temporary copy is left beside it";
}

TEST(OpenAssetDatabase, ARewriteThatFailsLeavesTheOldFileOpenAndAsItWas) {
    QTemporaryDir dir;
    const QStringList lines = placeOldRegister(dir.path());
    const QString live = QDir(dir.path()).filePath(store::DatabaseFileName);
    const QByteArray before = digestOf(live);
    auto db = store::Database::open(live, store::DatabaseKey);
    FailingSync failing;
    EXPECT_THROW(shell::rewritePages(*db, failing), common::FileError);
    ASSERT_TRUE(db->isOpen());
    EXPECT_EQ(db->pageSize(), store::OldPageSize);
    EXPECT_TRUE(db->exists(QStringLiteral("SELECT 1 FROM StockHistory")));
    db.reset();
    EXPECT_EQ(digestOf(live), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{store::DatabaseFileName});
    // The next start tries again, and the file holds the same register.
    ScriptedMessages messages;
    ASSERT_NE(shell::OpenAssetDatabase(dir.path(), messages), nullptr);
    EXPECT_EQ(testing_support::registerLines(live), lines);
}
