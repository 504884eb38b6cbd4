// Full screen and the window's layouts: the bar toggles, the two tool-bar
// styles and the three layouts that set the bars in one step.
#include "gui/view/window_layouts.h"

#include "gui/app/web_form.h"
#include "gui/app/window_context.h"
#include "gui/bookmarks/bookmark_commands.h"
#include "gui/dialogs/combo_box_ex.h"
#include "gui/media/media_commands.h"
#include "gui/view/picture_mouse.h"
#include "gui/view/view_geometry.h"

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

void WindowLayouts::mnuFullScrnClick() {
    if (!ctx_.menus.IsEnabled("mnuFullscrn")) return;
    ctx_.mouse->mnuHandClick();
    ctx_.view->EnsureStretch();
    ctx_.dur95->unsetCursor();
    ctx_.mouse->EndHandScroll();
    const bool leaving = fullScreen_;
    for (const char* n : {"mnuStandard", "mnuCompact", "mnuMinimal"})
        ctx_.menus.SetEnabled(n, leaving);
    // A clip makes its own switch: the player goes and comes back where it was.
    if (ctx_.mediaMode && ctx_.media && !ctx_.media->switching()) {
        ctx_.media->AV_FullScrnClick();
        return;
    }

    // The resize events of the switch do no layout until it is complete.
    fullScreenSwitching_ = true;
    ctx_.dur95->SetPaintLock(true);
    ctx_.view->ResetSkyScrollPos();
    if (leaving) {
        if (ctx_.settings.MaxFullScreen) {
            if (ctx_.settings.ShowMenus) {
                for (int i = int(ctx_.menus.topMenus().size()) - 1; i >= 0; --i)
                    ctx_.menus.topMenus()[i]->menuAction()->setVisible(true);
                ctx_.window.menuBar()->setVisible(true);
            }
            if (ctx_.settings.ShowToolbar) {
                ctx_.panelTool->setVisible(true);
                ctx_.panelHistory->setVisible(ctx_.settings.Win98Style != 0);
            }
        }
        if (ctx_.settings.ShowStatusbar) ctx_.window.statusBar()->setVisible(true);
        ctx_.menus.SetEnabled("mnuFitWinTo", true);
        ctx_.menus.SetEnabled("mnuOptimizeWindow", true);
        ctx_.menus.action("mnuFullscrn")->setText("&Full screen");
        fullScreen_ = false;
        ctx_.window.showNormal();
        ctx_.view->SetFrameGeometry(ctx_.view->SavedWindowRect());
    } else {
        // A corner on no screen (pushed a little off the desktop) comes back
        // by its absolute values; corners on a screen at negative coordinates stay.
        const QRect f = ctx_.window.frameGeometry();
        const core::ViewRect saved =
            core::FullScreenSavedRect({f.x(), f.y(), f.width(), f.height()},
                                      QGuiApplication::screenAt(f.topLeft()) != nullptr);
        ctx_.settings.SavedWindowRect[0] = saved.left;
        ctx_.settings.SavedWindowRect[1] = saved.top;
        ctx_.settings.SavedWindowRect[2] = saved.right();
        ctx_.settings.SavedWindowRect[3] = saved.bottom();
        if (ctx_.settings.MaxFullScreen) {
            if (ctx_.settings.ShowMenus) {
                for (int i = int(ctx_.menus.topMenus().size()) - 1; i >= 0; --i)
                    ctx_.menus.topMenus()[i]->menuAction()->setVisible(false);
                ctx_.window.menuBar()->setVisible(false);
            }
            if (ctx_.settings.ShowToolbar) {
                ctx_.panelTool->setVisible(false);
                ctx_.panelHistory->setVisible(false);
            }
        } else if (!ctx_.settings.ShowToolbar) {
            ctx_.panelTool->setVisible(false);
        }
        // The status bar is always hidden in full screen.
        if (ctx_.settings.ShowStatusbar) ctx_.window.statusBar()->setVisible(false);
        ctx_.menus.SetEnabled("mnuFitWinTo", false);
        ctx_.menus.SetEnabled("mnuOptimizeWindow", false);
        ctx_.menus.action("mnuFullscrn")->setText("Normal window");
        fullScreen_ = true;
        ctx_.window.showFullScreen();
    }
    QCoreApplication::processEvents();
    fullScreenSwitching_ = false;
    if (!ctx_.settings.MaxFullScreen) ctx_.menus.SetEnabled("mnuStatusbar", leaving);
    ctx_.toolButton("btnFullScreen")->setChecked(fullScreen_);
    ctx_.toolButton("btnAdjust")->setEnabled(ctx_.menus.IsEnabled("mnuOptimizeWindow"));
    if (ctx_.settings.ShowToolbar) Toolbar1Resize();
    ctx_.dur95->SetPaintLock(false);
    ctx_.view->FormResize();
}

void WindowLayouts::mnuToolbarClick(bool fromView) {
    ctx_.settings.ShowToolbar = ctx_.settings.ShowToolbar ? 0 : 1;
    const bool on = ctx_.settings.ShowToolbar != 0;
    ctx_.menus.SetChecked("mnuToolbar", on);
    ctx_.menus.SetEnabled("mnuWin98style", on);
    ctx_.panelTool->setVisible(on);
    ctx_.panelHistory->setVisible(on && ctx_.settings.Win98Style);
    QCoreApplication::processEvents();
    if (!fromView) ctx_.view->FormResize();
    if (!on) return;
    ctx_.toolButton("btnAdjust")->setEnabled(ctx_.menus.IsEnabled("mnuOptimizeWindow"));
    ctx_.toolButton("btnFullScreen")->setChecked(fullScreen_);
    Toolbar1Resize(fromView);
}

