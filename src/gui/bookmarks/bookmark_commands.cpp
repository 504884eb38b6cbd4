// The bookmark side of the main window: the list box and stepping through
// it, bookmark files, and copying, moving and deleting the file shown.
#include "gui/bookmarks/bookmark_commands.h"

#include "gui/app/web_form.h"
#include "gui/app/window_context.h"
#include "gui/app/window_status.h"
#include "gui/input/open_commands.h"

#include "core/bookmarks/bookmark_file.h"
#include "core/bookmarks/file_transfer.h"
#include "core/bookmarks/trash.h"
#include "core/common/paths.h"
#include "gui/dialogs/combo_box_ex.h"
#include "gui/media/media_commands.h"

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
#include <QToolButton>

#include <filesystem>
#include <system_error>

namespace gui {

namespace {

const char* const kListFilter = "Vistrel List (*.vsl)";

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

void BookmarkCommands::PlaceHistory() {
    if (!ctx_.history) return;
    if (ctx_.history->parentWidget() == ctx_.panelHistory && !ctx_.settings.Win98Style) {
        // Started without the Win98 style: the box goes to the tool bar's
        // start, as the style switch puts it, and the panel stays hidden.
        const QList<QAction*> actions = ctx_.toolbar1->actions();
        ctx_.history->setParent(nullptr);
        ctx_.history->setMinimumWidth(64);
        ctx_.toolbar1->insertWidget(actions.size() > 1 ? actions[1] : nullptr, ctx_.history);
        ctx_.history->show();
        return;
    }
    // On the panel: left 54, top 2, at least 64 wide, 22 high.
    if (ctx_.history->parentWidget() == ctx_.panelHistory)
        ctx_.history->setGeometry(54, 2,
                                  std::max(ctx_.panelHistory->contentsRect().width() - 56, 64), 22);
}

void BookmarkCommands::HistoryExit() {
    // Only on the tool bar: the box takes the width the buttons leave (at
    // least 64), its list shrinks back, and the keys go back to the picture.
    if (!ctx_.history || ctx_.history->parentWidget() == ctx_.panelHistory) return;
    FitHistoryToToolbar();
    ctx_.history->view()->setMinimumWidth(0);
    if (ctx_.window.isVisible()) ctx_.scrollBox->setFocus();
}

void BookmarkCommands::FitHistoryToToolbar() {
    if (!ctx_.history || ctx_.history->parentWidget() != ctx_.toolbar1) return;
    // From the second item on, each with the bar's spacing; the box itself
    // does not count. Room is kept for the bar's margins and extension button.
    const int spacing =
        ctx_.toolbar1->style()->pixelMetric(QStyle::PM_ToolBarItemSpacing, nullptr, ctx_.toolbar1);
    int buttons = 2 * ctx_.toolbar1->style()->pixelMetric(QStyle::PM_ToolBarItemMargin, nullptr,
                                                          ctx_.toolbar1) +
                  ctx_.toolbar1->style()->pixelMetric(QStyle::PM_ToolBarExtensionExtent, nullptr,
                                                      ctx_.toolbar1);
    const QList<QAction*> actions = ctx_.toolbar1->actions();
    for (int i = 1; i < actions.size(); ++i) {
        QWidget* w = ctx_.toolbar1->widgetForAction(actions[i]);
        if (actions[i]->isVisible() && w && w != ctx_.history)
            buttons += std::max(w->width(), w->sizeHint().width()) + spacing;
    }
    const int width = std::max(ctx_.toolbar1->contentsRect().width() - buttons - spacing, 64);
    if (ctx_.history->width() != width) ctx_.history->setFixedWidth(width);
}

void BookmarkCommands::SyncHistoryBox() {
    if (!ctx_.history) return;
    const QSignalBlocker block(ctx_.history);
    // Refilled only when the entries changed: long lists stay quick to step through.
    if (historyRevision_ != ctx_.bookmarks.revision()) {
        historyRevision_ = ctx_.bookmarks.revision();
        QStringList items;
        items.reserve(ctx_.bookmarks.count());
        for (const std::string& e : ctx_.bookmarks.entries())
            items.append(Q(e));
        ctx_.history->clear();
        ctx_.history->addItems(items);
    }
    ctx_.history->setCurrentIndex(ctx_.bookmarks.selected());
    if (ctx_.bookmarks.selected() < 0) ctx_.history->setEditText(QString());
}

void BookmarkCommands::ShowUntitled() {
    ctx_.input->ShowEmptyPicture(true);
    ctx_.doc.CurrentFile = "Untitled";
    ctx_.doc.CurrentExt.clear();
    ctx_.status->UpdateCaption();
}

// --- Stepping ---

void BookmarkCommands::NextBookmark(int index) {
    if (index < 0 || index >= ctx_.bookmarks.count()) return;
    if (ctx_.pictureChanged && !ctx_.ConfirmUnsaved()) return;
    ctx_.bookmarks.select(index);
    SyncHistoryBox();
    ctx_.input->BeginAttempt(ctx_.bookmarks.selectedText());
    ctx_.input->BtnOpenEx(OpenSender::Application);
}

void BookmarkCommands::HistoryControls() {
    const bool two = ctx_.bookmarks.canStep(), one = ctx_.bookmarks.hasEntries();
    ctx_.menus.SetVisible("mnuMedia", two);
    ctx_.toolButton("btnPrevImage")->setEnabled(two);
    ctx_.toolButton("btnNextImage")->setEnabled(two);
    for (const char* n : {"mnuDelete", "mnuFCopy", "mnuFMove", "mnuBookmarkUnmark", "mnuRecycle1"})
        ctx_.menus.SetEnabled(n, one);
    SyncHistoryBox();
}

void BookmarkCommands::btnNextImageClick() {
    NextBookmark(ctx_.bookmarks.NextIndex());
}

void BookmarkCommands::btnPrevImageClick() {
    NextBookmark(ctx_.bookmarks.PreviousIndex());
}

void BookmarkCommands::mnuFirstImageClick(bool last) {
    if (ctx_.mediaMode && ctx_.media) ctx_.media->AV_UI(false);
    if (ctx_.history && ctx_.history->HaveFocus()) {
        // Inside the box the keys stay the box's own.
        QKeyEvent key(QEvent::KeyPress, last ? Qt::Key_End : Qt::Key_Home, Qt::NoModifier);
        QCoreApplication::sendEvent(ctx_.history, &key);
        return;
    }
    if (ctx_.bookmarks.hasEntries()) NextBookmark(last ? ctx_.bookmarks.count() - 1 : 0);
}

void BookmarkCommands::HistoryClick(int index) {
    if (!ctx_.bookmarks.hasEntries() || index < 0 || index >= ctx_.bookmarks.count()) {
        SyncHistoryBox();
        return;
    }
    HistoryExit();
    if (ctx_.bookmarks.entries()[index] != ctx_.doc.CurrentFile) {
        NextBookmark(index);
    } else {
        ctx_.bookmarks.select(index);
    }
    // A declined question leaves the old selection in the box.
    SyncHistoryBox();
}

bool BookmarkCommands::HistoryKeyPress(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        HistoryEnter(ctx_.history->currentText());
        return true;
    }
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        ctx_.history->setEditText(Q(ctx_.doc.CurrentFile));
        return true;
    }
    return false;
}

