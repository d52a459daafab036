#include "common/Session.h"
#include "reports/ReportFixture.h"
#include "reports/clsReports.h"
#include "store/Collation.h"
#include "support/QtPrinting.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"
#include "support/TestHooks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using reports::clsReports;
using reports::ReportOutcome;
using testing_support::ReportFixture;

namespace {

const QString Crlf = QStringLiteral("\r\n");

QString dataDir() {
    return QFileInfo(QString::fromUtf8(__FILE__)).dir().filePath(QStringLiteral("data"));
}

// The golden file of a report: its name in lower case, blanks as dashes.
QString goldenPath(const QString& report) {
    return QDir(dataDir()).filePath(report.toLower().replace(u' ', u'-') + QStringLiteral(".txt"));
}

QStringList linesOf(const QString& text) {
    QStringList lines = text.split(Crlf);
    EXPECT_TRUE(lines.last().isEmpty()) << "the last line ends in CR LF";
    lines.removeLast();
    return lines;
}

class Reports : public ::testing::Test {
protected:
    void SetUp() override { fixture = testing_support::seedReportFixture(t); }
    clsReports& reports() { return session.logic<clsReports>(); }
    // The report's lines after the heading.
    QStringList body(const QString& report, int order) {
        const reports::ReportRun run = reports().RunReport(report, order);
        return linesOf(run.text).mid(5);
    }

    testing_support::TestDatabase t;
    testing_support::ScriptedMessages messages;
    testing_support::TestHooks hooks;
    common::Session session{t.db(), messages, hooks.clock, hooks.files};
    ReportFixture fixture;
};

} // namespace

TEST_F(Reports, ComboListsTheReportsAfterTheSelectEntry) {
    EXPECT_EQ(
        reports().FillUpReportCombo(),
        QStringList(
            {QStringLiteral("(Select a Report)"), QStringLiteral("Licence details"),
             QStringLiteral("Stock details"), QStringLiteral("Product details with licences"),
             QStringLiteral("Product details with stock"), QStringLiteral("Licence expiry audit"),
             QStringLiteral("Temporary licence audit"), QStringLiteral("Removed Licence details"),
             QStringLiteral("Removed Stock details"), QStringLiteral("Licences expiring soon")}));
}

TEST_F(Reports, EachReportOffersItsOrderButtonsInLayoutOrder) {
    const std::pair<const char*, std::vector<int>> cases[] = {
        {"Licence details", {0, 1, 2, 3, 4, 5, 6, 7}},
        {"Stock details", {0, 1, 2, 8, 4, 5, 7}},
        {"Product details with licences", {0, 1, 2, 4, 3, 7}},
        {"Product details with stock", {0, 1, 2, 4, 8, 7}},
        {"Licence expiry audit", {0, 1, 2, 3, 5, 9, 6}},
        {"Temporary licence audit", {0, 1, 2, 3, 5, 6}},
        {"Removed Licence details", {0, 1, 2, 3, 4, 6, 7}},
        {"Removed Stock details", {0, 1, 2, 8, 4, 7}},
        {"Licences expiring soon", {0, 1, 2, 3, 5, 9, 6}},
        {"(Select a Report)", {0, 1, 2}},
        {"No such report", {0, 1, 2}},
    };
    for (const auto& [name, buttons] : cases)
        EXPECT_EQ(reports().SetUpFrame(QString::fromLatin1(name)), buttons) << name;
    QStringList captions;
    for (int i = -1; i <= 10; ++i)
        captions << reports::orderCaption(i);
    EXPECT_EQ(captions.join(u'|'), QStringLiteral("|Category|Prod Code|Prod Desc|Licence Key|"
                                                  "Supplier|Location|Expiry Date|Cost|Stock "
                                                  "Code|Licence Type|"));
}

