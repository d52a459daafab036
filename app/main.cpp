// vemora: the asset register.

#include "common/Clock.h"
#include "common/ui/BoxFileChooser.h"
#include "common/ui/BoxMessages.h"
#include "shell/ui/Application.h"
#include "shell/ui/Program.h"
#include "shell/ui/WindowMemory.h"

#include "shell/StartUp.h"

#include <QInputDialog>
#include <QLineEdit>
#include <QPrinterInfo>

int main(int argc, char** argv) {
    common::BoxMessages messages;
    shell::Application app(argc, argv, messages);
    QApplication::setApplicationName(QStringLiteral("Vemora Assets"));

    common::SystemClock clock;
    common::BoxFileChooser files;
    shell::Program program(messages, clock, files);
    shell::Program::Options options;
    options.directory = QApplication::applicationDirPath();
    options.printers = QPrinterInfo::availablePrinterNames();
    // --server URL, or vemora.ini beside the program, names a register on a
    // database server; the password the server asks for is never kept.
    options.server = shell::chosenServer(QApplication::arguments(), options.directory);
    options.password = [](const QString& login) -> std::optional<QString> {
        bool ok = false;
        const QString password = QInputDialog::getText(
            nullptr, QStringLiteral("Vemora! - Assets"),
            QStringLiteral("Password for %1:").arg(login), QLineEdit::Password, QString(), &ok);
        if (!ok)
            return std::nullopt;
        return password;
    };
    options.settings = shell::userSettings();
    if (!program.Main(options))
        return 1;
    return QApplication::exec();
}
