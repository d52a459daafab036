#include "common/Messages.h"

#include "store/Database.h"

#include <cstdio>

namespace common {

QString kindName(MessageKind kind) {
    switch (kind) {
    case MessageKind::Refusal:
        return QStringLiteral("warning");
    case MessageKind::Failure:
        return QStringLiteral("critical");
    case MessageKind::Notice:
        return QStringLiteral("information");
    case MessageKind::Question:
        return QStringLiteral("question");
    }
    return QString();
}

bool Messages::show(MessageKind kind, const QString& text, DefaultButton byDefault) {
    const QString line = logLine(text);
    std::fprintf(stderr, "[%s] %s\n", qUtf8Printable(kindName(kind)), qUtf8Printable(line));
    std::fflush(stderr);
    if (kind == MessageKind::Question)
        return presentQuestion(text, byDefault);
    return present(kind, text);
}

bool Messages::presentQuestion(const QString& text, DefaultButton) {
    return present(MessageKind::Question, text);
}

QString logLine(const QString& text) {
    // One line per message, whatever line breaks the text holds; every
    // other control character is written as an escape, so that a stored
    // text cannot forge a log line or drive the terminal.
    QString line = text;
    line.replace(QLatin1String("\r\n"), QLatin1String(" / "))
        .replace(QLatin1Char('\r'), QLatin1String(" / "))
        .replace(QLatin1Char('\n'), QLatin1String(" / "));
    QString out;
    out.reserve(line.size());
    for (const QChar c : line) {
        const char16_t u = c.unicode();
        const bool control = u < 0x20 || (u >= 0x7F && u <= 0x9F) || u == 0x2028 || u == 0x2029;
        if (control)
            out += QStringLiteral("\\u%1").arg(static_cast<int>(u), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

bool Messages::ask(const QString& text, DefaultButton byDefault) {
    return show(MessageKind::Question, text, byDefault);
}

void Messages::reportError(const store::DbError& error, ErrorForm form) {
    if (error.isConnectionLost()) {
        fail(ConnectionLost);
        refresh();
        return;
    }
    if (error.isSerialisationFailure()) {
        conflict(ChangedByAnotherUser);
        return;
    }
    QString text = form == ErrorForm::Full ? error.text() : error.description();
    // A damaged file met during work: the user needs to know what it means
    // and what to do, and the program stays open so that a restore can run.
    if (error.isDamage())
        text += QStringLiteral("\r") + DamagedDatabase;
    fail(text);
}

} // namespace common

namespace common {

void Messages::conflict(const QString& text) {
    refuse(text);
    refresh();
}

void Messages::refresh() {
    if (refresh_)
        refresh_();
}

} // namespace common
