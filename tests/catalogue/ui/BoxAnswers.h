#pragma once

// Answers the real message boxes that the code under test shows, one after
// another, with the buttons given in order, and records their texts.

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>

#include <deque>

namespace catalogue_testing {

class BoxAnswers {
public:
    explicit BoxAnswers(std::initializer_list<QMessageBox::StandardButton> presses)
        : presses_(presses) {
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible() || presses_.empty())
                return;
            texts << box->text();
            QAbstractButton* button = box->button(presses_.front());
            presses_.pop_front();
            if (button)
                button->click();
            else
                box->reject();
        });
        timer_.start();
    }
    bool allAnswered() const { return presses_.empty(); }
    QStringList texts;

private:
    std::deque<QMessageBox::StandardButton> presses_;
    QTimer timer_;
};

} // namespace catalogue_testing
