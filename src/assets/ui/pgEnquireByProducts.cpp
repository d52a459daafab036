#include "assets/ui/pgEnquireByProducts.h"

#include "common/ui/MainWindow.h"
#include "common/ui/ReportList.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>

namespace assets {

pgEnquireByProducts::pgEnquireByProducts(common::MainWindow& main) : main_(main) {
    setObjectName(QStringLiteral("pgEnquireByProducts"));
    auto* grid = new QGridLayout(this);
    cboEnqCats = new QComboBox(this);
    cboEnqCats->setObjectName(QStringLiteral("cboEnqCats"));
    cboEnqProds = new QComboBox(this);
    cboEnqProds->setObjectName(QStringLiteral("cboEnqProds"));
    lvEnqProd = new common::ReportList({QStringLiteral("Location"), QStringLiteral("Supplier"),
                                        QStringLiteral("Stock / Licence ")},
                                       this);
    lvEnqProd->setObjectName(QStringLiteral("lvEnqProd"));
    lblLicExceed = new QLabel(QStringLiteral("LICENCES EXCEEDED !!"), this);
    lblLicExceed->setObjectName(QStringLiteral("lblLicExceed"));
    lblLicExceed->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
    lblLicExceed->setVisible(false);

    grid->addWidget(new QLabel(QStringLiteral("Category"), this), 0, 0);
    grid->addWidget(cboEnqCats, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Product"), this), 1, 0);
    grid->addWidget(cboEnqProds, 1, 1);
    grid->addWidget(lblLicExceed, 1, 2);
    grid->addWidget(lvEnqProd, 2, 0, 1, 3);
    grid->setColumnStretch(2, 1);
}

void pgEnquireByProducts::rebuild() {
    lvEnqProd->clearRows();
}

QWidgetList pgEnquireByProducts::tabOrder() const {
    return {cboEnqCats, cboEnqProds, lvEnqProd};
}

QString pgEnquireByProducts::hint() const {
    return QStringLiteral(
        "Select a category and a product to show locations, right click for history");
}

} // namespace assets
