#pragma once

#include "catalogue/clsProducts.h"
#include "common/ui/MainWindow.h"
#include "common/ui/Page.h"

#include <optional>

class QComboBox;
class QLabel;

namespace common {
class ReportList;
enum class RowKey;
} // namespace common

namespace assets {

// Page "Enquire by &Products": where every stock item and licence of a
// chosen product is. Its context menu maintains them and shows an item's
// history. Categories and products are chosen by id (the combos' item data).
class pgEnquireByProducts : public common::Page, public common::MenuClient {
    Q_OBJECT
public:
    explicit pgEnquireByProducts(common::MainWindow& main);

    // Empties the list, then the chain: categories, the first category's
    // products, the first product's items.
    void rebuild() override;
    // Refills the chain keeping the chosen category and product where they
    // still exist (else the first), and the selected rows.
    void refill() override;
    QWidgetList tabOrder() const override;
    QString hint() const override;
    QString helpTopic() const override;

    void cboEnqCats_Click();
    void cboEnqProds_Click();
    // Refills the list for the chosen product (nothing without one).
    void FillStockListUsingProduct();
    // A mouse button pressed over the list; the right one sets the menu's
    // states from the selected row and pops it up.
    void lvEnqProd_MouseDown(Qt::MouseButton button, const QPoint& globalPos);
    // Insert, F2 (or Enter) and Delete: the Stock menu's item for the key,
    // or the Licences menu's on a licence row, when it is enabled.
    void lvEnqProd_Key(common::RowKey key);
    void menuChosen(const QString& array, int index) override;

    // The product chosen, 0 for none.
    int chosenProdId() const;

private:
    void setMenuStates();
    // The licences in use against those owned (no value: no product).
    void showLicenceUse(const std::optional<catalogue::LicenceUse>& use);

    common::MainWindow& main_;
    QComboBox* cboEnqCats = nullptr;
    QComboBox* cboEnqProds = nullptr;
    common::ReportList* lvEnqProd = nullptr;
    QLabel* lblLicExceed = nullptr;
    QLabel* lblLicInUse = nullptr;
};

} // namespace assets
