#pragma once

// Acts on a modal dialog from inside its own event loop: make the action,
// then do what opens the dialog, then check ran(). Whatever the action
// leaves open is closed afterwards, and an action that never ran is dropped
// with its object.

#include "support/InsideEventLoop.h"

#include <QApplication>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <utility>

namespace testing_support {

template <typename Dialog> class WhenModal {
public:
    explicit WhenModal(std::function<void(Dialog*)> act)
        : act_(std::move(act)), loop_([this] { onModal(); }) {}
    WhenModal(const WhenModal&) = delete;
    WhenModal& operator=(const WhenModal&) = delete;

    bool ran() const { return ran_; }

private:
    void onModal() {
        QWidget* modal = QApplication::activeModalWidget();
        auto* dialog = qobject_cast<Dialog*>(modal);
        if (!dialog) {
            ADD_FAILURE() << "the expected dialog is not the modal window";
            if (modal)
                modal->close();
            return;
        }
        ran_ = true;
        act_(dialog);
        if (dialog->isVisible())
            dialog->close();
    }

    std::function<void(Dialog*)> act_;
    bool ran_ = false;
    InsideEventLoop loop_;
};

} // namespace testing_support
