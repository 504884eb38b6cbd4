// Everything a command asks the user or the system goes through one
// Prompter: message boxes with their type and buttons, the value, effect and
// resize/selection dialogs, the file and folder choosers, the save dialog,
// the compression wizard and the free room on a volume. The program uses the
// Qt one; tests and headless runs a scripted one.
#pragma once

#include "core/slideshow/effect_catalogue.h"
#include "core/view/value_request.h"
#include "gui/editing/effect_dialog.h"
#include "gui/editing/resize_form.h"

#include <QColor>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

class QPrinter;

#include <functional>
#include <optional>

namespace gui {

class TSaveDialogEx;
class TOpenDialogPlus;
class JpegWizard;
class TPrintForm;
class TOptionsForm;

enum class BoxType { Information, Warning, Critical, Question };

// Buttons of a message box; a box has a set of them and one default.
enum Button : unsigned { kBtnOk = 1, kBtnCancel = 2, kBtnYes = 4, kBtnNo = 8, kBtnIgnore = 16 };
using Buttons = unsigned;

QString BoxTypeName(BoxType type);    // "information", "warning", "critical", "question"
QString ButtonNames(Buttons buttons); // "Yes|No", "OK" ...

struct MessageBox {
    BoxType type = BoxType::Information;
    QString title;
    QString text;
    Buttons buttons = kBtnOk;
    Button defaultButton = kBtnOk;
};

struct ValueAsk {
    QString caption, lowText, highText;
    core::ValueRequest request;
};

struct EffectAsk {
    QString caption, lowText, highText;
    EffectRequest request;
    const core::Bitmap* picture = nullptr;
    std::function<void(int context)> help;
};

// The resize dialog (bits > 0) or the selection dialog (bits 0).
struct ResizeAsk {
    int x = 0, y = 0, width = 0, height = 0;
    int bits = 0;
    int maxWidth = 0, maxHeight = 0;
};

// The list dialog of the effect selection; it reads and writes the table's marks.
struct ListAsk {
    QString title;
    QStringList texts;
    std::function<void(int context)> help;
};

class Prompter {
  public:
    virtual ~Prompter() = default;

    // The window the dialogs belong to.
    void setWindow(QWidget* window) { window_ = window; }
    QWidget* window() const { return window_; }

    // Returns the button pressed.
    virtual Button Message(const MessageBox& box) = 0;
    // The value dialog: the value, or core::kValueCancelled.
    virtual int Value(const ValueAsk& ask) = 0;
    // The effect dialog: the first slider, or kEffectCancelled; `channels`
    // gets the values of the last Test.
    virtual int Effect(const EffectAsk& ask, EffectChannels* channels) = 0;
    // Width −1 when cancelled.
    virtual ResizeResult Resize(const ResizeAsk& ask) = 0;
    // The list dialog: 0 on Ok (the marks written into `table`), −999 otherwise.
    virtual int List(const ListAsk& ask, core::slideshow::EffectTable& table) = 0;
    // The open dialog: the files chosen, none when cancelled.
    // `title` and `defaultSuffix` (added to a name typed without one) as the caller asks.
    virtual QStringList OpenFiles(const QString& folder, const QString& filters,
                                  const QString& title = "Open",
                                  const QString& defaultSuffix = QString()) = 0;
    // The window's open dialog with its preview, prepared by the caller (which
    // makes it the first time `dialog` is asked for): the files chosen, none
    // when cancelled.
    virtual QStringList RunOpenDialog(const std::function<TOpenDialogPlus&()>& dialog,
                                      const QString& folder, const QString& filters) = 0;
    // The bookmark file dialogs (save or load): the path, empty when cancelled.
    virtual QString BookmarkFile(bool save, const QString& folder, const QString& filter) = 0;
    // The folder browser of Copy to and Move to: the folder, empty when cancelled.
    virtual QString Folder(const QString& initial, const QString& caption,
                           const QString& prompt) = 0;
    // Runs the save dialog the window has filled; false = Cancel.
    virtual bool RunSaveDialog(TSaveDialogEx& dialog) = 0;
    // Runs the compression wizard's dialog until it is closed.
    virtual void RunWizard(const EffectAsk& ask, JpegWizard& wizard) = 0;
    // Picks one of `items` (the scanner's source, …), `current` offered
    // first: the index chosen, −1 when cancelled.
    virtual int Choose(const QString& title, const QString& prompt, const QStringList& items,
                       int current) = 0;
    // Free bytes on the volume that will hold `file`; −1 when unknown.
    virtual qint64 FreeDiskSpace(const QString& file) = 0;
    // Runs the print layout dialog the print command has made; false = Cancel.
    virtual bool RunPrintSetup(TPrintForm& form) = 0;
    // The system's print dialog on `printer` (one page); false = Cancel.
    virtual bool PrinterSetup(QPrinter& printer, QWidget* parent) = 0;
    // Runs the options dialog until it closes: 0 for Ok, −999 otherwise.
    virtual int RunOptions(TOptionsForm& form) = 0;
    // The colour dialog preset to `initial`: the colour chosen, none on Cancel.
    virtual std::optional<QColor> Colour(const QColor& initial) = 0;

  private:
    QPointer<QWidget> window_;
};

// The free bytes of the volume that holds the folder of `file`.
qint64 VolumeFreeBytes(const QString& file);

} // namespace gui
