#pragma once

// The Products menu (mnuProducts, items mnuProd 0-3), which serves the
// product page and the two lists of the location contents page. Each page
// pops the menu up itself, receives the choice, calls mnuProd_Click and
// then refills what it shows.

#include <QString>

#include <optional>

class QWidget;

namespace common {
class MainWindow;
enum class RowKey;
} // namespace common

namespace catalogue {

class frmProductMaint;

inline const QString ProductMenuArray = QStringLiteral("mnuProd");
enum ProductMenuItem { AddProduct = 0, ModifyProduct = 1, ViewProduct = 2, DeleteProduct = 3 };
// The item that Insert, F2 (or Enter) and Delete reach on a product list.
ProductMenuItem productMenuItemFor(common::RowKey key);

// Opens the product dialog modally in mode "ADD", "MODIFY" or "VIEW" for
// the product prodId (0 for a new one) and returns when it has closed.
//
// A new product's category starts as categoryId when given (the product
// page's category). This is the one place that opens frmProductMaint; the
// main window connects its stock and licence requests
// (MainWindow::connectDialog) before it is shown.
void showProductDialog(common::MainWindow& main, const QString& mode, int prodId, QWidget* parent,
                       std::optional<int> categoryId = std::nullopt);

// Carries out one item of the Products menu on the main window's
// SelectedProdID; categoryId as for showProductDialog.
void mnuProd_Click(common::MainWindow& main, int index, QWidget* parent,
                   std::optional<int> categoryId = std::nullopt);

} // namespace catalogue
