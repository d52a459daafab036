#pragma once

#include "common/DialogMode.h"
#include "suppliers/clsSuppliers.h"

#include <QDialog>
#include <QString>

#include <array>

class QGroupBox;
class QLineEdit;
class QPushButton;

namespace common {
class DatePicker;
class Messages;
class Session;
} // namespace common

namespace suppliers {

// Captions of btnOK, which show the dialog's mode.
inline const QString AddCaption = QStringLiteral("&Add");
inline const QString ModifyCaption = QStringLiteral("&Modify");

// "Supplier details": one supplier's fields for adding, changing or
// viewing. The mode is shown by btnOK's caption ("&Add", "&Modify"); in
// view mode the fields' frame and btnOK are disabled. The database work is
// done by clsSuppliers; the dialog tells its opener when the suppliers have
// changed.
class frmSupplierMaint : public QDialog {
    Q_OBJECT
public:
    explicit frmSupplierMaint(common::Session& session, QWidget* parent = nullptr);

    // Empty fields dated now; btnOK "&Add".
    void Form_Load();
    // Fills the fields with the supplier's details and keeps its id: the id
    // that "&Modify" stores under.
    void GetSuppDets(int suppId);
    // Modes as the list sets them: btnOK stores by the mode set last.
    void setAddMode();
    void setModifyMode();
    void setViewMode();

    // The supplier shown (0 when adding).
    int suppId() const { return SuppID_; }

    // The fields as they stand.
    SupplierFields fields() const;
    void setFields(const SupplierFields& fields);

    void btnOK_Click();
    void btnCancel_Click();

signals:
    // A supplier was added or changed.
    void suppliersChanged();

private:
    void focusField(SupplierField field);

    clsSuppliers& logic_;
    common::Messages& messages_;
    common::Session& session_;
    int SuppID_ = 0;
    common::DialogMode mode_ = common::DialogMode::Add;

    QGroupBox* frmSuppDets = nullptr;
    QLineEdit* txtSupp = nullptr;
    std::array<QLineEdit*, 3> txtAdd1{};
    QLineEdit* txtTown = nullptr;
    QLineEdit* txtCounty = nullptr;
    QLineEdit* txtPostCode = nullptr;
    QLineEdit* txtPhoneArea = nullptr;
    QLineEdit* txtPhone = nullptr;
    QLineEdit* txtFaxArea = nullptr;
    QLineEdit* txtFaxNo = nullptr;
    QLineEdit* txtEmail = nullptr;
    QLineEdit* txtWeb = nullptr;
    QLineEdit* txtContact = nullptr;
    common::DatePicker* DTSupplyDate = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
};

} // namespace suppliers
