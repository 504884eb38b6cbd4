// Full screen and the window's layouts: the bar toggles, the two tool-bar
// styles and the three layouts that set the bars in one step.
#include "gui/app/web_form.h"

#include "core/view/geometry.h"
#include "gui/app/status_panels.h"
#include "gui/view/tpix.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

namespace gui {

void TWebForm::mnuFullScrnClick() {
    if (!menus_.IsEnabled("mnuFullscrn")) return;
    mnuHandClick();
    EnsureStretch();
    dur95_->unsetCursor();
    handScrollable_ = false;
    const bool leaving = fullScreen_;
    for (const char* n : {"mnuStandard", "mnuCompact", "mnuMinimal"})
        menus_.SetEnabled(n, leaving);

    // The resize events of the switch do no layout until it is complete.
    fullScreenSwitching_ = true;
    dur95_->SetPaintLock(true);
    ResetSkyScrollPos();
    if (leaving) {
        if (settings_.MaxFullScreen) {
            if (settings_.ShowMenus) {
                for (int i = int(menus_.topMenus().size()) - 1; i >= 0; --i)
                    menus_.topMenus()[i]->menuAction()->setVisible(true);
                menuBar()->setVisible(true);
            }
            if (settings_.ShowToolbar) {
                panelTool_->setVisible(true);
                panelHistory_->setVisible(settings_.Win98Style != 0);
            }
        }
        if (settings_.ShowStatusbar) statusBar()->setVisible(true);
        menus_.SetEnabled("mnuFitWinTo", true);
        menus_.SetEnabled("mnuOptimizeWindow", true);
        menus_.action("mnuFullscrn")->setText("&Full screen");
        fullScreen_ = false;
        showNormal();
        const QRect r = SavedWindowRect();
        resize(std::max(1, r.width() - frameWidth_), std::max(1, r.height() - nonClientHeight_));
        MoveFrameTo(r.topLeft());
    } else {
        // A corner on no screen (pushed a little off the desktop) comes back
        // by its absolute values; corners on a screen at negative coordinates stay.
        const QRect f = frameGeometry();
        const core::ViewRect saved =
            core::FullScreenSavedRect({f.x(), f.y(), f.width(), f.height()},
                                      QGuiApplication::screenAt(f.topLeft()) != nullptr);
        settings_.SavedWindowRect[0] = saved.left;
        settings_.SavedWindowRect[1] = saved.top;
        settings_.SavedWindowRect[2] = saved.right();
        settings_.SavedWindowRect[3] = saved.bottom();
        if (settings_.MaxFullScreen) {
            if (settings_.ShowMenus) {
                for (int i = int(menus_.topMenus().size()) - 1; i >= 0; --i)
                    menus_.topMenus()[i]->menuAction()->setVisible(false);
                menuBar()->setVisible(false);
            }
            if (settings_.ShowToolbar) {
                panelTool_->setVisible(false);
                panelHistory_->setVisible(false);
            }
        } else if (!settings_.ShowToolbar) {
            panelTool_->setVisible(false);
        }
        // The status bar is always hidden in full screen.
        if (settings_.ShowStatusbar) statusBar()->setVisible(false);
        menus_.SetEnabled("mnuFitWinTo", false);
        menus_.SetEnabled("mnuOptimizeWindow", false);
        menus_.action("mnuFullscrn")->setText("Normal window");
        fullScreen_ = true;
        showFullScreen();
    }
    QCoreApplication::processEvents();
    fullScreenSwitching_ = false;
    if (!settings_.MaxFullScreen) menus_.SetEnabled("mnuStatusbar", leaving);
    toolButton("btnFullScreen")->setChecked(fullScreen_);
    toolButton("btnAdjust")->setEnabled(menus_.IsEnabled("mnuOptimizeWindow"));
    if (settings_.ShowToolbar) Toolbar1Resize();
    dur95_->SetPaintLock(false);
    FormResize();
}

void TWebForm::mnuToolbarClick(bool fromView) {
    settings_.ShowToolbar = settings_.ShowToolbar ? 0 : 1;
    const bool on = settings_.ShowToolbar != 0;
    menus_.SetChecked("mnuToolbar", on);
    menus_.SetEnabled("mnuWin98style", on);
    panelTool_->setVisible(on);
    panelHistory_->setVisible(on && settings_.Win98Style);
    QCoreApplication::processEvents();
    if (!fromView) FormResize();
    if (!on) return;
    toolButton("btnAdjust")->setEnabled(menus_.IsEnabled("mnuOptimizeWindow"));
    toolButton("btnFullScreen")->setChecked(fullScreen_);
    Toolbar1Resize(fromView);
}

void TWebForm::mnuMenubarClick(bool fromView) {
    settings_.ShowMenus = settings_.ShowMenus ? 0 : 1;
    const bool on = settings_.ShowMenus != 0;
    for (int i = int(menus_.topMenus().size()) - 1; i >= 0; --i)
        menus_.topMenus()[i]->menuAction()->setVisible(on);
    menuBar()->setVisible(on);
    menus_.SetChecked("mnuMenubar", on);
    if (!fromView) FormResize();
}

void TWebForm::mnuStatusbarClick(bool fromView) {
    settings_.ShowStatusbar = settings_.ShowStatusbar ? 0 : 1;
    const bool on = settings_.ShowStatusbar != 0;
    menus_.SetChecked("mnuStatusbar", on);
    statusBar()->setVisible(on);
    if (!fromView) FormResize();
}

void TWebForm::mnuWin98styleClick(bool fromView) {
    if (!settings_.ShowToolbar) return;
    settings_.Win98Style = settings_.Win98Style ? 0 : 1;
    const bool on = settings_.Win98Style != 0;
    menus_.SetChecked("mnuWin98style", on);
    // Button captions under the images only in this style.
    toolbar1_->setToolButtonStyle(on ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly);
    QCoreApplication::processEvents();
    // The bookmark box sits on its own panel in this style, on the tool bar otherwise.
    auto* combo = findChild<QComboBox*>("History");
    if (on) {
        panelHistory_->setVisible(true);
        if (combo) {
            for (QAction* a : toolbar1_->actions())
                if (toolbar1_->widgetForAction(a) == combo) toolbar1_->removeAction(a);
            combo->setParent(panelHistory_);
            combo->move(btnOpen_->x() + btnOpen_->width() + 2,
                        (panelHistory_->height() - combo->height()) / 2);
            combo->show();
        }
    } else {
        if (combo) {
            combo->setParent(nullptr);
            combo->resize(std::max(64, combo->width()), combo->height());
            const QList<QAction*> actions = toolbar1_->actions();
            // At the tool bar's start, after the one-pixel separator.
            toolbar1_->insertWidget(actions.size() > 1 ? actions[1] : nullptr, combo);
            combo->show();
        }
        panelHistory_->setVisible(false);
    }
    QCoreApplication::processEvents();
    if (!fromView) FormResize();
}

void TWebForm::Toolbar1Resize(bool fromView) {
    if (!settings_.ShowToolbar) return;
    if (!fromView && scrollBox_->y() < ScrollTop()) FormResize();
}

void TWebForm::SetLayoutCheck(const char* name) {
    for (const char* n : {"mnuStandard", "mnuCompact", "mnuMinimal"})
        menus_.SetChecked(n, QString(n) == name);
}

void TWebForm::ApplyLayout(bool status, bool menus, bool toolbar, int win98) {
    if (fullScreen_) return;
    // Each bar toggles without a resize of its own; one resize at the end.
    if ((settings_.ShowStatusbar != 0) != status) mnuStatusbarClick(true);
    if ((settings_.ShowMenus != 0) != menus) mnuMenubarClick(true);
    if ((settings_.ShowToolbar != 0) != toolbar) mnuToolbarClick(true);
    QCoreApplication::processEvents();
    if (win98 >= 0 && (settings_.Win98Style != 0) != (win98 != 0)) mnuWin98styleClick(true);
    QCoreApplication::processEvents();
    FormResize();
    if (!settings_.FitToWindow && picturePresent_) mnuOptimizeWindowClick();
}

void TWebForm::mnuStandard1Click() {
    if (fullScreen_) return;
    SetLayoutCheck("mnuStandard");
    ApplyLayout(true, true, true, 1);
}

void TWebForm::mnuCompact1Click() {
    if (fullScreen_) return;
    SetLayoutCheck("mnuCompact");
    ApplyLayout(true, false, true, 0);
}

void TWebForm::mnuMinimal1Click() {
    if (fullScreen_) return;
    SetLayoutCheck("mnuMinimal");
    ApplyLayout(false, false, false, -1);
}

} // namespace gui
