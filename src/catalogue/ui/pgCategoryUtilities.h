#pragma once

#include "shell/ui/Page.h"

namespace shell {
class frmVemora;
class ReportList;
} // namespace shell

namespace catalogue {

// Page "&Category Utilities": every category with its counts.
class pgCategoryUtilities : public shell::Page {
    Q_OBJECT
public:
    explicit pgCategoryUtilities(shell::frmVemora& main);

    void rebuild() override;
    QWidgetList tabOrder() const override;
    QString hint() const override;

    shell::ReportList* lvCategories = nullptr;

private:
    shell::frmVemora& main_;
};

} // namespace catalogue
