// The desktop program's application object and process entry.
#pragma once

#include <QApplication>
#include <QString>
#include <QStringList>

namespace gui {

// Title, organisation and settings names shared by every window; the bundled
// tool images and help pages.
void ConfigureApplication(QApplication& app);

// The application object: an exception that escapes an event handler gets the
// program's report instead of ending the process.
class TApplication : public QApplication {
  public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// The program's own options and the file named on the command line.
struct CommandLine {
    QString screenshot;  // --screenshot OUT.png
    // The view states a screenshot shows, applied after the open.
    int zoom = 0;        // --zoom N (0: none)
    bool fit = false;    // --fit
    QString layout;      // --layout standard|compact|minimal
    bool fullScreen = false; // --fullscreen
    QStringList files;   // joined with blanks into one name by the window
    QString error;       // a usage error to report
};
CommandLine ParseCommandLine(const QStringList& arguments);

// Runs the program: the main window until it closes, or with --screenshot the
// window with FILE open saved to a PNG. Returns the exit status.
int RunProgram(TApplication& app);

} // namespace gui
