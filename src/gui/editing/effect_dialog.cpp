#include "gui/editing/effect_dialog.h"

#include "core/editing/effect_modes.h"
#include "gui/view/tpix.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

namespace gui {

namespace {

constexpr QSize kPreviewBox(260, 200);

QScrollArea* PreviewBox(QWidget* parent, const char* name, TPix** pix, const char* pixName) {
    auto* box = new QScrollArea(parent);
    box->setObjectName(name);
    box->setFixedSize(kPreviewBox);
    box->setWidgetResizable(false);
    box->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    *pix = new TPix(box);
    (*pix)->setObjectName(pixName);
    (*pix)->SetStretch(true);
    box->setWidget(*pix);
    return box;
}

} // namespace

TFXdlg::TFXdlg(const QString& caption, const QString& lowText, const QString& highText,
               const EffectRequest& request, const core::Bitmap& picture, QWidget* parent)
    : QDialog(parent), request_(request), picture_(picture) {
    setObjectName("FXdlg");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowTitle(caption);
    auto* layout = new QVBoxLayout(this);

    // The two previews side by side.
    auto* previews = new QHBoxLayout;
    scrollBox1_ = PreviewBox(this, "ScrollBox1", &beforePix_, "BeforePix");
    scrollBox2_ = PreviewBox(this, "ScrollBox2", &afterPix_, "AfterPix");
    auto* left = new QVBoxLayout;
    chkScrollbars_ = new QCheckBox("Show scroll bars", this);
    chkScrollbars_->setObjectName("chkScrollbars");
    chkScrollbars_->setChecked(true);
    left->addWidget(chkScrollbars_);
    left->addWidget(scrollBox1_);
    auto* right = new QVBoxLayout;
    lblModified_ = new QLabel("Modified image", this);
    lblModified_->setObjectName("lblModified");
    right->addWidget(lblModified_);
    right->addWidget(scrollBox2_);
    previews->addLayout(left);
    previews->addLayout(right);
    layout->addLayout(previews);
    // The after-preview follows the before-preview's scrolling.
    scrollBox2_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollBox2_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    // One or three sliders with their edit boxes.
    static const char* const kEdit[3] = {"EditCustom", "EditCustom2", "EditCustom3"};
    static const char* const kBar[3] = {"ScrollBarCustom", "ScrollBarCustom2", "ScrollBarCustom3"};
    static const char* const kLabel[3] = {"lblFilter", "lblFilter2", "lblFilter3"};
    for (int i = 0; i < 3; ++i) {
        rows_[i] = new QWidget(this);
        auto* row = new QHBoxLayout(rows_[i]);
        row->setContentsMargins(0, 0, 0, 0);
        labels_[i] = new QLabel(i == 0 ? "&Filter" : "", rows_[i]);
        labels_[i]->setObjectName(kLabel[i]);
        labels_[i]->setMinimumWidth(40);
        edits_[i] = new QLineEdit(rows_[i]);
        edits_[i]->setObjectName(kEdit[i]);
        edits_[i]->setFixedWidth(56);
        bars_[i] = new QScrollBar(Qt::Horizontal, rows_[i]);
        bars_[i]->setObjectName(kBar[i]);
        bars_[i]->setRange(request.minimum, request.maximum);
        bars_[i]->setPageStep(request.pageStep);
        bars_[i]->setSingleStep(request.arrowStep);
        bars_[i]->setValue(request.initial);
        edits_[i]->setText(QString::number(request.initial));
        labels_[i]->setBuddy(edits_[i]);
        row->addWidget(labels_[i]);
        row->addWidget(edits_[i]);
        row->addWidget(bars_[i], 1);
        layout->addWidget(rows_[i]);
        connect(bars_[i], &QScrollBar::valueChanged, this, [this, i](int v) {
            if (!typing_[i]) edits_[i]->setText(QString::number(v));
        });
        connect(bars_[i], &QScrollBar::actionTriggered, this,
                [this, i](int) { typing_[i] = false; });
        connect(edits_[i], &QLineEdit::textEdited, this, [this, i] { typing_[i] = true; });
        connect(edits_[i], &QLineEdit::editingFinished, this, [this, i] { EditChanged(i); });
        if (i == 0) {
            auto* ends = new QHBoxLayout;
            labelMin_ =
                new QLabel(lowText.isEmpty() ? QString::number(request.minimum) : lowText, this);
            labelMin_->setObjectName("LabelMin");
            labelMax_ =
                new QLabel(highText.isEmpty() ? QString::number(request.maximum) : highText, this);
            labelMax_->setObjectName("LabelMax");
            labelMax_->setAlignment(Qt::AlignRight);
            ends->addSpacing(100);
            ends->addWidget(labelMin_);
            ends->addStretch(1);
            ends->addWidget(labelMax_);
            layout->addLayout(ends);
        }
    }

    groupJpg_ = new QGroupBox("JPEG Compressor", this);
    groupJpg_->setObjectName("GroupJPG");
    new QVBoxLayout(groupJpg_);
    layout->addWidget(groupJpg_);

    auto* buttons = new QHBoxLayout;
    auto button = [&](const char* text, const char* name) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        buttons->addWidget(b);
        return b;
    };
    btnTest_ = button("&Test", "btnTest");
    btnHelp_ = button("&Help", "btnHelp");
    btnOK_ = button("&Apply", "btnOK");
    btnCancel_ = button("&Cancel", "btnCancel");
    btnReset_ = button("Reset", "btnReset");
    layout->addLayout(buttons);
    btnOK_->setEnabled(false);

