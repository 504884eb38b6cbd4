#include "gui/input/image_info_command.h"

#include "core/input/image_info.h"
#include "gui/app/window_context.h"
#include "gui/view/tpix.h"

#include <QFile>
#include <QFileInfo>

namespace gui {

QString ImageInfoBoxText(const WindowContext& ctx) {
    const core::ImageInfoInput in =
        core::ImageInfoOf(ctx.doc, ctx.dur95->Bitmap(), ctx.emptyPicture, ctx.screenBits);
    return QString::fromStdString(core::ImageInfoText(in));
}

void mnuImageInfoClick(WindowContext& ctx) {
    if (!ctx.picturePresent) return;
    const std::string& rights =
        ctx.doc.CurrentExt == ".PCD" ? ctx.doc.PhotoCdRightsFile : std::string();
    if (rights.empty()) {
        ctx.prompter.Message(
            {BoxType::Information, "Image Info", ImageInfoBoxText(ctx), kBtnOk, kBtnOk});
        return;
    }
    // The pack's description ends with "Read Copyright file?". The rights file
    // (found beside the pack, a plain name) is shown read-only by the program
    // itself; nothing the data names is handed to the desktop.
    if (ctx.prompter.Message({BoxType::Information, "Image Info", ImageInfoBoxText(ctx),
                              kBtnYes | kBtnNo, kBtnYes}) != kBtnYes)
        return;
    QFile file(QString::fromStdString(rights));
    if (!file.open(QIODevice::ReadOnly)) {
        ctx.ShowMessage("Cannot read " + file.fileName() + ".", true);
        return;
    }
    const QString text = QString::fromLocal8Bit(file.read(64 * 1024));
    ctx.prompter.Message({BoxType::Information, QFileInfo(file).fileName(), text, kBtnOk, kBtnOk});
}

} // namespace gui
