#pragma once

#include <QLocale>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QSettings;

namespace store {
class Database;
}

namespace common {
class Clock;
class FileChooser;
class Messages;
class Session;
} // namespace common

namespace shell {

class DatabaseLock;
class frmAbout;
class frmVemora;

// Start-up: the date order, the database, the splash, then the main window.
class Program {
public:
    // The hooks through which the program meets the user and the time.
    Program(common::Messages& messages, common::Clock& clock, common::FileChooser& files);
    ~Program();

    struct Options {
        QLocale locale = QLocale::system();
        QString directory;      // where the database file lies
        bool showSplash = true; // the splash holds start-up for three seconds
        QStringList printers;   // installed printers' device names
        // The register on a server to use instead of the file (a libpq
        // URI or service=NAME); empty for the file in directory.
        QString server;
        // Asks for the password when the server wants one.
        std::function<std::optional<QString>(const QString& login)> password;
        // Where the main window keeps its size, splitters, column widths and
        // report zoom between runs; none: nothing is kept.
        std::shared_ptr<QSettings> settings;
    };

    // Runs start-up. False when the program must end without a window.
    bool Main(const Options& options);

    frmVemora* mainWindow() const { return main_.get(); }
    frmAbout* about() const { return about_.get(); }

private:
    common::Messages& messages_;
    common::Clock& clock_;
    common::FileChooser& files_;
    std::unique_ptr<DatabaseLock> lock_;
    std::unique_ptr<store::Database> db_;
    std::unique_ptr<common::Session> session_;
    std::unique_ptr<frmAbout> about_;
    std::unique_ptr<frmVemora> main_;
};

} // namespace shell
