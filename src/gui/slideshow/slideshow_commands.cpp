#include "gui/slideshow/slideshow_commands.h"

#include "gui/app/settings_store.h"
#include "gui/app/web_form.h"
#include "gui/app/window_context.h"

#include "core/slideshow/random_source.h"
#include "core/slideshow/show_engine.h"
#include "gui/slideshow/show_window.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>

namespace gui {

namespace cs = core::slideshow;

void SlideshowCommands::mnuSlideEffectsClick(bool forShow) {
    catalogue_ = cs::BuildEffectCatalogue();
    built_ = true;
    // The show tests this mark before it builds the table itself.
    if (QAction* run = ctx_.menus.action("mnuHistorySlideshow")) run->setData(1);
    if (forShow) return;

    const QByteArray stored = ReadBinaryValue("selFX01");
    cs::MarkSelection(
        catalogue_.table,
        cs::DecodeSelection({reinterpret_cast<const std::uint8_t*>(stored.constData()),
                             static_cast<std::size_t>(stored.size())}));
    ListAsk ask;
    for (const std::string& name : catalogue_.names)
        ask.texts << QString::fromStdString(name);
    ask.title = QString("Select from %1 Transitions Effects").arg(ask.texts.size() - 1);
    ask.help = [this](int context) { ctx_.OpenHelp(context); };
    if (ctx_.prompter.List(ask, catalogue_.table) != 0) return;

    const cs::SelectionBytes bytes = cs::EncodeSelection(catalogue_.table);
    WriteBinaryValue("selFX01", QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                           static_cast<qsizetype>(bytes.size())));
}

void SlideshowCommands::RequestStop() {
    if (engine_) engine_->RequestStop();
}

void SlideshowCommands::mnuSlideshowClick() {
    const QStringList chosen = ctx_.prompter.OpenFiles(QFileInfo(scriptPath_).absolutePath(),
                                                       "Slideshow AV List (Reelmark) (*.avl *.AVL)",
                                                       "Select AVL script", "avl");
    if (chosen.isEmpty()) return;
    scriptPath_ = chosen.front();
    const cs::SlideScript script(scriptPath_.toStdString());
    if (script.ScriptVersion() != cs::kScriptVersion) {
        ctx_.prompter.Message(
            {BoxType::Warning, "Vistrel", cs::kScriptVersionWarning, kBtnOk, kBtnOk});
        return;
    }
    mnuHistorySlideshowClick(true);
}

void SlideshowCommands::mnuHistorySlideshowClick(bool script) {
    if (engine_) return; // no second show from inside the first
    if (!built_) mnuSlideEffectsClick(true);

    WindowShowHost host(ctx_);
    cs::ShowSettings settings;
    settings.slideDelay = ctx_.settings.SlideDelay;
    settings.background = ctx_.settings.Background;
    settings.effectsSpeed = ctx_.settings.EffectsSpeed;
    if (const QScreen* screen = ctx_.window.screen()) settings.screenWidth = screen->size().width();
    cs::ShowEngine engine(host, settings, catalogue_.table, cs::ProgramRandom());
    host.setEngine(&engine);
    host.setFast(driver_.fast);
    host.setKeepClipShots(!driver_.shotsDir.isEmpty());

    // The headless log: one JSON object a line.
    QFile log(driver_.logPath);
    if (!driver_.logPath.isEmpty()) log.open(QIODevice::WriteOnly | QIODevice::Truncate);
    auto write = [&log](QJsonObject o) {
        if (!log.isOpen()) return;
        log.write(QJsonDocument(o).toJson(QJsonDocument::Compact) + "\n");
        log.flush();
    };
    auto colour = [](std::uint32_t c) { return QString::asprintf("0x%08X", c); };
    host.onMessage = [&write](const std::string& text) {
        write({{"event", "message"}, {"text", QString::fromStdString(text)}});
    };
    int shot = 0;
    engine.onSlide = [&](const cs::SlideRecord& r) {
        QJsonObject o{{"event", r.shown ? "slide" : "skipped"},
                      {"caption", QString::fromStdString(r.caption)},
                      {"file", QString::fromStdString(r.file)},
                      {"hold_ms", double(r.holdMs)},
                      {"background", colour(r.showBackground)}};
        if (!r.shown) {
            o["reason"] = QString::fromStdString(r.skipReason);
            write(o);
            return;
        }
        o["target"] = QJsonArray{r.target.left, r.target.top, r.target.right, r.target.bottom};
        const auto& d = r.effect.draw;
        o["with_effect"] = r.effect.withEffect;
        o["entry"] = r.effect.entry;
        o["effect"] = d.Effect;
        o["option"] = d.Option;
        o["grain"] = double(d.Grain);
        o["pace"] = d.Pace;
        o["pause"] = d.Pause;
        o["frames"] = host.lastFrames();
        o["draw_ms"] = host.lastDrawMs();
        write(o);
        if (!driver_.shotsDir.isEmpty() && host.surface()) {
            QDir().mkpath(driver_.shotsDir);
            // A video slide as it played; a picture as drawn.
            const bool clip = r.kind == cs::SlideKind::Media && !host.clipShot().isNull();
            (clip ? host.clipShot() : host.surface()->frame())
                .save(QDir(driver_.shotsDir).filePath(QString::asprintf("slide_%04d.png", ++shot)));
        }
    };
    engine.onSkip = [&write](int index) { write({{"event", "skip"}, {"index", index}}); };

    cs::ShowRequest req;
    req.unsavedChanges = ctx_.pictureChanged;
    std::unique_ptr<cs::SlideScript> file;
    if (script) {
        file = std::make_unique<cs::SlideScript>(scriptPath_.toStdString());
        req.script = file.get();
    } else {
        req.bookmarks = ctx_.bookmarks.entries();
        req.currentBookmark = ctx_.bookmarks.selected();
    }
    if (driver_.haveSelection) {
        req.selection = driver_.selection;
    } else {
        const QByteArray stored = ReadBinaryValue("selFX01");
        req.selection =
            cs::DecodeSelection({reinterpret_cast<const std::uint8_t*>(stored.constData()),
                                 static_cast<std::size_t>(stored.size())});
    }
    if (driver_.passes > 0) req.passes = driver_.passes;
    if (req.unsavedChanges) {
        // The show asks; a Yes gives the edit up.
        req.unsavedChanges = false;
        if (!ctx_.ConfirmUnsaved()) return;
    }
    engine_ = &engine;
    write(
        {{"event", "start"},
         {"script", script},
         {"slides", script ? double(file->ScriptSlideCount() - 1) : double(req.bookmarks.size())}});
    const cs::ShowResult result = engine.Run(req);
    engine_ = nullptr;
    write({{"event", "end"},
           {"how", cs::ShowEndName(result.end)},
           {"slides_drawn", result.slidesDrawn},
           {"passes", result.passes},
           {"caption", ctx_.window.windowTitle()},
           {"menu_bar", ctx_.window.menuBar()->isVisible()},
           {"status_bar", ctx_.window.statusBar()->isVisible()},
           {"current_file", QString::fromStdString(ctx_.doc.CurrentFile)}});
    // A script's delays stay in the setting.
    ctx_.settings.SlideDelay = settings.slideDelay;
}

} // namespace gui
