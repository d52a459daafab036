// vemora-help: the help viewer of Vemora Assets.
//   vemora-help FILE.qch [PAGE]   shows the help file with its contents, index and search,
//                                 on its first page or on PAGE ("allocation.html")

#include "helpviewer/ui/frmHelp.h"

#include <QApplication>
#include <QMessageBox>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vemora Assets Help"));
    const QStringList args = QApplication::arguments();
    helpviewer::frmHelp window;
    const QString error = args.size() == 2 || args.size() == 3
                              ? window.load(args.at(1))
                              : QStringLiteral("usage: vemora-help FILE.qch [PAGE]");
    if (!error.isEmpty()) {
        QMessageBox::critical(nullptr, QStringLiteral("Vemora! Assets"), error);
        return 1;
    }
    if (args.size() == 3)
        window.showPage(args.at(2));
    else
        window.showHome();
    window.show();
    return QApplication::exec();
}
