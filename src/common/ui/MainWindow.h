#pragma once

// What the pages and dialogs need of the main window, without knowing it:
// the session, the shared hidden menus, the product on which the Products
// menu acts, switching pages, and answering what a dialog asks of the
// subsystems above its own. frmVemora implements it.

#include <QString>

class QAction;
class QDialog;
class QObject;
class QPoint;

namespace common {

class Session;

// The main window's tabs, by index.
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

// The hidden context menus that the main window owns and that pages and
// dialogs pop up.
enum class SharedMenu { Categorys, Suppliers, Products, Locations, StockLicences, Allocation };

// Whoever pops a shared menu up receives the item chosen in it: the menu
// item's control array name ("mnuProd", "mnuSMaint", ...) and its index.
class MenuClient {
public:
    virtual ~MenuClient() = default;
    virtual void menuChosen(const QString& array, int index) = 0;
};

class MainWindow {
public:
    virtual ~MainWindow() = default;

    virtual Session& session() = 0;

    // One item of a shared menu's control array, e.g. ("mnuProd", 2); null
    // when there is no such item.
    virtual QAction* menuItem(const QString& array, int index) const = 0;
    // Pops a shared menu up at a screen position. The item chosen goes to
    // client (a QObject that is a MenuClient), and to no one else.
    virtual void popUpMenu(SharedMenu menu, const QPoint& globalPos, QObject* client) = 0;

    // The product on which the Products menu acts.
    virtual int selectedProdId() const = 0;
    virtual void setSelectedProdId(int prodId) = 0;

    // Selects a page, which rebuilds it.
    virtual void showPage(int index) = 0;

    // Connects what a dialog asks of subsystems above its own (the product
    // dialog's stock and licence requests) before it is shown.
    virtual void connectDialog(QDialog& dialog) = 0;
};

} // namespace common
