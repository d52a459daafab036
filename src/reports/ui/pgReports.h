#pragma once

#include "common/ui/Page.h"

#include <array>

class QComboBox;
class QGroupBox;
class QPlainTextEdit;
class QPushButton;

namespace common {
class MainWindow;
} // namespace common

namespace reports {

// Page "R&eports": choose a report and its order, read, print or export it.
class pgReports : public common::Page {
    Q_OBJECT
public:
    explicit pgReports(common::MainWindow& main);

    void rebuild() override;
    QWidgetList tabOrder() const override;
    QString hint() const override;

    // The installed printers' device names, the first one chosen.
    void setPrinters(const QStringList& printers);

private:
    common::MainWindow& main_;
    QComboBox* cboReports = nullptr;
    QGroupBox* frLicDetsOB = nullptr;
    std::array<QPushButton*, 10> btnOrderBy{};
    QPlainTextEdit* rtbReport = nullptr;
    QComboBox* cboPrinters = nullptr;
    QPushButton* btnPrint = nullptr;
    QPushButton* btnExportReport = nullptr;
};

} // namespace reports
