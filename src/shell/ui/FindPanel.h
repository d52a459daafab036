#pragma once

#include "find/clsFind.h"

#include <QWidget>

#include <memory>
#include <vector>

class QLineEdit;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

namespace shell {

class frmVemora;

// Find, above the pages: the search box txtFind and its results lstFind
// (kind, code or key, product, location path, "(removed)"). The search
// runs shortly after the user stops typing, so typing never waits on it,
// and a slice at a time between the window's events: the first results
// show as they are found, under a line that says the search goes on, and a
// newer search replaces one still under way. Enter or a double-click on a
// result goes to it on its page (a supplier opens in the supplier list);
// Enter before anything was found goes to the first result once there is
// one. Ctrl+F comes here, Escape clears the box.
class FindPanel : public QWidget {
    Q_OBJECT
public:
    explicit FindPanel(frmVemora& main, QWidget* parent = nullptr);

    // The pause after a key before the search runs.
    static constexpr int DelayMs = 120;

    // Puts the focus in the box with its text selected.
    void focusFind();
    // Searches for the box's text now, instead of after the pause: the
    // first slice of the search at once, the rest between events.
    void findNow();
    // True while a search has slices left to walk.
    bool searching() const { return search_ != nullptr; }
    // Walks what is left of the search at once.
    void finishSearch();
    // The entries of the register's texts one slice walks.
    void setSliceRows(int rows) { sliceRows_ = rows; }
    // Goes to the result at a row of the list; false for the "more" line or
    // a result whose node or row is no longer there.
    bool openResult(int row);
    // The results shown, as read.
    const std::vector<find::FoundItem>& results() const { return results_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void textEdited();
    // Walks the next slice of the search and shows what it found.
    void nextSlice();
    void stopSearch();
    // Shows the results; fresh ones replace the list, others are the same
    // results grown and are added below those shown.
    void showResults(const find::FindResult& result, bool fresh);
    bool goTo(const find::FoundItem& item);
    void showPage(int index);

    frmVemora& main_;
    QLineEdit* txtFind = nullptr;
    QTreeWidget* lstFind = nullptr;
    QTimer* delay_ = nullptr;
    QTimer* slices_ = nullptr;
    std::unique_ptr<find::FindSearch> search_;
    int sliceRows_ = find::SliceRows;
    bool openWhenFound_ = false; // Enter came before the first result
    std::vector<find::FoundItem> results_;
};

} // namespace shell
