#pragma once

// An .xlsx file written with libxlsxwriter in constant-memory mode: each
// row goes to a temporary file as soon as the next one starts, so a sheet
// of any length takes little memory. Texts are written as inline strings.

#include "export/Workbook.h"

#include <memory>
#include <vector>

struct lxw_workbook;
struct lxw_format;

namespace exports {

class XlsxWorkbook : public WorkbookWriter {
public:
    explicit XlsxWorkbook(const QString& path);
    // A workbook not closed is dropped without writing the file.
    ~XlsxWorkbook() override;
    XlsxWorkbook(const XlsxWorkbook&) = delete;
    XlsxWorkbook& operator=(const XlsxWorkbook&) = delete;

    SheetWriter& addSheet(const QString& name) override;
    std::optional<QString> close() override;

    // Remembers the first error; later calls keep it.
    void noteError(int lxwError);
    lxw_format* format(CellStyle style) const;

private:
    class Sheet;
    lxw_workbook* book_ = nullptr;
    lxw_format* heading_ = nullptr;
    lxw_format* money_ = nullptr;
    lxw_format* date_ = nullptr;
    std::vector<std::unique_ptr<SheetWriter>> sheets_;
    std::optional<QString> error_;
};

} // namespace exports
