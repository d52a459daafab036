#include "Cases.h"
#include "Context.h"

#include "allocation/ui/pgAllocation.h"
#include "common/ui/MainWindow.h"
#include "locations/ui/LocationTreeView.h"
#include "shell/ui/frmVemora.h"
#include "store/Database.h"
#include "store/StoreConstants.h"

#include <QApplication>
#include <QTabWidget>

#include <stdexcept>

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

} // namespace

void addAllocationCases(Bench& bench, Context& context) {
    const Move move = stockMove(context.db());
    const auto page = [&context] {
        return static_cast<allocation::pgAllocation*>(context.window().page(common::Allocation));
    };
    const auto tree = [page] {
        return page()->findChild<locations::LocationTreeView*>();
    };
    const auto drop = [page, tree](const QString& item, const QString& target) {
        locations::LocationTreeView* t = tree();
        page()->dropItem(t->node(item), t->node(target));
        if (!t->node(target) || t->node(item)->parent() != t->node(target))
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
        locations::LocationTreeView* t = tree();
        QList<QTreeWidgetItem*> nodes;
        for (const QString& item : several)
            nodes << t->node(item);
        page()->dropItems(nodes, t->node(target));
        for (const QString& item : several)
            if (!t->node(item) || t->node(item)->parent() != t->node(target))
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
}

} // namespace bench
