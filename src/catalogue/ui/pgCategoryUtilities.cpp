#include "catalogue/ui/pgCategoryUtilities.h"

#include "common/ui/MainWindow.h"
#include "common/ui/ReportList.h"

#include <QVBoxLayout>

namespace catalogue {

pgCategoryUtilities::pgCategoryUtilities(common::MainWindow& main) : main_(main) {
    setObjectName(QStringLiteral("pgCategoryUtilities"));
    auto* layout = new QVBoxLayout(this);
    lvCategories = new common::ReportList(
        {QStringLiteral("Category Description"), QStringLiteral("No. of Products"),
         QStringLiteral("No. of Stock Items"), QStringLiteral("No. of Licences")},
        this);
    lvCategories->setObjectName(QStringLiteral("lvCategories"));
    layout->addWidget(lvCategories);
}

void pgCategoryUtilities::rebuild() {
    lvCategories->clearRows();
}

QWidgetList pgCategoryUtilities::tabOrder() const {
    return {lvCategories};
}

QString pgCategoryUtilities::hint() const {
    return QStringLiteral(
        "Shows all categories together with numbers of Products, Stock and Licences");
}

} // namespace catalogue
