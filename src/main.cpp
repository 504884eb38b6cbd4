#include "gui/app/application.h"

int main(int argc, char** argv) {
    gui::TApplication app(argc, argv);
    gui::ConfigureApplication(app);
    return gui::RunProgram(app);
}
