#include "gui/editing/rect_dialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>

namespace gui {

QRect ShowRectDialog(QWidget* parent, const QRect& initial, QSize picture) {
    QDialog dlg(parent);
    dlg.setWindowTitle("Selection");
    auto* form = new QFormLayout(&dlg);
    auto spin = [&](const char* label, int lo, int hi, int value) {
        auto* s = new QSpinBox(&dlg);
        s->setRange(lo, hi);
        s->setValue(value);
        form->addRow(label, s);
        return s;
    };
    QSpinBox* left = spin("&Left", 0, picture.width() - 1, initial.left());
    QSpinBox* top = spin("&Top", 0, picture.height() - 1, initial.top());
    QSpinBox* width = spin("&Width", 1, picture.width(), initial.width());
    QSpinBox* height = spin("&Height", 1, picture.height(), initial.height());
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    if (dlg.exec() != QDialog::Accepted) return QRect(0, 0, -1, 0);
    // Kept inside the picture.
    const int l = left->value(), t = top->value();
    return QRect(l, t, std::min(width->value(), picture.width() - l),
                 std::min(height->value(), picture.height() - t));
}

} // namespace gui
