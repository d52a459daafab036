#include "export/clsExport.h"

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
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <limits>
#include <variant>

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
    int position = 0;
    for (const auto& value : q.values)
        std::visit([&](const auto& v) { rows.bind(++position, v); }, value);
    return rows;
}

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
    const QByteArray bytes = (reportText + QStringLiteral("\r\n")).toUtf8();
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    messages_.fail(QStringLiteral("The report could not be saved as \"%1\":\r%2")
                       .arg(QDir::toNativeSeparators(path), file.errorString()));
    return false;
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
    return writeRows(report, sheet, order, dataRowLimit_);
}

qint64 clsExport::writeRows(const ReportDef& report, SheetWriter& sheet, int order, qint64 limit) {
    const reports::clsReports::ComposedQuery q = composeQuery(report, order);
    store::Query rows = openExportQuery(db_, q, q.sql);
    const QString cost = QStringLiteral("Cost");
    const int columns = static_cast<int>(report.columns.size());
    const QDate today = clock_.today();
    qint64 written = 0;
    int row = FirstDataRow;
    while (written < limit && rows.next()) {
        for (int c = 0; c < columns; ++c) {
            const ReportColumn& column = report.columns[static_cast<size_t>(c)];
            switch (column.kind) {
            case ColumnKind::Text:
                sheet.writeText(row, c, rows.text(column.column), CellStyle::Plain);
                break;
            case ColumnKind::Type:
                sheet.writeText(row, c,
                                rows.text(column.column) == store::LicenceNormal
                                    ? QStringLiteral("NORMAL")
                                    : QStringLiteral("TEMPORARY"),
                                CellStyle::Plain);
                break;
            case ColumnKind::Expiry:
                // No date: the cell stays empty.
                if (const std::optional<QDate> date =
                        reports::storedDate(rows.rawText(column.column)))
                    sheet.writeDate(row, c, *date, CellStyle::Date);
                break;
            case ColumnKind::DaysLeft:
                if (const std::optional<QDate> date =
                        reports::storedDate(rows.rawText(column.column)))
                    sheet.writeNumber(row, c, static_cast<double>(today.daysTo(*date)),
                                      CellStyle::Plain);
                break;
            }
        }
        if (report.costEnd > 0) {
            if (rows.isNull(cost))
                sheet.writeText(row, columns, QString(), CellStyle::Money);
            else
                sheet.writeNumber(row, columns,
                                  static_cast<double>(rows.money(cost).cents()) / 100.0,
                                  CellStyle::Money);
        }
        ++row;
        ++written;
    }
    return written;
}

std::optional<QString> clsExport::ExportToWorkbook(const QString& reportName,
                                                   const QString& folder) {
    const ReportDef* report = reports::findReport(reportName);
    if (!report)
        return std::nullopt;
    // Counted first, so a report too long for one sheet writes nothing.
    const qint64 found = CountExportRows(*report);
    if (found > dataRowLimit_) {
        messages_.refuse(QStringLiteral("The report \"%1\" has %L2 rows; a worksheet holds at most "
                                        "%L3 below its headings. Nothing has been exported.")
                             .arg(report->name)
                             .arg(found)
                             .arg(dataRowLimit_));
        return std::nullopt;
    }

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

    if (!writeWorkbook(*report, RecordedOrder, found, path))
        return std::nullopt;
    unfinished.done = true;
    return path;
}

bool clsExport::SaveWorkbook(const ReportDef& report, int order, const QString& path) {
    if (refuseProtected(path))
        return false;
    const qint64 found = CountExportRows(report);
    if (found > dataRowLimit_) {
        messages_.refuse(QStringLiteral("The report \"%1\" has %L2 rows; a worksheet holds at most "
                                        "%L3 below its headings. Nothing has been exported.")
                             .arg(report.name)
                             .arg(found)
                             .arg(dataRowLimit_));
        return false;
    }
    return writeWorkbook(report, order, found, path);
}

bool clsExport::writeWorkbook(const ReportDef& report, int order, qint64 found,
                              const QString& path) {
    common::ReplacementFile file(path);
    const auto failed = [&](const QString& why) {
        messages_.fail(QStringLiteral("The workbook could not be saved as \"%1\":\r%2")
                           .arg(QDir::toNativeSeparators(path), why));
        return false;
    };
    if (!file.create())
        return failed(file.errorString());
    XlsxWorkbook book(file.temporaryPath());
    SheetWriter& sheet = book.addSheet(report.name);
    WriteSheetHeadings(report, sheet);
    if (found == 0)
        messages_.refuse(exportEmptyMessage(report));
    else
        writeRows(report, sheet, order, dataRowLimit_);
    if (const std::optional<QString> error = book.close())
        return failed(*error);
    if (!file.commit())
        return failed(file.errorString());
    return true;
}

bool clsExport::SaveCsv(const ReportDef& report, int order, const QString& path) {
    if (refuseProtected(path))
        return false;
    common::ReplacementFile file(path);
    const auto failed = [&](const QString& why) {
        messages_.fail(QStringLiteral("The report could not be saved as \"%1\":\r%2")
                           .arg(QDir::toNativeSeparators(path), why));
        return false;
    };
    if (!file.create())
        return failed(file.errorString());
    QFile out(file.temporaryPath());
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return failed(out.errorString());
    CsvSheet sheet(out);
    WriteSheetHeadings(report, sheet);
    if (CountExportRows(report) == 0)
        messages_.refuse(exportEmptyMessage(report));
    else
        writeRows(report, sheet, order, std::numeric_limits<qint64>::max());
    if (!sheet.finish() || !out.flush()) {
        const QString why = out.errorString();
        return failed(why.isEmpty() ? QStringLiteral("The file could not be written") : why);
    }
    out.close();
    if (out.error() != QFileDevice::NoError)
        return failed(out.errorString());
    if (!file.commit())
        return failed(file.errorString());
    return true;
}

} // namespace exports