    connect(btnTest_, &QPushButton::clicked, this, [this] { btnTestClick(); });
    connect(btnReset_, &QPushButton::clicked, this, [this] { btnResetClick(); });
    connect(btnOK_, &QPushButton::clicked, this, [this] { Apply(); });
    connect(btnCancel_, &QPushButton::clicked, this, [this] { reject(); });
    connect(btnHelp_, &QPushButton::clicked, this, [this] {
        if (help_) help_(request_.mode == core::editing::kModeJpegWizard ? 115 : 400);
    });
    connect(chkScrollbars_, &QCheckBox::toggled, this, [this] { chkScrollbarsClick(); });

    if (core::editing::IsPerChannelMode(request.mode)) {
        groupJpg_->hide();
        labels_[0]->setText("Red  ");
        labels_[1]->setText("Green");
        labels_[2]->setText("Blue");
    } else {
        btnReset_->hide();
        rows_[1]->hide();
        rows_[2]->hide();
        if (request.mode != core::editing::kModeJpegWizard) groupJpg_->hide();
    }
    adjustSize();
}

TFXdlg::~TFXdlg() = default;

void TFXdlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (activated_) return;
    activated_ = true;
    // Centred on the screen.
    if (const QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
    beforePix_->SetBitmap(picture_);
    beforePix_->resize(picture_.width(), picture_.height());
    if (wizard_.activate) wizard_.activate(*this);
    edits_[0]->setFocus();
}

QRect TFXdlg::TestArea() const {
    const int left = std::abs(scrollBox1_->horizontalScrollBar()->value());
    const int top = std::abs(scrollBox1_->verticalScrollBar()->value());
    const QSize client = scrollBox2_->viewport()->size();
    const int w = std::min(picture_.width(), client.width());
    const int h = std::min(picture_.height(), client.height());
    // Kept inside the picture whatever the scroll bars say.
    return QRect(std::clamp(left, 0, std::max(0, picture_.width() - w)),
                 std::clamp(top, 0, std::max(0, picture_.height() - h)), w, h);
}

