#include "common/Session.h"
#include "export/ExportHooks.h"
#include "export/ScriptedExportHooks.h"
#include "export/Workbook.h"
#include "export/XlsxReader.h"
#include "export/clsExport.h"
#include "reports/ReportFixture.h"
#include "reports/clsReports.h"
#include "support/RecordingRunner.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"
#include "support/TestHooks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <variant>

using exports::ExportChoice;
using testing_support::ScriptedExportHooks;
using testing_support::XlsxReader;

// Texts in failure messages.
static std::ostream& operator<<(std::ostream& out, const QString& s) {
    return out << s.toStdString();
}

namespace {

QString columnLetter(int index) { // 0-based, A to Z
    return QString(QChar(u'A' + index));
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path;
    return f.readAll();
}

// A cell as a test expects it: a text, a date, a cost, or nothing there.
struct Date {
    QDate date;
};
struct Cost {
    double value;
};
struct Absent {};
using Expected = std::variant<QString, Date, Cost, Absent>;

void expectCell(const XlsxReader& book, const QString& ref, const Expected& expected) {
    SCOPED_TRACE(ref.toStdString());
    const testing_support::XlsxCell cell = book.cell(ref);
    if (std::holds_alternative<QString>(expected)) {
        const QString& text = std::get<QString>(expected);
        if (text.isEmpty()) { // an empty text leaves no value
            EXPECT_TRUE(!book.has(ref) || cell.blank);
            return;
        }
        EXPECT_EQ(cell.type, QStringLiteral("inlineStr")) << "written as text";
        EXPECT_EQ(cell.value, text);
    } else if (std::holds_alternative<Date>(expected)) {
        EXPECT_EQ(cell.type, QString());
        EXPECT_EQ(XlsxReader::serialDate(cell.value), std::get<Date>(expected).date);
        EXPECT_EQ(book.style(ref).numberFormat, QStringLiteral("dd/mm/yy"));
    } else if (std::holds_alternative<Cost>(expected)) {
        EXPECT_EQ(cell.type, QString());
        EXPECT_DOUBLE_EQ(cell.value.toDouble(), std::get<Cost>(expected).value);
        EXPECT_EQ(book.style(ref).numberFormat, QStringLiteral("#,##0.00"));
    } else {
        EXPECT_FALSE(book.has(ref) && !cell.blank) << "holds " << cell.value;
    }
}

class Export : public ::testing::Test {
protected:
    void TearDown() override {
        EXPECT_EQ(desktop.busy, 0) << "the hourglass stays on";
        EXPECT_FALSE(desktop.unexpectedQuestion);
        EXPECT_FALSE(hooks.files.unexpectedRequest());
    }

    exports::clsExport& exporter() { return session.logic<exports::clsExport>(); }

