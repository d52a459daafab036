// The report text area: its lines and plain text as a text box would give
// them, scrolling to the last line of a long report, and whole lines
// selected and copied.

#include "reports/ui/ReportView.h"
#include "reports/ui/ReportPaper.h"

#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

using reports::ReportView;

namespace {

QStringList linesOf(const ReportView& view) {
    QStringList out;
    for (int i = 0; i < view.blockCount(); ++i)
        out << view.line(i).toString();
    return out;
}

// Where line i of the view is drawn, as a point to click.
QPoint lineCentre(ReportView& view, int i) {
    const int height = view.fontMetrics().lineSpacing();
    return QPoint(20, 2 + (i - view.firstVisibleLine()) * height + height / 2);
}

} // namespace

TEST(ReportView, SplitsTheTextIntoTheLinesATextBoxShows) {
    const struct {
        const char* text;
        QStringList lines;
        qsizetype longest;
    } cases[] = {
        {"", {QString()}, 0},
        {"one\r\n", {QStringLiteral("one")}, 3},
        {"one\r\ntwo\r\n", {QStringLiteral("one"), QStringLiteral("two")}, 3},
        {"one\r\n\r\nthree\r\n", {QStringLiteral("one"), QString(), QStringLiteral("three")}, 5},
        {"one\ntwo", {QStringLiteral("one"), QStringLiteral("two")}, 3},
        {"a\rb\r\n", {QStringLiteral("a\rb")}, 3},
    };
    ReportView view;
    for (const auto& c : cases) {
        const QString text = QString::fromLatin1(c.text);
        view.setReportText(text);
        EXPECT_EQ(linesOf(view), c.lines) << c.text;
        EXPECT_EQ(view.longestLine(), c.longest) << c.text;
        // What a plain text box held: LF line ends, none after the last.
        QString boxed = text;
        boxed.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        if (boxed.endsWith(u'\n'))
            boxed.chop(1);
        EXPECT_EQ(view.toPlainText(), boxed) << c.text;
    }
}

TEST(ReportView, ALongReportScrollsToItsLastLine) {
    QString text;
    for (int i = 0; i < 100000; ++i)
        text += QStringLiteral("line %1\r\n").arg(i, 6, 10, QLatin1Char('0'));
    ReportView view;
    view.setFont(reports::reportFont(reports::ScreenPointSize));
    view.resize(400, 300);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.setReportText(text);
    EXPECT_EQ(view.blockCount(), 100000);
    EXPECT_EQ(view.firstVisibleLine(), 0);
    EXPECT_EQ(view.verticalScrollBar()->maximum(), 100000 - view.visibleLines());

    view.setFocus();
    QTest::keyClick(&view, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(view.firstVisibleLine() + view.visibleLines(), 100000);
    // The line clicked at the bottom of the view is the last one.
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, lineCentre(view, 100000 - 1));
    EXPECT_EQ(view.selectedText(), QStringLiteral("line 099999"));
    QTest::keyClick(&view, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(view.firstVisibleLine(), 0);

    // A larger font fits fewer lines, and the scroll range follows.
    const int before = view.visibleLines();
    view.setFont(reports::reportFont(reports::ScreenPointSize * 2));
    EXPECT_LT(view.visibleLines(), before);
    EXPECT_EQ(view.verticalScrollBar()->maximum(), 100000 - view.visibleLines());
    // A new text starts at the top with nothing selected.
    view.setReportText(QStringLiteral("short\r\n"));
    EXPECT_EQ(view.firstVisibleLine(), 0);
    EXPECT_EQ(view.verticalScrollBar()->maximum(), 0);
    EXPECT_FALSE(view.hasSelection());
}

TEST(ReportView, WholeLinesAreSelectedAndCopied) {
    ReportView view;
    view.resize(400, 300);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.setReportText(QStringLiteral("zero\r\none\r\ntwo\r\nthree\r\nfour\r\n"));
    EXPECT_EQ(view.selectedText(), QString());

    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, lineCentre(view, 3));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ShiftModifier, lineCentre(view, 1));
    EXPECT_EQ(view.selectedText(), QStringLiteral("one\ntwo\nthree"));
    view.setFocus();
    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("one\ntwo\nthree"));

    QTest::keyClick(&view, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), view.toPlainText());
}
