#include "gui/editing/resize_form.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

namespace gui {

std::function<void(TResizeForm&)> TResizeForm::s_beforeExec;
bool TResizeForm::s_quietWarnings = false;

TResizeForm::TResizeForm(const core::ResizeRequest& request, QWidget* parent)
    : QDialog(parent), logic_(request) {
    const bool sel = logic_.selectionMode();
    setWindowTitle(sel ? "Adjust Selection" : "Image Resize");
    auto* grid = new QGridLayout;
    const char* labels[4] = {
        "&Width:", "&Height:", sel ? "&X Pos" : "&XScale:", sel ? "&Y Pos" : "&YScale:"};
    const char* names[4] = {"EditW", "EditH", "EditX", "EditY"};
    const char* spins[4] = {"SpinW", "SpinH", "SpinX", "SpinY"};
    QLineEdit** edits[4] = {&EditW, &EditH, &EditX, &EditY};
    for (int i = 0; i < 4; ++i) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(names[i]);
        if (i >= 2 && !sel) edit->setMaxLength(8);
        *edits[i] = edit;
        auto* label = new QLabel(labels[i], this);
        label->setBuddy(edit);
        auto* spin = new QWidget(this);
        spin->setObjectName(spins[i]);
        auto* sl = new QVBoxLayout(spin);
        sl->setContentsMargins(0, 0, 0, 0);
        sl->setSpacing(0);
        sl->addWidget(SpinButton(spin, i, true));
        sl->addWidget(SpinButton(spin, i, false));
        grid->addWidget(label, i, 0);
        grid->addWidget(edit, i, 1);
        grid->addWidget(spin, i, 2);
        // Corrections happen when typing ends, not on every keystroke.
        connect(edit, &QLineEdit::editingFinished, this, [this, i] { Typed(i); });
    }
    Aspect = new QCheckBox("Keep Aspect Ratio", this);
    Aspect->setObjectName("Aspect");
    Aspect->setChecked(true);
    connect(Aspect, &QCheckBox::toggled, this, [this](bool on) { logic_.keepAspect = on; });
    CopyOp = new QComboBox(this);
    CopyOp->setObjectName("CopyOp");
    CopyOp->addItems({"Normal", "Preserve Black", "Preserve White"});
    CopyOp->setCurrentIndex(logic_.initialCopyMode());
    CopyOp->setEnabled(logic_.copyModeEnabled());
    CopyOp->setVisible(!sel); // selection mode: the dialog ends below Aspect

