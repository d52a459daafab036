#include "assets/ui/pgEnquireByLocation.h"

#include "assets/clsStock.h"
#include "catalogue/clsCategories.h"
#include "catalogue/ui/ProductMenu.h"
#include "common/ListRow.h"
#include "common/Session.h"
#include "common/ui/Guard.h"
#include "common/ui/MainWindow.h"
#include "common/ui/ReportList.h"
#include "common/ui/RowMenu.h"
#include "locations/ui/LocationTreeView.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>
#include <memory>
#include <optional>
#include <utility>

namespace assets {

pgEnquireByLocation::pgEnquireByLocation(common::MainWindow& main) : main_(main) {
    setObjectName(QStringLiteral("pgEnquireByLocation"));
    tvLocations = new locations::LocationTreeView(this);
    tvLocations->setObjectName(QStringLiteral("tvLocations"));
    btnExpandEBL = new QPushButton(QStringLiteral("&Expand Locations"), this);
    btnExpandEBL->setObjectName(QStringLiteral("btnExpandEBL"));

    auto* frame = new QGroupBox(this);
    lblViewingLoc = new QLabel(QStringLiteral("Location:"), frame);
    lblViewingLoc->setObjectName(QStringLiteral("lblViewingLoc"));
    lblViewingLoc->setTextFormat(Qt::PlainText);
    QFont bold = lblViewingLoc->font();
    bold.setBold(true);
    lblViewingLoc->setFont(bold);
    lvStockTable = new common::ReportList({QStringLiteral("Product Code"),
                                           QStringLiteral("Product Description"),
                                           QStringLiteral("Category"), QStringLiteral("Stock")},
                                          frame);
    lvStockTable->setObjectName(QStringLiteral("lvStockTable"));
    lvStockTable->setColumnKind(3, common::ReportList::ColumnKind::Number);
    lvLicenceTable = new common::ReportList(
        {QStringLiteral("Product Code"), QStringLiteral("Product Description"),
         QStringLiteral("Category"), QStringLiteral("Norm"), QStringLiteral("Temp")},
        frame);
    lvLicenceTable->setObjectName(QStringLiteral("lvLicenceTable"));
    lvLicenceTable->setColumnKind(3, common::ReportList::ColumnKind::Number);
    lvLicenceTable->setColumnKind(4, common::ReportList::ColumnKind::Number);
    // The tree beside the lists, and the two lists one above the other,
    // each share set by a splitter the window remembers.
    auto* listSplitter = new QSplitter(Qt::Vertical, frame);
    listSplitter->setObjectName(QStringLiteral("splLocationLists"));
    listSplitter->setChildrenCollapsible(false);
    for (const auto& [caption, list] :
         {std::pair{QStringLiteral("Stock Items"), lvStockTable},
          std::pair{QStringLiteral("Licence Items"), lvLicenceTable}}) {
        auto* part = new QWidget;
        listSplitter->addWidget(part);
        auto* partLayout = new QVBoxLayout(part);
        partLayout->setContentsMargins(0, 0, 0, 0);
        partLayout->addWidget(new QLabel(caption, part));
        partLayout->addWidget(list);
    }
    auto* lists = new QVBoxLayout(frame);
    lists->addWidget(lblViewingLoc);
    lists->addWidget(listSplitter, 1);

    auto* treeSide = new QWidget(this);
    auto* treeLayout = new QVBoxLayout(treeSide);
    treeLayout->setContentsMargins(0, 0, 0, 0);
    treeLayout->addWidget(tvLocations);
    treeLayout->addWidget(btnExpandEBL);
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("splEnquireByLocation"));
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(treeSide);
    splitter->addWidget(frame);
    splitter->setStretchFactor(0, 2);
    splitter->setStretchFactor(1, 3);
    auto* page = new QVBoxLayout(this);
    page->addWidget(splitter);

    connect(btnExpandEBL, &QPushButton::clicked, tvLocations,
            &locations::LocationTreeView::expandAllAndSelectRoot);
    connect(tvLocations, &locations::LocationTreeView::nodeClicked, this,
            &pgEnquireByLocation::tvLocations_NodeClick);
    for (common::ReportList* list : {lvStockTable, lvLicenceTable}) {
        connect(list, &common::ReportList::mousePressed, this,
                [this, list](Qt::MouseButton button, const QPoint& pos) {
                    listMouseDown(list, button, pos);
                });
        // Enter means nothing else on these lists: it modifies the product.
        auto* keys = new common::RowMenu(list, common::RowMenu::Enter::Modifies);
        connect(keys, &common::RowMenu::menuRequested, this,
                [this, list](const QPoint& pos) { listMouseDown(list, Qt::RightButton, pos); });
        connect(keys, &common::RowMenu::keyPressed, this, [this, list](common::RowKey key) {
            listMouseDown(list, Qt::NoButton, QPoint());
            common::chooseEnabled(
                main_.menuItem(catalogue::ProductMenuArray, catalogue::productMenuItemFor(key)),
                *this);
        });
    }
}

