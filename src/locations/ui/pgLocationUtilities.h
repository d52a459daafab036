#pragma once

#include "common/ui/MainWindow.h"
#include "common/ui/Page.h"
#include "locations/clsLocations.h"

class QPushButton;
class QTreeWidgetItem;

namespace locations {

class LocationTreeView;

// Page "Location   &Utilities": add, rename, move and remove locations.
// The database work is done by the shared clsLocations; the page keeps its
// tree in step with each change that succeeded, without a refill.
class pgLocationUtilities : public common::Page, public common::MenuClient {
    Q_OBJECT
public:
    explicit pgLocationUtilities(common::MainWindow& main);

    void rebuild() override;
    // Refills the tree keeping open branches and the selected node.
    void refill() override;
    QWidgetList tabOrder() const override;
    QString hint() const override;

    void tvLocations2_NodeClick(QTreeWidgetItem* node);
    // A mouse button released over the tree; the right one pops up the
    // Locations menu for the selected node.
    void tvLocations2_MouseUp(Qt::MouseButton button, const QPoint& globalPos);
    // The Locations menu: 0 "Add", 1 "Modify", 2 "Delete".
    void mnuLoc_Click(int index);
    // A node of the tree dropped onto another (target null for none).
    void dropLocation(QTreeWidgetItem* dragged, QTreeWidgetItem* target);

    // The tree after a change in the database.
    void showAddedLocation(const locations::TreeNode& node);
    void showRenamedLocation(const QString& newdesc);
    void showDeletedLocation(locations::DeleteResult result);

    // A choice in the Locations menu that this page popped up.
    void menuChosen(const QString& array, int index) override;

private:
    common::MainWindow& main_;
    LocationTreeView* tvLocations2 = nullptr;
    QPushButton* btnExpand = nullptr;
};

} // namespace locations