    QString workbook(const QString& report) {
        const std::optional<QString> path = exporter().ExportToWorkbook(report, dir.path());
        EXPECT_TRUE(path.has_value()) << report << ": " << messages.texts().join(u'|');
        return path.value_or(QString());
    }
    QStringList filesInFolder() const {
        return QDir(dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    }

    testing_support::TestDatabase t;
    testing_support::ScriptedMessages messages;
    testing_support::TestHooks hooks;
    common::Session session{t.db(), messages, hooks.clock, hooks.files};
    QTemporaryDir dir;
    ScriptedExportHooks desktop{dir.path()};
};

class ExportFixture : public Export {
protected:
    void SetUp() override { fixture = testing_support::seedReportFixture(t); }
    testing_support::ReportFixture fixture;
};

// ---------------------------------------------------------------- headings

struct HeadingCase {
    const char* report;
    QStringList headings;
    int costColumn; // 0-based, -1 for none
};

TEST_F(ExportFixture, EachReportSheetIsNamedAfterItWithStyledHeadingsAndAnEmptyRow2) {
    const QStringList common{QStringLiteral("Category"), QStringLiteral("Product Code"),
                             QStringLiteral("Product Desc")};
    const std::vector<HeadingCase> cases = {
        {"Licence details",
         common + QStringList{"Licence Key", "Supplier", "Location", "Expires", "Cost"}, 7},
        {"Stock details", common + QStringList{"Stock Code", "Supplier", "Location", "Cost"}, 6},
        {"Product details with licences", common + QStringList{"Supplier", "Licence Key", "Cost"},
         5},
        {"Product details with stock", common + QStringList{"Supplier", "Stock Code", "Cost"}, 5},
        {"Licence expiry audit", common + QStringList{"Licence Key", "Location", "Type", "Expires"},
         -1},
        {"Temporary licence audit", common + QStringList{"Licence Key", "Location", "Expires"}, -1},
        {"Removed Licence details",
         common + QStringList{"Licence Key", "Supplier", "Expires", "Cost"}, 6},
        {"Removed Stock details", common + QStringList{"Stock Code", "Supplier", "Cost"}, 5},
    };
    for (const HeadingCase& c : cases) {
        SCOPED_TRACE(c.report);
        const XlsxReader book(workbook(QString::fromUtf8(c.report)));
        EXPECT_EQ(book.sheetName(), QString::fromUtf8(c.report));
        const int count = static_cast<int>(c.headings.size());
        for (int i = 0; i < count; ++i) {
            const QString ref = columnLetter(i) + QStringLiteral("1");
            expectCell(book, ref, c.headings[i]);
            const testing_support::XlsxStyle style = book.style(ref);
            EXPECT_TRUE(style.italic && style.bold && style.underline) << ref;
            // 16 characters, as the file stores it with the cell padding.
            const testing_support::XlsxColumn column = book.column(i + 1);
            EXPECT_GE(column.width, 16.0) << ref;
            EXPECT_LT(column.width, 17.0) << ref;
            EXPECT_EQ(book.styleAt(column.style).numberFormat,
                      i == c.costColumn ? QStringLiteral("#,##0.00") : QStringLiteral("General"))
                << ref;
        }
        expectCell(book, columnLetter(count) + QStringLiteral("1"), Absent{});
        EXPECT_EQ(book.column(count + 1).width, 0.0) << "no width beyond the headings";
        EXPECT_EQ(book.rows().at(0), 1);
        EXPECT_EQ(book.rows().at(1), 3) << "row 2 stays empty";
    }
    EXPECT_TRUE(messages.shown().empty());
}

// --------------------------------------------------------------- data rows

struct RowCase {
    const char* report;
    std::vector<Expected> row3;
    int lastRow;
};

TEST_F(ExportFixture, EachReportWritesItsRowsFromRow3AsTextsDatesAndNumbers) {
    const QString software = QStringLiteral("Software"), office = QStringLiteral("OFF-365"),
                  suite = QStringLiteral("Office Suite Professional"),
                  longKey = QStringLiteral("KEY-AAAA-BBBB-CCCC-DDDD-EEEE-F");
    const std::vector<RowCase> cases = {
        {"Licence details",
         {software, office, suite, longKey, QStringLiteral("Bravo Ltd"),
          QStringLiteral("Finance Dept"), Date{QDate(2026, 12, 9)}, Cost{1234.5}},
         7},
        {"Stock details",
         {QStringLiteral("hardware"), QStringLiteral("LAP-14"), QStringLiteral("Laptop 14 inch"),
          QStringLiteral("LAP-0001"), QStringLiteral("zeta Traders"), QStringLiteral("Head Office"),
          Cost{899}},
         6},
        {"Product details with licences",
         {software, office, suite, QStringLiteral("Acme Supplies"), longKey, Cost{1234.5}},
         7},
        {"Product details with stock",
         {QStringLiteral("hardware"), QStringLiteral("LAP-14"), QStringLiteral("Laptop 14 inch"),
          QStringLiteral("zeta Traders"), QStringLiteral("LAP-0001"), Cost{899}},
         6},
        {"Licence expiry audit",
         {software, office, suite, longKey, QStringLiteral("Finance Dept"),
          QStringLiteral("NORMAL"), Date{QDate(2026, 12, 9)}},
         4},
        {"Temporary licence audit",
         {software, office, suite, QStringLiteral("key-0002"), QStringLiteral("Available Licences"),
          Date{QDate(2026, 12, 10)}},
         4},
        {"Removed Licence details",
         {software, QStringLiteral("av-100"), QStringLiteral("Antivirus Endpoints"),
          QStringLiteral("AV-0004"), QStringLiteral("Acme Supplies"), Date{QDate(2025, 1, 31)},
          Cost{99.99}},
         3},
        // The description keeps its line break: the cell holds the value whole.
        {"Removed Stock details",
         {QStringLiteral("Networking"), QStringLiteral("SW-24"),
          QStringLiteral("Switch\r\n24 port"), QStringLiteral("SW-0002"),
          QStringLiteral("Acme Supplies"), Cost{10}},
         4},
    };
    for (const RowCase& c : cases) {
        SCOPED_TRACE(c.report);
        const XlsxReader book(workbook(QString::fromUtf8(c.report)));
        for (size_t i = 0; i < c.row3.size(); ++i)
            expectCell(book, columnLetter(static_cast<int>(i)) + QStringLiteral("3"), c.row3[i]);
        expectCell(book, columnLetter(static_cast<int>(c.row3.size())) + QStringLiteral("3"),
                   Absent{});
        EXPECT_EQ(book.lastRow(), c.lastRow);
    }
}

TEST_F(ExportFixture, MissingValuesLeaveTheirCellsEmptyAndRowsComeInRecordedOrder) {
    const XlsxReader book(workbook(QStringLiteral("Licence details")));
    // Recorded order, whatever order the page showed.
    const QStringList keys{QStringLiteral("KEY-AAAA-BBBB-CCCC-DDDD-EEEE-F"),
                           QStringLiteral("key-0002"), QStringLiteral("AV-0003"),
                           QStringLiteral("KEY-0005"), QStringLiteral("AV-0006")};
    for (int i = 0; i < keys.size(); ++i)
        expectCell(book, QStringLiteral("D%1").arg(i + 3), keys[i]);
    expectCell(book, QStringLiteral("E4"), QString()); // no supplier
    expectCell(book, QStringLiteral("G4"), Date{QDate(2026, 12, 10)});
    expectCell(book, QStringLiteral("E5"), QStringLiteral("zeta Traders"));
    expectCell(book, QStringLiteral("G5"), Absent{}); // no expiry date
    expectCell(book, QStringLiteral("H5"), Cost{1000000});
    expectCell(book, QStringLiteral("H4"), Cost{0});

    const XlsxReader removed(workbook(QStringLiteral("Removed Stock details")));
    expectCell(removed, QStringLiteral("D4"), QStringLiteral("LAP-0003"));
    expectCell(removed, QStringLiteral("E4"), QString());
    expectCell(removed, QStringLiteral("F4"), Cost{0});
}

TEST_F(ExportFixture, CodesKeysAndDescriptionsThatLookLikeNumbersStayTexts) {
    const int product =
        t.addProduct(QStringLiteral("007"), QStringLiteral("1.50"), fixture.software);
    testing_support::addReportLicence(t, QStringLiteral("0012"), product, fixture.finance,
                                      store::LicenceTemporary, 0, QStringLiteral("2026-11-30"),
                                      500);
    testing_support::addReportStock(t, QStringLiteral("1E5"), product, fixture.warehouse, 0, 0);
    testing_support::addReportStock(t, QStringLiteral("=1+1"), product, fixture.warehouse, 0, 0);

    const XlsxReader audit(workbook(QStringLiteral("Licence expiry audit")));
    // The third expired licence, after the fixture's two.
    for (const auto& [ref, text] : std::vector<std::pair<const char*, const char*>>{
             {"B5", "007"}, {"C5", "1.50"}, {"D5", "0012"}, {"F5", "TEMPORARY"}})
        expectCell(audit, QString::fromUtf8(ref), QString::fromUtf8(text));
    expectCell(audit, QStringLiteral("G5"), Date{QDate(2026, 11, 30)});

    const XlsxReader stock(workbook(QStringLiteral("Stock details")));
    // After the fixture's four live items.
    expectCell(stock, QStringLiteral("D7"), QStringLiteral("1E5"));
    expectCell(stock, QStringLiteral("D8"), QStringLiteral("=1+1"));
    EXPECT_FALSE(stock.cell(QStringLiteral("D8")).type.isEmpty()) << "never a formula";
}

// ------------------------------------------------------- empty and too long

TEST_F(Export, AnEmptyReportShowsItsMessageAndStillGivesTheHeadingRow) {
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"Licence details", "No Licences on System"},
        {"Stock details", "No Stock on System"},
        {"Product details with licences", "No Licences on System"},
        {"Product details with stock", "No Stock on System"},
        {"Licence expiry audit", "No Licences have Expired"},
        {"Temporary licence audit", "No Temporary Licences on System"},
        {"Removed Licence details", "No Removed Licences on System"},
        {"Removed Stock details", "No Removed Stock on System"},
    };
    for (const auto& [report, message] : cases) {
        SCOPED_TRACE(report);
        messages.clear();
        const XlsxReader book(workbook(QString::fromUtf8(report)));
        ASSERT_EQ(messages.shown().size(), 1u);
        EXPECT_EQ(messages.shown()[0].kind, common::MessageKind::Refusal);
        EXPECT_EQ(messages.shown()[0].text, QString::fromUtf8(message));
        EXPECT_EQ(book.text(QStringLiteral("A1")), QStringLiteral("Category"));
        EXPECT_EQ(book.lastRow(), 1);
    }
}

