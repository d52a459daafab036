#include "locations/ui/frmLocationList.h"

#include "common/ListRow.h"
#include "common/Session.h"
#include "common/ui/DialogKit.h"
#include "common/ui/Guard.h"
#include "locations/clsLocations.h"
#include "locations/ui/LocationTreeView.h"

#include <QPushButton>

namespace locations {

frmLocationList::frmLocationList(common::Session& session, QWidget* parent)
    : QDialog(parent), logic_(session.logic<locations::clsLocations>()) {
    setObjectName(QStringLiteral("frmLocationList"));
    setWindowTitle(QStringLiteral("Location List"));
    setModal(true);

    tvLocations = new LocationTreeView(this);
    tvLocations->setObjectName(QStringLiteral("tvLocations"));
    // Enter belongs to the tree; no button takes it as the default.
    btnExpand = common::button(this, QStringLiteral("&Expand Locations"), "btnExpand");
    btnSelect = common::button(this, QStringLiteral("&Select"), "btnSelect");
    btnClose = common::button(this, QStringLiteral("&Close"), "btnClose");
    common::layOutList(this, tvLocations, {btnExpand, btnSelect, btnClose});
    resize(420, 420);

    connect(tvLocations, &LocationTreeView::nodeClicked, this,
            &frmLocationList::tvLocations_NodeClick);
    connect(tvLocations, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem*, int) { tvLocations_DblClick(); });
    // Select never stays enabled for a node that cannot be chosen, however
    // the selection moved there (keys, the expand button).
    connect(tvLocations, &QTreeWidget::itemSelectionChanged, this,
            [this] { btnSelect->setEnabled(choosableSelection() != nullptr); });
    connect(btnExpand, &QPushButton::clicked, this, &frmLocationList::btnExpand_Click);
    connect(btnSelect, &QPushButton::clicked, this, &frmLocationList::btnSelect_Click);
    connect(btnClose, &QPushButton::clicked, this, &frmLocationList::btnClose_Click);
    common::onEnter(tvLocations, [this] { tvLocations_DblClick(); });

    btnSelect->setEnabled(false);
    Form_Load();
}

void frmLocationList::Form_Load() {
    tvLocations->FillUpLocationTree(logic_);
}

QTreeWidgetItem* frmLocationList::choosableSelection() const {
    QTreeWidgetItem* node = tvLocations->selectedNode();
    return node && clsLocations::IsChoosable(LocationTreeView::imageOf(node)) ? node : nullptr;
}

void frmLocationList::tvLocations_NodeClick(QTreeWidgetItem* node) {
    btnSelect->setEnabled(node && node == choosableSelection());
}

void frmLocationList::tvLocations_DblClick() {
    if (choosableSelection())
        btnSelect_Click();
}

void frmLocationList::btnSelect_Click() {
    QTreeWidgetItem* node = choosableSelection();
    if (!node)
        return;
    logic_.SelectedLocID = common::idOfKey(LocationTreeView::keyOf(node));
    logic_.SelectedLocName = node->text(0).trimmed();
    accept();
}

void frmLocationList::btnClose_Click() {
    reject();
}

void frmLocationList::reject() {
    logic_.SelectedLocID = 0;
    logic_.SelectedLocName.clear();
    QDialog::reject();
}

void frmLocationList::btnExpand_Click() {
    tvLocations->expandAllAndSelectRoot();
    // The root is selected now and cannot be chosen.
    btnSelect->setEnabled(false);
}

std::optional<std::pair<int, QString>> pickLocation(common::Session& session, QWidget* parent) {
    std::optional<std::pair<int, QString>> chosen;
    common::guarded(session.messages(), [&] {
        clsLocations& logic = session.logic<locations::clsLocations>();
        frmLocationList picker(session, parent);
        if (picker.exec() == QDialog::Accepted && !logic.SelectedLocName.trimmed().isEmpty())
            chosen = std::make_pair(logic.SelectedLocID, logic.SelectedLocName);
    });
    return chosen;
}

} // namespace locations
