// The bookmark box and commands driven through the window, with real files in
// a temporary folder and the trash in a temporary data folder.
#include "gui/dialogs/combo_box_ex.h"
#include "gui_support.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QScrollArea>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using guitest::StartWindow;

namespace {

class BookmarksWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        guitest::ClearSettings();
        ASSERT_TRUE(dir.isValid());
        for (const char* n : {"a.jpg", "b.jpg", "c.jpg"})
            files.append(guitest::WritePicture(dir, n, guitest::Ramp(24, 16)));
        form = StartWindow();
    }
    QString Current() const { return QString::fromStdString(form->document().CurrentFile); }
    QStringList Entries() const {
        QStringList out;
        for (const auto& e : form->bookmarks().entries())
            out.append(QString::fromStdString(e));
        return out;
    }
    QStringList BoxItems() const {
        QStringList out;
        for (int i = 0; i < form->historyBox()->count(); ++i)
            out.append(form->historyBox()->itemText(i));
        return out;
    }
    void OpenAll() {
        for (const QString& f : files)
            guitest::OpenThroughDialog(*form, {f});
    }
    static QByteArray Bytes(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir dir;
    QStringList files;
    gui::ScriptedPrompter& Script() const { return guitest::Script(*form); }
    // The last folder browser run: where it started, and caption|prompt.
    gui::ScriptedPrompter::Asked LastFolderAsk() const {
        for (auto it = Script().asked().rbegin(); it != Script().asked().rend(); ++it)
            if (it->kind == "folder") return *it;
        return {};
    }
    std::unique_ptr<gui::TWebForm> form;
};

} // namespace

TEST_F(BookmarksWindow, OpeningReloadingAndStepping) {
    guitest::OpenThroughDialog(*form, {files[0]});
    guitest::OpenThroughDialog(*form, {files[1]});
    guitest::OpenThroughDialog(*form, {files[0]});
    EXPECT_EQ(Entries(), (QStringList{files[0], files[1], files[0]}));
    form->input().mnuReloadClick();
    form->WaitIdle();
    EXPECT_EQ(form->bookmarks().count(), 3);
    EXPECT_EQ(BoxItems(), Entries());
    EXPECT_EQ(form->historyBox()->currentIndex(), 2);
    EXPECT_TRUE(form->menus().IsVisible("mnuMedia"));
    EXPECT_TRUE(form->toolButton("btnNextImage")->isEnabled());

    // Next on the last wraps to the first; Previous on the first to the last.
    form->bookmarkCommands().btnNextImageClick();
    form->WaitIdle();
    EXPECT_EQ(form->bookmarks().selected(), 0);
    EXPECT_EQ(form->historyBox()->currentIndex(), 0);
    form->bookmarkCommands().btnPrevImageClick();
    form->WaitIdle();
    EXPECT_EQ(form->bookmarks().selected(), 2);
    form->bookmarkCommands().mnuFirstImageClick(false);
    form->WaitIdle();
    EXPECT_EQ(form->bookmarks().selected(), 0);
    form->bookmarkCommands().btnNextImageClick();
    form->WaitIdle();
    EXPECT_EQ(Current(), files[1]);
    EXPECT_EQ(form->windowTitle(), "b.jpg - VISTREL 3.6.23");
    EXPECT_EQ(form->bookmarks().count(), 3); // stepping adds nothing

    // Picking from the drop-down opens the entry.
    form->bookmarkCommands().HistoryClick(0);
    form->WaitIdle();
    EXPECT_EQ(Current(), files[0]);
    EXPECT_EQ(form->bookmarks().selected(), 0);
}

