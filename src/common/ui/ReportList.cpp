#include "common/ui/ReportList.h"

#include "common/ui/WaitCursor.h"

#include "store/Collation.h"

#include <QColor>
#include <QDate>
#include <QHeaderView>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTime>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

namespace common {

namespace {

constexpr int KeyRole = Qt::UserRole + 1;

// The value a cell sorts by: a number or date where its column holds them
// and the text reads as one, and always the text's dictionary key.
struct SortCell {
    std::optional<double> value;
    store::SortKey text;
};

// Rows compare by the sort values that their cells got when filled.
class SortedRow : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;

    // Computed when the list is first sorted, not for every fill.
    bool hasSortCells() const { return !cells_.empty(); }
    void setSortCells(std::vector<SortCell> cells) { cells_ = std::move(cells); }

    bool operator<(const QTreeWidgetItem& other) const override {
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        const auto* row = dynamic_cast<const SortedRow*>(&other);
        if (!row || column < 0 || static_cast<size_t>(column) >= cells_.size() ||
            static_cast<size_t>(column) >= row->cells_.size())
            return QTreeWidgetItem::operator<(other);
        const SortCell& a = cells_[static_cast<size_t>(column)];
        const SortCell& b = row->cells_[static_cast<size_t>(column)];
        if (a.value && b.value)
            return *a.value < *b.value;
        // An empty or unreadable number or date sorts before every other.
        if (a.value || b.value)
            return b.value.has_value();
        return a.text < b.text;
    }

private:
    std::vector<SortCell> cells_;
};

// "dd/MM/yy" optionally followed by " HH:mm" or " HH:mm:ss", or by a note
// in brackets (" (expired)"), which is passed over; two-digit years are
// read as 2000-2069 and 1970-1999.
std::optional<double> dateValue(const QString& text) {
    QString t = text.trimmed();
    const qsizetype note = t.indexOf(QStringLiteral(" ("));
    if (note == 8 && t.endsWith(QLatin1Char(')')))
        t.truncate(note);
    if (t.size() < 8 || t.at(2) != QLatin1Char('/') || t.at(5) != QLatin1Char('/'))
        return std::nullopt;
    bool okDay = false, okMonth = false, okYear = false;
    const int day = t.mid(0, 2).toInt(&okDay);
    const int month = t.mid(3, 2).toInt(&okMonth);
    int year = t.mid(6, 2).toInt(&okYear);
    if (!okDay || !okMonth || !okYear)
        return std::nullopt;
    year += year < 70 ? 2000 : 1900;
    const QDate date(year, month, day);
    if (!date.isValid())
        return std::nullopt;
    QTime time(0, 0);
    if (t.size() > 8) {
        time = QTime::fromString(t.mid(9), t.size() > 14 ? QStringLiteral("HH:mm:ss")
                                                         : QStringLiteral("HH:mm"));
        if (!time.isValid())
            return std::nullopt;
    }
    return static_cast<double>(date.toJulianDay()) * 86400.0 + time.msecsSinceStartOfDay() / 1000.0;
}

std::optional<double> numberValue(const QString& text) {
    QString t = text.trimmed();
    t.remove(QLatin1Char(','));
    bool ok = false;
    const double value = t.toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

SortCell sortCell(ReportList::ColumnKind kind, const QString& text) {
    switch (kind) {
    case ReportList::ColumnKind::Text:
        break;
    case ReportList::ColumnKind::Number:
        return {numberValue(text), store::sortKey(text)};
    case ReportList::ColumnKind::Date:
        return {dateValue(text), store::sortKey(text)};
    }
    return {std::nullopt, store::sortKey(text)};
}

} // namespace

ReportList::ReportList(const QStringList& headings, QWidget* parent) : QTreeWidget(parent) {
    setColumnCount(static_cast<int>(headings.size()));
    setHeaderLabels(headings);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);
    header()->setDefaultSectionSize(150);
    // Columns are fitted to the rows of the first screens, not to a
    // thousand: a long list shows as soon as its first rows are there.
    header()->setResizeContentsPrecision(200);
    header()->setStretchLastSection(true);
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(false);
    connect(header(), &QHeaderView::sectionClicked, this, &ReportList::headingClicked);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &ReportList::readMoreInView);
    connect(verticalScrollBar(), &QScrollBar::rangeChanged, this, &ReportList::readMoreInView);
    userWidths_.fill(-1, columnCount());
    connect(header(), &QHeaderView::sectionResized, this,
            [this](int column, int, int newSize) { sectionResized(column, newSize); });
    // A double click on a heading's edge gives the column back to its
    // contents.
    connect(header(), &QHeaderView::sectionHandleDoubleClicked, this, [this](int column) {
        if (column >= 0 && column < userWidths_.size())
            userWidths_[column] = -1;
        fitColumns();
    });
}

