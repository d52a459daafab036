#include "shell/ui/Application.h"

#include "common/Messages.h"
#include "store/Database.h"

namespace shell {

Application::Application(int& argc, char** argv, common::Messages& messages)
    : QApplication(argc, argv), messages_(messages) {}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const store::DbError& error) {
        messages_.reportError(error);
        return false;
    }
}

} // namespace shell
