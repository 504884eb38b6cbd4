// The reusable dialog that asks for one whole number: a scroll bar with an
// edit box and up to six presets, or a track bar between two end labels.
#pragma once

#include "core/view/value_request.h"

#include <QDialog>
#include <QString>

#include <functional>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QSlider;

namespace gui {

class TXScrlDlg : public QDialog {
    Q_OBJECT
  public:
    TXScrlDlg(const QString& caption, const QString& lowText, const QString& highText,
              const core::ValueRequest& request, QWidget* parent = nullptr);

    // −999 until the dialog is closed with OK (or a preset).
    int value() const { return value_; }

    // The parts, for callers that drive the dialog without a user (tests).
    QLineEdit* CustomSetting() const { return edit_; }
    QScrollBar* CustomScrollBar() const { return scroll_; }
    QSlider* UserTrackBar() const { return track_; }
    QLabel* LabelMin() const { return labelMin_; }
    QLabel* LabelMax() const { return labelMax_; }
    QGroupBox* GroupOptions() const { return group_; }
    QRadioButton* Preset(int index) const; // 0..5 = a..f
    QPushButton* btnOK() const { return ok_; }
    QPushButton* btnCancel() const { return cancel_; }
    bool typing() const { return typing_.typing(); }

    // Moves the dialog so that it is centred on (x, y) and wholly on `screen`.
    void PlaceAt(int x, int y, const QRect& screen);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void EndTyping();
    void OkClick();
    void PresetClick(int index);

    core::ValueRequest request_;
    core::ValueTyping typing_;
    int value_ = core::kValueCancelled;
    QLineEdit* edit_ = nullptr;
    QScrollBar* scroll_ = nullptr;
    QSlider* track_ = nullptr;
    QLabel* labelMin_ = nullptr;
    QLabel* labelMax_ = nullptr;
    QGroupBox* group_ = nullptr;
    QRadioButton* presets_[6] = {};
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

// Asks for a number near the mouse pointer. Returns the chosen value (the
// scroll bar's or the track bar's position), or −999 (core::kValueCancelled)
// when cancelled. An empty end text shows the number itself (scroll-bar face).
int ShowValueDialog(QWidget* parent, const QString& caption, const QString& lowText,
                    const QString& highText, const core::ValueRequest& request);

// Tests replace the modal loop: the runner gets the placed dialog, works it
// (typing, clicking OK, Cancel or a preset) and returns; ShowValueDialog then
// returns the dialog's value. An empty runner restores the modal loop.
using ValueDialogRunner = std::function<void(TXScrlDlg&)>;
void SetValueDialogRunner(ValueDialogRunner runner);

} // namespace gui
