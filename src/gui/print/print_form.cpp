#include "gui/print/print_form.h"

#include "gui/app/prompter.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPageLayout>
#include <QPainter>
#include <QPixmap>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>

namespace gui {

namespace {

// The placeholder that stands for the picture on the miniature: a framed
// landscape, stretched to the printed shape.
QPixmap Placeholder() {
    QPixmap pm(32, 32);
    pm.fill(QColor(0x80, 0xa0, 0xd0));
    QPainter p(&pm);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x40, 0x80, 0x40));
    const QPoint hills[] = {{0, 31}, {0, 22}, {10, 12}, {18, 20}, {24, 14}, {31, 21}, {31, 31}};
    p.drawPolygon(hills, 7);
    p.setBrush(QColor(0xf0, 0xd0, 0x40));
    p.drawEllipse(QPoint(23, 7), 4, 4);
    p.setPen(Qt::black);
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, 0, 31, 31);
    return pm;
}

QString Text(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

TPrintForm::TPrintForm(QPrinter& printer, int pictureWidth, int pictureHeight,
                       Prompter& prompter, std::function<void(int)> help, QWidget* parent)
    : QDialog(parent), printer_(printer), prompter_(prompter), help_(std::move(help)),
      pictureWidth_(pictureWidth), pictureHeight_(pictureHeight) {
    setObjectName("PrintForm");
    setFixedSize(374, 266);
    const int thumb = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);

    PanelSettings = new QLabel(this);
    PanelSettings->setObjectName("PanelSettings");
    PanelSettings->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    PanelSettings->setGeometry(0, 0, 374, 25);
    PanelSettings->setIndent(4);

    PanelParent = new QFrame(this);
    PanelParent->setObjectName("PanelParent");
    PanelParent->setGeometry(0, 25, 185, 241);
    const int imageW = 185 - thumb, imageH = 241 - thumb;
    PanelImage = new QFrame(PanelParent);
    PanelImage->setObjectName("PanelImage");
    PanelImage->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    PanelImage->setGeometry(0, 0, imageW, imageH);
    // The desk the page lies on.
    PanelImage->setAutoFillBackground(true);
    QPalette desk = PanelImage->palette();
    desk.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
    PanelImage->setPalette(desk);
    PaperImage = new QFrame(PanelImage);
    PaperImage->setObjectName("PaperImage");
    PaperImage->setAutoFillBackground(true);
    QPalette white = PaperImage->palette();
    white.setColor(QPalette::Window, Qt::white);
    PaperImage->setPalette(white);
    DocImage = new QLabel(PaperImage);
    DocImage->setObjectName("DocImage");
    DocImage->setScaledContents(true);
    DocImage->setPixmap(Placeholder());

    PanelX = new QFrame(PanelParent);
    PanelX->setObjectName("PanelX");
    PanelX->setGeometry(0, imageH, imageW, thumb);
    XScroll = new QScrollBar(Qt::Horizontal, PanelX);
    XScroll->setObjectName("XScroll");
    XScroll->setGeometry(0, 0, imageW, thumb);
    PanelY = new QFrame(PanelParent);
    PanelY->setObjectName("PanelY");
    PanelY->setGeometry(imageW, 0, thumb, imageH);
    YScroll = new QScrollBar(Qt::Vertical, PanelY);
    YScroll->setObjectName("YScroll");
    YScroll->setGeometry(0, 0, thumb, imageH);

    auto label = [this](const char* name, const QString& text, int x, int y, int w) {
        auto* l = new QLabel(text, this);
        l->setObjectName(name);
        l->setGeometry(x, y, w, 17);
        return l;
    };
    LabelXPos = label("LabelXPos", "X pos:", 194, 32, 84);
    LabelYpos = label("LabelYpos", "Y pos:", 194, 50, 84);
    LabelDocW = label("LabelDocW", "Width:", 280, 32, 90);
    LabelDocH = label("LabelDocH", "Height:", 280, 50, 90);
    LabelXPos->setBuddy(XScroll);
    LabelYpos->setBuddy(YScroll);
    QLabel* measure = label("LabelMeasure", "&Measure:", 194, 78, 60);
    MeasureBox = new QComboBox(this);
    MeasureBox->setObjectName("MeasureBox");
    MeasureBox->addItems({"Pixels", "Inches", "cm."});
    MeasureBox->setGeometry(256, 74, 110, 24);
    measure->setBuddy(MeasureBox);
    ZoomLabel = label("ZoomLabel", QString(core::print::kZoomLabelAtOpening), 194, 104, 172);
    ZoomScroll = new QScrollBar(Qt::Horizontal, this);
    ZoomScroll->setObjectName("ZoomScroll");
    ZoomScroll->setRange(1, 100);
    ZoomScroll->setPageStep(10);
    ZoomScroll->setValue(100);
    ZoomScroll->setGeometry(194, 122, 172, thumb);
    ZoomLabel->setBuddy(ZoomScroll);

    auto button = [this](const char* name, const char* text, int x, int y) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        b->setGeometry(x, y, 84, 25);
        return b;
    };
    BtnReset = button("BtnReset", "Cen&ter", 194, 150);
    BtnSetup = button("BtnSetup", "&Setup", 282, 150);
    BtnPrintIt = button("BtnPrintIt", "&Print It", 194, 182);
    BtnClose = button("BtnClose", "Cancel", 282, 182);
    BtnHelp = button("BtnHelp", "&Help", 194, 214);
    BtnPrintIt->setDefault(true);

    connect(BtnReset, &QPushButton::clicked, this, [this] { BtnResetClick(); });
    connect(BtnSetup, &QPushButton::clicked, this, [this] { BtnSetupClick(); });
    connect(BtnHelp, &QPushButton::clicked, this, [this] { BtnHelpClick(); });
    connect(BtnPrintIt, &QPushButton::clicked, this, &QDialog::accept);
    connect(BtnClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(ZoomScroll, &QScrollBar::valueChanged, this, [this] { ZoomScrollScroll(); });
    for (QScrollBar* bar : {XScroll, YScroll}) {
        // A bar's value follows every change, the user's and AllSpecs' alike;
        // the miniature follows it too.
        connect(bar, &QScrollBar::valueChanged, this, [this] {
            XScrollChange();
            YScrollScroll();
        });
        connect(bar, &QScrollBar::sliderPressed, this, [this] { YScrollMouseDown(); });
    }
    connect(MeasureBox, &QComboBox::currentIndexChanged, this, [this] { MeasureBoxChange(); });
}

void TPrintForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Once per opening: coming back to the dialog from another window keeps
    // what the user set.
    if (started_) return;
    started_ = true;
    if (const QScreen* s = screen())
        move(s->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    FormActivate();
}

void TPrintForm::FormActivate() {
    ++startups_;
    sizeFactor_ = 1.0;
    {
        const QSignalBlocker quiet(ZoomScroll);
        ZoomScroll->setValue(100);
    }
    {
        const QSignalBlocker quiet(MeasureBox);
        MeasureBox->setCurrentIndex(static_cast<int>(core::print::MeasureUnit::Inches));
    }
    measureUnit_ = core::print::MeasureUnit::Inches;
    ResizePaper();
    ResizeImage();
    AllSpecs();
    UpdateDocPosition();
}

core::print::Page TPrintForm::page() const {
    core::print::Page p;
    p.width = printer_.width();
    p.height = printer_.height();
    p.dpiX = printer_.logicalDpiX();
    p.dpiY = printer_.logicalDpiY();
    p.landscape = printer_.pageLayout().orientation() == QPageLayout::Landscape;
    return p;
}

void TPrintForm::ResizePaper() {
    const core::print::Page p = page();
    const QRect client = PanelImage->contentsRect();
    const core::ViewRect r =
        core::print::ResizePaper(p.width, p.height, client.width(), client.height());
    PaperImage->setGeometry(client.left() + r.left, client.top() + r.top, r.width, r.height);
}

