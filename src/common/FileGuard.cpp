#include "common/FileGuard.h"

#include "store/Database.h"
#include "store/StoreConstants.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <sqlite3.h>

#include <filesystem>
#include <system_error>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace common {

namespace {

std::filesystem::path toPath(const QString& path) {
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

// Where a path finally leads: links followed, also one that leads to no
// file yet; for a file not made yet, its folder resolved and its name.
QString finalPath(const QString& path) {
    QFileInfo info(QFileInfo(path).absoluteFilePath());
    for (int hops = 0; hops < 40 && info.isSymLink() && !info.exists(); ++hops)
        info = QFileInfo(info.symLinkTarget());
    if (info.exists())
        return info.canonicalFilePath();
    const QString folder = info.absoluteDir().canonicalPath();
    return folder.isEmpty() ? info.absoluteFilePath() : folder + QLatin1Char('/') + info.fileName();
}

// The first bytes of every SQLite file that is not keyed.
constexpr char SqliteHeader[] = "SQLite format 3";

bool hasSqliteHeader(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return file.read(sizeof SqliteHeader) == QByteArray(SqliteHeader, sizeof SqliteHeader);
}

// Opens path for reading only with the program's key and reads its
// schema: true when that works, so the file is a keyed database. Deriving
// the key takes a moment, so only files of whole database pages are tried.
bool opensWithKey(const QString& path) {
    const qint64 size = QFileInfo(path).size();
    if (size <= 0 || size % 512 != 0)
        return false;
    return store::Database::opensWithKey(path, store::DatabaseKey);
}

QString describe(const std::error_code& error) {
    return QString::fromStdString(error.message());
}

} // namespace

QString protectedTargetRefusal(const QString& path) {
    return ProtectedTargetRefusal.arg(QDir::toNativeSeparators(path));
}

QStringList programFiles() {
    if (!QCoreApplication::instance())
        return {};
    const QDir dir(QCoreApplication::applicationDirPath());
#ifdef Q_OS_WIN
    const QString suffix = QStringLiteral(".exe");
#else
    const QString suffix;
#endif
    QStringList files{QCoreApplication::applicationFilePath()};
    for (const char* program : {"vemora", "vemora-admin", "vemora-help", "vemora-bench"})
        files << dir.filePath(QString::fromLatin1(program) + suffix);
    files << dir.filePath(HelpFileName);
    return files;
}

QString databaseFile(const store::Database& db) {
    if (!db.isOpen())
        return db.path();
    const char* name = sqlite3_db_filename(db.handle(), "main");
    return name ? QString::fromUtf8(name) : QString();
}

QStringList protectedFiles(const QString& liveDatabase) {
    QStringList files;
    if (!liveDatabase.isEmpty())
        files << liveDatabase << liveDatabase + QStringLiteral("-journal")
              << liveDatabase + QStringLiteral("-wal") << liveDatabase + QStringLiteral("-shm")
              << liveDatabase + QStringLiteral(".lock");
    return files + programFiles();
}

bool sameFile(const QString& a, const QString& b) {
    if (a.isEmpty() || b.isEmpty())
        return false;
    std::error_code error;
    if (QFileInfo::exists(a) && QFileInfo::exists(b))
        return std::filesystem::equivalent(toPath(a), toPath(b), error) && !error;
    return finalPath(a) == finalPath(b);
}

bool isAssetDatabase(const QString& path) {
    const QFileInfo info(finalPath(path));
    if (info.fileName().compare(store::DatabaseFileName, Qt::CaseInsensitive) == 0)
        return true;
    if (!info.isFile())
        return false;
    return info.suffix().compare(QLatin1String("mdb"), Qt::CaseInsensitive) == 0 ||
           hasSqliteHeader(info.filePath()) || opensWithKey(info.filePath());
}

bool isProtectedTarget(const QString& path, const QString& liveDatabase, Written what) {
    for (const QString& own : protectedFiles(liveDatabase))
        if (sameFile(path, own))
            return true;
    return what == Written::Report && isAssetDatabase(path);
}

ReplacementFile::ReplacementFile(const QString& target) : target_(finalPath(target)) {}

ReplacementFile::~ReplacementFile() {
    if (!committed_ && !temporary_.isEmpty())
        QFile::remove(temporary_);
}

bool ReplacementFile::create() {
    const QFileInfo info(target_);
    const QDir folder = info.absoluteDir();
    QFile file;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name =
            QStringLiteral(".%1.%2")
                .arg(info.fileName())
                .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        file.setFileName(folder.filePath(name));
        // A new file: made with the permissions the user's umask gives.
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            temporary_ = file.fileName();
            file.close();
            if (info.exists() && !QFile::setPermissions(temporary_, QFile::permissions(target_))) {
                error_ = QStringLiteral("The permissions of \"%1\" cannot be copied")
                             .arg(QDir::toNativeSeparators(target_));
                return false;
            }
            return true;
        }
        if (!file.exists())
            break;
    }
    error_ = file.errorString();
    return false;
}

bool ReplacementFile::commit() {
    if (temporary_.isEmpty()) {
        error_ = QStringLiteral("Nothing has been written");
        return false;
    }
    QFile written(temporary_);
    if (!written.open(QIODevice::ReadWrite)) {
        error_ = written.errorString();
        return false;
    }
#ifdef Q_OS_WIN
    const int synced = _commit(written.handle());
#else
    const int synced = ::fsync(written.handle());
#endif
    if (synced != 0) {
        error_ = describe(std::error_code(errno, std::generic_category()));
        return false;
    }
    written.close();
    std::error_code error;
    std::filesystem::rename(toPath(temporary_), toPath(target_), error);
    if (error) {
        error_ = describe(error);
        return false;
    }
    committed_ = true;
    return true;
}

} // namespace common