void BookmarkCommands::HistoryEnter(const QString& text) {
    const QFileInfo info(text);
    if (!text.isEmpty() && info.isFile()) {
        // Paths compare exactly: names differing in case are other files here.
        if (text.toStdString() == ctx_.doc.CurrentFile) return;
        if (ctx_.pictureChanged && !ctx_.ConfirmUnsaved()) {
            // The refused name goes: the box shows the file still open.
            ctx_.history->setEditText(Q(ctx_.doc.CurrentFile));
            return;
        }
        if (ctx_.input->busy()) ctx_.input->CancelDecode();
        ctx_.input->BeginAttempt(text.toStdString());
        ctx_.input->BtnOpenEx(OpenSender::Application);
        return;
    }
    if (!text.isEmpty() && info.isDir()) {
        ctx_.openDir = text;
        ctx_.input->BtnOpenClick(OpenSender::User);
        return;
    }
    ctx_.ShowMessage("File not found.", true);
    ctx_.history->setEditText(Q(ctx_.doc.CurrentFile));
}

// --- The list commands ---

void BookmarkCommands::mnuBookmarksClick() {
    ctx_.menus.SetEnabled("mnuHistorySort", ctx_.bookmarks.count() > 1);
}

void BookmarkCommands::mnuHistoryClearClick() {
    if (ctx_.pictureChanged && !ctx_.ConfirmUnsaved()) return;
    if (ctx_.mediaMode && ctx_.media) ctx_.media->AV_UI(false);
    ShowUntitled();
    ctx_.bookmarks.Clear();
    HistoryControls();
}

void BookmarkCommands::mnuHistorySortClick() {
    if (!ctx_.bookmarks.hasEntries()) return;
    ctx_.bookmarks.Sort();
    HistoryControls();
    HistoryClick(0);
}

void BookmarkCommands::mnuBookmarkUnmarkClick() {
    if (ctx_.bookmarks.selected() < 0) return;
    const QString name = Q(core::FileNamePart(ctx_.bookmarks.selectedText()));
    if (!ctx_.AskOkCancel("Remove bookmark for " + name + " ?")) return;
    if (ctx_.pictureChanged && !ctx_.ConfirmUnsaved()) return;
    HistoryChangeUpdate();
}

void BookmarkCommands::HistoryChangeUpdate() {
    if (ctx_.bookmarks.selected() < 0) return; // nothing to remove
    // The clip shown goes with its bookmark.
    if (ctx_.mediaMode && ctx_.media) ctx_.media->AV_UI(false);
    const int previous = ctx_.bookmarks.RemoveSelected();
    if (previous < 0) {
        ShowUntitled();
        HistoryControls();
        return;
    }
    HistoryControls();
    NextBookmark(previous);
}