void TFXdlg::btnTestClick() {
    for (int i = 0; i < 3; ++i)
        if (typing_[i]) EditChanged(i);
    if (request_.mode == core::editing::kModeJpegWizard) {
        if (wizard_.test) wizard_.test(*this);
        btnOK_->setEnabled(true);
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const QRect area = TestArea();
    auto made = core::Bitmap::Create(std::max(1, area.width()), std::max(1, area.height()), 24);
    if (made && !picture_.empty()) {
        core::Bitmap part = std::move(made).value();
        for (int y = 0; y < part.height(); ++y) {
            std::uint8_t* o = part.row(y);
            for (int x = 0; x < part.width(); ++x) {
                const std::uint32_t c = picture_.rgb(area.left() + x, area.top() + y);
                o[3 * x] = static_cast<std::uint8_t>(c);
                o[3 * x + 1] = static_cast<std::uint8_t>(c >> 8);
                o[3 * x + 2] = static_cast<std::uint8_t>(c >> 16);
            }
        }
        const int s = bars_[0]->value();
        if (core::editing::IsColourMode(request_.mode)) {
            if (core::editing::IsPerChannelMode(request_.mode))
                channels_ = {bars_[0]->value(), bars_[1]->value(), bars_[2]->value()};
            else
                channels_ = {s, s, s};
        }
        core::editing::ApplyEffect(part, request_.mode,
                                   core::editing::IsColourMode(request_.mode) ? channels_.red : s,
                                   channels_.green, channels_.blue);
        afterPix_->SetBitmap(std::move(part));
        afterPix_->resize(area.size());
        afterPix_->update();
    }
    btnOK_->setEnabled(true);
    QApplication::restoreOverrideCursor();
}

void TFXdlg::btnResetClick() {
    for (int i = 0; i < 3; ++i) {
        typing_[i] = false;
        bars_[i]->setValue(request_.initial);
        edits_[i]->setText(QString::number(request_.initial));
    }
    btnTestClick();
}

void TFXdlg::chkScrollbarsClick() {
    if (!chkScrollbars_->isChecked()) {
        storedScroll_ = QPoint(scrollBox1_->horizontalScrollBar()->value(),
                               scrollBox1_->verticalScrollBar()->value());
        scrollBox1_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scrollBox1_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        // Hiding the bars may reset them; the preview stays where it was.
        scrollBox1_->horizontalScrollBar()->setValue(storedScroll_.x());
        scrollBox1_->verticalScrollBar()->setValue(storedScroll_.y());
    } else {
        scrollBox1_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        scrollBox1_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        scrollBox1_->horizontalScrollBar()->setValue(storedScroll_.x());
        scrollBox1_->verticalScrollBar()->setValue(storedScroll_.y());
    }
}

void TFXdlg::EditChanged(int i) {
    typing_[i] = false;
    bool ok = false;
    const int v = edits_[i]->text().trimmed().toInt(&ok);
    int value = bars_[i]->value();
    if (ok) value = std::clamp(v, request_.minimum, request_.maximum);
    edits_[i]->setText(QString::number(value));
    bars_[i]->setValue(value);
}

void TFXdlg::Apply() {
    if (!btnOK_->isEnabled()) return;
    for (int i = 0; i < 3; ++i)
        if (typing_[i]) EditChanged(i);
    if (request_.mode == core::editing::kModeJpegWizard) {
        // The wizard's Apply keeps the dialog open.
        if (wizard_.test) wizard_.test(*this);
        return;
    }
    accept();
}

void TFXdlg::done(int r) {
    if (request_.mode == core::editing::kModeJpegWizard || r == QDialog::Accepted)
        result_ = bars_[0]->value();
    else
        result_ = kEffectCancelled;
    if (!closed_) {
        closed_ = true;
        if (wizard_.close) wizard_.close(*this);
        beforePix_->SetBitmap(core::Bitmap());
        afterPix_->SetBitmap(core::Bitmap());
    }
    QDialog::done(r);
}

void TFXdlg::closeEvent(QCloseEvent* event) {
    QDialog::closeEvent(event);
}

int ShowEffectDialog(const QString& caption, const QString& lowText, const QString& highText,
                     const EffectRequest& request, const core::Bitmap& picture,
                     EffectChannels* channels, QWidget* parent, const EffectWizard& wizard,
                     std::function<void(int)> help) {
    TFXdlg dlg(caption, lowText, highText, request, picture, parent);
    dlg.setWizard(wizard);
    dlg.setHelp(std::move(help));
    dlg.exec();
    if (channels) *channels = dlg.channels();
    return dlg.result();
}

} // namespace gui
