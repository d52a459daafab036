#pragma once

#include "assets/clsStock.h"

#include <QDialog>
#include <QString>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace common {
class DatePicker;
class Messages;
class Session;
} // namespace common

namespace assets {

// "Stock Maintenance": adds stock items of a product (staying open for the
// next one), changes one, or shows one read-only. The database work is
// clsStock's; the dialog reports each item stored through stockChanged, so
// that whoever shows the product's stock refills it.
//
// As in every stock dialog of the program, btnSupplier picks the location
// and btnGetsupp the supplier.
class frmStockMaint : public QDialog {
    Q_OBJECT
public:
    explicit frmStockMaint(common::Session& session, QWidget* parent = nullptr);

    // Set by the opener, all three every time, before the dialog is shown.
    QString Mode;    // "ADD", "MODIFY" or "VIEW"
    int ProdID = 0;  // the product (for "ADD": of the new item)
    int StockID = 0; // the item to change or view; 0 when adding

    // Loads the dialog for Mode, ProdID and StockID; runs by itself when
    // the dialog is first shown.
    void Form_Load();
    // Shows the item's fields, with every product in the chooser.
    void GetStockDets(int stockId);
    // Empties the code box for the next item.
    void ClearFrom();

    void btnAdd_Click();
    void btnCancel_Click();
    // The location picker; the supplier picker; and their clear buttons.
    void btnSupplier_Click();
    void btnGetsupp_Click();
    void btnClearLoc_Click();
    void btnClearSupp_Click();

signals:
    // An item was added or changed.
    void stockChanged();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    StockFields fields() const;
    void focusField(StockField field);

    common::Session& session_;
    clsStock& logic_;
    common::Messages& messages_;
    bool loaded_ = false;

    QGroupBox* framStock = nullptr;
    QComboBox* cboProdDesc = nullptr;
    QLineEdit* txtCode = nullptr;
    QLineEdit* txtLoc = nullptr;
    QToolButton* btnSupplier = nullptr;
    QToolButton* btnClearLoc = nullptr;
    QLineEdit* txtSupplier = nullptr;
    QToolButton* btnGetsupp = nullptr;
    QToolButton* btnClearSupp = nullptr;
    QLineEdit* txtCost = nullptr;
    common::DatePicker* DTStock = nullptr;
    QLineEdit* txtLocID = nullptr;
    QLineEdit* txtSuppID = nullptr;
    QPushButton* btnAdd = nullptr;
    QPushButton* btnCancel = nullptr;
};

} // namespace assets
