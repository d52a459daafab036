#include "common/FileGuard.h"

#include "common/FileWork.h"
#include "store/Database.h"
#include "store/StoreConstants.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <filesystem>
#include <system_error>

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
    // A register on a server has no file of its own to guard.
    if (db.onServer())
        return QString();
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

ReplacementFile::ReplacementFile(const QString& target, FileSync& sync)
    : target_(followLinks(target)), sync_(sync) {}

ReplacementFile::~ReplacementFile() = default;

bool ReplacementFile::create() {
    try {
        removeLeftoverCopies(target_);
        auto copy = std::make_unique<TemporaryCopy>(target_);
        // The target's permissions when it exists, else a new file's.
        const QFileInfo existing(target_);
        copy->setMode(existing.exists() ? modeOf(target_) : newFileMode());
        copy_ = std::move(copy);
        return true;
    } catch (const FileError& error) {
        error_ = error.text();
        return false;
    }
}

const QString& ReplacementFile::temporaryPath() const {
    static const QString none;
    return copy_ ? copy_->path() : none;
}

bool ReplacementFile::commit() {
    if (!copy_) {
        error_ = QStringLiteral("Nothing has been written");
        return false;
    }
    try {
        sync_.file(copy_->path());
        std::error_code error;
        std::filesystem::rename(toPath(copy_->path()), toPath(target_), error);
        if (error)
            throw FileError(describe(error), error.value());
        copy_->keep();
        sync_.directory(QFileInfo(target_).absolutePath());
        return true;
    } catch (const FileError& error) {
        error_ = error.text();
        return false;
    }
}

} // namespace common
