#pragma once

// The fixed reports (the eight of the register and "Licences expiring
// soon"): their names in list order, the order buttons
// each offers, the columns each writes and the message each shows when it
// finds nothing. The queries themselves are composed by clsReports.

#include <QString>
#include <QStringList>

#include <vector>

namespace reports {

inline const QString SelectAReport = QStringLiteral("(Select a Report)");
inline const QString ExpiringSoonReport = QStringLiteral("Licences expiring soon");

// The order buttons btnOrderBy 0 to 9, by index.
enum OrderIndex {
    OrderCategory = 0,
    OrderProdCode = 1,
    OrderProdDesc = 2,
    OrderLicenceKey = 3,
    OrderSupplier = 4,
    OrderLocation = 5,
    OrderExpiryDate = 6,
    OrderCost = 7,
    OrderStockCode = 8,
    OrderLicenceType = 9,
    OrderButtonCount = 10
};

// The caption of order button index ("Category", "Prod Code", ...); empty
// outside 0 to 9.
QString orderCaption(int index);

// How a column turns a stored value into its characters.
enum class ColumnKind {
    Text,     // trimmed, cut to width - 1, blanks up to the width
    Type,     // "Normal" for 'N', otherwise "Temp"
    Expiry,   // "dd/mm/yy", or blanks for no date
    DaysLeft, // the days from the report date to the stored date, or blanks
};

struct ReportColumn {
    QString caption; // heading caption
    QString column;  // the stored column it shows, read by name
    ColumnKind kind;
    int width;
};

// Which rows a report lists.
enum class ReportQuery {
    LicenceDetails,
    StockDetails,
    ProductLicences,
    ProductStock,
    ExpiryAudit,
    TemporaryAudit,
    RemovedLicences,
    RemovedStock,
    ExpiringSoon, // expiry from today to the end of the warning period
};

struct ReportDef {
    QString name;
    ReportQuery query;
    // The order buttons after 0, 1 and 2, in the order they are laid out.
    std::vector<int> furtherOrders;
    QString emptyMessage;
    // The columns before the cost, left to right.
    std::vector<ReportColumn> columns;
    // The character in which the cost figure ends; 0 for a report without
    // a cost.
    int costEnd = 0;
    // The order a report is shown in when it is chosen.
    int firstOrder = OrderCategory;
};

// The reports in the order of cboReports (report k is entry k).
const std::vector<ReportDef>& reportCatalogue();

// The report of that name (as listed, after trimming), or null.
const ReportDef* findReport(const QString& name);

// The order buttons a report offers, in layout order: 0, 1, 2 and its
// further ones. Buttons 0 to 2 alone for a name not in the catalogue.
std::vector<int> offeredOrders(const QString& name);

} // namespace reports
