#include "shell/ui/frmVemora.h"

#include "allocation/ui/AllocationTreeView.h"
#include "allocation/ui/pgAllocation.h"
#include "assets/ui/ExpiryNotice.h"
#include "assets/ui/ProductDialogWiring.h"
#include "assets/ui/frmStockLicHist.h"
#include "assets/ui/pgEnquireByLocation.h"
#include "assets/ui/pgEnquireByProducts.h"
#include "catalogue/ui/frmProductMaint.h"
#include "catalogue/ui/pgCategoryUtilities.h"
#include "catalogue/ui/pgProductUtilities.h"
#include "common/BackgroundWork.h"
#include "common/ChangeWatcher.h"
#include "common/Clock.h"
#include "common/FileChooser.h"
#include "common/Messages.h"
#include "common/Session.h"
#include "common/ui/Guard.h"
#include "common/ui/Page.h"
#include "common/ui/ProgressDialog.h"
#include "common/ui/WaitCursor.h"
#include "export/ui/ReportExport.h"
#include "import/ui/frmImport.h"
#include "locations/clsLocations.h"
#include "locations/ui/LocationTreeView.h"
#include "locations/ui/pgLocationUtilities.h"
#include "reports/ui/pgReports.h"
#include "shell/DatabaseFile.h"
#include "shell/HelpTopics.h"
#include "shell/RegisterCopy.h"
#include "shell/ui/FindPanel.h"
#include "shell/ui/WindowMemory.h"
#include "shell/ui/frmAbout.h"
#include "store/Database.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QDialog>
#include <QDir>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTime>
#include <QTimer>
#include <QVBoxLayout>

namespace shell {

namespace {

// How often a refill for other users' changes that had to wait looks
// again whether the user has finished.
constexpr int OthersRetryMs = 250;

// Names a menu item of a control array: objectName is the array's name,
// the "index" property its index.
QAction* item(QMenu* menu, const QString& caption, const QString& array, int index) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(array);
    action->setProperty("index", index);
    return action;
}

// A sub-menu that is itself an item of a control array ("mnuStockL").
QMenu* subMenu(QMenu* menu, const QString& caption, int index) {
    QMenu* sub = menu->addMenu(caption);
    sub->setObjectName(QStringLiteral("mnuStockL"));
    sub->menuAction()->setObjectName(QStringLiteral("mnuStockL"));
    sub->menuAction()->setProperty("index", index);
    return sub;
}

QMenu* hiddenMenu(QWidget* owner, const QString& name, const QString& caption) {
    auto* menu = new QMenu(caption, owner);
    menu->setObjectName(name);
    return menu;
}

} // namespace

