// The main window on the offscreen platform: start-up and settings, opening
// through every way in, caption, description, status and command states.
#include "gui/app/status_panels.h"
#include "gui/dialogs/combo_box_ex.h"
#include "gui/view/tpix.h"
#include "gui_support.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QToolButton>

#include <cstring>
#include <gtest/gtest.h>
#include <stdexcept>

using guitest::StartWindow;

namespace {

QByteArray StoredRecord() {
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, "Corvane", "VISTREL");
    return s.value("VControls3623").toByteArray();
}

class WebFormTest : public ::testing::Test {
  protected:
    void SetUp() override {
        guitest::ClearSettings();
        ASSERT_TRUE(dir.isValid());
    }
    QTemporaryDir dir;
};

} // namespace

TEST_F(WebFormTest, FirstRunWritesFullRecordAndSecondStartReadsIt) {
    {
        auto form = StartWindow();
        EXPECT_EQ(form->windowTitle(), "VISTREL 3.6.23");
        EXPECT_EQ(form->statusPanels()->text(0), "Ready.");
        EXPECT_FALSE(form->menus().IsEnabled("mnuImage"));
        EXPECT_FALSE(form->menus().IsEnabled("mnuReload"));
        EXPECT_FALSE(form->toolButton("btnFitWindow")->isEnabled());
        form->settings().FitToWindow = 1;
        form->settings().AutoCenterWindow = 0;
        EXPECT_TRUE(form->close());
    }
    const QByteArray bytes = StoredRecord();
    ASSERT_EQ(bytes.size(), 96);
    EXPECT_EQ(bytes[20], 1); // FitToWindow
    EXPECT_EQ(bytes[41], 0); // AutoCenterWindow
    auto form = StartWindow();
    EXPECT_EQ(form->settings().FitToWindow, 1);
    EXPECT_EQ(form->settings().AutoCenterWindow, 0);
    EXPECT_TRUE(form->menus().action("mnuFitWindow")->isChecked());
}

TEST_F(WebFormTest, StoredRecordIsClampedAndReservedBytesSurvive) {
    core::SettingsRecord r;
    auto bytes = r.ToBytes();
    const std::int32_t delay = 60001, palette = 9;
    std::memcpy(&bytes[52], &delay, 4);
    std::memcpy(&bytes[28], &palette, 4);
    bytes[23] = 0x5A; // reserved
    bytes[88] = 0xC3; // reserved
    {
        QSettings s(QSettings::NativeFormat, QSettings::UserScope, "Corvane", "VISTREL");
        s.setValue("VControls3623", QByteArray(reinterpret_cast<const char*>(bytes.data()), 96));
        s.setValue("OpenDir", "/some/where/");
    }
    auto form = StartWindow();
    EXPECT_EQ(form->settings().SlideDelay, 1000);
    EXPECT_EQ(form->settings().JpegPalette, 3);
    EXPECT_EQ(form->openDir(), "/some/where/");
    form->close();
    const QByteArray back = StoredRecord();
    ASSERT_EQ(back.size(), 96);
    EXPECT_EQ(std::uint8_t(back[23]), 0x5A);
    EXPECT_EQ(std::uint8_t(back[88]), 0xC3);
    std::int32_t storedDelay = 0;
    std::memcpy(&storedDelay, back.constData() + 52, 4);
    EXPECT_EQ(storedDelay, 1000);
}

TEST_F(WebFormTest, CommandLineFileKeepsItsCase) {
    const QString path = guitest::WritePicture(dir, "Photo.JPG", guitest::Ramp(64, 48));
    auto form = StartWindow({path});
    EXPECT_EQ(form->windowTitle(), "Photo.JPG - VISTREL 3.6.23");
    EXPECT_EQ(QString::fromStdString(form->document().CurrentFile), path);
    ASSERT_EQ(form->bookmarks().count(), 1);
    EXPECT_EQ(QString::fromStdString(form->bookmarks().entries()[0]), path);
    EXPECT_TRUE(form->statusPanels()->text(0).startsWith("Loaded "));
    EXPECT_EQ(form->statusPanels()->text(2), "64x48x16m ddb");
}

