#include "export/XlsxWorkbook.h"

#include <xlsxwriter.h>

namespace exports {

// Cells written to a libxlsxwriter sheet, or to nowhere when the sheet
// could not be made (the workbook then holds the error).
class XlsxWorkbook::Sheet : public SheetWriter {
public:
    Sheet(XlsxWorkbook& book, lxw_worksheet* sheet) : book_(book), sheet_(sheet) {}

    void setColumns(int first, int last, double width, CellStyle style) override {
        if (sheet_)
            book_.noteError(
                worksheet_set_column(sheet_, col(first), col(last), width, book_.format(style)));
    }
    void writeText(int r, int c, const QString& text, CellStyle style) override {
        if (!sheet_)
            return;
        const QByteArray utf8 = text.toUtf8();
        book_.noteError(
            worksheet_write_string(sheet_, row(r), col(c), utf8.constData(), book_.format(style)));
    }
    void writeNumber(int r, int c, double value, CellStyle style) override {
        if (sheet_)
            book_.noteError(
                worksheet_write_number(sheet_, row(r), col(c), value, book_.format(style)));
    }
    void writeDate(int r, int c, const QDate& date, CellStyle style) override {
        if (!sheet_)
            return;
        lxw_datetime at{date.year(), date.month(), date.day(), 0, 0, 0.0};
        book_.noteError(worksheet_write_datetime(sheet_, row(r), col(c), &at, book_.format(style)));
    }

private:
    static lxw_row_t row(int r) { return static_cast<lxw_row_t>(r); }
    static lxw_col_t col(int c) { return static_cast<lxw_col_t>(c); }

    XlsxWorkbook& book_;
    lxw_worksheet* sheet_;
};

XlsxWorkbook::XlsxWorkbook(const QString& path) {
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    const QByteArray file = path.toUtf8();
    book_ = workbook_new_opt(file.constData(), &options);
    if (!book_) {
        error_ = QStringLiteral("The workbook could not be started.");
        return;
    }
    heading_ = workbook_add_format(book_);
    format_set_italic(heading_);
    format_set_bold(heading_);
    format_set_underline(heading_, LXW_UNDERLINE_SINGLE);
    money_ = workbook_add_format(book_);
    format_set_num_format(money_, MoneyFormat.toUtf8().constData());
    date_ = workbook_add_format(book_);
    format_set_num_format(date_, DateFormat.toUtf8().constData());
}

XlsxWorkbook::~XlsxWorkbook() {
    if (book_)
        lxw_workbook_free(book_);
}

lxw_format* XlsxWorkbook::format(CellStyle style) const {
    switch (style) {
    case CellStyle::Heading:
        return heading_;
    case CellStyle::Money:
        return money_;
    case CellStyle::Date:
        return date_;
    case CellStyle::Plain:
        break;
    }
    return nullptr;
}

void XlsxWorkbook::noteError(int lxwError) {
    if (lxwError != LXW_NO_ERROR && !error_)
        error_ = QString::fromUtf8(lxw_strerror(static_cast<lxw_error>(lxwError)));
}

SheetWriter& XlsxWorkbook::addSheet(const QString& name) {
    lxw_worksheet* sheet = nullptr;
    if (book_) {
        const QByteArray utf8 = name.toUtf8();
        const lxw_error valid = workbook_validate_sheet_name(book_, utf8.constData());
        noteError(valid);
        if (valid == LXW_NO_ERROR)
            sheet = workbook_add_worksheet(book_, utf8.constData());
        if (!sheet && !error_)
            error_ = QStringLiteral("The sheet \"%1\" could not be added.").arg(name);
    }
    sheets_.push_back(std::make_unique<Sheet>(*this, sheet));
    return *sheets_.back();
}

std::optional<QString> XlsxWorkbook::close() {
    if (!book_)
        return error_;
    lxw_workbook* book = book_;
    book_ = nullptr; // closing frees it, whatever the outcome
    if (error_) {
        lxw_workbook_free(book);
        return error_;
    }
    noteError(workbook_close(book));
    return error_;
}

} // namespace exports
