#include "assets/ui/frmStockMaint.h"

#include "common/Session.h"

#include <QLineEdit>

namespace assets {

frmStockMaint::frmStockMaint(common::Session& session, QWidget* parent)
    : ItemDialog(session, session.logic<clsStock>(),
                 {"frmStockMaint", "framStock", "btnSupplier", "txtSupplier", "DTStock"},
                 common::ErrorForm::Full, parent),
      stock_(session.logic<clsStock>()) {
    setWindowTitle(QStringLiteral("Stock Maintenance"));
    buildFields(QStringLiteral("Code"), {});
    connect(this, &ItemDialog::itemStored, this, &frmStockMaint::stockChanged);
}

void frmStockMaint::showItem(int id) {
    const std::optional<StockDetails> d = stock_.GetStockDets(id);
    if (!d)
        return;
    txtCode->setText(d->code);
    showShared(*d, d->locId);
}

void frmStockMaint::ClearFrom() {
    txtCode->clear();
}

int frmStockMaint::itemId() const {
    return StockID;
}

ItemSave frmStockMaint::storeItem(bool adding) {
    StockFields f;
    readShared(f);
    f.code = txtCode->text();
    const StockSave saved = adding ? stock_.AddStock(f) : stock_.ModifyStock(StockID, f);
    return {saved.stockId, saved.refused, saved.costText, saved.changedMeanwhile};
}

} // namespace assets
