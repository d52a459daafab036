#pragma once

#include <QString>
#include <QWidget>
#include <QWidgetList>

namespace common {

// One page of the main window. The window rebuilds a page from the
// database each time it is selected, puts its controls into the keyboard
// order, and shows its hint in the status bar.
class Page : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    virtual void rebuild() = 0;
    // The page's controls in keyboard order.
    virtual QWidgetList tabOrder() const = 0;
    // The one-line hint for the status bar.
    virtual QString hint() const = 0;
    // The page of the help that tells of this page, by its file name
    // ("allocation.html"); F1 opens the help there.
    virtual QString helpTopic() const = 0;
};

} // namespace common
