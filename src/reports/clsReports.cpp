#include "reports/clsReports.h"

#include "common/Clock.h"
#include "common/LicenceSettings.h"
#include "common/Messages.h"
#include "reports/ReportLayout.h"
#include "store/Collation.h"
#include "store/Database.h"
#include "store/StoreConstants.h"

#include <QHash>
#include <QStringDecoder>

#include <algorithm>
#include <limits>

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
// button that sorts by another table's text; empty for the others, which
// the engine orders itself: costs, dates and the licence type as stored,
// a licence key or stock code by walking its unique case-blind index (the
// index is in the collation's order already, so the engine neither sorts
// nor calls the collation; a sort key made here for each row's own text
// cost more than the lookup in the table the walk makes for each row).
// Rows sorted by another table's text are read in record order and sorted
// here by the rank of their text, found once per record from its sort
// key, rather than by the engine calling the collation for two rows' texts
// at every step of its sort.
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
    default:
        return QString();
    }
}

// The key of the record whose text rankedColumn names: rows of one record
// share its text, which is then read and ranked once per record rather
// than once per row.
QString rankedKey(int index) {
    switch (index) {
    case OrderCategory:
        return QStringLiteral("Categories.Cat_ID");
    case OrderProdCode:
    case OrderProdDesc:
        return QStringLiteral("Products.Prod_ID");
    case OrderSupplier:
        return QStringLiteral("Suppliers.Supplier_ID");
    case OrderLocation:
        return QStringLiteral("Locations.Loc_ID");
    default:
        return QString();
    }
}

const QString RankKey = QStringLiteral("Rank_Key");

// The table whose texts an order by another table's text ranks: its key
// and text columns.
struct RankSource {
    QString table;
    QString id;
    QString text;
};

