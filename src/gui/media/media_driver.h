// `vistrel --media-info CLIP` and `vistrel --play CLIP [--fullscreen-at S]`:
// a clip opened by the real back end, its facts printed, or played in the
// window with one line per event.
#pragma once

#include <QStringList>

namespace gui {

// The exit status, or -1 when the arguments ask for neither.
int RunMediaSurfaces(const QStringList& arguments);

} // namespace gui
