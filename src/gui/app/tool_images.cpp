#include "gui/app/tool_images.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace gui {

namespace {

QPixmap Render(const QString& file, int scale) {
    QSvgRenderer renderer(file);
    QPixmap pm(16 * scale, 16 * scale);
    pm.fill(Qt::transparent);
    if (renderer.isValid()) {
        QPainter p(&pm);
        renderer.render(&p);
    }
    pm.setDevicePixelRatio(scale);
    return pm;
}

} // namespace

QIcon ToolIcon(const QString& name) {
    QIcon icon;
    for (int scale : {1, 2}) {
        icon.addPixmap(Render(":/tools/" + name + "_gray.svg", scale), QIcon::Normal);
        icon.addPixmap(Render(":/tools/" + name + "_hot.svg", scale), QIcon::Active);
    }
    return icon;
}

} // namespace gui