frmVemora::frmVemora(common::Session& session, frmAbout* about, QWidget* parent)
    : QMainWindow(parent), session_(session), about_(about) {
    setObjectName(QStringLiteral("frmVemora"));
    setWindowTitle(QStringLiteral("Vemora! - Assets"));
    resize(1000, 680);
    // The About box is owned by the main window: modal over it and centred
    // on it. The program keeps it; the window lets it go when it goes.
    if (about_)
        about_->setParent(this, about_->windowFlags() | Qt::Dialog);

    // Find above the pages, and under it the start-up notice's bar, which
    // stays hidden until there is something to say.
    auto* central = new QWidget(this);
    SSTab1_ = new QTabWidget(central);
    SSTab1_->setObjectName(QStringLiteral("SSTab1"));
    findPanel_ = new FindPanel(*this, central);
    barExpiry_ = new assets::ExpiryNoticeBar(session_, central);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(findPanel_);
    column->addWidget(barExpiry_);
    column->addWidget(SSTab1_, 1);
    setCentralWidget(central);
    centralWidget()->setContentsMargins(8, 8, 8, 0);
    auto* findAction = new QAction(QStringLiteral("Find"), this);
    findAction->setObjectName(QStringLiteral("actFind"));
    findAction->setShortcut(QKeySequence::Find);
    findAction->setShortcutContext(Qt::WindowShortcut);
    connect(findAction, &QAction::triggered, findPanel_, &FindPanel::focusFind);
    addAction(findAction);

    // The menus first: pages may look their items up as they are made.
    buildMenus();
    pages_ = {new assets::pgEnquireByLocation(*this),
              new assets::pgEnquireByProducts(*this),
              new locations::pgLocationUtilities(*this),
              new catalogue::pgCategoryUtilities(*this),
              new catalogue::pgProductUtilities(*this),
              new allocation::pgAllocation(*this),
              new reports::pgReports(*this)};
    const QString captions[common::PageCount] = {QStringLiteral("Enquire by &Location"),
                                                 QStringLiteral("Enquire by &Products"),
                                                 QStringLiteral("Location   &Utilities"),
                                                 QStringLiteral("&Category Utilities"),
                                                 QStringLiteral("P&roduct   Utilities"),
                                                 QStringLiteral(" &Allocation"),
                                                 QStringLiteral("R&eports")};
    for (int i = 0; i < common::PageCount; ++i)
        SSTab1_->addTab(pages_.at(i), captions[i]);

    buildStatusBar();
    connect(SSTab1_, &QTabWidget::currentChanged, this, &frmVemora::SSTab1_Click);
    // After a Products menu action on the product page, the location
    // contents view refills for its selected location.
    reportExport_ = new exports::ReportExport(
        session_, *static_cast<reports::pgReports*>(pages_.at(common::Reports)));
    connect(static_cast<catalogue::pgProductUtilities*>(pages_.at(common::ProductUtilities)),
            &catalogue::pgProductUtilities::productsActed,
            static_cast<assets::pgEnquireByLocation*>(pages_.at(common::EnquireByLocation)),
            &assets::pgEnquireByLocation::refillForSelectedNode);
    // Ctrl+H on the allocation tree shows the selected item's history.
    connect(static_cast<allocation::pgAllocation*>(pages_.at(common::Allocation)),
            &allocation::pgAllocation::historyRequested, this,
            [this](int itemId, const QString& itemType) {
                assets::showHistory(session_, itemId, itemType, this);
            });
    session_.messages().setRefresh([this] { refreshAfterConflict(); });
    // Long work (export, PDF, backup, restore) runs off the window's thread
    // behind a progress bar with Cancel.
    session_.setWork(std::make_shared<common::DialogRunner>(this));

    othersRetry_ = new QTimer(this);
    othersRetry_->setInterval(OthersRetryMs);
    connect(othersRetry_, &QTimer::timeout, this, &frmVemora::applyOthersChanges);
    if (session_.db().onServer()) {
        auto* watcher = new common::ChangeWatcher(session_.db(), this);
        watcher->setObjectName(QStringLiteral("changeWatcher"));
        connect(watcher, &common::ChangeWatcher::changed, this, &frmVemora::changesFromOthers);
    }
    if (!session_.db().mayWrite())
        setReadOnly();
}

void frmVemora::changesFromOthers() {
    othersChanged_ = true;
    applyOthersChanges();
}

bool frmVemora::userBusy() const {
    if (QApplication::activeModalWidget() || QApplication::activePopupWidget() ||
        QGuiApplication::mouseButtons() != Qt::NoButton || refreshPending_ || refreshing_)
        return true;
    const auto trees = findChildren<locations::LocationTreeView*>();
    const auto allocationTrees = findChildren<allocation::AllocationTreeView*>();
    return std::any_of(trees.cbegin(), trees.cend(),
                       [](const locations::LocationTreeView* t) { return t->dragRunning(); }) ||
           std::any_of(allocationTrees.cbegin(), allocationTrees.cend(),
                       [](const allocation::AllocationTreeView* t) { return t->dragRunning(); });
}

void frmVemora::applyOthersChanges() {
    if (!othersChanged_) {
        othersRetry_->stop();
        return;
    }
    // A dialog, a menu or a drag keeps its rows as they are; the page is
    // rebuilt once it has ended (looked at again every OthersRetryMs).
    if (userBusy()) {
        if (!othersRetry_->isActive())
            othersRetry_->start();
        return;
    }
    othersRetry_->stop();
    othersChanged_ = false;
    refreshing_ = true;
    common::guarded(session_.messages(), [this] {
        // Every page is out of date; the one shown is refilled now, around
        // the user's place, and the others on entry.
        for (std::optional<std::int64_t>& seen : seenChanges_)
            if (seen)
                seen = -1;
        fillOnEntry(SSTab1_->currentIndex());
    });
    refreshing_ = false;
    auto* label = findChild<QLabel*>(QStringLiteral("sbOthersChanges"));
    if (!label) {
        label = new QLabel(this);
        label->setObjectName(QStringLiteral("sbOthersChanges"));
        label->setFrameShape(QFrame::StyledPanel);
        label->setFrameShadow(QFrame::Sunken);
        statusBar()->addPermanentWidget(label);
    }
    label->setText(
        OthersChangesShown.arg(session_.clock().now().toString(QStringLiteral("HH:mm"))));
}