TEST_F(ExportFixture, AReportLongerThanASheetHoldsIsRefusedBeforeAnythingIsWritten) {
    EXPECT_EQ(exports::MaxDataRows, 1048576 - 2);
    EXPECT_EQ(exporter().dataRowLimit(), exports::MaxDataRows);

    // "Licence details" finds five rows.
    exporter().setDataRowLimit(4);
    EXPECT_FALSE(exporter().ExportToWorkbook(QStringLiteral("Licence details"), dir.path()));
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].kind, common::MessageKind::Refusal);
    EXPECT_TRUE(messages.shown()[0].text.contains(QStringLiteral("has 5 rows")))
        << messages.texts()[0];
    EXPECT_TRUE(filesInFolder().isEmpty());

    // Up to the limit, every row is written.
    messages.clear();
    exporter().setDataRowLimit(5);
    const XlsxReader book(workbook(QStringLiteral("Licence details")));
    EXPECT_EQ(book.lastRow(), 7);
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(Export, AHundredThousandRowsAreAllWrittenToTheSheetAndTheTextFile) {
    SKIP_ON_SERVER("arranges its rows with SQLite's printf");
    const int category = t.addCategory(QStringLiteral("Bulk"));
    const int product = t.addProduct(QStringLiteral("BLK"), QStringLiteral("Bulk item"), category);
    const int location = t.addLocation(QStringLiteral("Store"), store::loc::AvailableLocations, 2,
                                       store::loc::AvailableLocations);
    t.db().execute(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                                  "WHERE i < 100000) "
                                  "INSERT INTO Stock (Stock_Code, Prod_ID, Loc_ID, Cost) "
                                  "SELECT printf('S%06d', i), ?, ?, i FROM n"),
                   product, location);

    const XlsxReader book(workbook(QStringLiteral("Stock details")));
    EXPECT_EQ(book.lastRow(), 100002);
    EXPECT_EQ(book.rows().size(), 100001u);
    expectCell(book, QStringLiteral("D3"), QStringLiteral("S000001"));
    expectCell(book, QStringLiteral("D100002"), QStringLiteral("S100000"));
    expectCell(book, QStringLiteral("G100002"), Cost{1000});

    const reports::ReportRun run = session.logic<reports::clsReports>().RunReport(
        QStringLiteral("Stock details"), reports::OrderCost);
    ASSERT_EQ(run.lines, 100000);
    const QString path = dir.filePath(QStringLiteral("bulk.txt"));
    hooks.files.choose(path);
    EXPECT_TRUE(exporter().ExportToTextFile(run.text, hooks.files, desktop));
    EXPECT_EQ(fileBytes(path), run.text.toUtf8() + "\r\n");
}

