#include "assets/ui/AssetDialogs.h"

#include "assets/clsLicences.h"
#include "assets/clsStock.h"
#include "assets/ui/frmLicenceMaint.h"
#include "assets/ui/frmStockMaint.h"
#include "common/Session.h"
#include "common/ui/Guard.h"

namespace assets {

namespace {

// Sets what the opener sets on either dialog and shows it.
void run(ItemDialog& dialog, const QString& mode, int prodId,
         const std::function<void()>& changed) {
    dialog.Mode = mode;
    dialog.ProdID = prodId;
    if (changed)
        QObject::connect(&dialog, &ItemDialog::itemStored, &dialog, changed);
    dialog.exec();
}

} // namespace

void openStockDialog(common::Session& session, QWidget* parent, const QString& mode, int prodId,
                     int stockId, const std::function<void()>& changed) {
    frmStockMaint dialog(session, parent);
    dialog.StockID = stockId;
    run(dialog, mode, prodId, changed);
}

void openLicenceDialog(common::Session& session, QWidget* parent, const QString& mode, int prodId,
                       int licId, const std::function<void()>& changed) {
    frmLicenceMaint dialog(session, parent);
    dialog.LicID = licId;
    run(dialog, mode, prodId, changed);
}

void removeStock(common::Session& session, int stockId) {
    common::guarded(session.messages(), [&] { session.logic<clsStock>().DeleteStock(stockId); });
}

void removeLicence(common::Session& session, int licId) {
    common::guarded(session.messages(), [&] { session.logic<clsLicences>().DeleteLicence(licId); });
}

} // namespace assets
