// The open dialog with its preview panel, and the open that takes over what
// the dialog learned.
#include "gui_support.h"

#include "core/test_support.h"
#include "gui/app/event_pump.h"

#include "gui/app/status_panels.h"
#include "gui/dialogs/open_dialog_plus.h"
#include "gui/view/tpix.h"

#include <QAbstractItemView>
#include <QFile>
#include <QFileSystemModel>
#include <QLabel>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

#include <gtest/gtest.h>

#include <fstream>

namespace {

class OpenDialog : public ::testing::Test {
  protected:
    void SetUp() override {
        guitest::ClearSettings();
        ASSERT_TRUE(dir.isValid());
        form = guitest::StartWindow();
    }
    // Works the window's Open command through the real dialog.
    void RunDialog(const gui::ScriptedPrompter::OpenDialogFn& fn) {
        guitest::Script(*form).pushOpenDialog(fn);
        form->input().BtnOpenClick(gui::OpenSender::User);
        form->WaitIdle();
    }
    // Chooses `file` after the cursor landed on it, as a user clicking it does.
    void ChooseSelected(const QString& file) {
        RunDialog([file](gui::TOpenDialogPlus& d) {
            d.SelectionChanged(file);
            return QStringList{file};
        });
    }
    QString Status() const { return form->statusPanels()->text(0); }
    bool Paging() const {
        return form->menus().IsVisible("mnuPage") && form->toolButton("btnPage")->isEnabled();
    }

    QTemporaryDir dir;
    std::unique_ptr<gui::TWebForm> form;
};

} // namespace

TEST_F(OpenDialog, SizesPreviewsAndIcons) {
    const QString big = guitest::WritePicture(dir, "wide.jpg", guitest::Ramp(2000, 1000));
    const QString small = guitest::WritePicture(dir, "small.png", guitest::Ramp(120, 90));
    const QString text = dir.filePath("notes.txt");
    std::ofstream(text.toStdString()) << "some words\n";
    const QString fax = guitest::WritePicture(dir, "fax.bmp", guitest::OneBitLines(1728, 2200));
    const QString broken = dir.filePath("broken.png");
    std::ofstream(broken.toStdString()) << "no picture here\n";

    bool ran = false;
    RunDialog([&](gui::TOpenDialogPlus& d) {
        ran = true;
        QToolButton* button = d.PreviewButton();
        EXPECT_TRUE(button->isChecked());
        EXPECT_FALSE(button->isEnabled()); // nothing selected yet

        // Above 1500 pixels: the size, and a preview only on request.
        d.SelectionChanged(big);
        EXPECT_EQ(d.PictureLabel()->text(), "2000x1000 (24bpp)");
        EXPECT_EQ(d.PaintBox()->state(), "text Click for preview.");
        EXPECT_TRUE(button->isEnabled());
        QTest::mouseClick(d.PaintBox(), Qt::LeftButton);
        // 1/8 of the picture, fitted to the box's width and centred.
        EXPECT_EQ(d.PaintBox()->state(), "picture 188x94 at 0,55");
        EXPECT_EQ(d.ImageFilename(), big);
        EXPECT_EQ(d.ImageWidth(), 2000);
        EXPECT_FALSE(d.ImagePreload());

        // A text file: its desktop icon, no label, the button disabled.
        d.SelectionChanged(text);
        EXPECT_EQ(d.PaintBox()->state(), "icon");
        EXPECT_EQ(d.PictureLabel()->text(), "");
        EXPECT_FALSE(button->isEnabled());
        EXPECT_EQ(d.ImageFilename(), "-");
        // A picture's name on bytes that are none: the warning icon.
        d.SelectionChanged(broken);
        EXPECT_EQ(d.PaintBox()->state(), "icon");
        EXPECT_FALSE(button->isEnabled());

        // Small pictures are previewed at once, at their own size, centred.
        d.SelectionChanged(small);
        EXPECT_EQ(d.PictureLabel()->text(), "120x90 (24bpp)");
        EXPECT_EQ(d.PaintBox()->state(), "picture 120x90 at 34,57");
        EXPECT_TRUE(d.ImagePreload());

        // Released, the button stops automatic previews; the size still shows.
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_FALSE(button->isChecked());
        d.SelectionChanged(big);
        d.SelectionChanged(small);
        EXPECT_EQ(d.PictureLabel()->text(), "120x90 (24bpp)");
        EXPECT_EQ(d.PaintBox()->state(), "text Click for preview.");
        EXPECT_EQ(d.ImageBitmap(), nullptr);
        // Pressing it again previews the file under the cursor.
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_EQ(d.PaintBox()->state(), "picture 120x90 at 34,57");

        // A fax page is previewed as a reduced gray copy whose depth the open
        // cannot take.
        d.SelectionChanged(fax);
        EXPECT_EQ(d.PictureLabel()->text(), "1728x2200 (1bpp)");
        EXPECT_EQ(d.ImageBitsPixel(), 1);
        d.PaintBoxClick();
        EXPECT_EQ(d.PaintBox()->state(), "picture 160x204 at 14,0"); // 215 x 274
        EXPECT_EQ(d.ImageBitsPixel(), -1);
        EXPECT_FALSE(d.ImagePreload());

        // A file that went away clears everything.
        d.SelectionChanged(dir.filePath("gone.png"));
        EXPECT_EQ(d.PaintBox()->state(), "empty");
        EXPECT_EQ(d.ImageFilename(), "-");
        EXPECT_FALSE(button->isEnabled());
        return QStringList();
    });
    EXPECT_TRUE(ran);
    EXPECT_FALSE(form->picturePresent() && !form->document().CurrentFile.empty());
}

