#include "gui/options/options_form.h"

#include "gui/options/track_bar_ex.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

namespace gui {

namespace co = core::options;
using co::CheckId;
using co::GroupId;

namespace {

// The colour swatch: a click, or the focus arriving by the keyboard, asks
// for a colour. Focus coming back from the colour dialog asks nothing.
class Swatch : public QFrame {
  public:
    Swatch(QWidget* parent, std::function<void()> onPick)
        : QFrame(parent), onPick_(std::move(onPick)) {
        setFrameShape(QFrame::Panel);
        setFrameShadow(QFrame::Sunken);
        setFocusPolicy(Qt::StrongFocus);
        setAutoFillBackground(true);
        setCursor(Qt::PointingHandCursor);
    }

  protected:
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) onPick_();
    }
    void focusInEvent(QFocusEvent* e) override {
        QFrame::focusInEvent(e);
        const Qt::FocusReason r = e->reason();
        if (r == Qt::TabFocusReason || r == Qt::BacktabFocusReason || r == Qt::ShortcutFocusReason)
            onPick_();
    }

  private:
    std::function<void()> onPick_;
};

QColor FromStored(std::uint32_t c) {
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

std::uint32_t ToStored(const QColor& c) {
    return std::uint32_t(c.red()) | (std::uint32_t(c.green()) << 8) |
           (std::uint32_t(c.blue()) << 16);
}

} // namespace

TOptionsForm::TOptionsForm(QWidget* parent, const co::Stored& stored, co::Environment env,
                           co::Page first)
    : QDialog(parent), model_(stored, env) {
    setObjectName("OptionsForm");
    setWindowTitle("Options");
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    Pages = new QTabWidget(this);
    Pages->setObjectName("Pages");
    Pages->addTab(BuildViewer(), "Viewer");
    Pages->addTab(BuildGraphics(), "Graphics");
    Pages->addTab(BuildSlideshow(), "Slideshow");
    Pages->addTab(BuildMultimedia(), "Multimedia");
    layout->addWidget(Pages, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto button = [this, buttons](const char* name, const char* caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        buttons->addWidget(b);
        return b;
    };
    btnOk = button("btnOk", "&Ok");
    btnCancel = button("btnCancel", "&Cancel");
    btnApply = button("btnApply", "&Apply");
    btnHelp = button("btnHelp", "&Help");
    btnOk->setDefault(true);
    layout->addLayout(buttons);

    connect(btnOk, &QPushButton::clicked, this, &TOptionsForm::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnApply, &QPushButton::clicked, this, &TOptionsForm::btnApplyClick);
    connect(btnHelp, &QPushButton::clicked, this, &TOptionsForm::btnHelpClick);
    connect(btnEffects, &QPushButton::clicked, this, [this] {
        if (effectsHandler) effectsHandler();
    });

    Sync();
    setPage(first);
}

QCheckBox* TOptionsForm::MakeCheck(QWidget* parent, CheckId id, const char* name,
                                   const char* caption) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    checks_[int(id)] = box;
    connect(box, &QCheckBox::clicked, this, [this, id](bool on) {
        if (syncing_) return;
        model_.SetChecked(id, on);
        Sync();
    });
    return box;
}

QGroupBox* TOptionsForm::MakeGroup(QWidget* parent, GroupId id, const char* name,
                                   const char* caption, std::initializer_list<const char*> items) {
    auto* box = new QGroupBox(caption, parent);
    box->setObjectName(name);
    auto* group = new QButtonGroup(box);
    auto* layout = new QVBoxLayout(box);
    layout->setSpacing(2);
    int n = 0;
    for (const char* text : items) {
        auto* radio = new QRadioButton(text, box);
        radio->setObjectName(QString("%1Item%2").arg(name).arg(n));
        group->addButton(radio, n++);
        layout->addWidget(radio);
    }
    layout->addStretch(1);
    groupBoxes_[int(id)] = box;
    groups_[int(id)] = group;
    connect(group, &QButtonGroup::idToggled, this, [this, id](int item, bool on) {
        if (syncing_ || !on) return;
        model_.Choose(id, item);
        Sync();
    });
    return box;
}