void pgEnquireByLocation::rebuild() {
    lvStockTable->clearRows();
    lvLicenceTable->clearRows();
    tvLocations->FillUpLocationTree(main_.session().logic<locations::clsLocations>());
}

void pgEnquireByLocation::refill() {
    const locations::LocationTreeView::Place place = tvLocations->place();
    const QStringList stock = lvStockTable->selectedKeys();
    const QStringList licences = lvLicenceTable->selectedKeys();
    const QString stockCurrent = lvStockTable->currentKey();
    const QString licenceCurrent = lvLicenceTable->currentKey();
    // As many rows as were read before, so that the place in each list stays.
    const int stockRead = lvStockTable->topLevelItemCount();
    const int licencesRead = lvLicenceTable->topLevelItemCount();
    lvStockTable->clearRows();
    lvLicenceTable->clearRows();
    if (!tvLocations->FillUpLocationTree(main_.session().logic<locations::clsLocations>()))
        return;
    tvLocations->restorePlace(place);
    QTreeWidgetItem* node = tvLocations->selectedNode();
    if (!node)
        return; // the location has gone: its lists stay empty
    FillStockListUsingLocation(common::idOfKey(locations::LocationTreeView::keyOf(node)),
                               std::max(stockRead, SliceRows), std::max(licencesRead, SliceRows));
    lblViewingLoc->setText(QStringLiteral("Location: ") + node->text(0).trimmed());
    lvStockTable->selectKeys(stock, stockCurrent);
    lvLicenceTable->selectKeys(licences, licenceCurrent);
}

QWidgetList pgEnquireByLocation::tabOrder() const {
    return {tvLocations, btnExpandEBL, lvStockTable, lvLicenceTable};
}

QString pgEnquireByLocation::helpTopic() const {
    return QStringLiteral("enquire-location.html");
}

QString pgEnquireByLocation::hint() const {
    return QStringLiteral("Select a location from the tree to show stock and/or licences.");
}

void pgEnquireByLocation::tvLocations_NodeClick(QTreeWidgetItem* node) {
    if (!node || node != tvLocations->selectedNode())
        return;
    common::guarded(main_.session().messages(), [&] {
        FillStockListUsingLocation(common::idOfKey(locations::LocationTreeView::keyOf(node)));
        lblViewingLoc->setText(QStringLiteral("Location: ") + node->text(0).trimmed());
        lblViewingLoc->setToolTip(main_.session().logic<assets::clsStock>().locationPath(
            common::idOfKey(locations::LocationTreeView::keyOf(node))));
    });
}

void pgEnquireByLocation::FillStockListUsingLocation(int locId, int stockRows, int licenceRows) {
    fillList(lvStockTable, locId, ContentsList::Stock, stockRows);
    fillList(lvLicenceTable, locId, ContentsList::Licences, licenceRows);
}

void pgEnquireByLocation::fillList(common::ReportList* list, int locId, ContentsList which,
                                   int atLeast) {
    auto place = std::make_shared<std::optional<ContentsPlace>>(ContentsPlace{});
    const auto read = [this, locId, which, place](common::ListRows& rows, int count) {
        ContentsSlice slice = main_.session().logic<assets::clsStock>().LocationContentsFrom(
            locId, which, **place, count);
        rows = std::move(slice.rows);
        *place = slice.next;
        return place->has_value();
    };
    common::ListRows first;
    if (!read(first, atLeast)) {
        list->setRows(first);
        return;
    }
    list->setRows(first, [this, read](common::ListRows& rows, bool rest) {
        // A failed read shows its message once and ends the list there.
        bool more = false;
        if (!common::guarded(main_.session().messages(), [&] {
                more = read(rows, rest ? std::numeric_limits<int>::max() : SliceRows);
            }))
            rows.clear();
        return more;
    });
}

void pgEnquireByLocation::refillForSelectedNode() {
    if (QTreeWidgetItem* node = tvLocations->selectedNode())
        FillStockListUsingLocation(common::idOfKey(locations::LocationTreeView::keyOf(node)));
}

void pgEnquireByLocation::listMouseDown(common::ReportList* list, Qt::MouseButton button,
                                        const QPoint& globalPos) {
    common::guarded(main_.session().messages(), [&] {
        const bool anyCategory = main_.session().logic<catalogue::clsCategories>().AnyCategory();
        const QString key = list->selectedKey();
        const bool rowSelected = !key.isEmpty();
        if (anyCategory && rowSelected)
            main_.setSelectedProdId(common::idOfKey(key));
        main_.menuItem(QStringLiteral("mnuProd"), 0)->setEnabled(anyCategory);
        for (int i = 1; i < 4; ++i)
            main_.menuItem(QStringLiteral("mnuProd"), i)->setEnabled(anyCategory && rowSelected);
    });
    if (button == Qt::RightButton)
        main_.popUpMenu(common::SharedMenu::Products, globalPos, this);
}

void pgEnquireByLocation::menuChosen(const QString& array, int index) {
    if (array != catalogue::ProductMenuArray)
        return;
    catalogue::mnuProd_Click(main_, index, window());
    common::guarded(main_.session().messages(), [this] { refillForSelectedNode(); });
}

} // namespace assets
