#pragma once

// The keyboard and the right mouse button on a list or tree that has a
// context menu, the same on every page and dialog:
//
// - a right-click first makes the row under the pointer the current and
//   selected row (a row already among several selected keeps the others
//   selected), or empties the selection over empty space, and then asks for
//   the menu at the pointer;
// - the Menu key and Shift+F10 ask for the same menu beside the current row;
// - Insert adds, F2 modifies (and Enter, where the view gives Enter no other
//   meaning), Delete removes.
//
// The view's owner answers menuRequested as it answers a right-click (it
// sets the menu's items for the selected row and pops the menu up), and
// keyPressed with the menu item of that key, when it is enabled
// (chooseEnabled): a key reaches exactly the handler its menu item reaches.

#include <QObject>
#include <QPoint>

#include <functional>
#include <vector>

class QAbstractItemView;
class QAction;

namespace common {

class MenuClient;

enum class RowKey { Add, Modify, Remove };

class RowMenu : public QObject {
    Q_OBJECT
public:
    enum class Enter { Free, Modifies };

    // Watches view and its viewport; the view owns the RowMenu.
    explicit RowMenu(QAbstractItemView* view, Enter enter = Enter::Free);

    // A further key of the view (Ctrl+M on the allocation tree), with or
    // without modifiers as given.
    void addKey(int key, Qt::KeyboardModifiers modifiers, std::function<void()> action);

    // Where a menu asked for from the keyboard appears: at the current row
    // when it is selected, else at the first selected row, else at the
    // view's top left corner.
    QPoint keyboardMenuPos() const;

signals:
    void menuRequested(const QPoint& globalPos);
    void keyPressed(common::RowKey key);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void rightPress(const QPoint& viewportPos);

    struct Binding {
        int key;
        Qt::KeyboardModifiers modifiers;
        std::function<void()> action;
    };
    QAbstractItemView* view_;
    Enter enter_;
    std::vector<Binding> bindings_;
};

// Carries out a menu item as if it had been chosen in its menu, when it is
// there and enabled; true when it was.
bool chooseEnabled(const QAction* item, MenuClient& client);

} // namespace common
