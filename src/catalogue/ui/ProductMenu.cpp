#include "catalogue/ui/ProductMenu.h"

#include "catalogue/clsProducts.h"
#include "catalogue/ui/frmProductMaint.h"
#include "common/DialogMode.h"
#include "common/Session.h"
#include "common/ui/Guard.h"
#include "common/ui/MainWindow.h"
#include "common/ui/RowMenu.h"

namespace catalogue {

void showProductDialog(common::MainWindow& main, const QString& mode, int prodId, QWidget* parent,
                       std::optional<int> categoryId) {
    frmProductMaint dialog(main.session(), parent);
    dialog.Mode = mode;
    dialog.ProdID = prodId;
    dialog.PageCatID = categoryId;
    main.connectDialog(dialog);
    dialog.exec();
}

ProductMenuItem productMenuItemFor(common::RowKey key) {
    switch (key) {
    case common::RowKey::Add:
        return AddProduct;
    case common::RowKey::Modify:
        return ModifyProduct;
    case common::RowKey::Remove:
        return DeleteProduct;
    }
    return ViewProduct;
}

void mnuProd_Click(common::MainWindow& main, int index, QWidget* parent,
                   std::optional<int> categoryId) {
    switch (index) {
    case AddProduct:
        showProductDialog(main, common::mode::Add, 0, parent, categoryId);
        break;
    case ModifyProduct:
        showProductDialog(main, common::mode::Modify, main.selectedProdId(), parent, categoryId);
        break;
    case ViewProduct:
        showProductDialog(main, common::mode::View, main.selectedProdId(), parent, categoryId);
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
