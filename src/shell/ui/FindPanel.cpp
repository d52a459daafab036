#include "shell/ui/FindPanel.h"

#include "allocation/ui/pgAllocation.h"
#include "catalogue/ui/pgProductUtilities.h"
#include "common/Session.h"
#include "common/TreeImages.h"
#include "common/ui/Guard.h"
#include "common/ui/Images.h"
#include "locations/ui/pgLocationUtilities.h"
#include "shell/ui/frmVemora.h"
#include "suppliers/ui/frmSupplierList.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace shell {

namespace {

using find::FindKind;
using find::FoundItem;

QIcon kindIcon(const FoundItem& item) {
    namespace image = common::image;
    switch (item.kind) {
    case FindKind::Stock:
        return common::imlLocation(item.removed ? image::RemovedStock : image::Stock);
    case FindKind::Licence:
        if (item.temporary)
            return common::imlLocation(item.removed ? image::RemovedTemporaryLicence
                                                    : image::TemporaryLicence);
        return common::imlLocation(item.removed ? image::RemovedLicence : image::Licence);
    case FindKind::Location:
        return common::imlLocation(item.removed ? image::RemovedLocation : image::Location);
    case FindKind::Product:
        return QApplication::style()->standardIcon(QStyle::SP_FileIcon);
    case FindKind::Supplier:
        return QApplication::style()->standardIcon(QStyle::SP_DirHomeIcon);
    }
    return QIcon();
}

bool isEnter(const QKeyEvent* key) {
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

// The line under the results while the search goes on.
const QString SearchingText = QStringLiteral("Searching\u2026");

} // namespace

FindPanel::FindPanel(frmVemora& main, QWidget* parent) : QWidget(parent), main_(main) {
    setObjectName(QStringLiteral("FindPanel"));
    txtFind = new QLineEdit(this);
    txtFind->setObjectName(QStringLiteral("txtFind"));
    txtFind->setPlaceholderText(
        QStringLiteral("Stock code, licence key, product, location or supplier (Ctrl+F)"));
    txtFind->setClearButtonEnabled(true);
    auto* label = new QLabel(QStringLiteral("Find:"), this);
    label->setBuddy(txtFind);

    lstFind = new QTreeWidget(this);
    lstFind->setObjectName(QStringLiteral("lstFind"));
    lstFind->setRootIsDecorated(false);
    lstFind->setUniformRowHeights(true);
    lstFind->setHeaderLabels({QStringLiteral("Kind"), QStringLiteral("Code / Key"),
                              QStringLiteral("Product"), QStringLiteral("Location")});
    lstFind->header()->setStretchLastSection(true);
    lstFind->setColumnWidth(0, 110);
    lstFind->setColumnWidth(1, 180);
    lstFind->setColumnWidth(2, 240);
    lstFind->setMaximumHeight(220);
    lstFind->hide();
    // Out of the pages' keyboard order: Ctrl+F reaches the box, Down the
    // results.
    txtFind->setFocusPolicy(Qt::ClickFocus);
    lstFind->setFocusPolicy(Qt::ClickFocus);

    auto* line = new QHBoxLayout;
    line->setContentsMargins(0, 0, 0, 0);
    line->addWidget(label);
    line->addWidget(txtFind, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(line);
    layout->addWidget(lstFind);

    delay_ = new QTimer(this);
    delay_->setSingleShot(true);
    delay_->setInterval(DelayMs);
    connect(delay_, &QTimer::timeout, this, &FindPanel::findNow);
    // The next slice once the window's events have had their turn.
    slices_ = new QTimer(this);
    slices_->setSingleShot(true);
    slices_->setInterval(0);
    connect(slices_, &QTimer::timeout, this, &FindPanel::nextSlice);
    connect(txtFind, &QLineEdit::textChanged, this, &FindPanel::textEdited);
    connect(lstFind, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { openResult(lstFind->indexOfTopLevelItem(item)); });
    txtFind->installEventFilter(this);
    lstFind->installEventFilter(this);
}

void FindPanel::focusFind() {
    txtFind->setFocus(Qt::ShortcutFocusReason);
    txtFind->selectAll();
}

void FindPanel::textEdited() {
    if (txtFind->text().trimmed().isEmpty()) {
        delay_->stop();
        stopSearch();
        showResults({}, true);
        return;
    }
    delay_->start();
}

void FindPanel::stopSearch() {
    slices_->stop();
    search_.reset();
    openWhenFound_ = false;
}

void FindPanel::findNow() {
    delay_->stop();
    stopSearch();
    search_ = std::make_unique<find::FindSearch>(main_.session().db(), txtFind->text());
    showResults(search_->result(), true);
    nextSlice();
}

void FindPanel::finishSearch() {
    while (search_)
        nextSlice();
}

void FindPanel::nextSlice() {
    slices_->stop();
    if (!search_)
        return;
    // A register closed for a restore has nothing to search.
    if (!main_.session().db().isOpen()) {
        stopSearch();
        return;
    }
    if (!common::guarded(main_.session().messages(), [&] { search_->step(sliceRows_); })) {
        stopSearch();
        return;
    }
    showResults(search_->result(), false);
    if (!search_->done()) {
        slices_->start();
    } else {
        search_.reset();
    }
    if (openWhenFound_ && (!results_.empty() || !search_)) {
        openWhenFound_ = false;
        openResult(lstFind->indexOfTopLevelItem(lstFind->currentItem()));
    }
}

void FindPanel::showResults(const find::FindResult& result, bool fresh) {
    if (fresh) {
        results_.clear();
        lstFind->clear();
    } else if (lstFind->topLevelItemCount() > static_cast<int>(results_.size())) {
        // The line under the results goes; a new one comes below the new rows.
        delete lstFind->takeTopLevelItem(lstFind->topLevelItemCount() - 1);
    }
    const bool hadResults = !results_.empty();
    QList<QTreeWidgetItem*> rows;
    for (std::size_t i = results_.size(); i < result.items.size(); ++i) {
        const FoundItem& item = result.items[i];
        results_.push_back(item);
        QString place = item.path;
        if (item.removed)
            place =
                place.isEmpty() ? find::RemovedMark : place + QLatin1Char(' ') + find::RemovedMark;
        auto* row = new QTreeWidgetItem(
            QStringList{find::kindWord(item.kind), item.code, item.product, place});
        row->setIcon(0, kindIcon(item));
        row->setToolTip(3, place);
        rows << row;
    }
    // A line of its own, not a result: that the search goes on, "n more",
    // or that nothing matched what was typed.
    QString note = result.complete ? find::moreLine(result) : SearchingText;
    if (note.isEmpty() && results_.empty() && !txtFind->text().trimmed().isEmpty())
        note = find::NothingFoundText;
    if (!note.isEmpty()) {
        auto* line = new QTreeWidgetItem(QStringList{note});
        line->setFlags(Qt::ItemIsEnabled);
        rows << line;
    }
    lstFind->addTopLevelItems(rows);
    for (QTreeWidgetItem* row : rows)
        row->setFirstColumnSpanned(row->columnCount() == 1);
    if (!results_.empty() && !hadResults)
        lstFind->setCurrentItem(lstFind->topLevelItem(0));
    lstFind->setVisible(lstFind->topLevelItemCount() > 0);
}

bool FindPanel::openResult(int row) {
    if (row < 0 || row >= static_cast<int>(results_.size()))
        return false;
    const FoundItem item = results_.at(static_cast<size_t>(row));
    bool shown = false;
    common::guarded(main_.session().messages(), [&] { shown = goTo(item); });
    return shown;
}

void FindPanel::showPage(int index) {
    // The page is rebuilt as it is entered; one already showing is rebuilt
    // too, so that it shows what was found.
    if (main_.SSTab1()->currentIndex() == index)
        main_.SSTab1_Click(index);
    else
        main_.showPage(index);
}

bool FindPanel::goTo(const FoundItem& item) {
    switch (item.kind) {
    case FindKind::Stock:
    case FindKind::Licence: {
        showPage(common::Allocation);
        auto* page = static_cast<allocation::pgAllocation*>(main_.page(common::Allocation));
        return item.kind == FindKind::Stock
                   ? page->showStock(item.id)
                   : page->showLicence(item.id, item.temporary, item.prodId, item.locId);
    }
    case FindKind::Location:
        showPage(common::LocationUtilities);
        return static_cast<locations::pgLocationUtilities*>(main_.page(common::LocationUtilities))
            ->showLocation(item.id);
    case FindKind::Product:
        showPage(common::ProductUtilities);
        return static_cast<catalogue::pgProductUtilities*>(main_.page(common::ProductUtilities))
            ->showProduct(item.catId, item.prodId);
    case FindKind::Supplier: {
        suppliers::frmSupplierList dialog(main_.session(), &main_);
        const bool shown = dialog.showSupplier(item.id);
        dialog.exec();
        return shown;
    }
    }
    return false;
}

bool FindPanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (watched == txtFind) {
        if (key->key() == Qt::Key_Escape) {
            txtFind->clear();
            return true;
        }
        if (isEnter(key)) {
            findNow();
            if (search_ && results_.empty())
                openWhenFound_ = true;
            else
                openResult(lstFind->indexOfTopLevelItem(lstFind->currentItem()));
            return true;
        }
        if (key->key() == Qt::Key_Down && lstFind->isVisible()) {
            lstFind->setFocus();
            return true;
        }
    } else if (watched == lstFind) {
        if (isEnter(key)) {
            openResult(lstFind->indexOfTopLevelItem(lstFind->currentItem()));
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            focusFind();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace shell
