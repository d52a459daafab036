#include "locations/ui/pgLocationUtilities.h"

#include "common/DialogMode.h"
#include "common/ListRow.h"
#include "common/NodeKey.h"
#include "common/Session.h"
#include "common/ui/Guard.h"
#include "common/ui/Legend.h"
#include "common/ui/MainWindow.h"
#include "common/ui/RowMenu.h"
#include "locations/clsLocations.h"
#include "locations/ui/LocationTreeView.h"
#include "locations/ui/frmLocationMaint.h"
#include "store/StoreConstants.h"

#include <QAction>
#include <QGridLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

namespace locations {

namespace {
enum MenuItem { MenuAdd = 0, MenuModify = 1, MenuDelete = 2 };
const MenuItem KeyItems[] = {MenuAdd, MenuModify, MenuDelete}; // by common::RowKey
const QString MenuArray = QStringLiteral("mnuLoc");
} // namespace

pgLocationUtilities::pgLocationUtilities(common::MainWindow& main) : main_(main) {
    setObjectName(QStringLiteral("pgLocationUtilities"));
    tvLocations2 = new LocationTreeView(this);
    tvLocations2->setObjectName(QStringLiteral("tvLocations2"));
    btnExpand = new QPushButton(QStringLiteral("&Expand Locations"), this);
    btnExpand->setObjectName(QStringLiteral("btnExpand"));
    QGroupBox* legend =
        common::makeLegend(this,
                           {{image::SystemNode, QStringLiteral("System Node")},
                            {image::Location, QStringLiteral("Location")},
                            {image::RemovedLocation, QStringLiteral("Removed Location")}},
                           1);
    auto* grid = new QGridLayout(this);
    grid->addWidget(tvLocations2, 0, 0, 3, 1);
    grid->addWidget(btnExpand, 0, 1);
    grid->addWidget(legend, 1, 1);
    grid->setRowStretch(2, 1);
    grid->setColumnStretch(0, 1);

    // Locations are moved by dragging; the root and the reserved rows stay
    // where they are and mark no drop target.
    tvLocations2->setNodeDragging(true);
    tvLocations2->setTargetRule([](const QTreeWidgetItem* dragged, const QTreeWidgetItem*) {
        return LocationTreeView::imageOf(dragged) != image::SystemNode;
    });

    connect(btnExpand, &QPushButton::clicked, tvLocations2,
            &LocationTreeView::expandAllAndSelectRoot);
    connect(tvLocations2, &LocationTreeView::nodeClicked, this,
            &pgLocationUtilities::tvLocations2_NodeClick);
    // Enter means nothing else on this tree: it renames the location.
    auto* keys = new common::RowMenu(tvLocations2, common::RowMenu::Enter::Modifies);
    connect(keys, &common::RowMenu::menuRequested, this,
            [this](const QPoint& pos) { tvLocations2_MouseUp(Qt::RightButton, pos); });
    connect(keys, &common::RowMenu::keyPressed, this, &pgLocationUtilities::tvLocations2_Key);
    connect(tvLocations2, &LocationTreeView::nodeDropped, this, &pgLocationUtilities::dropLocation);
}

void pgLocationUtilities::rebuild() {
    clsLocations& logic = main_.session().logic<locations::clsLocations>();
    tvLocations2->FillUpLocationTree(logic);
}

void pgLocationUtilities::refill() {
    const LocationTreeView::Place place = tvLocations2->place();
    if (tvLocations2->FillUpLocationTree(main_.session().logic<locations::clsLocations>()))
        tvLocations2->restorePlace(place);
}

QWidgetList pgLocationUtilities::tabOrder() const {
    return {tvLocations2, btnExpand};
}

QString pgLocationUtilities::helpTopic() const {
    return QStringLiteral("locations.html");
}

QString pgLocationUtilities::hint() const {
    return QStringLiteral("Select and right click a location to Add, Modify or Delete");
}

void pgLocationUtilities::tvLocations2_NodeClick(QTreeWidgetItem* node) {
    if (!node || node != tvLocations2->selectedNode())
        return;
    clsLocations& logic = main_.session().logic<locations::clsLocations>();
    logic.setCurrentLocId(common::idOfKey(LocationTreeView::keyOf(node)));
    logic.setCurrentLocDesc(node->text(0));
}

bool pgLocationUtilities::showLocation(int locId) {
    QTreeWidgetItem* node = tvLocations2->revealNode(locationKey(locId));
    if (!node)
        return false;
    tvLocations2_NodeClick(node);
    tvLocations2->setFocus();
    return true;
}

void pgLocationUtilities::setMenuStates() {
    // The menu acts on the node it was made for: the selected node becomes
    // the current location, even if it was selected by keys or by an
    // addition rather than clicked. With none, every item is off: even an
    // addition needs the location it goes under.
    MenuState state;
    if (QTreeWidgetItem* selected = tvLocations2->selectedNode()) {
        tvLocations2_NodeClick(selected);
        state = clsLocations::MenuFor(*LocationTreeView::infoOf(selected));
    }
    main_.menuItem(MenuArray, MenuAdd)->setEnabled(state.add);
    main_.menuItem(MenuArray, MenuModify)->setEnabled(state.modify);
    main_.menuItem(MenuArray, MenuDelete)->setEnabled(state.remove);
}

void pgLocationUtilities::tvLocations2_MouseUp(Qt::MouseButton button, const QPoint& globalPos) {
    if (button != Qt::RightButton)
        return;
    setMenuStates();
    main_.popUpMenu(common::SharedMenu::Locations, globalPos, this);
}

void pgLocationUtilities::tvLocations2_Key(common::RowKey key) {
    setMenuStates();
    common::chooseEnabled(main_.menuItem(MenuArray, KeyItems[static_cast<int>(key)]), *this);
}

void pgLocationUtilities::menuChosen(const QString& array, int index) {
    if (array == MenuArray)
        mnuLoc_Click(index);
}

void pgLocationUtilities::mnuLoc_Click(int index) {
    common::Session& session = main_.session();
    if (index == MenuAdd || index == MenuModify) {
        frmLocationMaint dialog(session, window());
        if (index == MenuAdd) {
            dialog.Mode = common::mode::Add;
        } else {
            dialog.Mode = common::mode::Modify;
            // The description as stored: the tree shows it in proper case,
            // and confirming that unchanged would rewrite it ("IT Store").
            QTreeWidgetItem* selected = tvLocations2->selectedNode();
            QString stored;
            if (selected)
                common::guarded(session.messages(), [&] {
                    stored = session.logic<locations::clsLocations>().storedDescription(
                        common::idOfKey(LocationTreeView::keyOf(selected)));
                });
            dialog.setDescription(stored);
        }
        connect(&dialog, &frmLocationMaint::locationAdded, this,
                &pgLocationUtilities::showAddedLocation);
        connect(&dialog, &frmLocationMaint::locationRenamed, this,
                &pgLocationUtilities::showRenamedLocation);
        dialog.exec();
    } else if (index == MenuDelete) {
        common::guarded(session.messages(), [&] {
            const int selectedImage = LocationTreeView::imageOf(tvLocations2->selectedNode());
            showDeletedLocation(
                session.logic<locations::clsLocations>().DeleteLocation(selectedImage));
        });
    }
}

void pgLocationUtilities::showAddedLocation(const TreeNode& node) {
    QTreeWidgetItem* item = tvLocations2->addNode(node);
    if (!item)
        return;
    item->setExpanded(node.expanded);
    // Selected without a click: the current location stays the parent, so
    // further additions go under it too.
    tvLocations2->selectNode(item);
}

void pgLocationUtilities::showRenamedLocation(const QString& newdesc) {
    if (QTreeWidgetItem* selected = tvLocations2->selectedNode())
        selected->setText(0, newdesc);
}

void pgLocationUtilities::showDeletedLocation(DeleteResult result) {
    const clsLocations& logic = main_.session().logic<locations::clsLocations>();
    const QString key = locationKey(logic.CurrentLocId());
    switch (result) {
    case DeleteResult::Nothing:
        break;
    case DeleteResult::Parked:
        tvLocations2->removeNode(key);
        tvLocations2->addNode({key, locationKey(store::loc::RemovedLocations),
                               logic.CurrentLocDesc(), image::RemovedLocation, false});
        break;
    case DeleteResult::Deleted:
        tvLocations2->removeNode(key);
        break;
    }
}

void pgLocationUtilities::dropLocation(QTreeWidgetItem* dragged, QTreeWidgetItem* target) {
    clsLocations& logic = main_.session().logic<locations::clsLocations>();
    common::guarded(
        main_.session().messages(),
        [&] {
            // Whether the dragged location has sub-locations is told by its
            // children, read if they are not yet.
            tvLocations2->readChildren(dragged);
            // The node follows only a move the database has taken; into a
            // branch not read yet, it is read with the branch.
            if (logic.DropLocation(LocationTreeView::infoOf(dragged),
                                   LocationTreeView::infoOf(target)) != DropResult::Moved)
                return;
            tvLocations2->reparent(LocationTreeView::keyOf(dragged),
                                   LocationTreeView::keyOf(target));
            // The icon follows the new branch at once: it decides whether a
            // later removal parks the location or deletes it for good.
            tvLocations2->setImage(dragged,
                                   LocationTreeView::imageOf(target) == image::RemovedLocation
                                       ? image::RemovedLocation
                                       : image::Location);
        },
        common::ErrorForm::Description);
    tvLocations2->clearSelection();
    tvLocations2->setDropHighlight(nullptr);
}

} // namespace locations
