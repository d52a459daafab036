#pragma once

#include "assets/clsLicences.h"

#include <QDialog>
#include <QString>

#include <array>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace common {
class DatePicker;
class Messages;
class Session;
} // namespace common

namespace assets {

// The licence dialog: adds licences of a product (staying open for the
// next one), changes one, or shows one read-only. The database work is
// clsLicences'; the dialog reports each licence stored through
// licenceChanged. A refused or failed store keeps everything typed.
class frmLicenceMaint : public QDialog {
    Q_OBJECT
public:
    explicit frmLicenceMaint(common::Session& session, QWidget* parent = nullptr);

    // Set by the opener before the dialog is shown.
    QString Mode;   // "ADD", "MODIFY" or "VIEW"
    int ProdID = 0; // the product (for "ADD": of the new licence)
    int LicID = 0;  // the licence to change or view; 0 again once closed

    // Loads the dialog for Mode, ProdID and LicID; runs by itself when the
    // dialog is first shown. "MODIFY" or "VIEW" without a licence closes
    // the dialog after its message.
    void Form_Load();
    // Shows the licence's fields, with every product in the chooser.
    void GetLicDets(int licId);

    void btnAdd_Click();
    void btnCancel_Click();
    void btnLocation_Click();
    // Puts the focus on the field a refusal names.
    void focusField(LicenceField field);
    void btnGetsupp_Click();
    void btnClearLoc_Click();
    void btnClearSupp_Click();

    void done(int result) override;

signals:
    // A licence was added or changed.
    void licenceChanged();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    LicenceFields fields() const;

    common::Session& session_;
    clsLicences& logic_;
    common::Messages& messages_;
    bool loaded_ = false;

    QGroupBox* fraLicence = nullptr;
    QComboBox* cboProdDesc = nullptr;
    QLineEdit* txtCode = nullptr;
    QGroupBox* Frame1 = nullptr;
    std::array<QRadioButton*, 2> optType{}; // 0 "Normal", 1 "Temporary"
    common::DatePicker* dteExpDate = nullptr;
    QLineEdit* txtLoc = nullptr;
    QToolButton* btnLocation = nullptr;
    QToolButton* btnClearLoc = nullptr;
    QLineEdit* txtSuppName = nullptr;
    QToolButton* btnGetsupp = nullptr;
    QToolButton* btnClearSupp = nullptr;
    QLineEdit* txtCost = nullptr;
    common::DatePicker* dteDateAdded = nullptr;
    QLineEdit* txtLocID = nullptr;
    QLineEdit* txtSuppID = nullptr;
    QPushButton* btnAdd = nullptr;
    QPushButton* btnCancel = nullptr;
};

} // namespace assets
