#pragma once

// A sheet written as comma-separated values (RFC 4180) in UTF-8: one
// record per sheet row that holds a cell, fields separated by commas,
// records ended by CR LF. A field holding a comma, a quote, a CR or an LF is
// put between quotes, its quotes doubled. Rows come in ascending order and
// each is written as soon as the next one starts; a row that holds no cell
// (the workbook's empty row 2) gives no record.
//
// Texts are written as given, numbers with two decimals and no grouping
// (1234.50), dates "dd/mm/yy" as the reports show them.

#include "export/Workbook.h"

#include <QStringList>

class QIODevice;

namespace exports {

// One field as RFC 4180 writes it.
QString csvField(const QString& text);

class CsvSheet : public SheetWriter {
public:
    explicit CsvSheet(QIODevice& out) : out_(out) {}

    void setColumns(int first, int last, double width, CellStyle style) override;
    void writeText(int row, int column, const QString& text, CellStyle style) override;
    void writeNumber(int row, int column, double value, CellStyle style) override;
    void writeDate(int row, int column, const QDate& date, CellStyle style) override;

    // Writes the last row; false when anything could not be written.
    bool finish();

private:
    void put(int row, int column, const QString& text);
    void flushRow();

    QIODevice& out_;
    int columns_ = 0;
    int row_ = -1;
    QStringList fields_;
    bool failed_ = false;
};

} // namespace exports
