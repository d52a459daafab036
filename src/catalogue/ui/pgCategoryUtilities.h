#pragma once

#include "common/ui/Page.h"

namespace common {
class MainWindow;
class ReportList;
} // namespace common

namespace catalogue {

// Page "&Category Utilities": every category with its counts.
class pgCategoryUtilities : public common::Page {
    Q_OBJECT
public:
    explicit pgCategoryUtilities(common::MainWindow& main);

    void rebuild() override;
    QWidgetList tabOrder() const override;
    QString hint() const override;

private:
    common::MainWindow& main_;
    common::ReportList* lvCategories = nullptr;
};

} // namespace catalogue
