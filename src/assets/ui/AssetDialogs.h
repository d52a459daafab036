#pragma once

// Opening the stock and licence dialogs and removing items, the same way
// from every window that offers them (the product dialog, the product
// enquiry page).

#include <QString>

#include <functional>

class QWidget;

namespace common {
class Session;
}

namespace assets {

// Shows frmStockMaint modally for a mode, product and item; changed runs
// after each store the dialog makes.
void openStockDialog(common::Session& session, QWidget* parent, const QString& mode, int prodId,
                     int stockId, const std::function<void()>& changed = {});
// Shows frmLicenceMaint modally likewise.
void openLicenceDialog(common::Session& session, QWidget* parent, const QString& mode, int prodId,
                       int licId, const std::function<void()>& changed = {});
// Parks or deletes an item after its question (DeleteStock / DeleteLicence).
void removeStock(common::Session& session, int stockId);
void removeLicence(common::Session& session, int licId);

} // namespace assets
