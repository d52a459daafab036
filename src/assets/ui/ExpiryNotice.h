#pragma once

// The start-up notice of licences whose expiry is near or past: a bar
// above the main window's pages (not a message box: nothing waits for it),
// whose "Show" opens the list of those licences, frmExpiringLicences.

#include "common/ListRow.h"

#include <QDialog>
#include <QFrame>

#include <vector>

class QLabel;
class QPushButton;
class QToolButton;

namespace common {
class ReportList;
class Session;
} // namespace common

namespace assets {

// The list of the licences the notice counts, by expiry date: product,
// key, location path, expiry date and days left. Enter or a double-click
// on a row opens that licence's dialog in mode "VIEW".
class frmExpiringLicences : public QDialog {
    Q_OBJECT
public:
    frmExpiringLicences(common::Session& session, int periodDays, QWidget* parent = nullptr);

    // Opens the selected licence's dialog (VIEW); nothing without one.
    void viewSelected();

private:
    common::Session& session_;
    common::ReportList* lvExpiring = nullptr;
    QPushButton* btnView = nullptr;
    QPushButton* btnClose = nullptr;
    std::vector<int> productIds_;
    common::ListRows rows_;
};

// "barExpiry": the notice's text, "Show" and a close button. Hidden until
// check() finds something to say.
class ExpiryNoticeBar : public QFrame {
    Q_OBJECT
public:
    ExpiryNoticeBar(common::Session& session, QWidget* parent = nullptr);

    // Counts the licences for the period (0: the notice is off) and shows
    // the bar when there are any; hides it otherwise.
    void check(int periodDays);
    // Opens the list (modal) for the period last checked.
    void btnExpiryShow_Click();
    void btnExpiryClose_Click();

    QString noticeText() const;

private:
    common::Session& session_;
    int periodDays_ = 0;
    QLabel* lblExpiryNotice = nullptr;
    QPushButton* btnExpiryShow = nullptr;
    QToolButton* btnExpiryClose = nullptr;
};

} // namespace assets
