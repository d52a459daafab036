#pragma once

#include <QLocale>
#include <QString>

#include <memory>

namespace store {
class Database;
}

namespace shell {

class Messages;
class Session;
class frmAbout;
class frmVemora;

// Start-up: the date order, the database, the splash, then the main window.
class Program {
public:
    explicit Program(Messages& messages);
    ~Program();

    struct Options {
        QLocale locale = QLocale::system();
        QString directory;      // where the database file lies
        bool showSplash = true; // the splash holds start-up for three seconds
        QStringList printers;   // installed printers' device names
    };

    // Runs start-up. False when the program must end without a window.
    bool Main(const Options& options);

    frmVemora* mainWindow() const { return main_.get(); }
    frmAbout* about() const { return about_.get(); }

private:
    Messages& messages_;
    std::unique_ptr<store::Database> db_;
    std::unique_ptr<Session> session_;
    std::unique_ptr<frmAbout> about_;
    std::unique_ptr<frmVemora> main_;
};

} // namespace shell
