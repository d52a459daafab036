#include "common/ui/RowMenu.h"

#include "common/ui/MainWindow.h"

#include <QAbstractItemView>
#include <QAction>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>

namespace common {

RowMenu::RowMenu(QAbstractItemView* view, Enter enter) : QObject(view), view_(view), enter_(enter) {
    view_->installEventFilter(this);
    view_->viewport()->installEventFilter(this);
}

void RowMenu::addKey(int key, Qt::KeyboardModifiers modifiers, std::function<void()> action) {
    bindings_.push_back({key, modifiers, std::move(action)});
}

QPoint RowMenu::keyboardMenuPos() const {
    QModelIndex row = view_->currentIndex();
    QItemSelectionModel* selection = view_->selectionModel();
    if (!row.isValid() || !selection || !selection->isSelected(row)) {
        const QModelIndexList selected =
            selection ? selection->selectedIndexes() : QModelIndexList();
        row = selected.isEmpty() ? QModelIndex() : selected.first();
    }
    if (!row.isValid())
        return view_->viewport()->mapToGlobal(QPoint(0, 0));
    const QRect rect = view_->visualRect(row);
    return view_->viewport()->mapToGlobal(QPoint(rect.left() + rect.height(), rect.bottom()));
}

void RowMenu::rightPress(const QPoint& viewportPos) {
    QItemSelectionModel* selection = view_->selectionModel();
    const QModelIndex row = view_->indexAt(viewportPos);
    if (selection) {
        if (!row.isValid()) {
            view_->clearSelection();
            selection->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        } else if (selection->isSelected(row)) {
            // Several selected rows stay selected: the menu is for all of them.
            selection->setCurrentIndex(row, QItemSelectionModel::NoUpdate);
        } else {
            selection->setCurrentIndex(row, QItemSelectionModel::ClearAndSelect |
                                                QItemSelectionModel::Rows);
        }
    }
    emit menuRequested(view_->viewport()->mapToGlobal(viewportPos));
}

bool RowMenu::eventFilter(QObject* watched, QEvent* event) {
    if (watched == view_->viewport()) {
        if (event->type() == QEvent::MouseButtonPress ||
            event->type() == QEvent::MouseButtonDblClick) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::RightButton)
                return false;
            if (event->type() == QEvent::MouseButtonPress)
                rightPress(mouse->position().toPoint());
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease)
            return static_cast<QMouseEvent*>(event)->button() == Qt::RightButton;
        return false;
    }
    if (watched != view_ || event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    // The keypad's flag says where a key came from, not what it means.
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    for (const Binding& b : bindings_)
        if (key->key() == b.key && modifiers == b.modifiers) {
            b.action();
            return true;
        }
    if (key->key() == Qt::Key_Menu ||
        (key->key() == Qt::Key_F10 && modifiers == Qt::ShiftModifier)) {
        emit menuRequested(keyboardMenuPos());
        return true;
    }
    if (modifiers != Qt::NoModifier)
        return false;
    switch (key->key()) {
    case Qt::Key_Insert:
        emit keyPressed(RowKey::Add);
        return true;
    case Qt::Key_F2:
        emit keyPressed(RowKey::Modify);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (enter_ != Enter::Modifies)
            return false;
        emit keyPressed(RowKey::Modify);
        return true;
    case Qt::Key_Delete:
        emit keyPressed(RowKey::Remove);
        return true;
    default:
        return false;
    }
}

bool chooseEnabled(const QAction* item, MenuClient& client) {
    if (!item || !item->isEnabled())
        return false;
    client.menuChosen(item->objectName(), item->property("index").toInt());
    return true;
}

} // namespace common
