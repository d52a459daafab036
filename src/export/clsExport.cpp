#include "export/clsExport.h"

#include "common/Clock.h"
#include "common/FileChooser.h"
#include "common/Messages.h"
#include "export/ExportHooks.h"
#include "export/Workbook.h"
#include "export/XlsxWorkbook.h"
#include "reports/ReportLayout.h"
#include "reports/clsReports.h"
#include "store/Database.h"
#include "store/StoreConstants.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <sqlite3.h>

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

// A path as the file system finally names it, for files that exist and for
// files not made yet (their folder resolved, links followed).
QString comparablePath(const QString& path) {
    const QFileInfo info(path);
    if (info.exists())
        return info.canonicalFilePath();
    const QString folder = info.absoluteDir().canonicalPath();
    return folder.isEmpty() ? info.absoluteFilePath() : folder + QLatin1Char('/') + info.fileName();
}

// The report's query in the order the rows were recorded, ready to step.
store::Query openExportQuery(store::Database& db, const reports::clsReports::ComposedQuery& q,
                             const QString& sql) {
    store::Query rows(db, sql);
    int position = 0;
    for (const auto& value : q.values)
        std::visit([&](const auto& v) { rows.bind(++position, v); }, value);
    return rows;
}

// No order button: clsReports then lists the rows by their record ids.
constexpr int RecordedOrder = -1;

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
    }
    return QString();
}

clsExport::clsExport(store::Database& db, common::Messages& messages, common::Clock& clock)
    : db_(db), messages_(messages), clock_(clock) {}

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
    if (!reports::findReport(reportName))
        return;
    std::optional<QString> path;
    {
        Busy busy(hooks);
        path = ExportToWorkbook(reportName, hooks.workbookFolder());
    }
    // The workbook stays saved when no program takes it: the message says
    // where it is.
    if (path && !hooks.openFile(*path))
        messages_.fail(ExcelProblem + QLatin1Char('\r') + QDir::toNativeSeparators(*path));
}

bool clsExport::ExportToTextFile(const QString& reportText, common::FileChooser& files,
                                 ExportHooks& hooks) {
    common::FileRequest request;
    request.purpose = common::FileRequest::Save;
    request.title = QStringLiteral("Save Report as Text File");
    request.filter = TextFilesFilter;
    // The name is taken as typed and an existing file is replaced.
    request.confirmOverwrite = false;
    const std::optional<QString> chosen = files.choose(request);
    if (!chosen || chosen->trimmed().isEmpty())
        return false;
    if (isProtectedTarget(*chosen)) {
        messages_.refuse(QStringLiteral("The report cannot be saved as \"%1\": that file belongs "
                                        "to the program or its database. Choose another file.")
                             .arg(QDir::toNativeSeparators(*chosen)));
        return false;
    }
    Busy busy(hooks);
    return writeTextFile(*chosen, reportText);
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
    QStringList files;
    const char* database = sqlite3_db_filename(db_.handle(), "main");
    if (database && *database) {
        const QString path = QString::fromUtf8(database);
        files << path << path + QStringLiteral("-journal") << path + QStringLiteral("-wal")
              << path + QStringLiteral("-shm");
    }
    if (QCoreApplication::instance()) {
        const QDir programDir(QCoreApplication::applicationDirPath());
        files << QCoreApplication::applicationFilePath()
              << programDir.filePath(store::DatabaseFileName)
              << programDir.filePath(QStringLiteral("AssetsHelp.chm"));
    }
    return files;
}

bool clsExport::isProtectedTarget(const QString& path) const {
    const QString target = comparablePath(path);
    for (const QString& own : protectedFiles())
        if (comparablePath(own) == target)
            return true;
    return false;
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
    const reports::clsReports::ComposedQuery q =
        reports::clsReports(db_, messages_, clock_).ComposeQuery(report, RecordedOrder);
    store::Query count =
        openExportQuery(db_, q, QStringLiteral("SELECT COUNT(*) AS Found FROM (%1)").arg(q.sql));
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

qint64 clsExport::WriteSheetRows(const ReportDef& report, SheetWriter& sheet) {
    const reports::clsReports::ComposedQuery q =
        reports::clsReports(db_, messages_, clock_).ComposeQuery(report, RecordedOrder);
    store::Query rows = openExportQuery(db_, q, q.sql);
    const QString cost = QStringLiteral("Cost");
    const int columns = static_cast<int>(report.columns.size());
    qint64 written = 0;
    int row = FirstDataRow;
    while (written < dataRowLimit_ && rows.next()) {
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

    XlsxWorkbook book(path);
    SheetWriter& sheet = book.addSheet(report->name);
    WriteSheetHeadings(*report, sheet);
    if (found == 0)
        messages_.refuse(exportEmptyMessage(*report));
    else
        WriteSheetRows(*report, sheet);
    if (const std::optional<QString> error = book.close()) {
        messages_.fail(QStringLiteral("The workbook could not be saved as \"%1\":\r%2")
                           .arg(QDir::toNativeSeparators(path), *error));
        return std::nullopt;
    }
    unfinished.done = true;
    return path;
}

} // namespace exports
