#pragma once

#include "common/ui/Page.h"

class QComboBox;

namespace common {
class MainWindow;
class ReportList;
} // namespace common

namespace catalogue {

// Page "P&roduct   Utilities": the products of a chosen category.
class pgProductUtilities : public common::Page {
    Q_OBJECT
public:
    explicit pgProductUtilities(common::MainWindow& main);

    void rebuild() override;
    QWidgetList tabOrder() const override;
    QString hint() const override;

private:
    common::MainWindow& main_;
    QComboBox* cboCategories = nullptr;
    common::ReportList* lvProdList = nullptr;
};

} // namespace catalogue
