#include "common/Session.h"
#include "reports/ReportFixture.h"
#include "reports/clsReports.h"
#include "reports/ui/ReportPaper.h"
#include "reports/ui/ReportView.h"
#include "reports/ui/pgReports.h"
#include "support/QtPrinting.h"
#include "support/RecordingMain.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"
#include "support/TestHooks.h"
#include "support/Widgets.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFontInfo>
#include <QGroupBox>
#include <QLayout>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

using reports::pgReports;
using testing_support::child;
using testing_support::RecordingMain;

namespace {

// Installed printers that print into PDF files, one per job, so that a
// test can read what went to paper.
class PdfPrinters : public reports::ReportPrinters {
public:
    explicit PdfPrinters(QString dir) : dir_(std::move(dir)) {}
    QStringList installed{QStringLiteral("Office Laser"), QStringLiteral("Plotter")};
    mutable QStringList jobs;                                   // the files written, in order
    mutable std::vector<QPageLayout::Orientation> orientations; // of each printer as made

    QStringList names() const override { return installed; }
    std::unique_ptr<QPrinter> printer(const QString& name) const override {
        auto p = std::make_unique<QPrinter>(QPrinter::HighResolution);
        p->setOutputFormat(QPrinter::PdfFormat);
        p->setPageOrientation(QPageLayout::Portrait);
        orientations.push_back(p->pageLayout().orientation());
        jobs << QDir(dir_).filePath(QStringLiteral("%1-%2.pdf").arg(name).arg(jobs.size()));
        p->setOutputFileName(jobs.last());
        return p;
    }

private:
    QString dir_;
};

// A PDF's text as pdftotext lays it out, and its page count and size.
QString pdfText(const QString& path) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    EXPECT_TRUE(p.waitForFinished(30000)) << "pdftotext (poppler-utils) must be installed";
    EXPECT_EQ(p.exitCode(), 0);
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString pdfInfo(const QString& path) {
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {path});
    EXPECT_TRUE(p.waitForFinished(30000));
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Every report line, blanks collapsed, in the order the PDF holds them.
QStringList simplifiedLines(const QString& text) {
    QStringList out;
    for (const QString& line : text.split(QRegularExpression(QStringLiteral("[\r\n\f]+"))))
        if (!line.simplified().isEmpty())
            out << line.simplified();
    return out;
}

class ReportsPage : public ::testing::Test {
protected:
    void SetUp() override {
        fixture = testing_support::seedReportFixture(t);
        window = std::make_unique<RecordingMain>(session, nullptr);
        window->show();
        page = static_cast<pgReports*>(window->page(common::Reports));
        combo = child<QComboBox>(page, "cboReports");
        text = child<reports::ReportView>(page, "rtbReport");
        printers = child<QComboBox>(page, "cboPrinters");
        print = child<QPushButton>(page, "btnPrint");
        pdf = child<QPushButton>(page, "btnPdf");
        exportButton = child<QPushButton>(page, "btnExportReport");
        for (QPushButton* b : page->findChildren<QPushButton*>(QStringLiteral("btnOrderBy")))
            orderButtons[static_cast<size_t>(b->property("index").toInt())] = b;
        paper = std::make_shared<PdfPrinters>(dir.path());
        page->setPrinterService(paper);
    }
    void TearDown() override { EXPECT_FALSE(hooks.files.unexpectedRequest()); }

