#include "gui/app/web_form.h"

#include "core/common/paths.h"
#include "gui/app/help_window.h"
#include "gui/app/qt_prompter.h"
#include "gui/app/settings_store.h"
#include "gui/app/status_panels.h"
#include "gui/app/tool_images.h"
#include "gui/view/tpix.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <exception>

namespace gui {

namespace {

const char* const kProgramCaption = "VISTREL 3.6.23";

struct ToolDef {
    const char* name;
    const char* caption;
    const char* hint;
    const char* image;
    bool checkable;
    bool separatorBefore;
};

// Left to right; the one-pixel separator comes first.
constexpr ToolDef kTools[] = {
    {"btnPrevImage", "Back", "Previous bookmark", "back", false, false},
    {"btnNextImage", "Next", "Next bookmark", "next", false, false},
    {"btnExplore", "Open", "Explore", "open", false, true},
    {"btnFullScreen", "Screen", "Full screen", "screen", true, true},
    {"btnAdjust", "Adjust", "Adjust window", "adjust", false, false},
    {"btnFitWindow", "Fit", "Fit to window", "fit", true, false},
    {"btnZoomDn", "Zoom -", "Zoom out", "zoomout", false, true},
    {"btnZoomUp", "Zoom +", "Zoom In", "zoomin", false, false},
    {"btnHand", "Scroll", "Hand tool", "scroll", true, true},
    {"btnSelect", "Select", "Selection mask", "select", true, false},
    {"btnPage", "Page", "Next page", "page", false, true},
};

} // namespace

TWebForm::TWebForm(const StartOptions& options, QWidget* parent)
    : QMainWindow(parent), options_(options), prompter_(options.prompter) {
    if (!prompter_) prompter_ = std::make_shared<QtPrompter>();
    prompter_->setWindow(this);
    setObjectName("WebForm");
    setWindowTitle(kProgramCaption);
    setAcceptDrops(false); // dropped files are accepted from the first activation on

    screenBits_ = options.screenBits > 0 ? options.screenBits : (screen() ? screen()->depth() : 24);
    if (options.readSettings) {
        const StoredSettings stored = ReadSettings();
        settings_ = stored.record;
        openDir_ = stored.openDir;
        saveDir_ = stored.saveDir;
    }

    BuildMenus();
    BuildPanels();
    BuildToolbar();
    WireCommands();
    WireEditCommands();
    ApplySettings();
    BuildHistory();

    // The command line: all arguments joined with blanks name one file.
    doc_.PreviousFile.assign(1, '*'); // "*": started without a file
    if (!options.files.isEmpty()) {
        const QString joined = options.files.join(' ');
        bool allExist = options.files.size() > 1;
        for (const QString& f : options.files)
            allExist = allExist && QFileInfo(f).isFile();
        if (!QFileInfo::exists(joined) && allExist) {
            std::vector<std::string> names;
            for (const QString& f : options.files)
                names.push_back(f.toStdString());
            bookmarks_.AddSeveral(names);
            doc_.CurrentFile = options.files.first().toStdString();
        } else {
            doc_.CurrentFile = joined.toStdString();
        }
        doc_.PreviousFile = doc_.CurrentFile;
        doc_.CurrentExt = core::UpperExtension(doc_.CurrentFile);
        pendingOpen_ = true;
    }
    resize(640, 480);
}

TWebForm::~TWebForm() {
    CancelDecode();
}

void TWebForm::BuildMenus() {
    mainMenu_ = new QMenu(this);
    mainMenu_->setObjectName("MainMenu");
    menuBar()->setObjectName("TopMenu");
    menus_.Build(menuBar(), mainMenu_, this);
    // Opening a menu of the bar recomputes the states that depend on the picture.
    for (QMenu* m : menus_.topMenus()) {
        if (m->objectName() == "mnuHelp1") continue;
        connect(m, &QMenu::aboutToShow, this,
                [this] { Guard([this] { MainMenuPopup(PopupPlace::None); }); });
    }
    if (QMenu* image = menus_.barMenu("mnuImage1"))
        connect(image, &QMenu::aboutToShow, this, [this] { Guard([this] { mnuImage1Click(); }); });
}

void TWebForm::BuildPanels() {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    panelTool_ = new QFrame(central);
    panelTool_->setObjectName("PanelTool");
    auto* toolLayout = new QHBoxLayout(panelTool_);
    toolLayout->setContentsMargins(0, 0, 0, 0);
    toolbar1_ = new QToolBar(panelTool_);
    toolbar1_->setObjectName("Toolbar1");
    toolbar1_->setIconSize(QSize(16, 16));
    toolLayout->addWidget(toolbar1_);
    layout->addWidget(panelTool_);

    panelHistory_ = new QFrame(central);
    panelHistory_->setObjectName("PanelHistory");
    panelHistory_->setFrameShape(QFrame::StyledPanel);
    panelHistory_->setFixedHeight(25);
    btnOpen_ = new QPushButton("&Open", panelHistory_);
    btnOpen_->setObjectName("btnOpen");
    btnOpen_->setGeometry(4, 2, 48, 21);
    btnOpen_->setFlat(true);
    btnOpen_->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(panelHistory_);

    scrollBox_ = new QScrollArea(central);
    scrollBox_->setObjectName("ScrollBox");
    scrollBox_->setFrameShape(QFrame::NoFrame);
    scrollBox_->setWidgetResizable(false);
    scrollBox_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    dur95_ = new TPix;
    dur95_->setObjectName("Dur95");
    dur95_->resize(128, 128);
    dur95_->SetStretch(true);
    scrollBox_->setWidget(dur95_);
    // The scroll box is placed by LayoutScrollBox below the panels, not by the layout.
    layout->addStretch(1);
    setCentralWidget(central);

    auto* bar = new QStatusBar(this);
    bar->setObjectName("StatusBar");
    bar->setSizeGripEnabled(false);
    panels_ = new StatusPanels(bar);
    bar->addWidget(panels_, 1);
    setStatusBar(bar);
    panels_->SetText(1, "100%");
}

void TWebForm::BuildToolbar() {
    auto* first = new QWidget(toolbar1_);
    first->setFixedWidth(1);
    toolbar1_->addWidget(first);
    for (const ToolDef& t : kTools) {
        if (t.separatorBefore) toolbar1_->addSeparator();
        auto* b = new QToolButton(toolbar1_);
        b->setObjectName(t.name);
        b->setText(t.caption);
        b->setToolTip(t.hint);
        b->setIcon(ToolIcon(t.image));
        b->setCheckable(t.checkable);
        b->setAutoRaise(true);
        b->setMinimumWidth(24);
        // Captions under the images follow the bar's style (the Win98 style).
        connect(toolbar1_, &QToolBar::toolButtonStyleChanged, b, &QToolButton::setToolButtonStyle);
        toolbar1_->addWidget(b);
    }
    toolButton("btnHand")->setChecked(true);
    for (const char* n : {"btnPrevImage", "btnNextImage", "btnFullScreen", "btnAdjust",
                          "btnFitWindow", "btnZoomDn", "btnZoomUp", "btnSelect", "btnPage"})
        toolButton(n)->setEnabled(false);
}

QToolButton* TWebForm::toolButton(const QString& name) const {
    return toolbar1_->findChild<QToolButton*>(name);
}

void TWebForm::WireCommands() {
    auto on = [this](const char* name, std::function<void()> handler) {
        if (QAction* a = menus_.action(name))
            connect(a, &QAction::triggered, this, [this, handler] { Guard(handler); });
    };
    on("mnuOpen", [this] { BtnOpenClick(OpenSender::User); });
    on("mnuReload", [this] { mnuReloadClick(); });
    on("mnuSave", [this] { mnuSaveClick(); });
    on("mnuCompress", [this] { mnuCompress1Click(); });
    on("mnuExit", [this] { mnuExitClick(); });
    on("mnuHelpIndex", [this] { mnuHelpContextClick(0); });
    on("mnuHelpSlideshows", [this] { mnuHelpContextClick(300); });
    on("mnuFitWindow", [this] { mnuFitWindowClick(); });
    on("mnuMirrorVert", [this] { mnuMirrorVertClick(true); });
    on("mnuMirrorHorz", [this] { mnuMirrorVertClick(false); });
    on("mnuRotate", [this] { mnuRotateClick(); });
    on("mnuResize", [this] { mnuResizeClick(); });
    on("mnuResample", [this] { mnuResample1Click(); });
    on("mnuGray", [this] { ImageReduce(0); });
    on("mnuPromote24", [this] { ImagePromote(24); });
    on("mnuPromote8", [this] { ImagePromote(8); });
    on("mnuPromote4", [this] { ImagePromote(4); });
    on("mnu8bpp", [this] { ImageReduce(8); });
    on("mnu4bpp", [this] { ImageReduce(4); });
    on("mnu1bpp", [this] { ImageReduce(1); });
    on("mnuOptimizeWindow", [this] { mnuOptimizeWindowClick(); });
    on("mnuNextImage", [this] { btnNextImageClick(); });
    on("mnuPrevImage", [this] { btnPrevImageClick(); });
    on("mnuFirstImage", [this] { mnuFirstImageClick(false); });
    on("mnuLastImage", [this] { mnuFirstImageClick(true); });
    // Viewing: magnification, fitting, full screen, layouts, tools.
    on("mnuToolbar", [this] { mnuToolbarClick(); });
    on("mnuStatusbar", [this] { mnuStatusbarClick(); });
    on("mnuMenubar", [this] { mnuMenubarClick(); });
    on("mnuWin98style", [this] { mnuWin98styleClick(); });
    on("mnuHand", [this] { mnuHandClick(); });
    on("mnuSelect", [this] { mnuSelectClick(); });
    on("mnuZoom", [this] { mnuZoomClick(); });
    on("mnuFullscrn", [this] { mnuFullScrnClick(); });
    on("mnuStandard", [this] { mnuStandard1Click(); });
    on("mnuCompact", [this] { mnuCompact1Click(); });
    on("mnuMinimal", [this] { mnuMinimal1Click(); });
    for (const char* n : {"mnuFitWinTo1x", "mnuFitWinTo2x", "mnuFitWinTo3x", "mnuFitWinTo4x"})
        on(n, [this, n] { mnuFitWinToClick(menus_.action(n)->data().toInt()); });
    connect(dur95_, &TPix::mousePressed, this,
            [this](QMouseEvent* e) { Guard([&] { Dur95MouseDown(e); }); });
    connect(dur95_, &TPix::mouseMoved, this,
            [this](QMouseEvent* e) { Guard([&] { Dur95MouseMove(e); }); });
    connect(dur95_, &TPix::mouseReleased, this,
            [this](QMouseEvent* e) { Guard([&] { Dur95MouseUp(e); }); });

    auto click = [this](const char* button, std::function<void()> handler) {
        connect(toolButton(button), &QToolButton::clicked, this,
                [this, handler] { Guard(handler); });
    };
    click("btnExplore", [this] { BtnOpenClick(OpenSender::User); });
    click("btnPrevImage", [this] { btnPrevImageClick(); });
    click("btnNextImage", [this] { btnNextImageClick(); });
    click("btnFitWindow", [this] { mnuFitWindowClick(); });
    click("btnAdjust", [this] { mnuOptimizeWindowClick(); });
    click("btnZoomUp", [this] { btnZoomUpClick(); });
    click("btnZoomDn", [this] { btnZoomDnClick(); });
    click("btnHand", [this] { mnuHandClick(); });
    click("btnSelect", [this] { mnuSelectClick(); });
    click("btnFullScreen", [this] { mnuFullScrnClick(); });
    connect(btnOpen_, &QPushButton::clicked, this,
            [this] { Guard([this] { BtnOpenClick(OpenSender::User); }); });
}

void TWebForm::ApplySettings() {
    // Clamping and reserved bytes are the record's own business.
    zoomPercent_ = 100;
    QPalette pal = scrollBox_->palette();
    QColor background = palette().color(QPalette::Base);
    if (settings_.Background != core::kSystemWindowColour) {
        const std::uint32_t c = settings_.Background;
        background = QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
    }
    pal.setColor(QPalette::Window, background);
    pal.setColor(QPalette::Base, background);
    scrollBox_->setPalette(pal);
    scrollBox_->viewport()->setPalette(pal);
    scrollBox_->viewport()->setAutoFillBackground(true);
    dur95_->setPalette(pal);

    menuBar()->setVisible(settings_.ShowMenus != 0);
    menus_.SetChecked("mnuMenubar", settings_.ShowMenus != 0);
    panelTool_->setVisible(settings_.ShowToolbar != 0);
    panelHistory_->setVisible(settings_.ShowToolbar && settings_.Win98Style);
    menus_.SetChecked("mnuToolbar", settings_.ShowToolbar != 0);
    menus_.SetEnabled("mnuWin98style", settings_.ShowToolbar != 0);
    statusBar()->setVisible(settings_.ShowStatusbar != 0);
    menus_.SetChecked("mnuStatusbar", settings_.ShowStatusbar != 0);
    menus_.SetChecked("mnuWin98style", settings_.Win98Style != 0);
    menus_.SetChecked("mnuFitWindow", settings_.FitToWindow != 0);
    toolButton("btnFitWindow")->setChecked(settings_.FitToWindow != 0);
    // Captions under the images only in the Win98 style.
    toolbar1_->setToolButtonStyle(settings_.Win98Style ? Qt::ToolButtonTextUnderIcon
                                                       : Qt::ToolButtonIconOnly);
    dur95_->SetFastPaint(screenBits_ > 8);
    MainMenuPopup(PopupPlace::None);
}

void TWebForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!firstActivationDone_) {
        firstActivationDone_ = true;
        QTimer::singleShot(0, this, [this] { Guard([this] { FirstActivation(); }); });
    }
}

