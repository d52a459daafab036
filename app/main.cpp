// vemora: the asset register.

#include "shell/ui/BoxMessages.h"
#include "shell/ui/Program.h"

#include <QApplication>
#include <QPrinterInfo>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vemora Assets"));

    shell::BoxMessages messages;
    shell::Program program(messages);
    shell::Program::Options options;
    options.directory = QApplication::applicationDirPath();
    options.printers = QPrinterInfo::availablePrinterNames();
    if (!program.Main(options))
        return 1;
    return QApplication::exec();
}
