#include "common/KeyRule.h"

namespace common {

namespace {

// The digits 0 to 9 only: other scripts' digits would pass the filter and
// then fail as a number.
bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Whether a printable character belongs in a field of the kind.
bool allowed(FieldKind kind, QChar c) {
    switch (kind) {
    case FieldKind::FreeText:
        // Values are bound, never spliced into SQL text, so the apostrophe
        // is an ordinary character ("O'Neill"); the vertical bar stays out.
        return c != QLatin1Char('|');
    case FieldKind::Digits:
        return isDigit(c);
    case FieldKind::Telephone:
        return isDigit(c) || c == QLatin1Char('(') || c == QLatin1Char(')') ||
               c == QLatin1Char(' ') || c == QLatin1Char('+') || c == QLatin1Char('-');
    case FieldKind::Cost:
        return isDigit(c) || c == QLatin1Char('.');
    }
    return true;
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
    return allowed(kind, key.at(0)) ? KeyVerdict::Pass : KeyVerdict::Drop;
}

bool fitsField(FieldKind kind, const QString& text) {
    for (const QChar c : text)
        if (c.category() == QChar::Other_Control || c.category() == QChar::Separator_Line ||
            c.category() == QChar::Separator_Paragraph || !allowed(kind, c))
            return false;
    return true;
}

QString limitMessage(int limit) {
    return QStringLiteral("Only %1 characters allowed").arg(limit);
}

} // namespace common
