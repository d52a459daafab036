#pragma once

// The one way logic classes talk to the user. Windows answer with message
// boxes (BoxMessages), tests with a script (ScriptedMessages). Every message
// is also written as one line to standard error just before it is shown.

#include <QString>

namespace store {
class DbError;
}

namespace common {

inline const QString MessageTitle = QStringLiteral("Vemora! Assets");

// Added to the message of an error that shows the database file damaged.
inline const QString DamagedDatabase =
    QStringLiteral("The database is damaged. Restore a backup copy with File, Database Utils, "
                   "Restore Database.");

enum class MessageKind {
    Refusal,  // exclamation icon, OK: refused input or action
    Failure,  // critical icon, OK
    Notice,   // information icon, OK
    Question, // question icon, Yes/No, Yes the default unless the asker says No
};

// The button of a question that Enter presses.
enum class DefaultButton { Yes, No };

QString kindName(MessageKind kind);

// A message as its log line shows it: on one line, control characters
// escaped ("\u001b").
QString logLine(const QString& text);

// How an unexpected error is named: "description - number", or (where a
// handler says so) the description alone.
enum class ErrorForm { Full, Description };

class Messages {
public:
    virtual ~Messages() = default;

    void refuse(const QString& text) { show(MessageKind::Refusal, text); }
    void fail(const QString& text) { show(MessageKind::Failure, text); }
    void notify(const QString& text) { show(MessageKind::Notice, text); }
    // True for Yes. A question whose Yes cannot be undone (a delete for
    // good) makes No the default.
    bool ask(const QString& text, DefaultButton byDefault = DefaultButton::Yes);
    // An unexpected database error: one critical message naming it.
    void reportError(const store::DbError& error, ErrorForm form = ErrorForm::Full);

protected:
    // Shows the message and, for a question, returns true for Yes.
    virtual bool present(MessageKind kind, const QString& text) = 0;
    // Shows a question with its default button; returns true for Yes. Unless
    // replaced, the question is presented as any other.
    virtual bool presentQuestion(const QString& text, DefaultButton byDefault);

private:
    bool show(MessageKind kind, const QString& text, DefaultButton byDefault = DefaultButton::Yes);
};

} // namespace common
