#include "catalogue/ui/ProductMenu.h"

#include "catalogue/clsProducts.h"
#include "catalogue/ui/frmProductMaint.h"
#include "catalogue/ui/pgProductUtilities.h"
#include "common/DialogMode.h"
#include "common/Session.h"
#include "common/ui/Guard.h"
#include "common/ui/MainWindow.h"

namespace catalogue {

namespace {

ProductDialogWiring& wiring() {
    static ProductDialogWiring instance;
    return instance;
}

} // namespace

void setProductDialogWiring(ProductDialogWiring wiring) {
    catalogue::wiring() = std::move(wiring);
}

void showProductDialog(common::MainWindow& main, const QString& mode, int prodId, QWidget* parent) {
    frmProductMaint dialog(main.session(), parent);
    dialog.Mode = mode;
    dialog.ProdID = prodId;
    if (auto* window = dynamic_cast<QObject*>(&main))
        if (auto* page = window->findChild<pgProductUtilities*>())
            dialog.PageCatID = page->shownCategoryId();
    if (wiring())
        wiring()(dialog, main);
    dialog.exec();
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
