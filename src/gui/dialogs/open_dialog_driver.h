// The open dialog run from outside: `vistrel --open-dialog PATH
// [--preview-click] [--print-dialog] [--screenshot OUT.png]` opens the
// window's open dialog in PATH's folder with PATH under the cursor, waits for
// the preview, and saves and prints what the dialog shows and would hand over.
#pragma once

#include <QStringList>

namespace gui {

// Returns the exit status, or -1 when the arguments do not ask for the dialog.
int RunOpenDialogSurface(const QStringList& arguments);

} // namespace gui
