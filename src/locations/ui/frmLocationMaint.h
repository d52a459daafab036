#pragma once

#include "common/DialogMode.h"
#include "locations/clsLocations.h"

#include <QDialog>
#include <QString>

#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace common {
class Session;
class Messages;
} // namespace common

namespace locations {

// The small dialog that adds locations under the current location or gives
// the current location a new description. The database work is done by
// clsLocations; the dialog tells its opener how the location tree follows.
class frmLocationMaint : public QDialog {
    Q_OBJECT
public:
    explicit frmLocationMaint(common::Session& session, QWidget* parent = nullptr);

    // "ADD" or "MODIFY", set before the dialog is shown; read as it is
    // shown (Form_Paint).
    QString Mode;

    // The description shown for a change.
    void setDescription(const QString& text);

    // Takes the mode from Mode and sets the caption and the action button
    // for it.
    void Form_Paint();
    void btnAdd_Click();
    void btnClose_Click();

signals:
    // A location was added: its node goes into the tree.
    void locationAdded(const locations::TreeNode& node);
    // The current location was given this description (as typed).
    void locationRenamed(const QString& newdesc);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel* lblLoc = nullptr;
    QLineEdit* txtLocDesc = nullptr;
    QPushButton* btnAdd = nullptr;
    QPushButton* btnClose = nullptr;
    clsLocations& logic_;
    common::Messages& messages_;
    std::optional<common::DialogMode> mode_;
};

} // namespace locations
