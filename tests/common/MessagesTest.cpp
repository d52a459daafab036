#include "common/Messages.h"
#include "store/Database.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using common::MessageKind;

namespace {

// Records what standard error held at the moment each message was presented.
class StderrAtPresent : public common::Messages {
public:
    std::vector<std::string> seen;
    bool answer = false;

protected:
    bool present(MessageKind, const QString&) override {
        seen.push_back(::testing::internal::GetCapturedStderr());
        return answer;
    }
};

struct LogCase {
    MessageKind kind;
    const char* text;
    const char* line;
};

const LogCase Logged[] = {
    {MessageKind::Refusal, "Only 50 characters allowed", "[warning] Only 50 characters allowed\n"},
    {MessageKind::Failure, "Cannot access database, aborting...",
     "[critical] Cannot access database, aborting...\n"},
    {MessageKind::Notice, "Report Printed", "[information] Report Printed\n"},
    {MessageKind::Question, "Are you sure you wish to Quit ?",
     "[question] Are you sure you wish to Quit ?\n"},
    // Multi-line texts still make one line each.
    {MessageKind::Failure, "first line.\r\nsecond line.",
     "[critical] first line. / second line.\n"},
    {MessageKind::Question, "remove Desk\rThis will go", "[question] remove Desk / This will go\n"},
    {MessageKind::Failure, "one\ntwo", "[critical] one / two\n"},
    // Every other control character is escaped: a stored text cannot forge
    // a line or drive the terminal.
    {MessageKind::Refusal, "a\x1b[2Jb", "[warning] a\\u001b[2Jb\n"},
    {MessageKind::Refusal, "tab\there\vvt\fff", "[warning] tab\\u0009here\\u000bvt\\u000cff\n"},
    {MessageKind::Refusal, "nel\u0085ls\u2028ps\u2029", "[warning] nel\\u0085ls\\u2028ps\\u2029\n"},
    {MessageKind::Refusal, "École – ok", "[warning] École – ok\n"},
};

void show(common::Messages& messages, MessageKind kind, const QString& text) {
    switch (kind) {
    case MessageKind::Refusal:
        messages.refuse(text);
        break;
    case MessageKind::Failure:
        messages.fail(text);
        break;
    case MessageKind::Notice:
        messages.notify(text);
        break;
    case MessageKind::Question:
        messages.ask(text);
        break;
    }
}

} // namespace

TEST(Messages, EachMessageIsOneStderrLineWithItsKindWrittenBeforeItIsShown) {
    for (const LogCase& c : Logged) {
        StderrAtPresent messages;
        ::testing::internal::CaptureStderr();
        show(messages, c.kind, QString::fromUtf8(c.text));
        ASSERT_EQ(messages.seen.size(), 1u) << c.text;
        EXPECT_EQ(messages.seen.front(), c.line);
    }
}

TEST(Messages, AskReturnsTheAnswerAndErrorsAreShownAsDescriptionAndNumber) {
    for (const bool answer : {true, false}) {
        StderrAtPresent messages;
        messages.answer = answer;
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(messages.ask(QStringLiteral("Sure ?")), answer);
    }
    StderrAtPresent messages;
    ::testing::internal::CaptureStderr();
    messages.reportError(store::DbError(QStringLiteral("database is locked"), 5));
    ASSERT_EQ(messages.seen.size(), 1u);
    EXPECT_EQ(messages.seen.front(), "[critical] database is locked - 5\n");
}

TEST(Messages, ErrorsNameTheirNumberUnlessAskedNotToAndADamagedFileSaysWhatToDo) {
    struct Case {
        int number;
        common::ErrorForm form;
        QString shown;
    };
    const QString damaged = QStringLiteral("\r") + common::DamagedDatabase;
    const Case cases[] = {
        {5, common::ErrorForm::Full, QStringLiteral("oops - 5")},
        {5, common::ErrorForm::Description, QStringLiteral("oops")},
        {11, common::ErrorForm::Full, QStringLiteral("oops - 11") + damaged},
        {26, common::ErrorForm::Description, QStringLiteral("oops") + damaged},
    };
    for (const Case& c : cases) {
        struct Recording : common::Messages {
            QString text;
            MessageKind kind{};
            bool present(MessageKind k, const QString& t) override {
                kind = k;
                text = t;
                return true;
            }
        } messages;
        ::testing::internal::CaptureStderr();
        messages.reportError(store::DbError(QStringLiteral("oops"), c.number), c.form);
        ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(messages.kind, MessageKind::Failure);
        EXPECT_EQ(messages.text.toStdString(), c.shown.toStdString()) << c.number;
    }
}