// --- Bookmark files ---

void BookmarkCommands::mnuHistorySaveClick() {
    const QString path = ctx_.prompter.BookmarkFile(true, ctx_.openDir, kListFilter);
    if (!path.isEmpty()) SaveBookmarks(path);
}

bool BookmarkCommands::SaveBookmarks(const QString& path) {
    // Written beside the old file first: a failure keeps both the file and the list.
    const core::Status written =
        core::WriteBookmarkFile(path.toStdString(), ctx_.bookmarks.entries());
    if (!written) ctx_.ShowMessage(Q(written.message()), false);
    return written.ok();
}

void BookmarkCommands::mnuHistoryLoadClick() {
    const QString path = ctx_.prompter.BookmarkFile(false, ctx_.openDir, kListFilter);
    if (!path.isEmpty()) LoadBookmarks(path);
}

void BookmarkCommands::LoadBookmarks(const QString& path) {
    auto read = core::ReadBookmarkFile(path.toStdString());
    if (!read) {
        // An unreadable list empties the list, as Clear does (with its question).
        mnuHistoryClearClick();
        return;
    }
    std::vector<std::string> entries = std::move(read).value();
    // Ask before anything changes when the first entry is about to replace an edited picture.
    if (!entries.empty() && entries.front() != ctx_.doc.CurrentFile && ctx_.pictureChanged &&
        !ctx_.ConfirmUnsaved())
        return;
    ctx_.bookmarks.Replace(std::move(entries));
    HistoryControls();
    if (ctx_.bookmarks.hasEntries()) HistoryClick(0);
}

// --- File operations on the file shown ---

bool BookmarkCommands::SelectedIsShownFile() {
    if (ctx_.bookmarks.selected() < 0) return false;
    const std::string path = ctx_.bookmarks.selectedText();
    if (ctx_.emptyPicture || path != ctx_.doc.CurrentFile) {
        ctx_.ShowMessage("The selected bookmark is not the file shown.", true);
        return false;
    }
    std::error_code ec; // the path's own bytes, whatever their encoding
    if (!std::filesystem::is_regular_file(path, ec)) {
        ctx_.ShowMessage(Q(path) + " was not found.", true);
        return false;
    }
    return true;
}

void BookmarkCommands::mnuDeleteClick(bool permanent) {
    if (ctx_.history && ctx_.history->HaveFocus()) {
        // Del in the box edits its text.
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
        QCoreApplication::sendEvent(ctx_.history, &key);
        return;
    }
    if (!ctx_.bookmarks.hasEntries() || !SelectedIsShownFile()) return;
    const std::string path = ctx_.doc.CurrentFile;
    const QString question =
        permanent ? "Delete " + Q(path) + " permanently?" : "Move " + Q(path) + " to the trash?";
    if (!ctx_.AskOkCancel(question)) return;
    const bool changed = ctx_.pictureChanged;
    if (changed && !ctx_.ConfirmUnsaved()) return;
    core::Status done = core::Ok();
    if (permanent) {
        done = core::DeletePermanently(path);
    } else if (auto trashed = core::MoveToTrash(path, core::HomeTrashDir()); !trashed) {
        done = trashed.error();
    }
    if (!done) {
        ctx_.pictureChanged = changed; // the picture stays, and so do its edits
        ctx_.ShowMessage(Q(done.message()), false);
        return;
    }
    HistoryChangeUpdate();
}

void BookmarkCommands::mnuFMoveClick(bool move) {
    if (!ctx_.bookmarks.hasEntries() || !SelectedIsShownFile()) return;
    const std::string source = ctx_.doc.CurrentFile;
    // The file's own folder the first time, then the last folder while it exists.
    QString initial;
    if (lastTarget_.isEmpty())
        initial = Q(core::FolderPart(source));
    else if (QFileInfo(lastTarget_).isDir())
        initial = lastTarget_;
    const QString caption = Q(core::FileNamePart(source));
    const QString prompt = move ? "MOVE file to" : "COPY file to";
    const QString folder = ctx_.prompter.Folder(initial, caption, prompt);
    if (folder.isEmpty()) return;
    lastTarget_ = folder;

    if (auto checked = core::CheckTransfer(source, folder.toStdString()); !checked) {
        ctx_.ShowMessage(Q(checked.message()), true);
        return;
    }
    const std::string target = core::TransferTarget(folder.toStdString(), source);
    if (QFileInfo::exists(Q(target)) &&
        !ctx_.AskOkCancel(Q(target) + " already exists.\nDo you want to replace it?"))
        return;
    const bool changed = ctx_.pictureChanged;
    if (changed && !ctx_.ConfirmUnsaved()) return;
    if (auto done = core::TransferFile(source, target, move); !done) {
        ctx_.pictureChanged = changed;
        ctx_.ShowMessage(Q(done.message()), false);
        return;
    }
    // Copy too takes the entry out of the list.
    HistoryChangeUpdate();
}

} // namespace gui
