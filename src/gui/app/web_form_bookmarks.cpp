// The bookmark side of the main window: the list box and stepping through
// it, bookmark files, and copying, moving and deleting the file shown.
#include "gui/app/web_form.h"

#include "core/bookmarks/bookmark_file.h"
#include "core/bookmarks/file_transfer.h"
#include "core/bookmarks/trash.h"
#include "core/common/paths.h"
#include "gui/dialogs/combo_box_ex.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QScrollArea>
#include <QStyle>
#include <QToolBar>

#include <filesystem>
#include <system_error>

namespace gui {

namespace {

const char* const kListFilter = "Vistrel List (*.vsl)";

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// Keeps the box on PanelHistory at its place whenever the panel resizes.
class PanelResizeFilter : public QObject {
  public:
    PanelResizeFilter(QObject* parent, std::function<void()> onResize)
        : QObject(parent), onResize_(std::move(onResize)) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize) onResize_();
        return QObject::eventFilter(watched, event);
    }

  private:
    std::function<void()> onResize_;
};

} // namespace

void TWebForm::BuildHistory() {
    history_ = new TComboBoxEx(panelHistory_);
    history_->setObjectName("History");
    history_->setKeyPressHandler([this](QKeyEvent* e) {
        bool handled = false;
        Guard([&] { handled = HistoryKeyPress(e); });
        return handled;
    });
    connect(history_, &QComboBox::activated, this,
            [this](int index) { Guard([this, index] { HistoryClick(index); }); });
    // The window's popup menu is the box's too, also over its edit field.
    auto popup = [this](const QPoint& at) {
        Guard([this] { MainMenuPopup(PopupPlace::History); });
        mainMenu_->popup(at);
    };
    history_->setContextMenuPolicy(Qt::CustomContextMenu);
    history_->lineEdit()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(history_, &QWidget::customContextMenuRequested, this,
            [this, popup](const QPoint& p) { popup(history_->mapToGlobal(p)); });
    connect(history_->lineEdit(), &QWidget::customContextMenuRequested, this,
            [this, popup](const QPoint& p) { popup(history_->lineEdit()->mapToGlobal(p)); });
    connect(history_, &TComboBoxEx::Exit, this, [this] { Guard([this] { HistoryExit(); }); });
    // After a close-up on the tool bar the widened list shrinks back.
    connect(history_, &TComboBoxEx::Change, this, [this] {
        if (!history_->DroppedDown()) Guard([this] { HistoryExit(); });
    });
    connect(history_, &TComboBoxEx::DropDown, this, [this] {
        // On the tool bar the open list spans the whole bar.
        if (history_->parentWidget() != panelHistory_)
            history_->view()->setMinimumWidth(toolbar1_->contentsRect().width());
    });
    panelHistory_->installEventFilter(new PanelResizeFilter(this, [this] { PlaceHistory(); }));
    toolbar1_->installEventFilter(new PanelResizeFilter(this, [this] { FitHistoryToToolbar(); }));

    auto on = [this](const char* name, std::function<void()> handler) {
        if (QAction* a = menus_.action(name))
            connect(a, &QAction::triggered, this, [this, handler] { Guard(handler); });
    };
    on("mnuHistorySave", [this] { mnuHistorySaveClick(); });
    on("mnuHistoryLoad", [this] { mnuHistoryLoadClick(); });
    for (const char* n : {"mnuHistoryClear", "mnuHistoryClear2"})
        on(n, [this] { mnuHistoryClearClick(); });
    for (const char* n : {"mnuHistorySort", "mnuHistorySort2"})
        on(n, [this] { mnuHistorySortClick(); });
    for (const char* n : {"mnuBookmarkUnmark", "mnuBookmarkUnmark2"})
        on(n, [this] { mnuBookmarkUnmarkClick(); });
    on("mnuDelete", [this] { mnuDeleteClick(false); });
    on("mnuRecycle1", [this] { mnuDeleteClick(true); });
    on("mnuFCopy", [this] { mnuFMoveClick(false); });
    on("mnuFMove", [this] { mnuFMoveClick(true); });
    for (QMenu* m : {menus_.barMenu("mnuBookmarks"), menus_.popupMenu("mnuBookmarks")})
        if (m)
            connect(m, &QMenu::aboutToShow, this,
                    [this] { Guard([this] { mnuBookmarksClick(); }); });
    PlaceHistory();
}

