#include "common/KeyRule.h"

namespace common {

namespace {

// The digits 0 to 9 only: other scripts' digits would pass the filter and
// then fail as a number.
bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

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
        return c == QLatin1Char('\'') || c == QLatin1Char('|') ? KeyVerdict::Drop
                                                               : KeyVerdict::Pass;
    case FieldKind::Digits:
        return isDigit(c) ? KeyVerdict::Pass : KeyVerdict::Drop;
    case FieldKind::Telephone:
        return isDigit(c) || c == QLatin1Char('(') || c == QLatin1Char(')') || c == QLatin1Char(' ')
                   ? KeyVerdict::Pass
                   : KeyVerdict::Drop;
    case FieldKind::Cost:
        return isDigit(c) || c == QLatin1Char('.') ? KeyVerdict::Pass : KeyVerdict::Drop;
    }
    return KeyVerdict::Pass;
}

QString limitMessage(int limit) {
    return QStringLiteral("Only %1 characters allowed").arg(limit);
}

} // namespace common
