#include "common/ui/Legend.h"

#include "common/ui/Images.h"

#include <QGridLayout>
#include <QLabel>

namespace common {

QGroupBox* makeLegend(QWidget* parent, const std::vector<std::pair<int, QString>>& entries,
                      int columns) {
    auto* frame = new QGroupBox(parent);
    auto* grid = new QGridLayout(frame);
    int i = 0;
    for (const auto& [image, caption] : entries) {
        if (image == 0) { // an empty cell
            ++i;
            continue;
        }
        const int row = i / columns;
        const int col = (i % columns) * 2;
        auto* icon = new QLabel(frame);
        icon->setPixmap(common::imlLocation(image).pixmap(16, 16));
        grid->addWidget(icon, row, col);
        grid->addWidget(new QLabel(caption, frame), row, col + 1);
        ++i;
    }
    return frame;
}

} // namespace common
