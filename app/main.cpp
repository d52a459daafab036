// vemora: the asset register.

#include "shell/ui/Application.h"
#include "shell/ui/BoxMessages.h"
#include "shell/ui/Program.h"

#include <QPrinterInfo>

int main(int argc, char** argv) {
    shell::BoxMessages messages;
    shell::Application app(argc, argv, messages);
    QApplication::setApplicationName(QStringLiteral("Vemora Assets"));

    shell::Program program(messages);
    shell::Program::Options options;
    options.directory = QApplication::applicationDirPath();
    options.printers = QPrinterInfo::availablePrinterNames();
    if (!program.Main(options))
        return 1;
    return QApplication::exec();
}
