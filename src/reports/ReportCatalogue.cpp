#include "reports/ReportCatalogue.h"

namespace reports {

namespace {

ReportColumn text(const char* caption, const char* column, int width) {
    return {QString::fromLatin1(caption), QString::fromLatin1(column), ColumnKind::Text, width};
}

const ReportColumn Category = text("Category", "Cat_Desc", 20);
const ReportColumn ProductCode = text("Product Code", "Prod_Code", 20);
const ReportColumn ProductDesc = text("Product Desc", "Prod_Desc", 20);
const ReportColumn LicenceKey = text("Licence Key", "Licence_Name", 25);
const ReportColumn StockCode = text("Stock Code", "Stock_Code", 20);
const ReportColumn Supplier = text("Supplier", "Supp_Name", 20);
const ReportColumn Location = text("Location", "Loc_Desc", 20);
const ReportColumn Type{QStringLiteral("Type"), QStringLiteral("Type"), ColumnKind::Type, 10};
const ReportColumn Expires{QStringLiteral("Expires"), QStringLiteral("Exp_Date"),
                           ColumnKind::Expiry, 15};
const ReportColumn DaysLeft{QStringLiteral("Days left"), QStringLiteral("Exp_Date"),
                            ColumnKind::DaysLeft, 10};

} // namespace

QString orderCaption(int index) {
    static const QStringList captions{
        QStringLiteral("Category"),    QStringLiteral("Prod Code"), QStringLiteral("Prod Desc"),
        QStringLiteral("Licence Key"), QStringLiteral("Supplier"),  QStringLiteral("Location"),
        QStringLiteral("Expiry Date"), QStringLiteral("Cost"),      QStringLiteral("Stock Code"),
        QStringLiteral("Licence Type")};
    return index >= 0 && index < captions.size() ? captions.at(index) : QString();
}

const std::vector<ReportDef>& reportCatalogue() {
    static const std::vector<ReportDef> reports{
        {QStringLiteral("Licence details"),
         ReportQuery::LicenceDetails,
         {OrderLicenceKey, OrderSupplier, OrderLocation, OrderExpiryDate, OrderCost},
         QStringLiteral("No licences on system"),
         {Category, ProductCode, ProductDesc, LicenceKey, Supplier, Location, Expires},
         150},
        {QStringLiteral("Stock details"),
         ReportQuery::StockDetails,
         {OrderStockCode, OrderSupplier, OrderLocation, OrderCost},
         QStringLiteral("No stock on system"),
         {Category, ProductCode, ProductDesc, StockCode, Supplier, Location},
         130},
        {QStringLiteral("Product details with licences"),
         ReportQuery::ProductLicences,
         {OrderSupplier, OrderLicenceKey, OrderCost},
         QStringLiteral("No licences on system"),
         {Category, ProductCode, ProductDesc, Supplier, LicenceKey},
         115},
        {QStringLiteral("Product details with stock"),
         ReportQuery::ProductStock,
         {OrderSupplier, OrderStockCode, OrderCost},
         QStringLiteral("No stock on system"),
         {Category, ProductCode, ProductDesc, Supplier, StockCode},
         110},
        {QStringLiteral("Licence expiry audit"),
         ReportQuery::ExpiryAudit,
         {OrderLicenceKey, OrderLocation, OrderLicenceType, OrderExpiryDate},
         QStringLiteral("No licences have expired"),
         {Category, ProductCode, ProductDesc, LicenceKey, Location, Type, Expires},
         0},
        {QStringLiteral("Temporary licence audit"),
         ReportQuery::TemporaryAudit,
         {OrderLicenceKey, OrderLocation, OrderExpiryDate},
         QStringLiteral("No temporary licences on system"),
         {Category, ProductCode, ProductDesc, LicenceKey, Location, Expires},
         0},
        {QStringLiteral("Removed Licence details"),
         ReportQuery::RemovedLicences,
         {OrderLicenceKey, OrderSupplier, OrderExpiryDate, OrderCost},
         QStringLiteral("No removed licences on system"),
         {Category, ProductCode, ProductDesc, LicenceKey, Supplier, Expires},
         130},
        {QStringLiteral("Removed Stock details"),
         ReportQuery::RemovedStock,
         {OrderStockCode, OrderSupplier, OrderCost},
         QStringLiteral("No removed stock on system"),
         {Category, ProductCode, ProductDesc, StockCode, Supplier},
         110},
        // Listed by expiry date, then product, when chosen.
        {ExpiringSoonReport,
         ReportQuery::ExpiringSoon,
         {OrderLicenceKey, OrderLocation, OrderLicenceType, OrderExpiryDate},
         QStringLiteral("No licences expire within the period"),
         {Category, ProductCode, ProductDesc, LicenceKey, Location, Type, Expires, DaysLeft},
         0,
         OrderExpiryDate},
    };
    return reports;
}

const ReportDef* findReport(const QString& name) {
    const QString wanted = name.trimmed();
    for (const ReportDef& report : reportCatalogue())
        if (report.name == wanted)
            return &report;
    return nullptr;
}

std::vector<int> offeredOrders(const QString& name) {
    std::vector<int> orders{OrderCategory, OrderProdCode, OrderProdDesc};
    if (const ReportDef* report = findReport(name))
        orders.insert(orders.end(), report->furtherOrders.begin(), report->furtherOrders.end());
    return orders;
}

} // namespace reports