namespace {

// The menu items that write: each array with the indexes of its writing
// items (History, View and the like only read).
const struct {
    const char* array;
    std::initializer_list<int> items;
} WritingItems[] = {
    {"mnuDBase", {0}},        {"mnuCat", {0, 1, 2}}, {"mnuSup", {0, 1, 3}},
    {"mnuProd", {0, 1, 3}},   {"mnuLoc", {0, 1, 2}}, {"mnuSMaint", {0, 1, 3}},
    {"mnuLMaint", {0, 1, 3}}, {"mnuAlloc", {0, 1}},
};

// The buttons of dialogs that write, by name.
const char* const WritingButtons[] = {
    "btnAdd",      "btnModify",     "btnDelete",     "btnAddStock",   "btnModStock",
    "btnDelStock", "btnAddLicence", "btnModLicence", "btnDelLicence", "btnAction"};

bool isWritingButton(const QObject* object) {
    if (!qobject_cast<const QPushButton*>(object))
        return false;
    return std::any_of(std::begin(WritingButtons), std::end(WritingButtons), [&](const char* name) {
        return object->objectName() == QLatin1String(name);
    });
}

} // namespace

void frmVemora::setReadOnly() {
    if (readOnly_)
        return;
    readOnly_ = true;
    for (const auto& writing : WritingItems)
        for (int index : writing.items)
            if (QAction* action = menuItem(QString::fromLatin1(writing.array), index)) {
                action->setEnabled(false);
                // A page sets its items from the selection as it pops its
                // menu up; a writing item goes grey again at once.
                connect(action, &QAction::enabledChanged, action, [action](bool enabled) {
                    if (enabled)
                        action->setEnabled(false);
                });
            }
    for (locations::LocationTreeView* tree : findChildren<locations::LocationTreeView*>())
        tree->setNodeDragging(false);
    for (allocation::AllocationTreeView* tree : findChildren<allocation::AllocationTreeView*>())
        tree->setNodeDragging(false);
    // Dialogs are made afresh each time; each is looked at as it shows.
    qApp->installEventFilter(this);
    auto* label = new QLabel(ReadOnlyShown, this);
    label->setObjectName(QStringLiteral("sbReadOnly"));
    label->setFrameShape(QFrame::StyledPanel);
    label->setFrameShadow(QFrame::Sunken);
    statusBar()->addPermanentWidget(label);
}