// ---------------------------------------------------------------- question

TEST_F(ExportFixture, TheQuestionsThreeAnswers) {
    const QString text = QStringLiteral("Licence details\r\n---\r\n");
    const QString name = QStringLiteral("Licence details");

    // Cancel: nothing at all.
    desktop.answers = {ExportChoice::Cancel};
    exporter().ExportReport(name, text, hooks.files, desktop);
    EXPECT_EQ(desktop.questions,
              QStringList{QStringLiteral("Yes - Save as Excel sheet, No - Save as Text File")});
    EXPECT_TRUE(hooks.files.requests().empty());
    EXPECT_TRUE(desktop.opened.isEmpty());
    EXPECT_TRUE(filesInFolder().isEmpty());
    EXPECT_TRUE(messages.shown().empty());

    // No: the text file, through the file chooser, and where it went.
    desktop.answers = {ExportChoice::TextFile};
    const QString textPath = dir.filePath(QStringLiteral("licences.txt"));
    hooks.files.choose(textPath);
    exporter().ExportReport(name, text, hooks.files, desktop);
    ASSERT_EQ(hooks.files.requests().size(), 1u);
    EXPECT_EQ(hooks.files.requests()[0].purpose, common::FileRequest::Save);
    EXPECT_EQ(hooks.files.requests()[0].filter, QStringLiteral("Text Files (*.txt)"));
    EXPECT_EQ(hooks.files.requests()[0].directory, dir.path()) << "starts in the documents";
    EXPECT_EQ(fileBytes(textPath), text.toUtf8() + "\r\n");
    EXPECT_TRUE(desktop.opened.isEmpty());
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].kind, common::MessageKind::Notice);
    EXPECT_EQ(messages.shown()[0].text,
              QStringLiteral("Report saved as ") + QDir::toNativeSeparators(textPath));
    messages.clear();

    // Yes: the workbook, saved where the user chooses (the dialog starts on
    // the default name in the documents folder) and opened.
    desktop.answers = {ExportChoice::Workbook, ExportChoice::Workbook};
    const QString first = dir.filePath(QStringLiteral("Licence details 2026-12-10.xlsx"));
    hooks.files.choose(first);
    hooks.files.choose(dir.filePath(QStringLiteral("mine"))); // no extension: ".xlsx" added
    exporter().ExportReport(name, text, hooks.files, desktop);
    exporter().ExportReport(name, text, hooks.files, desktop);
    EXPECT_EQ(desktop.opened, (QStringList{first, dir.filePath(QStringLiteral("mine.xlsx"))}));
    for (const QString& path : desktop.opened)
        EXPECT_EQ(XlsxReader(path).lastRow(), 7);
    ASSERT_EQ(hooks.files.requests().size(), 3u);
    for (size_t i = 1; i < 3; ++i) {
        const common::FileRequest& request = hooks.files.requests()[i];
        EXPECT_EQ(request.purpose, common::FileRequest::Save);
        EXPECT_EQ(request.filter, QStringLiteral("Excel Workbook (*.xlsx)"));
        EXPECT_TRUE(request.confirmOverwrite);
    }
    // The default name is one that no file has yet.
    EXPECT_EQ(hooks.files.requests()[1].directory, first);
    EXPECT_EQ(hooks.files.requests()[2].directory,
              dir.filePath(QStringLiteral("Licence details 2026-12-10 (2).xlsx")));
    EXPECT_EQ(desktop.busySpells, 3) << "the text write and the two workbooks";
    EXPECT_TRUE(desktop.offers.isEmpty());
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(ExportFixture, CancellingTheWorkbookSaveDialogWritesNothing) {
    desktop.answers = {ExportChoice::Workbook, ExportChoice::Workbook};
    hooks.files.cancel();
    hooks.files.choose(QStringLiteral("  "));
    for (int i = 0; i < 2; ++i)
        exporter().ExportReport(QStringLiteral("Stock details"), QString(), hooks.files, desktop);
    EXPECT_EQ(hooks.files.requests().size(), 2u);
    EXPECT_TRUE(filesInFolder().isEmpty());
    EXPECT_TRUE(desktop.opened.isEmpty());
    EXPECT_TRUE(desktop.offers.isEmpty());
    EXPECT_EQ(desktop.busySpells, 0);
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(ExportFixture, AWorkbookNoProgramOpensStaysSavedAndTheNoticeSaysWhere) {
    // No program for workbooks: "Workbook saved as PATH" and an offer to
    // open the folder, which the user takes or leaves.
    for (const bool openFolder : {false, true}) {
        SCOPED_TRACE(openFolder);
        QTemporaryDir target;
        const QString path = target.filePath(QStringLiteral("stock.xlsx"));
        desktop.opened.clear();
        desktop.offers.clear();
        desktop.opens = false;
        desktop.openFolder = openFolder;
        desktop.answers = {ExportChoice::Workbook};
        hooks.files.choose(path);
        exporter().ExportReport(QStringLiteral("Stock details"), QString(), hooks.files, desktop);
        EXPECT_EQ(desktop.offers, QStringList{QStringLiteral("Workbook saved as ") +
                                              QDir::toNativeSeparators(path)});
        EXPECT_EQ(desktop.opened,
                  openFolder ? (QStringList{path, target.path()}) : QStringList{path});
        EXPECT_TRUE(messages.shown().empty()) << "no failure: the file was written";
        EXPECT_EQ(XlsxReader(path).sheetName(), QStringLiteral("Stock details"));
    }
}

TEST(ExportTargets, AWorkbookIsNeverWrittenOverTheLiveDatabase) {
    testing_support::TestDatabase t(testing_support::TestDatabase::Storage::KeyedFile);
    testing_support::ScriptedMessages messages;
    testing_support::TestHooks hooks;
    common::Session session{t.db(), messages, hooks.clock, hooks.files};
    QTemporaryDir documents;
    ScriptedExportHooks desktop(documents.path());
    const QByteArray before = fileBytes(t.path());
    desktop.answers = {ExportChoice::Workbook};
    hooks.files.choose(t.path());
    session.logic<exports::clsExport>().ExportReport(QStringLiteral("Stock details"), QString(),
                                                     hooks.files, desktop);
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].kind, common::MessageKind::Refusal);
    EXPECT_EQ(fileBytes(t.path()), before);
    EXPECT_TRUE(desktop.opened.isEmpty());
    EXPECT_EQ(desktop.busySpells, 1) << "the refusal ends the hourglass";
    EXPECT_EQ(desktop.busy, 0);
}

