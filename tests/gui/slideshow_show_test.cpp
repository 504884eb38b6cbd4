// A real show in the window over three bookmarks: slides drawn on the show
// surface, a click stops it, and the window comes back as it was.
#include "gui/app/settings_store.h"
#include "gui/app/web_form.h"
#include "gui/dialogs/combo_box_ex.h"
#include "gui/slideshow/show_window.h"
#include "gui/slideshow/slideshow_commands.h"
#include "gui_support.h"

#include <QAction>
#include <QFile>
#include <QMenuBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

TEST(SlideshowShow, RunsOverTheBookmarksAndRestoresTheWindowAfterAClick) {
    guitest::ClearSettings();
    QTemporaryDir dir;
    const QString a = guitest::WritePicture(dir, "a.bmp", guitest::Ramp(120, 90));
    const QString b = guitest::WritePicture(dir, "b.bmp", guitest::Ramp(40, 30));
    const QString c = guitest::WritePicture(dir, "c.bmp", guitest::Ramp(100, 100));
    auto form = guitest::StartWindow({a});
    form->input().DragOpen(b);
    form->WaitIdle();
    form->input().DragOpen(c);
    form->WaitIdle();
    ASSERT_EQ(form->bookmarks().count(), 3);
    form->settings().SlideDelay = 0;
    form->settings().AlwaysFullScreen = 0;
    QByteArray none(256, '\0');
    none[255] = 1; // only entry 0: drawn plainly
    gui::WriteBinaryValue("selFX01", none);

    const bool statusShown = form->statusBar()->isVisible();
    // The selection tool and no fitting: the show takes the hand tool and fits
    // its slides, and gives the fitting mode back at the end.
    form->RunCommand("mnuSelect");
    ASSERT_TRUE(form->menus().action("mnuSelect")->isChecked());
    form->settings().FitToWindow = 0;
    bool fittedDuringShow = true;

    std::vector<QString> captions;
    bool menusOff = true;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        captions.push_back(form->windowTitle());
        if (form->windowTitle().startsWith("Slide ") && !form->settings().FitToWindow)
            fittedDuringShow = false;
        if (form->findChildren<QWidget*>("ShowSurface").isEmpty()) return; // not running
        for (QAction* act : form->menus().actions())
            if (act->isEnabled()) menusOff = false;
    });
    poll.start(20);
    QTimer::singleShot(700, [&] {
        auto surfaces = form->findChildren<QWidget*>("ShowSurface");
        EXPECT_EQ(surfaces.size(), 1);
        if (!surfaces.isEmpty())
            QTest::mouseClick(surfaces.front(), Qt::LeftButton);
        else
            form->close(); // a close request only stops the show
    });
    QCoreApplication::processEvents();
    std::map<QAction*, bool> before;
    for (QAction* act : form->menus().actions())
        before[act] = act->isEnabled();
    ASSERT_EQ(form->RunCommand("mnuHistorySlideshow"), gui::TWebForm::CommandResult::Ran);
    poll.stop();
    form->WaitIdle();

    EXPECT_TRUE(guitest::Script(*form).asked().empty()); // no box on a plain stop
    EXPECT_TRUE(form->picturePresent());
    EXPECT_TRUE(menusOff);
    bool sawSlide = false;
    for (const QString& t : captions)
        if (t.startsWith("Slide ") && t.contains(" of 3 - ")) sawSlide = true;
    EXPECT_TRUE(sawSlide);
    // Restored: no surface, the commands as they were, the bars back, the entry reopened.
    EXPECT_TRUE(form->findChildren<QWidget*>("ShowSurface").isEmpty());
    for (QAction* act : form->menus().actions())
        EXPECT_EQ(act->isEnabled(), before[act]) << act->objectName().toStdString();
    EXPECT_EQ(form->statusBar()->isVisible(), statusShown);
    const int sel = form->bookmarks().selected();
    ASSERT_GE(sel, 0);
    EXPECT_EQ(QString::fromStdString(form->document().CurrentFile),
              QString::fromStdString(form->bookmarks().entries()[sel]));
    EXPECT_FALSE(form->windowTitle().startsWith("Slide "));
    EXPECT_TRUE(fittedDuringShow);
    EXPECT_EQ(form->settings().FitToWindow, 0);
    EXPECT_FALSE(form->menus().action("mnuFitWindow")->isChecked());
    EXPECT_TRUE(form->menus().action("mnuHand")->isChecked());
}

} // namespace

// "&Reelmark AVL": the script chooser with its own title; a script of another
// version is refused with the program's warning, and no show starts.
TEST(SlideshowShow, ScriptChooserAndTheVersionWarning) {
    guitest::ClearSettings();
    QTemporaryDir dir;
    const QString a = guitest::WritePicture(dir, "a.bmp", guitest::Ramp(20, 20));
    const QString script = dir.filePath("old.avl");
    {
        QFile f(script);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Header]\r\nVer=5\r\nN=2\r\n[0]\r\nF=a.bmp,0\r\n");
    }
    auto form = guitest::StartWindow({a});
    gui::ScriptedPrompter& script_ = guitest::Script(*form);
    form->slideshow().mnuSlideshowClick(); // cancelled
    ASSERT_FALSE(script_.asked().empty());
    EXPECT_EQ(script_.asked().back().kind, "open");
    EXPECT_EQ(script_.asked().back().text, "Select AVL script");
    script_.pushFiles({script});
    form->slideshow().mnuSlideshowClick();
    EXPECT_EQ(script_.messages().last(),
              "Only Reelmark v3.6 AVL files are supported.\nUse Reelmark slideshow editor to "
              "update AVL file.");
    EXPECT_EQ(form->windowTitle(), "a.bmp - VISTREL 3.6.23");
}
