// The edit and colour commands of the main window: the undo backup, the
// memory guard, depth changes, colour tables, filters and the clipboard.
#pragma once

#include "core/common/bitmap.h"
#include "core/common/result.h"
#include "core/editing/color_lut.h"
#include "core/editing/undo_backup.h"
#include "gui/editing/effect_dialog.h"

#include <QRect>
#include <QString>

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace gui {

struct WindowContext;

class EditCommands {
  public:
    explicit EditCommands(WindowContext& ctx) : ctx_(ctx) {}

    bool AutoBackUp(bool useStream);
    void mnuUndoClick();
    bool EnoughMemory(int shift);
    std::uint64_t ImageMemSize() const;
    void MakeDIB24();
    void MakeDIB8();
    void MakeDIB4();
    bool WarnSVGA();
    void AutoConvert();
    void mnuGammaFilterClick(bool rgb);
    void mnuBrightnessClick(int mode); // 110, 111, 120, 121
    void mnuNegativeClick();
    void FilterCommand(int mode); // sharpen, smooth and despeckle by their dialog mode
    void mnuCopyClick();
    void mnuCopyMaskClick(bool trim);
    void mnuPasteClick();
    void mnuEmptyClick();
    void mnuRegion1Click();
    // Paste and Empty follow the clipboard.
    void ClipboardChanged();
    const core::editing::UndoBackup& undoBackup() const { return undo_; }
    bool backupHeld() const { return undo_.held(); }
    const core::editing::ColorLuts& colorLuts() const { return luts_; }
    // The filter commands: menu-bar name and dialog mode.
    static std::vector<std::pair<const char*, int>> FilterItems();

  private:
    int RunEffectDialog(const QString& caption, const QString& low, const QString& high,
                        const EffectRequest& request);
    bool PrepareEdit(); // warning, guard, backup, 24 bits
    void
    ApplyToPicture(const QString& status,
                   const std::function<void(core::Bitmap&, const core::ProgressFn&)>& operation);
    // The selection dialog of Mask: the resize dialog in selection mode.
    QRect AskSelection(const QRect& initial, int pictureWidth, int pictureHeight);

    WindowContext& ctx_;
    core::editing::UndoBackup undo_;
    core::editing::ColorLuts luts_ = core::editing::ColorLuts::Identity();
    EffectChannels channels_;
    bool warnSvgaOff_ = false;
};

} // namespace gui