TEST_F(ExportFixture, AMissingDocumentsFolderSendsTheWorkbookToTheTemporaryFolder) {
    const std::optional<QString> path = exporter().ExportToWorkbook(
        QStringLiteral("Stock details"), dir.filePath(QStringLiteral("no-such-folder")));
    ASSERT_TRUE(path);
    EXPECT_EQ(QFileInfo(*path).absolutePath(), QFileInfo(QDir::tempPath()).absoluteFilePath());
    EXPECT_EQ(XlsxReader(*path).sheetName(), QStringLiteral("Stock details"));
    QFile::remove(*path);
}

// --------------------------------------------------------------- text file

TEST_F(Export, TheTextFileHoldsTheReportTextAndOneCrLfInUtf8) {
    const QString text = QStringLiteral("École Normale\r\n-----\r\n\r\n1,234.50 \r\n");
    const QByteArray bytes("\xC3\x89"
                           "cole Normale\r\n-----\r\n\r\n1,234.50 \r\n\r\n");
    // A name without an extension gets ".txt"; one with any extension is
    // taken as it is, and an existing file of that name is replaced.
    struct Case {
        const char* chosen;
        const char* written;
    };
    const Case cases[] = {
        {"report", "report.txt"}, {"notes.log", "notes.log"}, {"report.txt", "report.txt"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen);
        messages.clear();
        const QString written = dir.filePath(QString::fromLatin1(c.written));
        {
            QFile old(written);
            ASSERT_TRUE(old.open(QIODevice::WriteOnly));
            old.write(QByteArray(4096, 'x'));
        }
        hooks.files.choose(dir.filePath(QString::fromLatin1(c.chosen)));
        EXPECT_TRUE(exporter().ExportToTextFile(text, hooks.files, desktop));
        EXPECT_EQ(fileBytes(written), bytes);
        EXPECT_FALSE(hooks.files.requests().back().confirmOverwrite);
        ASSERT_EQ(messages.shown().size(), 1u);
        EXPECT_EQ(messages.shown()[0].kind, common::MessageKind::Notice);
        EXPECT_EQ(messages.shown()[0].text,
                  QStringLiteral("Report saved as ") + QDir::toNativeSeparators(written));
    }
    EXPECT_EQ(filesInFolder(),
              (QStringList{QStringLiteral("notes.log"), QStringLiteral("report.txt")}))
        << "no file named as typed without its extension";
}