    void enterPage() { window->SSTab1()->setCurrentIndex(common::Reports); }
    void choose(const QString& report) {
        const int index = combo->findText(report);
        ASSERT_GE(index, 0) << report.toStdString();
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }
    // The order buttons shown, from left to right.
    std::vector<int> shownOrder() const {
        page->findChild<QGroupBox*>(QStringLiteral("frLicDetsOB"))->layout()->activate();
        std::vector<QPushButton*> shown;
        for (QPushButton* b : orderButtons)
            if (b->isVisible())
                shown.push_back(b);
        std::sort(shown.begin(), shown.end(),
                  [](QPushButton* a, QPushButton* b) { return a->x() < b->x(); });
        std::vector<int> out;
        for (QPushButton* b : shown)
            out.push_back(b->property("index").toInt());
        return out;
    }
    QString expected(const QString& report, int order) {
        QString shown = session.logic<reports::clsReports>().RunReport(report, order).text;
        shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        shown.chop(1);
        return shown;
    }
    // Makes "Licence details" and "Stock details" longer than the lines
    // read for their first screen, so that the rest is read afterwards.
    void lengthen() {
        const int rows = std::max(2 * text->visibleLines(), 100) + 40;
        for (int i = 0; i < rows; ++i) {
            testing_support::addReportLicence(
                t, QStringLiteral("LONG-%1").arg(i, 4, 10, QLatin1Char('0')),
                i % 2 ? fixture.office : fixture.antivirus, fixture.finance, store::LicenceNormal,
                i % 3 ? fixture.acme : 0, QStringLiteral("2027-03-01"), i * 100);
            testing_support::addReportStock(t, QStringLiteral("ST-%1").arg(i),
                                            i % 2 ? fixture.laptop : fixture.zipDrive,
                                            fixture.warehouse, fixture.bravo, i);
        }
    }
    // Lets the page read the rest of the report shown between events.
    void readToTheEnd() {
        for (int i = 0; i < 1000 && page->reading(); ++i)
            QTest::qWait(1);
        EXPECT_FALSE(page->reading());
    }
    std::array<bool, 3> actions() const {
        return {print->isEnabled(), pdf->isEnabled(), exportButton->isEnabled()};
    }

    testing_support::TestDatabase t;
    testing_support::ScriptedMessages messages;
    testing_support::TestHooks hooks;
    common::Session session{t.db(), messages, hooks.clock, hooks.files};
    testing_support::ReportFixture fixture;
    std::unique_ptr<RecordingMain> window;
    QTemporaryDir dir;
    std::shared_ptr<PdfPrinters> paper;
    pgReports* page = nullptr;
    QComboBox* combo = nullptr;
    reports::ReportView* text = nullptr;
    QComboBox* printers = nullptr;
    QPushButton *print = nullptr, *pdf = nullptr, *exportButton = nullptr;
    std::array<QPushButton*, 10> orderButtons{};
};

} // namespace

