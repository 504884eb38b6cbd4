// The effect dialog: the picture before and after a test run of the chosen
// operation, one slider (or Red, Green and Blue) with edit boxes, and Test,
// Help, Apply, Cancel and Reset. Apply is possible only after a Test.
#pragma once

#include "core/common/bitmap.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QScrollBar;

namespace gui {

class TPix;

// What the caller asks for.
struct EffectRequest {
    int minimum = 0;
    int maximum = 0;
    int initial = 0;
    int pageStep = 1;
    int arrowStep = 1;
    int mode = 0; // the operation Test runs (core/editing/effect_modes.h)
};

// The channel values the colour commands read after the dialog: set by each
// Test in the colour modes (per channel from the three sliders, otherwise all
// three from the first).
struct EffectChannels {
    int red = 0, green = 0, blue = 0;
};

// The compression wizard plugs its own test and settings into mode 999.
struct EffectWizard {
    std::function<void(class TFXdlg&)> activate; // settings loaded
    std::function<void(class TFXdlg&)> test;     // Test (and Apply, which keeps the dialog open)
    std::function<void(class TFXdlg&)> close;    // settings stored
};

inline constexpr int kEffectCancelled = -999;

class TFXdlg : public QDialog {
    Q_OBJECT
  public:
    TFXdlg(const QString& caption, const QString& lowText, const QString& highText,
           const EffectRequest& request, const core::Bitmap& picture, QWidget* parent = nullptr);
    ~TFXdlg() override;

    void setWizard(EffectWizard wizard) { wizard_ = std::move(wizard); }
    void setHelp(std::function<void(int context)> help) { help_ = std::move(help); }

    // −999 after Cancel, otherwise the first slider's position.
    int result() const { return result_; }
    const EffectChannels& channels() const { return channels_; }
    const EffectRequest& request() const { return request_; }

    void btnTestClick();
    void btnResetClick();
    void chkScrollbarsClick();
    // The picture region that Test works on, in picture pixels.
    QRect TestArea() const;

    // Widgets by their form names, for the wizard and for tests.
    QScrollBar* slider(int i) const { return bars_[i]; }
    QLineEdit* edit(int i) const { return edits_[i]; }
    QLabel* label(int i) const { return labels_[i]; }
    QPushButton* btnTest() const { return btnTest_; }
    QPushButton* btnOK() const { return btnOK_; }
    QPushButton* btnCancel() const { return btnCancel_; }
    QPushButton* btnReset() const { return btnReset_; }
    QGroupBox* GroupJPG() const { return groupJpg_; }
    QScrollArea* ScrollBox1() const { return scrollBox1_; }
    QScrollArea* ScrollBox2() const { return scrollBox2_; }
    TPix* BeforePix() const { return beforePix_; }
    TPix* AfterPix() const { return afterPix_; }

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void done(int r) override;

  private:
    void EditChanged(int i);
    void Apply();

    EffectRequest request_;
    const core::Bitmap& picture_;
    EffectChannels channels_;
    EffectWizard wizard_;
    std::function<void(int)> help_;
    int result_ = kEffectCancelled;
    bool activated_ = false;
    bool closed_ = false;
    bool typing_[3] = {false, false, false};
    QPoint storedScroll_;

    QScrollArea* scrollBox1_ = nullptr;
    QScrollArea* scrollBox2_ = nullptr;
    TPix* beforePix_ = nullptr;
    TPix* afterPix_ = nullptr;
    QCheckBox* chkScrollbars_ = nullptr;
    QLabel* lblModified_ = nullptr;
    QScrollBar* bars_[3] = {};
    QLineEdit* edits_[3] = {};
    QLabel* labels_[3] = {};
    QWidget* rows_[3] = {};
    QLabel* labelMin_ = nullptr;
    QLabel* labelMax_ = nullptr;
    QGroupBox* groupJpg_ = nullptr;
    QPushButton* btnTest_ = nullptr;
    QPushButton* btnHelp_ = nullptr;
    QPushButton* btnOK_ = nullptr;
    QPushButton* btnCancel_ = nullptr;
    QPushButton* btnReset_ = nullptr;
};

// Creates the dialog for one request, shows it modally and frees it.
// `channels` receives the channel values of the last Test.
int ShowEffectDialog(const QString& caption, const QString& lowText, const QString& highText,
                     const EffectRequest& request, const core::Bitmap& picture,
                     EffectChannels* channels = nullptr, QWidget* parent = nullptr,
                     const EffectWizard& wizard = {}, std::function<void(int)> help = {});

} // namespace gui
