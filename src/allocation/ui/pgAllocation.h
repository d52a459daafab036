#pragma once

#include "common/ui/Page.h"

class QPushButton;

namespace common {
class MainWindow;
} // namespace common
namespace locations {
class LocationTreeView;
}

namespace allocation {

// Page " &Allocation": every location with what it holds; assets move by
// drag and drop.
class pgAllocation : public common::Page {
    Q_OBJECT
public:
    explicit pgAllocation(common::MainWindow& main);

    void rebuild() override;
    QWidgetList tabOrder() const override;
    QString hint() const override;

private:
    common::MainWindow& main_;
    locations::LocationTreeView* tvSourceLoc = nullptr;
    QPushButton* btnExpandAlloc = nullptr;
};

} // namespace allocation
