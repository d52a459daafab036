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

bool Messages::show(MessageKind kind, const QString& text) {
    // One line per message, whatever line breaks the text holds.
    QString line = text;
    line.replace(QLatin1String("\r\n"), QLatin1String(" / "))
        .replace(QLatin1Char('\r'), QLatin1String(" / "))
        .replace(QLatin1Char('\n'), QLatin1String(" / "));
    std::fprintf(stderr, "[%s] %s\n", qUtf8Printable(kindName(kind)), qUtf8Printable(line));
    std::fflush(stderr);
    return present(kind, text);
}

bool Messages::ask(const QString& text) {
    return show(MessageKind::Question, text);
}

void Messages::reportError(const store::DbError& error) {
    fail(error.text());
}

} // namespace common
