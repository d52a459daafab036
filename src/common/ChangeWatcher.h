#pragma once

// Listens for the changes other users make to a register on a server: the
// server tells every session of each transaction that wrote (see
// store::Database::listenForChanges), and changed() carries the tables it
// named. The connection's socket is watched, and looked at every PollMs as
// well: a notification that arrived while the program ran a statement of
// its own has already been read off the socket. The file has no other
// users, and nothing comes.

#include <QObject>
#include <QStringList>

class QSocketNotifier;
class QTimer;

namespace store {
class Database;
}

namespace common {

class ChangeWatcher : public QObject {
    Q_OBJECT
public:
    static constexpr int PollMs = 1000;

    ChangeWatcher(store::Database& db, QObject* parent = nullptr);

    // Reads what has arrived and tells of it.
    void poll();

signals:
    void changed(const QStringList& tables);

private:
    // Watches the connection's socket; a new one after a reconnect.
    void watchSocket();

    store::Database& db_;
    QSocketNotifier* notifier_ = nullptr;
    int socket_ = -1;
    QTimer* timer_ = nullptr;
};

} // namespace common
