// The resize and selection dialog: new width and height in pixels or per cent
// with the aspect kept and a copy mode (resize mode), or a rectangle inside
// the picture (selection mode, depth 0). The arithmetic is core's.
#pragma once

#include "core/editing/resize_dialog_logic.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QToolButton;

namespace gui {

// x, y, width, height and the copy-mode index; Cancel sets width and height to −1.
struct ResizeResult {
    int x = 0, y = 0, width = -1, height = -1, copyMode = 0;
};

class TResizeForm : public QDialog {
    Q_OBJECT
  public:
    TResizeForm(const core::ResizeRequest& request, QWidget* parent = nullptr);

    QLineEdit* EditW = nullptr;
    QLineEdit* EditH = nullptr;
    QLineEdit* EditX = nullptr;
    QLineEdit* EditY = nullptr;
    QCheckBox* Aspect = nullptr;
    QComboBox* CopyOp = nullptr;

    // The spin buttons: box 0..3 = W, H, X, Y.
    void Spin(int box, bool up);
    void BtnResetClick();
    void BtnOKClick();
    const core::ResizeDialogLogic& logic() const { return logic_; }
    ResizeResult result() const;
    int beeps() const { return beeps_; }
    QString lastWarning() const { return lastWarning_; }

    // Tests see the dialog before it runs and answer its warnings without a box.
    static std::function<void(TResizeForm&)> s_beforeExec;
    static bool s_quietWarnings;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QToolButton* SpinButton(QWidget* parent, int box, bool up);
    void Typed(int box);
    void FillBoxes(bool all);
    void Beep();

    core::ResizeDialogLogic logic_;
    int typing_ = -1; // the box whose typing just ended
    bool updating_ = false;
    bool activated_ = false;
    int beeps_ = 0;
    QString lastWarning_;
};

// Runs the dialog for one request (the argument order of the callers) and fills the result.
void ShowResizeDialog(int x, int y, int width, ResizeResult* result, int bits, int maxHeight,
                      int maxWidth, int height, QWidget* parent = nullptr);

} // namespace gui
