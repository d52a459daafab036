#pragma once

#include "common/ui/MainWindow.h"
#include "locations/clsLocations.h"
#include "shell/DatabaseFile.h"

#include <QMainWindow>
#include <QPointer>
#include <QVector>

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>

class QAction;
class QLabel;
class QMenu;
class QSettings;
class QTabWidget;
class QTimer;

namespace assets {
class ExpiryNoticeBar;
}
namespace common {
class Page;
}
namespace exports {
class ReportExport;
}

namespace shell {

// The status bar's words for a register the login may only read, and for
// a page rebuilt with other users' changes (the time as "HH:mm").
inline const QString ReadOnlyShown = QStringLiteral("Read-only register");
inline const QString OthersChangesShown =
    QStringLiteral("Updated with changes from another user at %1");

class frmAbout;
class FindPanel;

// The main window: seven pages on one tab control, the status bar, the
// menus (two on the menu bar, five hidden ones that pages pop up), and
// the quit question. Closing it ends the program.
//
// The hidden menus are made before the pages and each is connected once:
// a chosen item goes to the page or dialog that popped the menu up.
class frmVemora : public QMainWindow, public common::MainWindow {
    Q_OBJECT
public:
    frmVemora(common::Session& session, frmAbout* about, QWidget* parent = nullptr);
    ~frmVemora() override;

    // The program's directory, where the database and the help file lie.
    // Backup and restore work on the session's connection to the database
    // there; file is the one to use instead (tests inject failures with it).
    void setProgramDirectory(const QString& dir, std::unique_ptr<DatabaseFile> file = nullptr);
    // The help file, set when the window loads.
    const QString& helpFile() const { return helpFile_; }

    // The File menu's "&Database Utils": 0 "&Restore Database", 1 "&BackUp
    // Database".
    void mnuDBase_Click(int index);
    // Ends the pages' reading between events (Page::settle).
    void settlePages();
    // The Help menu: 0 "&Help Topics", 1 "&About".
    void mnuHelpAbout_Click(int index);
    // F1: the help at the page of the help that tells of the page shown.
    void helpOnPage();

    // Shows the window and fills it; printers are the installed printers'
    // device names in the system's order.
    void Form_Load(const QStringList& printers);
    // Selects page 0, empties its lists and refills its tree.
    void Do_the_Click();
    // The start-up notice: shows the bar above the pages when licences
    // expire within periodDays days or have expired while still in use
    // (periodDays 0: never). Run once the window shows.
    void ShowExpiryNotice(int periodDays);
    assets::ExpiryNoticeBar* expiryBar() const { return barExpiry_; }
    // Rebuilds the keyboard order for one page.
    void SetTabOrder(int page);
    // The page now selected: its keyboard order and hint, and its contents
    // filled the first time, refilled (keeping the user's place) when
    // something was written since it was last filled, else left as it was.
    void SSTab1_Click(int page);

    // Where the window's size and position, its splitters, the widths of
    // the lists' columns and the report zoom are kept between runs (the
    // user's settings file; none in tests unless a test gives one). Read
    // as the window loads, written as it closes.
    void setSettings(std::shared_ptr<QSettings> settings);
    QSettings* settings() const { return settings_.get(); }

    QTabWidget* SSTab1() const { return SSTab1_; }
    common::Page* page(int index) const { return pages_.at(index); }
    QMenu* sharedMenu(common::SharedMenu menu) const;
    // What answers the Reports page's Export button.
    exports::ReportExport* reportExport() const { return reportExport_; }
    QLabel* statusPanel(int panel) const; // 1: hint, 2: date, 3: time
    // Find, above the pages.
    FindPanel* findPanel() const { return findPanel_; }

    // Shows which register is open (the file's path, or user@host/database
    // on a server) in the title bar and the status bar. On a server the
    // database utilities work on it: Backup writes a register file, Restore
    // is left to the server's administrator.
    void showRegister(const QString& where);

    // A register the login may only read: every menu item, button and drag
    // that writes is disabled and stays so, and the status bar says
    // "Read-only register". Made so by the constructor when the database
    // says the login may not write.
    void setReadOnly();
    bool readOnly() const { return readOnly_; }

    // Changes other users made on a server: the page shown is refilled
    // around the user's place, at once when the user is not in the middle
    // of something (a dialog or menu open, a drag, a mouse button held),
    // otherwise as soon as that ends, and the status bar says when.
    void changesFromOthers();
    // True while the page shown may not be rebuilt under the user.
    bool userBusy() const;

    // Set only by a database restore: close without asking.
    void skipQuitConfirmation() { skipQuit_ = true; }

    // common::MainWindow
    common::Session& session() override { return session_; }
    QAction* menuItem(const QString& array, int index) const override;
    void popUpMenu(common::SharedMenu menu, const QPoint& globalPos, QObject* client) override;
    int selectedProdId() const override { return SelectedProdID; }
    void setSelectedProdId(int prodId) override { SelectedProdID = prodId; }
    void showPage(int index) override;
    void connectDialog(QDialog& dialog) override;

protected:
    // Pops a hidden menu up at a screen position. Tests replace this to
    // record the menu instead of opening it.
    virtual void popUp(QMenu* menu, const QPoint& globalPos);
    void closeEvent(QCloseEvent* event) override;
    // F1 that no control of the page took.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildMenus();
    void buildStatusBar();
    void updateClock();
    void forwardChoice(common::SharedMenu menu, QAction* action);
    void restoreDatabase();
    void backUpDatabase();
    void showHelpTopics();
    // Fills a page on entry when it has never been filled or when the
    // database has changed since it was last filled.
    void fillOnEntry(int page);
    // Starts the check for locations no tree can show when one is due: a
    // slice of locations at each turn of the event loop, after the page
    // just filled is on screen, so that the window answers meanwhile.
    void checkLocationPlacesSoon();
    void continuePlacesCheck();
    // After another user got there first, or the server's connection was
    // lost: the page shown is refilled from the database.
    void refreshAfterConflict();
    // Refills the page shown for other users' changes, when the user lets it.
    void applyOthersChanges();
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Disables the dialog's writing buttons and keeps them disabled.
    void disableWritingButtons(QWidget* dialog);

    common::Session& session_;
    frmAbout* about_;
    QTabWidget* SSTab1_ = nullptr;
    FindPanel* findPanel_ = nullptr;
    assets::ExpiryNoticeBar* barExpiry_ = nullptr;
    QVector<common::Page*> pages_;
    exports::ReportExport* reportExport_ = nullptr;
    std::array<QLabel*, 3> panels_{};
    QTimer* clock_ = nullptr;
    std::map<common::SharedMenu, QMenu*> menus_;
    // Who popped each shared menu up last.
    std::map<common::SharedMenu, QPointer<QObject>> clients_;
    // The product on which the Products menu acts.
    int SelectedProdID = 0;
    bool skipQuit_ = false;
    QString programDir_;
    QString helpFile_;
    std::unique_ptr<DatabaseFile> databaseFile_;
    std::shared_ptr<QSettings> settings_;
    // For each page the database's change count when it was last filled
    // (no value: never filled).
    std::array<std::optional<std::int64_t>, common::PageCount> seenChanges_{};
    std::optional<locations::PlacesCheck> placesCheck_;
    bool refreshPending_ = false;
    bool refreshing_ = false;
    bool readOnly_ = false;
    // Other users' changes wait for the user to finish what is under way.
    bool othersChanged_ = false;
    QTimer* othersRetry_ = nullptr;
};

} // namespace shell
