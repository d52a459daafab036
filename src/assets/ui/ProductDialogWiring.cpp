#include "assets/ui/ProductDialogWiring.h"

#include "assets/clsLicences.h"
#include "assets/clsStock.h"
#include "assets/ui/frmLicenceMaint.h"
#include "assets/ui/frmStockMaint.h"
#include "catalogue/ui/ProductMenu.h"
#include "catalogue/ui/frmProductMaint.h"
#include "common/Session.h"
#include "common/ui/Guard.h"
#include "common/ui/MainWindow.h"

namespace assets {

void wireProductDialog(catalogue::frmProductMaint& dialog, common::Session& session) {
    using catalogue::frmProductMaint;
    QObject::connect(&dialog, &frmProductMaint::stockDialogRequested, &dialog,
                     [&dialog, &session](const QString& mode, int prodId, int stockId) {
                         frmStockMaint stock(session, &dialog);
                         stock.Mode = mode;
                         stock.ProdID = prodId;
                         stock.StockID = stockId;
                         QObject::connect(&stock, &frmStockMaint::stockChanged, &dialog,
                                          &frmProductMaint::FillStockListView);
                         stock.exec();
                     });
    QObject::connect(&dialog, &frmProductMaint::licenceDialogRequested, &dialog,
                     [&dialog, &session](const QString& mode, int prodId, int licId) {
                         frmLicenceMaint licence(session, &dialog);
                         licence.Mode = mode;
                         licence.ProdID = prodId;
                         licence.LicID = licId;
                         QObject::connect(&licence, &frmLicenceMaint::licenceChanged, &dialog,
                                          &frmProductMaint::FillLicenceListView);
                         licence.exec();
                     });
    // The product dialog refills its list once these return.
    QObject::connect(
        &dialog, &frmProductMaint::stockDeleteRequested, &dialog, [&session](int stockId) {
            common::guarded(session.messages(),
                            [&] { session.logic<assets::clsStock>().DeleteStock(stockId); });
        });
    QObject::connect(
        &dialog, &frmProductMaint::licenceDeleteRequested, &dialog, [&session](int licId) {
            common::guarded(session.messages(),
                            [&] { session.logic<assets::clsLicences>().DeleteLicence(licId); });
        });
}

void installProductDialogWiring() {
    catalogue::setProductDialogWiring(
        [](catalogue::frmProductMaint& dialog, common::MainWindow& main) {
            wireProductDialog(dialog, main.session());
        });
}

} // namespace assets