TEST_F(WebFormTest, CommandLineArgumentsJoinedWithBlanks) {
    const QString path = guitest::WritePicture(dir, "my picture.png", guitest::Ramp(20, 10));
    auto form = StartWindow({dir.filePath("my"), "picture.png"});
    EXPECT_EQ(form->windowTitle(), "my picture.png - VISTREL 3.6.23");
}

TEST_F(WebFormTest, RelativeCommandLineNamesBecomeAbsolute) {
    struct Back {
        QString here = QDir::currentPath();
        ~Back() { QDir::setCurrent(here); }
    } back;
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    ASSERT_TRUE(QDir().mkdir("Sub"));
    const QString photo = guitest::WritePicture(dir, "Sub/Photo.PNG", guitest::Ramp(20, 10));
    const QString spaced = guitest::WritePicture(dir, "my picture.png", guitest::Ramp(20, 10));
    const QString second = guitest::WritePicture(dir, "second.png", guitest::Ramp(8, 8));
    {
        auto form = StartWindow({"./Sub/../Sub/Photo.PNG"});
        EXPECT_EQ(QString::fromStdString(form->document().CurrentFile), photo);
        ASSERT_EQ(form->bookmarks().count(), 1);
        EXPECT_EQ(QString::fromStdString(form->bookmarks().entries()[0]), photo);
        EXPECT_EQ(form->historyBox()->currentText(), photo);
        EXPECT_EQ(form->windowTitle(), "Photo.PNG - VISTREL 3.6.23");
    }
    {
        // Joined with blanks first, then made absolute.
        auto form = StartWindow({"my", "picture.png"});
        EXPECT_EQ(QString::fromStdString(form->document().CurrentFile), spaced);
    }
    {
        // Several existing files: every bookmark absolute.
        auto form = StartWindow({"second.png", "Sub/Photo.PNG"});
        EXPECT_EQ(QString::fromStdString(form->document().CurrentFile), second);
        QStringList entries;
        for (const auto& e : form->bookmarks().entries())
            entries << QString::fromStdString(e);
        EXPECT_TRUE(entries.contains(photo)) << entries.join(' ').toStdString();
        EXPECT_TRUE(entries.contains(second));
    }
}

TEST_F(WebFormTest, CraftedJpegShowsItsMessageAndTheWindowCarriesOn) {
    const QString good = guitest::WritePicture(dir, "good.png", guitest::Ramp(30, 20));
    auto form = StartWindow({good});
    gui::ScriptedPrompter& script = guitest::Script(*form);
    guitest::OpenThroughDialog(*form, {VISTREL_TEST_DATA "/crashers/jpeg_two_sof_870b.jpg"});
    ASSERT_FALSE(script.messages().isEmpty());
    EXPECT_TRUE(script.messages().last().contains("SOF")) << script.messages().last().toStdString();
    EXPECT_EQ(script.asked().back().type, gui::BoxType::Critical);
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->input().busy());
    // The name goes back to the picture before; its bookmark stays and opens again.
    EXPECT_EQ(QString::fromStdString(form->document().CurrentFile), good);
    EXPECT_EQ(form->bookmarks().count(), 1);
    guitest::OpenThroughDialog(*form, {good});
    EXPECT_EQ(form->windowTitle(), "good.png - VISTREL 3.6.23");
    EXPECT_EQ(form->pix()->Bitmap().width(), 30);
}

TEST_F(WebFormTest, EveryFormatOpensThroughTheWindow) {
    auto form = StartWindow();
    for (const char* name : {"a.jpg", "b.png", "c.bmp", "d.tga", "e.tif", "f.pcx"}) {
        SCOPED_TRACE(name);
        const QString path = guitest::WritePicture(dir, name, guitest::Ramp(40, 30));
        ASSERT_TRUE(QFileInfo::exists(path));
        guitest::OpenThroughDialog(*form, {path});
        EXPECT_EQ(form->windowTitle(), QString(name) + " - VISTREL 3.6.23");
        EXPECT_EQ(form->statusPanels()->text(2), "40x30x16m ddb");
        EXPECT_TRUE(form->picturePresent());
        EXPECT_TRUE(form->menus().IsEnabled("mnuImage"));
        EXPECT_TRUE(form->menus().IsEnabled("mnuColors"));
        EXPECT_TRUE(form->menus().IsEnabled("mnuFitWindow"));
        EXPECT_TRUE(form->menus().IsEnabled("mnuReload"));
        EXPECT_TRUE(form->toolButton("btnFitWindow")->isEnabled());
        EXPECT_EQ(form->pix()->Bitmap().width(), 40);
    }
    EXPECT_EQ(form->bookmarks().count(), 6);
}

