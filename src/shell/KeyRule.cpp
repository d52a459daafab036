#include "shell/KeyRule.h"

namespace shell {

KeyVerdict judgeKey(FieldKind kind, int limit, int length, const QString& key) {
    if (key == QLatin1String("\b"))
        return KeyVerdict::Pass;
    const bool enter = key == QLatin1String("\r") || key == QLatin1String("\n");
    // Other control characters (shortcuts such as paste) are not typed text.
    if (!enter && (key.isEmpty() || key.at(0).category() == QChar::Other_Control))
        return KeyVerdict::Pass;
    if (limit > 0 && length >= limit)
        return KeyVerdict::DropAtLimit;
    if (enter)
        return KeyVerdict::Action;
    const QChar c = key.at(0);
    switch (kind) {
    case FieldKind::FreeText:
        return c == QLatin1Char('\'') || c == QLatin1Char('|') ? KeyVerdict::Drop : KeyVerdict::Pass;
    case FieldKind::Digits:
        return c.isDigit() ? KeyVerdict::Pass : KeyVerdict::Drop;
    case FieldKind::Telephone:
        return c.isDigit() || c == QLatin1Char('(') || c == QLatin1Char(')') ||
                       c == QLatin1Char(' ')
                   ? KeyVerdict::Pass
                   : KeyVerdict::Drop;
    case FieldKind::Cost:
        return c.isDigit() || c == QLatin1Char('.') ? KeyVerdict::Pass : KeyVerdict::Drop;
    }
    return KeyVerdict::Pass;
}

QString limitMessage(int limit) {
    return QStringLiteral("Only %1 characters allowed").arg(limit);
}

} // namespace shell
