#include "shell/ui/frmVemora.h"

#include "allocation/ui/pgAllocation.h"
#include "assets/ui/pgEnquireByLocation.h"
#include "assets/ui/pgEnquireByProducts.h"
#include "catalogue/ui/pgCategoryUtilities.h"
#include "catalogue/ui/pgProductUtilities.h"
#include "locations/ui/pgLocationUtilities.h"
#include "reports/ui/pgReports.h"
#include "shell/Messages.h"
#include "shell/Session.h"
#include "shell/ui/Guard.h"
#include "shell/ui/Page.h"
#include "shell/ui/WaitCursor.h"
#include "shell/ui/frmAbout.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTime>
#include <QTimer>

namespace shell {

namespace {

// Names a menu item of a control array: objectName is the array's name,
// the "index" property its index.
QAction* item(QMenu* menu, const QString& caption, const QString& array, int index) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(array);
    action->setProperty("index", index);
    return action;
}

QMenu* hiddenMenu(QWidget* owner, const QString& name, const QString& caption) {
    auto* menu = new QMenu(caption, owner);
    menu->setObjectName(name);
    return menu;
}

} // namespace

frmVemora::frmVemora(Session& session, frmAbout* about, QWidget* parent)
    : QMainWindow(parent), session_(session), about_(about) {
    setObjectName(QStringLiteral("frmVemora"));
    setWindowTitle(QStringLiteral("Vemora! - Assets"));
    resize(1000, 680);

    SSTab1_ = new QTabWidget(this);
    SSTab1_->setObjectName(QStringLiteral("SSTab1"));
    setCentralWidget(SSTab1_);
    centralWidget()->setContentsMargins(8, 8, 8, 0);

    pages_ = {new assets::pgEnquireByLocation(*this),
              new assets::pgEnquireByProducts(*this),
              new locations::pgLocationUtilities(*this),
              new catalogue::pgCategoryUtilities(*this),
              new catalogue::pgProductUtilities(*this),
              new allocation::pgAllocation(*this),
              new reports::pgReports(*this)};
    const QString captions[PageCount] = {QStringLiteral("Enquire by &Location"),
                                         QStringLiteral("Enquire by &Products"),
                                         QStringLiteral("Location   &Utilities"),
                                         QStringLiteral("&Category Utilities"),
                                         QStringLiteral("P&roduct   Utilities"),
                                         QStringLiteral(" &Allocation"),
                                         QStringLiteral("R&eports")};
    for (int i = 0; i < PageCount; ++i)
        SSTab1_->addTab(pages_.at(i), captions[i]);

    buildMenus();
    buildStatusBar();
    connect(SSTab1_, &QTabWidget::currentChanged, this, &frmVemora::SSTab1_Click);
}

frmVemora::~frmVemora() = default;

assets::pgEnquireByLocation* frmVemora::pageEnquireByLocation() const {
    return static_cast<assets::pgEnquireByLocation*>(pages_.at(EnquireByLocation));
}

locations::pgLocationUtilities* frmVemora::pageLocationUtilities() const {
    return static_cast<locations::pgLocationUtilities*>(pages_.at(LocationUtilities));
}

reports::pgReports* frmVemora::pageReports() const {
    return static_cast<reports::pgReports*>(pages_.at(Reports));
}

