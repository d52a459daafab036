#pragma once

#include <QDialog>
#include <QString>

#include <optional>
#include <utility>

class QMenu;
class QPushButton;

namespace common {
class Messages;
class ReportList;
class Session;
enum class RowKey;
} // namespace common

namespace suppliers {

class clsSuppliers;

// Items of the list's context menu (the items of mnuSuppliers, mnuSup 0-3).
enum SupplierMenuItem { SupAdd = 0, SupModify = 1, SupView = 2, SupDelete = 3 };

// "Supply List": every supplier, with adding, changing, viewing and
// deleting them, and choosing one. The choice goes back through
// SelSuppID/SelSuppName of the shared clsSuppliers, which the list empties
// as it opens: closing it without a choice hands back no supplier.
//
// The context menu is the list's own menu "mnuSuppliers" with the items
// "mnuSup" 0-3 of the main window's hidden menu of that name: a main-window
// menu cannot pop up over a modal dialog.
class frmSupplierList : public QDialog {
    Q_OBJECT
public:
    explicit frmSupplierList(common::Session& session, QWidget* parent = nullptr);

    // Forgets the earlier choice and fills the list.
    void Form_Load();
    // Refills the list and sets the buttons (GetSuppNames).
    void GetSuppNames();
    // Selects a supplier's row, in view; false when the list has none.
    bool showSupplier(int supplierId);

    void btnSelect_Click();
    void btnAdd_Click();
    void btnModify_Click();
    void btnView_Click();
    void btnDelete_Click();
    void btnClose_Click();
    void lvSupplyList_DblClick();
    void lvSupplyList_MouseDown(Qt::MouseButton button, const QPoint& globalPos);
    // Insert, F2 and Delete: the menu's item for the key, when it is enabled.
    void lvSupplyList_Key(common::RowKey key);
    void mnuSup_Click(int index);

    QMenu* contextMenu() const { return mnuSuppliers; }

protected:
    // Pops the context menu up; tests replace this to record it instead.
    virtual void popUp(QMenu* menu, const QPoint& globalPos);

private:
    // The selected supplier's id, 0 with none.
    int selectedId() const;

    common::Session& session_;
    clsSuppliers& logic_;
    common::Messages& messages_;
    common::ReportList* lvSupplyList = nullptr;
    QPushButton* btnSelect = nullptr;
    QPushButton* btnAdd = nullptr;
    QPushButton* btnModify = nullptr;
    QPushButton* btnView = nullptr;
    QPushButton* btnDelete = nullptr;
    QPushButton* btnClose = nullptr;
    QMenu* mnuSuppliers = nullptr;
};

// Lets the user pick a supplier for a product, stock item or licence: shows
// the supplier list modally and returns the chosen supplier's id and name,
// or no value when none was chosen (the caller then empties its supplier
// fields).
std::optional<std::pair<int, QString>> pickSupplier(common::Session& session, QWidget* parent);

} // namespace suppliers
