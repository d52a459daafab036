#pragma once

#include <QIcon>
#include <QPixmap>

namespace common {

// The image list imlLocation: nine tree icons by 1-based index (see
// locations::image).
QIcon imlLocation(int index);

// A picture drawn from one of the program's own vector resources.
QPixmap resourcePicture(const QString& path, const QSize& size);

} // namespace common
