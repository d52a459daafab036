#include "common/NodeKey.h"

namespace common {

namespace {

// Whole decimal digits 0-9 only, no sign, no blanks.
bool digitsOnly(QStringView text) {
    if (text.isEmpty() || text.size() > 9)
        return false;
    for (QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

} // namespace

NodeKey parseNodeKey(const QString& key) {
    const QString trimmed = key.trimmed();
    if (trimmed.size() < 2 || !trimmed.at(0).isLetter())
        return {};
    const QChar kind = trimmed.at(0);
    const QStringView rest = QStringView(trimmed).mid(1);
    NodeKey out;
    const int dash = rest.indexOf(QLatin1Char('-'));
    if (dash >= 0) {
        if (kind != QLatin1Char('N') && kind != QLatin1Char('T'))
            return {};
        const QStringView id = rest.left(dash);
        const QStringView loc = rest.mid(dash + 1);
        if (!digitsOnly(id) || !digitsOnly(loc))
            return {};
        out.id = id.toInt();
        out.locId = loc.toInt();
    } else {
        if (!digitsOnly(rest))
            return {};
        out.id = rest.toInt();
    }
    out.kind = kind;
    return out;
}

QString licenceGroupKey(bool temporary, int prodId, int locId) {
    return QStringLiteral("%1%2-%3")
        .arg(temporary ? QLatin1Char('T') : QLatin1Char('N'))
        .arg(prodId)
        .arg(locId);
}

int idOfKey(const QString& key) {
    return parseNodeKey(key).id;
}

} // namespace common