TEST_F(BookmarksWindow, KeysInsideTheFocusedBoxOpenNothing) {
    OpenAll();
    form->activateWindow();
    QApplication::setActiveWindow(form.get());
    form->historyBox()->setFocus();
    QCoreApplication::processEvents();
    ASSERT_TRUE(form->historyBox()->HaveFocus());
    for (int key : {int(Qt::Key_Home), int(Qt::Key_End)}) {
        QTest::keyClick(form->historyBox(), Qt::Key(key));
        form->WaitIdle();
        EXPECT_EQ(Current(), files[2]);
        EXPECT_EQ(form->bookmarks().selected(), 2);
    }
    form->bookmarkCommands().mnuFirstImageClick(false);
    form->bookmarkCommands().mnuFirstImageClick(true);
    form->WaitIdle();
    EXPECT_EQ(Current(), files[2]);
    // Del edits the box's text and deletes nothing.
    form->historyBox()->lineEdit()->setCursorPosition(0);
    form->bookmarkCommands().mnuDeleteClick(false);
    EXPECT_TRUE(QFileInfo::exists(files[2]));
    EXPECT_EQ(form->historyBox()->currentText(), files[2].mid(1));
    EXPECT_EQ(form->bookmarks().count(), 3);
    // Esc puts the shown file back.
    QTest::keyClick(form->historyBox(), Qt::Key_Escape);
    EXPECT_EQ(form->historyBox()->currentText(), files[2]);
    // Enter on a missing file warns and restores the text; on a folder the
    // open dialog starts there; on a file it opens it.
    form->bookmarkCommands().HistoryEnter(dir.filePath("none.jpg"));
    EXPECT_EQ(Script().messages().last(), "File not found.");
    EXPECT_EQ(form->historyBox()->currentText(), files[2]);
    form->bookmarkCommands().HistoryEnter(dir.path());
    EXPECT_EQ(Script().asked().back().kind, "open");
    EXPECT_EQ(Script().asked().back().folder, dir.path());
    // No to the unsaved-changes question leaves the shown file in the box.
    form->setPictureChanged(true);
    Script().pushReply(gui::Reply::No);
    form->historyBox()->setEditText(files[0]);
    form->bookmarkCommands().HistoryEnter(files[0]);
    EXPECT_EQ(Current(), files[2]);
    EXPECT_EQ(form->historyBox()->currentText(), files[2]);
    form->setPictureChanged(false);
    form->bookmarkCommands().HistoryEnter(files[0]);
    form->WaitIdle();
    EXPECT_EQ(Current(), files[0]);
    EXPECT_EQ(form->bookmarks().count(), 4);
}

TEST_F(BookmarksWindow, TypedOpenGivesTheKeysBackToThePicture) {
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    form->historyBox()->setFocus();
    // A path that does not exist: the box keeps the keys for the correction.
    form->historyBox()->lineEdit()->selectAll();
    QTest::keyClicks(form->historyBox()->lineEdit(), dir.filePath("none.jpg"));
    QTest::keyClick(form->historyBox()->lineEdit(), Qt::Key_Return);
    form->WaitIdle();
    EXPECT_TRUE(form->historyBox()->isAncestorOf(QApplication::focusWidget()) ||
                QApplication::focusWidget() == form->historyBox());
    form->historyBox()->lineEdit()->selectAll();
    QTest::keyClicks(form->historyBox()->lineEdit(), files[1]);
    QTest::keyClick(form->historyBox()->lineEdit(), Qt::Key_Return);
    form->WaitIdle();
    EXPECT_EQ(Current(), files[1]);
    EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(form->scrollBox()));
}

