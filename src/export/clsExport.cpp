#include "export/clsExport.h"

#include "common/BackgroundWork.h"
#include "common/Clock.h"
#include "common/FileChooser.h"
#include "common/FileGuard.h"
#include "common/Messages.h"
#include "export/CsvSheet.h"
#include "export/ExportHooks.h"
#include "export/Workbook.h"
#include "export/XlsxWorkbook.h"
#include "reports/ReportLayout.h"
#include "reports/clsReports.h"
#include "store/Database.h"
#include "store/StoreConstants.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <limits>
#include <vector>

namespace exports {

using reports::ColumnKind;
using reports::ReportColumn;
using reports::ReportDef;
using reports::ReportQuery;

namespace {

// The hourglass for the length of a scope.
class Busy {
public:
    explicit Busy(ExportHooks& hooks) : hooks_(hooks) { hooks_.setBusy(true); }
    ~Busy() { hooks_.setBusy(false); }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

private:
    ExportHooks& hooks_;
};

// The report's query in the order the rows were recorded, ready to step.
store::Query openExportQuery(store::Database& db, const reports::clsReports::ComposedQuery& q,
                             const QString& sql) {
    store::Query rows(db, sql);
    store::bindValues(rows, 1, q.values);
    return rows;
}

// One cell of a data row as read from the register, to be written on the
// work's thread.
struct Cell {
    enum class Kind : unsigned char { None, Text, Number, Date };
    Kind kind = Kind::None;
    CellStyle style = CellStyle::Plain;
    double number = 0;
    QDate date;
    QString text;
};

// Rows read in one slice: their cells row after row, the same number to a
// row.
struct RowSlice {
    std::vector<Cell> cells;
    qint64 rows = 0;
};

// A slice ends after this many rows or this many milliseconds, so that the
// window's events wait no longer than that; a few slices may wait for the
// work.
constexpr qint64 SliceRows = 2000;
constexpr qint64 SliceMs = 8;
constexpr std::size_t SlicesAhead = 4;
// The text file is written in pieces of this many bytes, a report each.
constexpr qint64 TextPieceBytes = 1 << 20;

// The cells of one report row, as the sheet shows them.
class RowCells {
public:
    RowCells(const ReportDef& report, const QDate& today)
        : report_(report), today_(today), columns_(static_cast<int>(report.columns.size())) {}

    int width() const { return columns_ + (report_.costEnd > 0 ? 1 : 0); }

    // Appends the current row's cells to cells.
    void read(const store::Query& rows, std::vector<Cell>& cells) const {
        for (int c = 0; c < columns_; ++c) {
            const ReportColumn& column = report_.columns[static_cast<size_t>(c)];
            Cell& cell = cells.emplace_back();
            switch (column.kind) {
            case ColumnKind::Text:
                cell.kind = Cell::Kind::Text;
                cell.text = rows.text(column.column);
                break;
            case ColumnKind::Type:
                cell.kind = Cell::Kind::Text;
                cell.text = rows.text(column.column) == store::LicenceNormal
                                ? QStringLiteral("NORMAL")
                                : QStringLiteral("TEMPORARY");
                break;
            case ColumnKind::Expiry:
                // No date: the cell stays empty.
                if (const std::optional<QDate> date =
                        reports::storedDate(rows.rawText(column.column))) {
                    cell.kind = Cell::Kind::Date;
                    cell.style = CellStyle::Date;
                    cell.date = *date;
                }
                break;
            case ColumnKind::DaysLeft:
                if (const std::optional<QDate> date =
                        reports::storedDate(rows.rawText(column.column))) {
                    cell.kind = Cell::Kind::Number;
                    cell.number = static_cast<double>(today_.daysTo(*date));
                }
                break;
            }
        }
        if (report_.costEnd > 0) {
            Cell& cell = cells.emplace_back();
            cell.style = CellStyle::Money;
            if (rows.isNull(cost_)) {
                cell.kind = Cell::Kind::Text;
            } else {
                cell.kind = Cell::Kind::Number;
                cell.number = static_cast<double>(rows.money(cost_).cents()) / 100.0;
            }
        }
    }