// Every report on the fixture, sorted by category as when it is chosen,
// byte for byte against its golden file (CR LF line ends included).
TEST_F(Reports, EachReportMatchesItsGoldenText) {
    const bool update = qEnvironmentVariableIsSet("VEMORA_UPDATE_GOLDEN");
    for (const reports::ReportDef& report : reports::reportCatalogue()) {
        const reports::ReportRun run = reports().RunReport(report.name, reports::OrderCategory);
        EXPECT_EQ(run.outcome, ReportOutcome::Listed) << report.name.toStdString();
        const QByteArray actual = run.text.toUtf8();
        QFile file(goldenPath(report.name));
        if (update) {
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(actual);
            continue;
        }
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
        const QByteArray expected = file.readAll();
        EXPECT_EQ(actual, expected) << report.name.toStdString() << "\n" << actual.toStdString();
        EXPECT_EQ(run.lines, linesOf(run.text).size() - 5);
    }
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(Reports, HeadingBlockLaysOutNameDateCaptionsAndRule) {
    const QStringList lines =
        linesOf(reports().WriteReportHeading(QStringLiteral("Stock details")));
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], QStringLiteral("Stock details"));
    EXPECT_EQ(lines[1], QString(13, u'-') + QString(135, u' ') + QStringLiteral("10/12/2026"));
    EXPECT_EQ(lines[2], QString());
    EXPECT_EQ(lines[3],
              QStringLiteral("Category") + QString(12, u' ') + QStringLiteral("Product Code") +
                  QString(8, u' ') + QStringLiteral("Product Desc") + QString(8, u' ') +
                  QStringLiteral("Stock Code") + QString(10, u' ') + QStringLiteral("Supplier") +
                  QString(12, u' ') + QStringLiteral("Location") + QString(12, u' ') +
                  QString(6, u' ') + QStringLiteral("Cost"));
    EXPECT_EQ(lines[3].size(), 130);
    EXPECT_EQ(lines[4], QString(160, u'_'));

    // The date stands 135 blanks after the underline, wherever that ends;
    // "Cost" ends in the report's cost column end.
    const std::tuple<const char*, int, int> cases[] = {
        {"Licence details", 160, 150},
        {"Product details with licences", 174, 115},
        {"Product details with stock", 171, 110},
        {"Licence expiry audit", 165, 130},
        {"Removed Stock details", 166, 110},
    };
    for (const auto& [name, dateLine, captions] : cases) {
        const QStringList heading =
            linesOf(reports().WriteReportHeading(QString::fromLatin1(name)));
        EXPECT_EQ(heading[1].size(), dateLine) << name;
        EXPECT_TRUE(heading[1].endsWith(QString(135, u' ') + QStringLiteral("10/12/2026")));
        EXPECT_EQ(heading[3].size(), captions) << name;
    }
}

TEST_F(Reports, ColumnsStandAtTheirCharacterPositions) {
    // "Licence details": the licence without a supplier shows 20 blanks in
    // characters 86 to 105, its location starts at 106, its cost ends at 150.
    const QStringList lines = body(QStringLiteral("Licence details"), reports::OrderLicenceKey);
    const auto line = [&](const QString& key) {
        for (const QString& l : lines)
            if (l.mid(60, 25).trimmed() == key)
                return l;
        ADD_FAILURE() << "no line for " << key.toStdString();
        return QString();
    };
    const QString noSupplier = line(QStringLiteral("key-0002"));
    EXPECT_EQ(noSupplier.mid(85, 20), QString(20, u' '));
    EXPECT_EQ(noSupplier.mid(105, 20), QStringLiteral("Available Licences  "));
    EXPECT_EQ(noSupplier.mid(125, 15), QStringLiteral("10/12/26       "));
    EXPECT_EQ(noSupplier.mid(140), QStringLiteral("      0.00 "));
    const QString longKey = line(QStringLiteral("KEY-AAAA-BBBB-CCCC-DDDD-"));
    EXPECT_EQ(longKey.mid(40, 20), QStringLiteral("Office Suite Profes "));
    EXPECT_EQ(longKey.mid(140), QStringLiteral("  1,234.50 "));
    // 1,000,000.00 overruns its room by two characters but is written whole.
    const QString wide = line(QStringLiteral("AV-0003"));
    EXPECT_EQ(wide.mid(125, 15), QString(15, u' '));
    EXPECT_EQ(wide.mid(140), QStringLiteral("1,000,000.00 "));

    // The stock reports' figures end under the last letter of "Cost".
    for (const char* name : {"Product details with stock", "Removed Stock details"}) {
        const QStringList stock = body(QString::fromLatin1(name), reports::OrderCategory);
        ASSERT_FALSE(stock.isEmpty());
        for (const QString& l : stock) {
            if (l.size() == 111) { // figures that fit their room
                EXPECT_TRUE(l.at(109).isDigit() && l.at(110) == u' ') << l.toStdString();
            }
        }
    }
}

