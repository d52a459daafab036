#include "catalogue/FreeText.h"

namespace catalogue {

QString cleanFreeText(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('\'') || c == QLatin1Char('|'))
            continue;
        out += c.category() == QChar::Other_Control ? QLatin1Char(' ') : c;
    }
    return out.trimmed();
}

} // namespace catalogue
