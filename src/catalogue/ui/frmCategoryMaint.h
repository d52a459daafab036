#pragma once

#include "common/DialogMode.h"

#include <QDialog>
#include <QString>

#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace common {
class Messages;
class Session;
} // namespace common

namespace catalogue {

class clsCategories;

// The small dialog that adds categories or renames one. The database work
// is done by clsCategories; the dialog tells its opener when the list of
// categories has changed.
class frmCategoryMaint : public QDialog {
    Q_OBJECT
public:
    explicit frmCategoryMaint(common::Session& session, QWidget* parent = nullptr);

    // "ADD" or "MODIFY", set before the dialog is shown; read as it is
    // shown (Form_Load).
    QString Mode;
    // The category being renamed in mode "MODIFY".
    int CatID = 0;

    // The description box, e.g. to start a rename from the shown text.
    void setDescription(const QString& text);

    // Takes the mode from Mode and sets the caption and the action button
    // for it.
    void Form_Load();
    void btnAction_Click();
    void btnClose_Click();

signals:
    // A category was added or renamed.
    void categoriesChanged();

protected:
    void showEvent(QShowEvent* event) override;

private:
    clsCategories& logic_;
    common::Messages& messages_;
    std::optional<common::DialogMode> mode_;
    QLabel* lblCat = nullptr;
    QLineEdit* txtCatDesc = nullptr;
    QPushButton* btnAction = nullptr;
    QPushButton* btnClose = nullptr;
};

} // namespace catalogue