    auto* reset = new QPushButton("&Reset", this);
    reset->setObjectName("BtnReset");
    auto* ok = new QPushButton("&Ok", this);
    ok->setObjectName("BtnOK");
    ok->setDefault(true);
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("BtnCancel");
    connect(reset, &QPushButton::clicked, this, [this] { BtnResetClick(); });
    connect(ok, &QPushButton::clicked, this, [this] { BtnOKClick(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(reset);
    buttons->addStretch();
    auto* left = new QVBoxLayout;
    left->addLayout(grid);
    left->addWidget(Aspect);
    left->addWidget(CopyOp);
    auto* top = new QHBoxLayout(this);
    top->addLayout(left);
    top->addLayout(buttons);
    cancel->setFocus();
    FillBoxes(true);
}

QToolButton* TResizeForm::SpinButton(QWidget* parent, int box, bool up) {
    auto* b = new QToolButton(parent);
    b->setArrowType(up ? Qt::UpArrow : Qt::DownArrow);
    b->setObjectName(up ? "Up" : "Down");
    b->setAutoRepeat(true);
    b->setFocusPolicy(Qt::NoFocus);
    connect(b, &QToolButton::clicked, this, [this, box, up] { Spin(box, up); });
    return b;
}

void TResizeForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (activated_) return;
    activated_ = true;
    logic_.activate();
    FillBoxes(true);
}

void TResizeForm::Beep() {
    ++beeps_;
    QApplication::beep();
}

void TResizeForm::FillBoxes(bool all) {
    updating_ = true;
    QLineEdit* wh[2] = {EditW, EditH};
    const int vals[2] = {logic_.width(), logic_.height()};
    for (int i = 0; i < 2; ++i)
        if (all || i != typing_) wh[i]->setText(QString::number(vals[i]));
    if (logic_.selectionMode()) {
        EditX->setText(QString::number(logic_.x()));
        EditY->setText(QString::number(logic_.y()));
    } else {
        QLineEdit* xy[2] = {EditX, EditY};
        for (int i = 0; i < 2; ++i) {
            if (all) {
                xy[i]->setText(QString::number(logic_.percent(i == 0)));
                continue;
            }
            if (auto t = logic_.percentText(i == 0, xy[i]->text().toStdString(), xy[i]->hasFocus()))
                xy[i]->setText(QString::fromStdString(*t));
        }
    }
    updating_ = false;
}

void TResizeForm::Typed(int box) {
    if (updating_) return;
    // The focus may already be in the next box (Tab): only the box typed in
    // keeps its text, the other size box follows.
    typing_ = box;
    QLineEdit* edits[4] = {EditW, EditH, EditX, EditY};
    const std::string text = edits[box]->text().toStdString();
    bool corrected = false;
    switch (box) {
    case 0:
        corrected = logic_.typeWidth(text);
        break;
    case 1:
        corrected = logic_.typeHeight(text);
        break;
    case 2:
        corrected = logic_.typeXBox(text);
        break;
    default:
        corrected = logic_.typeYBox(text);
        break;
    }
    if (corrected) {
        Beep();
        // The corrected box is rewritten even while it has the focus.
        if (box < 2 || logic_.selectionMode())
            edits[box]->setText(QString::number(box == 0   ? logic_.width()
                                                : box == 1 ? logic_.height()
                                                : box == 2 ? logic_.x()
                                                           : logic_.y()));
    }
    FillBoxes(false);
    typing_ = -1;
}

void TResizeForm::Spin(int box, bool up) {
    QLineEdit* edits[4] = {EditW, EditH, EditX, EditY};
    if (box >= 2 && !logic_.selectionMode()) {
        auto text = logic_.spinPercent(edits[box]->text().toStdString(), up, box == 2);
        if (!text) {
            Beep();
            return;
        }
        // The box keeps its ".9" text while it has the focus.
        edits[box]->setFocus();
        edits[box]->setText(QString::fromStdString(*text));
        if (box == 2)
            logic_.typeXBox(*text);
        else
            logic_.typeYBox(*text);
        FillBoxes(false);
        return;
    }
    bool done = false;
    switch (box) {
    case 0:
        done = logic_.spinWidth(up);
        break;
    case 1:
        done = logic_.spinHeight(up);
        break;
    case 2:
        done = logic_.spinXPos(up);
        break;
    default:
        done = logic_.spinYPos(up);
        break;
    }
    if (!done) Beep();
    edits[box]->setFocus();
    FillBoxes(true);
}

void TResizeForm::BtnResetClick() {
    logic_.reset();
    FillBoxes(true);
}

void TResizeForm::BtnOKClick() {
    // A box still being typed in counts.
    if (QLineEdit* e = qobject_cast<QLineEdit*>(focusWidget())) {
        QLineEdit* edits[4] = {EditW, EditH, EditX, EditY};
        for (int i = 0; i < 4; ++i)
            if (edits[i] == e) Typed(i);
    }
    if (logic_.acceptable()) {
        accept();
        return;
    }
    Beep();
    lastWarning_ = "Bad image size.";
    if (!s_quietWarnings) QMessageBox::warning(this, windowTitle(), lastWarning_);
}

ResizeResult TResizeForm::result() const {
    if (QDialog::result() != QDialog::Accepted)
        return ResizeResult{logic_.x(), logic_.y(), -1, -1, CopyOp->currentIndex()};
    return ResizeResult{logic_.x(), logic_.y(), logic_.width(), logic_.height(),
                        CopyOp->currentIndex()};
}

void ShowResizeDialog(int x, int y, int width, ResizeResult* result, int bits, int maxHeight,
                      int maxWidth, int height, QWidget* parent) {
    TResizeForm form(core::ResizeRequest{x, y, width, height, bits, maxWidth, maxHeight}, parent);
    form.adjustSize();
    // Centred on the mouse pointer, wholly on the screen.
    const QPoint p = QCursor::pos();
    QRect r(QPoint(p.x() - form.width() / 2, p.y() - form.height() / 2), form.size());
    if (QScreen* s = QGuiApplication::screenAt(p)) {
        const QRect a = s->availableGeometry();
        r.moveLeft(std::clamp(r.left(), a.left(), std::max(a.left(), a.right() - r.width())));
        r.moveTop(std::clamp(r.top(), a.top(), std::max(a.top(), a.bottom() - r.height())));
    }
    form.move(r.topLeft());
    if (TResizeForm::s_beforeExec) {
        form.show();
        TResizeForm::s_beforeExec(form);
        if (form.isVisible()) form.reject();
    } else {
        form.exec();
    }
    *result = form.result();
}

} // namespace gui