QWidget* TOptionsForm::BuildViewer() {
    auto* page = new QWidget;
    page->setObjectName("pageViewer");
    auto* grid = new QGridLayout(page);
    grid->addWidget(MakeCheck(page, CheckId::Menubar, "chkMenubar", "&Menus"), 0, 0);
    grid->addWidget(MakeCheck(page, CheckId::Toolbar, "chkToolbar", "&Tool bar"), 1, 0);
    grid->addWidget(MakeCheck(page, CheckId::Win98style, "chkWin98style", "&Win98 style"), 2, 0);
    grid->addWidget(MakeCheck(page, CheckId::Statusbar, "chkStatusbar", "&Status bar"), 3, 0);
    grid->addWidget(MakeCheck(page, CheckId::MaxFullScreen, "chkMaxFullScreen", "Max &full screen"),
                    0, 1);
    grid->addWidget(MakeCheck(page, CheckId::AutoSize, "chkAutoSize", "Auto Si&ze"), 1, 1);
    grid->addWidget(MakeCheck(page, CheckId::AutoCenter, "chkAutoCenter", "Auto Ce&nter"), 2, 1);

    auto* row = new QHBoxLayout;
    lblBackground = new QLabel("&Background", page);
    lblBackground->setObjectName("lblBackground");
    PanelBackground = new Swatch(page, [this] { PanelBackgroundClick(); });
    PanelBackground->setObjectName("PanelBackground");
    PanelBackground->setFixedSize(48, 22);
    lblBackground->setBuddy(PanelBackground);
    row->addWidget(lblBackground);
    row->addWidget(PanelBackground);
    row->addStretch(1);
    grid->addLayout(row, 4, 0, 1, 2);
    grid->setRowStretch(5, 1);
    grid->setColumnStretch(2, 1);
    return page;
}

QWidget* TOptionsForm::BuildGraphics() {
    auto* page = new QWidget;
    page->setObjectName("pageGraphics");
    auto* grid = new QGridLayout(page);
    grid->addWidget(MakeGroup(page, GroupId::FaxQuality, "grpFaxQuality", "Fa&x quality",
                              {"b/w", "4 shades", "16 shades", "64 shades"}),
                    0, 0);
    grid->addWidget(MakeGroup(page, GroupId::PhotoCD, "grpPhotoCD", "&Photo-CD step",
                              {"    64x96", "  128x192", "  256x384", "  512x768", "1024x1536",
                               "2048x3072", "4096x6144"}),
                    0, 1, 3, 1);
    grid->addWidget(
        MakeGroup(page, GroupId::JPG, "grpJPG", "&JPEG palette",
                  {"fixed + ordered", "fixed + dithered", "color matched", "optimal + dithered"}),
        0, 2);
    auto* checks = new QVBoxLayout;
    checks->addWidget(MakeCheck(page, CheckId::AutoReduce, "chkAutoReduce", "Auto &Reduce"));
    checks->addWidget(MakeCheck(page, CheckId::UseScreen, "chkUseScreen", "&Use Screen"));
    checks->addStretch(1);
    grid->addLayout(checks, 1, 0, 2, 1);
    grid->setRowStretch(2, 1);
    return page;
}

QWidget* TOptionsForm::BuildSlideshow() {
    auto* page = new QWidget;
    page->setObjectName("pageSlideshow");
    auto* grid = new QGridLayout(page);
    grid->addWidget(MakeGroup(page, GroupId::Speed, "grpSpeed", "Effects &speed",
                              {"Faster", "Normal", "Slower", "Slowest"}),
                    0, 0);
    grid->addWidget(
        MakeGroup(page, GroupId::Palette, "grpPalette", "SVGA &Palette",
                  {"optimal (for graphics)", "fixed (for effects)", "VGA (for multimedia)"}),
        0, 1);
    auto* right = new QVBoxLayout;
    btnEffects = new QPushButton("&Effects", page);
    btnEffects->setObjectName("btnEffects");
    btnEffects->setAutoDefault(false);
    right->addWidget(btnEffects);
    right->addWidget(MakeCheck(page, CheckId::FitScreen, "chkFitScreen", "Auto &Size video"));
    right->addWidget(MakeCheck(page, CheckId::FullScreen, "chkFullScreen", "Always &full screen"));
    right->addStretch(1);
    grid->addLayout(right, 0, 2);

    auto* delay = new QGridLayout;
    lblDelay = new QLabel(page);
    lblDelay->setObjectName("lblDelay");
    // Wide enough for the longest text, so the row does not jump.
    lblDelay->setMinimumWidth(lblDelay->fontMetrics().horizontalAdvance("Delay = 60.0s 2 hours"));
    ScrollBarDelay = new QScrollBar(Qt::Horizontal, page);
    ScrollBarDelay->setObjectName("ScrollBarDelay");
    ScrollBarDelay->setRange(0, co::kDelayMax);
    ScrollBarDelay->setSingleStep(100);
    ScrollBarDelay->setPageStep(1000);
    ScrollBarDelay->setMinimumWidth(160);
    lblDelay->setBuddy(ScrollBarDelay);
    delay->addWidget(lblDelay, 0, 0);
    delay->addWidget(MakeCheck(page, CheckId::MaxDelay, "chkMaxDelay", "Ma&ximum delay"), 0, 1);
    delay->addWidget(ScrollBarDelay, 1, 0, 1, 2);
    grid->addLayout(delay, 1, 0, 1, 3);
    grid->setRowStretch(2, 1);
    connect(ScrollBarDelay, &QScrollBar::valueChanged, this, [this](int p) {
        if (syncing_) return;
        model_.MoveDelay(p);
        Sync();
    });
    return page;
}

