#include "store/Money.h"

#include <QRegularExpression>

namespace store {

std::optional<Money> Money::parse(const QString& text) {
    QString t = text.trimmed();
    if (t.isEmpty())
        return Money();
    static const QRegularExpression grouped(QStringLiteral("^\\d{1,3}(,\\d{3})+(\\.\\d{0,2})?$"));
    static const QRegularExpression plain(QStringLiteral("^(\\d+(\\.\\d{0,2})?|\\.\\d{1,2})$"));
    if (grouped.match(t).hasMatch())
        t.remove(QLatin1Char(','));
    else if (!plain.match(t).hasMatch())
        return std::nullopt;

    const int dot = t.indexOf(QLatin1Char('.'));
    const QString whole = dot < 0 ? t : t.left(dot);
    QString frac = dot < 0 ? QString() : t.mid(dot + 1);
    while (frac.size() < 2)
        frac += QLatin1Char('0');
    if (whole.size() > 15)
        return std::nullopt;
    const std::int64_t units = whole.isEmpty() ? 0 : whole.toLongLong();
    return Money(units * 100 + frac.toLongLong());
}

QString Money::field() const {
    const std::int64_t magnitude = cents_ < 0 ? -cents_ : cents_;
    return QStringLiteral("%1%2.%3")
        .arg(cents_ < 0 ? QStringLiteral("-") : QString())
        .arg(magnitude / 100)
        .arg(magnitude % 100, 2, 10, QLatin1Char('0'));
}

QString Money::display() const {
    const std::int64_t magnitude = cents_ < 0 ? -cents_ : cents_;
    QString whole = QString::number(magnitude / 100);
    for (int i = whole.size() - 3; i > 0; i -= 3)
        whole.insert(i, QLatin1Char(','));
    return QStringLiteral("%1%2.%3")
        .arg(cents_ < 0 ? QStringLiteral("-") : QString(), whole)
        .arg(magnitude % 100, 2, 10, QLatin1Char('0'));
}

} // namespace store
