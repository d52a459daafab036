#include "shell/DatabaseFile.h"

#include "common/FileGuard.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "store/StoreConstants.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <filesystem>
#include <system_error>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace shell {

namespace {

std::filesystem::path toPath(const QString& path) {
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

[[noreturn]] void fileFailed(const QFileDevice& file) {
    throw FileError(file.errorString(), static_cast<int>(file.error()));
}

// Makes what has been written to an open file durable.
void syncFile(QFileDevice& file) {
    if (!file.flush())
        fileFailed(file);
#ifdef Q_OS_WIN
    const int rc = _commit(file.handle());
#else
    const int rc = ::fsync(file.handle());
#endif
    if (rc != 0) {
        const std::error_code error(errno, std::generic_category());
        throw FileError(QString::fromStdString(error.message()), error.value());
    }
}

void syncPath(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        fileFailed(file);
    syncFile(file);
}

// Makes a rename in dir durable. Best effort: not every system can sync a
// directory, and the rename itself has already happened.
void syncDirectory(const QString& dir) {
#ifndef Q_OS_WIN
    const int fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(dir);
#endif
}

// A new, empty temporary file beside target, named after it; removed when
// it goes out of scope unless it has been renamed into place.
std::unique_ptr<QTemporaryFile> temporaryBeside(const QString& target) {
    const QFileInfo info(target);
    auto file = std::make_unique<QTemporaryFile>(
        QDir(info.absolutePath()).filePath(QStringLiteral(".%1.XXXXXX").arg(info.fileName())));
    if (!file->open())
        fileFailed(*file);
    return file;
}

} // namespace

FileError::FileError(QString description, int number)
    : std::runtime_error(description.toStdString()), description_(std::move(description)),
      number_(number) {}

bool sameFile(const QString& a, const QString& b) {
    return QFileInfo::exists(a) && QFileInfo::exists(b) && common::sameFile(a, b);
}

QString backupName(const QString& chosen) {
    if (chosen.endsWith(QLatin1String(".mdb"), Qt::CaseSensitive))
        return chosen;
    return chosen + QStringLiteral(".mdb");
}

DatabaseFile::DatabaseFile(store::Database& live, QString directory)
    : live_(live), directory_(std::move(directory)) {}

DatabaseFile::~DatabaseFile() = default;

QString DatabaseFile::livePath() const {
    return QDir(directory_).filePath(store::DatabaseFileName);
}

bool DatabaseFile::isLiveFile(const QString& path) const {
    return sameFile(path, livePath());
}

std::optional<QString> DatabaseFile::backup(const QString& destination) {
    if (isLiveFile(destination))
        return CannotBackUpLive;
    if (common::isProtectedTarget(destination, livePath(), common::Written::DatabaseCopy))
        return CannotBackUpOver.arg(QDir::toNativeSeparators(destination));
    // A link is followed: the file it names is the one replaced.
    const QFileInfo info(destination);
    const QString target =
        info.isSymLink() && info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
    std::unique_ptr<QTemporaryFile> copy = temporaryBeside(target);
    copy->close();
    live_.backupTo(copy->fileName());
    syncPath(copy->fileName());
    replaceFile(copy->fileName(), target);
    copy->setAutoRemove(false);
    syncDirectory(QFileInfo(target).absolutePath());
    return std::nullopt;
}

std::optional<QString> DatabaseFile::restore(const QString& source) {
    if (isLiveFile(source))
        return CannotRestoreLive;

    // Copy the chosen file beside the live one, so that the copy that is
    // checked is the very file installed, and the rename stays on one file
    // system.
    QFile input(source);
    if (!input.open(QIODevice::ReadOnly))
        return CannotRestoreFile +
               QStringLiteral("it cannot be read (%1).").arg(input.errorString());
    std::unique_ptr<QTemporaryFile> copy = temporaryBeside(livePath());
    char buffer[64 * 1024];
    for (;;) {
        const qint64 n = input.read(buffer, sizeof buffer);
        if (n < 0)
            return CannotRestoreFile +
                   QStringLiteral("it cannot be read (%1).").arg(input.errorString());
        if (n == 0)
            break;
        if (copy->write(buffer, n) != n)
            fileFailed(*copy);
    }
    syncFile(*copy);
    copy->close();

    if (std::optional<QString> reason = unsoundReason(copy->fileName()))
        return CannotRestoreFile + *reason;

    // Nothing has been touched so far. The live connection closes only now;
    // any journal left beside the live file belongs to the file being
    // replaced and would be played into the new one at the next start.
    live_.close();
    try {
        const QString journal = livePath() + QStringLiteral("-journal");
        if (QFileInfo::exists(journal) && !QFile::remove(journal))
            throw FileError(QStringLiteral("Cannot remove %1").arg(journal), 0);
        replaceFile(copy->fileName(), livePath());
    } catch (...) {
        live_.reopen();
        throw;
    }
    copy->setAutoRemove(false);
    syncDirectory(directory_);
    return std::nullopt;
}

std::optional<QString> DatabaseFile::unsoundReason(const QString& copy) const {
    std::unique_ptr<store::Database> db;
    try {
        db = store::Database::open(copy, store::DatabaseKey);
    } catch (const store::DbError& error) {
        if (error.isCorrupt())
            return QStringLiteral("it is damaged (%1).").arg(error.description());
        return QStringLiteral("it is not an asset database, or it is protected by another "
                              "password (%1).")
            .arg(error.description());
    }
    try {
        store::Query check(*db, QStringLiteral("PRAGMA integrity_check"));
        while (check.next()) {
            const QString line = check.rawTextAt(0);
            if (line != QLatin1String("ok"))
                return QStringLiteral("it is damaged (%1).").arg(line);
        }
    } catch (const store::DbError& error) {
        return QStringLiteral("it is damaged (%1).").arg(error.description());
    }
    try {
        store::verifySchema(*db);
    } catch (const store::DbError& error) {
        return QStringLiteral("it does not hold an asset register this program can use (%1).")
            .arg(error.description());
    }
    return std::nullopt;
}

void DatabaseFile::replaceFile(const QString& from, const QString& to) {
    std::error_code error;
    std::filesystem::rename(toPath(from), toPath(to), error);
    if (error)
        throw FileError(QString::fromStdString(error.message()), error.value());
}

} // namespace shell
