#include "common/Session.h"
#include "export/XlsxReader.h"
#include "export/clsExport.h"
#include "export/ui/DesktopExportHooks.h"
#include "export/ui/ReportExport.h"
#include "reports/ReportFixture.h"
#include "reports/ui/pgReports.h"
#include "support/RecordingMain.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"
#include "support/TestHooks.h"
#include "support/WhenModal.h"
#include "support/Widgets.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using exports::ExportChoice;
using testing_support::child;
using testing_support::WhenModal;

namespace {

// The real question box, with workbooks kept in a test folder and files
// "opened" by recording them.
class TestDesktop : public exports::DesktopExportHooks {
public:
    explicit TestDesktop(QString where) : folder_(std::move(where)) {}
    QString workbookFolder() const override { return folder_; }
    bool openFile(const QString& path) override {
        opened << path;
        return true;
    }
    QStringList opened;

private:
    QString folder_;
};

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return f.readAll();
}

// How a test answers the question box.
enum class Answer { ClickYes, ClickNo, ClickCancel, PressEscape, PressEnter };

void answer(QMessageBox* box, Answer how) {
    switch (how) {
    case Answer::ClickYes:
        box->button(QMessageBox::Yes)->click();
        break;
    case Answer::ClickNo:
        box->button(QMessageBox::No)->click();
        break;
    case Answer::ClickCancel:
        box->button(QMessageBox::Cancel)->click();
        break;
    case Answer::PressEscape:
        QTest::keyClick(box, Qt::Key_Escape);
        break;
    case Answer::PressEnter:
        QTest::keyClick(box, Qt::Key_Return);
        break;
    }
}

