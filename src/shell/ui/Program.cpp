#include "shell/ui/Program.h"

#include "common/LicenceSettings.h"
#include "common/Messages.h"
#include "common/Session.h"
#include "shell/DatabaseLock.h"
#include "shell/StartUp.h"
#include "shell/ui/frmAbout.h"
#include "shell/ui/frmSplash.h"
#include "shell/ui/frmVemora.h"
#include "store/Database.h"

#include <QDir>
#include <QLabel>

namespace shell {

Program::Program(common::Messages& messages, common::Clock& clock, common::FileChooser& files)
    : messages_(messages), clock_(clock), files_(files) {}

Program::~Program() {
    main_.reset();
    about_.reset();
    session_.reset();
    db_.reset();
    lock_.reset();
}

bool Program::Main(const Options& options) {
    if (!CheckDateOrder(options.locale, messages_))
        return false;
    if (!options.server.isEmpty()) {
        // The server keeps its register safe from several users itself.
        db_ = OpenServerRegister(options.server, messages_, options.password);
    } else {
        // The lock comes first: a copy refused here has written nothing.
        lock_ = LockAssetDatabase(options.directory, messages_);
        if (lock_)
            db_ = OpenAssetDatabase(options.directory, messages_);
    }
    if (!db_) {
        lock_.reset();
        messages_.fail(CannotAccessDatabase);
        return false;
    }
    session_ = std::make_unique<common::Session>(*db_, messages_, clock_, files_);

    about_ = std::make_unique<frmAbout>(messages_);
    about_->lblVersion()->setText(VersionText);
    if (options.showSplash) {
        frmSplash splash;
        splash.lblVersion()->setText(VersionText);
        splash.exec();
    }
    main_ = std::make_unique<frmVemora>(*session_, about_.get());
    main_->setAttribute(Qt::WA_DeleteOnClose, false);
    main_->setProgramDirectory(options.directory);
    main_->setSettings(options.settings);
    main_->Form_Load(options.printers);
    main_->showRegister(db_->onServer() ? db_->describe()
                                        : QDir::toNativeSeparators(db_->describe()));
    // Once the window shows: licences whose expiry is near or past.
    main_->ShowExpiryNotice(common::expiryWarningDays());
    return true;
}

} // namespace shell
