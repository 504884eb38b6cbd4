// The desktop program's application object. The main window comes next.
#pragma once

#include <QApplication>

namespace gui {

// Title, organisation and settings names shared by every window.
void ConfigureApplication(QApplication& app);

} // namespace gui
