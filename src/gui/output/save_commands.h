// Save As and the JPEG compression wizard.
#pragma once

#include "core/output/save_rules.h"

#include <optional>

namespace gui {

struct WindowContext;
class TSaveDialogEx;

class SaveCommands {
  public:
    explicit SaveCommands(WindowContext& ctx) : ctx_(ctx) {}

    void mnuSaveClick();
    void SaveDialogTypeChange(int index);
    TSaveDialogEx* saveDialog();
    int lastSaveIndex() const { return lastSaveIndex_; }
    // The wizard's settings are read at its first use in a run (nullopt
    // until then) and stored when the window closes.
    void mnuCompress1Click();
    const std::optional<core::output::WizardSettings>& wizardSettings() const { return wizard_; }
    void StoreWizardSettings() const;

  private:
    WindowContext& ctx_;
    TSaveDialogEx* saveDialog_ = nullptr;
    int lastSaveIndex_ = 0; // remembered for the run, not stored
    std::optional<core::output::WizardSettings> wizard_;
};

} // namespace gui
