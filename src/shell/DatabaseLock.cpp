#include "shell/DatabaseLock.h"

#include "common/FileWork.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace shell {

namespace {

// True when path still names the file open as fd: a holder that released
// the lock removed the file it was on, and a new one may already be there.
bool stillNamed(int fd, const QByteArray& path) {
    struct stat open {};
    struct stat named {};
    if (::fstat(fd, &open) != 0 || ::stat(path.constData(), &named) != 0)
        return false;
    return open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

// The process id written in a lock file, when it holds one.
std::optional<qint64> holderIn(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    bool ok = false;
    const qint64 pid = file.read(32).trimmed().toLongLong(&ok);
    if (!ok || pid <= 0)
        return std::nullopt;
    return pid;
}

} // namespace

QString alreadyOpenText(const QString& databasePath, std::optional<qint64> pid) {
    QString text = QStringLiteral("The asset database \"%1\" is already open in another copy of "
                                  "Vemora Assets")
                       .arg(databasePath);
    if (pid)
        text += QStringLiteral(" (process %1)").arg(*pid);
    return text + QLatin1Char('.');
}

QString DatabaseLock::lockPath(const QString& databasePath) {
    return databasePath + QStringLiteral(".lock");
}

std::unique_ptr<DatabaseLock> DatabaseLock::acquire(const QString& databasePath,
                                                    std::optional<qint64>* holder) {
    const QString path = lockPath(databasePath);
    const QByteArray name = QFile::encodeName(path);
    for (int attempt = 0; attempt < 10; ++attempt) {
        const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (fd < 0)
            common::throwErrno(errno);
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(fd);
            if (error != EWOULDBLOCK && error != EINTR)
                common::throwErrno(error);
            if (holder)
                *holder = holderIn(path);
            return nullptr;
        }
        if (!stillNamed(fd, name)) {
            ::close(fd);
            continue;
        }
        // Ours: a file left by a process that has ended is taken over.
        const QByteArray pid = QByteArray::number(static_cast<qint64>(::getpid())) + '\n';
        if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, pid.constData(), pid.size(), 0) != pid.size()) {
            const int error = errno;
            ::close(fd);
            common::throwErrno(error);
        }
        return std::unique_ptr<DatabaseLock>(new DatabaseLock(path, fd));
    }
    throw common::FileError(QStringLiteral("Cannot lock %1").arg(databasePath), EBUSY);
}

DatabaseLock::DatabaseLock(QString path, int fd) : path_(std::move(path)), fd_(fd) {}

DatabaseLock::~DatabaseLock() {
    // Removed while still held, so that no one takes over a file on its way
    // out; a copy that opened it meanwhile sees it gone and opens afresh.
    ::unlink(QFile::encodeName(path_).constData());
    ::close(fd_);
}

} // namespace shell
