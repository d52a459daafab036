#include "common/ui/Images.h"

#include "common/TreeImages.h"

#include <QPainter>
#include <QSvgRenderer>

static void loadResources() {
    Q_INIT_RESOURCE(resources);
}

namespace common {

namespace {

const char* const IconFiles[image::Count] = {
    ":/icons/loc1_system.svg",
    ":/icons/loc2_location.svg",
    ":/icons/loc3_stock.svg",
    ":/icons/loc4_licence.svg",
    ":/icons/loc5_temporary.svg",
    ":/icons/loc6_removed_location.svg",
    ":/icons/loc7_removed_stock.svg",
    ":/icons/loc8_removed_licence.svg",
    ":/icons/loc9_removed_temporary.svg",
};

} // namespace

QPixmap resourcePicture(const QString& path, const QSize& size) {
    static const bool loaded = (loadResources(), true);
    Q_UNUSED(loaded);
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(path);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    return pixmap;
}

QIcon imlLocation(int index) {
    if (index < 1 || index > image::Count)
        return QIcon();
    static QIcon icons[image::Count];
    QIcon& icon = icons[index - 1];
    if (icon.isNull()) {
        const QString path = QString::fromLatin1(IconFiles[index - 1]);
        icon.addPixmap(resourcePicture(path, QSize(16, 16)));
        icon.addPixmap(resourcePicture(path, QSize(32, 32)));
    }
    return icon;
}

} // namespace common