TEST_F(ReportsPage, OpensWithAllOrderButtonsInIndexOrderAndNoActions) {
    EXPECT_EQ(combo->count(), 0);
    enterPage();
    QStringList captions;
    for (QPushButton* b : orderButtons)
        captions << b->text();
    EXPECT_EQ(captions.join(u'|'), QStringLiteral("Category|Prod Code|Prod Desc|Licence Key|"
                                                  "Supplier|Location|Expiry Date|Cost|Stock "
                                                  "Code|Licence Type"));
    EXPECT_EQ(shownOrder(), std::vector<int>({0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(actions(), (std::array<bool, 3>{false, false, false}));
    EXPECT_EQ(combo->count(), 10);
    EXPECT_EQ(combo->currentText(), QStringLiteral("(Select a Report)"));
    EXPECT_TRUE(QFontInfo(text->font()).fixedPitch());
    EXPECT_DOUBLE_EQ(text->font().pointSizeF(), 10.0); // legible at first, before any zoom
    EXPECT_EQ(child<QGroupBox>(page, "frLicDetsOB")->title(), QStringLiteral("Order by"));
}

TEST_F(ReportsPage, ChoosingAReportLaysOutItsButtonsAndShowsItByCategory) {
    page->setPrinters({QStringLiteral("Office Laser")});
    enterPage();
    for (const reports::ReportDef& report : reports::reportCatalogue()) {
        choose(report.name);
        EXPECT_EQ(shownOrder(), session.logic<reports::clsReports>().SetUpFrame(report.name))
            << report.name.toStdString();
        EXPECT_EQ(text->toPlainText(), expected(report.name, reports::OrderCategory));
        EXPECT_EQ(page->reportText(),
                  session.logic<reports::clsReports>().RunReport(report.name, 0).text);
        EXPECT_EQ(actions(), (std::array<bool, 3>{true, true, true}));
    }
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(ReportsPage, EachOrderButtonRebuildsTheReportInItsOrder) {
    enterPage();
    for (const reports::ReportDef& report : reports::reportCatalogue()) {
        choose(report.name);
        for (int order : shownOrder()) {
            QTest::mouseClick(orderButtons[static_cast<size_t>(order)], Qt::LeftButton);
            EXPECT_EQ(text->toPlainText(), expected(report.name, order))
                << report.name.toStdString() << " by " << order;
        }
    }
}

TEST_F(ReportsPage, ActionStatesFollowPrinterAndRows) {
    struct Case {
        QStringList installed;
        const char* report;
        std::array<bool, 3> states; // print, PDF, export
        QStringList messages;
    };
    const Case cases[] = {
        {{QStringLiteral("Office Laser")}, "Stock details", {true, true, true}, {}},
        {{}, "Stock details", {false, true, true}, {}},
        // Nothing found: the heading can still be printed, not exported.
        {{QStringLiteral("Office Laser")},
         "Removed Stock details",
         {true, false, false},
         {QStringLiteral("No removed stock on system")}},
        {{},
         "Removed Stock details",
         {false, false, false},
         {QStringLiteral("No removed stock on system")}},
    };
    t.db().execute(QStringLiteral("DELETE FROM Stock WHERE Loc_ID = 5"));
    for (const Case& c : cases) {
        messages.clear();
        page->setPrinters(c.installed);
        enterPage();
        choose(QString::fromLatin1(c.report));
        EXPECT_EQ(actions(), c.states) << c.report << " printers " << c.installed.size();
        EXPECT_EQ(messages.texts(), c.messages);
        window->SSTab1()->setCurrentIndex(common::EnquireByLocation);
    }
    // An empty report keeps its five heading lines.
    EXPECT_EQ(text->toPlainText().count(u'\n'), 4);
    // Re-entering the page with nothing written meanwhile keeps the report
    // chosen, its text, its layout and its actions.
    page->setPrinters({QStringLiteral("Office Laser")});
    choose(QStringLiteral("Stock details"));
    enterPage();
    EXPECT_EQ(actions(), (std::array<bool, 3>{true, true, true}));
    EXPECT_EQ(combo->currentText(), QStringLiteral("Stock details"));
    EXPECT_EQ(text->toPlainText(), expected(QStringLiteral("Stock details"), 0));
    EXPECT_EQ(shownOrder(),
              session.logic<reports::clsReports>().SetUpFrame(QStringLiteral("Stock details")));
    // Choosing "(Select a Report)" turns the actions off; the text and the
    // layout stay.
    choose(QStringLiteral("(Select a Report)"));
    EXPECT_EQ(actions(), (std::array<bool, 3>{false, false, false}));
    EXPECT_EQ(text->toPlainText(), expected(QStringLiteral("Stock details"), 0));
    EXPECT_EQ(shownOrder(),
              session.logic<reports::clsReports>().SetUpFrame(QStringLiteral("Stock details")));
}

TEST_F(ReportsPage, OrderButtonWithNoReportChosenShowsTheHeadingAlone) {
    page->setPrinters({QStringLiteral("Office Laser")});
    enterPage();
    QTest::mouseClick(orderButtons[reports::OrderCost], Qt::LeftButton);
    const QStringList lines = text->toPlainText().split(u'\n');
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], QStringLiteral("(Select a Report)"));
    EXPECT_EQ(actions(), (std::array<bool, 3>{false, false, false}));
    EXPECT_TRUE(messages.shown().empty());

    // After a report, going back to the select entry and clicking an order
    // button leaves the action buttons as they were.
    choose(QStringLiteral("Licence details"));
    choose(QStringLiteral("(Select a Report)"));
    QTest::mouseClick(orderButtons[reports::OrderProdCode], Qt::LeftButton);
    EXPECT_EQ(text->toPlainText().split(u'\n').size(), 5);
    EXPECT_EQ(actions(), (std::array<bool, 3>{false, false, false}));
}

TEST_F(ReportsPage, PrintingPutsTheReportOnTheChosenPrinterInLandscape) {
    page->setPrinters(paper->installed);
    printers->setCurrentIndex(1);
    enterPage();
    choose(QStringLiteral("Licence details"));
    QTest::mouseClick(print, Qt::LeftButton);
    ASSERT_EQ(messages.texts(), QStringList({QStringLiteral("Report Printed")}));
    EXPECT_EQ(messages.shown().back().kind, common::MessageKind::Notice);
    ASSERT_EQ(paper->jobs.size(), 1);
    EXPECT_TRUE(QFileInfo(paper->jobs[0]).fileName().startsWith(u"Plotter"));
    // The printer's own orientation stays; the job runs in landscape.
    EXPECT_EQ(paper->orientations[0], QPageLayout::Portrait);
    const QString info = pdfInfo(paper->jobs[0]);
    const QRegularExpressionMatch size =
        QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+)")).match(info);
    ASSERT_TRUE(size.hasMatch()) << info.toStdString();
    EXPECT_GT(size.captured(1).toDouble(), size.captured(2).toDouble());
    // Every line on paper, whole (the longest line fits), heading once.
    EXPECT_EQ(simplifiedLines(pdfText(paper->jobs[0])), simplifiedLines(page->reportText()));

    // An empty report prints its five heading lines.
    messages.clear();
    t.db().execute(QStringLiteral("DELETE FROM Stock WHERE Loc_ID = 5"));
    choose(QStringLiteral("Removed Stock details"));
    QTest::mouseClick(print, Qt::LeftButton);
    ASSERT_EQ(paper->jobs.size(), 2);
    EXPECT_EQ(simplifiedLines(pdfText(paper->jobs[1])).size(), 4); // the empty line goes
    EXPECT_EQ(simplifiedLines(pdfText(paper->jobs[1])), simplifiedLines(page->reportText()));
}

TEST_F(ReportsPage, LongReportsBreakIntoPagesWithTheHeadingOnlyOnTheFirst) {
    for (int i = 0; i < 150; ++i)
        testing_support::addReportStock(t,
                                        QStringLiteral("BULK-%1").arg(i, 4, 10, QLatin1Char('0')),
                                        fixture.laptop, fixture.headOffice, 0, 100 * i);
    page->setPrinters(paper->installed);
    enterPage();
    choose(QStringLiteral("Product details with stock"));
    QTest::mouseClick(print, Qt::LeftButton);
    ASSERT_EQ(paper->jobs.size(), 1);
    const QString onPaper = pdfText(paper->jobs[0]);
    EXPECT_GT(onPaper.count(u'\f'), 1) << "more than one page";
    EXPECT_EQ(onPaper.count(QStringLiteral("Product details with stock")), 1);
    EXPECT_EQ(simplifiedLines(onPaper), simplifiedLines(page->reportText()));
}

TEST_F(ReportsPage, APrinterRemovedSinceTheListWasMadeIsRefusedByName) {
    page->setPrinters({QStringLiteral("Old Inkjet"), QStringLiteral("Office Laser")});
    enterPage();
    choose(QStringLiteral("Stock details"));
    QTest::mouseClick(print, Qt::LeftButton);
    EXPECT_TRUE(paper->jobs.isEmpty());
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].kind, common::MessageKind::Refusal);
    EXPECT_TRUE(messages.shown()[0].text.contains(QStringLiteral("\"Old Inkjet\"")));
    EXPECT_FALSE(messages.texts().contains(QStringLiteral("Report Printed")));
    // The report stays and prints once a printer that exists is chosen.
    printers->setCurrentIndex(1);
    QTest::mouseClick(print, Qt::LeftButton);
    EXPECT_EQ(paper->jobs.size(), 1);
    ASSERT_FALSE(messages.shown().empty());
    EXPECT_EQ(messages.texts().last(), QStringLiteral("Report Printed"));
}