void TWebForm::FirstActivation() {
    frameWidth_ = frameGeometry().width() - width();
    nonClientHeight_ = frameGeometry().height() - height();
    scrollThumbSize_ = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    StatusReady();
    setAcceptDrops(true);
    if (pendingOpen_) {
        pendingOpen_ = false;
        if (settings_.FitToWindow) RestoreWindowRect();
        firstLayout_ = true;
        docBeforeOpen_ = doc_;
        BtnOpenEx(OpenSender::Application);
    }
    firstActivationRan_ = true;
}

void TWebForm::Guard(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        ReportUnexpected(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ReportUnexpected("Unknown error.");
    }
}

void TWebForm::ReportUnexpected(const QString& what) {
    // The window stays open with its picture and unsaved changes.
    QApplication::restoreOverrideCursor();
    const QString text = QString("Unexpected exception.  Please report following\n") +
                         "error and what you were doing before this error." + "\n" + what;
    reportShown_ = true;
    ShowMessage(text, false);
    if (!decoding_) StatusReady();
}

void TWebForm::ShowMessage(const QString& text, bool warning) {
    prompter_->Message(
        {warning ? BoxType::Warning : BoxType::Critical, "Vistrel", text, kBtnOk, kBtnOk});
}

bool TWebForm::ConfirmUnsaved() {
    const bool yes =
        prompter_->Message({BoxType::Question, "Confirm", "You have unsaved changes. Continue?",
                            kBtnYes | kBtnNo, kBtnYes}) == kBtnYes;
    if (yes) pictureChanged_ = false;
    return yes;
}