void TWebForm::PlaceHistory() {
    if (!history_) return;
    if (history_->parentWidget() == panelHistory_ && !settings_.Win98Style) {
        // Started without the Win98 style: the box goes to the tool bar's
        // start, as the style switch puts it, and the panel stays hidden.
        const QList<QAction*> actions = toolbar1_->actions();
        history_->setParent(nullptr);
        history_->setMinimumWidth(64);
        toolbar1_->insertWidget(actions.size() > 1 ? actions[1] : nullptr, history_);
        history_->show();
        return;
    }
    // On the panel: left 54, top 2, at least 64 wide, 22 high.
    if (history_->parentWidget() == panelHistory_)
        history_->setGeometry(54, 2, std::max(panelHistory_->contentsRect().width() - 56, 64), 22);
}

void TWebForm::HistoryExit() {
    // Only on the tool bar: the box takes the width the buttons leave (at
    // least 64), its list shrinks back, and the keys go back to the picture.
    if (!history_ || history_->parentWidget() == panelHistory_) return;
    FitHistoryToToolbar();
    history_->view()->setMinimumWidth(0);
    if (isVisible()) scrollBox_->setFocus();
}

void TWebForm::FitHistoryToToolbar() {
    if (!history_ || history_->parentWidget() != toolbar1_) return;
    // From the second item on, each with the bar's spacing; the box itself
    // does not count. Room is kept for the bar's margins and extension button.
    const int spacing =
        toolbar1_->style()->pixelMetric(QStyle::PM_ToolBarItemSpacing, nullptr, toolbar1_);
    int buttons =
        2 * toolbar1_->style()->pixelMetric(QStyle::PM_ToolBarItemMargin, nullptr, toolbar1_) +
        toolbar1_->style()->pixelMetric(QStyle::PM_ToolBarExtensionExtent, nullptr, toolbar1_);
    const QList<QAction*> actions = toolbar1_->actions();
    for (int i = 1; i < actions.size(); ++i) {
        QWidget* w = toolbar1_->widgetForAction(actions[i]);
        if (actions[i]->isVisible() && w && w != history_)
            buttons += std::max(w->width(), w->sizeHint().width()) + spacing;
    }
    const int width = std::max(toolbar1_->contentsRect().width() - buttons - spacing, 64);
    if (history_->width() != width) history_->setFixedWidth(width);
}

void TWebForm::SyncHistoryBox() {
    if (!history_) return;
    const QSignalBlocker block(history_);
    // Refilled only when the entries changed: long lists stay quick to step through.
    if (historyRevision_ != bookmarks_.revision()) {
        historyRevision_ = bookmarks_.revision();
        QStringList items;
        items.reserve(bookmarks_.count());
        for (const std::string& e : bookmarks_.entries())
            items.append(Q(e));
        history_->clear();
        history_->addItems(items);
    }
    history_->setCurrentIndex(bookmarks_.selected());
    if (bookmarks_.selected() < 0) history_->setEditText(QString());
}

bool TWebForm::AskOkCancel(const QString& text) {
    return prompter_->Message({BoxType::Question, "Confirm", text, kBtnOk | kBtnCancel, kBtnOk}) ==
           kBtnOk;
}

void TWebForm::ShowUntitled() {
    ShowEmptyPicture(true);
    doc_.CurrentFile = "Untitled";
    doc_.CurrentExt.clear();
    UpdateCaption();
}

// --- Stepping ---