TEST_F(OpenDialog, PictureFilterIgnoresTheCaseOfNames) {
    guitest::WritePicture(dir, "UPPER.JPG", guitest::Ramp(8, 8));
    guitest::WritePicture(dir, "Mixed.Png", guitest::Ramp(8, 8));
    std::ofstream(dir.filePath("notes.txt").toStdString()) << "words\n";
    QStringList shown;
    RunDialog([&](gui::TOpenDialogPlus& d) {
        auto* view = d.findChild<QTreeView*>();
        auto* model = d.findChild<QFileSystemModel*>();
        if (!view || !model) {
            ADD_FAILURE() << "the dialog has no file list";
            return QStringList();
        }
        bool loaded = false;
        QObject::connect(model, &QFileSystemModel::directoryLoaded,
                         [&loaded](const QString&) { loaded = true; });
        d.setDirectory(dir.path());
        gui::PumpEventsWhile([&] { return !loaded; }, 5000);
        QAbstractItemModel* m = view->model();
        for (int r = 0; r < m->rowCount(view->rootIndex()); ++r)
            shown << m->index(r, 0, view->rootIndex()).data().toString();
        return QStringList();
    });
    shown.sort();
    EXPECT_EQ(shown, (QStringList{"Mixed.Png", "UPPER.JPG"}));
}

TEST_F(OpenDialog, ClickingAFileInTheListPreviewsIt) {
    const QString file = guitest::WritePicture(dir, "clicked.png", guitest::Ramp(60, 40));
    RunDialog([&](gui::TOpenDialogPlus& d) {
        auto* view = d.findChild<QTreeView*>();
        auto* model = d.findChild<QFileSystemModel*>();
        if (!view || !model) {
            ADD_FAILURE() << "the dialog has no file list";
            return QStringList();
        }
        d.setDirectory(dir.path());
        // The folder is read on the model's own thread: wait for its row,
        // and for the list to be laid out.
        auto first = [&] { return view->model()->index(0, 0, view->rootIndex()); };
        gui::PumpEventsWhile(
            [&] {
                return first().data().toString() != "clicked.png" ||
                       view->visualRect(first()).isEmpty();
            },
            5000);
        const QModelIndex index = first();
        EXPECT_EQ(index.data().toString(), "clicked.png");
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
        EXPECT_EQ(d.PictureLabel()->text(), "60x40 (24bpp)");
        EXPECT_EQ(d.PaintBox()->state(), "picture 60x40 at 64,82");
        EXPECT_EQ(d.ImageFilename(), file);
        return QStringList();
    });
}

