#pragma once

#include "assets/clsStock.h"
#include "assets/ui/ItemDialog.h"

namespace common {
class Session;
}

namespace assets {

// "Stock Maintenance": adds stock items of a product (staying open for the
// next one), changes one, or shows one read-only. The database work is
// clsStock's; the dialog reports each item stored through stockChanged, so
// that whoever shows the product's stock refills it.
//
// As in every stock dialog of the program, btnSupplier picks the location
// and btnGetsupp the supplier.
class frmStockMaint : public ItemDialog {
    Q_OBJECT
public:
    explicit frmStockMaint(common::Session& session, QWidget* parent = nullptr);

    // Set by the opener, with Mode and ProdID, every time before the dialog
    // is shown.
    int StockID = 0; // the item to change or view; 0 when adding

    // Empties the code box for the next item.
    void ClearFrom();

signals:
    // An item was added or changed.
    void stockChanged();

private:
    int itemId() const override;
    void showItem(int id) override;
    ItemSave storeItem(bool adding) override;

    clsStock& stock_;
};

} // namespace assets