TEST_F(Reports, ReportsListTheirRowsOnly) {
    const auto column = [&](const QString& report, int from, int width) {
        QStringList values;
        for (const QString& l : body(report, reports::OrderCategory))
            values << l.mid(from, width).trimmed();
        values.sort();
        return values;
    };
    using L = QStringList;
    // Removed items only in the removed reports, and only there.
    EXPECT_EQ(column(QStringLiteral("Licence details"), 60, 25),
              L({"AV-0003", "AV-0006", "KEY-0005", "KEY-AAAA-BBBB-CCCC-DDDD-", "key-0002"}));
    EXPECT_EQ(column(QStringLiteral("Product details with licences"), 80, 25),
              L({"AV-0003", "AV-0006", "KEY-0005", "KEY-AAAA-BBBB-CCCC-DDDD-", "key-0002"}));
    EXPECT_EQ(column(QStringLiteral("Removed Licence details"), 60, 25), L({"AV-0004"}));
    EXPECT_EQ(column(QStringLiteral("Stock details"), 60, 20),
              L({"LAP-0001", "SW-0001", "ZIP-0001", "lap-0002"}));
    EXPECT_EQ(column(QStringLiteral("Product details with stock"), 80, 20),
              L({"LAP-0001", "SW-0001", "ZIP-0001", "lap-0002"}));
    EXPECT_EQ(column(QStringLiteral("Removed Stock details"), 60, 20), L({"LAP-0003", "SW-0002"}));
    // Expired before today, never removed or without a date; temporary
    // licences whatever their date.
    EXPECT_EQ(column(QStringLiteral("Licence expiry audit"), 60, 25),
              L({"AV-0006", "KEY-AAAA-BBBB-CCCC-DDDD-"}));
    EXPECT_EQ(column(QStringLiteral("Temporary licence audit"), 60, 25),
              L({"AV-0003", "key-0002"}));

    // The product reports show the product's supplier, not the licence's.
    EXPECT_EQ(column(QStringLiteral("Product details with licences"), 60, 20),
              L({"", "", "Acme Supplies", "Acme Supplies", "Acme Supplies"}));
    EXPECT_EQ(column(QStringLiteral("Licence details"), 85, 20),
              L({"", "", "Acme Supplies", "Bravo Ltd", "zeta Traders"}));
}

TEST_F(Reports, ExpiryAuditTurnsAtMidnight) {
    const QString audit = QStringLiteral("Licence expiry audit");
    const auto keys = [&] {
        QStringList out;
        for (const QString& l : body(audit, reports::OrderLicenceKey))
            out << l.mid(60, 25).trimmed();
        return out;
    };
    // key-0002 expires on 10/12/2026: not expired on that day, up to its
    // last second; expired from the first second of the next.
    hooks.clock.set(QDateTime(QDate(2026, 12, 10), QTime(23, 59, 59)));
    EXPECT_EQ(keys(), QStringList({"AV-0006", "KEY-AAAA-BBBB-CCCC-DDDD-"}));
    hooks.clock.set(QDateTime(QDate(2026, 12, 11), QTime(0, 0, 0)));
    EXPECT_EQ(keys(), QStringList({"AV-0006", "key-0002", "KEY-AAAA-BBBB-CCCC-DDDD-"}));
    // The report date follows the clock too.
    EXPECT_TRUE(linesOf(reports().WriteReportHeading(audit))[1].endsWith(u"11/12/2026"));
    // A stored expiry with a time of day is compared by its date.
    t.db().execute(QStringLiteral("UPDATE Licences SET Exp_Date = ? WHERE Licence_Name = ?"),
                   QStringLiteral("2026-12-11 00:00:00"), QStringLiteral("KEY-0005"));
    EXPECT_FALSE(keys().contains(QStringLiteral("KEY-0005")));
    hooks.clock.set(QDateTime(QDate(2026, 12, 12), QTime(0, 0, 1)));
    EXPECT_TRUE(keys().contains(QStringLiteral("KEY-0005")));
    // Before any expiry nothing has expired.
    hooks.clock.set(QDateTime(QDate(2024, 1, 1), QTime(12, 0)));
    messages.clear();
    const reports::ReportRun run = reports().RunReport(audit, reports::OrderCategory);
    EXPECT_EQ(run.outcome, ReportOutcome::Empty);
    EXPECT_EQ(messages.texts(), QStringList({"No licences have expired"}));
}

