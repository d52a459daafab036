#include "catalogue/ui/pgProductUtilities.h"

#include "catalogue/clsCategories.h"
#include "catalogue/clsProducts.h"
#include "catalogue/ui/ProductMenu.h"
#include "common/DialogMode.h"
#include "common/Session.h"
#include "common/ui/Guard.h"
#include "common/ui/ReportList.h"
#include "common/ui/RowMenu.h"

#include <QAction>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QStackedWidget>

#include <algorithm>

namespace catalogue {

pgProductUtilities::pgProductUtilities(common::MainWindow& main) : main_(main) {
    setObjectName(QStringLiteral("pgProductUtilities"));
    auto* grid = new QGridLayout(this);
    cboCategories = new QComboBox(this);
    cboCategories->setObjectName(QStringLiteral("cboCategories"));
    cboCategories->setMinimumContentsLength(30);
    lvProdList = new common::ReportList(
        {QStringLiteral("Code"), QStringLiteral("Description"),
         QStringLiteral("No. of Stock Items"), QStringLiteral("No. of Licences"),
         QStringLiteral("No. of Temp Licences"), QStringLiteral("Owned"), QStringLiteral("In use")},
        this);
    lvProdList->setObjectName(QStringLiteral("lvProdList"));
    for (int column : {2, 3, 4, 5, 6})
        lvProdList->setColumnKind(column, common::ReportList::ColumnKind::Number);
    grid->addWidget(new QLabel(QStringLiteral("Select Category"), this), 0, 0);
    grid->addWidget(cboCategories, 0, 1);
    grid->addWidget(lvProdList, 1, 0, 1, 3);
    grid->setColumnStretch(2, 1);

    // Emptying the chooser reports an index of -1: that is no choice.
    connect(cboCategories, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            common::guarded(main_.session().messages(), [this] { FillListViewWithProds(); });
    });
    connect(lvProdList, &common::ReportList::mousePressed, this,
            &pgProductUtilities::lvProdList_MouseDown);
    connect(lvProdList, &QTreeWidget::itemDoubleClicked, this,
            &pgProductUtilities::lvProdList_DblClick);
    auto* keys = new common::RowMenu(lvProdList);
    connect(keys, &common::RowMenu::menuRequested, this,
            [this](const QPoint& pos) { lvProdList_MouseDown(Qt::RightButton, pos); });
    connect(keys, &common::RowMenu::keyPressed, this, [this](common::RowKey key) {
        lvProdList_MouseDown(Qt::NoButton, QPoint());
        common::chooseEnabled(main_.menuItem(ProductMenuArray, productMenuItemFor(key)), *this);
    });
}

void pgProductUtilities::rebuild() {
    FillComboWithCats();
}

void pgProductUtilities::refill() {
    const int catId = cboCategories->currentIndex() < 0 ? 0 : cboCategories->currentData().toInt();
    const QStringList selected = lvProdList->selectedKeys();
    const QString current = lvProdList->currentKey();
    if (!fillCategories(catId))
        return;
    FillListViewWithProds();
    lvProdList->selectKeys(selected, current);
}

QWidgetList pgProductUtilities::tabOrder() const {
    return {cboCategories, lvProdList};
}

QString pgProductUtilities::helpTopic() const {
    return QStringLiteral("catalogue.html");
}

QString pgProductUtilities::hint() const {
    return QStringLiteral("Shows all products for the selected category together with numbers of "
                          "Stock, Licences and Temporary Licences");
}

bool pgProductUtilities::isShowing() const {
    const auto* stack = qobject_cast<const QStackedWidget*>(parentWidget());
    return stack && stack->currentWidget() == this;
}

void pgProductUtilities::FillComboWithCats() {
    if (fillCategories(0))
        FillListViewWithProds();
}

bool pgProductUtilities::fillCategories(int catId) {
    const Choices categories =
        main_.session().logic<catalogue::clsCategories>().FillComboWithCats();
    {
        const QSignalBlocker blocker(cboCategories);
        cboCategories->clear();
        for (const Choice& c : categories)
            cboCategories->addItem(c.text, c.id);
        cboCategories->setCurrentIndex(
            categories.empty() ? -1 : std::max(cboCategories->findData(catId), 0));
    }
    if (categories.empty())
        lvProdList->clearRows();
    return !categories.empty();
}

void pgProductUtilities::FillListViewWithProds() {
    if (!isShowing() || cboCategories->currentIndex() < 0)
        return;
    const auto rows = main_.session().logic<catalogue::clsProducts>().FillListViewWithProds(
        cboCategories->currentData().toInt(), cboCategories->currentText());
    if (rows)
        lvProdList->setRows(*rows);
}

void pgProductUtilities::chooseCategory(int catId) {
    const int index = cboCategories->findData(catId);
    if (index >= 0)
        cboCategories->setCurrentIndex(index);
}

bool pgProductUtilities::showProduct(int catId, int prodId) {
    chooseCategory(catId);
    QTreeWidgetItem* row = lvProdList->findKey(QStringLiteral("P") + QString::number(prodId));
    if (!row)
        return false;
    lvProdList->clearSelection();
    lvProdList->setCurrentItem(row);
    row->setSelected(true);
    lvProdList->scrollToItem(row);
    lvProdList->setFocus();
    main_.setSelectedProdId(prodId);
    return true;
}

std::optional<int> pgProductUtilities::shownCategoryId() const {
    if (!isShowing() || cboCategories->currentIndex() < 0)
        return std::nullopt;
    return cboCategories->currentData().toInt();
}

void pgProductUtilities::lvProdList_MouseDown(Qt::MouseButton button, const QPoint& globalPos) {
    if (button == Qt::RightButton && cboCategories->count() == 0) {
        for (int i = AddProduct; i <= DeleteProduct; ++i)
            main_.menuItem(ProductMenuArray, i)->setEnabled(false);
    } else {
        const QString key = lvProdList->selectedKey();
        if (!key.isEmpty())
            main_.setSelectedProdId(common::idOfKey(key));
        main_.menuItem(ProductMenuArray, AddProduct)->setEnabled(true);
        for (int i = ModifyProduct; i <= DeleteProduct; ++i)
            main_.menuItem(ProductMenuArray, i)->setEnabled(!key.isEmpty());
    }
    if (button == Qt::RightButton)
        main_.popUpMenu(common::SharedMenu::Products, globalPos, this);
}

void pgProductUtilities::lvProdList_DblClick() {
    const QString key = lvProdList->selectedKey();
    if (key.isEmpty())
        return;
    main_.setSelectedProdId(common::idOfKey(key));
    showProductDialog(main_, common::mode::View, main_.selectedProdId(), window(),
                      shownCategoryId());
    emit productsActed();
}

void pgProductUtilities::menuChosen(const QString& array, int index) {
    if (array != ProductMenuArray)
        return;
    mnuProd_Click(main_, index, window(), shownCategoryId());
    common::guarded(main_.session().messages(), [this] { FillListViewWithProds(); });
    emit productsActed();
}

} // namespace catalogue