void ReportList::setColumnKind(int column, ColumnKind kind) {
    if (column < 0 || column >= columnCount())
        return;
    if (kinds_.size() < columnCount())
        kinds_.resize(columnCount(), ColumnKind::Text);
    kinds_[column] = kind;
}

ReportList::ColumnKind ReportList::columnKind(int column) const {
    return column >= 0 && column < kinds_.size() ? kinds_.at(column) : ColumnKind::Text;
}

void ReportList::clearRows() {
    more_ = nullptr;
    clear();
}

void ReportList::setRows(const ListRows& rows) {
    more_ = nullptr;
    clear();
    addRows(rows);
    if (sorted_)
        applySort();
    fitColumns();
}

void ReportList::setRows(const ListRows& first, MoreRows more) {
    clear();
    addRows(first);
    more_ = std::move(more);
    // A sorted list places every row by its sort column.
    if (sorted_)
        readAllRows();
    fitColumns();
    readMoreInView();
}

void ReportList::readAllRows() {
    if (!more_)
        return;
    readRest();
    if (sorted_)
        applySort();
}

void ReportList::readRest() {
    if (!more_)
        return;
    ListRows rest;
    bool more = true;
    while (more) {
        ListRows slice;
        more = more_(slice, true);
        rest.insert(rest.end(), std::make_move_iterator(slice.begin()),
                    std::make_move_iterator(slice.end()));
    }
    more_ = nullptr;
    addRows(rest);
}

void ReportList::readMoreInView() {
    if (!more_ || readingMore_ || !isVisible())
        return;
    const QScopedValueRollback<bool> reading(readingMore_, true);
    // The rows given last laid out now, so that the scroll bar measures
    // them; laying out reports the range again, which is not acted on here.
    executeDelayedItemsLayout();
    const QScrollBar* bar = verticalScrollBar();
    if (bar->value() < bar->maximum() - bar->pageStep())
        return;
    ListRows slice;
    if (!more_(slice, false))
        more_ = nullptr;
    addRows(slice);
    // Looked at again once back among the events, with these rows laid out:
    // a slice that leaves the view short changes no range to report.
    if (more_)
        QMetaObject::invokeMethod(this, &ReportList::readMoreInView, Qt::QueuedConnection);
}

void ReportList::addRows(const ListRows& rows) {
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<int>(rows.size()));
    for (const ListRow& row : rows) {
        auto* item = new SortedRow(row.texts);
        item->setData(0, KeyRole, row.key);
        if (row.flagged)
            item->setForeground(0, QColor(255, 0, 0));
        items << item;
    }
    addTopLevelItems(items);
}

QString ReportList::keyOf(const QTreeWidgetItem* item) const {
    return item ? item->data(0, KeyRole).toString() : QString();
}

QString ReportList::selectedKey() const {
    const auto items = selectedItems();
    return items.isEmpty() ? QString() : keyOf(items.first());
}

QTreeWidgetItem* ReportList::findKey(const QString& key) const {
    for (int i = 0; i < topLevelItemCount(); ++i)
        if (keyOf(topLevelItem(i)) == key)
            return topLevelItem(i);
    return nullptr;
}

void ReportList::headingClicked(int column) {
    WaitCursor wait;
    readRest();
    sortColumn_ = column;
    direction_ = direction_ == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    sorted_ = true;
    applySort();
}

