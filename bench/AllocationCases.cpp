#include "Cases.h"
#include "Context.h"

#include "allocation/ui/AllocationModel.h"
#include "allocation/ui/AllocationTreeView.h"
#include "allocation/ui/pgAllocation.h"
#include "assets/clsStock.h"
#include "common/NodeKey.h"
#include "common/Session.h"
#include "common/ui/MainWindow.h"
#include "locations/clsLocations.h"
#include "shell/ui/frmVemora.h"
#include "store/Database.h"
#include "store/StoreConstants.h"

#include <QApplication>
#include <QSet>
#include <QSignalBlocker>
#include <QTabWidget>

#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

namespace bench {

namespace {

// A stock item in a live location under "Available Locations", and another
// live location there to move it to.
struct Move {
    QString item;
    QString from;
    QString to;
};

Move stockMove(store::Database& db) {
    store::Query q(db, QStringLiteral("SELECT s.Stock_ID, s.Loc_ID FROM Stock s JOIN Locations l "
                                      "ON l.Loc_ID = s.Loc_ID WHERE l.Loc_Top = ? "
                                      "ORDER BY s.Stock_ID LIMIT 1"));
    q.bindAll(store::loc::AvailableLocations);
    if (!q.next())
        throw std::runtime_error("the database holds no live stock");
    const qint64 item = q.integer(QStringLiteral("Stock_ID"));
    const int from = static_cast<int>(q.integer(QStringLiteral("Loc_ID")));
    store::Query other(db, QStringLiteral("SELECT Loc_ID FROM Locations WHERE Loc_Top = ? AND "
                                          "Loc_ID <> ? ORDER BY Loc_ID LIMIT 1"));
    other.bindAll(store::loc::AvailableLocations, from);
    if (!other.next())
        throw std::runtime_error("the database holds too few locations");
    return {QStringLiteral("S%1").arg(item), QStringLiteral("L%1").arg(from),
            QStringLiteral("L%1").arg(other.integer(QStringLiteral("Loc_ID")))};
}

// A product with normal licences at a live licence location below
// "Available Licences", and that location.
std::optional<std::pair<int, int>> licenceGroupOutsidePool(store::Database& db) {
    store::Query q(db,
                   QStringLiteral("SELECT l.Prod_ID, l.Loc_ID FROM Licences l JOIN Locations "
                                  "c ON c.Loc_ID = l.Loc_ID WHERE c.Loc_Top = ? AND "
                                  "c.Loc_ID <> ? AND l.Type = ? ORDER BY l.Licence_ID LIMIT 1"));
    q.bindAll(store::loc::AvailableLicences, store::loc::AvailableLicences, store::LicenceNormal);
    if (!q.next())
        return std::nullopt;
    return std::pair<int, int>(static_cast<int>(q.integer(QStringLiteral("Prod_ID"))),
                               static_cast<int>(q.integer(QStringLiteral("Loc_ID"))));
}

// Up to n stock items held where the move's item is.
QStringList stockBeside(store::Database& db, const Move& move, int n) {
    store::Query q(db, QStringLiteral("SELECT Stock_ID FROM Stock WHERE Loc_ID = ? "
                                      "ORDER BY Stock_ID LIMIT ?"));
    q.bindAll(move.from.mid(1).toInt(), n);
    QStringList items;
    while (q.next())
        items << QStringLiteral("S%1").arg(q.integer(QStringLiteral("Stock_ID")));
    return items;
}

// Shows a page without filling it, so that a timed fill finds it on screen
// as the user does.
void showQuietly(shell::frmVemora& window, int page) {
    const QSignalBlocker blocker(window.SSTab1());
    window.SSTab1()->setCurrentIndex(page);
    QApplication::processEvents();
}

// A write that changes nothing the pages show, but that the window counts:
// the next entry to a page fills it again, as after another page's work on
// a stock item held at the location.
void touchRegister(store::Database& db, int locId) {
    db.execute(QStringLiteral("UPDATE Stock SET Cost = Cost WHERE Stock_ID = (SELECT min(Stock_ID) "
                              "FROM Stock WHERE Loc_ID = ?)"),
               locId);
}

// What the allocation page reads as a location opens: the first batch of
// its items, part by part (stock, then normal and temporary licence
// groups). A part is read whole when it holds few rows; a larger one by
// walking the products' index until the batch is full. The rows counted
// here, untimed, decide which statements the page runs.
Statements locationItemStatements(store::Database& db, int locId) {
    const QString order =
        QStringLiteral(" ORDER BY p.Prod_Desc") + store::IgnoreCase + QStringLiteral(", p.Prod_ID");
    Statements out;
    int wanted = allocation::AllocationModel::ItemsShownAtOnce;
    for (const QString& part : {QString(), store::LicenceNormal, store::LicenceTemporary}) {
        if (wanted <= 0)
            break;
        const bool stock = part.isEmpty();
        const int limit = allocation::clsAllocations::WholePartRows + 1;
        RawStatement whole =
            stock ? RawStatement{QStringLiteral("SELECT s.Stock_ID, s.Prod_ID, s.Stock_Code, "
                                                "p.Prod_Desc FROM Stock s JOIN Products p ON "
                                                "p.Prod_ID = s.Prod_ID WHERE s.Loc_ID = ? LIMIT ?"),
                                 {locId, limit}}
                  : RawStatement{QStringLiteral("SELECT l.Prod_ID, p.Prod_Desc FROM Licences l "
                                                "JOIN Products p ON p.Prod_ID = l.Prod_ID "
                                                "WHERE l.Loc_ID = ? AND l.Type = ? LIMIT ?"),
                                 {locId, part, limit}};
        const std::vector<QStringList> rows = rowsOf(db, {whole});
        out.push_back(whole);
        if (static_cast<int>(rows.size()) < limit) {
            // A node per stock item, or per product's group of licences.
            QSet<QString> products;
            for (const QStringList& row : rows)
                products.insert(row.value(0));
            wanted -= static_cast<int>(stock ? rows.size() : products.size());
            continue;
        }
        RawStatement walk =
            stock ? RawStatement{QStringLiteral("SELECT p.Prod_ID, p.Prod_Desc, s.Stock_ID, "
                                                "s.Stock_Code FROM Products p CROSS JOIN Stock s "
                                                "WHERE s.Prod_ID = p.Prod_ID AND s.Loc_ID = ?") +
                                     order + QStringLiteral(", s.Stock_ID LIMIT ?"),
                                 {locId, wanted}}
                  : RawStatement{
                        QStringLiteral("SELECT p.Prod_ID, p.Prod_Desc, (SELECT count(*) FROM "
                                       "Licences c WHERE c.Loc_ID = ? AND c.Type = ? AND "
                                       "c.Prod_ID = p.Prod_ID) AS n FROM Products p WHERE "
                                       "EXISTS (SELECT 1 FROM Licences l WHERE l.Loc_ID = ? "
                                       "AND l.Type = ? AND l.Prod_ID = p.Prod_ID)") +
                            order + QStringLiteral(" LIMIT ?"),
                        {locId, part, locId, part, wanted}};
        wanted -= static_cast<int>(rowsOf(db, {walk}).size());
        out.push_back(walk);
    }
    return out;
}

// What entering the page reads: the top of the location tree and the
// first items of the branches open on entry.
Statements entryStatements(store::Database& db) {
    Statements out = locationTopStatements();
    for (const int branch : {store::loc::AvailableLocations, store::loc::AvailableLicences,
                             store::loc::RemovedLocations})
        for (RawStatement& s : locationItemStatements(db, branch))
            out.push_back(std::move(s));
    return out;
}

// The locations below the top on the way down to a location, itself
// included: those read as it is reached.
std::vector<int> locationsBelowTop(Context& context, int locId) {
    const QStringList path =
        context.window().session().logic<locations::clsLocations>().LocationKeyPath(locId);
    std::vector<int> out;
    for (qsizetype i = 2; i < path.size(); ++i)
        out.push_back(path[i].mid(1).toInt());
    return out;
}

// What opening these locations reads: each one's child locations and items.
Statements openingStatements(store::Database& db, const std::vector<int>& locIds) {
    Statements out;
    for (int locId : locIds) {
        out.push_back(childLocationsStatement(locId));
        for (RawStatement& s : locationItemStatements(db, locId))
            out.push_back(std::move(s));
    }
    return out;
}

} // namespace

void addAllocationPageCases(Bench& bench, Context& context) {
    const auto page = [&context] {
        return static_cast<allocation::pgAllocation*>(context.window().page(common::Allocation));
    };
    const auto tree = [page] {
        return page()->findChild<allocation::AllocationTreeView*>();
    };
    const auto nodes = [tree] {
        return tree()->nodes().nodeCount();
    };

    // The first entry: the top of the location tree, with the items of the
    // branches open on entry, a screenful of them as nodes.
    Case first;
    first.name = QStringLiteral("page 5 first visit (allocation)");
    first.before = [&context] {
        showQuietly(context.window(), common::Allocation);
    };
    first.run = [page] {
        page()->rebuild();
        QApplication::processEvents();
    };
    first.rows = nodes;
    first.connection = &context.db();
    // The branches open on entry show their items: the products' order
    // and each branch's items are read with the top.
    first.statements = [&context] {
        return entryStatements(context.db());
    };
    bench.add(first);

    // Entered again after another page wrote to the register: the top is
    // read again, and the open locations' child locations and items.
    const int busiest = busiestStockLocation(context.db());
    const std::vector<int> busiestPath = locationsBelowTop(context, busiest);
    Case again = first;
    again.name = QStringLiteral("page 5 visit after a write elsewhere (allocation refill)");
    // Opens a location and the branches above it, as the user reaches it.
    const auto reveal = [tree](int locId) {
        for (QModelIndex at = tree()->node(locations::locationKey(locId)); at.isValid();
             at = at.parent())
            tree()->expand(at);
    };
    again.before = [&context, page, tree, reveal, busiest] {
        showQuietly(context.window(), common::Allocation);
        // Run alone, the page has not been entered yet.
        if (tree()->nodes().nodeCount() == 0)
            page()->rebuild();
        reveal(busiest);
        QApplication::processEvents();
        touchRegister(context.db(), busiest);
    };
    again.run = [page] {
        page()->refill();
        QApplication::processEvents();
    };
    again.statements = [&context, busiestPath] {
        Statements out = entryStatements(context.db());
        for (RawStatement& s : openingStatements(context.db(), busiestPath))
            out.push_back(std::move(s));
        return out;
    };
    bench.add(again);

    // Opening the location that holds the most stock: it and the locations
    // above it below the top are read, each with its child locations and
    // items.
    Case open;
    open.name = QStringLiteral("page 5 open the busiest stock location");
    open.before = [&context, page] {
        showQuietly(context.window(), common::Allocation);
        page()->rebuild();
        QApplication::processEvents();
    };
    open.run = [reveal, busiest] {
        reveal(busiest);
        QApplication::processEvents();
    };
    open.rows = [tree, busiest] {
        return tree()->model()->rowCount(tree()->node(locations::locationKey(busiest)));
    };
    open.connection = &context.db();
    open.statements = [&context, busiestPath] {
        return openingStatements(context.db(), busiestPath);
    };
    bench.add(open);
}

void addAllocationAfterVisitsCase(Bench& bench, Context& context) {
    // Page 0's contents of the busiest stock location once the allocation
    // page was visited six times, each after a write elsewhere (the case
    // "page 0 contents, busiest stock location" is the same before any
    // visit): no page gets slower because another was visited.
    const int busiest = busiestStockLocation(context.db());
    auto visited = std::make_shared<bool>(false);
    Case c = contentsCase(context, busiest,
                          QStringLiteral("page 0 busiest stock contents after six page 5 visits"));
    c.before = [&context, busiest, visited] {
        if (!*visited) {
            for (int visit = 0; visit < 6; ++visit) {
                touchRegister(context.db(), busiest);
                context.window().showPage(common::Allocation);
                QApplication::processEvents();
                context.window().showPage(common::EnquireByLocation);
                QApplication::processEvents();
            }
            *visited = true;
        }
        showQuietly(context.window(), common::EnquireByLocation);
    };
    bench.add(c);
}

void addAllocationCases(Bench& bench, Context& context) {
    const Move move = stockMove(context.db());
    const auto page = [&context] {
        return static_cast<allocation::pgAllocation*>(context.window().page(common::Allocation));
    };
    const auto tree = [page] {
        return page()->findChild<allocation::AllocationTreeView*>();
    };
    const auto drop = [page, tree](const QString& item, const QString& target) {
        allocation::AllocationTreeView* t = tree();
        page()->dropItem(t->node(item), t->node(target));
        if (!t->node(target).isValid() || t->node(item).parent() != t->node(target))
            throw std::runtime_error("the item did not move");
    };

    Case c;
    c.name = QStringLiteral("allocation move (one stock item)");
    c.before = [&context] {
        if (context.window().SSTab1()->currentIndex() != common::Allocation)
            context.window().showPage(common::Allocation);
        QApplication::processEvents();
    };
    c.run = [drop, move] {
        drop(move.item, move.to);
    };
    c.rows = [] {
        return 1;
    };
    c.after = [drop, move] {
        drop(move.item, move.from);
    };
    bench.add(c);

    // Several selected items dropped at once: the tree is changed in place,
    // as for one.
    const QStringList several = stockBeside(context.db(), move, 10);
    const auto dropAll = [page, tree, several](const QString& target) {
        allocation::AllocationTreeView* t = tree();
        QModelIndexList nodes;
        for (const QString& item : several)
            nodes << t->node(item);
        page()->dropItems(nodes, t->node(target));
        for (const QString& item : several)
            if (!t->node(item).isValid() || t->node(item).parent() != t->node(target))
                throw std::runtime_error("an item did not move");
    };
    Case many = c;
    many.name = QStringLiteral("allocation move (several stock items)");
    many.run = [dropAll, move] {
        dropAll(move.to);
    };
    many.rows = [several] {
        return static_cast<int>(several.size());
    };
    many.after = [dropAll, move] {
        dropAll(move.from);
    };
    bench.add(many);

    // One licence of a group dropped onto "Available Licences", the widest
    // location, and back: only the moved product's groups are counted
    // again at either end.
    const std::optional<std::pair<int, int>> licence = licenceGroupOutsidePool(context.db());
    if (!licence)
        return;
    const auto [prodId, at] = *licence;
    const auto groupAt = [prodId = prodId](int locId) {
        return common::licenceGroupKey(false, prodId, locId);
    };
    const auto dropGroup = [page, tree, groupAt](int from, int to) {
        allocation::AllocationTreeView* t = tree();
        page()->dropItem(t->node(groupAt(from)), t->node(locations::locationKey(to)));
        if (t->node(groupAt(to)).parent() != t->node(locations::locationKey(to)))
            throw std::runtime_error("the licence did not move");
    };
    Case pool = c;
    pool.name = QStringLiteral("allocation move (one licence onto Available Licences)");
    pool.run = [dropGroup, at = at] {
        dropGroup(at, store::loc::AvailableLicences);
    };
    pool.after = [dropGroup, at = at] {
        dropGroup(store::loc::AvailableLicences, at);
    };
    bench.add(pool);
}

} // namespace bench
