#pragma once

#include "assets/clsStock.h"
#include "common/ui/MainWindow.h"
#include "common/ui/Page.h"

class QLabel;
class QPushButton;
class QTreeWidgetItem;

namespace common {
class ReportList;
} // namespace common
namespace locations {
class LocationTreeView;
}

namespace assets {

// Page "Enquire by &Location": what is held directly at a chosen location.
class pgEnquireByLocation : public common::Page, public common::MenuClient {
    Q_OBJECT
public:
    explicit pgEnquireByLocation(common::MainWindow& main);

    // Empties both lists and refills the tree; the heading stays.
    void rebuild() override;
    // Refills the tree and, for the location still selected, both lists,
    // keeping open branches and selected rows.
    void refill() override;
    QWidgetList tabOrder() const override;
    QString hint() const override;
    QString helpTopic() const override;

    void tvLocations_NodeClick(QTreeWidgetItem* node);
    // A list's rows are read this many at a time, as they come into view.
    static constexpr int SliceRows = 100;

    // Refills both lists for a location: their first rows (at least the
    // rows given), the rest read as the lists scroll.
    void FillStockListUsingLocation(int locId, int stockRows = SliceRows,
                                    int licenceRows = SliceRows);
    // Refills both lists for the node selected in the tree, if any.
    void refillForSelectedNode();
    // A mouse button pressed over one of the two lists.
    void listMouseDown(common::ReportList* list, Qt::MouseButton button, const QPoint& globalPos);

    // A choice in the Products menu that one of the lists popped up; the
    // lists then refill for the selected location.
    void menuChosen(const QString& array, int index) override;

private:
    void fillList(common::ReportList* list, int locId, ContentsList which, int atLeast);

    common::MainWindow& main_;
    locations::LocationTreeView* tvLocations = nullptr;
    QPushButton* btnExpandEBL = nullptr;
    QLabel* lblViewingLoc = nullptr;
    common::ReportList* lvStockTable = nullptr;
    common::ReportList* lvLicenceTable = nullptr;
};

} // namespace assets