    // Writes rows of cells (width() to a row) into the sheet from sheet row
    // row on.
    void write(SheetWriter& sheet, int row, const std::vector<Cell>& cells) const {
        const int width = this->width();
        int column = 0;
        for (const Cell& cell : cells) {
            switch (cell.kind) {
            case Cell::Kind::None:
                break;
            case Cell::Kind::Text:
                sheet.writeText(row, column, cell.text, cell.style);
                break;
            case Cell::Kind::Number:
                sheet.writeNumber(row, column, cell.number, cell.style);
                break;
            case Cell::Kind::Date:
                sheet.writeDate(row, column, cell.date, cell.style);
                break;
            }
            if (++column == width) {
                column = 0;
                ++row;
            }
        }
    }

private:
    const ReportDef& report_;
    const QDate today_;
    const int columns_;
    const QString cost_ = QStringLiteral("Cost");
};

// More rows than the sheet may take.
struct TooManyRows {};

// A file that could not be written, in the system's words.
struct WriteFailure {
    QString why;
};

} // namespace

// The file a sheet goes to, made on the work's thread.
struct clsExport::SheetFile {
    virtual ~SheetFile() = default;
    // Starts the file; the sheet to fill. Throws WriteFailure.
    virtual SheetWriter& open(const QString& sheetName) = 0;
    // Finishes the file and puts it in place. Throws WriteFailure.
    virtual void close() = 0;
};

namespace {

// A workbook, through a temporary file that replaces the target only when
// complete.
class WorkbookFile : public clsExport::SheetFile {
public:
    explicit WorkbookFile(const QString& path) : path_(path) {}

    SheetWriter& open(const QString& sheetName) override {
        file_ = std::make_unique<common::ReplacementFile>(path_);
        if (!file_->create())
            throw WriteFailure{file_->errorString()};
        book_ = std::make_unique<XlsxWorkbook>(file_->temporaryPath());
        return book_->addSheet(sheetName);
    }
    void close() override {
        if (const std::optional<QString> error = book_->close())
            throw WriteFailure{*error};
        if (!file_->commit())
            throw WriteFailure{file_->errorString()};
    }

private:
    QString path_;
    std::unique_ptr<common::ReplacementFile> file_;
    std::unique_ptr<XlsxWorkbook> book_;
};

// Comma-separated values, through a temporary file likewise.
class CsvFile : public clsExport::SheetFile {
public:
    explicit CsvFile(const QString& path) : path_(path) {}

