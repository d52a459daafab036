#include "assets/ui/frmStockLicHist.h"

#include "assets/clsStockLicenceHist.h"
#include "common/Session.h"
#include "common/ui/Guard.h"
#include "common/ui/ReportList.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace assets {

frmStockLicHist::frmStockLicHist(common::Session& session, int itemId, const QString& itemType,
                                 QWidget* parent)
    : QDialog(parent), logic_(session.logic<clsStockLicenceHist>()), itemId_(itemId),
      itemType_(itemType) {
    setObjectName(QStringLiteral("frmStockLicHist"));
    setWindowTitle(QStringLiteral("Stock & Licence History"));
    setModal(true);

    txtCode = new QLineEdit(this);
    txtCode->setObjectName(QStringLiteral("txtCode"));
    txtCode->setReadOnly(true);
    txtProdDesc = new QLineEdit(this);
    txtProdDesc->setObjectName(QStringLiteral("txtProdDesc"));
    txtProdDesc->setReadOnly(true);
    lvStockLicHist = new common::ReportList(
        {QStringLiteral("Move Date"), QStringLiteral("Location"), QStringLiteral("By")}, this);
    lvStockLicHist->setObjectName(QStringLiteral("lvStockLicHist"));
    // The rows stay in the order they happened.
    lvStockLicHist->header()->setSectionsClickable(false);
    btnClose = new QPushButton(QStringLiteral("&Close"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Stock / Licence Ref"), this), 0, 0);
    grid->addWidget(txtCode, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Product Description"), this), 1, 0);
    grid->addWidget(txtProdDesc, 1, 1);
    grid->addWidget(lvStockLicHist, 2, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnClose);
    grid->addLayout(buttons, 3, 0, 1, 2);
    resize(560, 380);

    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    Form_Load();
}

void frmStockLicHist::Form_Load() {
    txtCode->clear();
    txtProdDesc->clear();
    lvStockLicHist->clearRows();
    const auto item = logic_.GetInitData(itemId_, itemType_);
    if (!item || item->code.trimmed().isEmpty())
        return;
    txtCode->setText(item->code);
    txtProdDesc->setText(item->prodDesc);
    lvStockLicHist->setRows(logic_.FillHistory(itemId_, itemType_));
}

void showHistory(common::Session& session, int itemId, const QString& itemType, QWidget* parent) {
    common::guarded(session.messages(), [&] {
        // Kept as the item last shown.
        auto& logic = session.logic<clsStockLicenceHist>();
        logic.ItemID = itemId;
        logic.ItemType = itemType;
        frmStockLicHist dialog(session, itemId, itemType, parent);
        dialog.exec();
    });
}

} // namespace assets
