#include "gui/app/application.h"

namespace gui {

void ConfigureApplication(QApplication& app) {
    app.setApplicationName("VISTREL");
    app.setOrganizationName("Corvane");
    // No application display name: Qt would append it to every window title.
}

} // namespace gui
