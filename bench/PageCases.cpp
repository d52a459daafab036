#include "Cases.h"
#include "Context.h"

#include "assets/clsStock.h"
#include "assets/ui/pgEnquireByLocation.h"
#include "common/Session.h"
#include "common/ui/MainWindow.h"
#include "common/ui/Page.h"
#include "common/ui/ReportList.h"
#include "locations/ui/LocationTreeView.h"
#include "seed/Seed.h"
#include "shell/ui/frmVemora.h"
#include "store/Database.h"
#include "store/StoreConstants.h"

#include <QApplication>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTreeWidgetItemIterator>

#include <functional>

namespace bench {

namespace {

// Shows a page without rebuilding it, so that a timed rebuild finds it on
// screen as the user does.
void showQuietly(shell::frmVemora& window, int page) {
    const QSignalBlocker blocker(window.SSTab1());
    window.SSTab1()->setCurrentIndex(page);
    QApplication::processEvents();
}

int treeRows(const QWidget* page) {
    int rows = 0;
    for (QTreeWidgetItemIterator it(page->findChild<locations::LocationTreeView*>()); *it; ++it)
        ++rows;
    return rows;
}

int listRows(const QWidget* page) {
    int rows = 0;
    for (const auto* list : page->findChildren<common::ReportList*>())
        rows += list->topLevelItemCount();
    return rows;
}

// The location under "Available Locations" holding the most live stock.
int busiestStockLocation(store::Database& db) {
    store::Query q(db, QStringLiteral("SELECT s.Loc_ID, count(*) AS n FROM Stock s "
                                      "JOIN Locations l ON l.Loc_ID = s.Loc_ID "
                                      "WHERE l.Loc_Top = ? GROUP BY s.Loc_ID "
                                      "ORDER BY n DESC, s.Loc_ID LIMIT 1"));
    q.bindAll(store::loc::AvailableLocations);
    return q.next() ? static_cast<int>(q.integer(QStringLiteral("Loc_ID"))) : 0;
}

// A page entered after the register changed: the window refills a page on
// entry only then, keeping the user's place. Its rows are counted by rows().
Case pageRefill(Context& context, int page, const QString& name,
                std::function<int(const QWidget*)> rows) {
    Case c;
    c.name = name;
    c.before = [&context, page] {
        showQuietly(context.window(), page);
    };
    c.run = [&context, page] {
        context.window().page(page)->refill();
        QApplication::processEvents();
    };
    c.rows = [&context, page, rows = std::move(rows)] {
        return rows(context.window().page(page));
    };
    return c;
}

void addRebuild(Bench& bench, Context& context, int page, const char* title) {
    Case c = pageRefill(
        context, page,
        QStringLiteral("page %1 rebuild (%2)").arg(page).arg(QString::fromLatin1(title)), treeRows);
    c.connection = &context.db();
    c.statements = [] {
        return locationTreeStatements();
    };
    bench.add(c);
}

// A list page: its rows are what its lists show (the product page lists the
// products of its first category).
void addListFill(Bench& bench, Context& context, int page, const char* title) {
    bench.add(pageRefill(
        context, page,
        QStringLiteral("page %1 fill (%2)").arg(page).arg(QString::fromLatin1(title)), listRows));
}

} // namespace

Case contentsCase(Context& context, int locId, const QString& name) {
    Case page;
    page.name = name;
    page.before = [&context] {
        showQuietly(context.window(), common::EnquireByLocation);
    };
    page.run = [&context, locId] {
        static_cast<assets::pgEnquireByLocation*>(context.window().page(common::EnquireByLocation))
            ->FillStockListUsingLocation(locId);
        QApplication::processEvents();
    };
    page.rows = [&context] {
        return listRows(context.window().page(common::EnquireByLocation));
    };
    page.connection = &context.db();
    page.statements = [locId] {
        return locationContentsStatements(locId);
    };
    return page;
}

namespace {

void addContents(Bench& bench, Context& context, int locId, const QString& which) {
    bench.add(contentsCase(context, locId, QStringLiteral("page 0 contents, %1").arg(which)));

    auto shown = std::make_shared<int>(0);
    Case logic;
    logic.name = QStringLiteral("clsStock contents, %1").arg(which);
    logic.run = [&context, locId, shown] {
        const assets::LocationContents contents =
            context.session().logic<assets::clsStock>().FillStockListUsingLocation(locId);
        *shown = static_cast<int>(contents.stock.size() + contents.licences.size());
    };
    logic.rows = [shown] {
        return *shown;
    };
    logic.connection = &context.db();
    logic.statements = [locId] {
        return locationContentsStatements(locId);
    };
    bench.add(logic);
}

} // namespace

void addPageCases(Bench& bench, Context& context) {
    addRebuild(bench, context, common::EnquireByLocation, "enquire by location");
    addRebuild(bench, context, common::LocationUtilities, "location utilities");
    addListFill(bench, context, common::CategoryUtilities, "category utilities");
    addListFill(bench, context, common::ProductUtilities, "product utilities");
    addContents(bench, context, seed::busiestLicenceLocation(context.db()),
                QStringLiteral("busiest licence location"));
    addContents(bench, context, busiestStockLocation(context.db()),
                QStringLiteral("busiest stock location"));
}

} // namespace bench
