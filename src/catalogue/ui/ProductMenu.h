#pragma once

// The Products menu (mnuProducts, items mnuProd 0-3), which serves the
// product page and the two lists of the location contents page. Each page
// pops the menu up itself, receives the choice, calls mnuProd_Click and
// then refills what it shows.

#include <QString>

class QWidget;

namespace common {
class MainWindow;
}

namespace catalogue {

inline const QString ProductMenuArray = QStringLiteral("mnuProd");
enum ProductMenuItem { AddProduct = 0, ModifyProduct = 1, ViewProduct = 2, DeleteProduct = 3 };

// Opens the product dialog modally in mode "ADD", "MODIFY" or "VIEW" for
// the product prodId (0 for a new one) and returns when it has closed.
//
// The dialog preselects the category of the product page when that page is
// showing. This is the one place that opens frmProductMaint: the stock and
// licence dialogs (Parts 6.1, 6.2) connect to its request signals here.
void showProductDialog(common::MainWindow& main, const QString& mode, int prodId, QWidget* parent);

// Carries out one item of the Products menu on the main window's
// SelectedProdID.
void mnuProd_Click(common::MainWindow& main, int index, QWidget* parent);

} // namespace catalogue
