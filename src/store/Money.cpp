#include "store/Money.h"

#include <QRegularExpression>

namespace store {

namespace {

// The size of an amount without its sign: well defined for every value,
// the lowest one (whose negation does not fit) included.
std::uint64_t magnitudeOf(std::int64_t cents) {
    return cents < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(cents)
                     : static_cast<std::uint64_t>(cents);
}

} // namespace

std::optional<Money> Money::parse(const QString& text) {
    Money value;
    if (read(text, value) != Reading::Amount)
        return std::nullopt;
    return value;
}

Money::Reading Money::read(const QString& text, Money& value) {
    QString t = text.trimmed();
    if (t.isEmpty()) {
        value = Money();
        return Reading::Amount;
    }
    static const QRegularExpression grouped(QStringLiteral("^\\d{1,3}(,\\d{3})+(\\.\\d{0,2})?$"));
    static const QRegularExpression plain(QStringLiteral("^(\\d+(\\.\\d{0,2})?|\\.\\d{1,2})$"));
    if (grouped.match(t).hasMatch())
        t.remove(QLatin1Char(','));
    else if (!plain.match(t).hasMatch())
        return Reading::Invalid;

    const int dot = t.indexOf(QLatin1Char('.'));
    const QString whole = dot < 0 ? t : t.left(dot);
    QString frac = dot < 0 ? QString() : t.mid(dot + 1);
    while (frac.size() < 2)
        frac += QLatin1Char('0');
    // Leading zeros add nothing to the amount.
    qsizetype digits = whole.size();
    for (const QChar c : whole) {
        if (c != QLatin1Char('0'))
            break;
        --digits;
    }
    if (digits > 15)
        return Reading::TooLarge;
    const std::int64_t units = whole.isEmpty() ? 0 : whole.toLongLong();
    value = Money(units * 100 + frac.toLongLong());
    return Reading::Amount;
}

QString Money::field() const {
    const std::uint64_t magnitude = magnitudeOf(cents_);
    return QStringLiteral("%1%2.%3")
        .arg(cents_ < 0 ? QStringLiteral("-") : QString())
        .arg(magnitude / 100)
        .arg(magnitude % 100, 2, 10, QLatin1Char('0'));
}

QString Money::display() const {
    const std::uint64_t magnitude = magnitudeOf(cents_);
    QString whole = QString::number(magnitude / 100);
    for (int i = whole.size() - 3; i > 0; i -= 3)
        whole.insert(i, QLatin1Char(','));
    return QStringLiteral("%1%2.%3")
        .arg(cents_ < 0 ? QStringLiteral("-") : QString(), whole)
        .arg(magnitude % 100, 2, 10, QLatin1Char('0'));
}

} // namespace store
