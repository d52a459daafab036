#include "locations/ui/pgLocationUtilities.h"

#include "locations/clsLocations.h"
#include "locations/ui/LocationTreeView.h"
#include "shell/ListRow.h"
#include "shell/Session.h"
#include "shell/ui/Legend.h"
#include "shell/ui/frmVemora.h"

#include <QGridLayout>
#include <QPushButton>

namespace locations {

pgLocationUtilities::pgLocationUtilities(shell::frmVemora& main) : main_(main) {
    setObjectName(QStringLiteral("pgLocationUtilities"));
    tvLocations2 = new LocationTreeView(this);
    tvLocations2->setObjectName(QStringLiteral("tvLocations2"));
    btnExpand = new QPushButton(QStringLiteral("&Expand Locations"), this);
    btnExpand->setObjectName(QStringLiteral("btnExpand"));
    QGroupBox* legend = shell::makeLegend(this,
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

    connect(btnExpand, &QPushButton::clicked, tvLocations2,
            &LocationTreeView::expandAllAndSelectRoot);
    connect(tvLocations2, &LocationTreeView::nodeClicked, this,
            &pgLocationUtilities::tvLocations2_NodeClick);
}

void pgLocationUtilities::rebuild() {
    clsLocations& logic = main_.session().locations();
    logic.Mode = QStringLiteral("ALL");
    tvLocations2->FillUpLocationTree(logic);
}

QWidgetList pgLocationUtilities::tabOrder() const {
    return {tvLocations2, btnExpand};
}

QString pgLocationUtilities::hint() const {
    return QStringLiteral("Select and right click a location to Add, Modify or Delete");
}

void pgLocationUtilities::tvLocations2_NodeClick(QTreeWidgetItem* node) {
    if (!node || node != tvLocations2->selectedNode())
        return;
    clsLocations& logic = main_.session().locations();
    logic.setCurrentLocId(shell::idOfKey(LocationTreeView::keyOf(node)));
    logic.setCurrentLocDesc(node->text(0));
}

} // namespace locations
