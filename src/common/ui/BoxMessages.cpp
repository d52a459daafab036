#include "common/ui/BoxMessages.h"

#include <QApplication>
#include <QMessageBox>

namespace common {

bool BoxMessages::present(MessageKind kind, const QString& text) {
    return showBox(kind, text, DefaultButton::Yes);
}

bool BoxMessages::presentQuestion(const QString& text, DefaultButton byDefault) {
    return showBox(MessageKind::Question, text, byDefault);
}

bool BoxMessages::showBox(MessageKind kind, const QString& text, DefaultButton byDefault) {
    QWidget* parent = QApplication::activeModalWidget();
    if (!parent)
        parent = QApplication::activeWindow();
    // Qt lays out lines on "\n"; the texts join their lines with "\r".
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(parent);
    box.setWindowTitle(MessageTitle);
    // Texts hold stored data: shown as typed, never read as markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(shown);
    switch (kind) {
    case MessageKind::Refusal:
        box.setIcon(QMessageBox::Warning);
        break;
    case MessageKind::Failure:
        box.setIcon(QMessageBox::Critical);
        break;
    case MessageKind::Notice:
        box.setIcon(QMessageBox::Information);
        break;
    case MessageKind::Question:
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(byDefault == DefaultButton::No ? QMessageBox::No : QMessageBox::Yes);
        break;
    }
    // A message met during long work shows the normal pointer; the
    // hourglass comes back afterwards if the work goes on.
    const bool busy = QApplication::overrideCursor() != nullptr;
    if (busy)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int answer = box.exec();
    if (busy)
        QApplication::restoreOverrideCursor();
    return kind != MessageKind::Question || answer == QMessageBox::Yes;
}

} // namespace common
