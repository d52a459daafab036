#include "assets/ui/ProductDialogWiring.h"

#include "assets/ui/AssetDialogs.h"
#include "catalogue/ui/frmProductMaint.h"
#include "common/Session.h"

namespace assets {

void wireProductDialog(catalogue::frmProductMaint& dialog, common::Session& session) {
    using catalogue::frmProductMaint;
    QObject::connect(&dialog, &frmProductMaint::stockDialogRequested, &dialog,
                     [&dialog, &session](const QString& mode, int prodId, int stockId) {
                         openStockDialog(session, &dialog, mode, prodId, stockId,
                                         [&dialog] { dialog.FillStockListView(); });
                     });
    QObject::connect(&dialog, &frmProductMaint::licenceDialogRequested, &dialog,
                     [&dialog, &session](const QString& mode, int prodId, int licId) {
                         openLicenceDialog(session, &dialog, mode, prodId, licId,
                                           [&dialog] { dialog.FillLicenceListView(); });
                     });
    // The product dialog refills its list once these return.
    QObject::connect(&dialog, &frmProductMaint::stockDeleteRequested, &dialog,
                     [&session](int stockId) { removeStock(session, stockId); });
    QObject::connect(&dialog, &frmProductMaint::licenceDeleteRequested, &dialog,
                     [&session](int licId) { removeLicence(session, licId); });
}

} // namespace assets
