#include "gui/app/web_form.h"
#include "gui/app/event_pump.h"

#include "core/common/paths.h"
#include "core/editing/effect_modes.h"
#include "gui/app/help_window.h"
#include "gui/app/qt_prompter.h"
#include "gui/app/settings_store.h"
#include "gui/app/status_panels.h"
#include "gui/app/tool_images.h"
#include "gui/app/window_status.h"
#include "gui/bookmarks/bookmark_commands.h"
#include "gui/dialogs/combo_box_ex.h"
#include "gui/editing/edit_commands.h"
#include "gui/editing/transform_commands.h"
#include "gui/input/open_commands.h"
#include "gui/input/page_commands.h"
#include "gui/input/scan_commands.h"
#include "gui/media/media_commands.h"
#include "gui/options/options_commands.h"
#include "gui/output/save_commands.h"
#include "gui/print/print_commands.h"
#include "gui/slideshow/slideshow_commands.h"
#include "gui/view/picture_mouse.h"
#include "gui/view/tpix.h"
#include "gui/view/view_geometry.h"
#include "gui/view/window_layouts.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
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
    : QMainWindow(parent),
      prompter_(options.prompter ? options.prompter : std::make_shared<QtPrompter>()),
      ctx_(*this, *prompter_) {
    prompter_->setWindow(this);
    setObjectName("WebForm");
    setWindowTitle(kProgramCaption);
    setAcceptDrops(false); // dropped files are accepted from the first activation on

    status_ = std::make_unique<WindowStatus>(ctx_);
    input_ = std::make_unique<OpenCommands>(ctx_);
    view_ = std::make_unique<ViewGeometry>(ctx_);
    layouts_ = std::make_unique<WindowLayouts>(ctx_);
    mouse_ = std::make_unique<PictureMouse>(ctx_);
    bookmarkCommands_ = std::make_unique<BookmarkCommands>(ctx_);
    editing_ = std::make_unique<EditCommands>(ctx_);
    transforms_ = std::make_unique<TransformCommands>(ctx_);
    output_ = std::make_unique<SaveCommands>(ctx_);
    slideshow_ = std::make_unique<SlideshowCommands>(ctx_);
    pages_ = std::make_unique<PageCommands>(ctx_);
    scan_ = std::make_unique<ScanCommands>(ctx_);
    scan_->setDevice(options.scanDevice);
    printing_ = std::make_unique<PrintCommands>(ctx_);
    options_ = std::make_unique<OptionsCommands>(ctx_);
    media_ = std::make_unique<MediaCommands>(ctx_);
    ctx_.media = media_.get();
    options_->playerSettingsChanged = [this](const PlayerUpdate& u) { media_->ApplyPlayerUpdate(u); };
    ctx_.status = status_.get();
    ctx_.input = input_.get();
    ctx_.view = view_.get();
    ctx_.layouts = layouts_.get();
    ctx_.mouse = mouse_.get();
    ctx_.bookmarkCommands = bookmarkCommands_.get();
    ctx_.editing = editing_.get();
    ctx_.transforms = transforms_.get();
    ctx_.output = output_.get();
    ctx_.slideshow = slideshow_.get();
    ctx_.pages = pages_.get();
    ctx_.printing = printing_.get();
    ctx_.options = options_.get();

    ctx_.readSettings = options.readSettings;
    ctx_.screenBits =
        options.screenBits > 0 ? options.screenBits : (screen() ? screen()->depth() : 24);
    if (options.pcdStep >= 0) ctx_.photoCdStep = options.pcdStep;
    if (options.readSettings) {
        const StoredSettings stored = ReadSettings();
        ctx_.settings = stored.record;
        ctx_.openDir = stored.openDir;
        ctx_.saveDir = stored.saveDir;
    }

    BuildMenus();
    BuildPanels();
    BuildToolbar();
    WireCommands();
    ApplySettings();
    BuildHistory();
    TakeCommandLine(options.files);
    resize(640, 480);
}