TEST_F(Export, ACancelledOrEmptyFileChoiceWritesNothingAndSaysNothing) {
    hooks.files.cancel();
    hooks.files.choose(QString());
    hooks.files.choose(QStringLiteral("   "));
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(exporter().ExportToTextFile(QStringLiteral("x\r\n"), hooks.files, desktop));
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_TRUE(filesInFolder().isEmpty());
    EXPECT_EQ(desktop.busySpells, 0);
}

TEST_F(Export, ATextFileThatCannotBeWrittenSaysWhy) {
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.txt")));
    const std::vector<QString> targets = {
        dir.filePath(QStringLiteral("missing/report.txt")), // no such folder
        dir.filePath(QStringLiteral("folder.txt")),         // a folder
    };
    for (const QString& target : targets) {
        SCOPED_TRACE(target.toStdString());
        messages.clear();
        hooks.files.choose(target);
        EXPECT_FALSE(exporter().ExportToTextFile(QStringLiteral("x\r\n"), hooks.files, desktop));
        ASSERT_EQ(messages.shown().size(), 1u);
        EXPECT_EQ(messages.shown()[0].kind, common::MessageKind::Failure);
        const QStringList lines = messages.shown()[0].text.split(u'\r');
        ASSERT_EQ(lines.size(), 2);
        EXPECT_EQ(lines[0], QStringLiteral("The report could not be saved as \"%1\":")
                                .arg(QDir::toNativeSeparators(target)));
        EXPECT_FALSE(lines[1].trimmed().isEmpty()) << "the reason";
    }
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("missing"))));
}

