// vemora: the asset register.

#include "common/Clock.h"
#include "common/ui/BoxFileChooser.h"
#include "common/ui/BoxMessages.h"
#include "shell/ui/Application.h"
#include "shell/ui/Program.h"
#include "shell/ui/WindowMemory.h"

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
    options.settings = shell::userSettings();
    if (!program.Main(options))
        return 1;
    return QApplication::exec();
}
