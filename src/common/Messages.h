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
    Question, // question icon, Yes/No, Yes the default
};

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
    // True for Yes.
    bool ask(const QString& text);
    // A question whose safe answer is No: No is the default button.
    bool askNoByDefault(const QString& text);
    // An unexpected database error: one critical message naming it.
    void reportError(const store::DbError& error, ErrorForm form = ErrorForm::Full);

protected:
    // Shows the message and, for a question, returns true for Yes.
    virtual bool present(MessageKind kind, const QString& text) = 0;
    // A question with No as the default button; as any question unless
    // the messages show buttons.
    virtual bool presentNoByDefault(const QString& text) {
        return present(MessageKind::Question, text);
    }

private:
    bool show(MessageKind kind, const QString& text, bool noByDefault = false);
};

} // namespace common
