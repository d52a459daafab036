#include "common/ui/KeyFilter.h"

#include "common/Messages.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QLineEdit>

namespace common {

KeyFilter::KeyFilter(QLineEdit* edit, Messages& messages, FieldKind kind, int limit,
                     QAbstractButton* action)
    : QObject(edit), edit_(edit), messages_(messages), kind_(kind), limit_(limit), action_(action) {
}

KeyFilter* KeyFilter::install(QLineEdit* edit, Messages& messages, FieldKind kind, int limit,
                              QAbstractButton* action) {
    auto* filter = new KeyFilter(edit, messages, kind, limit, action);
    edit->installEventFilter(filter);
    return filter;
}

bool KeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (watched != edit_ || event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    // A shortcut (Ctrl+V, Ctrl+A, ...) is no typed character, whatever text
    // the platform gives it; Ctrl with Alt is AltGr, which types.
    const Qt::KeyboardModifiers mods = key->modifiers();
    if ((mods & Qt::ControlModifier) && !(mods & Qt::AltModifier) && key->key() != Qt::Key_Return &&
        key->key() != Qt::Key_Enter)
        return false;
    QString text = key->text();
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
        text = QStringLiteral("\r");
    else if (key->key() == Qt::Key_Backspace)
        text = QStringLiteral("\b");
    // A typed key replaces the selected text, so a full field whose text is
    // selected still takes the key that starts the new text.
    const int length = static_cast<int>(edit_->text().size() - edit_->selectedText().size());
    switch (judgeKey(kind_, limit_, length, text)) {
    case KeyVerdict::Pass:
        return false;
    case KeyVerdict::Drop:
        return true;
    case KeyVerdict::DropAtLimit:
        messages_.refuse(limitMessage(limit_));
        return true;
    case KeyVerdict::Action:
        if (action_ && action_->isEnabled())
            action_->click();
        return true;
    }
    return false;
}

} // namespace common
