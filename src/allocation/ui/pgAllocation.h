#pragma once

#include "shell/ui/Page.h"

class QPushButton;

namespace shell {
class frmVemora;
}
namespace locations {
class LocationTreeView;
}

namespace allocation {

// Page " &Allocation": every location with what it holds; assets move by
// drag and drop.
class pgAllocation : public shell::Page {
    Q_OBJECT
public:
    explicit pgAllocation(shell::frmVemora& main);

    void rebuild() override;
    QWidgetList tabOrder() const override;
    QString hint() const override;

    locations::LocationTreeView* tvSourceLoc = nullptr;
    QPushButton* btnExpandAlloc = nullptr;

private:
    shell::frmVemora& main_;
};

} // namespace allocation
