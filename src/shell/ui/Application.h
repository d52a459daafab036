#pragma once

#include <QApplication>

namespace common {
class Messages;
}

namespace shell {

// The application object. Its notify is the last line of defence: an
// unexpected database error that escapes an event handler is shown as one
// message and the event loop carries on.
class Application : public QApplication {
public:
    Application(int& argc, char** argv, common::Messages& messages);
    bool notify(QObject* receiver, QEvent* event) override;

private:
    common::Messages& messages_;
};

} // namespace shell