TEST(ExportQuestion, AsksYesNoCancelWithYesTheDefaultAndEscapeCancelling) {
    const std::vector<std::pair<Answer, ExportChoice>> cases = {
        {Answer::ClickYes, ExportChoice::Workbook},   {Answer::ClickNo, ExportChoice::TextFile},
        {Answer::ClickCancel, ExportChoice::Cancel},  {Answer::PressEscape, ExportChoice::Cancel},
        {Answer::PressEnter, ExportChoice::Workbook},
    };
    for (const auto& [how, expected] : cases) {
        SCOPED_TRACE(static_cast<int>(how));
        exports::DesktopExportHooks desktop;
        WhenModal<QMessageBox> box([how = how](QMessageBox* b) {
            EXPECT_EQ(b->windowTitle(), QStringLiteral("Vemora! Assets"));
            EXPECT_EQ(b->text(),
                      QStringLiteral("Yes - Save as Excel sheet, No - Save as Text File"));
            EXPECT_EQ(b->icon(), QMessageBox::Question);
            EXPECT_EQ(b->standardButtons(),
                      QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            EXPECT_EQ(b->defaultButton(), b->button(QMessageBox::Yes));
            answer(b, how);
        });
        EXPECT_EQ(desktop.askExportKind(exports::ExportQuestion), expected);
        EXPECT_TRUE(box.ran());
    }
}

class ExportPage : public ::testing::Test {
protected:
    void SetUp() override {
        testing_support::seedReportFixture(t);
        window = std::make_unique<testing_support::RecordingMain>(session, nullptr);
        window->show();
        page = static_cast<reports::pgReports*>(window->page(common::Reports));
        desktop = std::make_shared<TestDesktop>(dir.path());
        window->reportExport()->setExportHooks(desktop);
        window->SSTab1()->setCurrentIndex(common::Reports);
        combo = child<QComboBox>(page, "cboReports");
        exportButton = child<QPushButton>(page, "btnExportReport");
    }
    void TearDown() override { EXPECT_FALSE(hooks.files.unexpectedRequest()); }

    void choose(const QString& report) {
        const int index = combo->findText(report);
        ASSERT_GE(index, 0);
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }
    void orderBy(int index) {
        for (QPushButton* b : page->findChildren<QPushButton*>(QStringLiteral("btnOrderBy")))
            if (b->property("index").toInt() == index)
                b->click();
    }
    // Presses Export and answers the question.
    void exportAnswering(Answer how) {
        WhenModal<QMessageBox> box([how](QMessageBox* b) { answer(b, how); });
        ASSERT_TRUE(exportButton->isEnabled());
        exportButton->click();
        EXPECT_TRUE(box.ran());
    }
    QStringList filesInFolder() const {
        return QDir(dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot);
    }

    testing_support::TestDatabase t;
    testing_support::ScriptedMessages messages;
    testing_support::TestHooks hooks;
    common::Session session{t.db(), messages, hooks.clock, hooks.files};
    QTemporaryDir dir;
    std::shared_ptr<TestDesktop> desktop;
    std::unique_ptr<testing_support::RecordingMain> window;
    reports::pgReports* page = nullptr;
    QComboBox* combo = nullptr;
    QPushButton* exportButton = nullptr;
};

TEST_F(ExportPage, NoWritesThePageTextInItsOrderToTheChosenFile) {
    choose(QStringLiteral("Licence details"));
    orderBy(reports::OrderCost);
    const QString path = dir.filePath(QStringLiteral("licences.txt"));
    hooks.files.choose(path);
    exportAnswering(Answer::ClickNo);
    ASSERT_FALSE(page->reportText().isEmpty());
    EXPECT_EQ(fileBytes(path), page->reportText().toUtf8() + "\r\n");
    EXPECT_TRUE(desktop->opened.isEmpty());
    EXPECT_EQ(messages.texts(),
              QStringList{QStringLiteral("Report saved as ") + QDir::toNativeSeparators(path)});
}

TEST_F(ExportPage, YesOpensTheWorkbookWithTheRowsInRecordedOrder) {
    choose(QStringLiteral("Licence details"));
    orderBy(reports::OrderCost);
    const QString path = dir.filePath(QStringLiteral("Licence details 2026-12-10.xlsx"));
    hooks.files.choose(path);
    exportAnswering(Answer::ClickYes);
    ASSERT_EQ(hooks.files.requests().size(), 1u);
    EXPECT_EQ(hooks.files.requests()[0].directory, path) << "the default name in the documents";
    ASSERT_EQ(desktop->opened.size(), 1);
    EXPECT_EQ(desktop->opened[0], path);
    const testing_support::XlsxReader book(desktop->opened[0]);
    EXPECT_EQ(book.sheetName(), QStringLiteral("Licence details"));
    // The page lists by cost (0.00 first); the sheet in recorded order.
    EXPECT_EQ(book.text(QStringLiteral("D3")), QStringLiteral("KEY-AAAA-BBBB-CCCC-DDDD-EEEE-F"));
    EXPECT_EQ(book.lastRow(), 7);
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the hourglass is gone";
}

TEST(ExportFolderOffer, TheNoticeSaysWhereAndOpenFolderIsAChoice) {
    const QString notice = exports::workbookSavedNotice(QStringLiteral("/tmp/stock.xlsx"));
    EXPECT_EQ(notice, QStringLiteral("Workbook saved as /tmp/stock.xlsx"));
    for (const bool openFolder : {true, false}) {
        SCOPED_TRACE(openFolder);
        exports::DesktopExportHooks desktop;
        WhenModal<QMessageBox> box([openFolder, &notice](QMessageBox* b) {
            EXPECT_EQ(b->windowTitle(), QStringLiteral("Vemora! Assets"));
            EXPECT_EQ(b->text(), notice);
            EXPECT_EQ(b->icon(), QMessageBox::Information);
            auto* open = b->findChild<QPushButton*>(QStringLiteral("btnOpenFolder"));
            ASSERT_NE(open, nullptr);
            EXPECT_EQ(b->defaultButton(), b->button(QMessageBox::Ok));
            if (openFolder)
                open->click();
            else
                b->button(QMessageBox::Ok)->click();
        });
        EXPECT_EQ(desktop.offerFolder(notice), openFolder);
        EXPECT_TRUE(box.ran());
    }
}

TEST_F(ExportPage, EscapeExportsNothing) {
    choose(QStringLiteral("Stock details"));
    exportAnswering(Answer::PressEscape);
    EXPECT_TRUE(hooks.files.requests().empty());
    EXPECT_TRUE(desktop->opened.isEmpty());
    EXPECT_TRUE(filesInFolder().isEmpty());
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(ExportPage, TheProgramsOwnFilesAreRefusedAsTextTargets) {
    const QDir programDir(QCoreApplication::applicationDirPath());
    const QString help = programDir.filePath(QStringLiteral("AssetsHelp.qch"));
    const bool helpExisted = QFileInfo::exists(help);
    choose(QStringLiteral("Stock details"));
    hooks.files.choose(help);
    exportAnswering(Answer::ClickNo);
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].kind, common::MessageKind::Refusal);
    EXPECT_EQ(QFileInfo::exists(help), helpExisted);
    if (!helpExisted)
        QFile::remove(help);
    EXPECT_TRUE(session.logic<exports::clsExport>().isProtectedTarget(
        QCoreApplication::applicationFilePath()));
}

} // namespace
