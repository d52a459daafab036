#include "assets/ui/pgEnquireByProducts.h"

#include "assets/clsStock.h"
#include "assets/ui/AssetDialogs.h"
#include "assets/ui/frmStockLicHist.h"
#include "catalogue/clsCategories.h"
#include "catalogue/clsProducts.h"
#include "common/DialogMode.h"
#include "common/NodeKey.h"
#include "common/Session.h"
#include "common/ui/Guard.h"
#include "common/ui/ReportList.h"
#include "common/ui/RowMenu.h"

#include <QAction>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>

#include <algorithm>

namespace assets {

namespace {

const QString StockL = QStringLiteral("mnuStockL");
const QString SMaint = QStringLiteral("mnuSMaint");
const QString LMaint = QStringLiteral("mnuLMaint");
constexpr int History = 2;
enum MaintItem { MaintAdd = 0, MaintModify = 1, MaintView = 2, MaintDelete = 3 };

void fillChoices(QComboBox* combo, const catalogue::Choices& choices) {
    const QSignalBlocker blocker(combo);
    combo->clear();
    for (const catalogue::Choice& c : choices)
        combo->addItem(c.text, c.id);
    combo->setCurrentIndex(-1);
}

} // namespace

pgEnquireByProducts::pgEnquireByProducts(common::MainWindow& main) : main_(main) {
    setObjectName(QStringLiteral("pgEnquireByProducts"));
    auto* grid = new QGridLayout(this);
    cboEnqCats = new QComboBox(this);
    cboEnqCats->setObjectName(QStringLiteral("cboEnqCats"));
    cboEnqProds = new QComboBox(this);
    cboEnqProds->setObjectName(QStringLiteral("cboEnqProds"));
    // Each chooser as wide as its longest entry, whatever was chosen.
    cboEnqCats->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    cboEnqProds->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    lvEnqProd =
        new common::ReportList({QStringLiteral("Location"), QStringLiteral("Supplier"),
                                QStringLiteral("Stock / Licence "), QStringLiteral("Expires")},
                               this);
    lvEnqProd->setObjectName(QStringLiteral("lvEnqProd"));
    lvEnqProd->setColumnKind(3, common::ReportList::ColumnKind::Date);
    // Shown exactly when the chosen product records the licences owned and
    // more than that are in use.
    lblLicExceed = new QLabel(QStringLiteral("LICENCES EXCEEDED !!"), this);
    lblLicExceed->setObjectName(QStringLiteral("lblLicExceed"));
    lblLicExceed->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
    lblLicExceed->setVisible(false);
    // "In use 12 of 10 owned (2 temporary)" for a product that records them.
    lblLicInUse = new QLabel(this);
    lblLicInUse->setObjectName(QStringLiteral("lblLicInUse"));
    lblLicInUse->setVisible(false);
    auto* licenceLine = new QHBoxLayout;
    licenceLine->addWidget(lblLicInUse);
    licenceLine->addWidget(lblLicExceed);
    licenceLine->addStretch(1);

    grid->addWidget(new QLabel(QStringLiteral("Category"), this), 0, 0);
    grid->addWidget(cboEnqCats, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Product"), this), 1, 0);
    grid->addWidget(cboEnqProds, 1, 1);
    grid->addLayout(licenceLine, 1, 2);
    grid->addWidget(lvEnqProd, 2, 0, 1, 3);
    grid->setColumnStretch(2, 1);

    connect(cboEnqCats, qOverload<int>(&QComboBox::activated), this,
            [this](int) { cboEnqCats_Click(); });
    connect(cboEnqProds, qOverload<int>(&QComboBox::activated), this,
            [this](int) { cboEnqProds_Click(); });
    connect(lvEnqProd, &common::ReportList::mousePressed, this,
            &pgEnquireByProducts::lvEnqProd_MouseDown);
    // Enter means nothing else on this list: it modifies the item.
    auto* keys = new common::RowMenu(lvEnqProd, common::RowMenu::Enter::Modifies);
    connect(keys, &common::RowMenu::menuRequested, this,
            [this](const QPoint& pos) { lvEnqProd_MouseDown(Qt::RightButton, pos); });
    connect(keys, &common::RowMenu::keyPressed, this, &pgEnquireByProducts::lvEnqProd_Key);
}

void pgEnquireByProducts::rebuild() {
    lvEnqProd->clearRows();
    showLicenceUse(std::nullopt);
    fillChoices(cboEnqCats, main_.session().logic<catalogue::clsCategories>().FillComboWithCats());
    fillChoices(cboEnqProds, {});
    if (cboEnqCats->count() == 0)
        return;
    cboEnqCats->setCurrentIndex(0);
    cboEnqCats_Click();
}

void pgEnquireByProducts::refill() {
    const int catId = cboEnqCats->currentIndex() < 0 ? 0 : cboEnqCats->currentData().toInt();
    const int prodId = chosenProdId();
    const QStringList selected = lvEnqProd->selectedKeys();
    const QString current = lvEnqProd->currentKey();
    lvEnqProd->clearRows();
    common::Session& session = main_.session();
    fillChoices(cboEnqCats, session.logic<catalogue::clsCategories>().FillComboWithCats());
    fillChoices(cboEnqProds, {});
    if (cboEnqCats->count() == 0)
        return;
    cboEnqCats->setCurrentIndex(std::max(cboEnqCats->findData(catId), 0));
    fillChoices(cboEnqProds, session.logic<catalogue::clsProducts>().FillUpCombo(
                                 cboEnqCats->currentData().toInt()));
    if (cboEnqProds->count() == 0)
        return;
    cboEnqProds->setCurrentIndex(std::max(cboEnqProds->findData(prodId), 0));
    FillStockListUsingProduct();
    lvEnqProd->selectKeys(selected, current);
}

QWidgetList pgEnquireByProducts::tabOrder() const {
    return {cboEnqCats, cboEnqProds, lvEnqProd};
}

QString pgEnquireByProducts::helpTopic() const {
    return QStringLiteral("enquire-products.html");
}

QString pgEnquireByProducts::hint() const {
    return QStringLiteral(
        "Select a category and a product to show locations, right click for history");
}

int pgEnquireByProducts::chosenProdId() const {
    return cboEnqProds->currentIndex() < 0 ? 0 : cboEnqProds->currentData().toInt();
}

void pgEnquireByProducts::cboEnqCats_Click() {
    common::guarded(main_.session().messages(), [&] {
        lvEnqProd->clearRows();
        showLicenceUse(std::nullopt);
        const int catId = cboEnqCats->currentIndex() < 0 ? 0 : cboEnqCats->currentData().toInt();
        fillChoices(cboEnqProds,
                    main_.session().logic<catalogue::clsProducts>().FillUpCombo(catId));
        if (cboEnqProds->count() == 0)
            return;
        cboEnqProds->setCurrentIndex(0);
        cboEnqProds_Click();
    });
}

void pgEnquireByProducts::cboEnqProds_Click() {
    common::guarded(main_.session().messages(), [&] { FillStockListUsingProduct(); });
}

void pgEnquireByProducts::FillStockListUsingProduct() {
    const int prodId = chosenProdId();
    if (prodId == 0)
        return; // the list keeps its rows
    lvEnqProd->setRows(main_.session().logic<clsStock>().FillStockListUsingProduct(prodId));
    showLicenceUse(main_.session().logic<catalogue::clsProducts>().LicenceUseOf(prodId));
}

void pgEnquireByProducts::showLicenceUse(const std::optional<catalogue::LicenceUse>& use) {
    const bool tracked = use && use->owned;
    lblLicInUse->setText(tracked ? use->summary() : QString());
    lblLicInUse->setVisible(tracked);
    lblLicExceed->setVisible(use && use->exceeded());
}

void pgEnquireByProducts::setMenuStates() {
    for (int i = 0; i <= History; ++i)
        main_.menuItem(StockL, i)->setEnabled(false);
    for (int i = 0; i < 4; ++i) {
        main_.menuItem(SMaint, i)->setEnabled(false);
        main_.menuItem(LMaint, i)->setEnabled(false);
    }
    if (cboEnqProds->count() == 0)
        return;
    const QString key = lvEnqProd->selectedKey();
    const bool stockRow = key.startsWith(QLatin1Char('S'));
    const bool licenceRow = !key.isEmpty() && !stockRow;
    main_.menuItem(StockL, 0)->setEnabled(true);
    main_.menuItem(StockL, 1)->setEnabled(true);
    main_.menuItem(StockL, History)->setEnabled(!key.isEmpty());
    main_.menuItem(SMaint, 0)->setEnabled(true);
    main_.menuItem(LMaint, 0)->setEnabled(true);
    for (int i = 1; i < 4; ++i) {
        main_.menuItem(SMaint, i)->setEnabled(stockRow);
        main_.menuItem(LMaint, i)->setEnabled(licenceRow);
    }
}

void pgEnquireByProducts::lvEnqProd_MouseDown(Qt::MouseButton button, const QPoint& globalPos) {
    if (button != Qt::RightButton)
        return;
    setMenuStates();
    main_.popUpMenu(common::SharedMenu::StockLicences, globalPos, this);
}

void pgEnquireByProducts::lvEnqProd_Key(common::RowKey key) {
    setMenuStates();
    // The selected row's kind decides; with none, Insert adds stock.
    const bool licence = lvEnqProd->selectedKey().startsWith(QLatin1Char('L'));
    const int item = key == common::RowKey::Add      ? MaintAdd
                     : key == common::RowKey::Modify ? MaintModify
                                                     : MaintDelete;
    common::chooseEnabled(main_.menuItem(licence ? LMaint : SMaint, item), *this);
}

void pgEnquireByProducts::menuChosen(const QString& array, int index) {
    const QString key = lvEnqProd->selectedKey();
    const int itemId = common::idOfKey(key);
    const int prodId = chosenProdId();
    common::Session& session = main_.session();
    if (array == StockL) {
        if (index == History && !key.isEmpty())
            showHistory(session, itemId, key.left(1), window());
        return;
    }
    if (prodId == 0 || (array != SMaint && array != LMaint))
        return;
    const bool stock = array == SMaint;
    const QString modes[] = {common::mode::Add, common::mode::Modify, common::mode::View};
    if (index >= 0 && index < 3) {
        const int id = index == MaintAdd ? 0 : itemId;
        if (stock)
            openStockDialog(session, window(), modes[index], prodId, id);
        else
            openLicenceDialog(session, window(), modes[index], prodId, id);
        // Viewing a licence changes nothing.
        if (!stock && index == MaintView)
            return;
    } else if (index == MaintDelete && itemId != 0) {
        if (stock)
            removeStock(session, itemId);
        else
            removeLicence(session, itemId);
    }
    common::guarded(session.messages(), [&] { FillStockListUsingProduct(); });
}

} // namespace assets
