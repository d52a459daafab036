#include "common/ChangeWatcher.h"

#include "store/Database.h"

#include <QSocketNotifier>
#include <QTimer>

namespace common {

ChangeWatcher::ChangeWatcher(store::Database& db, QObject* parent) : QObject(parent), db_(db) {
    if (!db_.onServer())
        return;
    db_.listenForChanges();
    watchSocket();
    timer_ = new QTimer(this);
    timer_->setInterval(PollMs);
    connect(timer_, &QTimer::timeout, this, &ChangeWatcher::poll);
    timer_->start();
}

void ChangeWatcher::watchSocket() {
    const int socket = db_.notificationSocket();
    if (socket == socket_ && notifier_)
        return;
    delete notifier_;
    notifier_ = nullptr;
    socket_ = socket;
    // A broken connection has no socket until the program's next statement
    // connects again; the timer finds the new one.
    if (socket_ < 0)
        return;
    notifier_ = new QSocketNotifier(socket_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &ChangeWatcher::poll);
}

void ChangeWatcher::poll() {
    watchSocket();
    if (socket_ < 0)
        return;
    const QStringList tables = db_.takeChanges();
    // The socket may have broken while it was read.
    watchSocket();
    if (!tables.isEmpty())
        emit changed(tables);
}

} // namespace common
