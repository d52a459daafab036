#pragma once

// The mode texts that an opener sets on a maintenance dialog (its Mode
// member) and that some logic operations take, and the mode a dialog holds
// once it has read its text.

#include <QString>

#include <optional>

namespace common::mode {

inline const QString Add = QStringLiteral("ADD");
inline const QString Modify = QStringLiteral("MODIFY");
inline const QString View = QStringLiteral("VIEW");
// Product validation's name for a change.
inline const QString Mod = QStringLiteral("MOD");
// Location tree users: a picker for a stock item or licence, the full tree.
inline const QString Product = QStringLiteral("PRODUCT");
inline const QString All = QStringLiteral("ALL");

} // namespace common::mode

namespace common {

// What a maintenance dialog is open for.
enum class DialogModeKind { Add, Modify, View };

// The mode an opener's text names; no value for any other text.
inline std::optional<DialogModeKind> modeKind(const QString& text) {
    if (text == mode::Add)
        return DialogModeKind::Add;
    if (text == mode::Modify)
        return DialogModeKind::Modify;
    if (text == mode::View)
        return DialogModeKind::View;
    return std::nullopt;
}

} // namespace common
