// The window side of opening: the Open command, dropped files, the command
// line and Reload; the decode on the worker thread and what follows it.
#pragma once

#include "core/input/jpeg_decoder.h"
#include "core/input/open_pipeline.h"

#include <QElapsedTimer>
#include <QStringList>

#include <atomic>
#include <string>
#include <thread>

namespace gui {

// The status text of a picture its file did not fill (damaged or cut short).
extern const char* const kShownInPart;

struct WindowContext;
class TOpenDialogPlus;

// Who asked for an open: the open dialog (the file is probed), the
// application (open CurrentFile as it stands), or a user command (ask).
enum class OpenSender { Dialog, Application, User };

class OpenCommands {
  public:
    explicit OpenCommands(WindowContext& ctx) : ctx_(ctx) {}
    ~OpenCommands() { CancelDecode(); }

    void BtnOpenClick(OpenSender sender);
    void BtnOpenEx(OpenSender sender);
    void DropFiles(const QStringList& names);
    void DragOpen(const QString& name);
    void mnuReloadClick();
    // The document as the next open starts from it: the new name, the old one kept.
    void BeginAttempt(const std::string& name);
    void AddSeveral(const QStringList& names);
    void ShowEmptyPicture(bool named);
    // Remembers the document a failed open goes back to.
    void KeepDocument();

    // The progress callback handed to the decoders: posts each percentage
    // to the window and answers false once the decode is to stop.
    core::ProgressFn MakeProgressCallback();
    void CancelDecode();
    bool WaitIdle(int timeoutMs = 30000);
    bool busy() const { return decoding_; }
    bool lastOpenSucceeded() const { return lastOpenOk_; }
    // The first picture after start-up lays the view out itself.
    bool firstLayout() const { return firstLayout_; }
    void setFirstLayout(bool on) { firstLayout_ = on; }
    core::OpenPipeline& pipeline() { return pipeline_; }
    // The window's open dialog, made the first time it is needed.
    TOpenDialogPlus& OpenDialog();
    // What the decoders are told about the window and its settings.
    core::OpenEnvironment Environment() const;

  private:
    void StartDecode();
    void ProbeAndOpen();
    // Opens the chosen file from what the open dialog learned, without a
    // probe; false when the dialog holds nothing for this file.
    bool TakeFromDialog(TOpenDialogPlus& dialog);
    void FinishDecode(core::Result<core::DecodedPicture> result, core::DocumentState doc,
                      bool unexpected);
    void AfterOpen(); // what follows every open, good or bad
    void OpenTail();

    WindowContext& ctx_;
    core::DocumentState docBeforeOpen_;
    core::JpegDecoder jpeg_;
    core::OpenPipeline pipeline_{jpeg_};
    bool firstLayout_ = false;
    bool lastOpenOk_ = false;
    TOpenDialogPlus* openDialog_ = nullptr; // owned by the window

    // The decode on the worker thread.
    std::thread worker_;
    std::atomic<bool> stopDecode_{false};
    bool decoding_ = false;
    int generation_ = 0;
    QElapsedTimer loadStart_;
};

} // namespace gui
