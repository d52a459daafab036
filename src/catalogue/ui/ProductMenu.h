#pragma once

// The Products menu (mnuProducts, items mnuProd 0-3), which serves the
// product page and the two lists of the location contents page. Each page
// pops the menu up itself, receives the choice, calls mnuProd_Click and
// then refills what it shows.

#include <QString>

#include <functional>

class QWidget;

namespace common {
class MainWindow;
}

namespace catalogue {

class frmProductMaint;

inline const QString ProductMenuArray = QStringLiteral("mnuProd");
enum ProductMenuItem { AddProduct = 0, ModifyProduct = 1, ViewProduct = 2, DeleteProduct = 3 };

// Opens the product dialog modally in mode "ADD", "MODIFY" or "VIEW" for
// the product prodId (0 for a new one) and returns when it has closed.
//
// The dialog preselects the category of the product page when that page is
// showing. This is the one place that opens frmProductMaint; the wiring
// set below connects its stock and licence requests before it is shown.
void showProductDialog(common::MainWindow& main, const QString& mode, int prodId, QWidget* parent);

// What answers a product dialog's stock and licence requests (its four
// request signals). The stock and licence dialogs build on the catalogue,
// so the catalogue cannot name them: the program sets this once at start,
// and every product dialog opened afterwards is wired by it. Without it the
// tab buttons ask and nothing answers.
using ProductDialogWiring = std::function<void(frmProductMaint&, common::MainWindow&)>;
void setProductDialogWiring(ProductDialogWiring wiring);

// Carries out one item of the Products menu on the main window's
// SelectedProdID.
void mnuProd_Click(common::MainWindow& main, int index, QWidget* parent);

} // namespace catalogue
