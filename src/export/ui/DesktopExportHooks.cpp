#include "export/ui/DesktopExportHooks.h"

#include "common/Messages.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QUrl>

#include <cstdio>

namespace exports {

ExportChoice DesktopExportHooks::askExportKind(const QString& question) {
    // Logged like every other message of the program.
    std::fprintf(stderr, "[%s] %s\n",
                 qUtf8Printable(common::kindName(common::MessageKind::Question)),
                 qUtf8Printable(common::logLine(question)));
    QWidget* parent = QApplication::activeModalWidget();
    if (!parent)
        parent = QApplication::activeWindow();
    QMessageBox box(parent);
    box.setWindowTitle(common::MessageTitle);
    box.setTextFormat(Qt::PlainText);
    box.setText(question);
    box.setIcon(QMessageBox::Question);
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return ExportChoice::Workbook;
    case QMessageBox::No:
        return ExportChoice::TextFile;
    default:
        return ExportChoice::Cancel;
    }
}

QString DesktopExportHooks::workbookFolder() const {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QDir(documents).exists())
        return documents;
    return QDir::tempPath();
}

bool DesktopExportHooks::openFile(const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void DesktopExportHooks::setBusy(bool busy) {
    if (busy)
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    else
        QApplication::restoreOverrideCursor();
}

} // namespace exports