TWebForm::~TWebForm() {
    input_->CancelDecode();
    pages_->CancelDecode();
    scan_->Cancel();
    media_->Close();
    // The widgets outlive the subsystems: what they signal on the way out reaches no handler.
    ctx_.panelHistory->removeEventFilter(panelFilter_);
    ctx_.toolbar1->removeEventFilter(toolbarFilter_);
    ctx_.history->setKeyPressHandler({});
    QApplication::clipboard()->disconnect(this);
    for (QObject* o : findChildren<QObject*>())
        o->disconnect(this);
}

void TWebForm::TakeCommandLine(const QStringList& files) {
    // The command line: all arguments joined with blanks name one file.
    core::DocumentState& doc = ctx_.doc;
    doc.PreviousFile.assign(1, '*'); // "*": started without a file
    if (files.isEmpty()) return;
    // Names as typed, made absolute against the current folder; their case stays.
    const auto absolute = [](const QString& name) {
        return name.isEmpty() ? name : QDir::cleanPath(QDir::current().absoluteFilePath(name));
    };
    const QString joined = files.join(' ');
    bool allExist = files.size() > 1;
    for (const QString& f : files)
        allExist = allExist && QFileInfo(f).isFile();
    if (!QFileInfo::exists(joined) && allExist) {
        std::vector<std::string> names;
        for (const QString& f : files)
            names.push_back(absolute(f).toStdString());
        ctx_.bookmarks.AddSeveral(names);
        doc.CurrentFile = absolute(files.first()).toStdString();
    } else {
        doc.CurrentFile = absolute(joined).toStdString();
    }
    doc.PreviousFile = doc.CurrentFile;
    doc.CurrentExt = core::UpperExtension(doc.CurrentFile);
    pendingOpen_ = true;
}

void TWebForm::BuildMenus() {
    ctx_.mainMenu = new QMenu(this);
    ctx_.mainMenu->setObjectName("MainMenu");
    menuBar()->setObjectName("TopMenu");
    ctx_.menus.Build(menuBar(), ctx_.mainMenu, this);
    // Opening a menu of the bar recomputes the states that depend on the picture.
    for (QMenu* m : ctx_.menus.topMenus()) {
        if (m->objectName() == "mnuHelp1") continue;
        connect(m, &QMenu::aboutToShow, this,
                [this] { Guard([this] { status_->MainMenuPopup(PopupPlace::None); }); });
    }
}

void TWebForm::BuildPanels() {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    ctx_.panelTool = new QFrame(central);
    ctx_.panelTool->setObjectName("PanelTool");
    auto* toolLayout = new QHBoxLayout(ctx_.panelTool);
    toolLayout->setContentsMargins(0, 0, 0, 0);
    ctx_.toolbar1 = new QToolBar(ctx_.panelTool);
    ctx_.toolbar1->setObjectName("Toolbar1");
    ctx_.toolbar1->setIconSize(QSize(16, 16));
    toolLayout->addWidget(ctx_.toolbar1);
    layout->addWidget(ctx_.panelTool);

    ctx_.panelHistory = new QFrame(central);
    ctx_.panelHistory->setObjectName("PanelHistory");
    ctx_.panelHistory->setFrameShape(QFrame::StyledPanel);
    ctx_.panelHistory->setFixedHeight(25);
    ctx_.btnOpen = new QPushButton("&Open", ctx_.panelHistory);
    ctx_.btnOpen->setObjectName("btnOpen");
    ctx_.btnOpen->setGeometry(4, 2, 48, 21);
    ctx_.btnOpen->setFlat(true);
    ctx_.btnOpen->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(ctx_.panelHistory);

    ctx_.scrollBox = new QScrollArea(central);
    ctx_.scrollBox->setObjectName("ScrollBox");
    ctx_.scrollBox->setFrameShape(QFrame::NoFrame);
    ctx_.scrollBox->setWidgetResizable(false);
    ctx_.scrollBox->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ctx_.dur95 = new TPix;
    ctx_.dur95->setObjectName("Dur95");
    ctx_.dur95->resize(128, 128);
    ctx_.dur95->SetStretch(true);
    ctx_.scrollBox->setWidget(ctx_.dur95);
    // The scroll box is placed by LayoutScrollBox below the panels, not by the layout.
    layout->addStretch(1);
    setCentralWidget(central);

    auto* bar = new QStatusBar(this);
    bar->setObjectName("StatusBar");
    bar->setSizeGripEnabled(false);
    ctx_.panels = new StatusPanels(bar);
    bar->addWidget(ctx_.panels, 1);
    setStatusBar(bar);
    ctx_.panels->SetText(1, "100%");
}

