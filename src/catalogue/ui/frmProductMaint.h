#pragma once

#include "catalogue/clsProducts.h"
#include "common/DialogMode.h"

#include <QDialog>
#include <QString>

#include <optional>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QToolButton;

namespace common {
class DatePicker;
class Messages;
class ReportList;
class Session;
} // namespace common

namespace catalogue {

// "Product maintenance": adds products (staying open for the next one),
// changes one, or shows one read-only. In modes "MODIFY" and "VIEW" it
// widens to show the product's stock items and licences on two tabs.
//
// The stock and licence dialogs are not part of this
// dialog: its eight tab buttons make their "Please select ..." checks and
// then ask for them through the four signals below, with the mode, the
// product and the item every time. showProductDialog, the one place that
// opens the dialog, has them connected (assets::wireProductDialog), and
// the stock and licence dialogs report a change through
// FillStockListView or FillLicenceListView.
class frmProductMaint : public QDialog {
    Q_OBJECT
public:
    explicit frmProductMaint(common::Session& session, QWidget* parent = nullptr);

    // Set by the opener before the dialog is shown; read once, by Form_Load.
    QString Mode;   // "ADD", "MODIFY" or "VIEW"
    int ProdID = 0; // 0 when adding; the new product's id after an add;
                    // 0 again once the dialog has closed
    // The category chosen on the product page when that page is showing;
    // the dialog then preselects it.
    std::optional<int> PageCatID;

    // Loads the dialog for Mode and ProdID; runs by itself when the dialog
    // is first shown. From here on the dialog works in the mode Mode names
    // (in none, for another text: the action button then does nothing).
    void Form_Load();

    // Empties the product fields for the next product; the category stays.
    void ClearProdMaintForm();
    // Shows the product's fields (clsProducts::FillProdFormWithDets).
    void FillProdFormWithDets(int prodId);

    void btnAction_Click();
    void btnClose_Click();
    void btnSupplier_Click();
    void btnClearSupp_Click();
    // Widens the dialog to show the stock and licence tabs.
    void btnViewStockLics_Click();

    void btnAddStock_Click();
    void btnModStock_Click();
    void btnViewStock_Click();
    void btnDelStock_Click();
    void btnAddLicence_Click();
    void btnModLicence_Click();
    void btnViewLicence_Click();
    void btnDelLicence_Click();

    void SSProducts_Click();
    void SetStockButtons();
    void SetLicenceButtons();

    bool isWide() const;

public slots:
    // Refill the lists for ProdID: the stock and licence dialogs' way of
    // reporting a change.
    void FillStockListView();
    void FillLicenceListView();

signals:
    // Open the stock dialog in mode "ADD", "MODIFY" or "VIEW"
    // for the product prodId and the item stockId (0 when adding).
    void stockDialogRequested(const QString& mode, int prodId, int stockId);
    // Open the licence dialog likewise; licId 0 when adding.
    void licenceDialogRequested(const QString& mode, int prodId, int licId);
    // Delete a stock item / a licence (DeleteStock, DeleteLicence). The
    // dialog refills the list when the handler returns.
    void stockDeleteRequested(int stockId);
    void licenceDeleteRequested(int licId);
    // A product was added or changed.
    void productsChanged();

public:
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void makeTabs();
    void connectEvents();
    ProductFields fields() const;
    void focusField(ProductField field);
    void selectCategory(std::optional<int> catId);
    void setTabButtons(bool add, bool others);
    void centreOnMainWindow();

    common::Session& session_;
    clsProducts& logic_;
    common::Messages& messages_;
    bool loaded_ = false;
    std::optional<common::DialogMode> mode_;

    QGroupBox* fraProd = nullptr;
    QLineEdit* txtProdCode = nullptr;
    QLineEdit* txtProdDesc = nullptr;
    QComboBox* cboCategory = nullptr;
    QLineEdit* txtProdCost = nullptr;
    QLineEdit* txtProdOwned = nullptr;
    QLineEdit* txtSuppName = nullptr;
    QLineEdit* txtSuppID = nullptr;
    QToolButton* btnSupplier = nullptr;
    QToolButton* btnClearSupp = nullptr;
    common::DatePicker* dteDateAdded = nullptr;
    QPushButton* btnAction = nullptr;
    QPushButton* btnClose = nullptr;
    QPushButton* btnViewStockLics = nullptr;
    QTabWidget* SSProducts = nullptr;
    common::ReportList* lvStock = nullptr;
    common::ReportList* lvLicences = nullptr;
    QPushButton* btnAddStock = nullptr;
    QPushButton* btnModStock = nullptr;
    QPushButton* btnViewStock = nullptr;
    QPushButton* btnDelStock = nullptr;
    QPushButton* btnAddLicence = nullptr;
    QPushButton* btnModLicence = nullptr;
    QPushButton* btnViewLicence = nullptr;
    QPushButton* btnDelLicence = nullptr;
};

} // namespace catalogue
