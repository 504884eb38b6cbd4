// `vistrel --slideshow ...`: the real show in the window from the default
// settings, over the files named or a script, with a log of what it drew.
#pragma once

#include <QStringList>

namespace gui {

// The exit status, or -1 when the arguments do not ask for a show.
int RunShowSurface(const QStringList& arguments);

} // namespace gui
