#pragma once

// Whole-file work on the live asset database: backing it up to a copy and
// restoring it from one. Everything here is checked and atomic: a restore
// installs only a file that opens with the program's key and passes the
// whole check of vemora-admin check (shell/DatabaseCheck), migrated to the
// current schema version on the copy, and it replaces the live file by a
// rename, so that a failure at any step leaves the previous file in place
// and open. A backup goes through a temporary file renamed into place, so a
// failed backup never destroys an older one. Each copy is synced before its
// rename; what a killed run leaves behind is removed by the next backup or
// restore, and by the next start.

#include "common/BackgroundWork.h"
#include "common/FileWork.h"

#include <QString>

#include <memory>
#include <optional>
#include <stdexcept>

namespace store {
class Database;
}

namespace shell {

inline const QString DatabaseFilter = QStringLiteral("Access (*.mdb)");
inline const QString RestoreTitle = QStringLiteral("Select a Database to be Restored");
inline const QString BackupTitle = QStringLiteral("Enter a Filename for your Back-Up");
inline const QString RestoreWarning =
    QStringLiteral("Restoring a database will over right your current database,\r"
                   "If you wish to keep the exisiting database please backup first");
inline const QString CannotRestoreLive = QStringLiteral("You Cannot Restore the System database");
inline const QString CannotBackUpLive = QStringLiteral("You Cannot BackUp to the System database");
// A backup that would replace a journal of the live file or one of the
// program's files.
inline const QString CannotBackUpOver =
    QStringLiteral("The database cannot be backed up as \"%1\": that file belongs to the program "
                   "or its database. Choose another file.");
inline const QString DatabaseRestored = QStringLiteral(
    "Database restored !!\rYou will need to re-start the application to use the restored database");
inline const QString DatabaseBackedUp = QStringLiteral("Database backed-up !!");
// Begins the warning that names why a file cannot be restored.
inline const QString CannotRestoreFile = QStringLiteral("This file cannot be restored: ");

// True when both paths name one existing file, however they are written:
// symbolic links, "." and "..", hard links, other letter case on a file
// system that ignores it.
bool sameFile(const QString& a, const QString& b);

// The name a backup is written under: ".mdb" is appended unless the chosen
// name ends in exactly ".mdb" (so "copy.MDB" becomes "copy.MDB.mdb").
QString backupName(const QString& chosen);

// Rewrites the open register file with pages of store::PageSize when it
// has the old size, in place: the whole database is exported into a
// temporary copy beside it, which gets the file's mode and group, is synced
// and renamed over it; then live is opened again on the new file. Run
// outside any transaction, with the register's lock held. Killed at any
// moment, the file is either the old one, untouched, or the whole new one
// (a leftover copy is removed at the next start). True when the file was
// rewritten; throws common::FileError or store::DbError when it could not
// be, live then still open on the old file.
bool rewritePages(store::Database& live, common::FileSync& sync = common::systemFileSync());

class DatabaseFile {
public:
    // live is the program's open connection to AssetManagement.mdb in
    // directory; sync makes each copy durable before its rename.
    DatabaseFile(store::Database& live, QString directory,
                 common::FileSync& sync = common::systemFileSync());
    virtual ~DatabaseFile();
    DatabaseFile(const DatabaseFile&) = delete;
    DatabaseFile& operator=(const DatabaseFile&) = delete;

    const QString& directory() const { return directory_; }

    // Where the copying and checking run: a thread of their own, with the
    // window's progress dialog or the terminal's line when set. The live
    // connection stays on the calling thread: a backup reads the file
    // through a connection of its own. Cancelled (common::Cancelled passes
    // out of backup and restore), they leave no file behind them and the
    // live file as it was.
    void setWorkRunner(common::WorkRunner* runner) { runner_ = runner; }
    QString livePath() const;
    bool isLiveFile(const QString& path) const;

    // Writes a consistent copy of the live database to destination (the
    // final name, see backupName), replacing a file there (through a link,
    // the file it names), with the mode a new file gets under the umask.
    // Returns the refusal to show when destination is the live file
    // (CannotBackUpLive) or another file of common::FileGuard's
    // (CannotBackUpOver). Throws common::FileError or
    // store::DbError on failure; an older file at destination is then kept.
    std::optional<QString> backup(const QString& destination);

    // Replaces the live file with a checked and migrated copy of source,
    // keeping the live file's mode; a live file that is a symbolic link
    // stays one, and the file it names is replaced. Returns the refusal to
    // show when source is the live file or not a sound asset database;
    // nothing has changed then. On success the connection is left
    // closed: the program ends and the next start opens the restored file.
    // Throws common::FileError or store::DbError on failure, after reopening the
    // previous file, which is still in place.
    std::optional<QString> restore(const QString& source);

protected:
    // Renames from over to, replacing to in one step.
    virtual void replaceFile(const QString& from, const QString& to);

private:
    // Why a copied file may not become the live database, or nothing. A
    // sound copy of an older version is migrated in place.
    std::optional<QString> unsoundReason(const QString& copy) const;

    common::WorkRunner& runner();

    store::Database& live_;
    QString directory_;
    common::FileSync& sync_;
    common::WorkRunner* runner_ = nullptr;
    std::unique_ptr<common::WorkRunner> ownRunner_;
};

} // namespace shell
