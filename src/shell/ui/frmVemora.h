#pragma once

#include <QMainWindow>
#include <QVector>

#include <array>

class QAction;
class QLabel;
class QMenu;
class QTabWidget;
class QTimer;

namespace assets {
class pgEnquireByLocation;
class pgEnquireByProducts;
} // namespace assets
namespace locations {
class pgLocationUtilities;
}
namespace catalogue {
class pgCategoryUtilities;
class pgProductUtilities;
} // namespace catalogue
namespace allocation {
class pgAllocation;
}
namespace reports {
class pgReports;
}

namespace shell {

class Page;
class Session;
class frmAbout;

// The main window: seven pages on one tab control, the status bar, the
// menus (two on the menu bar, five hidden ones that pages pop up), and
// the quit question. Closing it ends the program.
class frmVemora : public QMainWindow {
    Q_OBJECT
public:
    enum PageIndex {
        EnquireByLocation = 0,
        EnquireByProducts = 1,
        LocationUtilities = 2,
        CategoryUtilities = 3,
        ProductUtilities = 4,
        Allocation = 5,
        Reports = 6,
        PageCount = 7
    };

    frmVemora(Session& session, frmAbout* about, QWidget* parent = nullptr);
    ~frmVemora() override;

    Session& session() { return session_; }

    // Shows the window and fills it; printers are the installed printers'
    // device names in the system's order.
    void Form_Load(const QStringList& printers);
    // Selects page 0, empties its lists and refills its tree.
    void Do_the_Click();
    // Rebuilds the keyboard order for one page.
    void SetTabOrder(int page);
    // Rebuilds the page now selected.
    void SSTab1_Click(int page);

    QTabWidget* SSTab1() const { return SSTab1_; }
    QLabel* statusPanel(int panel) const; // 1: hint, 2: date, 3: time
    Page* page(int index) const { return pages_.at(index); }

    assets::pgEnquireByLocation* pageEnquireByLocation() const;
    locations::pgLocationUtilities* pageLocationUtilities() const;
    reports::pgReports* pageReports() const;

    // Menus.
    QMenu* mnuFileMenu = nullptr;
    QMenu* mnuHelp = nullptr;
    QMenu* mnuCategorys = nullptr;
    QMenu* mnuSuppliers = nullptr;
    QMenu* mnuProducts = nullptr;
    QMenu* mnuLocations = nullptr;
    QMenu* mnuStockLicences = nullptr;
    QMenu* mnuDBaseMenu = nullptr;
    QMenu* mnuSMaintMenu = nullptr;
    QMenu* mnuLMaintMenu = nullptr;
    std::array<QAction*, 2> mnuDBase{};
    QAction* mnuFileExit = nullptr;
    std::array<QAction*, 2> mnuHelpAbout{};
    std::array<QAction*, 3> mnuCat{};
    std::array<QAction*, 4> mnuSup{};
    std::array<QAction*, 4> mnuProd{};
    std::array<QAction*, 3> mnuLoc{};
    std::array<QAction*, 3> mnuStockL{};
    std::array<QAction*, 4> mnuSMaint{};
    std::array<QAction*, 4> mnuLMaint{};

    // The product on which the Products menu acts.
    int SelectedProdID = 0;
    // Set only by a database restore: close without asking.
    bool skipQuitConfirmation = false;

    // Pops a hidden menu up at a screen position. Tests replace this to
    // record the menu instead of opening it.
    virtual void popUp(QMenu* menu, const QPoint& globalPos);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildStatusBar();
    void updateClock();

    Session& session_;
    frmAbout* about_;
    QTabWidget* SSTab1_ = nullptr;
    QVector<Page*> pages_;
    std::array<QLabel*, 3> panels_{};
    QTimer* clock_ = nullptr;
};

} // namespace shell