std::optional<RankSource> rankSource(int index) {
    switch (index) {
    case OrderCategory:
        return RankSource{QStringLiteral("Categories"), QStringLiteral("Cat_ID"),
                          QStringLiteral("Cat_Desc")};
    case OrderProdCode:
        return RankSource{QStringLiteral("Products"), QStringLiteral("Prod_ID"),
                          QStringLiteral("Prod_Code")};
    case OrderProdDesc:
        return RankSource{QStringLiteral("Products"), QStringLiteral("Prod_ID"),
                          QStringLiteral("Prod_Desc")};
    case OrderSupplier:
        return RankSource{QStringLiteral("Suppliers"), QStringLiteral("Supplier_ID"),
                          QStringLiteral("Supp_Name")};
    case OrderLocation:
        return RankSource{QStringLiteral("Locations"), QStringLiteral("Loc_ID"),
                          QStringLiteral("Loc_Desc")};
    default:
        return std::nullopt;
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
    const QString key = rankedKey(orderIndex);
    if (!plan.rankBy.isEmpty() && !key.isEmpty()) {
        plan.rankKey = RankKey;
        const QString select = QStringLiteral("SELECT ");
        plan.query.sql.insert(select.size(),
                              key + QStringLiteral(" AS ") + RankKey + QStringLiteral(", "));
    }
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
    const int lines = StartReportLines(*report, orderIndex)->finish(text);
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

namespace {

// A cell's UTF-8 bytes as text in a buffer that keeps its room from row to
// row, so that reading a cell makes no string of its own.
QStringView readCell(QString& buffer, QStringDecoder& decoder, QByteArrayView utf8) {
    bool ascii = true;
    for (const char c : utf8)
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    buffer.resize(utf8.size());
    QChar* out = buffer.data();
    if (ascii) {
        for (const char c : utf8)
            *out++ = QLatin1Char(c);
    } else {
        out = decoder.appendToBuffer(out, utf8);
        buffer.truncate(out - buffer.constData());
    }
    return buffer;
}

} // namespace

ReportLines::ReportLines(const ReportDef& report, store::Query& rows, const QDate& today,
                         const QString& rankBy, const QString& rankKey)
    : report_(report), rows_(&rows), today_(today), rankBy_(rankBy), rankKey_(rankKey),
      decoder_(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless) {
    line_.reserve(200);
}

ReportLines::ReportLines(const ReportDef& report, store::Query&& rows, const QDate& today,
                         const QString& rankBy, const QString& rankKey)
    : ReportLines(report, rows, today, rankBy, rankKey) {
    owned_.emplace(std::move(rows));
    rows_ = &*owned_;
}

ReportLines::~ReportLines() = default;

bool ReportLines::read(int maxRows) {
    const bool ranked = !rankBy_.isEmpty();
    const bool keyed = ranked && !rankKey_.isEmpty();
    store::Query& rows = *rows_;
    for (int n = 0; n < maxRows; ++n) {
        if (done_ || !rows.next()) {
            done_ = true;
            return false;
        }
        // The columns' positions, found on the first row (the server names
        // its columns only once it has answered).
        if (at_.empty()) {
            for (const ReportColumn& column : report_.columns)
                at_.push_back(rows.columnPosition(column.column));
            if (report_.costEnd > 0)
                costAt_ = rows.columnPosition(QStringLiteral("Cost"));
            if (ranked)
                rankAt_ = rows.columnPosition(rankBy_);
            if (keyed)
                keyAt_ = rows.columnPosition(rankKey_);
        }
        line_.clear();
        for (size_t c = 0; c < report_.columns.size(); ++c) {
            const ReportColumn& column = report_.columns[c];
            const QStringView value = readCell(cell_, decoder_, rows.utf8At(at_[c]));
            switch (column.kind) {
            case ColumnKind::Text:
                appendText(line_, value, column.width);
                break;
            case ColumnKind::Type:
                appendType(line_, value, column.width);
                break;
            case ColumnKind::Expiry:
                appendExpiry(line_, storedDate(value), column.width);
                break;
            case ColumnKind::DaysLeft:
                appendDaysLeft(line_, storedDate(value), today_, column.width);
                break;
            }
        }
        if (costAt_ >= 0)
            appendCost(line_,
                       rows.isNullAt(costAt_) ? std::nullopt
                                              : std::optional<store::Money>(store::Money::fromCents(
                                                    rows.integerAt(costAt_))),
                       report_.costEnd);
        if (ranked) {
            starts_.push_back(out_.size());
            if (rows.isNullAt(rankAt_) || (keyed && rows.isNullAt(keyAt_))) {
                rowText_.push_back(-1);
            } else if (keyed) {
                // Rows of one record share its text: read once per record.
                const std::int64_t key = rows.integerAt(keyAt_);
                auto found = textOfKey_.constFind(key);
                if (found == textOfKey_.constEnd()) {
                    found = textOfKey_.insert(key, static_cast<int>(texts_.size()));
                    texts_ << readCell(cell_, decoder_, rows.utf8At(rankAt_)).toString();
                }
                rowText_.push_back(*found);
            } else {
                rowText_.push_back(static_cast<int>(texts_.size()));
                texts_ << readCell(cell_, decoder_, rows.utf8At(rankAt_)).toString();
            }
        }
        if (out_.capacity() - out_.size() < line_.size() + 2)
            out_.reserve(std::max<qsizetype>(out_.capacity() * 2, 4096));
        out_ += line_;
        out_ += LineEnd;
        ++lines_;
    }
    return true;
}

int ReportLines::finish(QString& text) {
    while (read(std::numeric_limits<int>::max())) {
    }
    if (rankBy_.isEmpty()) {
        text += out_;
        out_.clear();
        return lines_;
    }
    // Rows of equal rank keep the order they were read in: each row goes to
    // the next place of its rank's run.
    const std::vector<int> rank = textRanks(rowText_, texts_);
    std::vector<int> place(static_cast<size_t>(texts_.size()) + 2, 0);
    for (int r : rank)
        ++place[static_cast<size_t>(r) + 1];
    for (size_t r = 1; r < place.size(); ++r)
        place[r] += place[r - 1];
    std::vector<int> order(rank.size());
    for (size_t i = 0; i < rank.size(); ++i)
        order[static_cast<size_t>(place[static_cast<size_t>(rank[i])]++)] = static_cast<int>(i);
    starts_.push_back(out_.size());
    text.reserve(text.size() + out_.size());
    for (int i : order) {
        const auto row = static_cast<size_t>(i);
        text += QStringView(out_).mid(starts_[row], starts_[row + 1] - starts_[row]);
    }
    out_.clear();
    return lines_;
}

int clsReports::WriteReportLines(const ReportDef& report, store::Query& rows, QString& text,
                                 const QDate& today, const QString& rankBy,
                                 const QString& rankKey) {
    ReportLines lines(report, rows, today, rankBy, rankKey);
    return lines.finish(text);
}

std::unique_ptr<ReportLines> clsReports::StartReportLines(const ReportDef& report, int orderIndex) {
    const ReadPlan plan = ReadQuery(report, orderIndex);
    store::Query rows(db_, plan.query.sql);
    store::bindValues(rows, 1, plan.query.values);
    return std::make_unique<ReportLines>(report, std::move(rows), clock_.today(), plan.rankBy,
                                         plan.rankKey);
}

int clsReports::WriteFirstLines(const ReportDef& report, int orderIndex, int count, QString& text) {
    if (count <= 0)
        return 0;
    const QDate today = clock_.today();
    const ReadPlan plan = ReadQuery(report, orderIndex);
    const auto limited = [&](ComposedQuery query, const QString& condition,
                             const std::vector<std::int64_t>& keys, int rows) {
        if (!condition.isEmpty())
            query.sql.insert(query.sql.lastIndexOf(QStringLiteral(" ORDER BY ")), condition);
        query.sql += QStringLiteral(" LIMIT ?");
        store::Query q(db_, query.sql);
        int position = store::bindValues(q, 1, query.values);
        for (const std::int64_t key : keys)
            q.bind(position++, key);
        q.bind(position, rows);
        ReportLines lines(report, q, today);
        return lines.finish(text);
    };
    const std::optional<RankSource> source = rankSource(orderIndex);
    if (plan.rankKey.isEmpty() || !source)
        // The engine's own order with every term, walked from its start.
        return limited(ComposeQuery(report, orderIndex), QString(), {}, count);

    // Ranked by another table's text: that table's texts are ranked here,
    // few as they are beside the rows, and the rows of its records read
    // rank by rank, each rank's in the order of the rest of the query,
    // until there are enough.
    const ComposedQuery rest = compose(report, orderIndex, true);
    const QString asset =
        isLicenceReport(report.query) ? QStringLiteral("Licences") : QStringLiteral("Stock");
    const bool products =
        report.query == ReportQuery::ProductLicences || report.query == ReportQuery::ProductStock;
    const QString supplierOwner = products ? QStringLiteral("Products") : asset;
    int written = 0;
    if (orderIndex == OrderSupplier)
        // A missing supplier ranks first. The references are kept by the
        // engine, so a row without a supplier is one whose own column is
        // null, which the column's index finds in record order.
        written +=
            limited(rest, QStringLiteral(" AND %1.Supp_ID IS NULL").arg(supplierOwner), {}, count);
    // Only the records that some asset of the report's kind names, each
    // found by an index: the others would each cost a query finding nothing.
    QString used;
    switch (orderIndex) {
    case OrderCategory:
        used = QStringLiteral("EXISTS (SELECT 1 FROM Products INNER JOIN %1 ON %1.Prod_ID = "
                              "Products.Prod_ID WHERE Products.Prod_Cat_ID = Categories.Cat_ID)")
                   .arg(asset);
        break;
    case OrderProdCode:
    case OrderProdDesc:
        used = QStringLiteral("EXISTS (SELECT 1 FROM %1 WHERE %1.Prod_ID = Products.Prod_ID)")
                   .arg(asset);
        break;
    case OrderSupplier:
        used = QStringLiteral("EXISTS (SELECT 1 FROM %1 WHERE %1.Supp_ID = "
                              "Suppliers.Supplier_ID)")
                   .arg(supplierOwner);
        break;
    case OrderLocation:
        used = QStringLiteral("EXISTS (SELECT 1 FROM %1 WHERE %1.Loc_ID = Locations.Loc_ID)")
                   .arg(asset);
        break;
    default:
        break;
    }
    struct Record {
        store::SortKey key;
        std::int64_t id;
    };
    std::vector<Record> records;
    {
        store::Query q(db_, QStringLiteral("SELECT %1, %2 FROM %3 WHERE %4")
                                .arg(source->id, source->text, source->table, used));
        while (q.next())
            records.push_back({store::sortKey(q.rawTextAt(1)), q.integerAt(0)});
    }
    std::stable_sort(records.begin(), records.end(),
                     [](const Record& a, const Record& b) { return a.key < b.key; });
    const QString key = rankedKey(orderIndex);
    for (size_t first = 0; first < records.size() && written < count;) {
        size_t end = first + 1;
        while (end < records.size() && records[end].key == records[first].key)
            ++end;
        std::vector<std::int64_t> ids;
        QStringList marks;
        for (size_t i = first; i < end; ++i) {
            ids.push_back(records[i].id);
            marks << QStringLiteral("?");
        }
        written += limited(rest, QStringLiteral(" AND %1 IN (%2)").arg(key, marks.join(u',')), ids,
                           count - written);
        first = end;
    }
    return written;
}

} // namespace reports
