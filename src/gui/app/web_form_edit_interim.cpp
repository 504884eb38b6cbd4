// Stand-ins until the view's selection and its edit tail land in main: the
// selection Trim, Copy Selection and Mask read (picture pixels, right and
// bottom one past the last), and the common tail of every edit. Drop this
// file for the view's SelectionRect / SetSelection / mnuHandClick /
// PictureChanged when they arrive.
#include "gui/app/web_form.h"

#include "gui/app/status_panels.h"
#include "gui/view/tpix.h"

#include <QApplication>
#include <QToolButton>

namespace gui {

QRect TWebForm::EditSelection() const {
    return editSelection_;
}

void TWebForm::SetEditSelection(const QRect& picture) {
    editSelection_ = picture;
    menus_.SetEnabled("mnuTrim", true);
    menus_.SetEnabled("mnuCopyMask", true);
}

void TWebForm::EndEditSelection() {
    editSelection_ = QRect();
    menus_.SetEnabled("mnuTrim", false);
    menus_.SetEnabled("mnuCopyMask", false);
}

void TWebForm::PictureChanged() {
    dur95_->PictureChanged();
    doc_.PictureWidth = dur95_->Bitmap().width();
    doc_.PictureHeight = dur95_->Bitmap().height();
    if (settings_.FitToWindow) {
        ChangeView();
    } else {
        ApplyZoom(100);
        panels_->SetText(1, "100%");
        RefreshPicture();
    }
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    menus_.SetVisible("mnuPage", false);
    toolButton("btnPage")->setEnabled(false);
    StatusReady();
    pictureChanged_ = true;
}

} // namespace gui