TEST(ExportTargets, TheLiveDatabaseFileIsRefusedByAnyNameThatReachesIt) {
    testing_support::TestDatabase t(testing_support::TestDatabase::Storage::KeyedFile);
    testing_support::ScriptedMessages messages;
    testing_support::TestHooks hooks;
    common::Session session{t.db(), messages, hooks.clock, hooks.files};
    ScriptedExportHooks desktop;
    QTemporaryDir other;
    const QString link = other.filePath(QStringLiteral("notes.txt"));
    ASSERT_TRUE(QFile::link(t.path(), link));
    const QByteArray before = fileBytes(t.path());

    const std::vector<QString> targets = {
        t.path(),
        QDir(t.dir()).filePath(QStringLiteral("./sub/../AssetManagement.mdb")),
        link,
        t.path() + QStringLiteral("-journal"),
    };
    QDir(t.dir()).mkdir(QStringLiteral("sub"));
    for (const QString& target : targets) {
        SCOPED_TRACE(target.toStdString());
        messages.clear();
        hooks.files.choose(target);
        EXPECT_FALSE(session.logic<exports::clsExport>().ExportToTextFile(
            QStringLiteral("report\r\n"), hooks.files, desktop));
        ASSERT_EQ(messages.shown().size(), 1u);
        EXPECT_EQ(messages.shown()[0].kind, common::MessageKind::Refusal);
        EXPECT_TRUE(
            messages.shown()[0].text.startsWith(QStringLiteral("The report cannot be saved")));
    }
    EXPECT_EQ(fileBytes(t.path()), before);
    EXPECT_FALSE(QFileInfo::exists(t.path() + QStringLiteral("-journal")));
    EXPECT_FALSE(desktop.unexpectedQuestion);
}

// ---------------------------------------------------------- in the background

namespace {

// Every file in a folder, hidden temporary copies too.
QStringList everyFileIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

} // namespace

