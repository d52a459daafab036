#pragma once

#include <QObject>

#include <memory>

namespace common {
class Session;
} // namespace common
namespace reports {
class pgReports;
} // namespace reports

namespace exports {

class ExportHooks;

// Answers the Reports page's Export button: asks workbook or text file and
// writes the report the page shows, through clsExport. The page only says
// which report; it knows nothing of exporting.
class ReportExport : public QObject {
    Q_OBJECT
public:
    ReportExport(common::Session& session, reports::pgReports& page);
    ~ReportExport() override;

    // The desktop the export asks and opens files through; the real one
    // unless replaced.
    void setExportHooks(std::shared_ptr<ExportHooks> hooks);

    // Exports the report the page shows to a workbook or a text file, as the
    // user answers.
    void ExportReport(const QString& reportName);

private:
    common::Session& session_;
    reports::pgReports& page_;
    std::shared_ptr<ExportHooks> hooks_;
};

} // namespace exports
