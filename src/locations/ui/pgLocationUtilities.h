#pragma once

#include "common/ui/MainWindow.h"
#include "common/ui/Page.h"
#include "locations/clsLocations.h"

class QPushButton;
class QTreeWidgetItem;

namespace common {
enum class RowKey;
}

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
    QString helpTopic() const override;

    void tvLocations2_NodeClick(QTreeWidgetItem* node);
    // Selects a location's node, its branch opened and in view, and makes
    // it the current location; false when the tree has no such node.
    bool showLocation(int locId);
    // The right button over the tree (which has made the node under the
    // pointer the selected node, or left none selected), the Menu key or
    // Shift+F10: pops up the Locations menu for the selected node.
    void tvLocations2_MouseUp(Qt::MouseButton button, const QPoint& globalPos);
    // Insert, F2 (or Enter) and Delete: the menu's item for the key, when it
    // is enabled for the selected node.
    void tvLocations2_Key(common::RowKey key);
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
    // The menu's items for the selected node, which becomes the current
    // location.
    void setMenuStates();

    common::MainWindow& main_;
    LocationTreeView* tvLocations2 = nullptr;
    QPushButton* btnExpand = nullptr;
};

} // namespace locations
