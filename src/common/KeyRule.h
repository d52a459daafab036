#pragma once

// The rule by which text boxes filter keys as they are typed.

#include <QString>

namespace common {

enum class FieldKind {
    FreeText,  // any character but the apostrophe and the vertical bar
    Digits,    // digits only
    Telephone, // digits, "(", ")" and the blank
    Cost,      // digits and the decimal point
};

enum class KeyVerdict {
    Pass,        // the key goes into the field
    Drop,        // the key is swallowed silently
    DropAtLimit, // swallowed; "Only N characters allowed" is shown
    Action,      // Enter: acts as the dialog's action button
};

// What happens to one typed key. key is the key's text ("\r" for Enter,
// "\b" for Backspace); length is the field's current length.
KeyVerdict judgeKey(FieldKind kind, int limit, int length, const QString& key);

// "Only N characters allowed".
QString limitMessage(int limit);

} // namespace common
