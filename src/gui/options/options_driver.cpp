#include "gui/options/options_driver.h"

#include "gui/app/scripted_prompter.h"
#include "gui/app/settings_store.h"
#include "gui/app/web_form.h"
#include "gui/input/open_commands.h"
#include "gui/options/options_commands.h"
#include "gui/options/options_form.h"
#include "gui/options/track_bar_ex.h"
#include "gui/view/window_layouts.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QThread>

#include <cstdio>
#include <map>
#include <vector>

namespace gui {

namespace co = core::options;

int PrintStoredSettings() {
    const StoredSettings stored = ReadSettings();
    const core::SettingsRecord& r = stored.record;
    auto num = [](const char* name, long long v) { std::printf("%s: %lld\n", name, v); };
    std::printf("SavedWindowRect: %d, %d, %d, %d\n", r.SavedWindowRect[0], r.SavedWindowRect[1],
                r.SavedWindowRect[2], r.SavedWindowRect[3]);
    num("ShowMenus", r.ShowMenus);
    num("ShowToolbar", r.ShowToolbar);
    num("ShowStatusbar", r.ShowStatusbar);
    num("Win98Style", r.Win98Style);
    num("FitToWindow", r.FitToWindow);
    num("AutoReduce", r.AutoReduce);
    num("MaxFullScreen", r.MaxFullScreen);
    num("FaxQuality", r.FaxQuality);
    num("JpegPalette", r.JpegPalette);
    std::printf("Background: 0x%08X\n", static_cast<unsigned>(r.Background));
    num("ComctlLevel", r.ComctlLevel);
    num("AutoSizeWindow", r.AutoSizeWindow);
    num("AutoCenterWindow", r.AutoCenterWindow);
    num("EffectsSpeed", r.EffectsSpeed);
    num("SvgaPalette", r.SvgaPalette);
    num("SlideDelay", r.SlideDelay);
    num("AvStatusLine", r.AvStatusLine);
    num("AvTrackBar", r.AvTrackBar);
    num("AvControls", r.AvControls);
    num("AvMaxFullScreen", r.AvMaxFullScreen);
    num("AvAutoPlay", r.AvAutoPlay);
    num("AvStatusLineHeight", r.AvStatusLineHeight);
    num("AvTrackBarHeight", r.AvTrackBarHeight);
    num("AvControlsHeight", r.AvControlsHeight);
    num("Volume", r.Volume);
    num("AutoSizeVideo", r.AutoSizeVideo);
    num("AlwaysFullScreen", r.AlwaysFullScreen);
    num("AvPixelsPerInch", r.AvPixelsPerInch);
    num("UseScreen", r.UseScreen);
    std::printf("OpenDir: %s\n", qPrintable(stored.openDir));
    std::printf("SaveDir: %s\n", qPrintable(stored.saveDir));
    return 0;
}

namespace {

const char* const kCheckNames[co::kCheckCount] = {
    "chkMenubar",    "chkToolbar",    "chkWin98style",  "chkStatusbar",  "chkMaxFullScreen",
    "chkAutoSize",   "chkAutoCenter", "chkAutoReduce",  "chkUseScreen",  "chkFitScreen",
    "chkFullScreen", "chkMaxDelay",   "chk_amControls", "chk_amTracker", "chk_amStatus",
    "chk_amMaxFull", "chk_amAutoPlay"};
const char* const kGroupNames[co::kGroupCount] = {"grpFaxQuality", "grpPhotoCD", "grpJPG",
                                                  "grpSpeed", "grpPalette"};
const char* const kPageNames[co::kPageCount] = {"viewer", "graphics", "slideshow", "multimedia"};

int PageIndex(const QString& name) {
    for (int i = 0; i < co::kPageCount; ++i)
        if (name.compare(kPageNames[i], Qt::CaseInsensitive) == 0) return i;
    return -1;
}

struct Action {
    bool press = false;
    QString name, value; // --set NAME=VALUE, or --press NAME
};

struct OptionsRun {
    int screenBits = 0;
    bool fullScreen = false;
    bool fromSlideshow = false;
    std::vector<Action> actions;
    QStringList files;
};

bool KnownControl(const QString& name) {
    for (const char* n : kCheckNames)
        if (name == n) return true;
    for (const char* n : kGroupNames)
        if (name == n) return true;
    return name == "ScrollBarDelay" || name == "TrackVolume" || name == "PanelBackground" ||
           name == "Pages";
}

QString Flag(bool on) {
    return on ? "1" : "0";
}

void Line(const QString& name, const QString& fields) {
    std::printf("%s\t%s\n", qPrintable(name), qPrintable(fields));
}

QString State(const QWidget* w) {
    return QString("enabled=%1 shown=%2").arg(Flag(w->isEnabled()), Flag(!w->isHidden()));
}

void PrintControls(const TOptionsForm& dlg) {
    Line("Pages", QString("item=%1 text=%2")
                      .arg(dlg.Pages->currentIndex())
                      .arg(dlg.Pages->tabText(dlg.Pages->currentIndex())));
    const co::Controls& c = dlg.model().controls();
    for (int i = 0; i < co::kCheckCount; ++i) {
        const QCheckBox* b = dlg.check(co::CheckId(i));
        Line(b->objectName(),
             QString("checked=%1 %2 text=%3").arg(Flag(b->isChecked()), State(b), b->text()));
    }
    for (int i = 0; i < co::kGroupCount; ++i) {
        const QGroupBox* g = dlg.groupBox(co::GroupId(i));
        Line(g->objectName(),
             QString("item=%1 %2 text=%3").arg(c.groups[i].item).arg(State(g), g->title()));
        for (QAbstractButton* b : dlg.group(co::GroupId(i))->buttons())
            Line(b->objectName(),
                 QString("checked=%1 %2 text=%3").arg(Flag(b->isChecked()), State(b), b->text()));
    }
    Line("PanelBackground", QString::asprintf("color=0x%08X ", unsigned(c.background)) +
                                State(dlg.PanelBackground) + " text=" + dlg.lblBackground->text());
    Line("btnEffects", QString("%1 text=%2").arg(State(dlg.btnEffects), dlg.btnEffects->text()));
    Line("ScrollBarDelay", QString("position=%1 %2 min=%3 max=%4 step=%5 page=%6")
                               .arg(dlg.ScrollBarDelay->value())
                               .arg(State(dlg.ScrollBarDelay))
                               .arg(dlg.ScrollBarDelay->minimum())
                               .arg(dlg.ScrollBarDelay->maximum())
                               .arg(dlg.ScrollBarDelay->singleStep())
                               .arg(dlg.ScrollBarDelay->pageStep()));
    Line("lblDelay", QString("text=%1").arg(dlg.lblDelay->text()));
    const TTrackBarEx* v = dlg.TrackVolume;
    Line("TrackVolume", QString("position=%1 %2 min=%3 max=%4 step=%5 page=%6 ticks=%7 "
                                "thumb=%8 slider=%9")
                            .arg(v->value())
                            .arg(State(v))
                            .arg(v->minimum())
                            .arg(v->maximum())
                            .arg(v->singleStep())
                            .arg(v->pageStep())
                            .arg(v->tickInterval())
                            .arg(v->ThumbLength())
                            .arg(Flag(v->SliderVisible())));
    Line("lblVolume", QString("text=%1").arg(dlg.lblVolume->text()));
    Line("grpControls",
         QString("%1 text=%2").arg(State(dlg.grpControls), dlg.grpControls->title()));
    for (const QPushButton* b : {dlg.btnOk, dlg.btnCancel, dlg.btnApply, dlg.btnHelp})
        Line(b->objectName(), QString("%1 text=%2").arg(State(b), b->text()));
    std::printf("----\n");
    std::fflush(stdout);
}

void Settle(int rounds) {
    for (int i = 0; i < rounds; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
}

void Refused(const QString& name, const char* why) {
    std::fprintf(stderr, "vistrel: %s %s; nothing done\n", qPrintable(name), why);
}

std::optional<QColor> ParseColour(const QString& value, bool* ok) {
    *ok = true;
    if (value.compare("cancel", Qt::CaseInsensitive) == 0) return std::nullopt;
    QString v = value;
    if (v.startsWith("0x", Qt::CaseInsensitive)) v = v.mid(2);
    const uint c = v.toUInt(ok, 16);
    if (!*ok || c > 0xFFFFFF) {
        *ok = false;
        return std::nullopt;
    }
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

// One --set, as a user would do it.
void Set(TOptionsForm& dlg, ScriptedPrompter& prompter, const Action& a) {
    bool ok = false;
    for (int i = 0; i < co::kCheckCount; ++i) {
        if (a.name != kCheckNames[i]) continue;
        QCheckBox* b = dlg.check(co::CheckId(i));
        const bool on = a.value == "1" || a.value.compare("on", Qt::CaseInsensitive) == 0;
        if (!b->isEnabled()) return Refused(a.name, "is disabled");
        if (b->isChecked() != on) b->click();
        return;
    }
    for (int i = 0; i < co::kGroupCount; ++i) {
        if (a.name != kGroupNames[i]) continue;
        QButtonGroup* g = dlg.group(co::GroupId(i));
        const int item = a.value.toInt(&ok);
        QAbstractButton* b = ok ? g->button(item) : nullptr;
        if (!b) return Refused(a.name, "has no such item");
        if (!dlg.groupBox(co::GroupId(i))->isEnabled()) return Refused(a.name, "is disabled");
        b->click();
        return;
    }
    if (a.name == "ScrollBarDelay" || a.name == "TrackVolume") {
        QAbstractSlider* bar = a.name == "TrackVolume"
                                   ? static_cast<QAbstractSlider*>(dlg.TrackVolume)
                                   : static_cast<QAbstractSlider*>(dlg.ScrollBarDelay);
        const int p = a.value.toInt(&ok);
        if (!ok) return Refused(a.name, "needs a position");
        if (!bar->isEnabled()) return Refused(a.name, "is disabled");
        bar->setValue(p);
        return;
    }
    if (a.name == "PanelBackground") {
        const std::optional<QColor> colour = ParseColour(a.value, &ok);
        if (!ok) return Refused(a.name, "needs 0x00BBGGRR or cancel");
        prompter.pushColour(colour);
        dlg.PanelBackgroundClick();
        return;
    }
    if (a.name == "Pages") {
        const int page = PageIndex(a.value);
        if (page < 0) return Refused(a.name, "needs viewer, graphics, slideshow or multimedia");
        dlg.Pages->setCurrentIndex(page);
    }
}

int ParseRun(const QStringList& args, OptionsRun* run) {
    for (int i = 2; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--screen-bits") {
            bool ok = false;
            run->screenBits = hasValue ? args[++i].toInt(&ok) : 0;
            if (!ok || run->screenBits <= 0 || run->screenBits > 32) {
                std::fprintf(stderr, "vistrel: --screen-bits needs a screen depth (1 to 32)\n");
                return 2;
            }
        } else if (a == "--fullscreen") {
            run->fullScreen = true;
        } else if (a == "--from") {
            const QString from = hasValue ? args[++i] : QString();
            if (from != "view" && from != "slideshow") {
                std::fprintf(stderr, "vistrel: --from needs view or slideshow\n");
                return 2;
            }
            run->fromSlideshow = from == "slideshow";
        } else if (a == "--set") {
            const QString set = hasValue ? args[++i] : QString();
            const int eq = set.indexOf('=');
            Action act{false, set.left(eq), set.mid(eq + 1)};
            if (eq <= 0 || !KnownControl(act.name)) {
                std::fprintf(stderr,
                             "vistrel: --set needs CONTROL=VALUE with a known control: %s\n",
                             qPrintable(set));
                return 2;
            }
            run->actions.push_back(act);
        } else if (a == "--press") {
            const QString button = hasValue ? args[++i].toLower() : QString();
            if (button != "apply" && button != "ok" && button != "cancel") {
                std::fprintf(stderr, "vistrel: --press needs apply, ok or cancel\n");
                return 2;
            }
            run->actions.push_back({true, button, {}});
        } else if (a == "--") {
            run->files = args.mid(i + 1);
            break;
        } else if (a.startsWith("--")) {
            std::fprintf(stderr, "vistrel: unknown option %s with --options\n", qPrintable(a));
            return 2;
        } else {
            run->files = args.mid(i);
            break;
        }
    }
    return 0;
}

void WaitForActivation(TWebForm& form) {
    form.WaitFirstOpen();
    Settle(3);
}

int RunOptions(const OptionsRun& run) {
    StartOptions start;
    start.files = run.files;
    start.screenBits = run.screenBits;
    auto prompter = std::make_shared<ScriptedPrompter>();
    start.prompter = prompter;
    TWebForm form(start);
    form.show();
    WaitForActivation(form);
    if (run.fullScreen) {
        form.layouts().mnuFullScrnClick();
        Settle(3);
    }
    prompter->pushOptions([&](TOptionsForm& dlg) {
        Settle(2);
        PrintControls(dlg);
        for (const Action& a : run.actions) {
            if (!dlg.isVisible()) {
                std::fprintf(stderr, "vistrel: the dialog is closed; %s not done\n",
                             qPrintable(a.name));
                continue;
            }
            if (!a.press) {
                Set(dlg, *prompter, a);
                continue;
            }
            QPushButton* b = a.name == "apply" ? dlg.btnApply
                             : a.name == "ok"  ? dlg.btnOk
                                               : dlg.btnCancel;
            if (!b->isEnabled())
                Refused(b->objectName(), "is disabled");
            else
                b->click();
            form.WaitIdle(120000);
            Settle(3);
            PrintControls(dlg);
        }
    });
    const char* command = run.fromSlideshow ? "mnuOptions2" : "mnuOptions";
    if (form.RunCommand(command) != TWebForm::CommandResult::Ran)
        std::fprintf(stderr, "vistrel: %s is disabled; nothing done\n", command);
    form.WaitIdle(120000);
    Settle(3);
    for (const QString& m : prompter->boxTexts())
        std::fprintf(stderr, "vistrel: %s\n", qPrintable(QString(m).replace('\n', ' ')));
    std::printf("result\t%s\n", form.options().lastResult() == 0 ? "ok" : "cancel");
    std::fflush(stdout);
    // Closed as the program closes: the settings are written now.
    form.close();
    return 0;
}

int ScreenshotDialog(const QStringList& args) {
    QString page, out;
    int screenBits = 0;
    bool fullScreen = false;
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == "--screenshot-dialog" && i + 2 < args.size()) {
            page = args[++i];
            out = args[++i];
        } else if (args[i] == "--screen-bits" && i + 1 < args.size()) {
            screenBits = args[++i].toInt();
        } else if (args[i] == "--fullscreen") {
            fullScreen = true;
        } else {
            std::fprintf(stderr, "vistrel: unknown option %s with --screenshot-dialog\n",
                         qPrintable(args[i]));
            return 2;
        }
    }
    const int index = page.startsWith("options:") ? PageIndex(page.mid(8)) : -1;
    if (index < 0 || out.isEmpty()) {
        std::fprintf(stderr, "vistrel: --screenshot-dialog needs "
                             "options:viewer|graphics|slideshow|multimedia and OUT.png\n");
        return 2;
    }
    StartOptions start;
    start.screenBits = screenBits;
    auto prompter = std::make_shared<ScriptedPrompter>();
    start.prompter = prompter;
    // The stored settings are read; the window is never closed, so nothing is written.
    TWebForm form(start);
    if (fullScreen) form.layouts().mnuFullScrnClick();
    bool saved = false;
    prompter->pushOptions([&](TOptionsForm& dlg) {
        dlg.setPage(co::Page(index));
        dlg.adjustSize();
        Settle(10);
        saved = dlg.grab().save(out, "PNG");
    });
    form.options().mnuOptionsClick(OptionsSender::View);
    if (!saved) {
        std::fprintf(stderr, "vistrel: cannot write %s\n", qPrintable(out));
        return 1;
    }
    return 0;
}

} // namespace

int RunOptionsSurfaces(const QStringList& arguments) {
    if (arguments.size() < 2) return -1;
    if (arguments.contains("--screenshot-dialog")) return ScreenshotDialog(arguments);
    if (arguments[1] != "--options") return -1;
    OptionsRun run;
    if (const int status = ParseRun(arguments, &run); status != 0) return status;
    return RunOptions(run);
}

} // namespace gui
