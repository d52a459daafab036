#include "shell/DatabaseFile.h"

#include "common/FileGuard.h"
#include "shell/DatabaseCheck.h"
#include "store/Database.h"
#include "store/StoreConstants.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace shell {

namespace {

std::filesystem::path toPath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

// The first few problems of a check, for a message.
QString firstProblems(const QStringList& problems) {
    constexpr int Shown = 3;
    QString text = problems.mid(0, Shown).join(QStringLiteral("; "));
    if (problems.size() > Shown)
        text += QStringLiteral("; and %1 more").arg(problems.size() - Shown);
    return text;
}

// A problem line without the name of the check that found it.
QString detail(const QString& problem) {
    const qsizetype colon = problem.indexOf(QStringLiteral(": "));
    return colon < 0 ? problem : problem.mid(colon + 2);
}

} // namespace

bool sameFile(const QString& a, const QString& b) {
    return QFileInfo::exists(a) && QFileInfo::exists(b) && common::sameFile(a, b);
}

QString backupName(const QString& chosen) {
    if (chosen.endsWith(QLatin1String(".mdb"), Qt::CaseSensitive))
        return chosen;
    return chosen + QStringLiteral(".mdb");
}

bool rewritePages(store::Database& live, common::FileSync& sync) {
    if (live.pageSize() == 0 || live.pageSize() == store::PageSize)
        return false;
    // Through a link, the file it names is rewritten, and the link stays.
    const QString target = common::followLinks(live.path());
    struct stat status {};
    if (::stat(QFile::encodeName(target).constData(), &status) != 0)
        common::throwErrno(errno);
    common::removeLeftoverCopies(target);
    common::TemporaryCopy copy(target);
    live.exportTo(copy.path(), store::PageSize);
    copy.setMode(status.st_mode & 07777);
    if (::fchown(copy.handle(), static_cast<uid_t>(-1), status.st_gid) != 0) {
        // Kept as the user's own group.
    }
    sync.file(copy.path());
    live.close();
    std::error_code error;
    std::filesystem::rename(toPath(copy.path()), toPath(target), error);
    if (error) {
        live.reopen();
        throw common::FileError(QString::fromStdString(error.message()), error.value());
    }
    copy.keep();
    sync.directory(QFileInfo(target).absolutePath());
    live.reopen();
    return true;
}

DatabaseFile::DatabaseFile(store::Database& live, QString directory, common::FileSync& sync)
    : live_(live), directory_(std::move(directory)), sync_(sync) {}

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
    const QString target = common::followLinks(destination);
    common::removeLeftoverCopies(target);
    common::removeLeftoverCopies(common::followLinks(livePath()));
    common::TemporaryCopy copy(target);
    runner().run(QStringLiteral("Backing up the database"), [&](common::Progress& progress) {
        progress.stage(QStringLiteral("Copying the database"));
        // A connection of its own: the live one belongs to the calling
        // thread. The engine copies one committed state of the file.
        const std::unique_ptr<store::Database> source = live_.openAnother();
        source->backupTo(copy.path(), [&](std::int64_t done, std::int64_t total) {
            progress.report(done, total);
        });
        copy.setMode(common::newFileMode());
        progress.stage(QStringLiteral("Saving the copy"));
        sync_.file(copy.path());
        progress.finish();
    });
    replaceFile(copy.path(), target);
    copy.keep();
    sync_.directory(QFileInfo(target).absolutePath());
    return std::nullopt;
}

std::optional<QString> DatabaseFile::restore(const QString& source) {
    if (isLiveFile(source))
        return CannotRestoreLive;

    // A live file reached through a link stays a link: the file it names is
    // replaced, and so its mode is the one kept.
    const QString target = common::followLinks(livePath());
    struct stat live {};
    if (::stat(QFile::encodeName(target).constData(), &live) != 0)
        common::throwErrno(errno);
    common::removeLeftoverCopies(target);

    // Copy the chosen file beside the live one, so that the copy that is
    // checked is the very file installed, and the rename stays on one file
    // system.
    const int input = ::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC);
    if (input < 0)
        return CannotRestoreFile + QStringLiteral("it cannot be read (%1).")
                                       .arg(QString::fromLocal8Bit(std::strerror(errno)));
    common::TemporaryCopy copy(target);
    std::optional<QString> refusal;
    try {
        runner().run(QStringLiteral("Restoring the database"), [&](common::Progress& progress) {
            struct stat chosen {};
            progress.stage(QStringLiteral("Copying the file"),
                           ::fstat(input, &chosen) == 0 ? chosen.st_size : 0);
            std::vector<char> buffer(1 << 20);
            qint64 copied = 0;
            for (;;) {
                const ssize_t n = ::read(input, buffer.data(), buffer.size());
                if (n < 0 && errno == EINTR)
                    continue;
                if (n < 0) {
                    refusal =
                        CannotRestoreFile + QStringLiteral("it cannot be read (%1).")
                                                .arg(QString::fromLocal8Bit(std::strerror(errno)));
                    return;
                }
                if (n == 0)
                    break;
                copy.write(buffer.data(), n);
                copied += n;
                progress.report(copied);
            }
            progress.stage(QStringLiteral("Checking the database"));
            if (std::optional<QString> reason = unsoundReason(copy.path())) {
                refusal = CannotRestoreFile + *reason;
                return;
            }
            progress.check();
            progress.finish();
        });
    } catch (...) {
        ::close(input);
        throw;
    }
    ::close(input);
    if (refusal)
        return refusal;

    copy.setMode(live.st_mode & 07777);
    // Group too where the user may give it; the owner is the user's.
    if (::fchown(copy.handle(), static_cast<uid_t>(-1), live.st_gid) != 0) {
        // Kept as the user's own group.
    }
    sync_.file(copy.path());

    // Nothing has been touched so far. The live connection closes only now;
    // any journal left beside the live file belongs to the file being
    // replaced and would be played into the new one at the next start.
    live_.close();
    try {
        const QString journal = target + QStringLiteral("-journal");
        if (QFileInfo::exists(journal) && ::unlink(QFile::encodeName(journal).constData()) != 0)
            common::throwErrno(errno);
        replaceFile(copy.path(), target);
    } catch (...) {
        live_.reopen();
        throw;
    }
    copy.keep();
    sync_.directory(QFileInfo(target).absolutePath());
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
    // The check of vemora-admin check; an older version is migrated on the
    // copy, and kept only when everything passes.
    const CheckResult result = checkDatabase(*db, Migration::Keep);
    switch (result.fault) {
    case CheckResult::Fault::None:
        return std::nullopt;
    case CheckResult::Fault::Damage:
        return QStringLiteral("it is damaged (%1).").arg(detail(result.problems.front()));
    case CheckResult::Fault::Schema:
        return QStringLiteral("it does not hold an asset register this program can use (%1).")
            .arg(detail(result.problems.front()));
    case CheckResult::Fault::Register:
        break;
    }
    return QStringLiteral("its records break the rules of the register (%1).")
        .arg(firstProblems(result.problems));
}

common::WorkRunner& DatabaseFile::runner() {
    if (runner_)
        return *runner_;
    if (!ownRunner_)
        ownRunner_ = std::make_unique<common::ThreadRunner>();
    return *ownRunner_;
}

void DatabaseFile::replaceFile(const QString& from, const QString& to) {
    std::error_code error;
    std::filesystem::rename(toPath(from), toPath(to), error);
    if (error)
        throw common::FileError(QString::fromStdString(error.message()), error.value());
}

} // namespace shell
