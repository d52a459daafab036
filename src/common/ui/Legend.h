#pragma once

#include <QGroupBox>

#include <utility>
#include <vector>

namespace common {

// A frame that explains tree icons: one row per image index and caption,
// laid out in the given number of columns.
QGroupBox* makeLegend(QWidget* parent, const std::vector<std::pair<int, QString>>& entries,
                      int columns);

} // namespace common
