#include "gui/media/media_driver.h"

#include "core/media/media_rules.h"
#include "gui/app/event_pump.h"
#include "gui/app/scripted_prompter.h"
#include "gui/app/web_form.h"
#include "gui/input/open_commands.h"
#include "gui/media/media_commands.h"
#include "gui/media/media_player.h"
#include "gui/view/window_layouts.h"

#include <QElapsedTimer>
#include <QFileInfo>

#include <cstdio>
#include <memory>

namespace gui {

namespace {

int Usage(const char* why) {
    std::fprintf(stderr, "vistrel: %s\n", why);
    return 2;
}

void Line(const QString& text) {
    std::printf("%s\n", qPrintable(text));
    std::fflush(stdout);
}

int MediaInfo(const QString& clip) {
    TMediaPlayer player(CreateMediaBackend());
    player.SetFileName(clip);
    if (!player.WaitOpen(core::media::kOpenTimeoutMs)) {
        std::fprintf(stderr, "vistrel: Cannot play %s. %s\n",
                     qPrintable(QFileInfo(clip).fileName()), qPrintable(player.WhyNotOpen()));
        return 1;
    }
    Line(QString("duration: %1").arg(player.Duration(), 0, 'f', 3));
    Line(QString("width: %1").arg(player.ImageSourceWidth()));
    Line(QString("height: %1").arg(player.ImageSourceHeight()));
    return 0;
}

int Play(const QString& clip, double fullScreenAt) {
    auto prompter = std::make_shared<ScriptedPrompter>();
    StartOptions start;
    start.files = {clip};
    start.readSettings = false;
    start.prompter = prompter;
    TWebForm form(start);
    MediaCommands& media = form.media();
    bool ended = false;
    media.onEvent = [&ended](const QString& e) {
        Line(e);
        if (e.startsWith("end")) ended = true;
    };
    form.show();
    form.WaitFirstOpen();
    auto finish = [&](int status) {
        for (const QString& m : prompter->boxTexts())
            std::fprintf(stderr, "vistrel: %s\n", qPrintable(QString(m).replace('\n', ' ')));
        form.setPictureChanged(false);
        form.close();
        return status;
    };
    TMediaPlayer* player = media.viewPlayer();
    if (!form.input().lastOpenSucceeded()) return finish(1);
    if (!player) {
        std::fprintf(stderr, "vistrel: %s is not a media clip\n", qPrintable(clip));
        return finish(1);
    }
    // Auto Play is on in the default settings; a clip waiting at its start is played.
    if (player->PlayState() != TMediaPlayer::kPlaying) player->Play();
    const double limitMs = (media.clipDuration() + 3.0) * 1000.0 + 2000.0;
    QElapsedTimer clock;
    clock.start();
    bool switched = fullScreenAt < 0;
    PumpEventsWhile(
        [&] {
            if (ended) return false;
            if (!switched && media.viewPlayer() &&
                media.viewPlayer()->CurrentPosition() >= fullScreenAt) {
                switched = true;
                form.layouts().mnuFullScrnClick();
            }
            return clock.elapsed() < limitMs;
        },
        int(limitMs) + 1000);
    if (!ended) {
        Line(QString("timeout position=%1")
                 .arg(media.viewPlayer() ? media.viewPlayer()->CurrentPosition() : 0.0, 0, 'f', 3));
        return finish(3);
    }
    return finish(0);
}

} // namespace

int RunMediaSurfaces(const QStringList& args) {
    if (args.size() < 2) return -1;
    if (args[1] == "--media-info") {
        if (args.size() != 3) return Usage("--media-info needs the name of one clip");
        return MediaInfo(args[2]);
    }
    if (args[1] != "--play") return -1;
    QString clip;
    double at = -1;
    for (int i = 2; i < args.size(); ++i) {
        if (args[i] == "--fullscreen-at") {
            bool ok = false;
            at = i + 1 < args.size() ? args[++i].toDouble(&ok) : -1;
            if (!ok || at < 0) return Usage("--fullscreen-at needs a position in seconds");
        } else if (clip.isEmpty()) {
            clip = args[i];
        } else {
            return Usage("--play takes one clip");
        }
    }
    if (clip.isEmpty()) return Usage("--play needs the name of a clip");
    return Play(clip, at);
}

} // namespace gui
