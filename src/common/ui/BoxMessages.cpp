#include "common/ui/BoxMessages.h"

#include <QApplication>
#include <QMessageBox>

namespace common {

bool BoxMessages::present(MessageKind kind, const QString& text) {
    QWidget* parent = QApplication::activeModalWidget();
    if (!parent)
        parent = QApplication::activeWindow();
    // Qt lays out lines on "\n"; the texts join their lines with "\r".
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    switch (kind) {
    case MessageKind::Refusal:
        QMessageBox::warning(parent, MessageTitle, shown);
        return true;
    case MessageKind::Failure:
        QMessageBox::critical(parent, MessageTitle, shown);
        return true;
    case MessageKind::Notice:
        QMessageBox::information(parent, MessageTitle, shown);
        return true;
    case MessageKind::Question:
        return QMessageBox::question(parent, MessageTitle, shown,
                                     QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::Yes) == QMessageBox::Yes;
    }
    return false;
}

} // namespace common
