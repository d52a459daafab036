#pragma once

// Reading and writing a whole file's bytes, and its mode, in tests that
// compare files before and after.

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace testing_support {

// The file's bytes; a file that cannot be read fails the test.
inline QByteArray bytesOf(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

// Makes or replaces the file with exactly these bytes.
inline void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size()) << path.toStdString();
}

// The permission bits of the file itself (a link is not followed); a file
// that cannot be read fails the test.
inline unsigned modeOf(const QString& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(QFile::encodeName(path).constData(), &st), 0) << path.toStdString();
    return st.st_mode & 07777;
}

// What a test compares of a file before and after: its bytes and mode, or
// that it is not there.
struct FileState {
    bool exists = false;
    QByteArray bytes;
    QFile::Permissions mode;
    bool operator==(const FileState& o) const {
        return exists == o.exists && bytes == o.bytes && mode == o.mode;
    }
};

inline FileState stateOf(const QString& path) {
    if (!QFileInfo::exists(path))
        return {};
    return {true, bytesOf(path), QFile::permissions(path)};
}

} // namespace testing_support
