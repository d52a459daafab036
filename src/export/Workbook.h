#pragma once

// A spreadsheet workbook being written: sheets of cells addressed by
// 0-based row and column (row 0 is the sheet's row 1, column 0 its column
// A). Writers may stream: rows are written in ascending order, and column
// settings come before the first cell.

#include <QDate>
#include <QString>

#include <optional>

namespace exports {

// How a cell or a column is formatted.
enum class CellStyle {
    Plain,
    Heading, // italic, bold, single underline
    Money,   // number format "#,##0.00"
    Date,    // number format "dd/mm/yy"
};

inline const QString MoneyFormat = QStringLiteral("#,##0.00");
inline const QString DateFormat = QStringLiteral("dd/mm/yy");

class SheetWriter {
public:
    virtual ~SheetWriter() = default;
    // Width (in characters) and format of the columns first to last.
    virtual void setColumns(int first, int last, double width, CellStyle style) = 0;
    // A text cell, kept exactly as given (never read as a number or date).
    virtual void writeText(int row, int column, const QString& text, CellStyle style) = 0;
    virtual void writeNumber(int row, int column, double value, CellStyle style) = 0;
    virtual void writeDate(int row, int column, const QDate& date, CellStyle style) = 0;
};

class WorkbookWriter {
public:
    virtual ~WorkbookWriter() = default;
    // A new sheet of that name, after the ones already added.
    virtual SheetWriter& addSheet(const QString& name) = 0;
    // Finishes the workbook; the first error met while writing it, if any.
    virtual std::optional<QString> close() = 0;
};

} // namespace exports
