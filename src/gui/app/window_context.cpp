#include "gui/app/window_context.h"

#include "gui/app/web_form.h"
#include "gui/view/tpix.h"

#include <QScrollArea>
#include <QToolBar>
#include <QToolButton>

namespace gui {

QToolButton* WindowContext::toolButton(const QString& name) const {
    return toolbar1->findChild<QToolButton*>(name);
}

void WindowContext::ShowMessage(const QString& text, bool warning) {
    prompter.Message(
        {warning ? BoxType::Warning : BoxType::Critical, "Vistrel", text, kBtnOk, kBtnOk});
}

bool WindowContext::ConfirmUnsaved() {
    const bool yes =
        prompter.Message({BoxType::Question, "Confirm", "You have unsaved changes. Continue?",
                          kBtnYes | kBtnNo, kBtnYes}) == kBtnYes;
    if (yes) pictureChanged = false;
    return yes;
}

bool WindowContext::AskOkCancel(const QString& text) {
    return prompter.Message({BoxType::Question, "Confirm", text, kBtnOk | kBtnCancel, kBtnOk}) ==
           kBtnOk;
}

void WindowContext::Guard(const std::function<void()>& handler) {
    window.Guard(handler);
}

void WindowContext::OpenHelp(int context) {
    window.mnuHelpContextClick(context);
}

void WindowContext::PaintPictureArea(std::optional<QColor> colour) {
    if (!colour) {
        const std::uint32_t c = settings.Background;
        colour = c == core::kSystemWindowColour
                     ? window.palette().color(QPalette::Base)
                     : QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
    }
    QPalette pal = scrollBox->palette();
    pal.setColor(QPalette::Window, *colour);
    pal.setColor(QPalette::Base, *colour);
    scrollBox->setPalette(pal);
    scrollBox->viewport()->setPalette(pal);
    dur95->setPalette(pal);
}

} // namespace gui
