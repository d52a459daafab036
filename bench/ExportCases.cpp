#include "Cases.h"
#include "Context.h"

#include "common/Session.h"
#include "export/clsExport.h"
#include "reports/ReportCatalogue.h"
#include "reports/clsReports.h"
#include "store/Database.h"
#include "store/StoreConstants.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <memory>
#include <stdexcept>

#include <sqlite3.h>

namespace bench {

namespace {

// Every row of every table of the register stepped through, every column
// read: what a full read of the file costs at its page size.
int readEveryRow(store::Database& db) {
    QStringList tables;
    {
        store::Query names(db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' "
                                              "AND name NOT LIKE 'sqlite_%' ORDER BY name"));
        while (names.next())
            tables << names.rawTextAt(0);
    }
    int rows = 0;
    for (const QString& table : tables) {
        // Table names read from the file's own catalogue.
        const QByteArray sql = QStringLiteral("SELECT * FROM \"%1\"").arg(table).toUtf8();
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db.handle(), sql.constData(), -1, &stmt, nullptr) != SQLITE_OK)
            db.fail();
        const int columns = sqlite3_column_count(stmt);
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            for (int c = 0; c < columns; ++c)
                sqlite3_column_text(stmt, c);
            ++rows;
        }
        sqlite3_finalize(stmt);
    }
    return rows;
}

} // namespace

// The Export button's workbook of the longest report, in the order the
// rows were recorded, written through the session's runner (the progress
// dialog) as the page does; beside it the report's query stepped alone.
// Then a full read of the register at the page size new files get and at
// the old one (a copy rewritten with 1 KB pages), on the file only.
void addExportCases(Bench& bench, Context& context) {
    const QString report = QStringLiteral("Stock details");
    const QString target = QDir(context.directory()).filePath(QStringLiteral("export.xlsx"));
    Case workbook;
    workbook.name = QStringLiteral("export: workbook of %1 (recorded order)").arg(report);
    workbook.run = [&context, report, target] {
        const reports::ReportDef* def = reports::findReport(report);
        auto& exporter = context.session().logic<exports::clsExport>();
        exporter.setWorkRunner(&context.session().work());
        if (!exporter.SaveWorkbook(*def, exports::RecordedOrder, target))
            throw std::runtime_error("the workbook was not written");
    };
    workbook.after = [target] {
        QFile::remove(target);
    };
    workbook.rows = [&context, report] {
        return static_cast<int>(context.session().logic<exports::clsExport>().CountExportRows(
            *reports::findReport(report)));
    };
    workbook.connection = &context.db();
    workbook.statements = [&context, report] {
        const reports::ReportDef* def = reports::findReport(report);
        const auto query = context.session().logic<reports::clsReports>().ComposeQuery(
            *def, exports::RecordedOrder);
        return Statements{rawStatement(query.sql, query.values)};
    };
    bench.add(workbook);

    if (!context.server().isEmpty())
        return;
    for (const int pageSize : {store::PageSize, store::OldPageSize}) {
        auto reader = std::make_shared<std::unique_ptr<store::Database>>();
        const QString copy =
            QDir(context.directory()).filePath(QStringLiteral("pages-%1.mdb").arg(pageSize));
        Case read;
        read.name = QStringLiteral("full read of every row, %1 KB pages").arg(pageSize / 1024);
        read.before = [&context, reader, copy, pageSize] {
            if (!QFileInfo::exists(copy)) {
                // The engine writes into an empty file; it makes none.
                QFile empty(copy);
                if (!empty.open(QIODevice::WriteOnly))
                    throw std::runtime_error("the copy could not be made");
                empty.close();
                context.db().exportTo(copy, pageSize);
            }
            *reader = store::Database::open(copy, store::DatabaseKey);
            if ((*reader)->pageSize() != pageSize)
                throw std::runtime_error("the copy has another page size");
        };
        read.run = [reader] {
            readEveryRow(**reader);
        };
        read.rows = [reader] {
            return readEveryRow(**reader);
        };
        read.after = [reader] {
            reader->reset();
        };
        bench.add(read);
    }
}

} // namespace bench
