#pragma once

// The location tree read one level at a time, every node opened, in the
// order a full fill gives its nodes within each parent: for comparing the
// one-level reads with the full fill on the same register.

#include "locations/clsLocations.h"

#include <QHash>
#include <QStringList>

#include <gtest/gtest.h>

#include <vector>

namespace testing_support {

// The tree from TopOfLocationTree, each node's children read with
// ChildLocations until none is left unread; then the check for rows
// without a place, as the window runs it after a fill.
inline std::vector<locations::TreeNode> readEveryLevel(locations::clsLocations& logic) {
    auto top = logic.TopOfLocationTree();
    if (!top)
        return {};
    logic.CheckLocationPlaces();
    std::vector<locations::TreeNode> nodes = *top;
    QHash<QString, bool> read;
    for (const locations::TreeNode& n : nodes)
        if (n.expanded)
            read.insert(n.key, true);
    for (size_t i = 0; i < nodes.size(); ++i) {
        if (!nodes[i].hasChildren || read.contains(nodes[i].key))
            continue;
        read.insert(nodes[i].key, true);
        const std::vector<locations::TreeNode> children = logic.ChildLocations(nodes[i].key);
        nodes.insert(nodes.end(), children.begin(), children.end());
    }
    return nodes;
}

// Both reads hold the same nodes (key, parent, text, image), children in the
// same order, and a node says it has children exactly when it has some.
inline void expectSameTree(const std::vector<locations::TreeNode>& full,
                           const std::vector<locations::TreeNode>& levels) {
    const auto childrenOf = [](const std::vector<locations::TreeNode>& nodes) {
        QHash<QString, QStringList> out;
        for (const locations::TreeNode& n : nodes)
            out[n.parentKey] << n.key + QLatin1Char('|') + n.text + QLatin1Char('|') +
                                    QString::number(n.image);
        return out;
    };
    EXPECT_EQ(levels.size(), full.size());
    const auto expected = childrenOf(full);
    const auto got = childrenOf(levels);
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        EXPECT_EQ(got.value(it.key()), it.value()) << "children of " << it.key().toStdString();
    for (const locations::TreeNode& n : levels)
        EXPECT_EQ(n.hasChildren, expected.contains(n.key)) << n.key.toStdString();
}

} // namespace testing_support
