#include "gui/app/scripted_prompter.h"

#include "gui/dialogs/open_dialog_plus.h"
#include "gui/options/options_form.h"
#include "gui/output/jpeg_wizard.h"
#include "gui/print/print_form.h"

#include <QPushButton>

#include <algorithm>

namespace gui {

std::optional<Reply> ParseReply(const QString& text) {
    const QString t = text.toLower();
    if (t == "yes") return Reply::Yes;
    if (t == "no") return Reply::No;
    if (t == "ok") return Reply::Ok;
    if (t == "cancel") return Reply::Cancel;
    if (t == "ignore") return Reply::Ignore;
    return std::nullopt;
}

namespace {

Button Answer(Reply r, const MessageBox& box) {
    const Buttons b = box.buttons;
    switch (r) {
    case Reply::Yes:
    case Reply::Ok:
        if (r == Reply::Yes && (b & kBtnYes)) return kBtnYes;
        if (b & kBtnOk) return kBtnOk;
        if (b & kBtnYes) return kBtnYes;
        break;
    case Reply::No:
    case Reply::Cancel:
        if (r == Reply::No && (b & kBtnNo)) return kBtnNo;
        if (b & kBtnCancel) return kBtnCancel;
        if (b & kBtnNo) return kBtnNo;
        break;
    case Reply::Ignore:
        if (b & kBtnIgnore) return kBtnIgnore;
        break;
    }
    return box.defaultButton;
}

QString ResizeText(const ResizeResult& r) {
    if (r.width == -1) return "Cancel";
    return QString("%1,%2,%3,%4").arg(r.x).arg(r.y).arg(r.width).arg(r.height);
}

} // namespace

void ScriptedPrompter::pushValue(int value) {
    values_.push_back([value](const ValueAsk&) { return value; });
}

void ScriptedPrompter::pushEffect(int value, EffectChannels channels) {
    effects_.push_back([value, channels](const EffectAsk&, EffectChannels* c) {
        if (c) *c = channels;
        return value;
    });
}

void ScriptedPrompter::pushResize(ResizeResult result) {
    resizes_.push_back([result](const ResizeAsk&) { return result; });
}

void ScriptedPrompter::clearQueues() {
    replies_.clear();
    choices_.clear();
    values_.clear();
    effects_.clear();
    resizes_.clear();
    files_.clear();
    paths_.clear();
    saves_.clear();
    wizards_.clear();
    options_.clear();
    colours_.clear();
    lists_.clear();
    printSetups_.clear();
    printers_.clear();
}

int ScriptedPrompter::questionCount() const {
    int n = 0;
    for (const Asked& a : asked_)
        if (a.kind == "message" && a.buttons != kBtnOk) ++n;
    return n;
}

QStringList ScriptedPrompter::messages() const {
    QStringList texts;
    for (const Asked& a : asked_)
        if (a.kind == "message" && a.buttons == kBtnOk) texts << a.text;
    return texts;
}

QStringList ScriptedPrompter::boxTexts() const {
    QStringList texts;
    for (const Asked& a : asked_)
        if (a.kind == "message") texts << a.text;
    return texts;
}

Button ScriptedPrompter::Message(const MessageBox& box) {
    Button b = box.defaultButton;
    if (!replies_.empty()) {
        b = Answer(replies_.front(), box);
        replies_.pop_front();
    }
    asked_.push_back({"message", box.type, box.buttons, box.text, ButtonNames(b), QString()});
    return b;
}

int ScriptedPrompter::List(const ListAsk& ask, core::slideshow::EffectTable& table) {
    lastList_ = ask;
    int rc = 0; // Ok with the marks as they are
    if (!lists_.empty()) {
        const ListFn fn = std::move(lists_.front());
        lists_.pop_front();
        rc = fn(ask, table);
    }
    asked_.push_back({"list", BoxType::Question, 0, ask.title, rc == 0 ? "Ok" : "Cancel", {}});
    return rc;
}

int ScriptedPrompter::Value(const ValueAsk& ask) {
    lastValue_ = ask;
    int v = ask.request.initial; // OK with the value offered
    if (!values_.empty()) {
        const ValueFn fn = std::move(values_.front());
        values_.pop_front();
        v = fn(ask);
    }
    asked_.push_back({"value", BoxType::Question, 0, ask.caption,
                      v == core::kValueCancelled ? QString("Cancel") : QString::number(v),
                      QString()});
    return v;
}

int ScriptedPrompter::Effect(const EffectAsk& ask, EffectChannels* channels) {
    lastEffect_ = ask;
    lastEffect_.picture = nullptr;
    int v = ask.request.initial;
    if (!effects_.empty()) {
        const EffectFn fn = std::move(effects_.front());
        effects_.pop_front();
        v = fn(ask, channels);
    }
    asked_.push_back({"effect", BoxType::Question, 0, ask.caption,
                      v == kEffectCancelled ? QString("Cancel") : QString::number(v), QString()});
    return v;
}

ResizeResult ScriptedPrompter::Resize(const ResizeAsk& ask) {
    lastResize_ = ask;
    ResizeResult r{ask.x, ask.y, ask.width, ask.height, 0}; // OK with what it offers
    if (!resizes_.empty()) {
        const ResizeFn fn = std::move(resizes_.front());
        resizes_.pop_front();
        r = fn(ask);
    }
    asked_.push_back({ask.bits == 0 ? "selection" : "resize", BoxType::Question, 0,
                      ask.bits == 0 ? "Adjust Selection" : "Image Resize", ResizeText(r),
                      QString()});
    return r;
}

QStringList ScriptedPrompter::OpenFiles(const QString& folder, const QString&, const QString& title,
                                        const QString&) {
    QStringList files;
    if (!files_.empty()) {
        files = std::move(files_.front());
        files_.pop_front();
    }
    asked_.push_back({"open", BoxType::Question, 0, title,
                      files.isEmpty() ? QString("Cancel") : files.join(' '), folder});
    return files;
}

QStringList ScriptedPrompter::RunOpenDialog(const std::function<TOpenDialogPlus&()>& dialog,
                                             const QString& folder, const QString& filters) {
    if (openDialogs_.empty()) return OpenFiles(folder, filters, "Open", QString());
    const OpenDialogFn fn = std::move(openDialogs_.front());
    openDialogs_.pop_front();
    TOpenDialogPlus& d = dialog();
    // Shown, not modal, so the script can work it; then closed.
    d.show();
    const QStringList files = fn(d);
    if (d.isVisible()) d.hide();
    asked_.push_back({"open", BoxType::Question, 0, d.windowTitle(),
                      files.isEmpty() ? QString("Cancel") : files.join(' '), folder});
    return files;
}

QString ScriptedPrompter::BookmarkFile(bool save, const QString& folder, const QString&) {
    QString path;
    if (!paths_.empty()) {
        path = std::move(paths_.front());
        paths_.pop_front();
    }
    asked_.push_back({"bookmarks", BoxType::Question, 0,
                      save ? "Save Bookmarks As" : "Select Bookmark file",
                      path.isEmpty() ? QString("Cancel") : path, folder});
    return path;
}

QString ScriptedPrompter::Folder(const QString& initial, const QString& caption,
                                 const QString& prompt) {
    QString path;
    if (!paths_.empty()) {
        path = std::move(paths_.front());
        paths_.pop_front();
    }
    asked_.push_back({"folder", BoxType::Question, 0, caption + "\n" + prompt,
                      path.isEmpty() ? QString("Cancel") : path, initial});
    return path;
}

bool ScriptedPrompter::RunSaveDialog(TSaveDialogEx& dialog) {
    bool chosen = false;
    if (!saves_.empty()) {
        const SaveFn fn = std::move(saves_.front());
        saves_.pop_front();
        chosen = fn(dialog);
    }
    asked_.push_back(
        {"save", BoxType::Question, 0, "Save Image As", chosen ? "Save" : "Cancel", QString()});
    return chosen;
}

void ScriptedPrompter::RunWizard(const EffectAsk& ask, JpegWizard& wizard) {
    // The dialog is shown, not modal, so the script can work it; then closed.
    TFXdlg dlg(ask.caption, ask.lowText, ask.highText, ask.request, *ask.picture, window());
    dlg.setWizard(wizard.Hooks());
    dlg.setHelp(ask.help);
    dlg.show();
    if (!wizards_.empty()) {
        const WizardFn fn = std::move(wizards_.front());
        wizards_.pop_front();
        fn(dlg, wizard);
    }
    if (dlg.isVisible()) dlg.reject();
    asked_.push_back({"wizard", BoxType::Question, 0, ask.caption, "Close", QString()});
}

qint64 ScriptedPrompter::FreeDiskSpace(const QString& file) {
    return freeSpace_ ? *freeSpace_ : VolumeFreeBytes(file);
}

int ScriptedPrompter::Choose(const QString& title, const QString& prompt, const QStringList& items,
                             int current) {
    int index = items.isEmpty() ? -1 : std::clamp(current, 0, int(items.size()) - 1);
    if (!choices_.empty()) {
        index = choices_.front();
        choices_.pop_front();
    }
    if (index >= items.size()) index = -1;
    asked_.push_back({"choose",
                      BoxType::Question,
                      0,
                      title + "\n" + prompt,
                      index < 0 ? QString("Cancel") : items[index],
                      {}});
    return index;
}

bool ScriptedPrompter::RunPrintSetup(TPrintForm& form) {
    // Shown, not modal, so the script can work it; OK with what it offers.
    form.show();
    if (!printSetups_.empty()) {
        const PrintSetupFn fn = std::move(printSetups_.front());
        printSetups_.pop_front();
        fn(form);
    }
    if (form.isVisible()) form.BtnPrintIt->click();
    const bool ok = form.result() == QDialog::Accepted;
    asked_.push_back(
        {"print", BoxType::Question, 0, form.windowTitle(), ok ? "Print It" : "Cancel", {}});
    return ok;
}

bool ScriptedPrompter::PrinterSetup(QPrinter& printer, QWidget*) {
    bool ok = false; // the system's dialog cancelled
    if (!printers_.empty()) {
        const PrinterFn fn = std::move(printers_.front());
        printers_.pop_front();
        ok = fn(printer);
    }
    asked_.push_back({"printer", BoxType::Question, 0, "Print", ok ? "OK" : "Cancel", {}});
    return ok;
}

int ScriptedPrompter::RunOptions(TOptionsForm& form) {
    // Shown, not modal, so the script can work it; then closed.
    form.show();
    if (!options_.empty()) {
        const OptionsFn fn = std::move(options_.front());
        options_.pop_front();
        fn(form);
    }
    if (form.isVisible()) form.reject();
    const bool ok = form.result() == QDialog::Accepted;
    asked_.push_back(
        {"options", BoxType::Question, 0, form.windowTitle(), ok ? "Ok" : "Cancel", QString()});
    return ok ? 0 : -999;
}

std::optional<QColor> ScriptedPrompter::Colour(const QColor& initial) {
    std::optional<QColor> chosen;
    if (!colours_.empty()) {
        chosen = colours_.front();
        colours_.pop_front();
    }
    asked_.push_back({"colour", BoxType::Question, 0, initial.name(),
                      chosen ? chosen->name() : QString("Cancel"), QString()});
    return chosen;
}

} // namespace gui
