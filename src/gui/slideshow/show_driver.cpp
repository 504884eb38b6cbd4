#include "gui/slideshow/show_driver.h"

#include "core/slideshow/avl_script.h"
#include "gui/app/scripted_prompter.h"
#include "gui/app/web_form.h"
#include "gui/input/open_commands.h"
#include "gui/slideshow/slideshow_commands.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

#include <cstdio>
#include <memory>

namespace gui {

namespace {

bool Number(const QString& text, long long lo, long long hi, long long* out) {
    bool ok = false;
    const long long v = text.startsWith("0x", Qt::CaseInsensitive) ? text.mid(2).toLongLong(&ok, 16)
                                                                   : text.toLongLong(&ok, 10);
    if (!ok || v < lo || v > hi) return false;
    *out = v;
    return true;
}

// The settings a show reads, by their names.
bool SetField(core::SettingsRecord& s, ShowDriver& d, const QString& name, const QString& value) {
    long long v = 0;
    if (name == "selFX01") {
        d.haveSelection = true;
        d.selection.clear();
        for (const QString& part : value.split(',', Qt::SkipEmptyParts)) {
            if (!Number(part, 0, 255, &v)) return false;
            d.selection.push_back(static_cast<std::uint8_t>(v));
        }
        return true;
    }
    if (name == "SlideDelay" && Number(value, 0, 2147483647, &v))
        s.SlideDelay = std::int32_t(v);
    else if (name == "EffectsSpeed" && Number(value, 0, 3, &v))
        s.EffectsSpeed = std::int32_t(v);
    else if (name == "Background" && Number(value, 0, 0xFFFFFFFFll, &v))
        s.Background = std::uint32_t(v);
    else if (name == "AlwaysFullScreen" && Number(value, 0, 1, &v))
        s.AlwaysFullScreen = std::uint8_t(v);
    else if (name == "ShowMenus" && Number(value, 0, 1, &v))
        s.ShowMenus = std::uint8_t(v);
    else if (name == "MaxFullScreen" && Number(value, 0, 1, &v))
        s.MaxFullScreen = std::uint8_t(v);
    else if (name == "SvgaPalette" && Number(value, 0, 2, &v))
        s.SvgaPalette = std::int32_t(v);
    else
        return false;
    return true;
}

int Fail(const char* text) {
    std::fprintf(stderr, "vistrel: %s\n", text);
    return 2;
}

} // namespace

int RunShowSurface(const QStringList& args) {
    if (args.size() < 2 || args[1] != "--slideshow") return -1;
    ShowDriver driver;
    core::SettingsRecord settings;
    QString script;
    QStringList files;
    std::optional<Reply> answer;
    int screenBits = 0;
    for (int i = 2; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        long long v = 0;
        if (a == "--script" && hasValue) {
            script = args[++i];
        } else if (a == "--show-log" && hasValue) {
            driver.logPath = args[++i];
        } else if (a == "--show-passes" && hasValue) {
            if (!Number(args[++i], 1, 1000000, &v))
                return Fail("--show-passes needs a count of passes");
            driver.passes = int(v);
        } else if (a == "--show-fast") {
            driver.fast = true;
        } else if (a == "--show-shots" && hasValue) {
            driver.shotsDir = args[++i];
        } else if (a == "--set" && hasValue) {
            const QString set = args[++i];
            const int eq = set.indexOf('=');
            if (eq <= 0 || !SetField(settings, driver, set.left(eq), set.mid(eq + 1)))
                return Fail(
                    "--set needs FIELD=VALUE with a show setting (SlideDelay, EffectsSpeed, "
                    "Background, AlwaysFullScreen, ShowMenus, MaxFullScreen, SvgaPalette, "
                    "selFX01)");
        } else if (a == "--screen-bits" && hasValue) {
            if (!Number(args[++i], 1, 32, &v))
                return Fail("--screen-bits needs a screen depth (1 to 32)");
            screenBits = int(v);
        } else if (a == "--answer" && hasValue) {
            answer = ParseReply(args[++i]);
            if (!answer) return Fail("--answer needs yes, no, ok or cancel");
        } else if (a == "--") {
            files << args.mid(i + 1);
            break;
        } else if (a.startsWith("--")) {
            std::fprintf(stderr, "vistrel: unknown option %s with --slideshow\n", qPrintable(a));
            return 2;
        } else {
            files << a;
        }
    }

    StartOptions start;
    start.readSettings = false; // defaults, and nothing written
    start.screenBits = screenBits;
    auto prompter = std::make_shared<ScriptedPrompter>();
    if (answer) prompter->pushReplies(1000, *answer);
    start.prompter = prompter;
    TWebForm form(start);
    form.settings() = settings;
    form.show();
    form.WaitFirstOpen();
    if (!files.isEmpty()) {
        for (QString& f : files)
            f = QFileInfo(f).absoluteFilePath();
        form.input().AddSeveral(files);
        form.input().DragOpen(files.front());
        form.WaitIdle(120000);
    }
    SlideshowCommands& show = form.slideshow();
    show.setDriver(driver);
    if (!script.isEmpty()) {
        show.setScriptPath(QFileInfo(script).absoluteFilePath());
        const core::slideshow::SlideScript s(QFileInfo(script).absoluteFilePath().toStdString());
        if (s.ScriptVersion() != core::slideshow::kScriptVersion) {
            std::printf("%s\n", core::slideshow::kScriptVersionWarning);
            return 1;
        }
    }
    form.Guard([&] { show.mnuHistorySlideshowClick(!script.isEmpty()); });
    form.WaitIdle(120000);
    return 0;
}

} // namespace gui
