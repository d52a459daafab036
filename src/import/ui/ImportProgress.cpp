#include "import/ui/ImportProgress.h"

#include <QCoreApplication>
#include <QProgressDialog>

namespace imports {

ImportResult runWithProgress(QWidget* parent, const QString& label,
                             const std::function<ImportResult(const Progress&)>& work) {
    constexpr int Steps = 1000;
    QProgressDialog dialog(label, QStringLiteral("Cancel"), 0, Steps, parent);
    dialog.setObjectName(QStringLiteral("dlgImportProgress"));
    dialog.setWindowTitle(common::MessageTitle);
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setMinimumDuration(300);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    dialog.setValue(0);
    const Progress progress = [&](qint64 done, qint64 total) {
        dialog.setValue(total > 0 ? static_cast<int>(done * Steps / total) : 0);
        QCoreApplication::processEvents();
        return !dialog.wasCanceled();
    };
    ImportResult result = work(progress);
    dialog.close();
    return result;
}

} // namespace imports
