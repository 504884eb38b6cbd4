// TComboBoxEx: an editable combo box that knows whether it has the focus,
// reports edits of its text, and reports a change a second time when its
// list closes up (so a pick made with the keyboard in the open list counts).
#pragma once

#include <QComboBox>

#include <functional>

namespace gui {

class TComboBoxEx : public QComboBox {
    Q_OBJECT
  public:
    explicit TComboBoxEx(QWidget* parent = nullptr);

    // Set when the box gets the focus, cleared when it loses it.
    bool HaveFocus() const { return haveFocus_; }
    bool DroppedDown() const { return droppedDown_; }

    // Sees every key press first; returning true swallows the key.
    void setKeyPressHandler(std::function<bool(QKeyEvent*)> handler) {
        keyPress_ = std::move(handler);
    }

  signals:
    void EditChange(const QString& text); // OnEditChange
    void Change();                        // OnChange, also on close-up
    void DropDown();                      // OnDropDown
    void Exit();                          // OnExit: the focus left the box

  protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showPopup() override;
    void hidePopup() override;

  private:
    bool haveFocus_ = false;
    bool droppedDown_ = false;
    std::function<bool(QKeyEvent*)> keyPress_;
};

} // namespace gui
