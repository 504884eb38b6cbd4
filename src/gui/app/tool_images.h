// The tool bar's images: gray for the normal state, coloured when hot.
#pragma once

#include <QIcon>
#include <QString>

namespace gui {

// The icon of a tool ("open", "fit", ...) drawn at 1× and 2× from the bundled
// drawings; Qt derives the disabled look from the gray image.
QIcon ToolIcon(const QString& name);

} // namespace gui
