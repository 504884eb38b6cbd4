#include "gui/app/application.h"

#include "core/common/memory.h"
#include "gui/app/help_window.h"
#include "gui/app/scripted_prompter.h"
#include "gui/app/status_panels.h"
#include "gui/app/web_form.h"
#include "gui/app/window_status.h"
#include "gui/dialogs/open_dialog_driver.h"
#include "gui/input/open_commands.h"
#include "gui/media/media_driver.h"
#include "gui/options/options_driver.h"
#include "gui/print/print_commands.h"
#include "gui/print/print_form.h"
#include "gui/slideshow/show_driver.h"
#include "gui/view/view_geometry.h"
#include "gui/view/window_layouts.h"

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QIcon>
#include <QMessageBox>
#include <QPageSize>
#include <QPainter>
#include <QPixmap>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QSvgRenderer>
#include <QThread>

#include <climits>
#include <cstdio>
#include <exception>
#include <optional>
#include <string>

static void InitResources() {
    Q_INIT_RESOURCE(vistrel);
}

namespace gui {

namespace {
constexpr std::uint64_t kMinimumFreeMemory = 4200000;

// The program's icon at the sizes window frames and task bars ask for, drawn
// from the SVG the desktop entry uses (no icon-engine plugin needed).
QIcon ProgramIcon() {
    QIcon icon;
    QSvgRenderer svg(QStringLiteral(":/desktop/vistrel.svg"));
    if (!svg.isValid()) return icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        svg.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
} // namespace

void ConfigureApplication(QApplication& app) {
    app.setApplicationName("VISTREL");
    app.setOrganizationName("Corvane");
    // No application display name: Qt would append it to every window title.
    InitResources();
    // The desktop entry the windows belong to, and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.corvane.Vistrel"));
    app.setWindowIcon(ProgramIcon());
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

// A4, Letter (any case) or WxHmm with W and H in millimetres.
static std::optional<QPageSize> ParsePageSize(const QString& text) {
    if (text.compare("A4", Qt::CaseInsensitive) == 0) return QPageSize(QPageSize::A4);
    if (text.compare("Letter", Qt::CaseInsensitive) == 0) return QPageSize(QPageSize::Letter);
    static const QRegularExpression custom(R"(^(\d+(?:\.\d+)?)[xX](\d+(?:\.\d+)?)mm$)");
    const auto m = custom.match(text);
    if (!m.hasMatch()) return std::nullopt;
    const double w = m.captured(1).toDouble(), h = m.captured(2).toDouble();
    if (w < 10 || h < 10 || w > 5000 || h > 5000) return std::nullopt;
    return QPageSize(QSizeF(w, h), QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
}

CommandLine ParseCommandLine(const QStringList& arguments) {
    CommandLine c;
    bool options = true;
    int i = 1;
    // The next argument as a whole number within [low, high].
    auto number = [&](int low, int high, int* out) {
        bool ok = false;
        const int v = i + 1 < arguments.size() ? arguments[++i].toInt(&ok) : 0;
        if (!ok || v < low || v > high) return false;
        *out = v;
        return true;
    };
    auto failed = [&c](const char* why) {
        c.error = why;
        return c;
    };
    for (; i < arguments.size(); ++i) {
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
            if (!number(1, INT_MAX, &c.zoom))
                return failed("--zoom needs a magnification in per cent");
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
        } else if (options && a == "--command") {
            if (i + 1 >= arguments.size()) {
                c.error = "--command needs the name of a command (mnuNegative, btnZoomUp ...)";
                return c;
            }
            c.commands.append(arguments[++i]);
        } else if (options && a == "--answer") {
            const QString answer = i + 1 < arguments.size() ? arguments[++i].toLower() : QString();
            if (answer != "yes" && answer != "no" && answer != "ok" && answer != "cancel") {
                c.error = "--answer needs yes, no, ok or cancel";
                return c;
            }
            c.answers.append(answer);
        } else if (options && a == "--scan-device") {
            if (i + 1 >= arguments.size()) {
                c.error = "--scan-device needs the name of a scanner (see vistrel-cli scan --list)";
                return c;
            }
            c.scanDevice = arguments[++i];
        } else if (options && a == "--print-status") {
            c.printStatus = true;
        } else if (options && a == "--print-messages") {
            c.printMessages = true;
        } else if (options && a == "--screen-bits") {
            if (!number(1, 32, &c.screenBits))
                return failed("--screen-bits needs a screen depth (1 to 32)");
        } else if (options && a == "--pcd-step") {
            if (!number(0, 6, &c.pcdStep))
                return failed("--pcd-step needs a Photo CD resolution step (0 to 6)");
        } else if (options && a == "--print") {
            if (i + 1 >= arguments.size()) {
                c.error = "--print needs the name of the PDF file to write";
                return c;
            }
            c.print = arguments[++i];
        } else if (options && a == "--page-size") {
            c.pageSize = i + 1 < arguments.size() ? arguments[++i] : QString();
            if (!ParsePageSize(c.pageSize)) {
                c.error = "--page-size needs A4, Letter or WxHmm";
                return c;
            }
        } else if (options && a == "--orientation") {
            const QString o = i + 1 < arguments.size() ? arguments[++i].toLower() : QString();
            if (o != "portrait" && o != "landscape") {
                c.error = "--orientation needs portrait or landscape";
                return c;
            }
            c.landscape = o == "landscape";
        } else if (options && a == "--dpi") {
            if (!number(10, 2400, &c.dpi))
                return failed("--dpi needs the printer's resolution (10 to 2400)");
        } else if (options && a == "--size") {
            if (!number(1, 100, &c.size))
                return failed("--size needs the printed size in per cent (1 to 100)");
        } else if (options && a == "--unit") {
            const QString u = i + 1 < arguments.size() ? arguments[++i].toLower() : QString();
            c.unit = u == "pixels" ? 0 : u == "inches" ? 1 : u == "cm" ? 2 : -1;
            if (c.unit < 0) {
                c.error = "--unit needs pixels, inches or cm";
                return c;
            }
        } else if (options && a.startsWith("--")) {
            c.error = "unknown option " + a;
            return c;
        } else {
            options = false;
            c.files.append(a);
        }
    }
    if (c.screenshot.isEmpty() && c.print.isEmpty() &&
        (!c.commands.isEmpty() || !c.answers.isEmpty() || c.printStatus || c.printMessages))
        c.error = "--command, --answer and --print-... need --screenshot";
    if (c.print.isEmpty() &&
        (!c.pageSize.isEmpty() || c.landscape || c.dpi || c.size || c.unit >= 0))
        c.error = "--page-size, --orientation, --dpi, --size and --unit need --print";
    if (!c.print.isEmpty() && !c.screenshot.isEmpty())
        c.error = "--print and --screenshot do not go together";
    if (!c.print.isEmpty() && c.files.isEmpty()) c.error = "--print needs the FILE to print";
    return c;
}

namespace {

const char* const kUsage =
    "usage: vistrel [OPTIONS] [--] [FILE...]\n"
    "\n"
    "Opens FILE (the arguments joined with blanks) in the window.\n"
    "\n"
    "  -h, --help            this text\n"
    "  --version             the program's version\n"
    "  --slideshow [--script FILE.avl] [--show-log FILE] [--show-passes N]\n"
    "      [--show-fast] [--show-shots DIR] [--set FIELD=VALUE]... [--answer yes|no]\n"
    "      [--screen-bits N] [FILE...]\n"
    "                    run the show over FILE... (or the script) from the default\n"
    "                    settings; the log has one JSON object a line\n"
    "  --screenshot OUT.png  open FILE headless with the default settings, save the\n"
    "                        window as a PNG and exit (OUT.png '-': save nothing)\n"
    "  with --screenshot:\n"
    "  --zoom N              magnification in per cent after the open\n"
    "  --fit                 fit to window\n"
    "  --layout standard|compact|minimal\n"
    "  --fullscreen          full screen after the open\n"
    "  --command NAME        run a menu or tool-bar command after the open, in order\n"
    "                        (the handler's name without Click: mnuNegative, mnuUndo,\n"
    "                        btnZoomUp ...)\n"
    "  --answer yes|no|ok|cancel\n"
    "                        the answer to the next question (default: the box's\n"
    "                        default button)\n"
    "  --print-messages      print every message box: message TAB type TAB buttons,\n"
    "                        its text, then a line ----\n"
    "  --print-status        print caption, status panels, zoom, description, the\n"
    "                        window's frame, the screen's area and the state of\n"
    "                        every command at the end\n"
    "  --screen-bits N       the screen depth the window assumes\n"
    "  --pcd-step N          the Photo CD resolution to read, 0 (64x96) to 6\n"
    "  --print OUT.pdf       open FILE headless, lay it out in the print dialog and\n"
    "                        print it onto a PDF printer writing OUT.pdf; prints the\n"
    "                        dialog's values (NAME TAB VALUE) and the final message;\n"
    "                        exit 0 printed, 1 not\n"
    "  with --print:\n"
    "  --page-size A4|Letter|WxHmm   the paper (default A4)\n"
    "  --orientation portrait|landscape\n"
    "  --dpi N               the printer's resolution (default 300)\n"
    "  --size P              the size bar moved to P per cent (1 to 100)\n"
    "  --unit pixels|inches|cm   the unit of the dialog's texts (default inches)\n"
    "\n"
    "  --media-info CLIP     open CLIP in the media player (at most 15 s) and print\n"
    "                        duration: S.sss, width: W, height: H (0 for sound);\n"
    "                        exit 0, or 1 with the message when it cannot be played\n"
    "  --play CLIP [--fullscreen-at S]\n"
    "                        open CLIP in the window from the default settings, play\n"
    "                        it and print one line per event (open, play, fullscreen\n"
    "                        before and after, end); with --fullscreen-at switch to\n"
    "                        full screen at S seconds; exit 0 at the end, 3 on a\n"
    "                        timeout, 1 when the clip cannot be played\n"
    "  --settings            print the stored settings (NAME: VALUE) and exit\n"
    "  --options [--screen-bits N] [--fullscreen] [--from view|slideshow]\n"
    "            [--set CONTROL=VALUE]... [--press apply|ok|cancel]... [FILE]\n"
    "                        open the options dialog on the stored settings, print\n"
    "                        its controls, work them in order (printing them after\n"
    "                        each press) and close the window as the program does\n"
    "  --screenshot-dialog options:viewer|graphics|slideshow|multimedia OUT.png\n"
    "                        save a picture of that page of the options dialog\n"
    "  --scan-device NAME    the scanner TWAIN > Acquire uses (default: the first\n"
    "                        one found; vistrel-cli scan --list names them)\n"
    "  --open-dialog PATH [--preview-click] [--print-dialog] [--screenshot OUT.png]\n"
    "                        open the Open dialog in PATH's folder with PATH under\n"
    "                        the cursor and wait for its preview; --preview-click\n"
    "                        clicks the preview box; --print-dialog prints the\n"
    "                        size label, the preview (text ..., picture WxH at X,Y,\n"
    "                        icon or empty), the preview button and the facts the\n"
    "                        dialog would hand the open; --screenshot saves a\n"
    "                        picture of the dialog\n";

void PrintMessages(const ScriptedPrompter& prompter) {
    for (const ScriptedPrompter::Asked& a : prompter.asked()) {
        if (a.kind != "message") continue;
        std::printf("message\t%s\t%s\n%s\n----\n", qPrintable(BoxTypeName(a.type)),
                    qPrintable(ButtonNames(a.buttons)), qPrintable(a.text));
    }
}

void PrintStatus(TWebForm& form) {
    auto line = [](const QString& text) { return QString(text).replace('\n', ' '); };
    std::printf("caption\t%s\n", qPrintable(line(form.windowTitle())));
    for (int i = 0; i < 3; ++i)
        std::printf("status%d\t%s\n", i, qPrintable(line(form.statusPanels()->text(i))));
    std::printf("zoom\t%d\n", form.zoomPercent());
    std::printf("fit\t%s\n", form.settings().FitToWindow ? "on" : "off");
    std::printf("description\t%s\n",
                qPrintable(form.picturePresent() ? form.status().Description() : QString()));
    // Where the window lies, its frame included, and the screen's area for windows.
    const QRect f = form.frameGeometry();
    std::printf("frame\t%d %d %d %d\n", f.x(), f.y(), f.width(), f.height());
    if (const QScreen* s = form.screen()) {
        const QRect a = s->availableGeometry();
        std::printf("screen\t%d %d %d %d\n", a.x(), a.y(), a.width(), a.height());
    }
    for (const auto& [name, command] : form.commands()) {
        const TWebForm::CommandState s = form.StateOf(name);
        std::printf("command\t%s\t%s\t%s\t%s\n", qPrintable(name),
                    s.enabled ? "enabled" : "disabled", s.checked ? "checked" : "unchecked",
                    s.visible ? "visible" : "hidden");
    }
}

void Settle(int rounds, int sleepMs) {
    for (int i = 0; i < rounds; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(sleepMs);
    }
}

// The window's start from the command line.
StartOptions StartOf(const CommandLine& c) {
    StartOptions start;
    start.files = c.files;
    start.screenBits = c.screenBits;
    start.scanDevice = c.scanDevice;
    start.pcdStep = c.pcdStep;
    return start;
}

// A headless window: default settings (nothing read or written) and the
// questions answered from --answer.
StartOptions HeadlessStartOf(const CommandLine& c, std::shared_ptr<ScriptedPrompter>& prompter) {
    StartOptions start = StartOf(c);
    start.readSettings = false;
    prompter = std::make_shared<ScriptedPrompter>();
    for (const QString& a : c.answers)
        prompter->pushReply(*ParseReply(a));
    start.prompter = prompter;
    return start;
}

// The end of a headless run: the boxes on stderr, what was asked for on
// stdout, and the window closed without its unsaved-changes question.
// False when the file named could not be opened.
bool FinishHeadless(const CommandLine& c, TWebForm& form, const ScriptedPrompter& prompter) {
    for (const QString& m : prompter.boxTexts())
        std::fprintf(stderr, "vistrel: %s\n", qPrintable(QString(m).replace('\n', ' ')));
    if (c.printMessages) PrintMessages(prompter);
    if (c.printStatus) PrintStatus(form);
    std::fflush(stdout);
    form.setPictureChanged(false);
    form.close();
    if (!c.files.isEmpty() && !form.input().lastOpenSucceeded()) {
        std::fprintf(stderr, "vistrel: cannot open %s\n", qPrintable(c.files.join(' ')));
        return false;
    }
    return true;
}

int Screenshot(const CommandLine& c) {
    std::shared_ptr<ScriptedPrompter> prompter;
    TWebForm form(HeadlessStartOf(c, prompter));
    for (const QString& name : c.commands) {
        if (!form.commands().count(name)) {
            std::fprintf(stderr, "vistrel: unknown command %s (see --help)\n", qPrintable(name));
            return 2;
        }
    }
    // Fit mode is the window's state when the file opens (as with the setting
    // on), so the picture is decoded for the fitted size.
    if (c.fit) form.view().mnuFitWindowClick();
    form.show();
    // First activation opens the file; then wait for the decode and the paints.
    form.WaitFirstOpen();
    // The view states, as a user would set them after the open.
    auto settle = [] { Settle(3, 5); };
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
    settle();
    // The commands, as the user would give them: a disabled one does nothing.
    for (const QString& name : c.commands) {
        if (form.RunCommand(name) == TWebForm::CommandResult::Disabled)
            std::fprintf(stderr, "vistrel: %s is disabled; nothing done\n", qPrintable(name));
        form.WaitIdle(120000);
        settle();
    }
    Settle(5, 10);
    bool saved = true;
    if (c.screenshot != "-") {
        const QPixmap shot = form.grab();
        // Light deflate: still lossless, and a photograph is not waited on for seconds.
        saved = shot.save(c.screenshot, "PNG", 90);
    }
    const bool opened = FinishHeadless(c, form, *prompter);
    if (!saved) {
        std::fprintf(stderr, "vistrel: cannot write %s\n", qPrintable(c.screenshot));
        return 1;
    }
    return opened ? 0 : 1;
}

// Opens the file as --screenshot does, then prints it through the real
// dialog and command onto a PDF printer.
int PrintHeadless(const CommandLine& c) {
    std::shared_ptr<ScriptedPrompter> prompter;
    TWebForm form(HeadlessStartOf(c, prompter));
    form.show();
    form.WaitFirstOpen();
    Settle(3, 5);

    const QString out = QFileInfo(c.print).absoluteFilePath();
    const bool existed = QFileInfo::exists(out);
    PrintCommands& printing = form.printing();
    QPrinter& printer = printing.CurrentPrinter();
    MakePdfPrinter(printer);
    printer.setPageSize(c.pageSize.isEmpty() ? QPageSize(QPageSize::A4)
                                             : *ParsePageSize(c.pageSize));
    printer.setPageOrientation(c.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    if (c.dpi > 0) printer.setResolution(c.dpi);
    printing.setOutputFile(out);
    bool laidOut = false;
    prompter->pushPrintSetup([&c, &laidOut](TPrintForm& dialog) {
        // As the user would: the unit first, then the size bar.
        if (c.unit >= 0) dialog.MeasureBox->setCurrentIndex(c.unit);
        if (c.size > 0) dialog.ZoomScroll->setValue(c.size);
        std::fputs(core::print::LayoutLines(dialog.report()).c_str(), stdout);
        laidOut = true;
        dialog.BtnPrintIt->click();
    });
    if (form.RunCommand("mnuPrint") == TWebForm::CommandResult::Disabled)
        std::fprintf(stderr, "vistrel: mnuPrint is disabled; nothing printed\n");
    form.WaitIdle(120000);
    const QStringList boxes = prompter->boxTexts();
    const QString last = boxes.isEmpty() ? QString() : boxes.last();
    if (!last.isEmpty()) std::printf("Message\t%s\n", qPrintable(QString(last).replace('\n', ' ')));
    if (!FinishHeadless(c, form, *prompter)) return 1;
    const bool printed = laidOut && last == "Image sent to printer." && QFileInfo::exists(out);
    if (!printed && !existed && QFileInfo::exists(out)) QFile::remove(out);
    return printed ? 0 : 1;
}

} // namespace

int EarlyOptions(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--") break;
        if (a == "-h" || a == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (a == "--version") {
            std::puts("vistrel 3.6.23");
            return 0;
        }
        if (a == "--settings") return PrintStoredSettings();
        // The values of the options that take one are not options themselves.
        if (a == "--screenshot" || a == "--zoom" || a == "--layout" || a == "--command" ||
            a == "--answer" || a == "--screen-bits" || a == "--pcd-step" || a == "--print" ||
            a == "--page-size" || a == "--orientation" || a == "--dpi" || a == "--size" ||
            a == "--unit" || a == "--scan-device")
            ++i;
        else if (a.rfind("--", 0) != 0)
            break; // the file's name: options end
    }
    return -1;
}

int RunProgram(TApplication& app) {
    if (const int status = RunOptionsSurfaces(app.arguments()); status >= 0) return status;
    if (const int status = RunShowSurface(app.arguments()); status >= 0) return status;
    if (const int status = RunOpenDialogSurface(app.arguments()); status >= 0) return status;
    if (const int status = RunMediaSurfaces(app.arguments()); status >= 0) return status;
    const CommandLine c = ParseCommandLine(app.arguments());
    if (!c.error.isEmpty()) {
        std::fprintf(stderr, "vistrel: %s\n%s", qPrintable(c.error), kUsage);
        return 2;
    }
    const std::uint64_t free = core::FreePageFile();
    if (free < kMinimumFreeMemory) {
        const QString text = QString("Memory running low.\n%1 bytes free.").arg(free);
        if (c.screenshot.isEmpty() && c.print.isEmpty())
            QMessageBox::warning(nullptr, "Vistrel", text);
        else
            std::fprintf(stderr, "vistrel: %s\n", qPrintable(QString(text).replace('\n', ' ')));
        return 1;
    }
    if (!c.screenshot.isEmpty()) return Screenshot(c);
    if (!c.print.isEmpty()) return PrintHeadless(c);

    TWebForm form(StartOf(c));
    form.show();
    return app.exec();
}

} // namespace gui
