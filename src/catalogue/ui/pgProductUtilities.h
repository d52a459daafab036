#pragma once

#include "common/ui/MainWindow.h"
#include "common/ui/Page.h"

#include <optional>

class QComboBox;

namespace common {
class ReportList;
} // namespace common

namespace catalogue {

// Page "P&roduct   Utilities": the products of a chosen category with their
// live counts; its context menu is the shared Products menu.
class pgProductUtilities : public common::Page, public common::MenuClient {
    Q_OBJECT
public:
    explicit pgProductUtilities(common::MainWindow& main);

    // Refills the category chooser, which lists the first category's products.
    void rebuild() override;
    // Refills the categories and the list keeping the chosen category where
    // it still exists (else the first) and the selected row.
    void refill() override;
    QWidgetList tabOrder() const override;
    QString hint() const override;
    QString helpTopic() const override;

    // Refills the category chooser and selects its first entry; with no
    // category the product list is emptied.
    void FillComboWithCats();
    // Lists the products of the chosen category, while this page is showing.
    void FillListViewWithProds();
    // Chooses a category by its id, when the chooser holds it.
    void chooseCategory(int catId);
    // Chooses a product's category and selects the product's row, in view;
    // false when the list has no such row.
    bool showProduct(int catId, int prodId);
    // The category chosen, while this page is showing: the product dialog
    // preselects it.
    std::optional<int> shownCategoryId() const;

    // A mouse button pressed over the product list: sets SelectedProdID and
    // the menu's items and, for the right button, pops the Products menu up.
    void lvProdList_MouseDown(Qt::MouseButton button, const QPoint& globalPos);
    // Views the selected product.
    void lvProdList_DblClick();

    void menuChosen(const QString& array, int index) override;

signals:
    // A product dialog closed or a product was deleted from this page: the
    // location contents view refills for its selected location.
    void productsActed();

private:
    bool isShowing() const;
    // Fills the categories, choosing catId where it is still there and the
    // first otherwise; with none, empties the product list. False for none.
    bool fillCategories(int catId);

    common::MainWindow& main_;
    QComboBox* cboCategories = nullptr;
    common::ReportList* lvProdList = nullptr;
};

} // namespace catalogue
