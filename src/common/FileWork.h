#pragma once

// The file work under every file the program replaces (backups, restores,
// report files): errors in the system's words, making a copy durable before
// it is renamed into place (a hook, so that tests can see it happen), and
// the hidden temporary copies beside a target file, which are locked while
// their maker works on them so that the leftovers of a killed run can be
// told from copies still in use.

#include <QString>

#include <stdexcept>

namespace common {

// A file that could not be read, written or renamed: the system's
// description (strerror's words) and its error number (errno).
class FileError : public std::runtime_error {
public:
    FileError(QString description, int number);
    const QString& description() const { return description_; }
    int number() const { return number_; }
    // "description - number", the form in which the program reports it.
    QString text() const;

private:
    QString description_;
    int number_;
};

// The error of the last failed system call, in the system's words.
[[noreturn]] void throwErrno(int number);

// Makes written data and renames durable. A copy is synced before it is
// renamed over its target, and the directory after, so that a power cut at
// any moment leaves either the old file or the whole new one.
class FileSync {
public:
    virtual ~FileSync();
    // Makes the contents and mode of the file at path durable; throws
    // FileError when the system cannot.
    virtual void file(const QString& path) = 0;
    // Makes a rename in the directory durable. Best effort: not every file
    // system can sync a directory, and the rename has already happened.
    virtual void directory(const QString& path) = 0;
};

// fsync(2), as the program does it.
class SystemFileSync : public FileSync {
public:
    void file(const QString& path) override;
    void directory(const QString& path) override;
};

SystemFileSync& systemFileSync();

// The name pattern of the temporary copies beside a file called name:
// "." + name + "." + six letters or digits (the form mkstemp and
// QTemporaryFile both make), and the engine's "-journal" of one.
bool isTemporaryCopyOf(const QString& candidate, const QString& name);

// A new, empty file beside target, named by the pattern above, that stays
// locked (flock) while this object lives; removed with its journal when it
// goes, unless keep() was called after it was renamed into place.
class TemporaryCopy {
public:
    explicit TemporaryCopy(const QString& target);
    ~TemporaryCopy();
    TemporaryCopy(const TemporaryCopy&) = delete;
    TemporaryCopy& operator=(const TemporaryCopy&) = delete;

    const QString& path() const { return path_; }
    int handle() const { return fd_; }
    // Writes all of data at the current position.
    void write(const char* data, qint64 size);
    // Gives the file the permission bits mode (e.g. 0644).
    void setMode(unsigned mode);
    // The copy now lives under another name: leave it there.
    void keep() { kept_ = true; }

private:
    QString path_;
    int fd_ = -1;
    bool kept_ = false;
};

// Removes the temporary copies of target (and their journals) that no
// running process holds: what a backup or restore killed half-way left
// behind. Copies still locked by their maker are left alone; a file that
// cannot be removed is skipped. Returns how many files were removed.
int removeLeftoverCopies(const QString& target);

// The file that replacing path replaces: the file a symbolic link names
// (through every link), else path itself, absolute.
QString followLinks(const QString& path);

// The permission bits a new file gets under the process's umask.
unsigned newFileMode();

// The permission bits of the file at path; throws FileError.
unsigned modeOf(const QString& path);

} // namespace common
