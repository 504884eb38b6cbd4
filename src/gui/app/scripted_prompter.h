// A prompter that shows nothing: it records what was asked and answers from
// queues, or with the box's default button (a dialog's OK with what it
// offers, a chooser's Cancel) when its queue is empty. Tests and the
// headless runs of the program use it.
#pragma once

#include "gui/app/prompter.h"

#include <deque>
#include <optional>
#include <vector>

namespace gui {

class TFXdlg;

// An answer to a message box: the button itself where the box has it,
// otherwise its counterpart (Yes ~ OK, No ~ Cancel).
enum class Reply { Yes, No, Ok, Cancel, Ignore };
std::optional<Reply> ParseReply(const QString& text); // yes, no, ok, cancel, ignore

class ScriptedPrompter : public Prompter {
  public:
    // One question or dialog as it was asked.
    struct Asked {
        QString kind; // message, value, effect, resize, selection, open, bookmarks, folder, save,
                      // wizard, list, print, printer, options, colour, choose
        BoxType type = BoxType::Information; // message boxes
        Buttons buttons = 0;                 // message boxes
        QString text;                        // the box's text or the dialog's caption
        QString answer;                      // the button or value given
        QString folder;                      // where a chooser started
    };

    using ValueFn = std::function<int(const ValueAsk&)>;
    using EffectFn = std::function<int(const EffectAsk&, EffectChannels*)>;
    using ResizeFn = std::function<ResizeResult(const ResizeAsk&)>;
    // Answers the list dialog: may change the marks; 0 = Ok, −999 = Cancel.
    using ListFn = std::function<int(const ListAsk&, core::slideshow::EffectTable&)>;
    using SaveFn = std::function<bool(TSaveDialogEx&)>;
    using WizardFn = std::function<void(TFXdlg&, JpegWizard&)>;
    // Works the shown print layout dialog; when it is still open afterwards,
    // "&Print It" closes it.
    using PrintSetupFn = std::function<void(TPrintForm&)>;
    // Answers the system's print dialog: may change the printer; false = Cancel.
    using PrinterFn = std::function<bool(QPrinter&)>;
    // Works the open dialog, shown: the files it is closed with (none: Cancel).
    using OpenDialogFn = std::function<QStringList(TOpenDialogPlus&)>;
    // Works the options dialog, shown; a dialog still open afterwards is cancelled.
    using OptionsFn = std::function<void(TOptionsForm&)>;

    // Queues of answers, each taken by the next question of its kind.
    void pushReply(Reply r) { replies_.push_back(r); }
    void pushReplies(int count, Reply r) {
        for (int i = 0; i < count; ++i)
            pushReply(r);
    }
    void pushValue(int value);
    void pushValue(ValueFn fn) { values_.push_back(std::move(fn)); }
    void pushEffect(int value, EffectChannels channels = {});
    void pushEffect(EffectFn fn) { effects_.push_back(std::move(fn)); }
    void pushResize(ResizeResult result);
    void pushResize(ResizeFn fn) { resizes_.push_back(std::move(fn)); }
    void pushList(ListFn fn) { lists_.push_back(std::move(fn)); }
    void pushFiles(QStringList files) { files_.push_back(std::move(files)); }
    void pushPath(QString path) { paths_.push_back(std::move(path)); } // bookmark files and folders
    void pushSave(SaveFn fn) { saves_.push_back(std::move(fn)); }
    void pushWizard(WizardFn fn) { wizards_.push_back(std::move(fn)); }
    // The next choice among a list: an index, or −1 for Cancel. Without one
    // the item offered is taken.
    void pushChoice(int index) { choices_.push_back(index); }
    void pushPrintSetup(PrintSetupFn fn) { printSetups_.push_back(std::move(fn)); }
    void pushPrinter(PrinterFn fn) { printers_.push_back(std::move(fn)); }
    // Without one queued, the open dialog answers as OpenFiles does (no file
    // is selected in it, so it holds no facts).
    void pushOpenDialog(OpenDialogFn fn) { openDialogs_.push_back(std::move(fn)); }
    void pushOptions(OptionsFn fn) { options_.push_back(std::move(fn)); }
    // The colour dialog's answer (none: Cancel); with none queued it is cancelled.
    void pushColour(std::optional<QColor> colour) { colours_.push_back(colour); }
    // The free room every volume reports from now on (nullopt: the real one).
    void setFreeSpace(std::optional<qint64> bytes) { freeSpace_ = bytes; }
    void clearQueues();

    // What was asked, in order.
    const std::vector<Asked>& asked() const { return asked_; }
    // The message boxes with a choice (more than one button).
    int questionCount() const;
    // The texts of the boxes with only OK.
    QStringList messages() const;
    // The texts of every message box.
    QStringList boxTexts() const;
    // The last effect, value and resize asks (the picture pointer is not kept).
    const EffectAsk& lastEffect() const { return lastEffect_; }
    const ValueAsk& lastValue() const { return lastValue_; }
    const ResizeAsk& lastResize() const { return lastResize_; }
    const ListAsk& lastList() const { return lastList_; }

    Button Message(const MessageBox& box) override;
    int Value(const ValueAsk& ask) override;
    int Effect(const EffectAsk& ask, EffectChannels* channels) override;
    ResizeResult Resize(const ResizeAsk& ask) override;
    int List(const ListAsk& ask, core::slideshow::EffectTable& table) override;
    QStringList OpenFiles(const QString& folder, const QString& filters, const QString& title,
                          const QString& defaultSuffix) override;
    QStringList RunOpenDialog(const std::function<TOpenDialogPlus&()>& dialog,
                              const QString& folder, const QString& filters) override;
    QString BookmarkFile(bool save, const QString& folder, const QString& filter) override;
    QString Folder(const QString& initial, const QString& caption, const QString& prompt) override;
    bool RunSaveDialog(TSaveDialogEx& dialog) override;
    void RunWizard(const EffectAsk& ask, JpegWizard& wizard) override;
    qint64 FreeDiskSpace(const QString& file) override;
    int Choose(const QString& title, const QString& prompt, const QStringList& items,
               int current) override;
    bool RunPrintSetup(TPrintForm& form) override;
    bool PrinterSetup(QPrinter& printer, QWidget* parent) override;
    int RunOptions(TOptionsForm& form) override;
    std::optional<QColor> Colour(const QColor& initial) override;

  private:
    std::deque<Reply> replies_;
    std::deque<ValueFn> values_;
    std::deque<EffectFn> effects_;
    std::deque<ResizeFn> resizes_;
    std::deque<QStringList> files_;
    std::deque<QString> paths_;
    std::deque<ListFn> lists_;
    std::deque<SaveFn> saves_;
    std::deque<WizardFn> wizards_;
    std::deque<int> choices_;
    std::deque<PrintSetupFn> printSetups_;
    std::deque<PrinterFn> printers_;
    std::deque<OptionsFn> options_;
    std::deque<OpenDialogFn> openDialogs_;
    std::deque<std::optional<QColor>> colours_;
    std::optional<qint64> freeSpace_;
    std::vector<Asked> asked_;
    EffectAsk lastEffect_;
    ValueAsk lastValue_;
    ResizeAsk lastResize_;
    ListAsk lastList_;
};

} // namespace gui
