#pragma once

// Finding a window's controls by their object names, as a user finds them
// by what they show.

#include <QObject>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <gtest/gtest.h>

namespace testing_support {

// The one child of parent with that object name; a test failure (and null)
// when there is none.
template <typename T> T* child(const QObject* parent, const char* name) {
    T* found = parent->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << "no control named " << name;
    return found;
}

// The controls that Tab reaches in window (shown and enabled ones with a
// tab stop), in the order of its focus chain. A part of a composite
// control (one that hands its focus to a part: a date picker, a tab
// widget) or an unnamed part goes by the object name of the control it
// belongs to, once.
inline QStringList tabOrder(QWidget* window) {
    QStringList out;
    const QWidget* last = nullptr;
    for (QWidget* w = window->nextInFocusChain(); w != window; w = w->nextInFocusChain()) {
        if (!(w->focusPolicy() & Qt::TabFocus) || !w->isVisibleTo(window) || !w->isEnabled())
            continue;
        QWidget* named = w;
        for (QWidget* p = named->parentWidget(); p && p != window; p = named->parentWidget()) {
            if (!p->focusProxy() && !named->objectName().isEmpty() &&
                !named->objectName().startsWith(QLatin1String("qt_")))
                break;
            named = p;
        }
        if (named != last)
            out << named->objectName();
        last = named;
    }
    return out;
}

} // namespace testing_support
