#include "shell/ui/WindowMemory.h"

#include "common/ui/MainWindow.h"
#include "common/ui/ReportList.h"
#include "reports/ui/pgReports.h"
#include "shell/ui/frmVemora.h"

#include <QSettings>
#include <QSplitter>
#include <QVariant>

namespace shell {

std::shared_ptr<QSettings> userSettings() {
    return std::make_shared<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QStringLiteral("Vemora"), QStringLiteral("Vemora Assets"));
}

namespace {

reports::pgReports* reportsPage(frmVemora& window) {
    return static_cast<reports::pgReports*>(window.page(common::Reports));
}

QString keyIn(const QString& group, const QString& name) {
    return group + QLatin1Char('/') + name;
}

} // namespace

void restoreWindow(frmVemora& window, QSettings& settings) {
    const QByteArray geometry = settings.value(GeometryKey).toByteArray();
    if (!geometry.isEmpty())
        window.restoreGeometry(geometry);
    for (QSplitter* splitter : window.findChildren<QSplitter*>()) {
        const QByteArray state =
            settings.value(keyIn(SplitterGroup, splitter->objectName())).toByteArray();
        if (!state.isEmpty())
            splitter->restoreState(state);
    }
    for (common::ReportList* list : window.findChildren<common::ReportList*>()) {
        const QVariant stored = settings.value(keyIn(ColumnGroup, list->objectName()));
        if (!stored.isValid())
            continue;
        QList<int> widths;
        for (const QVariant& width : stored.toList())
            widths << width.toInt();
        list->setUserColumnWidths(widths);
    }
    bool ok = false;
    const int zoom = settings.value(ReportZoomKey).toInt(&ok);
    if (ok)
        reportsPage(window)->setZoom(zoom);
}

void saveWindow(frmVemora& window, QSettings& settings) {
    settings.setValue(GeometryKey, window.saveGeometry());
    for (QSplitter* splitter : window.findChildren<QSplitter*>())
        if (!splitter->objectName().isEmpty())
            settings.setValue(keyIn(SplitterGroup, splitter->objectName()), splitter->saveState());
    for (common::ReportList* list : window.findChildren<common::ReportList*>()) {
        if (list->objectName().isEmpty())
            continue;
        QVariantList widths;
        for (int width : list->userColumnWidths())
            widths << width;
        settings.setValue(keyIn(ColumnGroup, list->objectName()), widths);
    }
    settings.setValue(ReportZoomKey, reportsPage(window)->zoom());
    settings.sync();
}

} // namespace shell