void TWebForm::btnNextImageClick() {
    NextBookmark(bookmarks_.NextIndex());
}

void TWebForm::btnPrevImageClick() {
    NextBookmark(bookmarks_.PreviousIndex());
}

void TWebForm::mnuFirstImageClick(bool last) {
    if (history_ && history_->HaveFocus()) {
        // Inside the box the keys stay the box's own.
        QKeyEvent key(QEvent::KeyPress, last ? Qt::Key_End : Qt::Key_Home, Qt::NoModifier);
        QCoreApplication::sendEvent(history_, &key);
        return;
    }
    if (bookmarks_.hasEntries()) NextBookmark(last ? bookmarks_.count() - 1 : 0);
}

void TWebForm::HistoryClick(int index) {
    if (!bookmarks_.hasEntries() || index < 0 || index >= bookmarks_.count()) {
        SyncHistoryBox();
        return;
    }
    HistoryExit();
    if (bookmarks_.entries()[index] != doc_.CurrentFile) {
        NextBookmark(index);
    } else {
        bookmarks_.select(index);
    }
    // A declined question leaves the old selection in the box.
    SyncHistoryBox();
}

bool TWebForm::HistoryKeyPress(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        HistoryEnter(history_->currentText());
        return true;
    }
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        history_->setEditText(Q(doc_.CurrentFile));
        return true;
    }
    return false;
}

void TWebForm::HistoryEnter(const QString& text) {
    const QFileInfo info(text);
    if (!text.isEmpty() && info.isFile()) {
        // Paths compare exactly: names differing in case are other files here.
        if (text.toStdString() == doc_.CurrentFile) return;
        if (pictureChanged_ && !ConfirmUnsaved()) return;
        if (decoding_) CancelDecode();
        BeginAttempt(text.toStdString());
        BtnOpenEx(OpenSender::Application);
        return;
    }
    if (!text.isEmpty() && info.isDir()) {
        openDir_ = text;
        BtnOpenClick(OpenSender::User);
        return;
    }
    ShowMessage("File not found.", true);
    history_->setEditText(Q(doc_.CurrentFile));
}

// --- The list commands ---

void TWebForm::mnuBookmarksClick() {
    menus_.SetEnabled("mnuHistorySort", bookmarks_.count() > 1);
}

void TWebForm::mnuHistoryClearClick() {
    if (pictureChanged_ && !ConfirmUnsaved()) return;
    ShowUntitled();
    bookmarks_.Clear();
    HistoryControls();
}

void TWebForm::mnuHistorySortClick() {
    if (!bookmarks_.hasEntries()) return;
    bookmarks_.Sort();
    HistoryControls();
    HistoryClick(0);
}

void TWebForm::mnuBookmarkUnmarkClick() {
    if (bookmarks_.selected() < 0) return;
    const QString name = Q(core::FileNamePart(bookmarks_.selectedText()));
    if (!AskOkCancel("Remove bookmark for " + name + " ?")) return;
    if (pictureChanged_ && !ConfirmUnsaved()) return;
    HistoryChangeUpdate();
}

void TWebForm::HistoryChangeUpdate() {
    if (bookmarks_.selected() < 0) return; // nothing to remove
    const int previous = bookmarks_.RemoveSelected();
    if (previous < 0) {
        ShowUntitled();
        HistoryControls();
        return;
    }
    HistoryControls();
    NextBookmark(previous);
}

// --- Bookmark files ---

void TWebForm::mnuHistorySaveClick() {
    const QString path = prompter_->BookmarkFile(true, openDir_, kListFilter);
    if (!path.isEmpty()) SaveBookmarks(path);
}

bool TWebForm::SaveBookmarks(const QString& path) {
    // Written beside the old file first: a failure keeps both the file and the list.
    const core::Status written = core::WriteBookmarkFile(path.toStdString(), bookmarks_.entries());
    if (!written) ShowMessage(Q(written.message()), false);
    return written.ok();
}

