#include "common/LicenceSettings.h"

#include <QSettings>

namespace common {

namespace {

// The settings file in the user's configuration directory, the same for the
// program and vemora-admin, whatever the application's own names.
QSettings userSettings() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Vemora"),
                     QStringLiteral("Vemora Assets"));
}

} // namespace

bool readExpiryWarningDays(const QString& text, int& days) {
    const QString t = text.trimmed();
    bool ok = !t.isEmpty();
    for (const QChar c : t)
        ok = ok && c >= QLatin1Char('0') && c <= QLatin1Char('9');
    const int value = ok ? t.toInt(&ok) : 0;
    if (!ok || value > MaxExpiryWarningDays)
        return false;
    days = value;
    return true;
}

int expiryWarningDays() {
    const QSettings settings = userSettings();
    int days = DefaultExpiryWarningDays;
    if (!readExpiryWarningDays(settings.value(ExpiryWarningDaysKey).toString(), days))
        return DefaultExpiryWarningDays;
    return days;
}

void setExpiryWarningDays(int days) {
    QSettings settings = userSettings();
    settings.setValue(ExpiryWarningDaysKey, days);
    settings.sync();
}

void resetExpiryWarningDays() {
    QSettings settings = userSettings();
    settings.remove(ExpiryWarningDaysKey);
    settings.sync();
}

} // namespace common
