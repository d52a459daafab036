// vemora-admin report: the page's text on standard output, for scripts.

#include "common/Clock.h"
#include "reports/ReportFixture.h"
#include "reports/clsReports.h"
#include "support/QtPrinting.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Result {
    int status = -1;
    QByteArray out;
    QString err;
};

// The program beside the test program.
QString admin() {
    return QDir(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath())
        .filePath(QStringLiteral("vemora-admin"));
}

Result run(const QStringList& args) {
    QProcess p;
    p.start(admin(), args);
    EXPECT_TRUE(p.waitForFinished(60000)) << admin().toStdString();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            QString::fromUtf8(p.readAllStandardError())};
}

class ReportCommand : public ::testing::Test {
protected:
    void SetUp() override {
        testing_support::seedReportFixture(t);
        ASSERT_TRUE(QFileInfo::exists(admin()));
    }
    // The report as the page makes it today.
    QByteArray expected(const QString& report, int order) {
        common::FixedClock today{QDateTime::currentDateTime()};
        reports::clsReports r(t.db(), messages, today);
        return r.RunReport(report, order).text.toUtf8();
    }

    testing_support::TestDatabase t{testing_support::TestDatabase::Storage::KeyedFile};
    testing_support::ScriptedMessages messages;
};

} // namespace

TEST_F(ReportCommand, WritesTheReportByNameOrNumberInTheChosenOrder) {
    const struct {
        QStringList args;
        const char* report;
        int order;
    } cases[] = {
        {{"1"}, "Licence details", reports::OrderCategory},
        {{"Stock details"}, "Stock details", reports::OrderCategory},
        {{"stock DETAILS", "--order", "cost"}, "Stock details", reports::OrderCost},
        {{"--order", "Licence Type", "5"}, "Licence expiry audit", reports::OrderLicenceType},
        {{"3", "--order", "Supplier"}, "Product details with licences", reports::OrderSupplier},
        {{"8", "--order", "Stock Code"}, "Removed Stock details", reports::OrderStockCode},
    };
    for (const auto& c : cases) {
        const Result r = run(QStringList{"report"} + c.args + QStringList{"--db", t.path()});
        EXPECT_EQ(r.status, 0) << c.report << r.err.toStdString();
        EXPECT_EQ(r.out, expected(QString::fromLatin1(c.report), c.order)) << c.report;
        EXPECT_TRUE(r.out.contains("\r\n"));
    }
}

TEST_F(ReportCommand, AnEmptyReportWritesItsHeadingAndItsMessageAndSucceeds) {
    t.db().execute(QStringLiteral("DELETE FROM Stock WHERE Loc_ID = 5"));
    const Result r = run({"report", "Removed Stock details", "--db", t.path()});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, expected(QStringLiteral("Removed Stock details"), 0));
    EXPECT_EQ(r.out.count("\r\n"), 5);
    EXPECT_TRUE(r.err.contains(QStringLiteral("No removed stock on system")));
}

TEST_F(ReportCommand, RefusesUnknownReportsOrdersAndDatabases) {
    const struct {
        QStringList args;
        int status;
        const char* says;
    } cases[] = {
        {{"report", "9"}, 2, "no report \"9\""},
        {{"report", "Sales"}, 2, "no report \"Sales\""},
        {{"report", "2", "--order", "Licence Key"}, 2, "has no order \"Licence Key\""},
        {{"report", "2", "--order"}, 2, "usage"},
        {{"report", "--db"}, 2, "usage"},
        {{"report", "1", "--db", "/nonexistent/AssetManagement.mdb"}, 1, "cannot open"},
    };
    for (const auto& c : cases) {
        QStringList args = c.args;
        if (!args.contains(QStringLiteral("--db")) && c.status != 1)
            args << QStringLiteral("--db") << t.path();
        const Result r = run(args);
        EXPECT_EQ(r.status, c.status) << args.join(u' ').toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromLatin1(c.says))) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
    // A file that is no asset database.
    QTemporaryDir dir;
    QFile junk(QDir(dir.path()).filePath(QStringLiteral("junk.mdb")));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(4096, 'x'));
    junk.close();
    EXPECT_EQ(run({"report", "1", "--db", junk.fileName()}).status, 1);
}

TEST_F(ReportCommand, WritesAPdfWhenAskedTo) {
    QTemporaryDir dir;
    const QString pdf = QDir(dir.path()).filePath(QStringLiteral("stock.pdf"));
    const Result r = run({"report", "2", "--pdf", pdf, "--db", t.path()});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(30000)) << "pdftotext (poppler-utils) must be installed";
    QStringList onPaper, inText;
    for (const QString& l : QString::fromUtf8(text.readAllStandardOutput()).split(u'\n'))
        if (!l.simplified().isEmpty())
            onPaper << l.simplified();
    for (const QString& l : QString::fromUtf8(expected(QStringLiteral("Stock details"), 0))
                                .split(QStringLiteral("\r\n")))
        if (!l.simplified().isEmpty())
            inText << l.simplified();
    EXPECT_EQ(onPaper, inText);
}