void TWebForm::mnuHistoryLoadClick() {
    const QString path = prompter_->BookmarkFile(false, openDir_, kListFilter);
    if (!path.isEmpty()) LoadBookmarks(path);
}

void TWebForm::LoadBookmarks(const QString& path) {
    auto read = core::ReadBookmarkFile(path.toStdString());
    if (!read) {
        // An unreadable list empties the list, as Clear does (with its question).
        mnuHistoryClearClick();
        return;
    }
    std::vector<std::string> entries = std::move(read).value();
    // Ask before anything changes when the first entry is about to replace an edited picture.
    if (!entries.empty() && entries.front() != doc_.CurrentFile && pictureChanged_ &&
        !ConfirmUnsaved())
        return;
    bookmarks_.Replace(std::move(entries));
    HistoryControls();
    if (bookmarks_.hasEntries()) HistoryClick(0);
}

// --- File operations on the file shown ---

bool TWebForm::SelectedIsShownFile() {
    if (bookmarks_.selected() < 0) return false;
    const std::string path = bookmarks_.selectedText();
    if (emptyPicture_ || path != doc_.CurrentFile) {
        ShowMessage("The selected bookmark is not the file shown.", true);
        return false;
    }
    std::error_code ec; // the path's own bytes, whatever their encoding
    if (!std::filesystem::is_regular_file(path, ec)) {
        ShowMessage(Q(path) + " was not found.", true);
        return false;
    }
    return true;
}

void TWebForm::mnuDeleteClick(bool permanent) {
    if (history_ && history_->HaveFocus()) {
        // Del in the box edits its text.
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
        QCoreApplication::sendEvent(history_, &key);
        return;
    }
    if (!bookmarks_.hasEntries() || !SelectedIsShownFile()) return;
    const std::string path = doc_.CurrentFile;
    const QString question =
        permanent ? "Delete " + Q(path) + " permanently?" : "Move " + Q(path) + " to the trash?";
    if (!AskOkCancel(question)) return;
    const bool changed = pictureChanged_;
    if (changed && !ConfirmUnsaved()) return;
    core::Status done = core::Ok();
    if (permanent) {
        done = core::DeletePermanently(path);
    } else if (auto trashed = core::MoveToTrash(path, core::HomeTrashDir()); !trashed) {
        done = trashed.error();
    }
    if (!done) {
        pictureChanged_ = changed; // the picture stays, and so do its edits
        ShowMessage(Q(done.message()), false);
        return;
    }
    HistoryChangeUpdate();
}

void TWebForm::mnuFMoveClick(bool move) {
    if (!bookmarks_.hasEntries() || !SelectedIsShownFile()) return;
    const std::string source = doc_.CurrentFile;
    // The file's own folder the first time, then the last folder while it exists.
    QString initial;
    if (lastTarget_.isEmpty())
        initial = Q(core::FolderPart(source));
    else if (QFileInfo(lastTarget_).isDir())
        initial = lastTarget_;
    const QString caption = Q(core::FileNamePart(source));
    const QString prompt = move ? "MOVE file to" : "COPY file to";
    const QString folder = prompter_->Folder(initial, caption, prompt);
    if (folder.isEmpty()) return;
    lastTarget_ = folder;

    if (auto checked = core::CheckTransfer(source, folder.toStdString()); !checked) {
        ShowMessage(Q(checked.message()), true);
        return;
    }
    const std::string target = core::TransferTarget(folder.toStdString(), source);
    if (QFileInfo::exists(Q(target)) &&
        !AskOkCancel(Q(target) + " already exists.\nDo you want to replace it?"))
        return;
    const bool changed = pictureChanged_;
    if (changed && !ConfirmUnsaved()) return;
    if (auto done = core::TransferFile(source, target, move); !done) {
        pictureChanged_ = changed;
        ShowMessage(Q(done.message()), false);
        return;
    }
    // Copy too takes the entry out of the list.
    HistoryChangeUpdate();
}

} // namespace gui
