#pragma once

#include "shell/ui/Page.h"

class QLabel;
class QPushButton;
class QTreeWidgetItem;

namespace shell {
class frmVemora;
class ReportList;
} // namespace shell
namespace locations {
class LocationTreeView;
}

namespace assets {

// Page "Enquire by &Location": what is held directly at a chosen location.
class pgEnquireByLocation : public shell::Page {
    Q_OBJECT
public:
    explicit pgEnquireByLocation(shell::frmVemora& main);

    // Empties both lists and refills the tree; the heading stays.
    void rebuild() override;
    QWidgetList tabOrder() const override;
    QString hint() const override;

    void tvLocations_NodeClick(QTreeWidgetItem* node);
    // Refills both lists for a location.
    void FillStockListUsingLocation(int locId);
    // Refills both lists for the node selected in the tree, if any.
    void refillForSelectedNode();
    // A mouse button pressed over one of the two lists.
    void listMouseDown(shell::ReportList* list, Qt::MouseButton button, const QPoint& globalPos);

    locations::LocationTreeView* tvLocations = nullptr;
    QPushButton* btnExpandEBL = nullptr;
    QLabel* lblViewingLoc = nullptr;
    shell::ReportList* lvStockTable = nullptr;
    shell::ReportList* lvLicenceTable = nullptr;

private:
    shell::frmVemora& main_;
};

} // namespace assets
