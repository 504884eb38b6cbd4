// The options dialog: four pages of controls over the settings record,
// "&Ok", "&Cancel", "&Apply" and "&Help". The rules between the controls
// are the model's; the widgets show it and pass the user's actions on.
#pragma once

#include "core/options/options_model.h"

#include <QColor>
#include <QDialog>

#include <array>
#include <functional>
#include <optional>

class QButtonGroup;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class QScrollBar;
class QTabWidget;

namespace gui {

class TTrackBarEx;

class TOptionsForm : public QDialog {
    Q_OBJECT
  public:
    // Loads the controls once, here: closing the colour or effect dialog
    // later keeps the user's unapplied edits.
    TOptionsForm(QWidget* parent, const core::options::Stored& stored,
                 core::options::Environment env, core::options::Page first);

    // What the buttons reach outside the dialog. Apply gets the model and
    // applies it to the window (the default applies nothing).
    std::function<void(core::options::OptionsModel&)> applyHandler;
    std::function<void(int context)> helpHandler;
    std::function<void()> effectsHandler;
    // The colour dialog, preset to `initial`: the colour chosen, none on Cancel.
    std::function<std::optional<QColor>(const QColor& initial)> colourHandler;

    const core::options::OptionsModel& model() const { return model_; }
    core::options::Page page() const;
    void setPage(core::options::Page page);

    // The controls, for the window's tests and the headless runs.
    QTabWidget* Pages = nullptr;
    QCheckBox* check(core::options::CheckId id) const { return checks_[int(id)]; }
    QGroupBox* groupBox(core::options::GroupId id) const { return groupBoxes_[int(id)]; }
    QButtonGroup* group(core::options::GroupId id) const { return groups_[int(id)]; }
    QGroupBox* grpControls = nullptr;
    QFrame* PanelBackground = nullptr;
    QLabel* lblBackground = nullptr;
    QPushButton* btnEffects = nullptr;
    QScrollBar* ScrollBarDelay = nullptr;
    QLabel* lblDelay = nullptr;
    TTrackBarEx* TrackVolume = nullptr;
    QLabel* lblVolume = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;
    QPushButton* btnApply = nullptr;
    QPushButton* btnHelp = nullptr;

    // The swatch's colour as shown (the system window colour resolved).
    QColor SwatchColour() const;
    QColor SystemWindowColour() const;

    void btnApplyClick();
    void btnOkClick();
    void btnHelpClick();
    void PanelBackgroundClick();

  private:
    QWidget* BuildViewer();
    QWidget* BuildGraphics();
    QWidget* BuildSlideshow();
    QWidget* BuildMultimedia();
    QCheckBox* MakeCheck(QWidget* parent, core::options::CheckId id, const char* name,
                         const char* caption);
    QGroupBox* MakeGroup(QWidget* parent, core::options::GroupId id, const char* name,
                         const char* caption, std::initializer_list<const char*> items);
    void Sync(); // the widgets show the model

    core::options::OptionsModel model_;
    std::array<QCheckBox*, core::options::kCheckCount> checks_{};
    std::array<QGroupBox*, core::options::kGroupCount> groupBoxes_{};
    std::array<QButtonGroup*, core::options::kGroupCount> groups_{};
    bool syncing_ = false;
};

} // namespace gui