TEST_F(OpenDialog, PreviewedPictureIsTheOpenedOneWithoutASecondRead) {
    const QString file = guitest::WritePicture(dir, "photo.png", guitest::Ramp(120, 90));
    guitest::OpenThroughDialog(*form, {file}); // no selection: the normal probe and decode
    ASSERT_TRUE(form->picturePresent());
    const core::Bitmap normal = form->pix()->Bitmap();
    const QString description = form->statusPanels()->text(2);

    guitest::OpenThroughDialog(*form,
                               {guitest::WritePicture(dir, "other.bmp", guitest::Ramp(10, 10))});
    RunDialog([&](gui::TOpenDialogPlus& d) {
        d.SelectionChanged(file);
        EXPECT_TRUE(d.ImagePreload());
        // Gone before the open: only the dialog's picture can show it now.
        QFile::remove(file);
        return QStringList{file};
    });
    ASSERT_TRUE(form->picturePresent());
    EXPECT_EQ(form->document().CurrentFile, file.toStdString());
    const core::Bitmap& taken = form->pix()->Bitmap();
    EXPECT_EQ(taken.deviceDependent(), normal.deviceDependent());
    EXPECT_EQ(taken.bits(), normal.bits());
    EXPECT_TRUE(testsupport::SameColours(taken, normal));
    EXPECT_EQ(form->statusPanels()->text(2), description);
    EXPECT_EQ(form->windowTitle(), "photo.png - VISTREL 3.6.23");
    EXPECT_TRUE(form->menus().IsEnabled("mnuReload"));
}

TEST_F(OpenDialog, FastPathStartsFromAFreshDocument) {
    const QString tiff = dir.filePath("three.tif");
    ASSERT_EQ(QProcess::execute("convert", {"-size", "40x30", "xc:#ff0000", "xc:#00ff00",
                                            "xc:#0000ff", "-type", "TrueColor", tiff}),
              0);
    // A whole 24-bit picture taken from the dialog, and an 8-bit one whose
    // facts are taken and which is then decoded without a probe.
    core::Bitmap gray = core::Bitmap::Create(30, 20, 8).value();
    for (int i = 0; i < 256; ++i)
        gray.palette()[i] = core::Rgbq{std::uint8_t(i), std::uint8_t(i), std::uint8_t(i), 0};
    const QString png = guitest::WritePicture(dir, "after.png", guitest::Ramp(50, 40));
    const QString bmp = guitest::WritePicture(dir, "after.bmp", gray);
    for (const QString& next : {png, bmp}) {
        guitest::OpenThroughDialog(*form, {tiff});
        ASSERT_EQ(Status(), "Page 1 of 3");
        ASSERT_TRUE(Paging());
        ChooseSelected(next);
        ASSERT_TRUE(form->picturePresent()) << next.toStdString();
        EXPECT_EQ(form->document().CurrentFile, next.toStdString());
        EXPECT_EQ(form->document().PageCount, 1);
        EXPECT_NE(Status(), "Page 1 of 3");
        EXPECT_FALSE(Paging());
        EXPECT_TRUE(form->menus().IsEnabled("mnuReload"));
        EXPECT_EQ(form->pix()->Bitmap().width(), next == png ? 50 : 30);
        // The reloaded file is the same picture.
        ASSERT_EQ(form->RunCommand("mnuReload"), gui::TWebForm::CommandResult::Ran);
        form->WaitIdle();
        EXPECT_EQ(form->document().CurrentFile, next.toStdString());
    }
}

TEST(OpenDialogSurface, PrintsTheDialogAndSavesItsPicture) {
    QTemporaryDir dir;
    const QString file = guitest::WritePicture(dir, "wide.jpg", guitest::Ramp(2000, 1000));
    const QString shot = dir.filePath("dlg.png");
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    p.setProcessEnvironment(env);
    p.start(VISTREL_PROGRAM,
            {"--open-dialog", file, "--preview-click", "--print-dialog", "--screenshot", shot});
    ASSERT_TRUE(p.waitForFinished(120000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_TRUE(out.contains("label\t2000x1000 (24bpp)\n")) << out.toStdString();
    EXPECT_TRUE(out.contains("preview\tpicture 188x94 at 0,55\n")) << out.toStdString();
    EXPECT_TRUE(out.contains("button\tenabled pressed\n"));
    EXPECT_TRUE(out.contains("ImageFilename\t" + file + "\n"));
    EXPECT_TRUE(out.contains("ImagePreload\tfalse\n"));
    QImage picture(shot);
    EXPECT_FALSE(picture.isNull());
}
