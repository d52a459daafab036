#include "Cases.h"
#include "Context.h"

#include "common/Session.h"
#include "common/ui/MainWindow.h"
#include "reports/ReportCatalogue.h"
#include "reports/clsReports.h"
#include "reports/ui/ReportView.h"
#include "reports/ui/pgReports.h"
#include "shell/ui/frmVemora.h"

#include <QApplication>

#include <utility>
#include <vector>

namespace bench {

namespace {

reports::pgReports* reportsPage(Context& context) {
    return static_cast<reports::pgReports*>(context.window().page(common::Reports));
}

reports::ReportView* reportView(Context& context) {
    return reportsPage(context)->findChild<reports::ReportView*>(QStringLiteral("rtbReport"));
}

// The statement the page runs for the report in that order. Where the
// page ranks the rows by another table's text itself, the statement reads
// them in record order and the ranking is the program's own work.
Statements reportStatements(Context& context, const QString& name, int order) {
    const reports::ReportDef* def = reports::findReport(name);
    const auto query = context.session().logic<reports::clsReports>().ReadQuery(*def, order).query;
    return Statements{rawStatement(query.sql, query.values)};
}

// A report shown on its page in an order, the query, the text and the
// first screen drawn together; the case name says the order it runs. The
// whole text is then ready too: printing, PDF and export take it as it is.
void addShown(Bench& bench, Context& context, const QString& name, int order) {
    Case c;
    c.name = QStringLiteral("report shown: %1 (%2)").arg(name, reports::orderCaption(order));
    c.run = [&context, name, order] {
        reportsPage(context)->RunReport(name, order);
        reportsPage(context)->finishReport();
        reportView(context)->viewport()->repaint();
        QApplication::processEvents();
    };
    c.rows = [&context] {
        return reportView(context)->blockCount();
    };
    // A report that fits in the first read is complete after it: the page
    // never runs the whole report's statement, and there is no raw column.
    const reports::ReportDef* def = reports::findReport(name);
    const int screen = reportsPage(context)->firstScreenLines();
    QString scratch;
    if (context.session().logic<reports::clsReports>().WriteFirstLines(*def, order, screen,
                                                                       scratch) == screen) {
        c.connection = &context.db();
        c.statements = [&context, name, order] {
            return reportStatements(context, name, order);
        };
    }
    bench.add(c);
}

// The same report up to the moment its first screen is drawn in the view;
// the rest, read afterwards between events, is read to its end untimed.
void addFirstScreen(Bench& bench, Context& context, const QString& name, int order) {
    Case c;
    c.name = QStringLiteral("report first screen: %1 (%2)").arg(name, reports::orderCaption(order));
    c.run = [&context, name, order] {
        reportsPage(context)->RunReport(name, order);
        reportView(context)->viewport()->repaint();
    };
    c.after = [&context] {
        reportsPage(context)->finishReport();
    };
    c.rows = [&context] {
        return reportView(context)->blockCount();
    };
    bench.add(c);
}

void addReport(Bench& bench, Context& context, const QString& name, int order) {
    addShown(bench, context, name, order);
    addFirstScreen(bench, context, name, order);
}

// The report shown, scrolled from its top to its last screen and drawn
// there, as the user who drags the scroll bar to the end sees it.
void addScrolledToEnd(Bench& bench, Context& context, const QString& name, int order) {
    Case c;
    c.name = QStringLiteral("report scrolled to its end: %1 (%2)")
                 .arg(name, reports::orderCaption(order));
    c.before = [&context, name, order] {
        reportsPage(context)->RunReport(name, order);
        reportsPage(context)->finishReport();
        reportView(context)->scrollToLine(0);
        QApplication::processEvents();
    };
    c.run = [&context] {
        reports::ReportView* view = reportView(context);
        view->scrollToLine(view->blockCount() - 1);
        view->viewport()->repaint();
        QApplication::processEvents();
    };
    c.rows = [&context] {
        return reportView(context)->blockCount();
    };
    bench.add(c);
}

} // namespace

// Each report in the order it opens in and by product code; the two
// largest in every further order they offer.
void addReportCases(Bench& bench, Context& context) {
    for (const reports::ReportDef& report : reports::reportCatalogue()) {
        addReport(bench, context, report.name, report.firstOrder);
        if (report.firstOrder != reports::OrderProdCode)
            addReport(bench, context, report.name, reports::OrderProdCode);
    }
    const std::pair<const char*, std::vector<int>> further[] = {
        {"Licence details",
         {reports::OrderLicenceKey, reports::OrderSupplier, reports::OrderLocation,
          reports::OrderExpiryDate, reports::OrderCost}},
        {"Stock details", {reports::OrderStockCode, reports::OrderLocation}},
    };
    for (const auto& [name, orders] : further)
        for (int order : orders)
            addReport(bench, context, QString::fromLatin1(name), order);
    addScrolledToEnd(bench, context, QStringLiteral("Licence details"), reports::OrderCategory);
}

} // namespace bench
