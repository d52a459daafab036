#include "common/FileWork.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace common {

namespace {

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

// True when path still names the file open as fd: a copy that another
// process removed between its making and its locking is not ours any more.
bool stillNamed(int fd, const QString& path) {
    struct stat open {};
    struct stat named {};
    if (::fstat(fd, &open) != 0 || ::lstat(native(path).constData(), &named) != 0)
        return false;
    return open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

const QString JournalSuffix = QStringLiteral("-journal");

} // namespace

FileError::FileError(QString description, int number)
    : std::runtime_error(description.toStdString()), description_(std::move(description)),
      number_(number) {}

QString FileError::text() const {
    return description_ + QStringLiteral(" - ") + QString::number(number_);
}

void throwErrno(int number) {
    throw FileError(QString::fromLocal8Bit(std::strerror(number)), number);
}

// ------------------------------------------------------------------ syncing

FileSync::~FileSync() = default;

void SystemFileSync::file(const QString& path) {
    const int fd = ::open(native(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throwErrno(errno);
    const int rc = ::fsync(fd);
    const int error = errno;
    ::close(fd);
    if (rc != 0)
        throwErrno(error);
}

void SystemFileSync::directory(const QString& path) {
    const int fd = ::open(native(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

SystemFileSync& systemFileSync() {
    static SystemFileSync sync;
    return sync;
}

// -------------------------------------------------------- temporary copies

bool isTemporaryCopyOf(const QString& candidate, const QString& name) {
    const QString prefix = QLatin1Char('.') + name + QLatin1Char('.');
    if (!candidate.startsWith(prefix))
        return false;
    static const QRegularExpression suffix(QStringLiteral("^[A-Za-z0-9]{6}(-journal)?$"));
    return suffix.match(candidate.mid(prefix.size())).hasMatch();
}

TemporaryCopy::TemporaryCopy(const QString& target) {
    const QFileInfo info(target);
    const QString pattern =
        QDir(info.absolutePath()).filePath(QStringLiteral(".%1.XXXXXX").arg(info.fileName()));
    // A cleaner in another process may take a copy it finds unlocked in the
    // moment between its making and its locking; then make another.
    for (int attempt = 0; attempt < 10; ++attempt) {
        QByteArray name = native(pattern);
        const int fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (fd < 0)
            throwErrno(errno);
        const QString made = QFile::decodeName(name);
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && stillNamed(fd, made)) {
            fd_ = fd;
            path_ = made;
            return;
        }
        ::close(fd);
    }
    throw FileError(QStringLiteral("Cannot make a temporary file beside %1").arg(target), EEXIST);
}

TemporaryCopy::~TemporaryCopy() {
    if (!kept_) {
        // Removed while still locked, so no cleaner takes it half-removed.
        ::unlink(native(path_ + JournalSuffix).constData());
        ::unlink(native(path_).constData());
    }
    ::close(fd_);
}

void TemporaryCopy::write(const char* data, qint64 size) {
    while (size > 0) {
        const ssize_t n = ::write(fd_, data, static_cast<size_t>(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throwErrno(errno);
        }
        data += n;
        size -= n;
    }
}

void TemporaryCopy::setMode(unsigned mode) {
    if (::fchmod(fd_, static_cast<mode_t>(mode)) != 0)
        throwErrno(errno);
}

int removeLeftoverCopies(const QString& target) {
    const QFileInfo info(target);
    const QDir dir(info.absolutePath());
    const QString name = info.fileName();
    int removed = 0;
    const QStringList found =
        dir.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    for (const QString& entry : found) {
        if (!isTemporaryCopyOf(entry, name) || entry.endsWith(JournalSuffix))
            continue;
        const QString path = dir.filePath(entry);
        const int fd = ::open(native(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        // Its maker holds the lock for as long as it works on the copy.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && stillNamed(fd, path)) {
            ::unlink(native(path + JournalSuffix).constData());
            if (::unlink(native(path).constData()) == 0)
                ++removed;
        }
        ::close(fd);
    }
    // A journal whose copy has gone (removed above, or before a kill).
    for (const QString& entry : found) {
        if (!isTemporaryCopyOf(entry, name) || !entry.endsWith(JournalSuffix))
            continue;
        const QString path = dir.filePath(entry);
        if (!QFileInfo::exists(path.chopped(JournalSuffix.size())) &&
            ::unlink(native(path).constData()) == 0)
            ++removed;
    }
    return removed;
}

QString followLinks(const QString& path) {
    const QFileInfo info(path);
    if (info.isSymLink() && info.exists())
        return info.canonicalFilePath();
    return info.absoluteFilePath();
}

unsigned modeOf(const QString& path) {
    struct stat status {};
    if (::stat(native(path).constData(), &status) != 0)
        throwErrno(errno);
    return static_cast<unsigned>(status.st_mode) & 07777u;
}

unsigned newFileMode() {
    // The umask can be read without changing it only from /proc; elsewhere
    // it is set and put back at once.
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("Umask:")) {
                bool ok = false;
                const unsigned mask = line.mid(6).trimmed().toUInt(&ok, 8);
                if (ok)
                    return 0666u & ~mask;
            }
        }
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666u & ~static_cast<unsigned>(mask);
}

} // namespace common
