#pragma once

#include <QString>
#include <QWidget>
#include <QWidgetList>

namespace common {

// One page of the main window. The window fills a page from the database
// the first time it is selected, and again on a later selection only when
// something was written to the database since the page was last filled
// (then with refill, which keeps the user's place); it puts the page's
// controls into the keyboard order and shows its hint in the status bar.
class Page : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    // Fills the page afresh, as when it is first shown.
    virtual void rebuild() = 0;
    // Fills the page afresh from the database, keeping the user's place
    // where it still exists: the chosen category, product or report, the
    // selected rows or nodes and the open branches.
    virtual void refill() { rebuild(); }
    // The page's controls in keyboard order.
    virtual QWidgetList tabOrder() const = 0;
    // The one-line hint for the status bar.
    virtual QString hint() const = 0;
    // The page of the help that tells of this page, by its file name
    // ("allocation.html"); F1 opens the help there.
    virtual QString helpTopic() const = 0;
    // Ends at once any reading the page does between events (a long
    // report), before the register is written or closed by other work.
    virtual void settle() {}
};

} // namespace common
