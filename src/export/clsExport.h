#pragma once

// Export: the report shown on the Reports page to a spreadsheet workbook
// (.xlsx, saved where the user chooses, starting in the documents folder,
// and opened with the desktop's program for it) or to a text file the user
// names.
//
// The workbook is filled from the report's query, run afresh in the order
// the rows were recorded; the text file holds the page's text exactly as
// shown. The desktop is reached through ExportHooks, files are asked for
// through the file chooser hook.

#include "common/BackgroundWork.h"
#include "reports/ReportCatalogue.h"
#include "reports/clsReports.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace store {
class Database;
}
namespace common {
class Clock;
class FileChooser;
class Messages;
} // namespace common

namespace exports {

class ExportHooks;
class SheetWriter;

inline const QString ExportQuestion =
    QStringLiteral("Yes - Save as Excel sheet, No - Save as Text File");
inline const QString TextFilesFilter = QStringLiteral("Text Files (*.txt)");
inline const QString WorkbookFilter = QStringLiteral("Excel Workbook (*.xlsx)");

// What the user is told of a file the export wrote: "Workbook saved as
// PATH" when no program opened the workbook, "Report saved as PATH" for the
// text file.
QString workbookSavedNotice(const QString& path);
QString textSavedNotice(const QString& path);

// Rows of a worksheet, as the .xlsx format counts them.
inline constexpr qint64 SheetRows = 1048576;
// Sheet row (0-based) of the first data row: headings in row 1, row 2
// empty, data from row 3.
inline constexpr int FirstDataRow = 2;
// Data rows one sheet can hold below its headings and the empty row.
inline constexpr qint64 MaxDataRows = SheetRows - FirstDataRow;
// Width of every heading column, in characters.
inline constexpr double HeadingColumnWidth = 16;
// The order of an export when no order button is named: the order in which
// the rows were recorded.
inline constexpr int RecordedOrder = -1;

// The message of an export that finds no row ("No Licences on System"...).
QString exportEmptyMessage(const reports::ReportDef& report);

class clsExport {
public:
    clsExport(store::Database& db, common::Messages& messages, common::Clock& clock);

    // Asks whether to export to a workbook (Yes), to a text file (No) or
    // not at all (Cancel), and does it. reportText is the report as the page
    // shows it.
    void ExportReport(const QString& reportName, const QString& reportText,
                      common::FileChooser& files, ExportHooks& hooks);

    // Asks where to save the report's workbook (a save dialog starting in
    // the documents folder with the name UniqueWorkbookPath gives, ".xlsx"
    // added to a name without an extension), writes it there and opens it
    // with the desktop's program. When no program takes it, says
    // "Workbook saved as PATH" and offers to open its folder. The path
    // written, or no value when nothing was (a cancelled choice is silent).
    std::optional<QString> ExportWorkbookTo(const reports::ReportDef& report,
                                            common::FileChooser& files, ExportHooks& hooks);

    // Asks for a file (".txt" added to a name without an extension) and
    // writes the report text and one CR LF to it, UTF-8, replacing it in
    // one step, then says where it went. True when the file was written; a
    // cancelled choice is silent, a refused or failed one shows why.
    bool ExportToTextFile(const QString& reportText, common::FileChooser& files,
                          ExportHooks& hooks);

    // Writes the report's workbook under a new name in folder; its path, or
    // no value when nothing was saved (a message has been shown). An empty
    // report still gives the sheet with its headings, after its message.
    std::optional<QString> ExportToWorkbook(const QString& reportName, const QString& folder);

    // Writes the report's workbook to path, replacing a file there in one
    // step, with its rows in the order of that order button (RecordedOrder
    // as the page's export). False when nothing was written: the path is
    // protected, the report too long for a sheet, or the file could not be
    // written (a message has been shown). An empty report gives the sheet
    // with its headings, after its message.
    bool SaveWorkbook(const reports::ReportDef& report, int order, const QString& path);
    // The same rows as comma-separated values (CsvSheet): a header row of
    // the headings, then one record per row, all rows; an empty report gives
    // the header row, after its message.
    bool SaveCsv(const reports::ReportDef& report, int order, const QString& path);

    // Names the sheet after the report, sets the columns' widths and the
    // cost column's format, and writes the headings into row 1.
    void WriteSheetHeadings(const reports::ReportDef& report, SheetWriter& sheet) const;
    // Writes the report's rows from row 3 on, in the order they were
    // recorded (or of that order button); the number of rows written (never
    // more than the limit).
    qint64 WriteSheetRows(const reports::ReportDef& report, SheetWriter& sheet,
                          int order = RecordedOrder);
    // How many rows the report's export finds.
    qint64 CountExportRows(const reports::ReportDef& report);

    // Where the files are written: the workbook's and the CSV's rows are
    // read from the register on the calling thread, a slice at a time, and
    // formatted, compressed and written on the runner's thread; the text
    // file is written there whole. A thread of its own without progress
    // unless set (the window's progress dialog, the terminal's line). A
    // cancelled export writes nothing and says nothing.
    void setWorkRunner(common::WorkRunner* runner) { runner_ = runner; }

    // The file a sheet is written to (a workbook, a CSV file).
    struct SheetFile;

    // A path in folder that names no file yet: the report name and the
    // day, then " (2)", " (3)"... when needed, and ".xlsx".
    static QString UniqueWorkbookPath(const QString& folder, const QString& reportName,
                                      const QDate& day);

    // The files an export may never replace: the open database file with
    // its journals, the programs and the help file (common::FileGuard).
    QStringList protectedFiles() const;
    // True for those files and for any asset database.
    bool isProtectedTarget(const QString& path) const;

    // The data rows a sheet may take; MaxDataRows unless a test lowers it.
    void setDataRowLimit(qint64 rows) { dataRowLimit_ = rows; }
    qint64 dataRowLimit() const { return dataRowLimit_; }

    // The period of "Licences expiring soon" in days: the user's setting
    // unless set here (vemora-admin report --days N).
    void setExpiringSoonDays(int days) { expiringSoonDays_ = days; }

private:
    // The report's query in an order, with the period set here.
    reports::clsReports::ComposedQuery composeQuery(const reports::ReportDef& report,
                                                    int order) const;
    bool writeTextFile(const QString& path, const QString& reportText);
    common::WorkRunner& runner();
    // Refuses a protected path with the refusal message; true when refused.
    bool refuseProtected(const QString& path);
    bool writeWorkbook(const reports::ReportDef& report, int order, const QString& path);
    // Reads the report's rows on this thread and hands them to the runner's
    // thread, where writeFile makes the file (named in the messages as path)
    // and sheet the sheet it fills; refuses a report longer than limit.
    // False when nothing was written (a message has been shown, or the
    // export was cancelled).
    bool writeSheetFile(const reports::ReportDef& report, int order, qint64 limit,
                        const QString& path, const QString& what, SheetFile& file);
    // The refusal of a report longer than the sheet allows.
    void refuseTooLong(const reports::ReportDef& report);

    store::Database& db_;
    common::Messages& messages_;
    common::Clock& clock_;
    qint64 dataRowLimit_ = MaxDataRows;
    std::optional<int> expiringSoonDays_;
    common::WorkRunner* runner_ = nullptr;
    std::unique_ptr<common::WorkRunner> ownRunner_;
};

} // namespace exports
