#include "reports/ReportLayout.h"
#include "support/QtPrinting.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

using namespace reports;

namespace {

QString text(const QString& value, int width) {
    QString line;
    appendText(line, value, width);
    return line;
}

QString cost(std::optional<store::Money> value, const QString& before, int end) {
    QString line = before;
    appendCost(line, value, end);
    return line;
}

} // namespace

TEST(ReportLayout, TextColumnsTrimCutAndFill) {
    struct Case {
        QString value;
        int width;
        QString expected;
    };
    const Case cases[] = {
        {QStringLiteral("Antivirus Endpoints"), 20, QStringLiteral("Antivirus Endpoints ")},
        {QStringLiteral("Antivirus Endpoints!"), 20, QStringLiteral("Antivirus Endpoints ")},
        {QStringLiteral("  Laptop  "), 10, QStringLiteral("Laptop    ")},
        {QStringLiteral("KEY-AAAA-BBBB-CCCC-DDDD-EEEE-FF"), 25,
         QStringLiteral("KEY-AAAA-BBBB-CCCC-DDDD- ")},
        {QString(), 5, QStringLiteral("     ")},
        // Line breaks and tabs inside a value are one blank each; at its
        // ends they go with the trimming.
        {QStringLiteral("Switch\r\n24\tport\n"), 20, QStringLiteral("Switch 24 port      ")},
        {QStringLiteral("a\rb\nc"), 8, QStringLiteral("a b c   ")},
        // A character outside the basic plane is never cut in half.
        {QStringLiteral("abc") + QString::fromUtf8("\xF0\x9F\x98\x80"), 5, QStringLiteral("abc  ")},
        {QStringLiteral("ab") + QString::fromUtf8("\xF0\x9F\x98\x80"), 5,
         QStringLiteral("ab") + QString::fromUtf8("\xF0\x9F\x98\x80") + QStringLiteral(" ")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(text(c.value, c.width), c.expected) << c.value.toStdString();
}

TEST(ReportLayout, TypeAndExpiryColumns) {
    const std::pair<QString, QString> types[] = {
        {QStringLiteral("N"), QStringLiteral("Normal    ")},
        {QStringLiteral(" N "), QStringLiteral("Normal    ")},
        {QStringLiteral("T"), QStringLiteral("Temp      ")},
        {QStringLiteral("n"), QStringLiteral("Temp      ")},
        {QString(), QStringLiteral("Temp      ")},
    };
    for (const auto& [type, expected] : types) {
        QString line;
        appendType(line, type, 10);
        EXPECT_EQ(line, expected) << type.toStdString();
    }
    QString line;
    appendExpiry(line, QDate(2027, 3, 1), 15);
    appendExpiry(line, std::nullopt, 15);
    appendExpiry(line, QDate(2009, 11, 5), 15);
    EXPECT_EQ(line, QStringLiteral("01/03/27") + QString(22, QLatin1Char(' ')) +
                        QStringLiteral("05/11/09       "));
}

TEST(ReportLayout, StoredDatesReadWithOrWithoutTime) {
    EXPECT_EQ(storedDate(u"2026-12-09"), QDate(2026, 12, 9));
    EXPECT_EQ(storedDate(u"2026-12-09 23:59:59"), QDate(2026, 12, 9));
    EXPECT_EQ(storedDate(u" 2026-02-28 "), QDate(2026, 2, 28));
    // A year past 9999 written by another tool is the date it is.
    EXPECT_EQ(storedDate(u"12026-05-06"), QDate(12026, 5, 6));
    for (const char16_t* bad : {u"", u"   ", u"2026-02-30", u"09/12/2026", u"2026-1-9",
                                u"2026-12-0x", u"12026-5-6", u"12026-02-30"})
        EXPECT_EQ(storedDate(bad), std::nullopt) << QString::fromUtf16(bad).toStdString();
}

TEST(ReportLayout, CostEndsInItsColumnEndFollowedByOneBlank) {
    const QString before(100, QLatin1Char('x'));
    struct Case {
        qint64 cents;
        QString figure;
    };
    const Case cases[] = {
        {123450, QStringLiteral("1,234.50")},
        {0, QStringLiteral("0.00")},
        {99999999, QStringLiteral("999,999.99")},
        {-5, QStringLiteral("-0.05")},
    };
    for (const Case& c : cases) {
        const QString line = cost(store::Money::fromCents(c.cents), before, 110);
        EXPECT_EQ(line.size(), 111);
        EXPECT_EQ(line.mid(110 - c.figure.size(), c.figure.size() + 1), c.figure + u' ');
        EXPECT_EQ(line.left(110 - c.figure.size()).trimmed(), before);
    }
    // 1,000,000.00 is wider than the ten characters of room: it takes what
    // it needs, right after the columns, and is still followed by a blank.
    EXPECT_EQ(cost(store::Money::fromCents(100000000), before, 110),
              before + QStringLiteral("1,000,000.00 "));
    EXPECT_EQ(cost(store::Money::fromCents(12345678900), before, 110),
              before + QStringLiteral("123,456,789.00 "));
    EXPECT_EQ(cost(std::nullopt, before, 110), before + QString(21, QLatin1Char(' ')));
}

TEST(ReportLayout, CostFigureIsTheMoneyDisplayForm) {
    // Every count of digits on both sides of a comma, both signs and the
    // extremes of a stored amount.
    std::vector<qint64> cents = {
        std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max(), 1, 9, 10, 99, 100};
    for (qint64 power = 100; power <= 100000000000000000LL; power *= 10)
        for (qint64 step : {power - 1, power, power + 7})
            cents.insert(cents.end(), {step, -step});
    for (const qint64 c : cents) {
        const store::Money money = store::Money::fromCents(c);
        const QString line = cost(money, QString(), 40);
        EXPECT_EQ(line.trimmed(), money.display()) << c;
        EXPECT_TRUE(line.endsWith(money.display() + u' ')) << c;
    }
}
