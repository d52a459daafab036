#include "common/ui/ReportList.h"

#include "common/ui/WaitCursor.h"

#include <QHeaderView>
#include <QMouseEvent>

namespace common {

namespace {

constexpr int KeyRole = Qt::UserRole + 1;

// Rows compare by the plain text of the sort column, case-sensitive, so
// that "10" sorts before "9" as the lists have always shown it; count
// columns compare by their numbers.
class TextRow : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& other) const override {
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        const auto* list = qobject_cast<const ReportList*>(treeWidget());
        if (list && list->isNumericColumn(column))
            return text(column).toLongLong() < other.text(column).toLongLong();
        return text(column) < other.text(column);
    }
};

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
    header()->setStretchLastSection(true);
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(false);
    connect(header(), &QHeaderView::sectionClicked, this, &ReportList::headingClicked);
}

void ReportList::clearRows() {
    clear();
}

void ReportList::setRows(const ListRows& rows) {
    clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<int>(rows.size()));
    for (const ListRow& row : rows) {
        auto* item = new TextRow(row.texts);
        item->setData(0, KeyRole, row.key);
        items << item;
    }
    addTopLevelItems(items);
    if (sorted_)
        applySort();
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
    sortColumn_ = column;
    direction_ = direction_ == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    sorted_ = true;
    applySort();
}

void ReportList::applySort() {
    sortItems(sortColumn_, direction_);
    header()->setSortIndicatorShown(true);
    header()->setSortIndicator(sortColumn_, direction_);
}

void ReportList::mousePressEvent(QMouseEvent* event) {
    QTreeWidget::mousePressEvent(event);
    emit mousePressed(event->button(), event->globalPosition().toPoint());
}

} // namespace common
