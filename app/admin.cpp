// vemora-admin: maintenance commands for asset database files.
//   vemora-admin create PATH   makes a new empty asset database at PATH

#include "store/Database.h"
#include "store/Schema.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

int usage() {
    std::fprintf(stderr, "usage: vemora-admin create PATH\n"
                         "  create PATH   make a new empty asset database at PATH\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() != 2 || args.at(0) != QLatin1String("create"))
        return usage();
    try {
        store::createAssetDatabase(args.at(1));
    } catch (const store::DbError& error) {
        std::fprintf(stderr, "vemora-admin: %s\n", qUtf8Printable(error.text()));
        return 1;
    }
    std::printf("created %s\n", qUtf8Printable(args.at(1)));
    return 0;
}
