#pragma once

// The user's own settings for licences, kept in the user's configuration
// directory ("Vemora/Vemora Assets.ini" there), apart from the register:
// each user of a register chooses how far ahead expiry is shown.

#include <QString>

namespace common {

// How many days ahead the start-up notice and the report "Licences
// expiring soon" look for expiry dates; 0 turns the start-up notice off.
inline const QString ExpiryWarningDaysKey = QStringLiteral("licences/expiryWarningDays");
inline constexpr int DefaultExpiryWarningDays = 30;
// The longest period taken; a longer or unreadable setting is the default.
inline constexpr int MaxExpiryWarningDays = 3650;

// The period from the user's settings: the default when none is set or the
// setting is not a whole number from 0 to MaxExpiryWarningDays.
int expiryWarningDays();
// Records the period in the user's settings.
void setExpiryWarningDays(int days);
// Removes it from them: the default applies again.
void resetExpiryWarningDays();

// Reads a period as given on a command line or in the settings into days:
// false, days unchanged, unless it is a whole number from 0 to
// MaxExpiryWarningDays.
bool readExpiryWarningDays(const QString& text, int& days);

} // namespace common
