#include "Cases.h"
#include "Context.h"

#include "find/clsFind.h"
#include "shell/ui/FindPanel.h"
#include "shell/ui/frmVemora.h"
#include "store/Database.h"
#include "store/FindText.h"

#include <QLineEdit>
#include <QTreeWidget>

#include <memory>
#include <stdexcept>

namespace bench {

namespace {

// A stock code from the middle of the register.
QString middleStockCode(store::Database& db) {
    store::Query q(db, QStringLiteral("SELECT Stock_Code FROM Stock WHERE Stock_ID >= "
                                      "(SELECT (min(Stock_ID) + max(Stock_ID)) / 2 FROM Stock) "
                                      "ORDER BY Stock_ID LIMIT 1"));
    if (!q.next())
        throw std::runtime_error("the database holds no stock");
    return q.text(QStringLiteral("Stock_Code"));
}

} // namespace

void addFindCases(Bench& bench, Context& context) {
    store::Database& db = context.db();
    const QString code = middleStockCode(db);
    // The search as each keystroke of the code leaves it: the first
    // letters match nearly everything, the whole code one item.
    for (int length = 1; length <= code.size(); ++length) {
        const QString typed = code.left(length);
        Case c;
        c.name = QStringLiteral("find, %1 typed (\"%2\")").arg(length).arg(typed);
        // The whole search, every slice of it, as the user waits for the
        // last line.
        c.run = [&context, typed] {
            auto* panel = context.window().findPanel();
            panel->findChild<QLineEdit*>(QStringLiteral("txtFind"))->setText(typed);
            panel->findNow();
            panel->finishSearch();
        };
        c.rows = [&context] {
            return context.window()
                .findPanel()
                ->findChild<QTreeWidget*>(QStringLiteral("lstFind"))
                ->topLevelItemCount();
        };
        // The same walk in one statement, unsliced: the rows shown and those
        // counted (the program's own statements depend on where each slice
        // ends).
        c.raw = [&db, typed] {
            stepThrough(db, Statements{{QStringLiteral("SELECT Kind, Item_ID FROM FindText "
                                                       "WHERE Folded LIKE ? ESCAPE '!' "
                                                       "ORDER BY Kind, Folded, Item_ID LIMIT ?"),
                                        {store::findPattern(typed),
                                         find::ShownLimit + find::MoreCounted + 1}}});
        };
        bench.add(c);
    }

    // The longest the window waits on a search: one slice of the walk a
    // rare text needs (the runs walk on from one another's end).
    auto search = std::make_shared<std::unique_ptr<find::FindSearch>>();
    Case slice;
    slice.name = QStringLiteral("find, one slice of a whole walk (\"%1\")").arg(code);
    slice.before = [&db, code, search] {
        if (!*search || (*search)->done())
            *search = std::make_unique<find::FindSearch>(db, code);
    };
    slice.run = [search] {
        (*search)->step();
    };
    slice.rows = [] {
        return find::SliceRows;
    };
    bench.add(slice);
}

} // namespace bench