TEST_F(WebFormTest, ProbeFailureKeepsThePicture) {
    const QString good = guitest::WritePicture(dir, "good.png", guitest::Ramp(30, 20));
    auto form = StartWindow({good});
    guitest::OpenThroughDialog(*form, {dir.filePath("missing.png")});
    EXPECT_EQ(form->windowTitle(), "good.png - VISTREL 3.6.23");
    EXPECT_EQ(QString::fromStdString(form->document().CurrentFile), good);
    EXPECT_EQ(form->pix()->Bitmap().width(), 30);
    EXPECT_EQ(form->statusPanels()->text(2), "30x20x16m ddb");
    // An existing file of a kind the program does not open is refused with a
    // message; the picture stays.
    {
        QFile notes(dir.filePath("notes.txt"));
        ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
        notes.write("hello");
    }
    guitest::OpenThroughDialog(*form, {dir.filePath("notes.txt")});
    EXPECT_EQ(QString::fromStdString(form->document().CurrentFile), good);
    EXPECT_EQ(guitest::Script(*form).messages().last(),
              "Unknown file format.\nTXT files cannot be opened.");
    EXPECT_EQ(form->pix()->Bitmap().width(), 30);
}

TEST_F(WebFormTest, FailedDecodeLeavesTheEmptyPicture) {
    const QString good = guitest::WritePicture(dir, "good.png", guitest::Ramp(30, 20));
    // A JPEG whose header is fine and whose data is cut off after a few bytes.
    const QString cut = guitest::WritePicture(dir, "cut.jpg", guitest::Ramp(300, 200));
    {
        QFile f(cut);
        f.open(QIODevice::ReadWrite);
        QByteArray head = f.read(700);
        f.resize(0);
        f.seek(0);
        f.write(head.left(200));
    }
    auto form = StartWindow({good});
    guitest::OpenThroughDialog(*form, {cut});
    EXPECT_EQ(form->windowTitle(), "Untitled - VISTREL 3.6.23");
    EXPECT_EQ(form->document().CurrentFile, form->document().PreviousFile);
    EXPECT_EQ(form->pix()->Bitmap().width(), 16);
    EXPECT_EQ(form->pix()->Bitmap().height(), 16);
    EXPECT_FALSE(form->menus().IsEnabled("mnuReload"));
    EXPECT_FALSE(form->pictureChanged());
}

TEST_F(WebFormTest, PictureShownInPartSaysSo) {
    const QString whole = guitest::WritePicture(dir, "whole.bmp", guitest::Ramp(60, 40));
    const QString cut = guitest::WritePicture(dir, "cut.bmp", guitest::Ramp(60, 40));
    {
        QFile f(cut);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.resize(f.size() * 2 / 3));
    }
    auto form = StartWindow({whole});
    EXPECT_EQ(form->statusPanels()->text(0), "Ready.");
    guitest::OpenThroughDialog(*form, {cut});
    EXPECT_EQ(QString::fromStdString(form->document().CurrentFile), cut);
    EXPECT_EQ(form->pix()->Bitmap().height(), 40);
    EXPECT_EQ(form->statusPanels()->text(0), "Shown in part.");
    EXPECT_TRUE(guitest::Script(*form).messages().isEmpty());
}

