#include "reports/ui/ReportView.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace reports {

namespace {
// Room between the frame and the text, in pixels.
constexpr int Margin = 4;
} // namespace

ReportView::ReportView(QWidget* parent) : QAbstractScrollArea(parent) {
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    setReportText(QString());
}

void ReportView::setReportText(const QString& text) {
    text_ = text;
    starts_.clear();
    ends_.clear();
    longest_ = 0;
    anchor_ = cursor_ = -1;
    const qsizetype size = text_.size();
    const QChar* chars = text_.constData();
    qsizetype start = 0;
    for (qsizetype i = 0; i < size; ++i) {
        if (chars[i] != QLatin1Char('\n'))
            continue;
        const qsizetype stop = (i > start && chars[i - 1] == QLatin1Char('\r')) ? i - 1 : i;
        starts_.push_back(start);
        ends_.push_back(stop);
        longest_ = std::max(longest_, stop - start);
        start = i + 1;
    }
    // A last line without its line end; an empty text is one empty line.
    if (start < size || starts_.empty()) {
        starts_.push_back(start);
        ends_.push_back(size);
        longest_ = std::max(longest_, size - start);
    }
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    updateScrollBars();
    viewport()->update();
}

QStringView ReportView::line(int i) const {
    const auto index = static_cast<size_t>(i);
    return QStringView(text_).mid(starts_[index], ends_[index] - starts_[index]);
}

QString ReportView::toPlainText() const {
    QString out;
    out.reserve(text_.size());
    for (int i = 0; i < blockCount(); ++i) {
        if (i > 0)
            out += QLatin1Char('\n');
        out += line(i);
    }
    return out;
}

int ReportView::lineHeight() const {
    return std::max(1, fontMetrics().lineSpacing());
}

int ReportView::charWidth() const {
    return std::max(1, fontMetrics().horizontalAdvance(QLatin1Char('0')));
}

int ReportView::visibleLines() const {
    return std::max(1, (viewport()->height() - Margin) / lineHeight());
}

int ReportView::firstVisibleLine() const {
    return verticalScrollBar()->value();
}

void ReportView::scrollToLine(int i) {
    verticalScrollBar()->setValue(i);
}

void ReportView::updateScrollBars() {
    const int page = visibleLines();
    QScrollBar* v = verticalScrollBar();
    v->setRange(0, std::max(0, blockCount() - page));
    v->setPageStep(page);
    v->setSingleStep(1);
    const qsizetype width = longest_ * charWidth() + 2 * Margin;
    QScrollBar* h = horizontalScrollBar();
    h->setRange(0, static_cast<int>(std::max<qsizetype>(0, width - viewport()->width())));
    h->setPageStep(viewport()->width());
    h->setSingleStep(charWidth());
}

void ReportView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const int height = lineHeight();
    const int ascent = fontMetrics().ascent();
    const int first = firstVisibleLine();
    const int last = std::min(blockCount() - 1, first + event->rect().bottom() / height + 1);
    const int x = Margin - horizontalScrollBar()->value();
    const int low = std::min(anchor_, cursor_);
    const int high = std::max(anchor_, cursor_);
    for (int i = first; i <= last; ++i) {
        const int top = Margin / 2 + (i - first) * height;
        const bool selected = anchor_ >= 0 && i >= low && i <= high;
        if (selected) {
            painter.fillRect(QRect(0, top, viewport()->width(), height),
                             palette().brush(QPalette::Highlight));
            painter.setPen(palette().color(QPalette::HighlightedText));
        } else {
            painter.setPen(palette().color(QPalette::Text));
        }
        painter.drawText(x, top + ascent, line(i).toString());
    }
}

void ReportView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void ReportView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        viewport()->setFont(font());
        updateScrollBars();
        viewport()->update();
    }
}

int ReportView::lineAt(int y) const {
    const int i = firstVisibleLine() + std::max(0, y - Margin / 2) / lineHeight();
    return std::clamp(i, 0, blockCount() - 1);
}

void ReportView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const int i = lineAt(event->position().toPoint().y());
    if (!(event->modifiers() & Qt::ShiftModifier) || anchor_ < 0)
        anchor_ = i;
    cursor_ = i;
    viewport()->update();
}

void ReportView::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton) || anchor_ < 0)
        return;
    const int y = event->position().toPoint().y();
    if (y < 0)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (y > viewport()->height())
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    cursor_ = lineAt(y);
    viewport()->update();
}

QString ReportView::selectedText() const {
    if (anchor_ < 0)
        return QString();
    const int low = std::min(anchor_, cursor_);
    QString out;
    for (int i = low; i <= std::max(anchor_, cursor_); ++i) {
        if (i > low)
            out += QLatin1Char('\n');
        out += line(i);
    }
    return out;
}

void ReportView::selectAll() {
    anchor_ = 0;
    cursor_ = blockCount() - 1;
    viewport()->update();
}

void ReportView::copy() const {
    if (hasSelection())
        QApplication::clipboard()->setText(selectedText());
}

void ReportView::keyPressEvent(QKeyEvent* event) {
    if (event == QKeySequence::SelectAll) {
        selectAll();
    } else if (event == QKeySequence::Copy) {
        copy();
    } else if (event == QKeySequence::MoveToStartOfDocument || event->key() == Qt::Key_Home) {
        verticalScrollBar()->setValue(0);
        if (event->key() == Qt::Key_Home && !(event->modifiers() & Qt::ControlModifier))
            horizontalScrollBar()->setValue(0);
    } else if (event == QKeySequence::MoveToEndOfDocument || event->key() == Qt::Key_End) {
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    } else {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
}

} // namespace reports
