#include "catalogue/ui/pgProductUtilities.h"

#include "common/ui/MainWindow.h"
#include "common/ui/ReportList.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>

namespace catalogue {

pgProductUtilities::pgProductUtilities(common::MainWindow& main) : main_(main) {
    setObjectName(QStringLiteral("pgProductUtilities"));
    auto* grid = new QGridLayout(this);
    cboCategories = new QComboBox(this);
    cboCategories->setObjectName(QStringLiteral("cboCategories"));
    lvProdList = new common::ReportList({QStringLiteral("Code"), QStringLiteral("Description"),
                                         QStringLiteral("No. of Stock Items"),
                                         QStringLiteral("No. of Licences"),
                                         QStringLiteral("No. of Temp Licences")},
                                        this);
    lvProdList->setObjectName(QStringLiteral("lvProdList"));
    grid->addWidget(new QLabel(QStringLiteral("Select Category"), this), 0, 0);
    grid->addWidget(cboCategories, 0, 1);
    grid->addWidget(lvProdList, 1, 0, 1, 3);
    grid->setColumnStretch(2, 1);
}

void pgProductUtilities::rebuild() {
    lvProdList->clearRows();
}

QWidgetList pgProductUtilities::tabOrder() const {
    return {cboCategories, lvProdList};
}

QString pgProductUtilities::hint() const {
    return QStringLiteral("Shows all products for the selected category together with numbers of "
                          "Stock, Licences and Temporary Licences");
}

} // namespace catalogue