void frmVemora::buildMenus() {
    mnuFileMenu = menuBar()->addMenu(QStringLiteral("&File"));
    mnuFileMenu->setObjectName(QStringLiteral("mnuFileMenu"));
    mnuDBaseMenu = mnuFileMenu->addMenu(QStringLiteral("&Database Utils"));
    mnuDBaseMenu->setObjectName(QStringLiteral("mnuFile"));
    mnuDBaseMenu->menuAction()->setObjectName(QStringLiteral("mnuFile"));
    mnuDBaseMenu->menuAction()->setProperty("index", 0);
    mnuDBase[0] =
        item(mnuDBaseMenu, QStringLiteral("&Restore Database"), QStringLiteral("mnuDBase"), 0);
    mnuDBase[1] =
        item(mnuDBaseMenu, QStringLiteral("&BackUp Database"), QStringLiteral("mnuDBase"), 1);
    mnuFileExit = item(mnuFileMenu, QStringLiteral("&Exit"), QStringLiteral("mnuFile"), 1);
    connect(mnuFileExit, &QAction::triggered, this, &QWidget::close);

    mnuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuHelpAbout[0] =
        item(mnuHelp, QStringLiteral("&Help Topics"), QStringLiteral("mnuHelpAbout"), 0);
    mnuHelpAbout[1] = item(mnuHelp, QStringLiteral("&About"), QStringLiteral("mnuHelpAbout"), 1);
    connect(mnuHelpAbout[1], &QAction::triggered, this, [this] {
        if (about_)
            about_->exec();
    });

    mnuCategorys = hiddenMenu(this, QStringLiteral("mnuCategorys"), QStringLiteral("Category"));
    const QString cat[] = {QStringLiteral("Add Category"), QStringLiteral("Modify Category"),
                           QStringLiteral("Delete Category")};
    for (int i = 0; i < 3; ++i)
        mnuCat[static_cast<size_t>(i)] = item(mnuCategorys, cat[i], QStringLiteral("mnuCat"), i);

    mnuSuppliers = hiddenMenu(this, QStringLiteral("mnuSuppliers"), QStringLiteral("Supplier"));
    const QString maint[] = {QStringLiteral("Add"), QStringLiteral("Modify"),
                             QStringLiteral("View"), QStringLiteral("Delete")};
    for (int i = 0; i < 4; ++i)
        mnuSup[static_cast<size_t>(i)] = item(mnuSuppliers, maint[i], QStringLiteral("mnuSup"), i);

    mnuProducts = hiddenMenu(this, QStringLiteral("mnuProducts"), QStringLiteral("Products"));
    const QString prod[] = {QStringLiteral("Add Product"), QStringLiteral("Modify Product"),
                            QStringLiteral("View Product"), QStringLiteral("Delete Product")};
    for (int i = 0; i < 4; ++i)
        mnuProd[static_cast<size_t>(i)] = item(mnuProducts, prod[i], QStringLiteral("mnuProd"), i);

    mnuLocations = hiddenMenu(this, QStringLiteral("mnuLocations"), QStringLiteral("Locations"));
    const QString loc[] = {QStringLiteral("Add"), QStringLiteral("Modify"),
                           QStringLiteral("Delete")};
    for (int i = 0; i < 3; ++i)
        mnuLoc[static_cast<size_t>(i)] = item(mnuLocations, loc[i], QStringLiteral("mnuLoc"), i);

    mnuStockLicences =
        hiddenMenu(this, QStringLiteral("mnuStockLicences"), QStringLiteral("Stock / Licences "));
    mnuSMaintMenu = mnuStockLicences->addMenu(QStringLiteral("Stock"));
    mnuSMaintMenu->setObjectName(QStringLiteral("mnuStockL"));
    mnuStockL[0] = mnuSMaintMenu->menuAction();
    mnuStockL[0]->setObjectName(QStringLiteral("mnuStockL"));
    mnuStockL[0]->setProperty("index", 0);
    mnuLMaintMenu = mnuStockLicences->addMenu(QStringLiteral("Licences"));
    mnuLMaintMenu->setObjectName(QStringLiteral("mnuStockL"));
    mnuStockL[1] = mnuLMaintMenu->menuAction();
    mnuStockL[1]->setObjectName(QStringLiteral("mnuStockL"));
    mnuStockL[1]->setProperty("index", 1);
    mnuStockL[2] =
        item(mnuStockLicences, QStringLiteral("History"), QStringLiteral("mnuStockL"), 2);
    for (int i = 0; i < 4; ++i) {
        mnuSMaint[static_cast<size_t>(i)] =
            item(mnuSMaintMenu, maint[i], QStringLiteral("mnuSMaint"), i);
        mnuLMaint[static_cast<size_t>(i)] =
            item(mnuLMaintMenu, maint[i], QStringLiteral("mnuLMaint"), i);
    }
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
    panels_[1]->setText(locale.toString(QDate::currentDate(), QLocale::ShortFormat));
    panels_[2]->setText(locale.toString(QTime::currentTime(), QLocale::ShortFormat));
}

QLabel* frmVemora::statusPanel(int panel) const {
    return panels_.at(static_cast<size_t>(panel - 1));
}

void frmVemora::Form_Load(const QStringList& printers) {
    show();
    Do_the_Click();
    QComboBox* cboPrinters = pageReports()->cboPrinters;
    cboPrinters->clear();
    cboPrinters->addItems(printers);
    cboPrinters->setCurrentIndex(printers.isEmpty() ? -1 : 0);
    SetTabOrder(EnquireByLocation);
}

void frmVemora::Do_the_Click() {
    // The page is rebuilt here once, not again by the page switch; its
    // keyboard order and hint follow it as on any page switch.
    const QSignalBlocker blocker(SSTab1_);
    SSTab1_->setCurrentIndex(EnquireByLocation);
    SetTabOrder(EnquireByLocation);
    guarded(session_.messages(), [&] { pages_.at(EnquireByLocation)->rebuild(); });
    statusPanel(1)->setText(pages_.at(EnquireByLocation)->hint());
}

void frmVemora::SetTabOrder(int page) {
    for (Page* p : pages_)
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
    if (page < 0 || page >= PageCount)
        return;
    WaitCursor wait;
    SetTabOrder(page);
    guarded(session_.messages(), [&] { pages_.at(page)->rebuild(); });
    statusPanel(1)->setText(pages_.at(page)->hint());
}

void frmVemora::popUp(QMenu* menu, const QPoint& globalPos) {
    menu->popup(globalPos);
}

void frmVemora::closeEvent(QCloseEvent* event) {
    if (!skipQuitConfirmation &&
        !session_.messages().ask(QStringLiteral("Are you sure you wish to Quit ?"))) {
        event->ignore();
        return;
    }
    clock_->stop();
    session_.release();
    event->accept();
}

} // namespace shell