TEST_F(BookmarksWindow, UnmarkClearSortAndUnsavedChanges) {
    OpenAll();
    // Unmark on the third opens the second.
    form->bookmarkCommands().mnuBookmarkUnmarkClick();
    form->WaitIdle();
    EXPECT_EQ(Entries(), (QStringList{files[0], files[1]}));
    EXPECT_EQ(Current(), files[1]);
    // Unmark on the first: the empty picture and nothing selected.
    form->bookmarkCommands().mnuFirstImageClick(false);
    form->WaitIdle();
    form->bookmarkCommands().mnuBookmarkUnmarkClick();
    EXPECT_EQ(Entries(), QStringList{files[1]});
    EXPECT_EQ(form->bookmarks().selected(), -1);
    EXPECT_EQ(Current(), "Untitled");
    EXPECT_EQ(form->windowTitle(), "Untitled - VISTREL 3.6.23");
    // Nothing selected: Unmark does nothing.
    form->bookmarkCommands().mnuBookmarkUnmarkClick();
    EXPECT_EQ(form->bookmarks().count(), 1);

    // An edited picture is not dropped without the question; No changes nothing.
    guitest::OpenThroughDialog(*form, {files[2]});
    form->setPictureChanged(true);
    Script().pushReplies(2, gui::Reply::No);
    form->bookmarkCommands().mnuHistoryClearClick();
    EXPECT_EQ(form->bookmarks().count(), 2);
    EXPECT_TRUE(form->pictureChanged());
    form->bookmarkCommands().mnuBookmarkUnmarkClick(); // the unmark question is answered No too
    EXPECT_EQ(Script().asked().back().buttons, gui::kBtnOk | gui::kBtnCancel);
    EXPECT_TRUE(Script().asked().back().text.startsWith("Remove bookmark for "));
    const int asked = Script().questionCount();
    form->bookmarkCommands().mnuHistoryClearClick(); // Yes, the default
    EXPECT_EQ(Script().questionCount(), asked + 1);
    EXPECT_EQ(form->bookmarks().count(), 0);
    EXPECT_EQ(form->historyBox()->count(), 0);
    EXPECT_FALSE(form->menus().IsEnabled("mnuDelete"));

    // Sorting keeps names that differ only in case and opens the first.
    const QString upper = guitest::WritePicture(dir, "B.jpg", guitest::Ramp(8, 8));
    const QString mixed = guitest::WritePicture(dir, "b.JPG", guitest::Ramp(8, 8));
    guitest::OpenThroughDialog(*form, {upper});
    guitest::OpenThroughDialog(*form, {files[0]});
    guitest::OpenThroughDialog(*form, {mixed});
    form->bookmarkCommands().mnuBookmarksClick();
    EXPECT_TRUE(form->menus().IsEnabled("mnuHistorySort"));
    form->bookmarkCommands().mnuHistorySortClick();
    form->WaitIdle();
    EXPECT_EQ(Entries(), (QStringList{files[0], upper, mixed}));
    EXPECT_EQ(Current(), files[0]);
    EXPECT_EQ(form->historyBox()->currentIndex(), 0);
}

