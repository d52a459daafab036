#pragma once

// Messages answered from a script: every message shown is recorded, and
// questions take their answers in order from a queue (Yes when the queue
// is empty is a test error, reported by unexpectedQuestion).

#include "common/Messages.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <vector>

namespace testing_support {

struct ShownMessage {
    common::MessageKind kind;
    QString text;
    // For a question: the button that Enter would press.
    common::DefaultButton defaultButton = common::DefaultButton::Yes;
};

class ScriptedMessages : public common::Messages {
public:
    // Queues the answers for the next questions: true for Yes.
    void answer(std::initializer_list<bool> answers) {
        answers_.insert(answers_.end(), answers.begin(), answers.end());
    }
    const std::vector<ShownMessage>& shown() const { return shown_; }
    QStringList texts() const {
        QStringList out;
        for (const auto& m : shown_)
            out << m.text;
        return out;
    }
    void clear() { shown_.clear(); }
    // Drops the answers no question took.
    void forgetAnswers() { answers_.clear(); }
    bool unexpectedQuestion() const { return unexpectedQuestion_; }
    int pendingAnswers() const { return static_cast<int>(answers_.size()); }

protected:
    bool presentQuestion(const QString& text, common::DefaultButton byDefault) override {
        shown_.push_back({common::MessageKind::Question, text, byDefault});
        return nextAnswer();
    }
    bool present(common::MessageKind kind, const QString& text) override {
        shown_.push_back({kind, text, common::DefaultButton::Yes});
        if (kind != common::MessageKind::Question)
            return true;
        return nextAnswer();
    }

private:
    bool nextAnswer() {
        if (answers_.empty()) {
            unexpectedQuestion_ = true;
            return false;
        }
        const bool yes = answers_.front();
        answers_.pop_front();
        return yes;
    }

    std::vector<ShownMessage> shown_;
    std::deque<bool> answers_;
    bool unexpectedQuestion_ = false;
};

} // namespace testing_support