void TWebForm::BuildToolbar() {
    auto* first = new QWidget(ctx_.toolbar1);
    first->setFixedWidth(1);
    ctx_.toolbar1->addWidget(first);
    for (const ToolDef& t : kTools) {
        if (t.separatorBefore) ctx_.toolbar1->addSeparator();
        auto* b = new QToolButton(ctx_.toolbar1);
        b->setObjectName(t.name);
        b->setText(t.caption);
        b->setToolTip(t.hint);
        b->setIcon(ToolIcon(t.image));
        b->setCheckable(t.checkable);
        b->setAutoRaise(true);
        b->setMinimumWidth(24);
        // Captions under the images follow the bar's style (the Win98 style).
        connect(ctx_.toolbar1, &QToolBar::toolButtonStyleChanged, b,
                &QToolButton::setToolButtonStyle);
        ctx_.toolbar1->addWidget(b);
    }
    toolButton("btnHand")->setChecked(true);
    for (const char* n : {"btnPrevImage", "btnNextImage", "btnFullScreen", "btnAdjust",
                          "btnFitWindow", "btnZoomDn", "btnZoomUp", "btnSelect", "btnPage"})
        toolButton(n)->setEnabled(false);
}

void TWebForm::BuildHistory() {
    ctx_.history = new TComboBoxEx(ctx_.panelHistory);
    ctx_.history->setObjectName("History");
    WireHistory();
    bookmarkCommands_->PlaceHistory();
}

void TWebForm::ApplySettings() {
    // Clamping and reserved bytes are the record's own business.
    const core::SettingsRecord& s = ctx_.settings;
    ctx_.zoomPercent = 100;
    ctx_.PaintPictureArea();
    ctx_.scrollBox->viewport()->setAutoFillBackground(true);

    MenuSet& menus = ctx_.menus;
    menuBar()->setVisible(s.ShowMenus != 0);
    menus.SetChecked("mnuMenubar", s.ShowMenus != 0);
    ctx_.panelTool->setVisible(s.ShowToolbar != 0);
    ctx_.panelHistory->setVisible(s.ShowToolbar && s.Win98Style);
    menus.SetChecked("mnuToolbar", s.ShowToolbar != 0);
    menus.SetEnabled("mnuWin98style", s.ShowToolbar != 0);
    statusBar()->setVisible(s.ShowStatusbar != 0);
    menus.SetChecked("mnuStatusbar", s.ShowStatusbar != 0);
    menus.SetChecked("mnuWin98style", s.Win98Style != 0);
    menus.SetChecked("mnuFitWindow", s.FitToWindow != 0);
    toolButton("btnFitWindow")->setChecked(s.FitToWindow != 0);
    // Captions under the images only in the Win98 style.
    ctx_.toolbar1->setToolButtonStyle(s.Win98Style ? Qt::ToolButtonTextUnderIcon
                                                   : Qt::ToolButtonIconOnly);
    ctx_.dur95->SetFastPaint(ctx_.screenBits > 8);
    status_->MainMenuPopup(PopupPlace::None);
}

void TWebForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!ctx_.activationDone) {
        ctx_.activationDone = true;
        QTimer::singleShot(0, this, [this] { Guard([this] { FirstActivation(); }); });
    }
}

void TWebForm::FirstActivation() {
    view_->MeasureFrame();
    status_->StatusReady();
    setAcceptDrops(true);
    if (pendingOpen_) {
        pendingOpen_ = false;
        if (ctx_.settings.FitToWindow) view_->RestoreWindowRect();
        input_->setFirstLayout(true);
        input_->KeepDocument();
        input_->BtnOpenEx(OpenSender::Application);
    }
    firstActivationRan_ = true;
}

bool TWebForm::WaitFirstOpen(int timeoutMs) {
    PumpEventsWhile([this] { return !firstActivationRan_; }, 10000);
    return WaitIdle(timeoutMs);
}

