#include "reports/ReportLayout.h"

#include "store/StoreConstants.h"

#include <algorithm>

namespace reports {

namespace {

bool isControl(char16_t u) {
    return u < 0x20 || (u >= 0x7F && u <= 0x9F) || u == 0x2028 || u == 0x2029;
}

bool isBlank(char16_t u) {
    return u == u' ' || isControl(u) || QChar::isSpace(u);
}

void appendBlanks(QString& line, qsizetype count) {
    if (count > 0)
        line.resize(line.size() + count, QLatin1Char(' '));
}

void appendTwoDigits(QString& line, int value) {
    line.append(QLatin1Char(static_cast<char>('0' + value / 10 % 10)));
    line.append(QLatin1Char(static_cast<char>('0' + value % 10)));
}

// The digits of text[from, from + count) as a number; -1 if any is not a
// digit.
int digits(QStringView text, qsizetype from, qsizetype count) {
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        const char16_t u = text.at(i).unicode();
        if (u < u'0' || u > u'9')
            return -1;
        value = value * 10 + (u - u'0');
    }
    return value;
}

} // namespace

void appendText(QString& line, QStringView value, int width) {
    // Trim blanks and control characters alike: a value that ends in a
    // line break ends in a blank once written.
    qsizetype begin = 0;
    qsizetype end = value.size();
    while (begin < end && isBlank(value.at(begin).unicode()))
        ++begin;
    while (end > begin && isBlank(value.at(end - 1).unicode()))
        --end;
    const qsizetype start = line.size();
    const qsizetype room = std::max(width - 1, 0);
    for (qsizetype i = begin; i < end && line.size() - start < room; ++i) {
        const QChar c = value.at(i);
        if (!isControl(c.unicode())) {
            // Never split a surrogate pair: the column would end in half a
            // character.
            if (c.isHighSurrogate() && line.size() - start + 1 >= room)
                break;
            line.append(c);
            continue;
        }
        // A line break (CR LF, CR or LF) or a tab is one blank.
        line.append(QLatin1Char(' '));
        if (c == QLatin1Char('\r') && i + 1 < end && value.at(i + 1) == QLatin1Char('\n'))
            ++i;
    }
    appendBlanks(line, width - (line.size() - start));
}

void appendType(QString& line, QStringView type, int width) {
    const bool normal = type.trimmed() == store::LicenceNormal;
    const QLatin1String text = normal ? QLatin1String("Normal") : QLatin1String("Temp");
    line.append(text);
    appendBlanks(line, width - text.size());
}

void appendExpiry(QString& line, const std::optional<QDate>& date, int width) {
    if (!date) {
        appendBlanks(line, width);
        return;
    }
    // "dd/mm/yy", written by hand: a report writes one per row.
    appendTwoDigits(line, date->day());
    line.append(QLatin1Char('/'));
    appendTwoDigits(line, date->month());
    line.append(QLatin1Char('/'));
    appendTwoDigits(line, date->year() % 100);
    appendBlanks(line, width - 8);
}

void appendDaysLeft(QString& line, const std::optional<QDate>& date, const QDate& today,
                    int width) {
    if (!date || !today.isValid()) {
        appendBlanks(line, width);
        return;
    }
    const QString days = QString::number(today.daysTo(*date));
    line.append(days);
    appendBlanks(line, width - static_cast<int>(days.size()));
}

void appendCost(QString& line, const std::optional<store::Money>& cost, int costEnd) {
    if (!cost) {
        appendBlanks(line, 21);
        return;
    }
    // "##,##0.00" as Money::display writes it, built right to left in a
    // buffer of the line's own: a report writes one per row.
    const std::int64_t cents = cost->cents();
    std::uint64_t magnitude = cents < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(cents)
                                        : static_cast<std::uint64_t>(cents);
    char figure[32];
    char* at = figure + sizeof figure;
    *--at = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
    *--at = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
    *--at = '.';
    int inGroup = 0;
    do {
        if (inGroup == 3) {
            *--at = ',';
            inGroup = 0;
        }
        *--at = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
        ++inGroup;
    } while (magnitude > 0);
    if (cents < 0)
        *--at = '-';
    const auto size = static_cast<qsizetype>(figure + sizeof figure - at);
    appendBlanks(line, costEnd - line.size() - size);
    line.append(QLatin1String(at, size));
    line.append(QLatin1Char(' '));
}

std::optional<QDate> storedDate(QStringView text) {
    // "yyyy-MM-dd", read by hand: a report reads one per row.
    const QStringView day = text.trimmed();
    if (day.size() > 10 && day.at(4) != QLatin1Char('-')) {
        // A year past 9999, written by another tool: read as it is.
        const QDate far = store::readStoredDate(day.toString());
        return far.isValid() ? std::optional<QDate>(far) : std::nullopt;
    }
    if (day.size() < 10 || day.at(4) != QLatin1Char('-') || day.at(7) != QLatin1Char('-') ||
        (day.size() > 10 && day.at(10) != QLatin1Char(' ') && day.at(10) != QLatin1Char('T')))
        return std::nullopt;
    const QDate date(digits(day, 0, 4), digits(day, 5, 2), digits(day, 8, 2));
    if (!date.isValid())
        return std::nullopt;
    return date;
}

} // namespace reports
