#pragma once

#include "find/clsFind.h"

#include <QWidget>

#include <vector>

class QLineEdit;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

namespace shell {

class frmVemora;

// Find, above the pages: the search box txtFind and its results lstFind
// (kind, code or key, product, location path, "(removed)"). The search
// runs shortly after the user stops typing, so typing never waits on it;
// Enter or a double-click on a result goes to it on its page (a supplier
// opens in the supplier list). Ctrl+F comes here, Escape clears the box.
class FindPanel : public QWidget {
    Q_OBJECT
public:
    explicit FindPanel(frmVemora& main, QWidget* parent = nullptr);

    // The pause after a key before the search runs.
    static constexpr int DelayMs = 120;

    // Puts the focus in the box with its text selected.
    void focusFind();
    // Searches for the box's text now, instead of after the pause.
    void findNow();
    // Goes to the result at a row of the list; false for the "more" line or
    // a result whose node or row is no longer there.
    bool openResult(int row);
    // The results shown, as read.
    const std::vector<find::FoundItem>& results() const { return results_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void textEdited();
    void showResults(const find::FindResult& result);
    bool goTo(const find::FoundItem& item);
    void showPage(int index);

    frmVemora& main_;
    QLineEdit* txtFind = nullptr;
    QTreeWidget* lstFind = nullptr;
    QTimer* delay_ = nullptr;
    std::vector<find::FoundItem> results_;
};

} // namespace shell
