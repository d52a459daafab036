#pragma once

#include "common/ListRow.h"

#include <QTreeWidget>

#include <functional>

namespace common {

// A report-style list: one row per ListRow, its key kept with the row.
// Sorting follows one rule for every such list of the program: a heading
// click makes that column the sort column and flips the list's one
// direction, whichever column was clicked (the first click sorts
// descending). A column of counts or amounts sorts by number and a column
// of dates ("dd/MM/yy", with or without a time) by date; every other column
// as text, in dictionary order. Once sorted, a list stays sorted: rows given
// to later fills are placed by the last column and direction.
//
// A long list may be given its first rows only, with a source of the rest
// (setRows(first, more)): it reads the next slice when the user scrolls to
// within a page of the last row read, so that the work done follows what
// is shown. A heading click reads every row first, then sorts.
class ReportList : public QTreeWidget {
    Q_OBJECT
public:
    enum class ColumnKind { Text, Number, Date };

    explicit ReportList(const QStringList& headings, QWidget* parent = nullptr);

    // How a column sorts; Text unless set. Set it before the rows are given.
    void setColumnKind(int column, ColumnKind kind);
    ColumnKind columnKind(int column) const;

    // Replaces every row.
    void setRows(const ListRows& rows);
    void clearRows();

    // Puts the next slice of rows in rows, or with rest every row left
    // (best in one go); false once none follow (rows may still hold a last
    // slice).
    using MoreRows = std::function<bool(ListRows& rows, bool rest)>;
    // Replaces every row by the first ones; the rest are read from more as
    // they come into view (at once when the list is sorted).
    void setRows(const ListRows& first, MoreRows more);
    // True while rows remain to be read.
    bool hasMoreRows() const { return static_cast<bool>(more_); }
    // Reads every row still to come.
    void readAllRows();

    QString keyOf(const QTreeWidgetItem* item) const;
    // The key of the selected row, empty with none.
    QString selectedKey() const;
    QTreeWidgetItem* findKey(const QString& key) const;

    bool isSorted() const { return sorted_; }
    int sortColumnIndex() const { return sortColumn_; }
    Qt::SortOrder direction() const { return direction_; }

    // Acts as a click on a column heading.
    void headingClicked(int column);

    // The keys of the selected rows, and the key of the current row.
    QStringList selectedKeys() const;
    QString currentKey() const;
    // Selects again the rows of those keys that are still listed, makes the
    // row of current the current row if listed, and scrolls to it.
    void selectKeys(const QStringList& keys, const QString& current = QString());

    // Each fill sizes the columns to their contents, within the list's
    // width: narrow columns (counts) get their whole width first, the rest
    // is shared among the wide ones, and the last column takes what is
    // left. A column whose width the user has set by dragging its heading's
    // edge keeps that width. userColumnWidths gives those widths, -1 for a
    // column that sizes to its contents; setUserColumnWidths sets them back.
    QList<int> userColumnWidths() const;
    void setUserColumnWidths(const QList<int>& widths);

signals:
    // A mouse button was pressed over the list (after the row under the
    // pointer, if any, became the selected row).
    void mousePressed(Qt::MouseButton button, const QPoint& globalPos);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void applySort();
    void addRows(const ListRows& rows);
    // Reads every row still to come, unsorted.
    void readRest();
    // Reads the next slice when the view is within a page of the last row.
    void readMoreInView();
    void fitColumns();
    void sectionResized(int column, int newSize);

    QVector<ColumnKind> kinds_;
    bool sorted_ = false;
    int sortColumn_ = 0;
    Qt::SortOrder direction_ = Qt::AscendingOrder;
    // Widths the user set, -1 where the column follows its contents.
    QVector<int> userWidths_;
    // The columns are being sized by the list, not by the user.
    bool fitting_ = false;
    // Filled while hidden: sized when first shown.
    bool fitPending_ = false;
    // The rest of the rows, while some remain to be read.
    MoreRows more_;
    bool readingMore_ = false;
};

} // namespace common
