#pragma once

#include "shell/ui/Page.h"

class QComboBox;
class QLabel;

namespace shell {
class frmVemora;
class ReportList;
} // namespace shell

namespace assets {

// Page "Enquire by &Products": where every stock item and licence of a
// chosen product is.
class pgEnquireByProducts : public shell::Page {
    Q_OBJECT
public:
    explicit pgEnquireByProducts(shell::frmVemora& main);

    void rebuild() override;
    QWidgetList tabOrder() const override;
    QString hint() const override;

    QComboBox* cboEnqCats = nullptr;
    QComboBox* cboEnqProds = nullptr;
    shell::ReportList* lvEnqProd = nullptr;
    QLabel* lblLicExceed = nullptr;

private:
    shell::frmVemora& main_;
};

} // namespace assets
