#pragma once

#include "common/ui/MainWindow.h"
#include "common/ui/Page.h"

namespace common {
class ReportList;
enum class RowKey;
} // namespace common

namespace catalogue {

// Page "&Category Utilities": every category with its counts; its context
// menu adds, renames and deletes categories, and a double-click shows the
// category's products on the product page.
class pgCategoryUtilities : public common::Page, public common::MenuClient {
    Q_OBJECT
public:
    explicit pgCategoryUtilities(common::MainWindow& main);

    void rebuild() override;
    // Refills the list keeping the selected row.
    void refill() override;
    QWidgetList tabOrder() const override;
    QString hint() const override;
    QString helpTopic() const override;

    // Refills the list from the database.
    void FillListViewWithCats();
    // A mouse button pressed over the list: sets the menu's items and, for
    // the right button, pops the Category menu up.
    void lvCategories_MouseDown(Qt::MouseButton button, const QPoint& globalPos);
    // Insert, F2 and Delete: the menu's item for the key, when it is enabled.
    void lvCategories_Key(common::RowKey key);
    // Shows the products of the selected category on the product page.
    void lvCategories_DblClick();
    // The Category menu: 0 "Add Category", 1 "Modify Category", 2 "Delete Category".
    void mnuCat_Click(int index);

    void menuChosen(const QString& array, int index) override;

private:
    common::MainWindow& main_;
    common::ReportList* lvCategories = nullptr;
};

} // namespace catalogue
