#pragma once

#include <QDialog>
#include <QString>

#include <optional>
#include <utility>

class QPushButton;
class QTreeWidgetItem;

namespace common {
class Session;
} // namespace common

namespace locations {

class clsLocations;
class LocationTreeView;

// The location picker: shows the location tree and hands one location back
// through SelectedLocID/SelectedLocName of the shared clsLocations. Only a
// location under the available-locations or available-licences branch can
// be chosen.
class frmLocationList : public QDialog {
    Q_OBJECT
public:
    // Loads the dialog with its tree filled.
    explicit frmLocationList(common::Session& session, QWidget* parent = nullptr);

    void Form_Load();
    void tvLocations_NodeClick(QTreeWidgetItem* node);
    // Double click or Enter in the tree: Select, when the selected node is a
    // location that can be chosen.
    void tvLocations_DblClick();
    void btnSelect_Click();
    void btnClose_Click();
    void btnExpand_Click();

    // Closing by the window's close box or Escape returns no location, as
    // "&Close" does.
    void reject() override;

private:
    LocationTreeView* tvLocations = nullptr;
    QPushButton* btnExpand = nullptr;
    QPushButton* btnSelect = nullptr;
    QPushButton* btnClose = nullptr;

    // The selected node when it may be returned, else null.
    QTreeWidgetItem* choosableSelection() const;

    clsLocations& logic_;
};

// Lets the user pick a location for a stock item or licence: shows the
// picker modally and returns the chosen location's id and text, or no value
// when none was chosen.
std::optional<std::pair<int, QString>> pickLocation(common::Session& session, QWidget* parent);

} // namespace locations
