#include "common/ui/BoxFileChooser.h"

#include <QApplication>
#include <QFileDialog>

namespace common {

std::optional<QString> BoxFileChooser::choose(const FileRequest& request) {
    QWidget* parent = QApplication::activeWindow();
    QString path;
    if (request.purpose == FileRequest::Save) {
        const QFileDialog::Options options =
            request.confirmOverwrite ? QFileDialog::Options() : QFileDialog::DontConfirmOverwrite;
        path = QFileDialog::getSaveFileName(parent, request.title, request.directory,
                                            request.filter, nullptr, options);
    } else {
        path =
            QFileDialog::getOpenFileName(parent, request.title, request.directory, request.filter);
    }
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

} // namespace common