TEST_F(ReportsPage, SaveAsPdfWritesTheReportToTheChosenFile) {
    enterPage();
    choose(QStringLiteral("Product details with licences"));
    ASSERT_TRUE(pdf->isEnabled()) << "no printer needed";
    hooks.files.cancel();
    QTest::mouseClick(pdf, Qt::LeftButton);
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
    const QString path = QDir(dir.path()).filePath(QStringLiteral("licences"));
    hooks.files.choose(path);
    QTest::mouseClick(pdf, Qt::LeftButton);
    ASSERT_EQ(hooks.files.requests().size(), 2u);
    EXPECT_EQ(hooks.files.requests()[1].purpose, common::FileRequest::Save);
    EXPECT_EQ(hooks.files.requests()[1].filter, QStringLiteral("PDF Files (*.pdf)"));
    ASSERT_TRUE(QFileInfo::exists(path + QStringLiteral(".pdf")));
    EXPECT_EQ(simplifiedLines(pdfText(path + QStringLiteral(".pdf"))),
              simplifiedLines(page->reportText()));
    // The 174-character date line is on the page whole.
    EXPECT_TRUE(pdfText(path + QStringLiteral(".pdf")).contains(QStringLiteral("10/12/2026")));
    EXPECT_TRUE(messages.shown().empty());

    // A file that cannot be written is a failure, named with its number.
    hooks.files.choose(QDir(dir.path()).filePath(QStringLiteral("no/such/dir/x.pdf")));
    QTest::mouseClick(pdf, Qt::LeftButton);
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].kind, common::MessageKind::Failure);
    EXPECT_EQ(messages.shown()[0].text, QStringLiteral("The print job could not be started 1"));
}

