#pragma once

#include "common/ui/Page.h"

class QComboBox;
class QLabel;

namespace common {
class MainWindow;
class ReportList;
} // namespace common

namespace assets {

// Page "Enquire by &Products": where every stock item and licence of a
// chosen product is.
class pgEnquireByProducts : public common::Page {
    Q_OBJECT
public:
    explicit pgEnquireByProducts(common::MainWindow& main);

    void rebuild() override;
    QWidgetList tabOrder() const override;
    QString hint() const override;

private:
    common::MainWindow& main_;
    QComboBox* cboEnqCats = nullptr;
    QComboBox* cboEnqProds = nullptr;
    common::ReportList* lvEnqProd = nullptr;
    QLabel* lblLicExceed = nullptr;
};

} // namespace assets
