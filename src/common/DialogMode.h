#pragma once

// A maintenance dialog's mode, and the mode texts that an opener sets on
// the dialog (its Mode member) and that some logic operations take.

#include <QString>

#include <optional>

namespace common {

namespace mode {

inline const QString Add = QStringLiteral("ADD");
inline const QString Modify = QStringLiteral("MODIFY");
inline const QString View = QStringLiteral("VIEW");
// Product validation's name for a change.
inline const QString Mod = QStringLiteral("MOD");

} // namespace mode

// What a dialog does with its record. A dialog reads its Mode text once,
// as it is shown, and decides by this from then on.
enum class DialogMode { Add, Modify, View };

// The mode a Mode text names ("ADD", "MODIFY", "VIEW", exactly); no value
// for any other text.
inline std::optional<DialogMode> dialogMode(const QString& text) {
    if (text == mode::Add)
        return DialogMode::Add;
    if (text == mode::Modify)
        return DialogMode::Modify;
    if (text == mode::View)
        return DialogMode::View;
    return std::nullopt;
}

} // namespace common
