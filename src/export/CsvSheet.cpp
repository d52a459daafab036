#include "export/CsvSheet.h"

#include "store/StoreConstants.h"

#include <QIODevice>

#include <algorithm>

namespace exports {

QString csvField(const QString& text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\r')) && !text.contains(QLatin1Char('\n')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

void CsvSheet::setColumns(int, int last, double, CellStyle) {
    columns_ = std::max(columns_, last + 1);
}

void CsvSheet::writeText(int row, int column, const QString& text, CellStyle) {
    put(row, column, text);
}

void CsvSheet::writeNumber(int row, int column, double value, CellStyle) {
    put(row, column, QString::number(value, 'f', 2));
}

void CsvSheet::writeDate(int row, int column, const QDate& date, CellStyle) {
    put(row, column, date.toString(store::ShownDate));
}

void CsvSheet::put(int row, int column, const QString& text) {
    if (row != row_) {
        flushRow();
        row_ = row;
    }
    if (fields_.size() <= column)
        fields_.resize(std::max(columns_, column + 1));
    fields_[column] = csvField(text);
}

void CsvSheet::flushRow() {
    if (row_ < 0)
        return;
    if (fields_.size() < columns_)
        fields_.resize(columns_);
    const QByteArray line = (fields_.join(QLatin1Char(',')) + QStringLiteral("\r\n")).toUtf8();
    if (out_.write(line) != line.size())
        failed_ = true;
    fields_.clear();
    row_ = -1;
}

bool CsvSheet::finish() {
    flushRow();
    return !failed_;
}

} // namespace exports