void TWebForm::closeEvent(QCloseEvent* event) {
    bool ok = true;
    Guard([&] {
        if (pictureChanged_ && !ConfirmUnsaved()) {
            ok = false;
            return;
        }
        CancelDecode();
        pipeline_.CloseLibraryImage();
        dur95_->SetPaintLock(true);
        if (!closing_) WriteSettingsAtClose();
        closing_ = true;
    });
    if (!ok) {
        event->ignore();
        show();
        return;
    }
    if (help_) help_->close();
    event->accept();
}

void TWebForm::WriteSettingsAtClose() {
    if (!options_.readSettings) return;
    const QRect g = isMaximized() || isFullScreen() ? normalGeometry() : geometry();
    int left = g.left(), top = g.top();
    // A position on no screen is taken as its absolute value.
    if (!QGuiApplication::screenAt(g.center())) {
        left = std::abs(left);
        top = std::abs(top);
    }
    settings_.SavedWindowRect[0] = left;
    settings_.SavedWindowRect[1] = top;
    settings_.SavedWindowRect[2] = left + g.width();
    settings_.SavedWindowRect[3] = top + g.height();
    settings_.Win98Style = menus_.action("mnuWin98style")->isChecked() ? 1 : 0;
    settings_.ComctlLevel = 3;
    WriteSettings(settings_, openDir_, saveDir_);
    StoreWizardSettings();
}