bool frmVemora::eventFilter(QObject* watched, QEvent* event) {
    if (readOnly_) {
        if (event->type() == QEvent::Show && qobject_cast<QDialog*>(watched))
            disableWritingButtons(static_cast<QWidget*>(watched));
        else if (event->type() == QEvent::EnabledChange && isWritingButton(watched) &&
                 static_cast<QWidget*>(watched)->isEnabled() &&
                 qobject_cast<QDialog*>(static_cast<QWidget*>(watched)->window()))
            static_cast<QWidget*>(watched)->setEnabled(false);
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmVemora::disableWritingButtons(QWidget* dialog) {
    for (QPushButton* button : dialog->findChildren<QPushButton*>())
        if (isWritingButton(button))
            button->setEnabled(false);
}

void frmVemora::refreshAfterConflict() {
    // Asked from inside the work that met the conflict (a drop still
    // holding its nodes): the page is refilled once that work has ended.
    // A refill that fails again (the server still away) asks for none.
    if (refreshPending_ || refreshing_)
        return;
    refreshPending_ = true;
    QTimer::singleShot(0, this, [this] {
        refreshPending_ = false;
        refreshing_ = true;
        // Every page is out of date; the one shown is refilled now, around
        // the user's place, and the others on entry.
        for (std::optional<std::int64_t>& seen : seenChanges_)
            if (seen)
                seen = -1;
        fillOnEntry(SSTab1_->currentIndex());
        refreshing_ = false;
    });
}

frmVemora::~frmVemora() {
    if (readOnly_)
        qApp->removeEventFilter(this);
    session_.messages().setRefresh({});
    session_.setWork({});
    if (about_)
        about_->setParent(nullptr, about_->windowFlags());
}

QMenu* frmVemora::sharedMenu(common::SharedMenu menu) const {
    return menus_.at(menu);
}

QAction* frmVemora::menuItem(const QString& array, int index) const {
    for (QAction* action : findChildren<QAction*>(array))
        if (action->property("index").toInt() == index)
            return action;
    return nullptr;
}

void frmVemora::buildMenus() {
    QMenu* mnuFileMenu = menuBar()->addMenu(QStringLiteral("&File"));
    mnuFileMenu->setObjectName(QStringLiteral("mnuFileMenu"));
    QMenu* mnuDBaseMenu = mnuFileMenu->addMenu(QStringLiteral("&Database Utils"));
    mnuDBaseMenu->setObjectName(QStringLiteral("mnuFile"));
    mnuDBaseMenu->menuAction()->setObjectName(QStringLiteral("mnuFile"));
    mnuDBaseMenu->menuAction()->setProperty("index", 0);
    for (int i = 0; i < 2; ++i) {
        const QString caption =
            i == 0 ? QStringLiteral("&Restore Database") : QStringLiteral("&BackUp Database");
        QAction* action = item(mnuDBaseMenu, caption, QStringLiteral("mnuDBase"), i);
        connect(action, &QAction::triggered, this, [this, i] { mnuDBase_Click(i); });
    }
    // A register kept elsewhere, brought in from a CSV file; the page shown
    // is refilled when anything was stored.
    QAction* mnuImport = mnuFileMenu->addAction(QStringLiteral("Import\u2026"));
    mnuImport->setObjectName(QStringLiteral("mnuImport"));
    connect(mnuImport, &QAction::triggered, this, [this] {
        settlePages();
        if (imports::showImport(session_, this))
            SSTab1_Click(SSTab1_->currentIndex());
    });
    QAction* mnuFileExit = item(mnuFileMenu, QStringLiteral("&Exit"), QStringLiteral("mnuFile"), 1);
    connect(mnuFileExit, &QAction::triggered, this, &QWidget::close);

    QMenu* mnuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    for (int i = 0; i < 2; ++i) {
        const QString caption = i == 0 ? QStringLiteral("&Help Topics") : QStringLiteral("&About");
        QAction* action = item(mnuHelp, caption, QStringLiteral("mnuHelpAbout"), i);
        connect(action, &QAction::triggered, this, [this, i] { mnuHelpAbout_Click(i); });
    }

    QMenu* mnuCategorys =
        hiddenMenu(this, QStringLiteral("mnuCategorys"), QStringLiteral("Category"));
    const QString cat[] = {QStringLiteral("Add Category"), QStringLiteral("Modify Category"),
                           QStringLiteral("Delete Category")};
    for (int i = 0; i < 3; ++i)
        item(mnuCategorys, cat[i], QStringLiteral("mnuCat"), i);

    QMenu* mnuSuppliers =
        hiddenMenu(this, QStringLiteral("mnuSuppliers"), QStringLiteral("Supplier"));
    const QString maint[] = {QStringLiteral("Add"), QStringLiteral("Modify"),
                             QStringLiteral("View"), QStringLiteral("Delete")};
    for (int i = 0; i < 4; ++i)
        item(mnuSuppliers, maint[i], QStringLiteral("mnuSup"), i);

    QMenu* mnuProducts =
        hiddenMenu(this, QStringLiteral("mnuProducts"), QStringLiteral("Products"));
    const QString prod[] = {QStringLiteral("Add Product"), QStringLiteral("Modify Product"),
                            QStringLiteral("View Product"), QStringLiteral("Delete Product")};
    for (int i = 0; i < 4; ++i)
        item(mnuProducts, prod[i], QStringLiteral("mnuProd"), i);

    QMenu* mnuLocations =
        hiddenMenu(this, QStringLiteral("mnuLocations"), QStringLiteral("Locations"));
    const QString loc[] = {QStringLiteral("Add"), QStringLiteral("Modify"),
                           QStringLiteral("Delete")};
    for (int i = 0; i < 3; ++i)
        item(mnuLocations, loc[i], QStringLiteral("mnuLoc"), i);

    QMenu* mnuStockLicences =
        hiddenMenu(this, QStringLiteral("mnuStockLicences"), QStringLiteral("Stock / Licences "));
    QMenu* mnuSMaintMenu = subMenu(mnuStockLicences, QStringLiteral("Stock"), 0);
    QMenu* mnuLMaintMenu = subMenu(mnuStockLicences, QStringLiteral("Licences"), 1);
    item(mnuStockLicences, QStringLiteral("History"), QStringLiteral("mnuStockL"), 2);
    for (int i = 0; i < 4; ++i) {
        item(mnuSMaintMenu, maint[i], QStringLiteral("mnuSMaint"), i);
        item(mnuLMaintMenu, maint[i], QStringLiteral("mnuLMaint"), i);
    }

    // The allocation tree's menu. Its keys belong to the tree (Ctrl+M and
    // Ctrl+Z there); the menu only shows them.
    QMenu* mnuAllocation =
        hiddenMenu(this, QStringLiteral("mnuAllocation"), QStringLiteral("Allocation"));
    const QString alloc[] = {QStringLiteral("Move to\u2026"), QStringLiteral("Undo Move")};
    const QKeySequence allocKeys[] = {QKeySequence(Qt::CTRL | Qt::Key_M),
                                      QKeySequence(Qt::CTRL | Qt::Key_Z)};
    for (int i = 0; i < 2; ++i) {
        QAction* action = item(mnuAllocation, alloc[i], QStringLiteral("mnuAlloc"), i);
        action->setShortcut(allocKeys[i]);
        action->setShortcutContext(Qt::WidgetShortcut);
    }

    using common::SharedMenu;
    menus_ = {
        {SharedMenu::Categorys, mnuCategorys},         {SharedMenu::Suppliers, mnuSuppliers},
        {SharedMenu::Products, mnuProducts},           {SharedMenu::Locations, mnuLocations},
        {SharedMenu::StockLicences, mnuStockLicences}, {SharedMenu::Allocation, mnuAllocation}};
    // One connection per menu; a sub-menu's choice reaches its top menu's
    // triggered signal too.
    for (const auto& [which, menu] : menus_)
        connect(menu, &QMenu::triggered, this,
                [this, which = which](QAction* action) { forwardChoice(which, action); });
}

void frmVemora::forwardChoice(common::SharedMenu menu, QAction* action) {
    const QPointer<QObject> client = clients_[menu];
    auto* receiver = dynamic_cast<common::MenuClient*>(client.data());
    if (!receiver || !action)
        return;
    receiver->menuChosen(action->objectName(), action->property("index").toInt());
}

void frmVemora::popUpMenu(common::SharedMenu menu, const QPoint& globalPos, QObject* client) {
    clients_[menu] = client;
    popUp(menus_.at(menu), globalPos);
}

void frmVemora::connectDialog(QDialog& dialog) {
    if (auto* product = qobject_cast<catalogue::frmProductMaint*>(&dialog))
        assets::wireProductDialog(*product, session_);
}

void frmVemora::showPage(int index) {
    SSTab1_->setCurrentIndex(index);
}

void frmVemora::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("sbStatusBar"));
    for (size_t i = 0; i < panels_.size(); ++i) {
        panels_[i] = new QLabel(this);
        panels_[i]->setObjectName(QStringLiteral("sbStatusBarPanel%1").arg(i + 1));
        panels_[i]->setFrameShape(QFrame::StyledPanel);
        panels_[i]->setFrameShadow(QFrame::Sunken);
        bar->addPermanentWidget(panels_[i], i == 0 ? 1 : 0);
    }
    clock_ = new QTimer(this);
    clock_->setInterval(1000);
    connect(clock_, &QTimer::timeout, this, &frmVemora::updateClock);
    clock_->start();
    updateClock();
}

