#include "store/Money.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>

using store::Money;

namespace store {
void PrintTo(Money m, std::ostream* os) {
    *os << m.field().toStdString();
}
} // namespace store

namespace {

struct ParseCase {
    const char* typed;
    std::int64_t cents;
};

// Amounts as the user types them, read exactly in hundredths.
const ParseCase Accepted[] = {
    {"", 0},
    {"   ", 0},
    {"0", 0},
    {"12", 1200},
    {"12.5", 1250},
    {"12.34", 1234},
    {"  12.34  ", 1234},
    {"5.", 500},
    {".5", 50},
    {".05", 5},
    {"0.07", 7},
    {"0.29", 29},
    {"0012.10", 1210},
    {"1000000", 100000000},
    {"1,000", 100000},
    {"1,234.56", 123456},
    {"1,234.", 123400},
    {"12,345,678.9", 1234567890},
    {"999999999999999.99", 99999999999999999},
};

// Anything that is not digits with an optional point, two decimals at most
// and properly placed thousands separators gives no value.
const char* const Refused[] = {
    "12.345",
    "1.2.3",
    ".",
    "-5",
    "+5",
    "abc",
    "12a",
    "1 234",
    "1e3",
    "$5",
    "1,23",
    "12,34.5",
    ",123",
    "1,,234",
    "1234,567",
    "1,234.567",
    "0x10",
    "\xd9\xa3",
    "1234567890123456",
};

} // namespace

TEST(MoneyParse, ReadsTypedAmountsExactlyInHundredths) {
    for (const ParseCase& c : Accepted) {
        const std::optional<Money> m = Money::parse(QString::fromUtf8(c.typed));
        ASSERT_TRUE(m.has_value()) << '"' << c.typed << '"';
        EXPECT_EQ(m->cents(), c.cents) << '"' << c.typed << '"';
    }
}

TEST(MoneyParse, RefusesTextThatIsNotAnAmount) {
    for (const char* typed : Refused)
        EXPECT_FALSE(Money::parse(QString::fromUtf8(typed)).has_value()) << '"' << typed << '"';
}

TEST(MoneyParse, SumsStayExact) {
    // 0.10 + 0.20 is not 0.30 in binary floating point.
    EXPECT_EQ(*Money::parse(QStringLiteral("0.10")) + *Money::parse(QStringLiteral("0.20")),
              *Money::parse(QStringLiteral("0.30")));
    Money total;
    for (int i = 0; i < 100; ++i)
        total = total + *Money::parse(QStringLiteral("0.01"));
    EXPECT_EQ(total, Money::fromCents(100));
}

namespace {

struct ShowCase {
    std::int64_t cents;
    const char* display; // "##,##0.00"
    const char* field;   // "0.00"
};

const ShowCase Shown[] = {
    {0, "0.00", "0.00"},
    {5, "0.05", "0.05"},
    {50, "0.50", "0.50"},
    {100, "1.00", "1.00"},
    {99999, "999.99", "999.99"},
    {100000, "1,000.00", "1000.00"},
    {123456, "1,234.56", "1234.56"},
    {10000000, "100,000.00", "100000.00"},
    {123456789, "1,234,567.89", "1234567.89"},
    {100000000, "1,000,000.00", "1000000.00"},
    {-5, "-0.05", "-0.05"},
    {-123456, "-1,234.56", "-1234.56"},
};

} // namespace

TEST(MoneyShow, DisplayGroupsThousandsAndFieldDoesNot) {
    for (const ShowCase& c : Shown) {
        const Money m = Money::fromCents(c.cents);
        EXPECT_EQ(m.display(), QString::fromLatin1(c.display)) << c.cents;
        EXPECT_EQ(m.field(), QString::fromLatin1(c.field)) << c.cents;
    }
}

TEST(MoneyShow, ShownFormsReadBackToTheSameAmount) {
    for (const ShowCase& c : Shown) {
        if (c.cents < 0)
            continue; // a typed amount is never negative
        const Money m = Money::fromCents(c.cents);
        EXPECT_EQ(Money::parse(m.display()), m) << c.display;
        EXPECT_EQ(Money::parse(m.field()), m) << c.field;
    }
}

TEST(MoneyShow, EveryStoredAmountIsShownAsItIsTheLowestIncluded) {
    // Written by another tool: the lowest 64-bit amount has no positive
    // twin, and must still show as itself.
    const Money lowest = Money::fromCents(std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(lowest.display(), QStringLiteral("-92,233,720,368,547,758.08"));
    EXPECT_EQ(lowest.field(), QStringLiteral("-92233720368547758.08"));
    const Money highest = Money::fromCents(std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(highest.display(), QStringLiteral("92,233,720,368,547,758.07"));
}

TEST(MoneyParse, MoreThanFifteenWholeDigitsAreTooLargeNotMalformed) {
    struct Case {
        const char* text;
        Money::Reading reading;
    };
    const Case cases[] = {
        {"999999999999999.99", Money::Reading::Amount},
        {"0000000000000001.00", Money::Reading::Amount}, // leading zeros add nothing
        {"1234567890123456", Money::Reading::TooLarge},
        {"1,234,567,890,123,456.00", Money::Reading::TooLarge},
        {"99999999999999999999999999", Money::Reading::TooLarge},
        {"12a", Money::Reading::Invalid},
        {"1.234", Money::Reading::Invalid},
    };
    for (const Case& c : cases) {
        Money value;
        EXPECT_EQ(Money::read(QString::fromLatin1(c.text), value), c.reading) << c.text;
        EXPECT_EQ(Money::parse(QString::fromLatin1(c.text)).has_value(),
                  c.reading == Money::Reading::Amount)
            << c.text;
    }
}
