#include "store/StoreConstants.h"

#include <QRegularExpression>

namespace store {

QDateTime readStoredDateTime(const QString& stored) {
    // The year may have more than four digits: QDate holds it, while Qt's
    // "yyyy" reads exactly four.
    static const QRegularExpression form(
        QStringLiteral("^(-?\\d{4,9})-(\\d{2})-(\\d{2})"
                       "(?:[ T](\\d{2}):(\\d{2})(?::(\\d{2})(?:\\.(\\d{1,3}))?)?)?$"));
    const QRegularExpressionMatch m = form.match(stored.trimmed());
    if (!m.hasMatch())
        return {};
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    if (!date.isValid())
        return {};
    if (m.captured(4).isEmpty())
        return QDateTime(date, QTime(0, 0));
    const QString ms = m.captured(7);
    const QTime time(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt(),
                     ms.isEmpty() ? 0 : ms.leftJustified(3, QLatin1Char('0')).toInt());
    if (!time.isValid())
        return {};
    return QDateTime(date, time);
}

QDate readStoredDate(const QString& stored) {
    return readStoredDateTime(stored).date();
}

} // namespace store
