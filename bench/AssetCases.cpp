#include "Cases.h"
#include "Context.h"

#include "assets/clsStock.h"
#include "assets/ui/frmStockMaint.h"
#include "common/DialogMode.h"
#include "common/Session.h"
#include "shell/ui/frmVemora.h"
#include "store/Database.h"
#include "store/StoreConstants.h"

#include <stdexcept>

namespace bench {

namespace {

struct Item {
    int stockId = 0;
    int prodId = 0;
    int locId = 0;
    QString code;
    QString locDesc;
};

// The first live stock item under "Available Locations".
Item liveItem(store::Database& db) {
    store::Query q(db, QStringLiteral("SELECT s.Stock_ID, s.Prod_ID, s.Loc_ID, s.Stock_Code, "
                                      "l.Loc_Desc "
                                      "FROM Stock s JOIN Locations l ON l.Loc_ID = s.Loc_ID "
                                      "WHERE l.Loc_Top = ? ORDER BY s.Stock_ID LIMIT 1"));
    q.bindAll(store::loc::AvailableLocations);
    if (!q.next())
        throw std::runtime_error("the database holds no live stock");
    return {static_cast<int>(q.integer(QStringLiteral("Stock_ID"))),
            static_cast<int>(q.integer(QStringLiteral("Prod_ID"))),
            static_cast<int>(q.integer(QStringLiteral("Loc_ID"))),
            q.text(QStringLiteral("Stock_Code")), q.text(QStringLiteral("Loc_Desc"))};
}

} // namespace

void addAssetCases(Bench& bench, Context& context) {
    const Item item = liveItem(context.db());

    Case open;
    open.name = QStringLiteral("stock dialog opened on an item");
    open.run = [&context, item] {
        assets::frmStockMaint dialog(context.session(), &context.window());
        dialog.Mode = common::mode::Modify;
        dialog.ProdID = item.prodId;
        dialog.StockID = item.stockId;
        dialog.Form_Load();
    };
    open.rows = [] {
        return 1;
    };
    bench.add(open);

    // A change of cost: the checks (unique code among every item) and the
    // rewrite of the row.
    Case store;
    store.name = QStringLiteral("stock item stored (modify)");
    store.run = [&context, item] {
        assets::StockFields fields;
        fields.prodId = item.prodId;
        fields.code = item.code;
        fields.locId = item.locId;
        fields.locDesc = item.locDesc;
        fields.cost = QStringLiteral("12.50");
        if (!context.session().logic<assets::clsStock>().ModifyStock(item.stockId, fields).stockId)
            throw std::runtime_error("the item was not stored");
    };
    store.rows = [] {
        return 1;
    };
    bench.add(store);
}

} // namespace bench
