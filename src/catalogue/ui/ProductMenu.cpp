#include "catalogue/ui/ProductMenu.h"

#include "catalogue/clsProducts.h"
#include "common/DialogMode.h"
#include "common/Session.h"
#include "common/ui/Guard.h"
#include "common/ui/MainWindow.h"

namespace catalogue {

void showProductDialog(common::MainWindow&, const QString&, int, QWidget*) {
    // frmProductMaint comes with the supplier records; see the header.
}

void mnuProd_Click(common::MainWindow& main, int index, QWidget* parent) {
    switch (index) {
    case AddProduct:
        showProductDialog(main, common::mode::Add, 0, parent);
        break;
    case ModifyProduct:
        showProductDialog(main, common::mode::Modify, main.selectedProdId(), parent);
        break;
    case ViewProduct:
        showProductDialog(main, common::mode::View, main.selectedProdId(), parent);
        break;
    case DeleteProduct:
        common::guarded(main.session().messages(), [&] {
            main.session().logic<catalogue::clsProducts>().DeleteProduct(main.selectedProdId());
        });
        break;
    default:
        break;
    }
}

} // namespace catalogue
