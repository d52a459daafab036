#include "assets/ui/AssetDialogs.h"

#include "assets/clsLicences.h"
#include "assets/clsStock.h"
#include "assets/ui/frmLicenceMaint.h"
#include "assets/ui/frmStockMaint.h"
#include "common/Session.h"
#include "common/ui/Guard.h"

namespace assets {

void openStockDialog(common::Session& session, QWidget* parent, const QString& mode, int prodId,
                     int stockId, const std::function<void()>& changed) {
    frmStockMaint dialog(session, parent);
    dialog.Mode = mode;
    dialog.ProdID = prodId;
    dialog.StockID = stockId;
    if (changed)
        QObject::connect(&dialog, &frmStockMaint::stockChanged, &dialog, changed);
    dialog.exec();
}

void openLicenceDialog(common::Session& session, QWidget* parent, const QString& mode, int prodId,
                       int licId, const std::function<void()>& changed) {
    frmLicenceMaint dialog(session, parent);
    dialog.Mode = mode;
    dialog.ProdID = prodId;
    dialog.LicID = licId;
    if (changed)
        QObject::connect(&dialog, &frmLicenceMaint::licenceChanged, &dialog, changed);
    dialog.exec();
}

void removeStock(common::Session& session, int stockId) {
    common::guarded(session.messages(), [&] { session.logic<clsStock>().DeleteStock(stockId); });
}

void removeLicence(common::Session& session, int licId) {
    common::guarded(session.messages(), [&] { session.logic<clsLicences>().DeleteLicence(licId); });
}

} // namespace assets