// Every offered order button sorts the rows by its column: texts
// case-blind, costs by amount, dates by date; every order lists the same
// rows.
TEST_F(Reports, EveryOrderButtonSortsByItsColumn) {
    // A late day, so that the expiry audit has rows to order too.
    hooks.clock.set(QDateTime(QDate(2027, 12, 31), QTime(12, 0)));
    for (const reports::ReportDef& report : reports::reportCatalogue()) {
        const QStringList byCategory = body(report.name, reports::OrderCategory);
        QStringList sortedLines = byCategory;
        sortedLines.sort();
        for (int order : reports().SetUpFrame(report.name)) {
            const QString where =
                report.name + QStringLiteral(" by ") + reports::orderCaption(order);
            const QStringList lines = body(report.name, order);
            QStringList same = lines;
            same.sort();
            EXPECT_EQ(same, sortedLines) << where.toStdString();
            // Where the column stands on the line.
            int from = 0;
            int width = 0;
            QString caption;
            switch (order) {
            case reports::OrderCategory:
                caption = QStringLiteral("Category");
                break;
            case reports::OrderProdCode:
                caption = QStringLiteral("Product Code");
                break;
            case reports::OrderProdDesc:
                caption = QStringLiteral("Product Desc");
                break;
            case reports::OrderLicenceKey:
                caption = QStringLiteral("Licence Key");
                break;
            case reports::OrderSupplier:
                caption = QStringLiteral("Supplier");
                break;
            case reports::OrderLocation:
                caption = QStringLiteral("Location");
                break;
            case reports::OrderExpiryDate:
                caption = QStringLiteral("Expires");
                break;
            case reports::OrderStockCode:
                caption = QStringLiteral("Stock Code");
                break;
            case reports::OrderLicenceType:
                caption = QStringLiteral("Type");
                break;
            default:
                break;
            }
            for (const reports::ReportColumn& c : report.columns) {
                if (c.caption == caption) {
                    width = c.width;
                    break;
                }
                from += c.width;
            }
            const auto value = [&](const QString& line) {
                return order == reports::OrderCost ? line.mid(from).trimmed()
                                                   : line.mid(from, width).trimmed();
            };
            if (order == reports::OrderCost)
                from = report.costEnd - 10;
            else
                ASSERT_GT(width, 0) << where.toStdString();
            const auto before = [&](const QString& a, const QString& b) {
                switch (order) {
                case reports::OrderCost: {
                    const auto amount = [](QString s) {
                        return s.remove(u',').toDouble();
                    };
                    return amount(a) < amount(b);
                }
                case reports::OrderExpiryDate: {
                    const auto date = [](const QString& s) {
                        return s.isEmpty() ? QDate() : QDate::fromString(s, u"dd/MM/yy");
                    };
                    return date(a) < date(b);
                }
                default:
                    return store::compareText(a, b) < 0;
                }
            };
            for (int i = 1; i < lines.size(); ++i)
                EXPECT_FALSE(before(value(lines[i]), value(lines[i - 1])))
                    << where.toStdString() << ": " << lines[i - 1].toStdString() << " then "
                    << lines[i].toStdString();
        }
    }
}

