#include "reports/clsReports.h"

#include "common/Clock.h"
#include "common/LicenceSettings.h"
#include "common/Messages.h"
#include "reports/ReportLayout.h"
#include "store/Database.h"
#include "store/StoreConstants.h"

#include <algorithm>

namespace reports {

namespace {

// The tables a report's rows come from. Licence and stock reports differ in
// their asset table; the product reports show the product's supplier
// rather than the item's own.
QString licenceTables() {
    return QStringLiteral(" FROM Licences"
                          " INNER JOIN Products ON Licences.Prod_ID = Products.Prod_ID"
                          " INNER JOIN Categories ON Products.Prod_Cat_ID = Categories.Cat_ID"
                          " INNER JOIN Locations ON Licences.Loc_ID = Locations.Loc_ID"
                          " LEFT JOIN Suppliers ON Licences.Supp_ID = Suppliers.Supplier_ID");
}

QString stockTables() {
    return QStringLiteral(" FROM Stock"
                          " INNER JOIN Products ON Stock.Prod_ID = Products.Prod_ID"
                          " INNER JOIN Categories ON Products.Prod_Cat_ID = Categories.Cat_ID"
                          " INNER JOIN Locations ON Stock.Loc_ID = Locations.Loc_ID"
                          " LEFT JOIN Suppliers ON Stock.Supp_ID = Suppliers.Supplier_ID");
}

QString productTables(const QString& asset) {
    return QStringLiteral(" FROM %1"
                          " INNER JOIN Products ON %1.Prod_ID = Products.Prod_ID"
                          " INNER JOIN Categories ON Products.Prod_Cat_ID = Categories.Cat_ID"
                          " LEFT JOIN Suppliers ON Products.Supp_ID = Suppliers.Supplier_ID")
        .arg(asset);
}

bool isLicenceReport(ReportQuery query) {
    return query != ReportQuery::StockDetails && query != ReportQuery::ProductStock &&
           query != ReportQuery::RemovedStock;
}

// The sort expression of an order button for rows of the asset table.
// Texts sort case-blind; dates as stored ("yyyy-MM-dd" sorts as dates do).
QString orderExpression(int index, const QString& asset) {
    switch (index) {
    case OrderCategory:
        return QStringLiteral("Categories.Cat_Desc") + store::IgnoreCase;
    case OrderProdCode:
        return QStringLiteral("Products.Prod_Code") + store::IgnoreCase;
    case OrderProdDesc:
        return QStringLiteral("Products.Prod_Desc") + store::IgnoreCase;
    case OrderLicenceKey:
        return QStringLiteral("Licences.Licence_Name") + store::IgnoreCase;
    case OrderSupplier:
        return QStringLiteral("Suppliers.Supp_Name") + store::IgnoreCase;
    case OrderLocation:
        return QStringLiteral("Locations.Loc_Desc") + store::IgnoreCase;
    case OrderExpiryDate:
        return QStringLiteral("Licences.Exp_Date");
    case OrderCost:
        return asset + QStringLiteral(".Cost");
    case OrderStockCode:
        return QStringLiteral("Stock.Stock_Code") + store::IgnoreCase;
    case OrderLicenceType:
        return QStringLiteral("Licences.Type");
    default:
        return QString();
    }
}

} // namespace

clsReports::clsReports(store::Database& db, common::Messages& messages, common::Clock& clock)
    : db_(db), messages_(messages), clock_(clock), expiringSoonDays_(common::expiryWarningDays()) {}

QStringList clsReports::FillUpReportCombo() const {
    QStringList entries{SelectAReport};
    for (const ReportDef& report : reportCatalogue())
        entries << report.name;
    return entries;
}

std::vector<int> clsReports::SetUpFrame(const QString& reportName) const {
    return offeredOrders(reportName);
}

ReportRun clsReports::RunReport(const QString& reportName, int orderIndex) {
    ReportRun run;
    run.text = WriteReportHeading(reportName);
    const ReportDef* report = findReport(reportName);
    if (!report)
        return run;
    run.lines = RunReportQuery(reportName, orderIndex, run.text);
    run.outcome = run.lines > 0 ? ReportOutcome::Listed : ReportOutcome::Empty;
    return run;
}

clsReports::ComposedQuery clsReports::ComposeQuery(const ReportDef& report, int orderIndex) const {
    const bool licences = isLicenceReport(report.query);
    const QString asset = licences ? QStringLiteral("Licences") : QStringLiteral("Stock");
    const QString shared = QStringLiteral(
        "SELECT Categories.Cat_Desc, Products.Prod_Code, Products.Prod_Desc, Suppliers.Supp_Name");
    ComposedQuery out;
    QString& sql = out.sql;
    switch (report.query) {
    case ReportQuery::LicenceDetails:
    case ReportQuery::RemovedLicences:
        sql = shared +
              QStringLiteral(", Licences.Licence_Name, Licences.Cost, Locations.Loc_Desc, "
                             "Licences.Exp_Date") +
              licenceTables() +
              (report.query == ReportQuery::LicenceDetails
                   ? QStringLiteral(" WHERE Licences.Loc_ID <> ?")
                   : QStringLiteral(" WHERE Licences.Loc_ID = ?"));
        out.values = {store::loc::RemovedLicences};
        break;
    case ReportQuery::StockDetails:
    case ReportQuery::RemovedStock:
        sql =
            shared + QStringLiteral(", Stock.Stock_Code, Stock.Cost, Locations.Loc_Desc") +
            stockTables() +
            (report.query == ReportQuery::StockDetails ? QStringLiteral(" WHERE Stock.Loc_ID <> ?")
                                                       : QStringLiteral(" WHERE Stock.Loc_ID = ?"));
        out.values = {store::loc::RemovedStock};
        break;
    case ReportQuery::ProductLicences:
        sql = shared + QStringLiteral(", Licences.Licence_Name, Licences.Cost") +
              productTables(asset) + QStringLiteral(" WHERE Licences.Loc_ID <> ?");
        out.values = {store::loc::RemovedLicences};
        break;
    case ReportQuery::ProductStock:
        sql = shared + QStringLiteral(", Stock.Stock_Code, Stock.Cost") + productTables(asset) +
              QStringLiteral(" WHERE Stock.Loc_ID <> ?");
        out.values = {store::loc::RemovedStock};
        break;
    case ReportQuery::ExpiryAudit:
        // Expired: an expiry date before today. Stored dates are
        // "yyyy-MM-dd", so text order is date order and a licence that
        // expires today is not listed; no date is never expired.
        sql = shared +
              QStringLiteral(", Licences.Licence_Name, Locations.Loc_Desc, Licences.Type, "
                             "Licences.Exp_Date") +
              licenceTables() +
              QStringLiteral(" WHERE Licences.Exp_Date < ? AND Licences.Exp_Date <> ''"
                             " AND Licences.Loc_ID <> ?");
        out.values = {clock_.today().toString(store::StoredDate), store::loc::RemovedLicences};
        break;
    case ReportQuery::ExpiringSoon: {
        // From today to the end of the period, both included; removed
        // licences are no concern.
        const QDate today = clock_.today();
        sql = shared +
              QStringLiteral(", Licences.Licence_Name, Locations.Loc_Desc, Licences.Type, "
                             "Licences.Exp_Date") +
              licenceTables() +
              QStringLiteral(" WHERE Licences.Exp_Date >= ? AND Licences.Exp_Date <= ?"
                             " AND Licences.Loc_ID <> ?");
        out.values = {today.toString(store::StoredDate),
                      today.addDays(expiringSoonDays_).toString(store::StoredDate),
                      store::loc::RemovedLicences};
        break;
    }
    case ReportQuery::TemporaryAudit:
        sql = shared +
              QStringLiteral(", Licences.Licence_Name, Locations.Loc_Desc, Licences.Exp_Date") +
              licenceTables() + QStringLiteral(" WHERE Licences.Type = ? AND Licences.Loc_ID <> ?");
        out.values = {store::LicenceTemporary, store::loc::RemovedLicences};
        break;
    }
    // The chosen order, then the record's id, so that rows with equal sort
    // keys always come in the same order.
    const std::vector<int> offered = offeredOrders(report.name);
    QString order;
    if (std::find(offered.begin(), offered.end(), orderIndex) != offered.end())
        order = orderExpression(orderIndex, asset) + QStringLiteral(", ");
    // Licences expiring soon come by expiry date and product within it.
    if (report.query == ReportQuery::ExpiringSoon)
        order += orderExpression(OrderExpiryDate, asset) + QStringLiteral(", ") +
                 orderExpression(OrderProdDesc, asset) + QStringLiteral(", ");
    sql += QStringLiteral(" ORDER BY ") + order + asset +
           (licences ? QStringLiteral(".Licence_ID") : QStringLiteral(".Stock_ID"));
    return out;
}

int clsReports::RunReportQuery(const QString& reportName, int orderIndex, QString& text) {
    const ReportDef* report = findReport(reportName);
    if (!report)
        return 0;
    const ComposedQuery composed = ComposeQuery(*report, orderIndex);
    store::Query rows(db_, composed.sql);
    int position = 0;
    for (const auto& value : composed.values)
        std::visit([&](const auto& v) { rows.bind(++position, v); }, value);
    const int lines = WriteReportLines(*report, rows, text, clock_.today());
    if (lines == 0)
        messages_.refuse(report->emptyMessage);
    return lines;
}

QString clsReports::WriteReportHeading(const QString& reportName) const {
    const QString name = reportName.trimmed();
    QString text = name + LineEnd;
    text += QString(name.size(), QLatin1Char('-')) + QString(HeadingDateGap, QLatin1Char(' ')) +
            clock_.today().toString(store::ShownReportDate) + LineEnd;
    text += LineEnd;

    const auto caption = [&text](const QString& title, int width) {
        text += title;
        if (width > title.size())
            text += QString(width - title.size(), QLatin1Char(' '));
    };
    const ReportDef* report = findReport(name);
    if (report) {
        for (const ReportColumn& column : report->columns)
            caption(column.caption, column.width);
        if (report->costEnd > 0)
            text += QStringLiteral("      Cost");
    } else {
        caption(QStringLiteral("Category"), 20);
        caption(QStringLiteral("Product Code"), 20);
        caption(QStringLiteral("Product Desc"), 20);
    }
    text += LineEnd;
    text += QString(RuleLength, QLatin1Char('_')) + LineEnd;
    return text;
}

int clsReports::WriteReportLines(const ReportDef& report, store::Query& rows, QString& text,
                                 const QDate& today) {
    int lines = 0;
    // Each line is built in one buffer that keeps its room, then appended.
    QString line;
    line.reserve(200);
    while (rows.next()) {
        line.clear();
        for (const ReportColumn& column : report.columns) {
            switch (column.kind) {
            case ColumnKind::Text:
                appendText(line, rows.rawText(column.column), column.width);
                break;
            case ColumnKind::Type:
                appendType(line, rows.rawText(column.column), column.width);
                break;
            case ColumnKind::Expiry:
                appendExpiry(line, storedDate(rows.rawText(column.column)), column.width);
                break;
            case ColumnKind::DaysLeft:
                appendDaysLeft(line, storedDate(rows.rawText(column.column)), today, column.width);
                break;
            }
        }
        if (report.costEnd > 0) {
            const QString cost = QStringLiteral("Cost");
            appendCost(line,
                       rows.isNull(cost) ? std::nullopt
                                         : std::optional<store::Money>(rows.money(cost)),
                       report.costEnd);
        }
        if (text.capacity() - text.size() < line.size() + 2)
            text.reserve(std::max<qsizetype>(text.capacity() * 2, 4096));
        text += line;
        text += LineEnd;
        ++lines;
    }
    return lines;
}

} // namespace reports
