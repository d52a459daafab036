#pragma once

// One row of a report-style list as the logic classes hand it to a window:
// the row key ("C12", "P7", ...) and the texts of its columns in order.

#include "common/NodeKey.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace common {

struct ListRow {
    QString key;
    QStringList texts;
    // Drawn in the warning colour (red) in its first column.
    bool flagged = false;

    friend bool operator==(const ListRow& a, const ListRow& b) {
        return a.key == b.key && a.texts == b.texts && a.flagged == b.flagged;
    }
};

using ListRows = std::vector<ListRow>;

} // namespace common
