#pragma once

// Finding a window's controls by their object names, as a user finds them
// by what they show.

#include <QObject>
#include <QString>

#include <gtest/gtest.h>

namespace testing_support {

// The one child of parent with that object name; a test failure (and null)
// when there is none.
template <typename T> T* child(const QObject* parent, const char* name) {
    T* found = parent->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << "no control named " << name;
    return found;
}

} // namespace testing_support