void TWebForm::mnuExitClick() {
    if (fullScreen_) mnuFullScrnClick(); // the normal window's place is what is kept
    close();
}

void TWebForm::mnuHelpContextClick(int context) {
    if (!help_) help_ = new HelpWindow(this);
    help_->ShowContext(context);
}

void TWebForm::keyPressEvent(QKeyEvent* event) {
    bool handled = true;
    Guard([&] {
        const bool keypad = event->modifiers() & Qt::KeypadModifier;
        const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
        QWidget* focus = QApplication::focusWidget();
        auto* history = findChild<QComboBox*>("History");
        const bool historyFocused =
            history && focus && (focus == history || history->isAncestorOf(focus));
        if (event->key() == Qt::Key_F1) {
            mnuHelpContextClick(0);
        } else if (event->key() == Qt::Key_W && mods == Qt::ControlModifier) {
            mnuFullScrnClick();
        } else if (event->key() == Qt::Key_Escape && historyFocused) {
            history->setEditText(QString::fromStdString(doc_.CurrentFile));
        } else if (event->key() == Qt::Key_Escape && showRunning_) {
            stopRequested_ = true;
        } else if (event->key() == Qt::Key_Escape && fullScreen_) {
            mnuFullScrnClick();
        } else if (keypad && event->key() == Qt::Key_Plus && !settings_.FitToWindow) {
            btnZoomUpClick();
        } else if (keypad && event->key() == Qt::Key_Minus && !settings_.FitToWindow) {
            btnZoomDnClick();
        } else {
            handled = false;
        }
    });
    if (!handled) QMainWindow::keyPressEvent(event);
}

void TWebForm::contextMenuEvent(QContextMenuEvent* event) {
    PopupPlace place = PopupPlace::Picture;
    QWidget* w = childAt(mapFromGlobal(event->globalPos()));
    for (QWidget* p = w; p; p = p->parentWidget()) {
        if (p == panelTool_) place = PopupPlace::Toolbar;
        if (p == statusBar()) place = PopupPlace::StatusBar;
    }
    Guard([&] { MainMenuPopup(place); });
    mainMenu_->popup(event->globalPos());
}

void TWebForm::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TWebForm::dropEvent(QDropEvent* event) {
    QStringList names;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) names.append(url.toLocalFile());
    if (names.isEmpty()) return;
    event->acceptProposedAction();
    // Run after the drop returns, so a question box does not block the source.
    QTimer::singleShot(0, this, [this, names] { Guard([this, names] { DropFiles(names); }); });
}

} // namespace gui
