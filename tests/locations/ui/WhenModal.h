#pragma once

// Acts on a modal dialog from inside its own event loop: make the action,
// then do what opens the dialog, then check ran(). The action waits until an
// event loop is really running (showing a window may deliver posted events
// before the dialog's loop begins, and a dialog closed then would leave its
// loop waiting). Whatever the action leaves open is closed afterwards, and
// an action that never ran is dropped with its object.

#include <QApplication>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <utility>

namespace testing_support {

template <typename Dialog> class WhenModal {
public:
    explicit WhenModal(std::function<void(Dialog*)> act) : act_(std::move(act)) {
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
        timer_.start();
    }
    WhenModal(const WhenModal&) = delete;
    WhenModal& operator=(const WhenModal&) = delete;

    bool ran() const { return ran_; }

private:
    void tick() {
        if (QThread::currentThread()->loopLevel() == 0)
            return;
        timer_.stop();
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
    QTimer timer_;
    bool ran_ = false;
};

} // namespace testing_support