TEST_F(BookmarksWindow, BookmarkFilesSaveAndLoad) {
    guitest::OpenThroughDialog(*form, {files[0]});
    guitest::OpenThroughDialog(*form, {files[1]});
    const QString list = dir.filePath("two.vsl");
    Script().pushPath(list);
    Script().pushPath(dir.filePath("three.vsl"));
    form->bookmarkCommands().mnuHistorySaveClick();
    EXPECT_EQ(Script().asked().back().text, "Save Bookmarks As");
    EXPECT_EQ(Bytes(list), (files[0] + "\r\n" + files[1] + "\r\n").toUtf8());

    // Loading gives the same entries and opens the first.
    form->bookmarkCommands().LoadBookmarks(list);
    form->WaitIdle();
    EXPECT_EQ(Entries(), (QStringList{files[0], files[1]}));
    EXPECT_EQ(Current(), files[0]);
    EXPECT_EQ(form->bookmarks().selected(), 0);

    QFile f(dir.filePath("three.vsl"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("a\r\n\r\nb");
    f.close();
    form->bookmarkCommands().mnuHistoryLoadClick();
    EXPECT_EQ(Script().asked().back().text, "Select Bookmark file");
    EXPECT_EQ(Entries(), (QStringList{"a", "", "b"}));

    // A save that cannot be written says why and keeps the list.
    const int shown = Script().messages().size();
    EXPECT_FALSE(form->bookmarkCommands().SaveBookmarks(dir.filePath("no/such/folder/x.vsl")));
    EXPECT_EQ(Script().messages().size(), shown + 1);
    EXPECT_EQ(form->bookmarks().count(), 3);
    EXPECT_FALSE(Script().messages().last().startsWith("Unexpected"));
}

TEST_F(BookmarksWindow, DeleteToTheTrashAndForGood) {
    QTemporaryDir data;
    const QByteArray oldData = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
    OpenAll();
    form->bookmarkCommands().mnuDeleteClick(false);
    form->WaitIdle();
    EXPECT_FALSE(QFileInfo::exists(files[2]));
    EXPECT_TRUE(QFileInfo::exists(data.filePath("Trash/files/c.jpg")));
    EXPECT_TRUE(QFileInfo::exists(data.filePath("Trash/info/c.jpg.trashinfo")));
    EXPECT_EQ(Entries(), (QStringList{files[0], files[1]}));
    EXPECT_EQ(Current(), files[1]);

    // Shift+Del: our own question, then gone for good; the first entry leaves
    // the empty picture. A No keeps the file.
    form->bookmarkCommands().mnuFirstImageClick(false);
    form->WaitIdle();
    Script().pushReply(gui::Reply::Cancel);
    form->bookmarkCommands().mnuDeleteClick(true);
    EXPECT_TRUE(QFileInfo::exists(files[0]));
    form->bookmarkCommands().mnuDeleteClick(true);
    EXPECT_FALSE(QFileInfo::exists(files[0]));
    EXPECT_FALSE(QFileInfo::exists(data.filePath("Trash/files/a.jpg")));
    EXPECT_EQ(Entries(), QStringList{files[1]});
    EXPECT_EQ(Current(), "Untitled");
    // Nothing selected now: Delete does nothing.
    form->bookmarkCommands().mnuDeleteClick(true);
    EXPECT_TRUE(QFileInfo::exists(files[1]));
    if (oldData.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", oldData);
}

TEST_F(BookmarksWindow, CopyAndMoveToAFolder) {
    OpenAll();
    const QString target = dir.filePath("target");
    ASSERT_TRUE(QDir(dir.path()).mkdir("target"));
    QString answer = target;
    // Each run of the folder browser chooses `answer`.
    auto transfer = [&](bool move) {
        Script().pushPath(answer);
        form->bookmarkCommands().mnuFMoveClick(move);
    };

    // Copy: the copy is made, the entry leaves the list, the previous one shows.
    transfer(false);
    form->WaitIdle();
    EXPECT_EQ(Bytes(target + "/c.jpg"), Bytes(files[2]));
    EXPECT_EQ(Entries(), (QStringList{files[0], files[1]}));
    EXPECT_EQ(Current(), files[1]);
    EXPECT_EQ(LastFolderAsk().folder, dir.path() + "/");
    EXPECT_EQ(LastFolderAsk().text, "c.jpg\nCOPY file to");

    // The second time starts in the folder chosen the first time. The file
    // exists there already and the replace question is answered No.
    QFile::copy(files[1], target + "/b.jpg");
    QFile::resize(target + "/b.jpg", 10);
    Script().pushReply(gui::Reply::No);
    transfer(true);
    EXPECT_EQ(LastFolderAsk().folder, target);
    EXPECT_EQ(LastFolderAsk().text, "b.jpg\nMOVE file to");
    EXPECT_TRUE(
        Script().boxTexts().last().endsWith(" already exists.\nDo you want to replace it?"));
    EXPECT_EQ(QFileInfo(target + "/b.jpg").size(), 10);
    EXPECT_TRUE(QFileInfo::exists(files[1]));
    EXPECT_EQ(form->bookmarks().count(), 2);

    // Into its own folder: refused, the file and the list stay.
    answer = dir.path();
    const QByteArray before = Bytes(files[1]);
    transfer(true);
    transfer(false);
    EXPECT_EQ(Bytes(files[1]), before);
    EXPECT_EQ(form->bookmarks().count(), 2);
    EXPECT_TRUE(Script().messages().last().contains("already in the folder"));

    // A failed move (the target is a folder of the same name) keeps the list and the picture.
    answer = target;
    QFile::remove(target + "/b.jpg");
    ASSERT_TRUE(QDir(target).mkdir("b.jpg"));
    form->setPictureChanged(true);
    transfer(true);
    EXPECT_TRUE(QFileInfo::exists(files[1]));
    EXPECT_EQ(Entries(), (QStringList{files[0], files[1]}));
    EXPECT_EQ(Current(), files[1]);
    EXPECT_TRUE(form->pictureChanged()); // its edits are still guarded

    // A real move.
    QDir(target).rmdir("b.jpg");
    transfer(true);
    form->WaitIdle();
    EXPECT_FALSE(QFileInfo::exists(files[1]));
    EXPECT_TRUE(QFileInfo::exists(target + "/b.jpg"));
    EXPECT_EQ(Entries(), QStringList{files[0]});
    EXPECT_EQ(Current(), files[0]);

    // After a failed open the selected entry is not the file shown: nothing
    // is moved and no entry is removed.
    QFile list(dir.filePath("l.vsl"));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write((files[0] + "\n" + dir.filePath("missing.jpg") + "\n").toUtf8());
    list.close();
    form->bookmarkCommands().LoadBookmarks(list.fileName());
    form->bookmarkCommands().btnNextImageClick();
    form->WaitIdle();
    ASSERT_EQ(form->bookmarks().selected(), 1);
    ASSERT_EQ(Current(), files[0]);
    form->bookmarkCommands().mnuFMoveClick(true);
    form->bookmarkCommands().mnuDeleteClick(true);
    EXPECT_TRUE(QFileInfo::exists(files[0]));
    EXPECT_EQ(form->bookmarks().count(), 2);
    EXPECT_EQ(Script().messages().last(), "The selected bookmark is not the file shown.");
}

TEST_F(BookmarksWindow, SeveralDroppedFilesAndTheBoxPlace) {
    form->input().DropFiles(files);
    form->WaitIdle();
    // Every file but the first, last first; then the first is opened.
    EXPECT_EQ(Entries(), (QStringList{files[2], files[1], files[0]}));
    EXPECT_EQ(BoxItems(), Entries());
    EXPECT_EQ(form->historyBox()->currentIndex(), 2);
    EXPECT_EQ(Current(), files[0]);

    // On the panel: left 54, top 2, 22 high, at least 64 wide.
    EXPECT_EQ(form->historyBox()->parentWidget()->objectName(), "PanelHistory");
    EXPECT_EQ(form->historyBox()->geometry().topLeft(), QPoint(54, 2));
    EXPECT_EQ(form->historyBox()->height(), 22);
    form->resize(200, 300);
    QCoreApplication::processEvents();
    EXPECT_GE(form->historyBox()->width(), 64);
    // Without the Win98 style it sits on the tool bar, and comes back.
    form->resize(700, 300);
    QCoreApplication::processEvents();
    form->layouts().mnuWin98styleClick();
    EXPECT_EQ(form->historyBox()->parentWidget()->objectName(), "Toolbar1");
    EXPECT_TRUE(form->historyBox()->isVisibleTo(form.get()));
    EXPECT_GE(form->historyBox()->width(), 64);
    form->layouts().mnuWin98styleClick();
    form->resize(520, 300);
    QCoreApplication::processEvents();
    EXPECT_EQ(form->historyBox()->parentWidget()->objectName(), "PanelHistory");
    EXPECT_EQ(form->historyBox()->geometry().topLeft(), QPoint(54, 2));
}
