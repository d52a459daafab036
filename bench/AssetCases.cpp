#include "Cases.h"
#include "Context.h"

#include "assets/AssetRecords.h"
#include "assets/clsLicences.h"
#include "assets/clsStock.h"
#include "assets/ui/frmLicenceMaint.h"
#include "assets/ui/frmStockMaint.h"
#include "common/DialogMode.h"
#include "common/Session.h"
#include "shell/ui/frmVemora.h"
#include "store/Database.h"
#include "store/StoreConstants.h"

#include <memory>
#include <stdexcept>

namespace bench {

namespace {

struct Item {
    int id = 0; // the stock item or licence
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

// The first live licence in a location under "Available Licences".
Item liveLicence(store::Database& db) {
    store::Query q(db, QStringLiteral("SELECT c.Licence_ID, c.Prod_ID, c.Loc_ID, c.Licence_Name, "
                                      "l.Loc_Desc "
                                      "FROM Licences c JOIN Locations l ON l.Loc_ID = c.Loc_ID "
                                      "WHERE l.Loc_Top = ? ORDER BY c.Licence_ID LIMIT 1"));
    q.bindAll(store::loc::AvailableLicences);
    if (!q.next())
        throw std::runtime_error("the database holds no live licence");
    return {static_cast<int>(q.integer(QStringLiteral("Licence_ID"))),
            static_cast<int>(q.integer(QStringLiteral("Prod_ID"))),
            static_cast<int>(q.integer(QStringLiteral("Loc_ID"))),
            q.text(QStringLiteral("Licence_Name")), q.text(QStringLiteral("Loc_Desc"))};
}

// An item dialog opened in Modify mode on the item that onItem points it at.
template <typename Dialog, typename OnItem>
Case dialogOpened(Context& context, const QString& name, OnItem onItem) {
    Case c;
    c.name = name;
    c.run = [&context, onItem] {
        Dialog dialog(context.session(), &context.window());
        dialog.Mode = common::mode::Modify;
        onItem(dialog);
        dialog.Form_Load();
    };
    c.rows = [] {
        return 1;
    };
    return c;
}

} // namespace

void addAssetCases(Bench& bench, Context& context) {
    const Item item = liveItem(context.db());

    bench.add(dialogOpened<assets::frmStockMaint>(context,
                                                  QStringLiteral("stock dialog opened on an item"),
                                                  [item](assets::frmStockMaint& dialog) {
                                                      dialog.ProdID = item.prodId;
                                                      dialog.StockID = item.id;
                                                  }));

    // The licence dialog likewise, on a live licence.
    const Item openedLicence = liveLicence(context.db());
    bench.add(dialogOpened<assets::frmLicenceMaint>(
        context, QStringLiteral("licence dialog opened on a licence"),
        [openedLicence](assets::frmLicenceMaint& dialog) {
            dialog.ProdID = openedLicence.prodId;
            dialog.LicID = openedLicence.id;
        }));

    // The dialogs' product list alone: every product in the list's order.
    Case products;
    products.name = QStringLiteral("item dialogs' product list read");
    products.run = [&context] {
        if (assets::productChoices(context.db()).empty())
            throw std::runtime_error("no products");
    };
    products.rows = [&context] {
        return static_cast<int>(assets::productChoices(context.db()).size());
    };
    products.connection = &context.db();
    products.statements = [] {
        return Statements{{QStringLiteral("SELECT Prod_ID, Prod_Desc FROM Products ORDER BY "
                                          "Prod_Desc COLLATE UNICASE, Prod_ID"),
                           {}}};
    };
    bench.add(products);

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
        if (!context.session().logic<assets::clsStock>().ModifyStock(item.id, fields).stockId)
            throw std::runtime_error("the item was not stored");
    };
    store.rows = [] {
        return 1;
    };
    bench.add(store);

    // A new item: the same checks, the row and its first history row. Each
    // run adds one with a code of its own.
    auto added = std::make_shared<int>(0);
    Case add;
    add.name = QStringLiteral("stock item stored (add)");
    add.run = [&context, item, added] {
        assets::StockFields fields;
        fields.prodId = item.prodId;
        fields.code = QStringLiteral("BENCH-ADD-%1").arg(++*added);
        fields.locId = item.locId;
        fields.locDesc = item.locDesc;
        fields.cost = QStringLiteral("12.50");
        if (!context.session().logic<assets::clsStock>().AddStock(fields).stockId)
            throw std::runtime_error("the item was not added");
    };
    add.rows = [] {
        return 1;
    };
    bench.add(add);

    // A licence's cost changed: its checks (unique key among every
    // licence) and the rewrite of the row.
    const Item licence = liveLicence(context.db());
    Case licenceStore;
    licenceStore.name = QStringLiteral("licence stored (modify)");
    licenceStore.run = [&context, licence] {
        assets::LicenceFields fields;
        fields.prodId = licence.prodId;
        fields.key = licence.code;
        fields.locId = licence.locId;
        fields.locDesc = licence.locDesc;
        fields.cost = QStringLiteral("12.50");
        if (!context.session()
                 .logic<assets::clsLicences>()
                 .ModifyLicencedets(licence.id, fields)
                 .licId)
            throw std::runtime_error("the licence was not stored");
    };
    licenceStore.rows = [] {
        return 1;
    };
    bench.add(licenceStore);
}

} // namespace bench
