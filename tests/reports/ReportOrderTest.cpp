// A report sorted by another table's text (category, product code or
// description, supplier, location) is sorted by the program rather than by
// the engine's collated ORDER BY: its text must be exactly what the
// engine's order gives, ties (texts equal but for letter case) in record
// order, a missing supplier first. The first lines of a report, read on
// their own for its first screen, begin its whole text.

#include "common/Session.h"
#include "reports/ReportCatalogue.h"
#include "reports/ReportFixture.h"
#include "reports/clsReports.h"
#include "seed/Seed.h"
#include "store/Database.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"
#include "support/TestHooks.h"

#include <gtest/gtest.h>

#include <algorithm>

using reports::clsReports;

namespace {

class ReportOrder : public ::testing::Test {
protected:
    clsReports& reports() { return session.logic<clsReports>(); }

    // The report as the engine orders it: the reference query (every order
    // term in its ORDER BY), its rows written as they come.
    QString engineOrdered(const reports::ReportDef& report, int order) {
        const clsReports::ComposedQuery query = reports().ComposeQuery(report, order);
        store::Query rows(t.db(), query.sql);
        store::bindValues(rows, 1, query.values);
        QString text = reports().WriteReportHeading(report.name);
        clsReports::WriteReportLines(report, rows, text, hooks.clock.today());
        return text;
    }

    // Every report in every order it offers (and one it does not) reads
    // as the engine orders it; the number of reports with rows.
    int expectEngineOrderEverywhere() {
        int listed = 0;
        for (const reports::ReportDef& report : reports::reportCatalogue()) {
            std::vector<int> orders = reports().SetUpFrame(report.name);
            orders.push_back(-1);
            for (int order : orders) {
                const reports::ReportRun run = reports().RunReport(report.name, order);
                EXPECT_EQ(run.text, engineOrdered(report, order))
                    << report.name.toStdString() << " by " << order;
                if (order == reports::OrderCategory && run.lines > 0)
                    ++listed;
            }
        }
        return listed;
    }

    // The first lines of every report in every order it offers (and one
    // it does not), read on their own for a table of counts, are the whole
    // report's first lines, and fewer only when the report has no more.
    void expectFirstLinesBeginTheWhole() {
        for (const reports::ReportDef& report : reports::reportCatalogue()) {
            std::vector<int> orders = reports().SetUpFrame(report.name);
            orders.push_back(-1);
            for (int order : orders) {
                const reports::ReportRun run = reports().RunReport(report.name, order);
                const QString body = run.text.mid(reports().WriteReportHeading(report.name).size());
                for (const int count : {1, 2, 5, 13, run.lines - 1, run.lines, run.lines + 4}) {
                    if (count < 1)
                        continue;
                    QString first;
                    const int lines = reports().WriteFirstLines(report, order, count, first);
                    const int expected = std::min(count, run.lines);
                    EXPECT_EQ(lines, expected) << report.name.toStdString() << " by " << order;
                    qsizetype end = 0;
                    for (int i = 0; i < expected; ++i)
                        end = body.indexOf(QStringLiteral("\r\n"), end) + 2;
                    EXPECT_EQ(first, body.left(end)) << report.name.toStdString() << " by " << order
                                                     << ", " << count << " lines";
                }
            }
        }
    }

    testing_support::TestDatabase t;
    testing_support::ScriptedMessages messages;
    testing_support::TestHooks hooks;
    common::Session session{t.db(), messages, hooks.clock, hooks.files};
};

} // namespace

TEST_F(ReportOrder, TextsEqualButForCaseKeepRecordOrderAndAccentsSortBesideTheirLetter) {
    using namespace store::loc;
    // Texts that tie when case is ignored, accented beside plain, and a
    // supplier that is missing, spread over records so that record order
    // and text order differ.
    const int cats[] = {
        t.addCategory(QStringLiteral("Écran")), t.addCategory(QStringLiteral("ecran")),
        t.addCategory(QStringLiteral("Zone")), t.addCategory(QStringLiteral("apple"))};
    const int suppliers[] = {0, testing_support::addSupplier(t, QStringLiteral("ACME")),
                             testing_support::addSupplier(t, QStringLiteral("Zed")),
                             testing_support::addSupplier(t, QStringLiteral("acme")),
                             testing_support::addSupplier(t, QStringLiteral("éclair"))};
    const int stockPlaces[] = {
        t.addLocation(QStringLiteral("annex"), AvailableLocations, 2, AvailableLocations),
        t.addLocation(QStringLiteral("Hall"), AvailableLocations, 2, AvailableLocations),
        t.addLocation(QStringLiteral("Annex"), AvailableLocations, 2, AvailableLocations),
        RemovedStock};
    const int licencePlaces[] = {
        t.addLocation(QStringLiteral("Étage"), AvailableLicences, 2, AvailableLicences),
        t.addLocation(QStringLiteral("etage"), AvailableLicences, 2, AvailableLicences),
        AvailableLicences, RemovedLicences};
    const QString codes[] = {QStringLiteral("b-1"), QStringLiteral("B-20"), QStringLiteral("a-3"),
                             QStringLiteral("É-4"), QStringLiteral("e-5")};
    const QString descs[] = {QStringLiteral("Mouse"), QStringLiteral("MOUSE"),
                             QStringLiteral("mouse pad"), QStringLiteral("Écran 24"),
                             QStringLiteral("ecran 24")};
    int products[5];
    for (int p = 0; p < 5; ++p) {
        products[p] = t.addProduct(codes[p], descs[p], cats[p % 4]);
        if (p % 3 != 0)
            testing_support::setProductSupplier(t, products[p], suppliers[p % 5]);
    }
    const QString expiries[] = {QStringLiteral("2026-12-09"), QString(),
                                QStringLiteral("2025-06-30"), QStringLiteral("2026-12-20")};
    for (int i = 0; i < 40; ++i) {
        const int product = products[(i * 3) % 5];
        const int supplier = suppliers[(i * 7) % 5];
        testing_support::addReportLicence(
            t, QStringLiteral("K-%1").arg(39 - i, 2, 10, QLatin1Char('0')), product,
            licencePlaces[i % 4], i % 3 ? store::LicenceNormal : store::LicenceTemporary, supplier,
            expiries[(i / 2) % 4], (i % 6) * 1000);
        testing_support::addReportStock(t, QStringLiteral("s-%1").arg(i % 7 * 10 + i / 7), product,
                                        stockPlaces[i % 4], supplier, (i % 5) * 250);
    }
    EXPECT_EQ(expectEngineOrderEverywhere(), static_cast<int>(reports::reportCatalogue().size()));
    expectFirstLinesBeginTheWhole();
}

TEST_F(ReportOrder, ASeededRegisterReadsAsTheEngineOrdersIt) {
    seed::seedDatabase(t.db(), 0.01);
    EXPECT_GE(expectEngineOrderEverywhere(), 6);
    expectFirstLinesBeginTheWhole();
}
