#pragma once

#include "common/ListRow.h"

#include <QTreeWidget>

namespace common {

// A report-style list: one row per ListRow, its key kept with the row.
// Sorting follows one rule for every such list of the program: a heading
// click makes that column the sort column and flips the list's one
// direction, whichever column was clicked (the first click sorts
// descending); texts compare as text. Once sorted, a list stays sorted:
// rows given to later fills are placed by the last column and direction.
class ReportList : public QTreeWidget {
    Q_OBJECT
public:
    explicit ReportList(const QStringList& headings, QWidget* parent = nullptr);

    // Replaces every row.
    void setRows(const ListRows& rows);
    void clearRows();

    QString keyOf(const QTreeWidgetItem* item) const;
    // The key of the selected row, empty with none.
    QString selectedKey() const;
    QTreeWidgetItem* findKey(const QString& key) const;

    // Columns that hold counts sort by their numbers ("9" before "10").
    void setNumericColumns(const QList<int>& columns) { numericColumns_ = columns; }
    bool isNumericColumn(int column) const { return numericColumns_.contains(column); }

    bool isSorted() const { return sorted_; }
    int sortColumnIndex() const { return sortColumn_; }
    Qt::SortOrder direction() const { return direction_; }

    // Acts as a click on a column heading.
    void headingClicked(int column);

signals:
    // A mouse button was pressed over the list (after the row under the
    // pointer, if any, became the selected row).
    void mousePressed(Qt::MouseButton button, const QPoint& globalPos);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    void applySort();

    QList<int> numericColumns_;
    bool sorted_ = false;
    int sortColumn_ = 0;
    Qt::SortOrder direction_ = Qt::AscendingOrder;
};

} // namespace common