QWidget* TOptionsForm::BuildMultimedia() {
    auto* page = new QWidget;
    page->setObjectName("pageMultimedia");
    auto* grid = new QGridLayout(page);
    grpControls = new QGroupBox("Controls", page);
    grpControls->setObjectName("grpControls");
    auto* controls = new QVBoxLayout(grpControls);
    controls->addWidget(
        MakeCheck(grpControls, CheckId::AmControls, "chk_amControls", "Player &controls"));
    controls->addWidget(MakeCheck(grpControls, CheckId::AmTracker, "chk_amTracker", "&Track bar"));
    controls->addWidget(MakeCheck(grpControls, CheckId::AmStatus, "chk_amStatus", "&Status line"));
    controls->addWidget(
        MakeCheck(grpControls, CheckId::AmMaxFull, "chk_amMaxFull", "Max &full screen"));
    grid->addWidget(grpControls, 0, 0, 2, 1);
    grid->addWidget(MakeCheck(page, CheckId::AmAutoPlay, "chk_amAutoPlay", "Auto &Play"), 0, 1);

    auto* volume = new QVBoxLayout;
    lblVolume = new QLabel("&Volume", page);
    lblVolume->setObjectName("lblVolume");
    TrackVolume = new TTrackBarEx(page);
    TrackVolume->setObjectName("TrackVolume");
    TrackVolume->setRange(0, co::kVolumeMax);
    TrackVolume->setSingleStep(100);
    TrackVolume->setPageStep(100);
    TrackVolume->setTickInterval(100);
    TrackVolume->setTickPosition(QSlider::TicksBothSides);
    TrackVolume->SetThumbLength(15);
    TrackVolume->setMinimumWidth(180);
    lblVolume->setBuddy(TrackVolume);
    volume->addWidget(lblVolume);
    volume->addWidget(TrackVolume);
    grid->addLayout(volume, 1, 1);
    grid->setRowStretch(2, 1);
    grid->setColumnStretch(1, 1);
    connect(TrackVolume, &QSlider::valueChanged, this, [this](int p) {
        if (syncing_) return;
        model_.MoveVolume(p);
        Sync();
    });
    return page;
}

void TOptionsForm::Sync() {
    syncing_ = true;
    const co::Controls& c = model_.controls();
    for (int i = 0; i < co::kCheckCount; ++i) {
        checks_[i]->setChecked(c.checks[i].checked);
        checks_[i]->setEnabled(c.checks[i].enabled);
    }
    for (int i = 0; i < co::kGroupCount; ++i) {
        if (QAbstractButton* b = groups_[i]->button(c.groups[i].item)) b->setChecked(true);
        groupBoxes_[i]->setEnabled(c.groups[i].enabled);
    }
    ScrollBarDelay->setValue(c.delayPosition);
    ScrollBarDelay->setEnabled(c.delayEnabled);
    lblDelay->setText(QString::fromStdString(model_.DelayText()));
    TrackVolume->setValue(c.volume);
    QPalette pal = PanelBackground->palette();
    pal.setColor(QPalette::Window, SwatchColour());
    PanelBackground->setPalette(pal);
    btnApply->setEnabled(c.applyEnabled);
    syncing_ = false;
}

QColor TOptionsForm::SystemWindowColour() const {
    return palette().color(QPalette::Base);
}

QColor TOptionsForm::SwatchColour() const {
    const std::uint32_t c = model_.controls().background;
    return c == core::kSystemWindowColour ? SystemWindowColour() : FromStored(c);
}

co::Page TOptionsForm::page() const {
    return static_cast<co::Page>(Pages->currentIndex());
}

void TOptionsForm::setPage(co::Page page) {
    Pages->setCurrentIndex(static_cast<int>(page));
}

void TOptionsForm::PanelBackgroundClick() {
    if (!colourHandler) return;
    const std::optional<QColor> chosen = colourHandler(SystemWindowColour());
    if (!chosen || !chosen->isValid()) return;
    model_.ChooseBackground(ToStored(*chosen));
    Sync();
}

void TOptionsForm::btnApplyClick() {
    if (applyHandler) {
        applyHandler(model_);
    } else {
        co::Stored scratch;
        model_.Apply(scratch, {});
    }
    Sync();
}

void TOptionsForm::btnOkClick() {
    btnApplyClick();
    accept();
}

void TOptionsForm::btnHelpClick() {
    if (helpHandler) helpHandler(co::HelpContext(page()));
}

} // namespace gui
