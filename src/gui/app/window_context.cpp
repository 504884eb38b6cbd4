#include "gui/app/window_context.h"

#include "gui/app/web_form.h"

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

} // namespace gui
