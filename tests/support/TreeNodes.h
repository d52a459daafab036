#pragma once

// The nodes of any page's location tree by key, for tests that treat the
// trees of several pages alike: most are item trees (LocationTreeView, which
// reads the branches above a node asked for by key), the allocation page's
// is a view over a model of its own (AllocationTreeView, which reads a
// location's items when one of them is asked for).

#include "allocation/ui/AllocationTreeView.h"
#include "locations/ui/LocationTreeView.h"

#include <QAbstractItemModel>
#include <QItemSelectionModel>

namespace testing_support {

class TreeNodes {
public:
    explicit TreeNodes(QTreeView* tree)
        : tree_(tree), items_(qobject_cast<locations::LocationTreeView*>(tree)),
          model_(qobject_cast<allocation::AllocationTreeView*>(tree)) {}

    QModelIndex index(const QString& key) const {
        if (model_)
            return model_->node(key);
        // A location tree reads the branches above the node first.
        if (items_)
            items_->node(key);
        const QModelIndexList found =
            tree_->model()->match(tree_->model()->index(0, 0), Qt::UserRole + 1, key, 1,
                                  Qt::MatchExactly | Qt::MatchRecursive | Qt::MatchWrap);
        return found.isEmpty() ? QModelIndex() : found.first();
    }
    bool has(const QString& key) const { return index(key).isValid(); }
    QString text(const QString& key) const { return index(key).data().toString(); }
    QString parentKey(const QString& key) const {
        return index(key).parent().data(Qt::UserRole + 1).toString();
    }
    bool isOpen(const QString& key) const { return tree_->isExpanded(index(key)); }
    void setOpen(const QString& key, bool open) { tree_->setExpanded(index(key), open); }
    // Whether every branch above the node is open (and the node there).
    bool shown(const QString& key) const {
        const QModelIndex node = index(key);
        for (QModelIndex above = node.parent(); above.isValid(); above = above.parent())
            if (!tree_->isExpanded(above))
                return false;
        return node.isValid();
    }
    void select(const QString& key) {
        tree_->selectionModel()->setCurrentIndex(index(key), QItemSelectionModel::ClearAndSelect);
    }
    QString selected() const {
        const QModelIndexList rows = tree_->selectionModel()->selectedRows();
        return rows.isEmpty() ? QString() : rows.first().data(Qt::UserRole + 1).toString();
    }
    locations::LocationTreeView::Place place() const {
        return model_ ? model_->place() : items_->place();
    }

private:
    QTreeView* tree_;
    locations::LocationTreeView* items_;
    allocation::AllocationTreeView* model_;
};

} // namespace testing_support
