// "Licences expiring soon": the licences in use whose expiry date lies from
// today to the end of the period, by expiry date then product, with the
// days left; its text against a golden file from a small register around
// the period's ends.

#include "common/Session.h"
#include "reports/ReportCatalogue.h"
#include "reports/ReportFixture.h"
#include "reports/clsReports.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"
#include "support/TestHooks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using reports::clsReports;

namespace {

QString goldenFile() {
    return QFileInfo(QString::fromUtf8(__FILE__))
        .dir()
        .filePath(QStringLiteral("data/licences-expiring-soon-period.txt"));
}

class ExpiringSoon : public ::testing::Test {
protected:
    void SetUp() override {
        using testing_support::addReportLicence;
        using namespace store::loc;
        const int software = t.addCategory(QStringLiteral("Software"));
        const int office =
            t.addProduct(QStringLiteral("OFF-365"), QStringLiteral("Office Suite"), software);
        const int antivirus =
            t.addProduct(QStringLiteral("AV-100"), QStringLiteral("Antivirus"), software);
        const int room =
            t.addLocation(QStringLiteral("Room 4"), AvailableLicences, 2, AvailableLicences);
        const QString normal = store::LicenceNormal, temporary = store::LicenceTemporary;
        // The period's ends on the test clock's day, 10/12/2026.
        addReportLicence(t, QStringLiteral("TODAY-1"), office, room, normal, 0,
                         QStringLiteral("2026-12-10"), 0);
        addReportLicence(t, QStringLiteral("LAST-DAY-1"), office, AvailableLicences, temporary, 0,
                         QStringLiteral("2027-01-09"), 0);
        addReportLicence(t, QStringLiteral("LAST-DAY-2"), antivirus, room, normal, 0,
                         QStringLiteral("2027-01-09"), 0);
        addReportLicence(t, QStringLiteral("DAY-AFTER-1"), antivirus, room, normal, 0,
                         QStringLiteral("2027-01-10"), 0);
        addReportLicence(t, QStringLiteral("YESTERDAY-1"), office, room, normal, 0,
                         QStringLiteral("2026-12-09"), 0);
        addReportLicence(t, QStringLiteral("REMOVED-1"), office, RemovedLicences, normal, 0,
                         QStringLiteral("2026-12-20"), 0);
        addReportLicence(t, QStringLiteral("NO-DATE-1"), office, room, normal, 0, QString(), 0);
        addReportLicence(t, QStringLiteral("MIDDLE-1"), antivirus, room, temporary, 0,
                         QStringLiteral("2026-12-24"), 0);
    }
    clsReports& reports() { return session.logic<clsReports>(); }
    QStringList keys(const QString& text) {
        QStringList out;
        for (const QString& line : text.split(QStringLiteral("\r\n")).mid(5))
            if (!line.isEmpty())
                out << line.mid(60, 25).trimmed();
        return out;
    }

    testing_support::TestDatabase t;
    testing_support::ScriptedMessages messages;
    testing_support::TestHooks hooks;
    common::Session session{t.db(), messages, hooks.clock, hooks.files};
};

} // namespace

TEST_F(ExpiringSoon, TheReportMatchesItsGoldenTextFromTodayToTheLastDayOfThePeriod) {
    reports().setExpiringSoonDays(30);
    const reports::ReportDef* report = reports::findReport(reports::ExpiringSoonReport);
    ASSERT_NE(report, nullptr);
    const reports::ReportRun run = reports().RunReport(report->name, report->firstOrder);
    EXPECT_EQ(run.outcome, reports::ReportOutcome::Listed);
    const QByteArray actual = run.text.toUtf8();
    QFile file(goldenFile());
    if (qEnvironmentVariableIsSet("VEMORA_UPDATE_GOLDEN")) {
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(actual);
        return;
    }
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
    EXPECT_EQ(actual, file.readAll()) << actual.toStdString();
    EXPECT_EQ(run.lines, 4);
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(ExpiringSoon, ThePeriodDecidesWhatIsListed) {
    struct Case {
        int days;
        QStringList keys;
    };
    const Case cases[] = {
        {0, {"TODAY-1"}},
        {14, {"TODAY-1", "MIDDLE-1"}},
        {30, {"TODAY-1", "MIDDLE-1", "LAST-DAY-2", "LAST-DAY-1"}},
        {31, {"TODAY-1", "MIDDLE-1", "LAST-DAY-2", "LAST-DAY-1", "DAY-AFTER-1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.days);
        reports().setExpiringSoonDays(c.days);
        const reports::ReportRun run =
            reports().RunReport(reports::ExpiringSoonReport, reports::OrderExpiryDate);
        EXPECT_EQ(keys(run.text), c.keys);
    }
}

TEST_F(ExpiringSoon, AnOrderButtonSortsFirstAndExpiryThenProductBreakTies) {
    reports().setExpiringSoonDays(30);
    const reports::ReportRun run =
        reports().RunReport(reports::ExpiringSoonReport, reports::OrderLicenceType);
    // Normal first, then temporary; within each, by expiry and product.
    EXPECT_EQ(keys(run.text), (QStringList{"TODAY-1", "LAST-DAY-2", "MIDDLE-1", "LAST-DAY-1"}));
}

TEST_F(ExpiringSoon, NothingWithinThePeriodShowsItsMessage) {
    hooks.clock.set(QDateTime(QDate(2030, 1, 1), QTime(9, 0)));
    const reports::ReportRun run =
        reports().RunReport(reports::ExpiringSoonReport, reports::OrderExpiryDate);
    EXPECT_EQ(run.outcome, reports::ReportOutcome::Empty);
    EXPECT_EQ(messages.texts(), QStringList{"No licences expire within the period"});
}
