#pragma once

#include <QApplication>

namespace shell {

class Messages;

// The application object. Its notify is the last line of defence: an
// unexpected database error that escapes an event handler is shown as one
// message and the event loop carries on.
class Application : public QApplication {
public:
    Application(int& argc, char** argv, Messages& messages);
    bool notify(QObject* receiver, QEvent* event) override;

private:
    Messages& messages_;
};

} // namespace shell
