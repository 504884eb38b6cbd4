#include "gui/dialogs/combo_box_ex.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace gui {

TComboBoxEx::TComboBoxEx(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    // Enter opens the typed path; it never adds it to the list.
    setInsertPolicy(QComboBox::NoInsert);
    setMaxVisibleItems(24);
    setFocusPolicy(Qt::StrongFocus);
    connect(lineEdit(), &QLineEdit::textEdited, this, &TComboBoxEx::EditChange);
    connect(this, &QComboBox::currentIndexChanged, this, [this] { emit Change(); });
}

void TComboBoxEx::focusInEvent(QFocusEvent* event) {
    haveFocus_ = true;
    QComboBox::focusInEvent(event);
}

void TComboBoxEx::focusOutEvent(QFocusEvent* event) {
    // Opening the box's own list or menu keeps the user in the box.
    const bool leaving = event->reason() != Qt::PopupFocusReason;
    if (leaving) haveFocus_ = false;
    QComboBox::focusOutEvent(event);
    if (leaving) emit Exit();
}

void TComboBoxEx::keyPressEvent(QKeyEvent* event) {
    if (keyPress_ && keyPress_(event)) {
        event->accept();
        return;
    }
    QComboBox::keyPressEvent(event);
}

void TComboBoxEx::showPopup() {
    droppedDown_ = true;
    emit DropDown();
    QComboBox::showPopup();
}

void TComboBoxEx::hidePopup() {
    QComboBox::hidePopup();
    droppedDown_ = false;
    emit Change();
}

} // namespace gui
