#pragma once

#include "common/ui/Page.h"

#include <QList>
#include <QTreeWidgetItem>

class QPushButton;

namespace common {
class MainWindow;
}
namespace locations {
class LocationTreeView;
}

namespace allocation {

struct MoveUpdate;

// Page " &Allocation": every location with the stock items and licence
// groups it holds; items move by drag and drop. The tree changes only after
// the database took the move.
class pgAllocation : public common::Page {
    Q_OBJECT
public:
    explicit pgAllocation(common::MainWindow& main);

    // SetUpAllocForm: the location tree with every location's items.
    void rebuild() override;
    QWidgetList tabOrder() const override;
    QString hint() const override;

public slots:
    // A node dropped onto another (target null for none). With several item
    // nodes selected they move together; with Shift held a licence group
    // moves whole.
    void dropItem(QTreeWidgetItem* dragged, QTreeWidgetItem* target);
    // Moves several items (stock nodes, or licence groups whole) at once.
    void dropItems(const QList<QTreeWidgetItem*>& items, QTreeWidgetItem* target);

private:
    void showMove(const MoveUpdate& update);
    // Replaces a location's licence group nodes of one kind.
    void replaceGroups(int locId, QChar kind, const MoveUpdate& update, bool atTarget);
    bool refuseDragStart(QTreeWidgetItem* dragged);
    void finishDrop();

    common::MainWindow& main_;
    locations::LocationTreeView* tvSourceLoc = nullptr;
    QPushButton* btnExpandAlloc = nullptr;
};

} // namespace allocation
