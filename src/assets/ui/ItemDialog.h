#pragma once

// What the stock and licence dialogs share: the frame with the product,
// code, location, supplier, cost and date-added fields, the location and
// supplier pickers with their clear buttons, the "&Add"/"&Modify" and
// "&Close" buttons, and the way a mode is loaded and an item stored. Each
// dialog adds its own fields and names its controls; the database work is
// its logic object's (an ItemStore).

#include "assets/ItemStore.h"
#include "common/DialogMode.h"
#include "common/Messages.h"

#include <QDialog>
#include <QString>

#include <vector>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace common {
class DatePicker;
class Session;
} // namespace common

namespace assets {

class ItemDialog : public QDialog {
    Q_OBJECT
public:
    // Set by the opener before the dialog is shown.
    QString Mode;   // "ADD", "MODIFY" or "VIEW"
    int ProdID = 0; // the product (for "ADD": of the new item)

    // Loads the dialog for Mode, ProdID and the item; runs by itself when
    // the dialog is first shown.
    void Form_Load();

    void btnAdd_Click();
    void btnCancel_Click();
    // The location and supplier pickers, and their clear buttons.
    void chooseLocation();
    void chooseSupplier();
    void clearLocation();
    void clearSupplier();
    // Shows a location: its path in the box, its description kept for the
    // history row.
    void showLocation(const QString& desc, const QString& path);

signals:
    // An item was added or changed.
    void itemStored();

protected:
    // The names of the controls that the two dialogs name differently.
    struct Names {
        const char* dialog;
        const char* frame;
        const char* locationButton;
        const char* supplierBox;
        const char* dateAdded;
    };
    // A row of a dialog's own fields; with no caption the field stands
    // alone across the row.
    struct FieldRow {
        QString caption;
        QWidget* field;
    };

    // Makes the frame with the product chooser and the code box. The
    // dialog then makes its own fields and calls buildFields.
    ItemDialog(common::Session& session, ItemStore& logic, const Names& names,
               common::ErrorForm errorForm, QWidget* parent);

    // Makes the rest of the fields and the buttons, and lays the dialog out:
    // the product, the code under codeCaption, the dialog's own rows, then
    // location, supplier, cost and date added.
    void buildFields(const QString& codeCaption, const std::vector<FieldRow>& own);

    // The item to change or view.
    virtual int itemId() const = 0;
    // The dialog's own part of loading a mode, before the shared part;
    // false when there is nothing to load.
    virtual bool loadMode(common::DialogMode mode);
    // Reads the item and shows it (showShared and the dialog's own fields);
    // runs with the product chooser filled.
    virtual void showItem(int id) = 0;
    // Stores the fields: adds an item or changes the one shown.
    virtual ItemSave storeItem(bool adding) = 0;
    // A field of the dialog's own that a refusal names; none by default.
    virtual QWidget* ownField(ItemField field);

    // Fills the product chooser and shows the item.
    void loadItem(int id);
    // Shows the fields both dialogs have.
    void showShared(const ItemDetails& d, const std::optional<int>& locId);
    // Reads the fields both dialogs have.
    void readShared(ItemFields& f) const;

    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    common::Session& session_;
    common::Messages& messages_;

    QGroupBox* frame = nullptr;
    QComboBox* cboProdDesc = nullptr;
    QLineEdit* txtCode = nullptr;
    QLineEdit* txtLoc = nullptr;
    // The location's description as its history row names it; txtLoc
    // shows its full path.
    QString locDesc_;
    QString shownLoc_; // what showLocation put in txtLoc
    QToolButton* locationButton = nullptr;
    QToolButton* btnClearLoc = nullptr;
    QLineEdit* supplierBox = nullptr;
    QToolButton* btnGetsupp = nullptr;
    QToolButton* btnClearSupp = nullptr;
    QLineEdit* txtCost = nullptr;
    common::DatePicker* dateAdded = nullptr;
    QLineEdit* txtLocID = nullptr;
    QLineEdit* txtSuppID = nullptr;
    QPushButton* btnAdd = nullptr;
    QPushButton* btnCancel = nullptr;

private:
    void focusField(ItemField field);

    ItemStore& logic_;
    const Names names_;
    const common::ErrorForm errorForm_;
    bool loaded_ = false;
    // As designed, the action button adds until a mode is loaded.
    common::DialogMode mode_ = common::DialogMode::Add;
};

} // namespace assets
