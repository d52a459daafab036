#pragma once

// An amount of money held exactly in hundredths, so that sums and
// comparisons never drift the way binary floating point does.

#include <QString>

#include <cstdint>
#include <optional>

namespace store {

class Money {
public:
    constexpr Money() = default;
    static constexpr Money fromCents(std::int64_t cents) { return Money(cents); }

    // Reads an amount as typed: digits with at most one decimal point and at
    // most two decimals, thousands separators "," allowed, blanks trimmed.
    // Empty text reads as 0.00. Anything else gives no value.
    static std::optional<Money> parse(const QString& text);
    // The same, telling a malformed text from a well-formed amount with more
    // than 15 whole digits, which is too large to hold. value is set only
    // for Reading::Amount.
    enum class Reading { Amount, Invalid, TooLarge };
    static Reading read(const QString& text, Money& value);

    constexpr std::int64_t cents() const { return cents_; }

    // "##,##0.00": thousands grouped with ",", two decimals. Any stored
    // value is shown as it is, the lowest 64-bit amount included.
    QString display() const;
    // "0.00": no grouping, two decimals; the form loaded into an input field.
    QString field() const;

    friend constexpr bool operator==(Money a, Money b) { return a.cents_ == b.cents_; }
    friend constexpr bool operator!=(Money a, Money b) { return a.cents_ != b.cents_; }
    friend constexpr bool operator<(Money a, Money b) { return a.cents_ < b.cents_; }
    friend constexpr bool operator>(Money a, Money b) { return a.cents_ > b.cents_; }
    friend constexpr Money operator+(Money a, Money b) { return Money(a.cents_ + b.cents_); }

private:
    constexpr explicit Money(std::int64_t cents) : cents_(cents) {}
    std::int64_t cents_ = 0;
};

} // namespace store
