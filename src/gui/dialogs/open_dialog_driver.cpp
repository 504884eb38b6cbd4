#include "gui/dialogs/open_dialog_driver.h"

#include "gui/app/event_pump.h"
#include "gui/app/scripted_prompter.h"
#include "gui/app/web_form.h"
#include "gui/dialogs/open_dialog_plus.h"
#include "gui/input/open_commands.h"

#include <QApplication>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QToolButton>

#include <cstdio>
#include <memory>

namespace gui {

namespace {

struct DialogRun {
    QString path;
    QString screenshot;
    bool click = false;
    bool print = false;
    int screenBits = 0;
};

void Line(const char* name, const QString& value) {
    std::printf("%s\t%s\n", name, qPrintable(value));
}

void PrintDialog(const TOpenDialogPlus& d) {
    Line("label", d.PictureLabel()->text());
    Line("preview", d.PaintBox()->state());
    const QToolButton* b = d.PreviewButton();
    Line("button", QString(b->isEnabled() ? "enabled" : "disabled") +
                       (b->isChecked() ? " pressed" : " released"));
    Line("ImageWidth", QString::number(d.ImageWidth()));
    Line("ImageHeight", QString::number(d.ImageHeight()));
    Line("ImageBitsPixel", QString::number(d.ImageBitsPixel()));
    Line("ImageType", d.ImageType());
    Line("ImageCompress", d.ImageCompress());
    Line("ImageFilename", d.ImageFilename());
    Line("ImagePreload", d.ImagePreload() ? "true" : "false");
    const core::Bitmap* bitmap = d.ImageBitmap();
    Line("ImageBitmap",
         bitmap ? QString("%1x%2x%3").arg(bitmap->width()).arg(bitmap->height()).arg(bitmap->bits())
                : QString("none"));
    std::fflush(stdout);
}

int Usage(const char* why) {
    std::fprintf(stderr, "vistrel: %s\n", why);
    return 2;
}

} // namespace

int RunOpenDialogSurface(const QStringList& args) {
    if (!args.contains("--open-dialog")) return -1;
    DialogRun run;
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == "--open-dialog") {
            if (i + 1 >= args.size()) return Usage("--open-dialog needs the file to select");
            run.path = args[++i];
        } else if (a == "--screenshot" && i + 1 < args.size()) {
            run.screenshot = args[++i];
        } else if (a == "--preview-click") {
            run.click = true;
        } else if (a == "--print-dialog") {
            run.print = true;
        } else if (a == "--screen-bits" && i + 1 < args.size()) {
            bool ok = false;
            run.screenBits = args[++i].toInt(&ok);
            if (!ok || run.screenBits < 1 || run.screenBits > 32)
                return Usage("--screen-bits needs a screen depth (1 to 32)");
        } else {
            std::fprintf(stderr, "vistrel: unknown option %s with --open-dialog\n", qPrintable(a));
            return 2;
        }
    }
    if (run.path.isEmpty()) return Usage("--open-dialog needs the file to select");
    const QFileInfo target(run.path);
    const QString file = target.absoluteFilePath();

    StartOptions start;
    start.readSettings = false;
    start.screenBits = run.screenBits;
    auto prompter = std::make_shared<ScriptedPrompter>();
    start.prompter = prompter;
    TWebForm form(start);

    bool saved = true;
    prompter->pushOpenDialog([&](TOpenDialogPlus& d) {
        bool loaded = false;
        QMetaObject::Connection listed;
        if (auto* model = d.findChild<QFileSystemModel*>())
            listed = QObject::connect(model, &QFileSystemModel::directoryLoaded,
                                      [&loaded](const QString&) { loaded = true; });
        d.setDirectory(target.absolutePath());
        d.selectFile(target.fileName());
        // The folder's listing arrives from the file system model's thread.
        PumpEventsWhile([&loaded] { return !loaded; }, 2000);
        QObject::disconnect(listed);
        // The cursor lands on the file, as a user's click in the list does.
        d.SelectionChanged(file);
        if (run.click) {
            TPreviewBox* box = d.PaintBox();
            const QPointF at(box->width() / 2.0, box->height() / 2.0);
            QMouseEvent release(QEvent::MouseButtonRelease, at, box->mapToGlobal(at),
                                Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(box, &release);
        }
        PumpEventsWhile([&d] { return d.busy(); }, 60000);
        PumpEventsWhile([] { return true; }, 100); // the last paints land
        if (!run.screenshot.isEmpty()) saved = d.grab().save(run.screenshot, "PNG");
        if (run.print) PrintDialog(d);
        return QStringList(); // closed with Cancel: nothing opens
    });
    form.input().BtnOpenClick(OpenSender::User);
    form.setPictureChanged(false);
    form.close();
    if (!saved) {
        std::fprintf(stderr, "vistrel: cannot write %s\n", qPrintable(run.screenshot));
        return 1;
    }
    if (!target.isFile()) {
        std::fprintf(stderr, "vistrel: no such file %s\n", qPrintable(run.path));
        return 1;
    }
    return 0;
}

} // namespace gui
