#include "allocation/ui/pgAllocation.h"

#include "common/Session.h"
#include "common/ui/Legend.h"
#include "common/ui/MainWindow.h"
#include "locations/ui/LocationTreeView.h"

#include <QGridLayout>
#include <QPushButton>

namespace allocation {

pgAllocation::pgAllocation(common::MainWindow& main) : main_(main) {
    setObjectName(QStringLiteral("pgAllocation"));
    auto* grid = new QGridLayout(this);
    tvSourceLoc = new locations::LocationTreeView(this);
    tvSourceLoc->setObjectName(QStringLiteral("tvSourceLoc"));
    btnExpandAlloc = new QPushButton(QStringLiteral("&Expand Locations"), this);
    btnExpandAlloc->setObjectName(QStringLiteral("btnExpandAlloc"));
    connect(btnExpandAlloc, &QPushButton::clicked, tvSourceLoc,
            &locations::LocationTreeView::expandAllAndSelectRoot);
    using namespace locations::image;
    QGroupBox* legend =
        common::makeLegend(this,
                           {{SystemNode, QStringLiteral("System Node")},
                            {0, QString()},
                            {Location, QStringLiteral("Location")},
                            {RemovedLocation, QStringLiteral("Removed Location")},
                            {Stock, QStringLiteral("Stock")},
                            {RemovedStock, QStringLiteral("Removed Stock")},
                            {Licence, QStringLiteral("Licence")},
                            {RemovedLicence, QStringLiteral("Licence Location")},
                            {TemporaryLicence, QStringLiteral("Temporary Licence")},
                            {RemovedTemporaryLicence, QStringLiteral("Removed Temporary Licence")}},
                           2);
    grid->addWidget(tvSourceLoc, 0, 0, 3, 1);
    grid->addWidget(btnExpandAlloc, 0, 1);
    grid->addWidget(legend, 1, 1);
    grid->setRowStretch(2, 1);
    grid->setColumnStretch(0, 1);
}

void pgAllocation::rebuild() {
    // The locations; the assets held in each are added by the allocation
    // logic.
    tvSourceLoc->FillUpLocationTree(main_.session().logic<locations::clsLocations>());
}

QWidgetList pgAllocation::tabOrder() const {
    return {tvSourceLoc, btnExpandAlloc};
}

QString pgAllocation::hint() const {
    return QStringLiteral(
        "Firstly select the stock or licences to be moved, then Drag to the desired location");
}

} // namespace allocation
