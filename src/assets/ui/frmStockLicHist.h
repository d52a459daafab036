#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;
class QPushButton;

namespace common {
class ReportList;
class Session;
} // namespace common

namespace assets {

class clsStockLicenceHist;

// "Stock & Licence History": every place one stock item or licence has
// been, oldest first. The item is the one it is made for: an id and "S"
// for a stock item or "L" for a licence.
class frmStockLicHist : public QDialog {
    Q_OBJECT
public:
    frmStockLicHist(common::Session& session, int itemId, const QString& itemType,
                    QWidget* parent = nullptr);

    // Fills the boxes and the list for the item.
    void Form_Load();

private:
    clsStockLicenceHist& logic_;
    const int itemId_;
    const QString itemType_;
    QLineEdit* txtCode = nullptr;
    QLineEdit* txtProdDesc = nullptr;
    common::ReportList* lvStockLicHist = nullptr;
    QPushButton* btnClose = nullptr;
};

// Shows the history of one item ("S" stock, "L" licence) modally.
void showHistory(common::Session& session, int itemId, const QString& itemType, QWidget* parent);

} // namespace assets
