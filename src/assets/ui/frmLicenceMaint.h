#pragma once

#include "assets/clsLicences.h"
#include "assets/ui/ItemDialog.h"

#include <array>

class QGroupBox;
class QRadioButton;

namespace common {
class DatePicker;
class Session;
} // namespace common

namespace assets {

// The licence dialog: adds licences of a product (staying open for the
// next one), changes one, or shows one read-only. The database work is
// clsLicences'; the dialog reports each licence stored through
// licenceChanged. A refused or failed store keeps everything typed.
class frmLicenceMaint : public ItemDialog {
    Q_OBJECT
public:
    explicit frmLicenceMaint(common::Session& session, QWidget* parent = nullptr);

    // Set by the opener, with Mode and ProdID, before the dialog is shown.
    int LicID = 0; // the licence to change or view; 0 again once closed

    void done(int result) override;

signals:
    // A licence was added or changed.
    void licenceChanged();

private:
    int itemId() const override;
    // "MODIFY" or "VIEW" without a licence closes the dialog after its
    // message; each mode has its caption.
    bool loadMode(common::DialogMode mode) override;
    void showItem(int id) override;
    ItemSave storeItem(bool adding) override;
    QWidget* ownField(ItemField field) override;

    clsLicences& licences_;
    QGroupBox* Frame1 = nullptr;
    std::array<QRadioButton*, 2> optType{}; // 0 "Normal", 1 "Temporary"
    common::DatePicker* dteExpDate = nullptr;
};

} // namespace assets
