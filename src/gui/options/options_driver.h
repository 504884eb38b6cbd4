// The options dialog run from outside: the stored settings printed, the
// real dialog worked by named controls, and pictures of its pages.
#pragma once

#include <QStringList>

namespace gui {

// `vistrel --settings`: the stored settings record field by field and the
// two folders, as the program reads them; writes nothing, needs no display.
int PrintStoredSettings();

// `vistrel --options ...` and `vistrel --screenshot-dialog options:PAGE OUT.png`.
// Returns the exit status, or -1 when the arguments ask for neither.
int RunOptionsSurfaces(const QStringList& arguments);

} // namespace gui
