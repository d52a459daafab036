#pragma once

// What the cases share: a working copy of the seeded database, the hooks a
// session needs, and one main window made as start-up makes it, whose
// connection and logic objects the cases use.

#include "common/Clock.h"
#include "common/FileChooser.h"
#include "common/Messages.h"
#include "shell/ui/Program.h"

#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <optional>
#include <utility>

namespace store {
class Database;
}
namespace common {
class Session;
}
namespace shell {
class frmVemora;
}

namespace bench {

// Answers Yes to every question, as a user going ahead would, and keeps
// every other message: an operation that shows one was refused or failed,
// and its time means nothing.
class BenchMessages : public common::Messages {
public:
    QStringList takeTrouble() { return std::exchange(trouble_, {}); }

protected:
    bool present(common::MessageKind kind, const QString& text) override;

private:
    QStringList trouble_;
};

// The user cancels every file dialog; no benchmarked operation asks for one.
class NoFiles : public common::FileChooser {
public:
    std::optional<QString> choose(const common::FileRequest&) override { return std::nullopt; }
};

class Context {
public:
    // Copies the seeded database into a new directory beside it (so on the
    // same disk), under the name the program looks for, and starts the main
    // window on it; a second copy in a directory of its own is for timing
    // start-up, which a running program's lock on the first would refuse.
    // The copies go when the bench ends.
    explicit Context(const QString& seededFile);
    // On a server register (a libpq URI or service=NAME) that already holds
    // the seeded register, e.g. copied there by "vemora-admin copy": no
    // copies are made, and start-up opens the server each time.
    struct OnServer {
        QString address;
    };
    explicit Context(const OnServer& server);
    ~Context();

    // The server's address; empty on the file.
    QString server() const { return server_; }

    QString directory() const { return dir_.path(); }
    // The second copy's directory, which no running program has locked.
    QString startUpDirectory() const { return startUpDir_.path(); }
    BenchMessages& messages() { return messages_; }
    common::Clock& clock() { return clock_; }
    common::FileChooser& files() { return files_; }

    // Start-up as the bench runs it: no splash (it holds start-up for three
    // seconds), a day/month/year locale, the database in dir (or the server).
    shell::Program::Options startOptions(const QString& dir) const;

    shell::frmVemora& window();
    common::Session& session();
    store::Database& db();

    // Throws when the program has shown a message since the last call.
    void requireNoMessages();

private:
    void start();

    QString server_;
    QTemporaryDir dir_;
    QTemporaryDir startUpDir_;
    BenchMessages messages_;
    common::SystemClock clock_;
    NoFiles files_;
    std::unique_ptr<shell::Program> program_;
};

} // namespace bench
