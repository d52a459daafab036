#pragma once

#include "shell/ui/Page.h"

class QPushButton;
class QTreeWidgetItem;

namespace shell {
class frmVemora;
}

namespace locations {

class LocationTreeView;

// Page "Location   &Utilities": add, rename, move and remove locations.
class pgLocationUtilities : public shell::Page {
    Q_OBJECT
public:
    explicit pgLocationUtilities(shell::frmVemora& main);

    void rebuild() override;
    QWidgetList tabOrder() const override;
    QString hint() const override;

    void tvLocations2_NodeClick(QTreeWidgetItem* node);

    LocationTreeView* tvLocations2 = nullptr;
    QPushButton* btnExpand = nullptr;

private:
    shell::frmVemora& main_;
};

} // namespace locations
