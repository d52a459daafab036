#pragma once

// The report text area: fixed-pitch text of any length, read-only. Only
// the lines in view are laid out and drawn, so showing a report of a
// hundred thousand lines costs no more than one of fifty; the text is kept
// once, as given, and split into lines by their starting positions.
//
// Whole lines are selected with the mouse (Shift extends), Ctrl+A selects
// everything and Ctrl+C copies the selection as plain text.

#include <QAbstractScrollArea>
#include <QString>
#include <QStringView>

#include <vector>

namespace reports {

class ReportView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit ReportView(QWidget* parent = nullptr);

    // Shows text whose lines end in CR LF (the last one too) or LF; the
    // view starts at the top left.
    void setReportText(const QString& text);
    // The text as a plain text box gives it: lines joined by LF, no line
    // end after the last.
    QString toPlainText() const;
    // The number of lines shown (an empty text is one empty line).
    int blockCount() const { return static_cast<int>(starts_.size()); }
    // Line i without its line end; i from 0 to blockCount() - 1.
    QStringView line(int i) const;
    // The widest line, in characters.
    qsizetype longestLine() const { return longest_; }

    // The first line at the top of the view.
    int firstVisibleLine() const;
    // The lines that fit in the view at its present height (at least one).
    int visibleLines() const;
    void scrollToLine(int i);

    // The selected lines, joined by LF; empty when nothing is selected.
    QString selectedText() const;
    void selectAll();
    bool hasSelection() const { return anchor_ >= 0; }
    void copy() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void updateScrollBars();
    int lineAt(int y) const;
    int lineHeight() const;
    int charWidth() const;

    QString text_;
    // Where each line starts in text_ and where it ends, before its line
    // end.
    std::vector<qsizetype> starts_;
    std::vector<qsizetype> ends_;
    qsizetype longest_ = 0;
    // The selection: lines from anchor_ to cursor_, both included; none
    // while anchor_ is -1.
    int anchor_ = -1;
    int cursor_ = -1;
};

} // namespace reports
