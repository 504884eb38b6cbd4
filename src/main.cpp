#include "gui/app/application.h"

#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    gui::ConfigureApplication(app);
    QLabel label("VISTREL 3.6.23");
    label.setWindowTitle("VISTREL 3.6.23");
    label.show();
    return app.exec();
}