TEST_F(ReportsPage, ALongReportShowsItsFirstScreenThenTheWholeReport) {
    lengthen();
    page->setPrinters({QStringLiteral("Office Laser")});
    enterPage();
    for (const int order : {reports::OrderCategory, reports::OrderLicenceKey,
                            reports::OrderSupplier, reports::OrderCost}) {
        if (order == reports::OrderCategory)
            choose(QStringLiteral("Licence details"));
        else
            QTest::mouseClick(orderButtons[static_cast<size_t>(order)], Qt::LeftButton);
        const QString whole = expected(QStringLiteral("Licence details"), order);
        ASSERT_TRUE(page->reading()) << order;
        // The first screen: the whole report's first lines, the view full.
        const QString first = text->toPlainText();
        EXPECT_GE(text->blockCount(), text->visibleLines());
        EXPECT_LT(first.size(), whole.size());
        EXPECT_TRUE(whole.startsWith(first + u'\n')) << order;
        EXPECT_EQ(actions(), (std::array<bool, 3>{true, true, true}));
        readToTheEnd();
        EXPECT_EQ(text->toPlainText(), whole) << order;
    }
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(ReportsPage, AnotherReportOrOrderChosenMidReadShowsOnlyItsOwnText) {
    lengthen();
    enterPage();
    // The second report chosen while the first is still being read.
    choose(QStringLiteral("Licence details"));
    ASSERT_TRUE(page->reading());
    choose(QStringLiteral("Stock details"));
    readToTheEnd();
    EXPECT_EQ(text->toPlainText(), expected(QStringLiteral("Stock details"), 0));
    EXPECT_EQ(
        page->reportText(),
        session.logic<reports::clsReports>().RunReport(QStringLiteral("Stock details"), 0).text);

    QTest::mouseClick(orderButtons[reports::OrderStockCode], Qt::LeftButton);
    ASSERT_TRUE(page->reading());
    QTest::mouseClick(orderButtons[reports::OrderLocation], Qt::LeftButton);
    readToTheEnd();
    EXPECT_EQ(text->toPlainText(),
              expected(QStringLiteral("Stock details"), reports::OrderLocation));
}

TEST_F(ReportsPage, PrintPdfAndExportDuringTheReadTakeTheWholeReport) {
    lengthen();
    page->setPrinters(paper->installed);
    enterPage();
    const QString whole =
        session.logic<reports::clsReports>().RunReport(QStringLiteral("Licence details"), 0).text;

    choose(QStringLiteral("Licence details"));
    ASSERT_TRUE(page->reading());
    QTest::mouseClick(print, Qt::LeftButton);
    ASSERT_EQ(paper->jobs.size(), 1);
    EXPECT_EQ(simplifiedLines(pdfText(paper->jobs[0])), simplifiedLines(whole));
    EXPECT_FALSE(page->reading());
    EXPECT_EQ(text->toPlainText(), expected(QStringLiteral("Licence details"), 0));

    // The export is asked for with the whole text in place (the export
    // itself, which takes the page's text, is left out here).
    choose(QStringLiteral("Licence details"));
    ASSERT_TRUE(page->reading());
    QString exported;
    bool readingAtExport = true;
    QObject::disconnect(page, &pgReports::exportRequested, nullptr, nullptr);
    QObject::connect(page, &pgReports::exportRequested, page, [&] {
        readingAtExport = page->reading();
        exported = text->toPlainText();
    });
    QTest::mouseClick(exportButton, Qt::LeftButton);
    EXPECT_FALSE(readingAtExport);
    EXPECT_EQ(exported, expected(QStringLiteral("Licence details"), 0));

    // The PDF likewise.
    choose(QStringLiteral("Licence details"));
    ASSERT_TRUE(page->reading());
    const QString path = dir.filePath(QStringLiteral("whole.pdf"));
    hooks.files.choose(path);
    QTest::mouseClick(pdf, Qt::LeftButton);
    EXPECT_EQ(simplifiedLines(pdfText(path)), simplifiedLines(whole));
}
