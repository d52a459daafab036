#include "Cases.h"
#include "Context.h"

#include "assets/clsStock.h"
#include "assets/ui/pgEnquireByLocation.h"
#include "common/Session.h"
#include "common/ui/MainWindow.h"
#include "common/ui/Page.h"
#include "common/ui/ReportList.h"
#include "locations/clsLocations.h"
#include "locations/ui/LocationTreeView.h"
#include "locations/ui/frmLocationList.h"
#include "seed/Seed.h"
#include "shell/ui/frmVemora.h"
#include "store/Database.h"
#include "store/StoreConstants.h"

#include <QApplication>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTreeWidgetItemIterator>

#include <functional>
#include <limits>
#include <memory>
#include <stdexcept>

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
        return locationTopStatements();
    };
    bench.add(c);
}

locations::LocationTreeView* treeOf(Context& context, int page) {
    return context.window().page(page)->findChild<locations::LocationTreeView*>();
}

// The user location with the most child locations.
int widestBranch(store::Database& db) {
    store::Query q(db, QStringLiteral("SELECT c.Loc_ParentID, count(*) AS n FROM Locations c "
                                      "JOIN Locations p ON p.Loc_ID = c.Loc_ParentID "
                                      "WHERE p.Loc_Level > ? GROUP BY c.Loc_ParentID "
                                      "ORDER BY n DESC, c.Loc_ParentID LIMIT 1"));
    q.bindAll(store::loc::ReservedLevel);
    return q.next() ? static_cast<int>(q.integer(QStringLiteral("Loc_ParentID"))) : 0;
}

// The deepest location under "Available Locations" and the rows above it,
// from it up to the branch.
QList<int> deepestPath(store::Database& db) {
    store::Query q(db, QStringLiteral("SELECT Loc_ID FROM Locations WHERE Loc_Top = ? "
                                      "ORDER BY Loc_Level DESC, Loc_ID LIMIT 1"));
    q.bindAll(store::loc::AvailableLocations);
    QList<int> path;
    int id = q.next() ? static_cast<int>(q.integer(QStringLiteral("Loc_ID"))) : 0;
    while (id > store::loc::None) {
        path << id;
        store::Query up(db, QStringLiteral("SELECT Loc_Level, Loc_ParentID FROM Locations "
                                           "WHERE Loc_ID = ?"));
        up.bindAll(id);
        if (!up.next() || up.integer(QStringLiteral("Loc_Level")) == store::loc::ReservedLevel)
            break;
        id = static_cast<int>(up.integer(QStringLiteral("Loc_ParentID")));
    }
    return path;
}

// Opening the widest branch of page 2's tree, read when it opens; the page
// is rebuilt first, untimed.
void addOpenBranch(Bench& bench, Context& context) {
    const int branch = widestBranch(context.db());
    Case c;
    c.name = QStringLiteral("page 2 open the widest branch");
    c.before = [&context] {
        showQuietly(context.window(), common::LocationUtilities);
        context.window().page(common::LocationUtilities)->rebuild();
        QApplication::processEvents();
    };
    c.run = [&context, branch] {
        locations::LocationTreeView* tree = treeOf(context, common::LocationUtilities);
        QTreeWidgetItem* item = tree->node(locations::locationKey(branch));
        if (!item)
            throw std::runtime_error("the widest branch is not in the tree");
        item->setExpanded(true);
        QApplication::processEvents();
    };
    c.rows = [&context] {
        return treeRows(context.window().page(common::LocationUtilities));
    };
    c.connection = &context.db();
    c.statements = [branch] {
        return Statements{childLocationsStatement(branch)};
    };
    bench.add(c);
}

// Page 0 showing the deepest location, the branches above it read on the
// way; the page is rebuilt first, untimed.
void addRevealDeepest(Bench& bench, Context& context) {
    const QList<int> path = deepestPath(context.db());
    if (path.isEmpty())
        return;
    Case c;
    c.name = QStringLiteral("page 0 reveal the deepest location");
    c.before = [&context] {
        showQuietly(context.window(), common::EnquireByLocation);
        context.window().page(common::EnquireByLocation)->rebuild();
        QApplication::processEvents();
    };
    c.run = [&context, path] {
        locations::LocationTreeView* tree = treeOf(context, common::EnquireByLocation);
        if (!tree->revealNode(locations::locationKey(path.first())))
            throw std::runtime_error("the deepest location is not in the tree");
        QApplication::processEvents();
    };
    c.rows = [&context] {
        return treeRows(context.window().page(common::EnquireByLocation));
    };
    c.connection = &context.db();
    c.statements = [path] {
        Statements out = locationPathStatements(path);
        // The branches between the top and the location are read.
        for (qsizetype i = 1; i + 1 < path.size(); ++i)
            out.push_back(childLocationsStatement(path[i]));
        return out;
    };
    bench.add(c);
}

// The location picker opened, its tree filled, and closed.
void addPicker(Bench& bench, Context& context) {
    auto rows = std::make_shared<int>(0);
    Case c;
    c.name = QStringLiteral("location picker open");
    c.run = [&context, rows] {
        locations::frmLocationList picker(context.session(), &context.window());
        picker.show();
        QApplication::processEvents();
        *rows = 0;
        for (QTreeWidgetItemIterator it(picker.findChild<locations::LocationTreeView*>()); *it;
             ++it)
            ++*rows;
    };
    c.rows = [rows] {
        return *rows;
    };
    c.connection = &context.db();
    c.statements = [] {
        return locationTopStatements();
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

int busiestStockLocation(store::Database& db) {
    store::Query q(db, QStringLiteral("SELECT s.Loc_ID, count(*) AS n FROM Stock s "
                                      "JOIN Locations l ON l.Loc_ID = s.Loc_ID "
                                      "WHERE l.Loc_Top = ? GROUP BY s.Loc_ID "
                                      "ORDER BY n DESC, s.Loc_ID LIMIT 1"));
    q.bindAll(store::loc::AvailableLocations);
    return q.next() ? static_cast<int>(q.integer(QStringLiteral("Loc_ID"))) : 0;
}

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
    page.statements = [&context, locId] {
        return locationContentsStatements(context.db(), locId,
                                          assets::pgEnquireByLocation::SliceRows);
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
    logic.statements = [&context, locId] {
        return locationContentsStatements(context.db(), locId, std::numeric_limits<int>::max());
    };
    bench.add(logic);
}

} // namespace

void addPageCases(Bench& bench, Context& context) {
    addRebuild(bench, context, common::EnquireByLocation, "enquire by location");
    addRebuild(bench, context, common::LocationUtilities, "location utilities");
    addOpenBranch(bench, context);
    addRevealDeepest(bench, context);
    addPicker(bench, context);
    addListFill(bench, context, common::CategoryUtilities, "category utilities");
    addListFill(bench, context, common::ProductUtilities, "product utilities");
    addContents(bench, context, seed::busiestLicenceLocation(context.db()),
                QStringLiteral("busiest licence location"));
    addContents(bench, context, busiestStockLocation(context.db()),
                QStringLiteral("busiest stock location"));
}

} // namespace bench