void ReportList::applySort() {
    for (int i = 0; i < topLevelItemCount(); ++i) {
        auto* row = dynamic_cast<SortedRow*>(topLevelItem(i));
        if (!row || row->hasSortCells())
            continue;
        std::vector<SortCell> cells;
        cells.reserve(static_cast<size_t>(columnCount()));
        for (int c = 0; c < columnCount(); ++c)
            cells.push_back(sortCell(columnKind(c), row->text(c)));
        row->setSortCells(std::move(cells));
    }
    sortItems(sortColumn_, direction_);
    header()->setSortIndicatorShown(true);
    header()->setSortIndicator(sortColumn_, direction_);
}

QStringList ReportList::selectedKeys() const {
    QStringList keys;
    for (const QTreeWidgetItem* item : selectedItems())
        keys << keyOf(item);
    return keys;
}

QString ReportList::currentKey() const {
    return keyOf(currentItem());
}

void ReportList::selectKeys(const QStringList& keys, const QString& current) {
    clearSelection();
    if (QTreeWidgetItem* item = current.isEmpty() ? nullptr : findKey(current)) {
        setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
        scrollToItem(item);
    }
    for (const QString& key : keys)
        if (QTreeWidgetItem* item = findKey(key))
            item->setSelected(true);
}

QList<int> ReportList::userColumnWidths() const {
    return QList<int>(userWidths_.cbegin(), userWidths_.cend());
}

void ReportList::setUserColumnWidths(const QList<int>& widths) {
    for (int c = 0; c < userWidths_.size(); ++c)
        userWidths_[c] = c < widths.size() && widths.at(c) > 0 ? widths.at(c) : -1;
    fitColumns();
}

void ReportList::sectionResized(int column, int newSize) {
    // The stretched last column follows the others and the list's width.
    const bool stretched = header()->stretchLastSection() && column == columnCount() - 1;
    if (fitting_ || stretched || column < 0 || column >= userWidths_.size())
        return;
    userWidths_[column] = newSize;
}

void ReportList::showEvent(QShowEvent* event) {
    QTreeWidget::showEvent(event);
    if (fitPending_)
        fitColumns();
    // Rows given while hidden come into view now.
    QMetaObject::invokeMethod(this, &ReportList::readMoreInView, Qt::QueuedConnection);
}

void ReportList::fitColumns() {
    // A hidden list does not know its width yet.
    if (!isVisible()) {
        fitPending_ = true;
        return;
    }
    fitPending_ = false;
    const int columns = columnCount();
    const int sized = header()->stretchLastSection() ? columns - 1 : columns;
    int available = viewport()->width();
    if (sized < columns)
        available -= header()->sectionSizeHint(columns - 1);
    // What each column needs; the user's widths are taken off first.
    std::vector<std::pair<int, int>> wanted; // natural width, column
    for (int c = 0; c < sized; ++c) {
        if (userWidths_.value(c, -1) > 0) {
            available -= userWidths_.at(c);
            continue;
        }
        wanted.emplace_back(std::max(sizeHintForColumn(c), header()->sectionSizeHint(c)), c);
    }
    // The narrow ones get their width in full; the wide ones share the rest.
    std::sort(wanted.begin(), wanted.end());
    std::vector<int> widths(static_cast<size_t>(columns), -1);
    int left = static_cast<int>(wanted.size());
    for (const auto& [natural, column] : wanted) {
        const int share = std::max(available, 0) / std::max(left, 1);
        const int width = std::max(std::min(natural, share), header()->minimumSectionSize());
        widths[static_cast<size_t>(column)] = width;
        available -= width;
        --left;
    }
    fitting_ = true;
    for (int c = 0; c < sized; ++c) {
        const int user = userWidths_.value(c, -1);
        header()->resizeSection(c, user > 0 ? user : widths[static_cast<size_t>(c)]);
    }
    fitting_ = false;
}

void ReportList::mousePressEvent(QMouseEvent* event) {
    QTreeWidget::mousePressEvent(event);
    emit mousePressed(event->button(), event->globalPosition().toPoint());
}

} // namespace common