TEST_F(Export, AnExportCancelledHalfwayLeavesNoFileAndAnOlderOneAsItWas) {
    SKIP_ON_SERVER("arranges its rows with SQLite's printf");
    constexpr int Rows = 20000;
    const int category = t.addCategory(QStringLiteral("Bulk"));
    const int product = t.addProduct(QStringLiteral("BLK"), QStringLiteral("Bulk item"), category);
    const int location = t.addLocation(QStringLiteral("Store"), store::loc::AvailableLocations, 2,
                                       store::loc::AvailableLocations);
    t.db().execute(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                                  "WHERE i < 20000) "
                                  "INSERT INTO Stock (Stock_Code, Prod_ID, Loc_ID, Cost) "
                                  "SELECT printf('S%06d', i), ?, ?, i FROM n"),
                   product, location);
    const reports::ReportDef* report = reports::findReport(QStringLiteral("Stock details"));
    ASSERT_NE(report, nullptr);
    const int order = exports::RecordedOrder;
    const struct {
        const char* name;
        bool csv;
    } cases[] = {{"stock.xlsx", false}, {"stock.csv", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QString::fromLatin1(c.name));
        const auto save = [&] {
            return c.csv ? exporter().SaveCsv(*report, order, path)
                         : exporter().SaveWorkbook(*report, order, path);
        };

        // Stopped a quarter of the way: no file, no message.
        testing_support::RecordingRunner stopping(Rows / 4);
        exporter().setWorkRunner(&stopping);
        EXPECT_FALSE(save());
        EXPECT_TRUE(stopping.stopped());
        EXPECT_LT(stopping.mostDone(), Rows) << "stopped before the end";
        EXPECT_FALSE(QFileInfo::exists(path));
        EXPECT_TRUE(everyFileIn(dir.path()).isEmpty()) << everyFileIn(dir.path()).join(u' ');
        EXPECT_TRUE(messages.shown().empty()) << messages.texts().join(u'|');

        // An older file of the name stays as it was.
        {
            QFile older(path);
            ASSERT_TRUE(older.open(QIODevice::WriteOnly));
            older.write("older");
        }
        EXPECT_FALSE(save());
        EXPECT_EQ(fileBytes(path), QByteArray("older"));
        EXPECT_EQ(everyFileIn(dir.path()), QStringList{QString::fromLatin1(c.name)});

        // Not stopped: every row, and the progress reaches 100 %.
        testing_support::RecordingRunner watching;
        exporter().setWorkRunner(&watching);
        EXPECT_TRUE(save());
        EXPECT_EQ(watching.mostDone(), Rows);
        EXPECT_EQ(watching.lastPercent(), 100);
        EXPECT_FALSE(watching.stopped());
        if (c.csv)
            EXPECT_EQ(fileBytes(path).count("\r\n"), Rows + 1);
        else
            EXPECT_EQ(XlsxReader(path).lastRow(), Rows + 2);
        EXPECT_TRUE(messages.shown().empty()) << messages.texts().join(u'|');
        QFile::remove(path);
    }

    // The page's export under a new name: nothing is left in the folder.
    testing_support::RecordingRunner stopping(Rows / 4);
    exporter().setWorkRunner(&stopping);
    EXPECT_EQ(exporter().ExportToWorkbook(report->name, dir.path()), std::nullopt);
    EXPECT_TRUE(stopping.stopped());
    EXPECT_TRUE(everyFileIn(dir.path()).isEmpty()) << everyFileIn(dir.path()).join(u' ');
    exporter().setWorkRunner(nullptr);
}

TEST_F(Export, ATextExportCancelledHalfwayLeavesNoFile) {
    // Three pieces of a megabyte and a little more.
    const QString text = QString(3 * 1024 * 1024 + 10, QLatin1Char('x'));
    const QString path = dir.filePath(QStringLiteral("long.txt"));

    testing_support::RecordingRunner stopping(1024 * 1024);
    exporter().setWorkRunner(&stopping);
    hooks.files.choose(path);
    EXPECT_FALSE(exporter().ExportToTextFile(text, hooks.files, desktop));
    EXPECT_TRUE(stopping.stopped());
    EXPECT_TRUE(everyFileIn(dir.path()).isEmpty()) << everyFileIn(dir.path()).join(u' ');
    EXPECT_TRUE(messages.shown().empty()) << messages.texts().join(u'|');

    testing_support::RecordingRunner watching;
    exporter().setWorkRunner(&watching);
    hooks.files.choose(path);
    EXPECT_TRUE(exporter().ExportToTextFile(text, hooks.files, desktop));
    EXPECT_EQ(watching.lastPercent(), 100);
    EXPECT_EQ(watching.mostDone(), text.size() + 2);
    EXPECT_EQ(QFileInfo(path).size(), text.size() + 2);
    exporter().setWorkRunner(nullptr);
}

} // namespace
