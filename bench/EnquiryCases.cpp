#include "Cases.h"
#include "Context.h"

#include "assets/clsStock.h"
#include "assets/ui/frmStockLicHist.h"
#include "common/Session.h"
#include "common/ui/MainWindow.h"
#include "common/ui/Page.h"
#include "common/ui/ReportList.h"
#include "shell/ui/frmVemora.h"
#include "store/Database.h"
#include "store/History.h"
#include "store/StoreConstants.h"

#include <QDateTime>

#include <memory>
#include <stdexcept>

namespace bench {

namespace {

int busiestProduct(store::Database& db) {
    store::Query q(db, QStringLiteral("SELECT Prod_ID, count(*) AS n FROM Licences "
                                      "GROUP BY Prod_ID ORDER BY n DESC, Prod_ID LIMIT 1"));
    if (!q.next())
        throw std::runtime_error("the database holds no licences");
    return static_cast<int>(q.integer(QStringLiteral("Prod_ID")));
}

// A stock item given a long history: 1,000 moves.
int muchMovedItem(store::Database& db) {
    store::Query q(db, QStringLiteral("SELECT min(Stock_ID) AS id FROM Stock"));
    if (!q.next() || q.isNull(QStringLiteral("id")))
        throw std::runtime_error("the database holds no stock");
    const int item = static_cast<int>(q.integer(QStringLiteral("id")));
    store::Transaction tx(db);
    const QDateTime start(QDate(2020, 1, 1), QTime(8, 0));
    for (int i = 0; i < 1000; ++i)
        store::writeHistory(db, item, store::HistoryStock, QStringLiteral("Bench move %1").arg(i),
                            start.addSecs(3600LL * i));
    tx.commit();
    return item;
}

} // namespace

void addEnquiryCases(Bench& bench, Context& context) {
    store::Database& db = context.db();
    const int product = busiestProduct(db);
    const int item = muchMovedItem(db);

    Case list;
    list.name = QStringLiteral("page 1 list, busiest product");
    list.run = [&context, product] {
        auto* lv = context.window()
                       .page(common::EnquireByProducts)
                       ->findChild<common::ReportList*>(QStringLiteral("lvEnqProd"));
        lv->setRows(context.session().logic<assets::clsStock>().FillStockListUsingProduct(product));
    };
    list.rows = [&context] {
        return context.window()
            .page(common::EnquireByProducts)
            ->findChild<common::ReportList*>(QStringLiteral("lvEnqProd"))
            ->topLevelItemCount();
    };
    list.connection = &db;
    list.statements = [product] {
        return productListStatements(product);
    };
    bench.add(list);

    Case history;
    history.name = QStringLiteral("history dialog, item with 1,000 moves");
    history.run = [&context, item] {
        assets::frmStockLicHist dialog(context.session(), item, store::HistoryStock,
                                       &context.window());
    };
    history.rows = [] {
        return 1000;
    };
    history.connection = &db;
    history.statements = [item] {
        return historyStatements(item);
    };
    bench.add(history);
}

} // namespace bench
