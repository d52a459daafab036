#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace common {
class ReportList;
class Session;
} // namespace common

namespace assets {

class clsStockLicenceHist;

// "Stock & Licence History": every place one stock item or licence has
// been, oldest first. The item is the one named by ItemID and ItemType of
// the shared clsStockLicenceHist when the dialog is made.
class frmStockLicHist : public QDialog {
    Q_OBJECT
public:
    explicit frmStockLicHist(common::Session& session, QWidget* parent = nullptr);

    // Fills the boxes and the list for the item.
    void Form_Load();

private:
    clsStockLicenceHist& logic_;
    QLineEdit* txtCode = nullptr;
    QLineEdit* txtProdDesc = nullptr;
    common::ReportList* lvStockLicHist = nullptr;
    QPushButton* btnClose = nullptr;
};

// Shows the history of one item ("S" stock, "L" licence) modally.
void showHistory(common::Session& session, int itemId, const QString& itemType, QWidget* parent);

} // namespace assets
