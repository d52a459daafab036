#pragma once

// The mode texts that an opener sets on a maintenance dialog (its Mode
// member) and that some logic operations take.

#include <QString>

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
