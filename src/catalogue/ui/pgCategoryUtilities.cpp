#include "catalogue/ui/pgCategoryUtilities.h"

#include "catalogue/clsCategories.h"
#include "catalogue/ui/frmCategoryMaint.h"
#include "catalogue/ui/pgProductUtilities.h"
#include "common/DialogMode.h"
#include "common/Messages.h"
#include "common/Session.h"
#include "common/ui/Guard.h"
#include "common/ui/ReportList.h"
#include "common/ui/RowMenu.h"

#include <QAction>
#include <QVBoxLayout>

namespace catalogue {

namespace {
enum MenuItem { MenuAdd = 0, MenuModify = 1, MenuDelete = 2 };
const MenuItem KeyItems[] = {MenuAdd, MenuModify, MenuDelete}; // by common::RowKey
const QString MenuArray = QStringLiteral("mnuCat");
} // namespace

pgCategoryUtilities::pgCategoryUtilities(common::MainWindow& main) : main_(main) {
    setObjectName(QStringLiteral("pgCategoryUtilities"));
    auto* layout = new QVBoxLayout(this);
    lvCategories = new common::ReportList(
        {QStringLiteral("Category Description"), QStringLiteral("No. of Products"),
         QStringLiteral("No. of Stock Items"), QStringLiteral("No. of Licences")},
        this);
    lvCategories->setObjectName(QStringLiteral("lvCategories"));
    for (int column : {1, 2, 3})
        lvCategories->setColumnKind(column, common::ReportList::ColumnKind::Number);
    layout->addWidget(lvCategories);

    connect(lvCategories, &common::ReportList::mousePressed, this,
            &pgCategoryUtilities::lvCategories_MouseDown);
    connect(lvCategories, &QTreeWidget::itemDoubleClicked, this,
            &pgCategoryUtilities::lvCategories_DblClick);
    auto* keys = new common::RowMenu(lvCategories);
    connect(keys, &common::RowMenu::menuRequested, this,
            [this](const QPoint& pos) { lvCategories_MouseDown(Qt::RightButton, pos); });
    connect(keys, &common::RowMenu::keyPressed, this, &pgCategoryUtilities::lvCategories_Key);
}

void pgCategoryUtilities::rebuild() {
    FillListViewWithCats();
}

void pgCategoryUtilities::refill() {
    const QStringList selected = lvCategories->selectedKeys();
    const QString current = lvCategories->currentKey();
    FillListViewWithCats();
    lvCategories->selectKeys(selected, current);
}

QWidgetList pgCategoryUtilities::tabOrder() const {
    return {lvCategories};
}

QString pgCategoryUtilities::helpTopic() const {
    return QStringLiteral("catalogue.html");
}

QString pgCategoryUtilities::hint() const {
    return QStringLiteral(
        "Shows all categories together with numbers of Products, Stock and Licences");
}

void pgCategoryUtilities::FillListViewWithCats() {
    lvCategories->setRows(main_.session().logic<catalogue::clsCategories>().FillListViewWithCats());
}

void pgCategoryUtilities::lvCategories_MouseDown(Qt::MouseButton button, const QPoint& globalPos) {
    const bool rowSelected = !lvCategories->selectedKey().isEmpty();
    main_.menuItem(MenuArray, MenuAdd)->setEnabled(true);
    main_.menuItem(MenuArray, MenuModify)->setEnabled(rowSelected);
    main_.menuItem(MenuArray, MenuDelete)->setEnabled(rowSelected);
    if (button == Qt::RightButton)
        main_.popUpMenu(common::SharedMenu::Categorys, globalPos, this);
}

void pgCategoryUtilities::lvCategories_Key(common::RowKey key) {
    lvCategories_MouseDown(Qt::NoButton, QPoint());
    common::chooseEnabled(main_.menuItem(MenuArray, KeyItems[static_cast<int>(key)]), *this);
}

void pgCategoryUtilities::lvCategories_DblClick() {
    const QString key = lvCategories->selectedKey();
    if (key.isEmpty())
        return;
    main_.showPage(common::ProductUtilities);
    // The category is found by its id: descriptions need not be unique.
    if (auto* products = window()->findChild<pgProductUtilities*>())
        products->chooseCategory(common::idOfKey(key));
}

void pgCategoryUtilities::menuChosen(const QString& array, int index) {
    if (array == MenuArray)
        mnuCat_Click(index);
}

void pgCategoryUtilities::mnuCat_Click(int index) {
    common::Session& session = main_.session();
    const QString key = lvCategories->selectedKey();
    if (index == MenuAdd || index == MenuModify) {
        frmCategoryMaint dialog(session, window());
        if (index == MenuAdd) {
            dialog.Mode = common::mode::Add;
        } else {
            if (key.isEmpty())
                return;
            dialog.Mode = common::mode::Modify;
            dialog.CatID = common::idOfKey(key);
            dialog.setDescription(lvCategories->selectedItems().first()->text(0).trimmed());
        }
        connect(&dialog, &frmCategoryMaint::categoriesChanged, this, [this] {
            common::guarded(main_.session().messages(), [this] { FillListViewWithCats(); });
        });
        dialog.exec();
    } else if (index == MenuDelete) {
        if (key.isEmpty() || !session.messages().ask(
                                 QStringLiteral("Are you sure you wish to delete this category")))
            return;
        common::guarded(session.messages(), [&] {
            if (session.logic<catalogue::clsCategories>().DeleteNewCategory(common::idOfKey(key)))
                FillListViewWithCats();
        });
    }
}

} // namespace catalogue