void frmVemora::updateClock() {
    const QLocale locale = QLocale::system();
    const QDateTime now = session_.clock().now();
    panels_[1]->setText(locale.toString(now.date(), QLocale::ShortFormat));
    panels_[2]->setText(locale.toString(now.time(), QLocale::ShortFormat));
}

QLabel* frmVemora::statusPanel(int panel) const {
    return panels_.at(static_cast<size_t>(panel - 1));
}

void frmVemora::setProgramDirectory(const QString& dir, std::unique_ptr<DatabaseFile> file) {
    programDir_ = dir;
    databaseFile_ = file ? std::move(file) : std::make_unique<DatabaseFile>(session_.db(), dir);
    databaseFile_->setWorkRunner(&session_.work());
}

void frmVemora::showRegister(const QString& where) {
    setWindowTitle(QStringLiteral("Vemora! - Assets - ") + where);
    auto* label = findChild<QLabel*>(QStringLiteral("sbRegister"));
    if (!label) {
        label = new QLabel(this);
        label->setObjectName(QStringLiteral("sbRegister"));
        label->setFrameShape(QFrame::StyledPanel);
        label->setFrameShadow(QFrame::Sunken);
        statusBar()->addPermanentWidget(label);
    }
    label->setText(where);
    if (session_.db().onServer()) {
        if (QAction* restore = menuItem(QStringLiteral("mnuDBase"), 0)) {
            restore->setEnabled(false);
            restore->setToolTip(ServerRestoreTip);
            if (auto* menu = findChild<QMenu*>(QStringLiteral("mnuFile")))
                menu->setToolTipsVisible(true);
        }
    }
}