    SheetWriter& open(const QString&) override {
        file_ = std::make_unique<common::ReplacementFile>(path_);
        if (!file_->create())
            throw WriteFailure{file_->errorString()};
        out_ = std::make_unique<QFile>(file_->temporaryPath());
        if (!out_->open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw WriteFailure{out_->errorString()};
        sheet_ = std::make_unique<CsvSheet>(*out_);
        return *sheet_;
    }
    void close() override {
        if (!sheet_->finish() || !out_->flush()) {
            const QString why = out_->errorString();
            throw WriteFailure{why.isEmpty() ? QStringLiteral("The file could not be written")
                                             : why};
        }
        out_->close();
        if (out_->error() != QFileDevice::NoError)
            throw WriteFailure{out_->errorString()};
        if (!file_->commit())
            throw WriteFailure{file_->errorString()};
    }

private:
    QString path_;
    std::unique_ptr<common::ReplacementFile> file_;
    std::unique_ptr<QFile> out_;
    std::unique_ptr<CsvSheet> sheet_;
};

} // namespace

QString workbookSavedNotice(const QString& path) {
    return QStringLiteral("Workbook saved as ") + QDir::toNativeSeparators(path);
}

QString textSavedNotice(const QString& path) {
    return QStringLiteral("Report saved as ") + QDir::toNativeSeparators(path);
}

namespace {

// The chosen name, with the extension added when it has none.
QString withExtension(const QString& chosen, const QString& extension) {
    return QFileInfo(chosen).suffix().isEmpty() ? chosen + QLatin1Char('.') + extension : chosen;
}

} // namespace

QString exportEmptyMessage(const ReportDef& report) {
    switch (report.query) {
    case ReportQuery::LicenceDetails:
    case ReportQuery::ProductLicences:
        return QStringLiteral("No Licences on System");
    case ReportQuery::StockDetails:
    case ReportQuery::ProductStock:
        return QStringLiteral("No Stock on System");
    case ReportQuery::ExpiryAudit:
        return QStringLiteral("No Licences have Expired");
    case ReportQuery::TemporaryAudit:
        return QStringLiteral("No Temporary Licences on System");
    case ReportQuery::RemovedLicences:
        return QStringLiteral("No Removed Licences on System");
    case ReportQuery::RemovedStock:
        return QStringLiteral("No Removed Stock on System");
    case ReportQuery::ExpiringSoon:
        return QStringLiteral("No Licences Expire within the Period");
    }
    return QString();
}

clsExport::clsExport(store::Database& db, common::Messages& messages, common::Clock& clock)
    : db_(db), messages_(messages), clock_(clock) {}

reports::clsReports::ComposedQuery clsExport::composeQuery(const ReportDef& report,
                                                           int order) const {
    reports::clsReports reportsLogic(db_, messages_, clock_);
    if (expiringSoonDays_)
        reportsLogic.setExpiringSoonDays(*expiringSoonDays_);
    return reportsLogic.ComposeQuery(report, order);
}

void clsExport::ExportReport(const QString& reportName, const QString& reportText,
                             common::FileChooser& files, ExportHooks& hooks) {
    switch (hooks.askExportKind(ExportQuestion)) {
    case ExportChoice::Cancel:
        return;
    case ExportChoice::TextFile:
        ExportToTextFile(reportText, files, hooks);
        return;
    case ExportChoice::Workbook:
        break;
    }
    if (const ReportDef* report = reports::findReport(reportName))
        ExportWorkbookTo(*report, files, hooks);
}

std::optional<QString> clsExport::ExportWorkbookTo(const ReportDef& report,
                                                   common::FileChooser& files, ExportHooks& hooks) {
    const QString documents = hooks.workbookFolder();
    const QString folder =
        !documents.isEmpty() && QDir(documents).exists() ? documents : QDir::tempPath();
    common::FileRequest request;
    request.purpose = common::FileRequest::Save;
    request.title = QStringLiteral("Save Report as Excel Workbook");
    request.directory = UniqueWorkbookPath(folder, report.name, clock_.today());
    request.filter = WorkbookFilter;
    request.confirmOverwrite = true;
    const std::optional<QString> chosen = files.choose(request);
    if (!chosen || chosen->trimmed().isEmpty())
        return std::nullopt;
    const QString path = withExtension(*chosen, QStringLiteral("xlsx"));
    bool saved = false;
    {
        Busy busy(hooks);
        saved = SaveWorkbook(report, RecordedOrder, path);
    }
    if (!saved)
        return std::nullopt;
    // A workbook no program takes is saved all the same: the user is told
    // where, and may open its folder.
    if (!hooks.openFile(path) && hooks.offerFolder(workbookSavedNotice(path)))
        hooks.openFile(QFileInfo(path).absolutePath());
    return path;
}

bool clsExport::ExportToTextFile(const QString& reportText, common::FileChooser& files,
                                 ExportHooks& hooks) {
    common::FileRequest request;
    request.purpose = common::FileRequest::Save;
    request.title = QStringLiteral("Save Report as Text File");
    request.directory = hooks.workbookFolder();
    request.filter = TextFilesFilter;
    // An existing file of the name is replaced without a question.
    request.confirmOverwrite = false;
    const std::optional<QString> chosen = files.choose(request);
    if (!chosen || chosen->trimmed().isEmpty())
        return false;
    const QString path = withExtension(*chosen, QStringLiteral("txt"));
    if (refuseProtected(path))
        return false;
    bool written = false;
    {
        Busy busy(hooks);
        written = writeTextFile(path, reportText);
    }
    if (written)
        messages_.notify(textSavedNotice(path));
    return written;
}

bool clsExport::writeTextFile(const QString& path, const QString& reportText) {
    QString error;
    // The work's own copy of the text: the page may change its own meanwhile.
    const QString text = reportText;
    try {
        runner().run(QStringLiteral("Saving the report"), [&](common::Progress& progress) {
            const QByteArray bytes = (text + QStringLiteral("\r\n")).toUtf8();
            progress.stage(QStringLiteral("Writing the text file"), bytes.size());
            // Taken away unless committed: a cancelled or failed write leaves
            // an existing file as it was.
            QSaveFile file(path);
            if (!file.open(QIODevice::WriteOnly)) {
                error = file.errorString();
                return;
            }
            for (qint64 at = 0; at < bytes.size(); at += TextPieceBytes) {
                const qint64 size = std::min<qint64>(TextPieceBytes, bytes.size() - at);
                if (file.write(bytes.constData() + at, size) != size) {
                    error = file.errorString();
                    return;
                }
                progress.report(at + size);
            }
            if (!file.commit())
                error = file.errorString();
            else
                progress.finish();
        });
    } catch (const common::Cancelled&) {
        return false;
    }
    if (error.isNull())
        return true;
    messages_.fail(QStringLiteral("The report could not be saved as \"%1\":\r%2")
                       .arg(QDir::toNativeSeparators(path), error));
    return false;
}

common::WorkRunner& clsExport::runner() {
    if (runner_)
        return *runner_;
    if (!ownRunner_)
        ownRunner_ = std::make_unique<common::ThreadRunner>();
    return *ownRunner_;
}

QStringList clsExport::protectedFiles() const {
    return common::protectedFiles(common::databaseFile(db_));
}

bool clsExport::isProtectedTarget(const QString& path) const {
    return common::isProtectedTarget(path, common::databaseFile(db_), common::Written::Report);
}

bool clsExport::refuseProtected(const QString& path) {
    if (!isProtectedTarget(path))
        return false;
    messages_.refuse(common::protectedTargetRefusal(path));
    return true;
}

QString clsExport::UniqueWorkbookPath(const QString& folder, const QString& reportName,
                                      const QDate& day) {
    const QDir dir(folder);
    const QString stem = reportName.trimmed() + QLatin1Char(' ') + day.toString(Qt::ISODate);
    QString path = dir.filePath(stem + QStringLiteral(".xlsx"));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = dir.filePath(QStringLiteral("%1 (%2).xlsx").arg(stem).arg(n));
    return path;
}

qint64 clsExport::CountExportRows(const ReportDef& report) {
    const reports::clsReports::ComposedQuery q = composeQuery(report, RecordedOrder);
    store::Query count = openExportQuery(
        db_, q, QStringLiteral("SELECT COUNT(*) AS Found FROM (%1) AS Report").arg(q.sql));
    return count.next() ? count.integer(QStringLiteral("Found")) : 0;
}

void clsExport::WriteSheetHeadings(const ReportDef& report, SheetWriter& sheet) const {
    const int columns = static_cast<int>(report.columns.size());
    if (report.costEnd > 0) {
        sheet.setColumns(0, columns - 1, HeadingColumnWidth, CellStyle::Plain);
        sheet.setColumns(columns, columns, HeadingColumnWidth, CellStyle::Money);
    } else {
        sheet.setColumns(0, columns - 1, HeadingColumnWidth, CellStyle::Plain);
    }
    for (int c = 0; c < columns; ++c)
        sheet.writeText(0, c, report.columns[static_cast<size_t>(c)].caption, CellStyle::Heading);
    if (report.costEnd > 0)
        sheet.writeText(0, columns, QStringLiteral("Cost"), CellStyle::Heading);
}

qint64 clsExport::WriteSheetRows(const ReportDef& report, SheetWriter& sheet, int order) {
    const reports::clsReports::ComposedQuery q = composeQuery(report, order);
    store::Query rows = openExportQuery(db_, q, q.sql);
    const RowCells cells(report, clock_.today());
    std::vector<Cell> row;
    qint64 written = 0;
    while (written < dataRowLimit_ && rows.next()) {
        row.clear();
        cells.read(rows, row);
        cells.write(sheet, FirstDataRow + static_cast<int>(written), row);
        ++written;
    }
    return written;
}

void clsExport::refuseTooLong(const ReportDef& report) {
    messages_.refuse(QStringLiteral("The report \"%1\" has %L2 rows; a worksheet holds at most "
                                    "%L3 below its headings. Nothing has been exported.")
                         .arg(report.name)
                         .arg(CountExportRows(report))
                         .arg(dataRowLimit_));
}

bool clsExport::writeSheetFile(const ReportDef& report, int order, qint64 limit,
                               const QString& path, const QString& what, SheetFile& file) {
    const reports::clsReports::ComposedQuery q = composeQuery(report, order);
    const RowCells cells(report, clock_.today());
    std::optional<store::Query> rows;
    qint64 read = 0;
    QString failure;

    // The rows are read here, where the connection lives, a slice at a
    // time between the window's events; the work formats, compresses and
    // writes them meanwhile.
    common::Handoff<RowSlice> handoff(SlicesAhead);
    const common::Feeder feeder = [&](common::Progress&) {
        if (!handoff.wantsMore())
            return common::Fed::Wait;
        if (!rows)
            rows.emplace(openExportQuery(db_, q, q.sql));
        RowSlice slice;
        slice.cells.reserve(static_cast<size_t>(SliceRows * cells.width()));
        QElapsedTimer slicing;
        slicing.start();
        bool more = true;
        while (slice.rows < SliceRows && (more = rows->next())) {
            if (read == limit)
                throw TooManyRows{};
            cells.read(*rows, slice.cells);
            ++slice.rows;
            ++read;
            if ((slice.rows & 63) == 0 && slicing.elapsed() >= SliceMs)
                break;
        }
        if (slice.rows > 0)
            handoff.put(std::move(slice));
        if (more)
            return common::Fed::More;
        handoff.close();
        return common::Fed::Done;
    };
    const common::Work work = [&](common::Progress& progress) {
        try {
            SheetWriter& sheet = file.open(report.name);
            WriteSheetHeadings(report, sheet);
            progress.stage(QStringLiteral("Writing the rows"));
            qint64 written = 0;
            while (std::optional<RowSlice> slice = handoff.take(progress)) {
                cells.write(sheet, FirstDataRow + static_cast<int>(written), slice->cells);
                written += slice->rows;
                progress.report(written);
            }
            progress.stage(QStringLiteral("Finishing the file"));
            file.close();
            progress.finish();
        } catch (const WriteFailure& failed) {
            failure = failed.why;
        }
    };

    try {
        runner().run(QStringLiteral("Exporting \"%1\"").arg(report.name), work, feeder);
    } catch (const common::Cancelled&) {
        return false;
    } catch (const TooManyRows&) {
        refuseTooLong(report);
        return false;
    }
    if (!failure.isNull()) {
        messages_.fail(what.arg(QDir::toNativeSeparators(path), failure));
        return false;
    }
    if (read == 0)
        messages_.refuse(exportEmptyMessage(report));
    return true;
}

std::optional<QString> clsExport::ExportToWorkbook(const QString& reportName,
                                                   const QString& folder) {
    const ReportDef* report = reports::findReport(reportName);
    if (!report)
        return std::nullopt;

    // The name is taken by making the file, so no other export can take it.
    const QString where = QDir(folder).exists() ? folder : QDir::tempPath();
    QString path;
    QFile reserved;
    for (int attempt = 0; attempt < 100 && path.isEmpty(); ++attempt) {
        const QString candidate = UniqueWorkbookPath(where, report->name, clock_.today());
        reserved.setFileName(candidate);
        if (reserved.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            reserved.close();
            path = candidate;
        } else if (!QFileInfo::exists(candidate)) {
            break;
        }
    }
    if (path.isEmpty()) {
        messages_.fail(QStringLiteral("The workbook could not be saved in \"%1\":\r%2")
                           .arg(QDir::toNativeSeparators(where), reserved.errorString()));
        return std::nullopt;
    }

    // Whatever ends the export early takes the unfinished file away.
    struct Unfinished {
        QString path;
        bool done = false;
        ~Unfinished() {
            if (!done)
                QFile::remove(path);
        }
    } unfinished{path};

    if (!writeWorkbook(*report, RecordedOrder, path))
        return std::nullopt;
    unfinished.done = true;
    return path;
}

bool clsExport::SaveWorkbook(const ReportDef& report, int order, const QString& path) {
    if (refuseProtected(path))
        return false;
    return writeWorkbook(report, order, path);
}

bool clsExport::writeWorkbook(const ReportDef& report, int order, const QString& path) {
    WorkbookFile file(path);
    return writeSheetFile(report, order, dataRowLimit_, path,
                          QStringLiteral("The workbook could not be saved as \"%1\":\r%2"), file);
}

bool clsExport::SaveCsv(const ReportDef& report, int order, const QString& path) {
    if (refuseProtected(path))
        return false;
    CsvFile file(path);
    return writeSheetFile(report, order, std::numeric_limits<qint64>::max(), path,
                          QStringLiteral("The report could not be saved as \"%1\":\r%2"), file);
}

} // namespace exports
