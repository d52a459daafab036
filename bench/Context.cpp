#include "Context.h"

#include "common/Session.h"
#include "shell/ui/frmVemora.h"
#include "store/StoreConstants.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>

namespace bench {

bool BenchMessages::present(common::MessageKind kind, const QString& text) {
    if (kind == common::MessageKind::Question)
        return true;
    trouble_ << text;
    return true;
}

Context::Context(const QString& seededFile)
    : dir_(QFileInfo(seededFile).absoluteDir().filePath(QStringLiteral("bench-XXXXXX"))),
      startUpDir_(QFileInfo(seededFile).absoluteDir().filePath(QStringLiteral("bench-XXXXXX"))) {
    for (const QTemporaryDir* dir : {&dir_, &startUpDir_}) {
        if (!dir->isValid())
            throw std::runtime_error("cannot make a working directory");
        const QString copy = QDir(dir->path()).filePath(store::DatabaseFileName);
        if (!QFile::copy(seededFile, copy))
            throw std::runtime_error("cannot copy " + seededFile.toStdString());
    }
    start();
}

Context::Context(const OnServer& server) : server_(server.address) {
    start();
}

void Context::start() {
    program_ = std::make_unique<shell::Program>(messages_, clock_, files_);
    if (!program_->Main(startOptions(dir_.path())))
        throw std::runtime_error("start-up failed: " +
                                 messages_.takeTrouble().join(QLatin1Char(' ')).toStdString());
    requireNoMessages();
}

Context::~Context() = default;

shell::Program::Options Context::startOptions(const QString& dir) const {
    shell::Program::Options options;
    options.locale = QLocale(QLocale::English, QLocale::UnitedKingdom);
    options.directory = dir;
    options.server = server_;
    options.showSplash = false;
    return options;
}

shell::frmVemora& Context::window() {
    return *program_->mainWindow();
}

common::Session& Context::session() {
    return window().session();
}

store::Database& Context::db() {
    return session().db();
}

void Context::requireNoMessages() {
    const QStringList trouble = messages_.takeTrouble();
    if (!trouble.isEmpty())
        throw std::runtime_error("the program said: " +
                                 trouble.join(QStringLiteral(" / ")).toStdString());
}

} // namespace bench