void WindowLayouts::mnuMenubarClick(bool fromView) {
    ctx_.settings.ShowMenus = ctx_.settings.ShowMenus ? 0 : 1;
    const bool on = ctx_.settings.ShowMenus != 0;
    for (int i = int(ctx_.menus.topMenus().size()) - 1; i >= 0; --i)
        ctx_.menus.topMenus()[i]->menuAction()->setVisible(on);
    ctx_.window.menuBar()->setVisible(on);
    ctx_.menus.SetChecked("mnuMenubar", on);
    if (!fromView) ctx_.view->FormResize();
}

void WindowLayouts::mnuStatusbarClick(bool fromView) {
    ctx_.settings.ShowStatusbar = ctx_.settings.ShowStatusbar ? 0 : 1;
    const bool on = ctx_.settings.ShowStatusbar != 0;
    ctx_.menus.SetChecked("mnuStatusbar", on);
    ctx_.window.statusBar()->setVisible(on);
    if (!fromView) ctx_.view->FormResize();
}

void WindowLayouts::mnuWin98styleClick(bool fromView) {
    if (!ctx_.settings.ShowToolbar) return;
    ctx_.settings.Win98Style = ctx_.settings.Win98Style ? 0 : 1;
    const bool on = ctx_.settings.Win98Style != 0;
    ctx_.menus.SetChecked("mnuWin98style", on);
    // Button captions under the images only in this style.
    ctx_.toolbar1->setToolButtonStyle(on ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly);
    QCoreApplication::processEvents();
    // The bookmark box sits on its own panel in this style, on the tool bar otherwise.
    QComboBox* combo = ctx_.history;
    if (on) {
        ctx_.panelHistory->setVisible(true);
        if (combo) {
            for (QAction* a : ctx_.toolbar1->actions())
                if (ctx_.toolbar1->widgetForAction(a) == combo) ctx_.toolbar1->removeAction(a);
            combo->setParent(ctx_.panelHistory);
            // The width fixed beside the tool bar's buttons goes: on the panel
            // the box takes the panel's width.
            combo->setMinimumWidth(0);
            combo->setMaximumWidth(QWIDGETSIZE_MAX);
            combo->move(ctx_.btnOpen->x() + ctx_.btnOpen->width() + 2,
                        (ctx_.panelHistory->height() - combo->height()) / 2);
            combo->show();
            ctx_.bookmarkCommands->PlaceHistory();
        }
    } else {
        if (combo) {
            combo->setParent(nullptr);
            combo->resize(std::max(64, combo->width()), combo->height());
            const QList<QAction*> actions = ctx_.toolbar1->actions();
            // At the tool bar's start, after the one-pixel separator.
            ctx_.toolbar1->insertWidget(actions.size() > 1 ? actions[1] : nullptr, combo);
            combo->show();
        }
        ctx_.panelHistory->setVisible(false);
    }
    QCoreApplication::processEvents();
    if (!fromView) ctx_.view->FormResize();
}

void WindowLayouts::Toolbar1Resize(bool fromView) {
    if (!ctx_.settings.ShowToolbar) return;
    if (!fromView && ctx_.scrollBox->y() < ctx_.view->ScrollTop()) ctx_.view->FormResize();
}

void WindowLayouts::SetLayoutCheck(const char* name) {
    for (const char* n : {"mnuStandard", "mnuCompact", "mnuMinimal"})
        ctx_.menus.SetChecked(n, QString(n) == name);
}

void WindowLayouts::ApplyLayout(bool status, bool menus, bool toolbar, int win98) {
    if (fullScreen_) return;
    // Each bar toggles without a resize of its own; one resize at the end.
    if (!ctx_.mediaMode && (ctx_.settings.ShowStatusbar != 0) != status) mnuStatusbarClick(true);
    if ((ctx_.settings.ShowMenus != 0) != menus) mnuMenubarClick(true);
    if ((ctx_.settings.ShowToolbar != 0) != toolbar) mnuToolbarClick(true);
    QCoreApplication::processEvents();
    if (win98 >= 0 && (ctx_.settings.Win98Style != 0) != (win98 != 0)) mnuWin98styleClick(true);
    QCoreApplication::processEvents();
    // The player's parts follow the layout (Standard all, Compact no status
    // line, Minimal the controls alone), and the settings record them.
    if (ctx_.mediaMode && ctx_.media) {
        ctx_.media->SetParts(true, toolbar, status && menus);
        QCoreApplication::processEvents();
    }
    ctx_.view->FormResize();
    if (ctx_.mediaMode && ctx_.media) {
        if (!ctx_.settings.FitToWindow || ctx_.media->clipHeight() == 0)
            ctx_.view->mnuOptimizeWindowClick();
    } else if (!ctx_.settings.FitToWindow && ctx_.picturePresent) {
        ctx_.view->mnuOptimizeWindowClick();
    }
}

void WindowLayouts::mnuStandard1Click() {
    if (fullScreen_) return;
    SetLayoutCheck("mnuStandard");
    ApplyLayout(true, true, true, 1);
}

void WindowLayouts::mnuCompact1Click() {
    if (fullScreen_) return;
    SetLayoutCheck("mnuCompact");
    ApplyLayout(true, false, true, 0);
}

void WindowLayouts::mnuMinimal1Click() {
    if (fullScreen_) return;
    SetLayoutCheck("mnuMinimal");
    ApplyLayout(false, false, false, -1);
}

} // namespace gui
