#include "reports/clsReports.h"

#include "common/Clock.h"
#include "common/LicenceSettings.h"
#include "common/Messages.h"
#include "reports/ReportLayout.h"
#include "store/Collation.h"
#include "store/Database.h"
#include "store/StoreConstants.h"

#include <QHash>

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

// The column, read by name, whose text puts the rows in the order of a
// button that sorts by a text; empty for the others (costs, dates, the
// licence type), which the engine orders as stored. Rows sorted by a text
// are read in record order and sorted here by the rank of their text,
// found once per distinct text from its sort key, rather than by the
// engine calling the collation for two rows' texts at every step of its
// sort; a code's unique index gives its order too, but reading the rows
// in that order costs a lookup in the table for each.
QString rankedColumn(int index) {
    switch (index) {
    case OrderCategory:
        return QStringLiteral("Cat_Desc");
    case OrderProdCode:
        return QStringLiteral("Prod_Code");
    case OrderProdDesc:
        return QStringLiteral("Prod_Desc");
    case OrderSupplier:
        return QStringLiteral("Supp_Name");
    case OrderLocation:
        return QStringLiteral("Loc_Desc");
    case OrderLicenceKey:
        return QStringLiteral("Licence_Name");
    case OrderStockCode:
        return QStringLiteral("Stock_Code");
    default:
        return QString();
    }
}

// The rank of each row's text in the register's text order (compareText):
// equal texts share a rank, a missing one (null) comes first, as in the
// engine's ascending order.
std::vector<int> textRanks(const std::vector<int>& rowText, const QStringList& texts) {
    std::vector<std::pair<store::SortKey, int>> keys;
    keys.reserve(static_cast<size_t>(texts.size()));
    for (int i = 0; i < texts.size(); ++i)
        keys.emplace_back(store::sortKey(texts.at(i)), i);
    std::sort(keys.begin(), keys.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<int> rankOf(static_cast<size_t>(texts.size()));
    int rank = 0;
    for (size_t i = 0; i < keys.size(); ++i) {
        if (i > 0 && keys[i - 1].first != keys[i].first)
            ++rank;
        rankOf[static_cast<size_t>(keys[i].second)] = rank + 1;
    }
    std::vector<int> out;
    out.reserve(rowText.size());
    for (int t : rowText)
        out.push_back(t < 0 ? 0 : rankOf[static_cast<size_t>(t)]);
    return out;
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
    return compose(report, orderIndex, false);
}

clsReports::ReadPlan clsReports::ReadQuery(const ReportDef& report, int orderIndex) const {
    const std::vector<int> offered = offeredOrders(report.name);
    ReadPlan plan;
    if (std::find(offered.begin(), offered.end(), orderIndex) != offered.end())
        plan.rankBy = rankedColumn(orderIndex);
    plan.query = compose(report, orderIndex, true);
    return plan;
}

clsReports::ComposedQuery clsReports::compose(const ReportDef& report, int orderIndex,
                                              bool ranked) const {
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
    // keys always come in the same order. A ranked order is left to the
    // caller, who sorts the rows read in the order of the rest.
    const std::vector<int> offered = offeredOrders(report.name);
    QString order;
    if (std::find(offered.begin(), offered.end(), orderIndex) != offered.end() &&
        !(ranked && !rankedColumn(orderIndex).isEmpty()))
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
    const ReadPlan plan = ReadQuery(*report, orderIndex);
    store::Query rows(db_, plan.query.sql);
    int position = 0;
    for (const auto& value : plan.query.values)
        std::visit([&](const auto& v) { rows.bind(++position, v); }, value);
    const int lines = WriteReportLines(*report, rows, text, clock_.today(), plan.rankBy);
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
                                 const QDate& today, const QString& rankBy) {
    int lines = 0;
    // Ranked, the lines are written to a buffer of their own, each row's
    // text numbered as it is first met, and moved to text in order at the
    // end; otherwise each goes straight to text.
    const bool ranked = !rankBy.isEmpty();
    QString buffer;
    std::vector<qsizetype> starts;
    std::vector<int> rowText;
    QHash<QString, int> textIndex;
    QStringList texts;
    QString& out = ranked ? buffer : text;
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
        if (ranked) {
            starts.push_back(out.size());
            if (rows.isNull(rankBy)) {
                rowText.push_back(-1);
            } else {
                const QString value = rows.rawText(rankBy);
                auto at = textIndex.constFind(value);
                if (at == textIndex.constEnd()) {
                    at = textIndex.insert(value, static_cast<int>(texts.size()));
                    texts << value;
                }
                rowText.push_back(*at);
            }
        }
        if (out.capacity() - out.size() < line.size() + 2)
            out.reserve(std::max<qsizetype>(out.capacity() * 2, 4096));
        out += line;
        out += LineEnd;
        ++lines;
    }
    if (!ranked)
        return lines;
    // Rows of equal rank keep the order they were read in.
    const std::vector<int> rank = textRanks(rowText, texts);
    std::vector<int> order(rank.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    std::stable_sort(order.begin(), order.end(), [&rank](int a, int b) {
        return rank[static_cast<size_t>(a)] < rank[static_cast<size_t>(b)];
    });
    starts.push_back(buffer.size());
    text.reserve(text.size() + buffer.size());
    for (int i : order) {
        const auto at = static_cast<size_t>(i);
        text += QStringView(buffer).mid(starts[at], starts[at + 1] - starts[at]);
    }
    return lines;
}

} // namespace reports
