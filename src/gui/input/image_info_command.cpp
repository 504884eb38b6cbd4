#include "gui/input/image_info_command.h"

#include "core/input/image_info.h"
#include "gui/app/window_context.h"
#include "gui/view/tpix.h"

namespace gui {

QString ImageInfoBoxText(const WindowContext& ctx) {
    const core::ImageInfoInput in =
        core::ImageInfoOf(ctx.doc, ctx.dur95->Bitmap(), ctx.emptyPicture, ctx.screenBits);
    return QString::fromStdString(core::ImageInfoText(in));
}

void mnuImageInfoClick(WindowContext& ctx) {
    if (!ctx.picturePresent) return;
    ctx.prompter.Message(
        {BoxType::Information, "Image Info", ImageInfoBoxText(ctx), kBtnOk, kBtnOk});
}

} // namespace gui
