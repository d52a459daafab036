#pragma once

// The one way logic classes talk to the user. Windows answer with message
// boxes (BoxMessages), tests with a script (ScriptedMessages). Every message
// is also written as one line to standard error just before it is shown.

#include <QString>

#include <functional>

namespace store {
class DbError;
}

namespace common {

inline const QString MessageTitle = QStringLiteral("Vemora! Assets");

// Added to the message of an error that shows the database file damaged.
inline const QString DamagedDatabase =
    QStringLiteral("The database is damaged. Restore a backup copy with File, Database Utils, "
                   "Restore Database.");

// Another user got to the same row first (a register on a server): the
// work was not stored, and the page the user works on is rebuilt.
inline const QString ChangedByAnotherUser =
    QStringLiteral("This item was changed by another user; the page has been refreshed");
inline const QString RemovedByAnotherUser = QStringLiteral("This item was removed by another user");
inline const QString StockCodeAddedByAnotherUser =
    QStringLiteral("A stock item with this code was added by another user");
// The server's connection broke under the work: the server rolled it back,
// and the next action connects again.
inline const QString ConnectionLost = QStringLiteral("The connection to the server was lost");

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
    // An unexpected database error: one critical message naming it. A lost
    // connection says so (ConnectionLost), and a transaction that another
    // session's work kept failing says ChangedByAnotherUser; both then ask
    // for the page to be rebuilt.
    void reportError(const store::DbError& error, ErrorForm form = ErrorForm::Full);

    // Another user got there first: the refusal (one of the texts above,
    // or a check's own message) and then the page is rebuilt from the
    // database.
    void conflict(const QString& text);
    // What rebuilds the page the user works on; the main window sets it.
    void setRefresh(std::function<void()> refresh) { refresh_ = std::move(refresh); }

protected:
    // Shows the message and, for a question, returns true for Yes.
    virtual bool present(MessageKind kind, const QString& text) = 0;
    // Shows a question with its default button; returns true for Yes. Unless
    // replaced, the question is presented as any other.
    virtual bool presentQuestion(const QString& text, DefaultButton byDefault);

private:
    void refresh();
    std::function<void()> refresh_;
    bool show(MessageKind kind, const QString& text, DefaultButton byDefault = DefaultButton::Yes);
};

} // namespace common