void TPrintForm::ResizeImage() {
    const core::ViewRect r = core::print::ResizeImage(
        PaperImage->width(), PaperImage->height(), pictureWidth_, pictureHeight_, sizeFactor_);
    DocImage->setGeometry(r.left, r.top, r.width, r.height);
}

void TPrintForm::AllSpecs() {
    const core::print::Specs s =
        core::print::AllSpecs(page(), pictureWidth_, pictureHeight_, sizeFactor_);
    docWidth_ = s.docWidth;
    docHeight_ = s.docHeight;
    auto apply = [](QScrollBar* bar, const core::print::ScrollSpec& spec) {
        bar->setRange(0, spec.maximum);
        bar->setPageStep(spec.largeStep);
        bar->setValue(spec.position);
    };
    apply(XScroll, s.x);
    apply(YScroll, s.y);
    UpdateDocPosition();
    zoomApplying_ = false;
}

void TPrintForm::UpdateDocPosition() {
    const core::print::PositionTexts t = core::print::UpdateDocPosition(
        page(), docWidth_, docHeight_, XScroll->value(), YScroll->value(), measureUnit_);
    PanelSettings->setText(Text(t.panelSettings));
    LabelDocW->setText(Text(t.labelDocW));
    LabelDocH->setText(Text(t.labelDocH));
    LabelXPos->setText(Text(t.labelXPos));
    LabelYpos->setText(Text(t.labelYpos));
}

void TPrintForm::UpdateXYscroll() {
    if (zoomApplying_) return;
    if (auto top = core::print::MiniatureOffset(YScroll->value(), YScroll->maximum(),
                                                PaperImage->height() - DocImage->height()))
        DocImage->move(DocImage->x(), *top);
    if (auto left = core::print::MiniatureOffset(XScroll->value(), XScroll->maximum(),
                                                 PaperImage->width() - DocImage->width()))
        DocImage->move(*left, DocImage->y());
}

void TPrintForm::ZoomScrollScroll() {
    sizeFactor_ = core::print::SizeFactorOf(ZoomScroll->value());
    ResizeImage();
    zoomApplying_ = true;
    AllSpecs(); // re-centres, and clears zoomApplying_
    ZoomLabel->setText(Text(core::print::ZoomLabel(ZoomScroll->value())));
}

void TPrintForm::XScrollChange() {
    if (!zoomApplying_) UpdateDocPosition();
}

void TPrintForm::YScrollScroll() {
    UpdateXYscroll();
}

void TPrintForm::YScrollMouseDown() {
    UpdateXYscroll();
    UpdateDocPosition();
}

void TPrintForm::MeasureBoxChange() {
    measureUnit_ = static_cast<core::print::MeasureUnit>(MeasureBox->currentIndex());
    UpdateDocPosition();
}

void TPrintForm::BtnResetClick() {
    ResizeImage();
    AllSpecs();
}

void TPrintForm::BtnSetupClick() {
    // Printer, paper or orientation may have changed.
    if (!prompter_.PrinterSetup(printer_, this)) return;
    ResizePaper();
    ResizeImage();
    AllSpecs();
}

void TPrintForm::BtnHelpClick() {
    if (help_) help_(130);
}

PrintPlacement TPrintForm::placement() const {
    return {XScroll->value(), YScroll->value(), docWidth_, docHeight_};
}

core::print::LayoutReport TPrintForm::report() const {
    core::print::LayoutReport r;
    r.docWidth = docWidth_;
    r.docHeight = docHeight_;
    r.x = XScroll->value();
    r.y = YScroll->value();
    r.xScroll = {XScroll->value(), XScroll->maximum(), XScroll->pageStep()};
    r.yScroll = {YScroll->value(), YScroll->maximum(), YScroll->pageStep()};
    r.panelSettings = PanelSettings->text().toStdString();
    r.labelDocW = LabelDocW->text().toStdString();
    r.labelDocH = LabelDocH->text().toStdString();
    r.labelXPos = LabelXPos->text().toStdString();
    r.labelYpos = LabelYpos->text().toStdString();
    r.zoomLabel = ZoomLabel->text().toStdString();
    return r;
}

} // namespace gui