void frmVemora::settlePages() {
    for (common::Page* page : pages_)
        page->settle();
}

void frmVemora::mnuDBase_Click(int index) {
    if (!databaseFile_)
        return;
    // Backup and restore take the register as it stands, with no read of
    // the pages' still under way.
    settlePages();
    // A cancelled file choice is no error and says nothing; any other is
    // shown as its description, " - " and its number (the engine's result
    // code, or the system's error number).
    try {
        if (index == 0)
            restoreDatabase();
        else
            backUpDatabase();
    } catch (const store::DbError& error) {
        session_.messages().fail(error.text());
    } catch (const common::FileError& error) {
        session_.messages().fail(error.text());
    } catch (const common::Cancelled&) {
        // Stopped by the user: nothing was written, and nothing is said.
    }
}

void frmVemora::restoreDatabase() {
    common::Messages& messages = session_.messages();
    messages.notify(RestoreWarning);
    common::FileRequest request;
    request.purpose = common::FileRequest::Open;
    request.title = RestoreTitle;
    request.directory = programDir_;
    request.filter = DatabaseFilter;
    request.confirmOverwrite = false;
    const std::optional<QString> chosen = session_.files().choose(request);
    if (!chosen)
        return;
    const std::optional<QString> refusal = databaseFile_->restore(*chosen);
    if (refusal) {
        messages.refuse(*refusal);
        return;
    }
    messages.refuse(DatabaseRestored);
    skipQuitConfirmation();
    close();
}

void frmVemora::backUpDatabase() {
    common::FileRequest request;
    request.purpose = common::FileRequest::Save;
    request.title = BackupTitle;
    request.directory = programDir_;
    request.filter = DatabaseFilter;
    request.confirmOverwrite = false;
    const std::optional<QString> chosen = session_.files().choose(request);
    if (!chosen)
        return;
    std::optional<QString> refusal;
    if (session_.db().onServer()) {
        // Read through the window's own connection to the server.
        common::WaitCursor wait;
        backupToFile(session_.db(), backupName(*chosen));
    } else {
        refusal = databaseFile_->backup(backupName(*chosen));
    }
    session_.messages().refuse(refusal ? *refusal : DatabaseBackedUp);
}

void frmVemora::mnuHelpAbout_Click(int index) {
    if (index == 0) {
        showHelpTopics();
        return;
    }
    if (!about_)
        return;
    // Centred on the main window, whatever size its text gives it.
    about_->adjustSize();
    const QRect frame = about_->frameGeometry();
    const QPoint centre = frameGeometry().center();
    about_->move(centre.x() - frame.width() / 2, centre.y() - frame.height() / 2);
    about_->exec();
}

void frmVemora::helpOnPage() {
    const int shown = SSTab1_->currentIndex();
    const QString topic =
        shown >= 0 && shown < pages_.size() ? pages_.at(shown)->helpTopic() : QString();
    const QString error = StartHelpViewer(helpFile_, programDir_, topic);
    if (!error.isEmpty())
        session_.messages().fail(error);
}

void frmVemora::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        helpOnPage();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void frmVemora::showHelpTopics() {
    const QString error = StartHelpViewer(helpFile_, programDir_);
    if (!error.isEmpty())
        session_.messages().fail(error);
}

void frmVemora::setSettings(std::shared_ptr<QSettings> settings) {
    settings_ = std::move(settings);
}

