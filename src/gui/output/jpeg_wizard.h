// The JPEG compression wizard: the effect dialog in its wizard mode with the
// "JPEG Compressor" group filled in. Test compresses the whole picture with
// the chosen settings and shows what it decodes to, with the file size and
// the compression ratio; "Save &As" writes the bytes of the last Test.
#pragma once

#include "core/output/save_rules.h"
#include "gui/editing/effect_dialog.h"

#include <QObject>

#include <cstdint>
#include <functional>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QScrollBar;
class QTimer;

namespace gui {

class JpegWizard : public QObject {
    Q_OBJECT
  public:
    // `settings` is read when the dialog activates and written when it closes.
    explicit JpegWizard(core::output::WizardSettings& settings, QObject* parent = nullptr);

    // The hooks that make an effect dialog the wizard.
    EffectWizard Hooks();

    // Where "Save &As" writes (empty: cancelled); a file dialog unless replaced.
    std::function<QString(QWidget* parent)> chooseFile;
    // The name the file dialog offers first: the picture's name with ".jpg", in its folder.
    QString suggestedFile;
    // Told of every failure (a box unless replaced).
    std::function<void(const QString& text)> showError;
    // Told the scale of every Test (at most 255): the command's tag.
    std::function<void(int scale)> onTest;

    const std::vector<std::uint8_t>& stream() const { return stream_; }

    // The group's controls by their form names (valid while the dialog lives).
    QScrollBar* ScrollBarJPG = nullptr;
    QLineEdit* EditJPG = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* lblJPGmax = nullptr;
    QCheckBox* chkProgressive = nullptr;
    QCheckBox* chkSubSample = nullptr;
    QCheckBox* chkOptimize = nullptr;
    QCheckBox* chkFloats = nullptr;
    QCheckBox* chkLinear = nullptr;
    QGroupBox* grpSmoothing = nullptr;
    QRadioButton* smoothing[3] = {};
    QLabel* StatusBar1[2] = {};
    QTimer* Timer1 = nullptr;

    void Activate(TFXdlg& dlg);
    void Test(TFXdlg& dlg);
    void SaveAs(TFXdlg& dlg);
    void Close(TFXdlg& dlg);
    void chkLinearClick();

  private:
    void BuildGroup(TFXdlg& dlg);
    void EditJPGChanged();
    core::output::WizardSettings FromControls(const TFXdlg& dlg) const;

    core::output::WizardSettings& settings_;
    std::vector<std::uint8_t> stream_;
    bool syncing_ = false;
};

} // namespace gui
