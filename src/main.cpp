#include "gui/app/application.h"

#include <QtGlobal>

int main(int argc, char** argv) {
    // Usage and version need no display.
    if (const int status = gui::EarlyOptions(argc, argv); status >= 0) return status;
    // Qt Multimedia's GStreamer back end plays every kind of clip without a
    // sound card; its ffmpeg one does not play sound reliably.
    if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND")) qputenv("QT_MEDIA_BACKEND", "gstreamer");
    gui::TApplication app(argc, argv);
    gui::ConfigureApplication(app);
    return gui::RunProgram(app);
}
