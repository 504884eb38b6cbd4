#include "gui/dialogs/value_dialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCursor>
#include <QEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSlider>
#include <QVBoxLayout>

namespace gui {

namespace {

ValueDialogRunner& Runner() {
    static ValueDialogRunner runner;
    return runner;
}

} // namespace

void SetValueDialogRunner(ValueDialogRunner runner) {
    Runner() = std::move(runner);
}

TXScrlDlg::TXScrlDlg(const QString& caption, const QString& lowText, const QString& highText,
                     const core::ValueRequest& request, QWidget* parent)
    : QDialog(parent), request_(request) {
    setObjectName("XScrlDlg");
    // A dialog border without the title bar's buttons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowTitle(caption);

    auto* layout = new QVBoxLayout(this);
    edit_ = new QLineEdit(this);
    edit_->setObjectName("CustomSetting");
    scroll_ = new QScrollBar(Qt::Horizontal, this);
    scroll_->setObjectName("CustomScrollBar");
    track_ = new QSlider(Qt::Horizontal, this);
    track_->setObjectName("UserTrackBar");
    track_->setTickPosition(QSlider::TicksBelow);
    track_->setTickInterval(1);
    labelMin_ = new QLabel(this);
    labelMin_->setObjectName("LabelMin");
    labelMax_ = new QLabel(this);
    labelMax_->setObjectName("LabelMax");
    labelMax_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    layout->addWidget(edit_);
    layout->addWidget(scroll_);
    layout->addWidget(track_);
    auto* ends = new QHBoxLayout;
    ends->addWidget(labelMin_);
    ends->addStretch(1);
    ends->addWidget(labelMax_);
    layout->addLayout(ends);

    group_ = new QGroupBox("Preset options", this);
    group_->setObjectName("GroupOptions");
    auto* grid = new QGridLayout(group_);
    auto* buttons = new QButtonGroup(this);
    for (int i = 0; i < 6; ++i) {
        const QString text = QString("&%1 = %2")
                                 .arg(QChar('a' + i))
                                 .arg(request.presets[static_cast<std::size_t>(i)]);
        presets_[i] = new QRadioButton(text, group_);
        grid->addWidget(presets_[i], i / 3, i % 3); // three columns
        buttons->addButton(presets_[i], i);
    }
    connect(buttons, &QButtonGroup::idClicked, this, [this](int id) { PresetClick(id); });
    layout->addWidget(group_);

    auto* row = new QHBoxLayout;
    ok_ = new QPushButton("&Ok", this);
    ok_->setObjectName("btnOK");
    ok_->setDefault(false);
    ok_->setAutoDefault(false);
    cancel_ = new QPushButton("&Cancel", this);
    cancel_->setObjectName("btnCancel");
    cancel_->setAutoDefault(false);
    row->addStretch(1);
    row->addWidget(ok_);
    row->addWidget(cancel_);
    layout->addLayout(row);
    connect(ok_, &QPushButton::clicked, this, [this] { OkClick(); });
    connect(cancel_, &QPushButton::clicked, this, [this] {
        value_ = core::kValueCancelled;
        reject();
    });

    if (request.useTrackBar) {
        edit_->hide();
        scroll_->hide();
        track_->setRange(request.minimum, request.maximum);
        track_->setValue(request.initial);
        labelMin_->setText(lowText);
        labelMax_->setText(highText);
    } else {
        track_->hide();
        scroll_->setRange(request.minimum, request.maximum);
        scroll_->setPageStep(request.pageStep);
        scroll_->setSingleStep(request.arrowStep);
        scroll_->setValue(request.initial);
        edit_->setText(QString::number(scroll_->value()));
        labelMin_->setText(lowText.isEmpty() ? QString::number(request.minimum) : lowText);
        labelMax_->setText(highText.isEmpty() ? QString::number(request.maximum) : highText);
        // A scroll writes the box, except while the user is typing.
        connect(scroll_, &QScrollBar::actionTriggered, this, [this] { typing_.End(); });
        connect(scroll_, &QScrollBar::valueChanged, this, [this](int v) {
            if (!typing_.typing()) edit_->setText(QString::number(v));
        });
        // While typing the bar follows the number; the text is corrected when typing ends.
        connect(edit_, &QLineEdit::textEdited, this, [this](const QString& text) {
            if (auto p = core::TypedPosition(text.toStdString(), request_)) scroll_->setValue(*p);
        });
        edit_->installEventFilter(this);
    }
    group_->setVisible(request.showPresets && !request.useTrackBar);
    // A fixed dialog, wide enough for its caption: the window manager's title
    // font is usually bold, and the icon and the frame take some room too.
    QFont titleFont = font();
    titleFont.setBold(true);
    const int titleWidth = QFontMetrics(titleFont).horizontalAdvance(caption) + 96;
    const QMargins m = layout->contentsMargins();
    layout->addSpacerItem(new QSpacerItem(titleWidth - m.left() - m.right(), 0, QSizePolicy::Fixed,
                                          QSizePolicy::Fixed));
    layout->setSizeConstraint(QLayout::SetFixedSize);
    adjustSize();
}

QRadioButton* TXScrlDlg::Preset(int index) const {
    return index >= 0 && index < 6 ? presets_[index] : nullptr;
}

void TXScrlDlg::PlaceAt(int x, int y, const QRect& screen) {
    const QSize frame = frameGeometry().size().expandedTo(size());
    const core::ViewRect r =
        core::ValueDialogPlacement({screen.x(), screen.y(), screen.width(), screen.height()}, x, y,
                                   frame.width(), frame.height());
    move(r.left, r.top);
}

void TXScrlDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (request_.useTrackBar)
        track_->setValue(request_.initial);
    else
        edit_->setFocus();
}

bool TXScrlDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit_) {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                // Enter corrects the number as the end of typing does, then
                // takes it, as the Ok button would.
                OkClick();
                return true;
            }
            typing_.KeyDown();
        } else if (event->type() == QEvent::FocusOut) {
            EndTyping();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TXScrlDlg::EndTyping() {
    typing_.End();
    // A corrected text is a change of the box too, so it is read again (the
    // minimum put in for a non-number moves the bar to the minimum).
    for (int pass = 0; pass < 2; ++pass) {
        const core::ValueCorrection c =
            core::CorrectValueText(edit_->text().toStdString(), request_);
        if (c.position) {
            const QSignalBlocker quiet(scroll_); // the box says what it should
            scroll_->setValue(*c.position);
        }
        if (!c.text) break;
        edit_->setText(QString::fromStdString(*c.text));
    }
}

void TXScrlDlg::OkClick() {
    if (request_.useTrackBar) {
        value_ = track_->value();
    } else {
        EndTyping();
        value_ = scroll_->value();
    }
    accept();
}

void TXScrlDlg::PresetClick(int index) {
    // The preset goes into the box, which moves the bar; then it is returned at once.
    typing_.End();
    edit_->setText(QString::number(request_.presets[static_cast<std::size_t>(index)]));
    EndTyping();
    QCoreApplication::processEvents();
    OkClick();
}

int ShowValueDialog(QWidget* parent, const QString& caption, const QString& lowText,
                    const QString& highText, const core::ValueRequest& request) {
    TXScrlDlg dialog(caption, lowText, highText, request, parent);
    const QPoint pointer = QCursor::pos();
    QScreen* screen = QGuiApplication::screenAt(pointer);
    if (!screen) screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen) dialog.PlaceAt(pointer.x(), pointer.y(), screen->availableGeometry());
    if (Runner())
        Runner()(dialog);
    else
        dialog.exec();
    return dialog.value();
}

} // namespace gui
