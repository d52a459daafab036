#include "Cases.h"
#include "Context.h"

#include "common/Session.h"
#include "common/ui/MainWindow.h"
#include "reports/ReportCatalogue.h"
#include "reports/clsReports.h"
#include "reports/ui/pgReports.h"
#include "shell/ui/frmVemora.h"

#include <QApplication>
#include <QPlainTextEdit>

namespace bench {

// Each report shown on its page in order button 1 ("Prod Code"), the query,
// the text and the display together; the case name says the order it runs.
void addReportCases(Bench& bench, Context& context) {
    constexpr int Order = reports::OrderProdCode;
    for (const reports::ReportDef& report : reports::reportCatalogue()) {
        const QString name = report.name;
        Case c;
        c.name = QStringLiteral("report shown: %1 (%2)").arg(name, reports::orderCaption(Order));
        c.run = [&context, name] {
            auto* page = static_cast<reports::pgReports*>(context.window().page(common::Reports));
            page->RunReport(name, Order);
            QApplication::processEvents();
        };
        c.rows = [&context] {
            return context.window()
                .page(common::Reports)
                ->findChild<QPlainTextEdit*>(QStringLiteral("rtbReport"))
                ->blockCount();
        };
        c.connection = &context.db();
        c.statements = [&context, name] {
            const reports::ReportDef* def = reports::findReport(name);
            const auto query =
                context.session().logic<reports::clsReports>().ComposeQuery(*def, Order);
            RawStatement raw{query.sql, {}};
            for (const auto& v : query.values)
                raw.values << (std::holds_alternative<int>(v) ? QVariant(std::get<int>(v))
                                                              : QVariant(std::get<QString>(v)));
            return Statements{raw};
        };
        bench.add(c);
    }
}

} // namespace bench
