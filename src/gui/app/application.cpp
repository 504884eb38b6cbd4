#include "gui/app/application.h"

#include "core/common/memory.h"
#include "gui/app/help_window.h"
#include "gui/app/scripted_prompter.h"
#include "gui/app/web_form.h"
#include "gui/input/open_commands.h"
#include "gui/view/view_geometry.h"
#include "gui/view/window_layouts.h"

#include <QElapsedTimer>
#include <QMessageBox>
#include <QPixmap>
#include <QThread>

#include <cstdio>
#include <exception>

static void InitResources() {
    Q_INIT_RESOURCE(vistrel);
}

namespace gui {

namespace {
constexpr std::uint64_t kMinimumFreeMemory = 4200000;
} // namespace

void ConfigureApplication(QApplication& app) {
    app.setApplicationName("VISTREL");
    app.setOrganizationName("Corvane");
    // No application display name: Qt would append it to every window title.
    InitResources();
}

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        for (QWidget* w : topLevelWidgets())
            if (auto* form = qobject_cast<TWebForm*>(w)) form->ReportUnexpected(e.what());
    } catch (...) {
        for (QWidget* w : topLevelWidgets())
            if (auto* form = qobject_cast<TWebForm*>(w)) form->ReportUnexpected("Unknown error.");
    }
    return false;
}

CommandLine ParseCommandLine(const QStringList& arguments) {
    CommandLine c;
    bool options = true;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (options && a == "--") {
            options = false;
        } else if (options && a == "--screenshot") {
            if (i + 1 >= arguments.size()) {
                c.error = "--screenshot needs the name of the PNG file to write";
                return c;
            }
            c.screenshot = arguments[++i];
        } else if (options && a == "--zoom") {
            bool ok = false;
            c.zoom = i + 1 < arguments.size() ? arguments[++i].toInt(&ok) : 0;
            if (!ok || c.zoom <= 0) {
                c.error = "--zoom needs a magnification in per cent";
                return c;
            }
        } else if (options && a == "--fit") {
            c.fit = true;
        } else if (options && a == "--layout") {
            c.layout = i + 1 < arguments.size() ? arguments[++i].toLower() : QString();
            if (c.layout != "standard" && c.layout != "compact" && c.layout != "minimal") {
                c.error = "--layout needs standard, compact or minimal";
                return c;
            }
        } else if (options && a == "--fullscreen") {
            c.fullScreen = true;
        } else if (options && a.startsWith("--")) {
            c.error = "unknown option " + a;
            return c;
        } else {
            options = false;
            c.files.append(a);
        }
    }
    return c;
}

namespace {

int Screenshot(const CommandLine& c) {
    StartOptions start;
    start.files = c.files;
    start.readSettings = false; // default settings; nothing read or written
    auto prompter = std::make_shared<ScriptedPrompter>();
    start.prompter = prompter;
    TWebForm form(start);
    // Fit mode is the window's state when the file opens (as with the setting
    // on), so the picture is decoded for the fitted size.
    if (c.fit) form.view().mnuFitWindowClick();
    form.show();
    // First activation opens the file; then wait for the decode and the paints.
    QElapsedTimer t;
    t.start();
    while (!form.activated() && t.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(1);
    }
    form.WaitIdle(120000);
    // The view states, as a user would set them after the open.
    auto settle = [] {
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            QThread::msleep(5);
        }
    };
    settle();
    if (c.layout == "standard") form.layouts().mnuStandard1Click();
    if (c.layout == "compact") form.layouts().mnuCompact1Click();
    if (c.layout == "minimal") form.layouts().mnuMinimal1Click();
    settle();
    if (c.zoom > 0) {
        form.view().ZoomTo(c.zoom);
        // Zooming keeps the window; the user then adjusts it to show the picture.
        if (!form.settings().FitToWindow) form.view().mnuOptimizeWindowClick();
    }
    if (c.fullScreen) form.layouts().mnuFullScrnClick();
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
    const QPixmap shot = form.grab();
    // Light deflate: still lossless, and a photograph is not waited on for seconds.
    const bool saved = shot.save(c.screenshot, "PNG", 90);
    for (const QString& m : prompter->boxTexts())
        std::fprintf(stderr, "vistrel: %s\n", qPrintable(QString(m).replace('\n', ' ')));
    form.setPictureChanged(false);
    form.close();
    if (!saved) {
        std::fprintf(stderr, "vistrel: cannot write %s\n", qPrintable(c.screenshot));
        return 1;
    }
    if (!c.files.isEmpty() && !form.input().lastOpenSucceeded()) {
        std::fprintf(stderr, "vistrel: cannot open %s\n", qPrintable(c.files.join(' ')));
        return 1;
    }
    return 0;
}

} // namespace

int RunProgram(TApplication& app) {
    const CommandLine c = ParseCommandLine(app.arguments());
    if (!c.error.isEmpty()) {
        std::fprintf(stderr,
                     "vistrel: %s\nusage: vistrel [--screenshot OUT.png [--zoom N] [--fit] "
                     "[--layout standard|compact|minimal] [--fullscreen]] [--] [FILE...]\n",
                     qPrintable(c.error));
        return 2;
    }
    const std::uint64_t free = core::FreePageFile();
    if (free < kMinimumFreeMemory) {
        const QString text = QString("Memory running low.\n%1 bytes free.").arg(free);
        if (c.screenshot.isEmpty())
            QMessageBox::warning(nullptr, "Vistrel", text);
        else
            std::fprintf(stderr, "vistrel: %s\n", qPrintable(QString(text).replace('\n', ' ')));
        return 1;
    }
    if (!c.screenshot.isEmpty()) return Screenshot(c);

    StartOptions start;
    start.files = c.files;
    TWebForm form(start);
    form.show();
    return app.exec();
}

} // namespace gui
