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
    QString screenshot; // --screenshot OUT.png
    // The view states a screenshot shows, applied after the open.
    int zoom = 0;            // --zoom N (0: none)
    bool fit = false;        // --fit
    QString layout;          // --layout standard|compact|minimal
    bool fullScreen = false; // --fullscreen
    // The headless driver: handlers run in order after the open, the answers
    // the questions take in order, and what is printed at the end.
    QStringList commands;       // --command NAME (a handler's name without "Click")
    QStringList answers;        // --answer yes|no|ok|cancel
    bool printStatus = false;   // --print-status
    bool printMessages = false; // --print-messages
    int screenBits = 0;         // --screen-bits N (0: the screen's own depth)
    QString scanDevice;         // --scan-device NAME
    int pcdStep = -1;           // --pcd-step N, the Photo CD resolution 0..6 (-1: as set)
    // Printing headless onto a PDF printer through the layout dialog.
    QString print;       // --print OUT.pdf
    QString pageSize;    // --page-size A4|Letter|WxHmm (default A4)
    bool landscape = false; // --orientation portrait|landscape
    int dpi = 0;         // --dpi N (0: the PDF printer's 300)
    int size = 0;        // --size P: the size bar moved to P (0: left at 100)
    int unit = -1;       // --unit pixels|inches|cm as the unit box's index (-1: as it opens)
    QStringList files;          // joined with blanks into one name by the window
    QString error;              // a usage error to report
};
CommandLine ParseCommandLine(const QStringList& arguments);

// --help / -h and --version, answered before any application object exists
// (no display needed). Returns the exit status, or -1 when neither was asked.
int EarlyOptions(int argc, char** argv);

// Runs the program: the main window until it closes, or with --screenshot the
// window with FILE open saved to a PNG. Returns the exit status.
int RunProgram(TApplication& app);

} // namespace gui
