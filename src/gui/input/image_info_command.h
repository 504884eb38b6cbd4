// The Info command: a box that describes the picture shown, its file, the
// memory it takes and the memory left (the text is composed in core).
#pragma once

#include <QString>

namespace gui {

struct WindowContext;

// The box's text as the window shows it now.
QString ImageInfoBoxText(const WindowContext& ctx);
void mnuImageInfoClick(WindowContext& ctx);

} // namespace gui