TEST_F(WebFormTest, UnsavedChangesQuestionOnOpenDropAndClose) {
    const QString a = guitest::WritePicture(dir, "a.png", guitest::Ramp(10, 10));
    const QString b = guitest::WritePicture(dir, "b.png", guitest::Ramp(12, 12));
    auto form = StartWindow({a});

    gui::ScriptedPrompter& script = guitest::Script(*form);
    form->setPictureChanged(true);
    script.pushReplies(3, gui::Reply::No);
    guitest::OpenThroughDialog(*form, {b});
    EXPECT_EQ(script.questionCount(), 1);
    const auto& asked = script.asked().back();
    EXPECT_EQ(asked.type, gui::BoxType::Question);
    EXPECT_EQ(asked.buttons, gui::kBtnYes | gui::kBtnNo);
    EXPECT_EQ(asked.text, "You have unsaved changes. Continue?");
    EXPECT_EQ(form->windowTitle(), "a.png - VISTREL 3.6.23");
    EXPECT_TRUE(form->pictureChanged());

    form->input().DropFiles({b});
    form->WaitIdle();
    EXPECT_EQ(script.questionCount(), 2);
    EXPECT_EQ(form->windowTitle(), "a.png - VISTREL 3.6.23");

    EXPECT_FALSE(form->close());
    EXPECT_EQ(script.questionCount(), 3);
    EXPECT_TRUE(form->isVisible());

    form->input().DropFiles({b}); // the default button: Yes
    form->WaitIdle();
    EXPECT_EQ(script.questionCount(), 4);
    EXPECT_EQ(form->windowTitle(), "b.png - VISTREL 3.6.23");
    EXPECT_FALSE(form->pictureChanged());

    form->setPictureChanged(true);
    EXPECT_TRUE(form->close());
    EXPECT_EQ(script.questionCount(), 5);
}

TEST_F(WebFormTest, SeveralDroppedFilesGoToTheBookmarksLastFirst) {
    QStringList names;
    for (const char* n : {"one.png", "two.png", "three.png"})
        names << guitest::WritePicture(dir, n, guitest::Ramp(8, 8));
    auto form = StartWindow();
    form->input().DropFiles(names);
    form->WaitIdle();
    const auto& list = form->bookmarks().entries();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(QString::fromStdString(list[0]), names[2]);
    EXPECT_EQ(QString::fromStdString(list[1]), names[1]);
    EXPECT_EQ(QString::fromStdString(list[2]), names[0]);
    EXPECT_EQ(form->windowTitle(), "one.png - VISTREL 3.6.23");
    EXPECT_TRUE(form->menus().IsVisible("mnuMedia"));
    EXPECT_TRUE(form->toolButton("btnNextImage")->isEnabled());
}

TEST_F(WebFormTest, ProgressDrawsOnlyNewMultiplesOfFive) {
    auto form = StartWindow();
    const int before = form->statusPanels()->progressDraws();
    form->status().ProgressBegin();
    core::ProgressFn progress = form->input().MakeProgressCallback();
    for (int p : {1, 3, 5, 5, 7, 10})
        EXPECT_TRUE(progress(p));
    QCoreApplication::processEvents();
    EXPECT_EQ(form->statusPanels()->progressDraws() - before, 2);
    EXPECT_EQ(form->statusPanels()->lastProgress(), 10);
}

TEST_F(WebFormTest, DepthRulesForOneBitPictures) {
    const QString path = guitest::WritePicture(dir, "fax.bmp", guitest::OneBitLines(64, 40));
    auto form = StartWindow();
    // With the fax reduction on, a 1-bit page becomes 8-bit gray at half size.
    guitest::OpenThroughDialog(*form, {path});
    EXPECT_EQ(form->document().PictureBits, 8);
    EXPECT_EQ(form->statusPanels()->text(2), "28x16x256 ddb");
    form->settings().FaxQuality = 0;
    guitest::OpenThroughDialog(*form, {path});
    EXPECT_EQ(form->document().PictureBits, 1);
    EXPECT_TRUE(form->menus().RuleEnabled("mnuNegative"));
    EXPECT_FALSE(form->menus().RuleEnabled("mnuGray"));
    EXPECT_TRUE(form->menus().RuleEnabled("mnuPromote24"));
    EXPECT_FALSE(form->menus().RuleEnabled("mnuReduce"));
    EXPECT_FALSE(form->menus().IsVisible("mnuSharpen")); // filters need 8 bits or more
    EXPECT_EQ(form->statusPanels()->text(2), "64x40x2 ddb");
}