// Case-blind order with ties in record order: "hardware" between
// "Networking" and "Software", "key-0002" among the upper-case keys, and
// equal categories in the order the licences were recorded.
TEST_F(Reports, OrdersIgnoreCaseAndBreakTiesByRecord) {
    const auto keys = [&](const QString& report, int order, int from, int width) {
        QStringList out;
        for (const QString& l : body(report, order))
            out << l.mid(from, width).trimmed();
        return out;
    };
    EXPECT_EQ(
        keys(QStringLiteral("Licence details"), reports::OrderCategory, 60, 25),
        QStringList({"KEY-AAAA-BBBB-CCCC-DDDD-", "key-0002", "AV-0003", "KEY-0005", "AV-0006"}));
    EXPECT_EQ(
        keys(QStringLiteral("Licence details"), reports::OrderLicenceKey, 60, 25),
        QStringList({"AV-0003", "AV-0006", "key-0002", "KEY-0005", "KEY-AAAA-BBBB-CCCC-DDDD-"}));
    // No supplier sorts first.
    EXPECT_EQ(
        keys(QStringLiteral("Licence details"), reports::OrderSupplier, 60, 25),
        QStringList({"key-0002", "AV-0006", "KEY-0005", "KEY-AAAA-BBBB-CCCC-DDDD-", "AV-0003"}));
    EXPECT_EQ(keys(QStringLiteral("Stock details"), reports::OrderCategory, 0, 20),
              QStringList({"hardware", "hardware", "hardware", "Networking"}));
    EXPECT_EQ(keys(QStringLiteral("Stock details"), reports::OrderStockCode, 60, 20),
              QStringList({"LAP-0001", "lap-0002", "SW-0001", "ZIP-0001"}));
    EXPECT_EQ(keys(QStringLiteral("Stock details"), reports::OrderCost, 60, 20),
              QStringList({"ZIP-0001", "SW-0001", "LAP-0001", "lap-0002"}));
    // By product code the zip drive ("AA-01") comes first, though its
    // description comes last.
    EXPECT_EQ(keys(QStringLiteral("Stock details"), reports::OrderProdCode, 60, 20),
              QStringList({"ZIP-0001", "LAP-0001", "lap-0002", "SW-0001"}));
    EXPECT_EQ(keys(QStringLiteral("Stock details"), reports::OrderProdDesc, 60, 20),
              QStringList({"LAP-0001", "lap-0002", "SW-0001", "ZIP-0001"}));
    // An order the report does not offer lists the rows as recorded.
    EXPECT_EQ(keys(QStringLiteral("Stock details"), reports::OrderLicenceKey, 60, 20),
              QStringList({"LAP-0001", "lap-0002", "SW-0001", "ZIP-0001"}));
    EXPECT_EQ(keys(QStringLiteral("Stock details"), 42, 60, 20),
              QStringList({"LAP-0001", "lap-0002", "SW-0001", "ZIP-0001"}));
}

TEST_F(Reports, EmptyReportsKeepTheirHeadingAndShowTheirMessage) {
    testing_support::TestDatabase empty;
    common::Session emptySession{empty.db(), messages, hooks.clock, hooks.files};
    clsReports& r = emptySession.logic<clsReports>();
    const std::pair<const char*, const char*> cases[] = {
        {"Licence details", "No licences on system"},
        {"Stock details", "No stock on system"},
        {"Product details with licences", "No licences on system"},
        {"Product details with stock", "No stock on system"},
        {"Licence expiry audit", "No licences have expired"},
        {"Temporary licence audit", "No temporary licences on system"},
        {"Removed Licence details", "No removed licences on system"},
        {"Removed Stock details", "No removed stock on system"},
    };
    for (const auto& [name, message] : cases) {
        messages.clear();
        const reports::ReportRun run = r.RunReport(QString::fromLatin1(name), 0);
        EXPECT_EQ(run.outcome, ReportOutcome::Empty) << name;
        EXPECT_EQ(run.lines, 0);
        EXPECT_EQ(run.text, r.WriteReportHeading(QString::fromLatin1(name)));
        ASSERT_EQ(messages.shown().size(), 1u) << name;
        EXPECT_EQ(messages.shown()[0].kind, common::MessageKind::Refusal);
        EXPECT_EQ(messages.shown()[0].text, QString::fromLatin1(message));
    }
}

TEST_F(Reports, ANameOutsideTheCatalogueGivesItsHeadingAlone) {
    for (const QString& name : {QStringLiteral("(Select a Report)"), QStringLiteral("Bogus")}) {
        const reports::ReportRun run = reports().RunReport(name, reports::OrderCost);
        EXPECT_EQ(run.outcome, ReportOutcome::NotInCatalogue);
        const QStringList lines = linesOf(run.text);
        ASSERT_EQ(lines.size(), 5);
        EXPECT_EQ(lines[0], name);
        EXPECT_EQ(lines[1],
                  QString(name.size(), u'-') + QString(135, u' ') + QStringLiteral("10/12/2026"));
        EXPECT_EQ(lines[3], QStringLiteral("Category            Product Code        "
                                           "Product Desc        "));
        QString text;
        EXPECT_EQ(reports().RunReportQuery(name, 0, text), 0);
        EXPECT_TRUE(text.isEmpty());
    }
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(Reports, StoredTextsReachTheReportUnchangedWhateverTheyHold) {
    // Quotes and SQL in stored values are data, never statement text.
    t.db().execute(QStringLiteral("UPDATE Licences SET Licence_Name = ? WHERE Licence_Name = ?"),
                   QStringLiteral("O'Brien'; DROP"), QStringLiteral("KEY-0005"));
    EXPECT_TRUE(body(QStringLiteral("Licence details"), reports::OrderLicenceKey)
                    .filter(QStringLiteral("O'Brien'; DROP"))
                    .size() == 1);
}
