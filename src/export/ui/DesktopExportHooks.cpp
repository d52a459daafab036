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

namespace {

// Logged like every other message of the program.
void logMessage(common::MessageKind kind, const QString& text) {
    std::fprintf(stderr, "[%s] %s\n", qUtf8Printable(common::kindName(kind)),
                 qUtf8Printable(common::logLine(text)));
}

QWidget* boxParent() {
    QWidget* parent = QApplication::activeModalWidget();
    return parent ? parent : QApplication::activeWindow();
}

// A box of the program's: its title, the text as plain text, the icon.
void dress(QMessageBox& box, const QString& text, QMessageBox::Icon icon) {
    box.setWindowTitle(common::MessageTitle);
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.setIcon(icon);
}

} // namespace

ExportChoice DesktopExportHooks::askExportKind(const QString& question) {
    logMessage(common::MessageKind::Question, question);
    QMessageBox box(boxParent());
    dress(box, question, QMessageBox::Question);
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

bool DesktopExportHooks::offerFolder(const QString& notice) {
    logMessage(common::MessageKind::Notice, notice);
    QMessageBox box(boxParent());
    dress(box, notice, QMessageBox::Information);
    QPushButton* open = box.addButton(QStringLiteral("Open &Folder"), QMessageBox::ActionRole);
    open->setObjectName(QStringLiteral("btnOpenFolder"));
    QPushButton* ok = box.addButton(QMessageBox::Ok);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
    return box.clickedButton() == open;
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
