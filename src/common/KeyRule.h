#pragma once

// The rule by which text boxes filter keys as they are typed, and the same
// rule applied to a whole text that reached a box without being typed
// (pasted), so that what is stored is what the keys could have entered.

#include <QString>

namespace common {

enum class FieldKind {
    FreeText,  // any character but the vertical bar
    Digits,    // digits only
    Telephone, // digits, "+", "-", "(", ")" and the blank
    Cost,      // digits and the decimal point
};

// The longest cost text a cost box takes (product, stock item, licence).
inline constexpr int CostLimit = 20;

enum class KeyVerdict {
    Pass,        // the key goes into the field
    Drop,        // the key is swallowed silently
    DropAtLimit, // swallowed; "Only N characters allowed" is shown
    Action,      // Enter: acts as the dialog's action button
};

// What happens to one typed key. key is the key's text ("\r" for Enter,
// "\b" for Backspace); length is the field's current length less any
// selected text, which the key would replace.
KeyVerdict judgeKey(FieldKind kind, int limit, int length, const QString& key);

// True when every character of text is one the key filter of a field of
// that kind lets in: no control characters (Tab, line ends, ...) and only
// the kind's characters. Length is not judged here.
bool fitsField(FieldKind kind, const QString& text);

// "Only N characters allowed".
QString limitMessage(int limit);

} // namespace common
