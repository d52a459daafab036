// Every test run keeps the user's settings in a temporary directory of its
// own, never in the real configuration directory: set before any test
// runs, for this process and the programs it starts.

#include <QSettings>
#include <QTemporaryDir>

namespace {

struct TemporarySettings {
    QTemporaryDir dir;
    TemporarySettings() {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
        qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
    }
};

const TemporarySettings settings;

} // namespace
