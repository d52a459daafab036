#pragma once

#include "common/ui/Page.h"

#include <array>
#include <memory>

class QComboBox;
class QGroupBox;
class QHBoxLayout;
class QPushButton;
class QTimer;

namespace common {
class MainWindow;
} // namespace common

namespace reports {

class ReportLines;
class ReportPrinters;
class ReportView;

// Page "R&eports": choose a report and its order, read it as fixed-pitch
// text, print it, save it as PDF or export it.
class pgReports : public common::Page {
    Q_OBJECT
public:
    explicit pgReports(common::MainWindow& main);
    ~pgReports() override;

    void rebuild() override;
    // Runs the chosen report again in its order, if one is chosen.
    void refill() override;
    QWidgetList tabOrder() const override;
    QString hint() const override;
    // How many lines a report's first read shows: two screens, at least
    // a hundred; a report of fewer lines is complete after it.
    int firstScreenLines() const;
    QString helpTopic() const override;
    void settle() override { finishReport(); }

    // The installed printers' device names, the first one chosen.
    void setPrinters(const QStringList& printers);
    // Where print jobs go; the system's printers unless replaced.
    void setPrinterService(std::shared_ptr<ReportPrinters> printers);
    // The report shown, exactly as written (CR LF line ends): what printing
    // prints and the text export writes. The whole of it: a report still
    // being read is read to its end first.
    const QString& reportText();
    // Reads the rest of a report whose first screen is shown, at once.
    void finishReport();
    // True while the report shown is its first screen, the rest being read.
    bool reading() const { return reading_ != nullptr; }

    // Fills cboReports and selects "(Select a Report)".
    void FillUpReportCombo();
    // Shows the order buttons the report offers, in its order.
    void SetUpFrame(const QString& reportName);
    // Shows the report in the order of button orderIndex.
    void RunReport(const QString& reportName, int orderIndex);
    // Prints the report shown on the printer named in cboPrinters.
    void PrintForm();
    // Writes the report shown to a PDF file the user chooses.
    void SaveAsPdf();

    // The text area's zoom, in steps of one point from ScreenPointSize
    // (Ctrl+plus, Ctrl+minus, Ctrl+0). The screen only: paper and PDF keep
    // their own layout.
    int zoom() const { return zoom_; }
    void setZoom(int steps);
    void zoomIn() { setZoom(zoom_ + 1); }
    void zoomOut() { setZoom(zoom_ - 1); }
    void resetZoom() { setZoom(0); }
signals:
    // Export was pressed for the report of that name; the program connects
    // the export to it.
    void exportRequested(const QString& reportName);

private:
    void cboReports_Click();
    void btnOrderBy_Click(int index);
    void showText(const QString& text);
    void readSlice();
    void showWhole();
    void hideEvent(QHideEvent* event) override;
    void setActions(bool print, bool exportable);
    QString chosenReport() const;
    bool eventFilter(QObject* watched, QEvent* event) override;

    common::MainWindow& main_;
    std::shared_ptr<ReportPrinters> printers_;
    QString reportText_;
    // The rest of the report shown, while it is read between events: its
    // lines and the heading they follow.
    std::unique_ptr<ReportLines> reading_;
    QString readingHeading_;
    QTimer* readTimer_ = nullptr;
    // The order the report shown was last run in.
    int order_ = 0;
    int zoom_ = 0;
    QComboBox* cboReports = nullptr;
    QGroupBox* frLicDetsOB = nullptr;
    QHBoxLayout* orderLayout_ = nullptr;
    std::array<QPushButton*, 10> btnOrderBy{};
    ReportView* rtbReport = nullptr;
    QComboBox* cboPrinters = nullptr;
    QPushButton* btnPrint = nullptr;
    QPushButton* btnPdf = nullptr;
    QPushButton* btnExportReport = nullptr;
};

} // namespace reports
