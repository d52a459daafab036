#pragma once

#include "shell/ui/Page.h"

class QComboBox;

namespace shell {
class frmVemora;
class ReportList;
} // namespace shell

namespace catalogue {

// Page "P&roduct   Utilities": the products of a chosen category.
class pgProductUtilities : public shell::Page {
    Q_OBJECT
public:
    explicit pgProductUtilities(shell::frmVemora& main);

    void rebuild() override;
    QWidgetList tabOrder() const override;
    QString hint() const override;

    QComboBox* cboCategories = nullptr;
    shell::ReportList* lvProdList = nullptr;

private:
    shell::frmVemora& main_;
};

} // namespace catalogue
