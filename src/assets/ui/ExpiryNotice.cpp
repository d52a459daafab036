#include "assets/ui/ExpiryNotice.h"

#include "assets/clsLicenceExpiry.h"
#include "assets/ui/AssetDialogs.h"
#include "common/DialogMode.h"
#include "common/NodeKey.h"
#include "common/Session.h"
#include "common/ui/DialogKit.h"
#include "common/ui/Guard.h"
#include "common/ui/ReportList.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QTreeWidgetItem>

namespace assets {

frmExpiringLicences::frmExpiringLicences(common::Session& session, int periodDays, QWidget* parent)
    : QDialog(parent), session_(session) {
    setObjectName(QStringLiteral("frmExpiringLicences"));
    setWindowTitle(QStringLiteral("Licences expiring soon"));
    setModal(true);
    lvExpiring = new common::ReportList({QStringLiteral("Product"), QStringLiteral("Licence Key"),
                                         QStringLiteral("Location"), QStringLiteral("Expires"),
                                         QStringLiteral("Days left")},
                                        this);
    lvExpiring->setObjectName(QStringLiteral("lvExpiring"));
    lvExpiring->setColumnKind(3, common::ReportList::ColumnKind::Date);
    lvExpiring->setColumnKind(4, common::ReportList::ColumnKind::Number);
    btnView = common::button(this, QStringLiteral("&View"), "btnView");
    btnClose = common::button(this, QStringLiteral("&Close"), "btnClose");
    common::layOutList(this, lvExpiring, {btnView, btnClose});
    resize(820, 420);

    common::guarded(session_.messages(), [&] {
        reader_ = session_.logic<clsLicenceExpiry>().ReadExpiringLicences(periodDays);
        common::ListRows first;
        readSlice(first);
        lvExpiring->setRows(
            first, [this](common::ListRows& rows, bool rest) { return readSlice(rows, rest); });
    });
    if (QTreeWidgetItem* first = lvExpiring->topLevelItem(0))
        lvExpiring->setCurrentItem(first);
    lvExpiring->setFocus();

    connect(lvExpiring, &QTreeWidget::itemDoubleClicked, this, &frmExpiringLicences::viewSelected);
    common::onEnter(lvExpiring, [this] { viewSelected(); });
    connect(btnView, &QPushButton::clicked, this, &frmExpiringLicences::viewSelected);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
}

frmExpiringLicences::~frmExpiringLicences() = default;

bool frmExpiringLicences::readSlice(common::ListRows& rows, bool rest) {
    if (!reader_)
        return false;
    // A failed read shows its message once and ends the list there.
    const bool read = common::guarded(session_.messages(), [&] {
        std::vector<int> productIds;
        rows = reader_->next(rest ? 0 : SliceRows, &productIds);
        for (size_t i = 0; i < rows.size(); ++i)
            productOf_.insert(rows[i].key, productIds[i]);
    });
    if (!read) {
        rows.clear();
        reader_.reset();
        return false;
    }
    return !reader_->atEnd();
}

void frmExpiringLicences::viewSelected() {
    const QString key = lvExpiring->selectedKey();
    if (key.isEmpty())
        return;
    openLicenceDialog(session_, this, common::mode::View, productOf_.value(key),
                      common::idOfKey(key));
}

ExpiryNoticeBar::ExpiryNoticeBar(common::Session& session, QWidget* parent)
    : QFrame(parent), session_(session) {
    setObjectName(QStringLiteral("barExpiry"));
    setFrameShape(QFrame::StyledPanel);
    setStyleSheet(QStringLiteral("#barExpiry { background: #fff4ce; }"));
    lblExpiryNotice = new QLabel(this);
    lblExpiryNotice->setObjectName(QStringLiteral("lblExpiryNotice"));
    btnExpiryShow = common::button(this, QStringLiteral("Show"), "btnExpiryShow");
    btnExpiryClose = new QToolButton(this);
    btnExpiryClose->setObjectName(QStringLiteral("btnExpiryClose"));
    btnExpiryClose->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    btnExpiryClose->setToolTip(QStringLiteral("Close"));
    btnExpiryClose->setAutoRaise(true);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 2, 2, 2);
    layout->addWidget(lblExpiryNotice);
    auto* dash = new QLabel(QStringLiteral("\u2014"), this);
    dash->setObjectName(QStringLiteral("lblExpiryDash"));
    layout->addWidget(dash);
    layout->addWidget(btnExpiryShow);
    layout->addStretch(1);
    layout->addWidget(btnExpiryClose);
    // Outside the pages' keyboard order, which the main window keeps.
    btnExpiryShow->setFocusPolicy(Qt::ClickFocus);
    btnExpiryClose->setFocusPolicy(Qt::ClickFocus);
    connect(btnExpiryShow, &QPushButton::clicked, this, &ExpiryNoticeBar::btnExpiryShow_Click);
    connect(btnExpiryClose, &QToolButton::clicked, this, &ExpiryNoticeBar::btnExpiryClose_Click);
    setVisible(false);
}

void ExpiryNoticeBar::check(int periodDays) {
    periodDays_ = periodDays;
    ExpiryCounts counts;
    common::guarded(session_.messages(),
                    [&] { counts = session_.logic<clsLicenceExpiry>().StartUpCounts(periodDays); });
    lblExpiryNotice->setText(clsLicenceExpiry::NoticeText(counts, periodDays));
    setVisible(counts.any());
}

QString ExpiryNoticeBar::noticeText() const {
    return lblExpiryNotice->text();
}

void ExpiryNoticeBar::btnExpiryShow_Click() {
    frmExpiringLicences list(session_, periodDays_, window());
    list.exec();
}

void ExpiryNoticeBar::btnExpiryClose_Click() {
    setVisible(false);
}

} // namespace assets
