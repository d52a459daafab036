#pragma once

#include "shell/ui/Page.h"

#include <array>

class QComboBox;
class QGroupBox;
class QPlainTextEdit;
class QPushButton;

namespace shell {
class frmVemora;
}

namespace reports {

// Page "R&eports": choose a report and its order, read, print or export it.
class pgReports : public shell::Page {
    Q_OBJECT
public:
    explicit pgReports(shell::frmVemora& main);

    void rebuild() override;
    QWidgetList tabOrder() const override;
    QString hint() const override;

    QComboBox* cboReports = nullptr;
    QGroupBox* frLicDetsOB = nullptr;
    std::array<QPushButton*, 10> btnOrderBy{};
    QPlainTextEdit* rtbReport = nullptr;
    QComboBox* cboPrinters = nullptr;
    QPushButton* btnPrint = nullptr;
    QPushButton* btnExportReport = nullptr;

private:
    shell::frmVemora& main_;
};

} // namespace reports