void frmVemora::Form_Load(const QStringList& printers) {
    if (!programDir_.isEmpty())
        helpFile_ = QDir(programDir_).filePath(HelpFileName);
    if (settings_)
        restoreWindow(*this, *settings_);
    show();
    Do_the_Click();
    common::guarded(session_.messages(), [&] {
        static_cast<catalogue::pgProductUtilities*>(pages_.at(common::ProductUtilities))
            ->FillComboWithCats();
    });
    static_cast<reports::pgReports*>(pages_.at(common::Reports))->setPrinters(printers);
    SetTabOrder(common::EnquireByLocation);
}

void frmVemora::ShowExpiryNotice(int periodDays) {
    barExpiry_->check(periodDays);
}

void frmVemora::Do_the_Click() {
    // The page is rebuilt here once, not again by the page switch; its
    // keyboard order and hint follow it as on any page switch.
    const QSignalBlocker blocker(SSTab1_);
    SSTab1_->setCurrentIndex(common::EnquireByLocation);
    SetTabOrder(common::EnquireByLocation);
    const bool filled = common::guarded(session_.messages(),
                                        [&] { pages_.at(common::EnquireByLocation)->rebuild(); });
    seenChanges_.at(common::EnquireByLocation) =
        filled ? std::optional<std::int64_t>(session_.db().changeCount()) : std::nullopt;
    statusPanel(1)->setText(pages_.at(common::EnquireByLocation)->hint());
    checkLocationPlacesSoon();
}

void frmVemora::checkLocationPlacesSoon() {
    if (placesCheck_)
        return; // one is under way
    common::guarded(session_.messages(), [this] {
        placesCheck_ = session_.logic<locations::clsLocations>().StartPlacesCheck();
    });
    if (placesCheck_)
        QTimer::singleShot(0, this, &frmVemora::continuePlacesCheck);
}

void frmVemora::continuePlacesCheck() {
    if (!placesCheck_)
        return;
    bool ended = true;
    common::guarded(session_.messages(), [&] {
        ended = session_.logic<locations::clsLocations>().ContinuePlacesCheck(
            *placesCheck_, locations::clsLocations::PlacesCheckSlice);
    });
    if (ended)
        placesCheck_.reset();
    else
        QTimer::singleShot(0, this, &frmVemora::continuePlacesCheck);
}

void frmVemora::SetTabOrder(int page) {
    for (common::Page* p : pages_)
        for (QWidget* w : p->findChildren<QWidget*>())
            if (w->focusPolicy() & Qt::TabFocus)
                w->setFocusPolicy(Qt::ClickFocus);
    SSTab1_->tabBar()->setFocusPolicy(Qt::StrongFocus);
    QWidget* previous = SSTab1_->tabBar();
    for (QWidget* w : pages_.at(page)->tabOrder()) {
        w->setFocusPolicy(Qt::StrongFocus);
        QWidget::setTabOrder(previous, w);
        previous = w;
    }
}

void frmVemora::SSTab1_Click(int page) {
    if (page < 0 || page >= common::PageCount)
        return;
    common::WaitCursor wait;
    SetTabOrder(page);
    fillOnEntry(page);
    statusPanel(1)->setText(pages_.at(page)->hint());
}

void frmVemora::fillOnEntry(int page) {
    // Every write goes through the one connection and is counted there. A
    // page whose count has not moved since it was filled shows what the
    // database holds, and keeps the user's place as it is; one whose count
    // has moved (by any write, its own included) is refilled around that
    // place.
    std::optional<std::int64_t>& seen = seenChanges_.at(static_cast<size_t>(page));
    if (seen && *seen == session_.db().changeCount())
        return;
    const bool firstFill = !seen;
    const bool filled = common::guarded(session_.messages(), [&] {
        if (firstFill)
            pages_.at(page)->rebuild();
        else
            pages_.at(page)->refill();
    });
    // A fill that failed is tried again on the next entry.
    seen = filled ? std::optional<std::int64_t>(session_.db().changeCount()) : std::nullopt;
    checkLocationPlacesSoon();
}

void frmVemora::popUp(QMenu* menu, const QPoint& globalPos) {
    menu->popup(globalPos);
}

void frmVemora::closeEvent(QCloseEvent* event) {
    if (!skipQuit_ && !session_.messages().ask(QStringLiteral("Are you sure you wish to Quit ?"))) {
        event->ignore();
        return;
    }
    clock_->stop();
    if (settings_)
        saveWindow(*this, *settings_);
    session_.release();
    event->accept();
}

} // namespace shell
