#include "gui/app/application.h"

int main(int argc, char** argv) {
    // Usage and version need no display.
    if (const int status = gui::EarlyOptions(argc, argv); status >= 0) return status;
    gui::TApplication app(argc, argv);
    gui::ConfigureApplication(app);
    return gui::RunProgram(app);
}