TEST_F(WebFormTest, UnexpectedErrorIsReportedAndTheWindowStays) {
    const QString path = guitest::WritePicture(dir, "a.png", guitest::Ramp(10, 10));
    auto form = StartWindow({path});
    form->setPictureChanged(true);
    form->Guard([] { throw std::runtime_error("boom"); });
    ASSERT_FALSE(guitest::Script(*form).messages().isEmpty());
    EXPECT_TRUE(guitest::Script(*form).messages().last().startsWith(
        "Unexpected exception.  Please report following\nerror and what you were doing"));
    EXPECT_TRUE(guitest::Script(*form).messages().last().endsWith("boom"));
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->pictureChanged());
    EXPECT_EQ(form->windowTitle(), "a.png - VISTREL 3.6.23");
    guitest::Script(*form).pushReply(gui::Reply::No);
    EXPECT_FALSE(form->close()); // still asks
}

TEST_F(WebFormTest, ReloadAndHelp) {
    const QString path = guitest::WritePicture(dir, "a.png", guitest::Ramp(10, 10));
    auto form = StartWindow({path});
    form->menus().action("mnuReload")->trigger();
    form->WaitIdle();
    EXPECT_EQ(form->windowTitle(), "a.png - VISTREL 3.6.23");
    EXPECT_EQ(form->bookmarks().count(), 1);
    form->menus().action("mnuHelpSlideshows")->trigger();
    ASSERT_NE(form->helpWindow(), nullptr);
    EXPECT_EQ(form->helpWindow()->context(), 300);
    EXPECT_TRUE(form->helpWindow()->pageText().contains("Slideshows"));
    form->mnuHelpContextClick(12345);
    EXPECT_EQ(form->helpWindow()->context(), 0);
}

TEST_F(WebFormTest, MenusComeInPairs) {
    auto form = StartWindow();
    QStringList bar;
    for (QAction* a : form->menuBar()->actions())
        bar << a->text();
    EXPECT_EQ(bar, (QStringList{"&File", "&Edit", "&View", "&Image", "&Colors", "&Help"}));
    // One action in both menus: the popup's File holds the very same Open.
    QAction* open = form->menus().action("mnuOpen");
    EXPECT_EQ(form->menus().action("mnuOpen1"), open);
    EXPECT_TRUE(form->menus().popupMenu("mnuFile")->actions().contains(open));
    EXPECT_TRUE(form->menus().barMenu("mnuFile")->actions().contains(open));
    EXPECT_EQ(open->shortcut(), QKeySequence("Ctrl+O"));
    // Menu-bar only and popup only.
    QAction* recycle = form->menus().action("mnuRecycle1");
    EXPECT_FALSE(form->menus().popupMenu("mnuFile")->actions().contains(recycle));
    EXPECT_FALSE(recycle->isVisible());
    EXPECT_FALSE(form->menuBar()->actions().contains(form->menus().action("mnuToolbar")));
    // Opened over the picture: the six submenus only; over the tool bar: the toggles only.
    form->status().MainMenuPopup(gui::PopupPlace::Picture);
    EXPECT_TRUE(form->menus().popupMenu("mnuFile")->menuAction()->isVisible());
    EXPECT_FALSE(form->menus().action("mnuToolbar")->isVisible());
    form->status().MainMenuPopup(gui::PopupPlace::Toolbar);
    EXPECT_FALSE(form->menus().popupMenu("mnuFile")->menuAction()->isVisible());
    EXPECT_TRUE(form->menus().action("mnuToolbar")->isVisible());
    // Eleven tool buttons in order.
    QStringList tools;
    for (QToolButton* b : form->findChildren<QToolButton*>())
        if (b->objectName().startsWith("btn")) tools << b->text();
    EXPECT_EQ(tools, (QStringList{"Back", "Next", "Open", "Screen", "Adjust", "Fit", "Zoom -",
                                  "Zoom +", "Scroll", "Select", "Page"}));
}
