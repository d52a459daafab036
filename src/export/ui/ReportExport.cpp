#include "export/ui/ReportExport.h"

#include "common/Session.h"
#include "common/ui/Guard.h"
#include "export/clsExport.h"
#include "export/ui/DesktopExportHooks.h"
#include "reports/ui/pgReports.h"

namespace exports {

ReportExport::ReportExport(common::Session& session, reports::pgReports& page)
    : QObject(&page), session_(session), page_(page),
      hooks_(std::make_shared<DesktopExportHooks>()) {
    setObjectName(QStringLiteral("ReportExport"));
    connect(&page, &reports::pgReports::exportRequested, this,
            [this](const QString& name) { ExportReport(name); });
}

ReportExport::~ReportExport() = default;

void ReportExport::setExportHooks(std::shared_ptr<ExportHooks> hooks) {
    hooks_ = std::move(hooks);
}

void ReportExport::ExportReport(const QString& reportName) {
    common::guarded(session_.messages(), [&] {
        clsExport& exporter = session_.logic<clsExport>();
        exporter.setWorkRunner(&session_.work());
        exporter.ExportReport(reportName, page_.reportText(), session_.files(), *hooks_);
    });
}

} // namespace exports
