#include "Cases.h"
#include "Context.h"

#include "find/clsFind.h"
#include "shell/ui/FindPanel.h"
#include "shell/ui/frmVemora.h"
#include "store/Database.h"
#include "store/FindText.h"

#include <QLineEdit>
#include <QTreeWidget>

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
        c.run = [&context, typed] {
            auto* panel = context.window().findPanel();
            panel->findChild<QLineEdit*>(QStringLiteral("txtFind"))->setText(typed);
            panel->findNow();
        };
        c.rows = [&context] {
            return context.window()
                .findPanel()
                ->findChild<QTreeWidget*>(QStringLiteral("lstFind"))
                ->topLevelItemCount();
        };
        c.connection = &db;
        c.statements = [typed] {
            return Statements{{QStringLiteral("SELECT Kind, Item_ID FROM FindText "
                                              "WHERE Folded LIKE ? ESCAPE '!' "
                                              "ORDER BY Kind, Folded, Item_ID LIMIT ?"),
                               {store::findPattern(typed), find::ShownLimit + 1}}};
        };
        bench.add(c);
    }
}

} // namespace bench
