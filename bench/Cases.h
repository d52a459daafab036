#pragma once

// The case groups. Each adds its operations to the bench; a later
// operation joins the group it belongs to, or comes in a new group listed
// in main.cpp.

#include "Bench.h"

#include <QDate>

namespace bench {

class Context;

// Opening the database and start-up to the main window shown.
void addStartUpCases(Bench& bench, Context& context);
// Page rebuilds and the contents of a location on page 0.
void addPageCases(Bench& bench, Context& context);
// Location maintenance through the locations logic.
void addLocationCases(Bench& bench, Context& context);
// Moving items on the allocation page.
void addAllocationCases(Bench& bench, Context& context);
// Entering the allocation page and opening a location there.
void addAllocationPageCases(Bench& bench, Context& context);
// Page 0's busiest contents once the allocation page was visited.
void addAllocationAfterVisitsCase(Bench& bench, Context& context);
// The stock dialog opened and an item stored.
void addAssetCases(Bench& bench, Context& context);
// Each report shown on its page.
void addReportCases(Bench& bench, Context& context);
// The product enquiry list and the history viewer.
void addEnquiryCases(Bench& bench, Context& context);
// The Export button's workbook; a full read at either page size.
void addExportCases(Bench& bench, Context& context);
// Find, at each length of a stock code as it is typed.
void addFindCases(Bench& bench, Context& context);
// Licences against those owned, and expiry seen coming: the start-up
// notice, its list, the product enquiry with its counts.
void addLicenceCases(Bench& bench, Context& context);

// Importing a large register from CSV, checked and stored (its own file,
// ImportCases.cpp); added only for --only import.
void addImportCases(Bench& bench, Context& context);

// Page 0 showing what a location holds, under the given name; the page
// is shown first, untimed.
Case contentsCase(Context& context, int locId, const QString& name);

// The location under "Available Locations" holding the most live stock.
int busiestStockLocation(store::Database& db);

// The statements the program runs for the work the cases time, written
// out as it writes them: the bench checks on its warm-up run that the
// operation runs each of them.

// Filling a location tree (clsLocations::FillUpLocationTree).
Statements locationTreeStatements();
// The top of a location tree (clsLocations::TopOfLocationTree).
Statements locationTopStatements();
// A node's children (clsLocations::ChildLocations).
RawStatement childLocationsStatement(int parentId);
// A location's key path, one row per location on it from the location up
// (clsLocations::LocationKeyPath).
Statements locationPathStatements(const QList<int>& ids);
// Where a product's items are (clsStock::FillStockListUsingProduct).
Statements productListStatements(int prodId);
// A product's licences in use against those owned (clsProducts::LicenceUseOf).
Statements licenceUseStatements(int prodId);
// The start-up notice's counts (clsLicenceExpiry::StartUpCounts).
Statements expiryNoticeStatements(const QDate& today, int periodDays);
// The whole list of expiring licences in one statement, sorted by the engine.
Statements expiringListStatements(const QDate& today, int periodDays);
// One item's history (clsStockLicenceHist).
Statements historyStatements(int stockId);
// What a location holds: the statements that read the first count rows of
// each of its two lists (clsStock::LocationContentsFrom), as the page reads
// them. The rows counted here, untimed, decide which statements run.
Statements locationContentsStatements(store::Database& db, int locId, int count);

} // namespace bench