bool TWebForm::WaitIdle(int timeoutMs) {
    return input_->WaitIdle(timeoutMs) && pages_->WaitIdle(timeoutMs) && scan_->WaitIdle(timeoutMs);
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
    ctx_.ShowMessage(text, false);
    if (!input_->busy()) status_->StatusReady();
}

void TWebForm::closeEvent(QCloseEvent* event) {
    // A close request during a show only stops the show.
    if (slideshow_ && slideshow_->running()) {
        slideshow_->RequestStop();
        event->ignore();
        return;
    }
    bool ok = true;
    Guard([&] {
        if (ctx_.pictureChanged && !ctx_.ConfirmUnsaved()) {
            ok = false;
            return;
        }
        input_->CancelDecode();
        media_->Close();
        input_->pipeline().CloseLibraryImage();
        ctx_.dur95->SetPaintLock(true);
        if (!ctx_.closing) WriteSettingsAtClose();
        ctx_.closing = true;
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
    if (!ctx_.readSettings) return;
    core::SettingsRecord& s = ctx_.settings;
    const QRect g = isMaximized() || isFullScreen() ? normalGeometry() : geometry();
    int left = g.left(), top = g.top();
    // A position on no screen is taken as its absolute value.
    if (!QGuiApplication::screenAt(g.center())) {
        left = std::abs(left);
        top = std::abs(top);
    }
    s.SavedWindowRect[0] = left;
    s.SavedWindowRect[1] = top;
    s.SavedWindowRect[2] = left + g.width();
    s.SavedWindowRect[3] = top + g.height();
    s.Win98Style = ctx_.menus.action("mnuWin98style")->isChecked() ? 1 : 0;
    s.ComctlLevel = 3;
    WriteSettings(s, ctx_.openDir, ctx_.saveDir);
    output_->StoreWizardSettings();
}

void TWebForm::mnuExitClick() {
    if (layouts_->fullScreen()) layouts_->mnuFullScrnClick(); // the normal window's place is kept
    close();
}

void TWebForm::mnuHelpContextClick(int context) {
    if (!help_) help_ = new HelpWindow(this);
    help_->ShowContext(context);
}

void TWebForm::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    view_->WindowMoved();
}

void TWebForm::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    view_->WindowResized();
}

void TWebForm::mouseReleaseEvent(QMouseEvent* event) {
    mouse_->SlideSignals(event->button());
    QMainWindow::mouseReleaseEvent(event);
}

void TWebForm::keyPressEvent(QKeyEvent* event) {
    bool handled = true;
    Guard([&] {
        const bool keypad = event->modifiers() & Qt::KeypadModifier;
        const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
        QWidget* focus = QApplication::focusWidget();
        QComboBox* history = ctx_.history;
        const bool historyFocused =
            history && focus && (focus == history || history->isAncestorOf(focus));
        const bool fit = ctx_.settings.FitToWindow != 0;
        if (event->key() == Qt::Key_F1) {
            mnuHelpContextClick(0);
        } else if (event->key() == Qt::Key_W && mods == Qt::ControlModifier) {
            layouts_->mnuFullScrnClick();
        } else if (event->key() == Qt::Key_Escape && historyFocused) {
            history->setEditText(QString::fromStdString(ctx_.doc.CurrentFile));
        } else if (event->key() == Qt::Key_Escape && mouse_->ShowRunning()) {
            mouse_->RequestStop();
        } else if (event->key() == Qt::Key_Escape && layouts_->fullScreen()) {
            layouts_->mnuFullScrnClick();
        } else if (keypad && event->key() == Qt::Key_Plus && !fit) {
            view_->btnZoomUpClick();
        } else if (keypad && event->key() == Qt::Key_Minus && !fit) {
            view_->btnZoomDnClick();
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
        if (p == ctx_.panelTool) place = PopupPlace::Toolbar;
        if (p == statusBar()) place = PopupPlace::StatusBar;
    }
    Guard([&] { status_->MainMenuPopup(place); });
    ctx_.mainMenu->popup(event->globalPos());
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
    QTimer::singleShot(0, this,
                       [this, names] { Guard([this, names] { input_->DropFiles(names); }); });
}

} // namespace gui
