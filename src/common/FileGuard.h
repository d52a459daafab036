#pragma once

// The one guard over every file the program writes: report PDFs, text and
// workbook exports, CSV files and database backups. None of them may land on
// the live database, its journals, or the program's own files (the programs
// beside it and the help file); a report may not land on any asset database
// either. Files are recognised by identity, not by the text of their path:
// symbolic links, "." and "..", hard links, letter case where the file
// system ignores it.
//
// Files written through ReplacementFile go to a temporary file beside
// their target and are renamed over it only when complete, so a failed write
// leaves an existing file as it was.

#include "common/FileWork.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace store {
class Database;
}

namespace common {

// The help file beside the program.
inline const QString HelpFileName = QStringLiteral("AssetsHelp.qch");

// The refusal of a report output that names a protected file.
inline const QString ProtectedTargetRefusal =
    QStringLiteral("The report cannot be saved as \"%1\": that file belongs to the program or its "
                   "database. Choose another file.");
// ProtectedTargetRefusal for path, in the system's separators.
QString protectedTargetRefusal(const QString& path);

// What is being written.
enum class Written {
    // A report (PDF, text, workbook, CSV): also refused over any asset
    // database, so that no register or backup is lost to a report.
    Report,
    // A copy of the database: may replace an older backup.
    DatabaseCopy,
};

// The programs and the help file that lie beside the running program
// (nothing when no application object exists).
QStringList programFiles();

// The file a connection has open ("" in memory or closed).
QString databaseFile(const store::Database& db);

// The live database file with its journals and its lock, and the program's files.
QStringList protectedFiles(const QString& liveDatabase);

// True when both paths name one file, however written; for a file not made
// yet, when both name the same place in the same folder.
bool sameFile(const QString& a, const QString& b);

// True when the file at path is an asset database: named like the live
// one, or an existing file that carries the database's ".mdb" extension, is
// an SQLite database, or opens with the program's key.
bool isAssetDatabase(const QString& path);

// True when what may not be written to path: one of protectedFiles, or for
// a report an asset database.
bool isProtectedTarget(const QString& path, const QString& liveDatabase,
                       Written what = Written::Report);

// A file written under a temporary name beside its target (a link's target
// when the target is a symbolic link) and renamed over it by commit(). The
// temporary file is one of FileWork's locked temporary copies, so a killed
// writer's leftover is removed by the next one; it gets the target's
// permissions, or those of a new file under the user's umask, and is removed
// unless committed.
class ReplacementFile {
public:
    explicit ReplacementFile(const QString& target, FileSync& sync = systemFileSync());
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Makes the empty temporary file; false (errorString says why) when it
    // cannot be made.
    bool create();
    // The temporary file to write (empty before create).
    const QString& temporaryPath() const;
    // The file it replaces.
    const QString& target() const { return target_; }
    // Syncs the written file and renames it over the target; false
    // (errorString says why) when that fails, the temporary file then gone.
    bool commit();
    const QString& errorString() const { return error_; }

private:
    QString target_;
    FileSync& sync_;
    std::unique_ptr<TemporaryCopy> copy_;
    QString error_;
};

} // namespace common
