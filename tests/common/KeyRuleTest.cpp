#include "common/KeyRule.h"

#include <gtest/gtest.h>

using common::FieldKind;
using common::KeyVerdict;

namespace {

struct KeyCase {
    FieldKind kind;
    int limit;
    int length; // characters already in the field
    const char* key;
    KeyVerdict verdict;
};

constexpr auto Free = FieldKind::FreeText;
constexpr auto Digits = FieldKind::Digits;
constexpr auto Phone = FieldKind::Telephone;
constexpr auto Cost = FieldKind::Cost;
constexpr auto Pass = KeyVerdict::Pass;
constexpr auto Drop = KeyVerdict::Drop;
constexpr auto AtLimit = KeyVerdict::DropAtLimit;
constexpr auto Action = KeyVerdict::Action;

const KeyCase Keys[] = {
    // Backspace always passes, full field or not, whatever the kind.
    {Free, 50, 0, "\b", Pass},
    {Free, 50, 50, "\b", Pass},
    {Free, 50, 60, "\b", Pass},
    {Digits, 6, 6, "\b", Pass},
    {Phone, 20, 20, "\b", Pass},
    {Cost, 10, 10, "\b", Pass},

    // A full field drops every other key, Enter included, and names its limit.
    {Free, 50, 50, "a", AtLimit},
    {Free, 50, 50, "\r", AtLimit},
    {Free, 50, 50, "'", AtLimit},
    {Free, 50, 55, "a", AtLimit},
    {Free, 255, 255, " ", AtLimit},
    {Digits, 6, 6, "1", AtLimit},
    {Phone, 20, 20, "5", AtLimit},
    {Cost, 10, 10, "\r", AtLimit},
    {Free, 50, 49, "a", Pass},

    // Free text: anything but the vertical bar; the apostrophe is a letter
    // of names ("O'Neill").
    {Free, 50, 0, "'", Pass},
    {Free, 50, 10, "|", Drop},
    {Free, 50, 10, "a", Pass},
    {Free, 50, 10, "Z", Pass},
    {Free, 50, 10, " ", Pass},
    {Free, 50, 10, "\"", Pass},
    {Free, 50, 10, "-", Pass},
    {Free, 50, 10, "\xc3\xa9", Pass}, // é
    {Free, 0, 500, "a", Pass},        // no limit

    // Digits only.
    {Digits, 6, 0, "0", Pass},
    {Digits, 6, 5, "9", Pass},
    {Digits, 6, 0, "a", Drop},
    {Digits, 6, 0, ".", Drop},
    {Digits, 6, 0, " ", Drop},
    {Digits, 6, 0, "'", Drop},
    {Digits, 6, 0, "\xd9\xa3", Drop}, // Arabic-Indic three

    // Telephone and fax: digits, "+", "-", brackets and the blank.
    {Phone, 20, 0, "(", Pass},
    {Phone, 20, 3, ")", Pass},
    {Phone, 20, 4, " ", Pass},
    {Phone, 20, 5, "7", Pass},
    {Phone, 20, 5, "-", Pass},
    {Phone, 20, 0, "+", Pass},
    {Phone, 20, 5, ".", Drop},
    {Phone, 20, 5, "x", Drop},
    {Phone, 20, 5, "\xef\xbc\x91", Drop}, // full-width one

    // Cost: digits and the decimal point.
    {Cost, 10, 0, "1", Pass},
    {Cost, 10, 1, ".", Pass},
    {Cost, 10, 1, ",", Drop},
    {Cost, 10, 0, "-", Drop},
    {Cost, 10, 0, "e", Drop},
    {Cost, 10, 0, " ", Drop},
    {Cost, 10, 0, "\xd9\xa3", Drop},

    // Enter below the limit acts as the action button, in every kind.
    {Free, 50, 0, "\r", Action},
    {Free, 50, 49, "\r", Action},
    {Digits, 6, 2, "\r", Action},
    {Phone, 20, 2, "\r", Action},
    {Cost, 10, 2, "\r", Action},
};

const char* kindName(FieldKind kind) {
    switch (kind) {
    case FieldKind::FreeText:
        return "free text";
    case FieldKind::Digits:
        return "digits";
    case FieldKind::Telephone:
        return "telephone";
    case FieldKind::Cost:
        return "cost";
    }
    return "?";
}

} // namespace

TEST(KeyRule, JudgesEachTypedKeyByFieldKindAndLimit) {
    for (const KeyCase& c : Keys)
        EXPECT_EQ(common::judgeKey(c.kind, c.limit, c.length, QString::fromUtf8(c.key)), c.verdict)
            << kindName(c.kind) << " limit " << c.limit << " length " << c.length << " key "
            << QString::fromUtf8(c.key).toUtf8().toHex().toStdString();
}

TEST(KeyRule, LimitMessageNamesTheLimit) {
    const std::pair<int, const char*> messages[] = {{6, "Only 6 characters allowed"},
                                                    {10, "Only 10 characters allowed"},
                                                    {20, "Only 20 characters allowed"},
                                                    {50, "Only 50 characters allowed"},
                                                    {255, "Only 255 characters allowed"}};
    for (const auto& [limit, text] : messages)
        EXPECT_EQ(common::limitMessage(limit), QString::fromLatin1(text));
}

TEST(KeyRule, AWholeTextFitsAFieldOnlyWhenEveryKeyOfItWouldHave) {
    struct Case {
        FieldKind kind;
        const char* text;
        bool fits;
    };
    const Case cases[] = {
        {Free, "O'Neill", true},
        {Free, "Manager's Office", true},
        {Free, "", true},
        {Free, "caf\xc3\xa9 \"corner\"", true},
        {Free, "A | B", false},
        {Free, "Tab\there", false},
        {Free, "Line\r\n", false},
        {Free, "Bell\x07", false},
        {Free, "Line\xe2\x80\xa8sep", false}, // line separator
        {Phone, "+44 20 7946 0958", true},
        {Phone, "(020) 7946-0958", true},
        {Phone, "0958 ext 2", false},
        {Phone, "0958\t", false},
        {Digits, "0123", true},
        {Digits, "12a", false},
        {Cost, "1250.50", true},
        {Cost, "1,250.50", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(common::fitsField(c.kind, QString::fromUtf8(c.text)), c.fits)
            << kindName(c.kind) << " " << c.text;
}
