#pragma once

// The start-up notice of licences whose expiry is near or past: a bar
// above the main window's pages (not a message box: nothing waits for it),
// whose "Show" opens the list of those licences, frmExpiringLicences.

#include "common/ListRow.h"

#include <QDialog>
#include <QFrame>
#include <QHash>

#include <memory>
#include <vector>

class QLabel;
class QPushButton;
class QToolButton;

namespace common {
class ReportList;
class Session;
} // namespace common

namespace assets {

class ExpiringLicencesReader;

// The list of the licences the notice counts, by expiry date: product,
// key, location path, expiry date and days left. Enter or a double-click
// on a row opens that licence's dialog in mode "VIEW". The first rows are
// read when it opens and the rest a slice at a time as the user scrolls
// to them (all at once for a heading click).
class frmExpiringLicences : public QDialog {
    Q_OBJECT
public:
    // Rows read at least, whole expiry dates, when the list opens and at
    // each scroll to its end.
    static constexpr int SliceRows = 100;

    frmExpiringLicences(common::Session& session, int periodDays, QWidget* parent = nullptr);
    ~frmExpiringLicences() override;

    // Opens the selected licence's dialog (VIEW); nothing without one.
    void viewSelected();

private:
    common::Session& session_;
    common::ReportList* lvExpiring = nullptr;
    QPushButton* btnView = nullptr;
    QPushButton* btnClose = nullptr;
    std::unique_ptr<ExpiringLicencesReader> reader_;
    // The product of each row read, by row key.
    QHash<QString, int> productOf_;

    // The next slice, or with rest every row left, its products noted;
    // false once the list has ended.
    bool readSlice(common::ListRows& rows, bool rest = false);
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
