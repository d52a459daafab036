#pragma once

// Reading and writing a whole file's bytes in tests that compare files
// before and after.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

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

} // namespace testing_support
