// Paging through multi-page documents, the Info box and acquiring from the
// scanner (SANE's test device) in the window.
#include "gui/app/status_panels.h"
#include "gui/dialogs/combo_box_ex.h"
#include "gui/input/page_commands.h"
#include "gui/input/scan_commands.h"
#include "gui/view/tpix.h"
#include "gui_support.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QProcess>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <fstream>

namespace {

class PagesWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        guitest::ClearSettings();
        ASSERT_TRUE(dir.isValid());
    }
    // A 3-page file (red, green, blue pages of 40 × 30) written by ImageMagick.
    QString ThreePages(const QString& name) {
        const QString path = dir.filePath(name);
        const int rc = QProcess::execute("convert", {"-size", "40x30", "xc:#ff0000", "xc:#00ff00",
                                                     "xc:#0000ff", "-type", "TrueColor", path});
        EXPECT_EQ(rc, 0) << "ImageMagick's convert is needed";
        return path;
    }
    std::uint32_t Shown() const { return form->pix()->Bitmap().rgb(5, 5) & 0xFFFFFF; }
    QString Status() const { return form->statusPanels()->text(0); }
    void Page(const char* command) {
        ASSERT_EQ(form->RunCommand(command), gui::TWebForm::CommandResult::Ran) << command;
        form->WaitIdle();
    }
    bool Paging() const {
        return form->menus().IsVisible("mnuPage") && form->toolButton("btnPage")->isEnabled();
    }

    QTemporaryDir dir;
    std::unique_ptr<gui::TWebForm> form;
};

constexpr std::uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF;

} // namespace

TEST_F(PagesWindow, StepsWrapAroundAtBothEnds) {
    form = guitest::StartWindow({ThreePages("fax.dcx")});
    ASSERT_TRUE(form->picturePresent());
    EXPECT_EQ(Status(), "Page 1 of 3");
    EXPECT_TRUE(Paging());
    EXPECT_EQ(Shown(), kRed);
    Page("mnuPageNext");
    EXPECT_EQ(Shown(), kGreen);
    EXPECT_EQ(Status(), "Page 2 of 3");
    EXPECT_EQ(form->statusPanels()->text(2), "40x30x16m ddb");
    Page("btnPage");
    EXPECT_EQ(Shown(), kBlue);
    Page("mnuPageNext"); // from page 3 back to page 1
    EXPECT_EQ(Shown(), kRed);
    EXPECT_EQ(Status(), "Page 1 of 3");
    Page("mnuPagePrev"); // from page 1 to page 3
    EXPECT_EQ(Shown(), kBlue);
    Page("mnuPageFirst");
    EXPECT_EQ(Shown(), kRed);
    Page("mnuPageLast");
    EXPECT_EQ(Shown(), kBlue);
    EXPECT_EQ(Status(), "Page 3 of 3");
    // Paging keeps the name and the magnification.
    EXPECT_EQ(form->windowTitle(), "fax.dcx - VISTREL 3.6.23");
    EXPECT_FALSE(form->pictureChanged());
}

TEST_F(PagesWindow, TiffPagesAndAnEditEndsThePaging) {
    form = guitest::StartWindow({ThreePages("fax.tif")});
    form->view().ZoomTo(200);
    Page("mnuPageNext");
    EXPECT_EQ(Shown(), kGreen);
    EXPECT_EQ(form->zoomPercent(), 200);
    EXPECT_EQ(form->pix()->width(), 80);
    form->editing().mnuNegativeClick();
    EXPECT_FALSE(form->menus().IsVisible("mnuPage"));
    EXPECT_FALSE(form->toolButton("btnPage")->isEnabled());
    EXPECT_EQ(form->document().PageCount, 0);
    form->pages().mnuPageChange(1, true);
    form->WaitIdle();
    EXPECT_EQ(Shown(), 0xFF00FFu); // the negative of green, not another page
    // In fit-to-window mode each page is fitted again.
    form->setPictureChanged(false);
    guitest::OpenThroughDialog(*form, {dir.filePath("fax.tif")});
    form->view().mnuFitWindowClick();
    const QSize fitted = form->pix()->size();
    Page("mnuPageLast");
    EXPECT_EQ(Shown(), kBlue);
    EXPECT_EQ(form->pix()->size(), fitted);
    EXPECT_TRUE(form->settings().FitToWindow);
    form->view().mnuFitWindowClick();
    // A single-page file shows no paging at all.
    guitest::OpenThroughDialog(*form, {guitest::WritePicture(dir, "one.png", guitest::Ramp(8, 8))});
    EXPECT_FALSE(Paging());
}

TEST_F(PagesWindow, FirstAndLastBelongToTheFocusedBookmarkBox) {
    form = guitest::StartWindow({ThreePages("fax.dcx")});
    Page("mnuPageNext");
    form->activateWindow();
    QApplication::setActiveWindow(form.get());
    form->historyBox()->setFocus();
    QCoreApplication::processEvents();
    ASSERT_TRUE(form->historyBox()->HaveFocus());
    form->pages().mnuPageChange(0, true);
    form->pages().mnuPageChange(999, true);
    // The keys themselves, through the window's shortcuts.
    QTest::keyClick(form->historyBox(), Qt::Key_Home, Qt::AltModifier);
    QTest::keyClick(form->historyBox(), Qt::Key_End, Qt::AltModifier);
    form->WaitIdle();
    EXPECT_EQ(Shown(), kGreen);
    EXPECT_EQ(form->pages().currentPage(), 1);
    // Next is still the page's, and the button always is.
    QTest::keyClick(form->historyBox(), Qt::Key_PageDown, Qt::AltModifier);
    form->WaitIdle();
    EXPECT_EQ(Shown(), kBlue);
    form->pages().mnuPageChange(0, false);
    form->WaitIdle();
    EXPECT_EQ(Shown(), kRed);
}

TEST_F(PagesWindow, ADamagedPageKeepsTheNameThePageAndThePaging) {
    const QString path = ThreePages("broken.dcx");
    {
        // Page 2's header claims far more lines than the file holds.
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        QByteArray b = f.readAll();
        const auto le32 = [&](int at) {
            return quint32(quint8(b[at])) | quint32(quint8(b[at + 1])) << 8 |
                   quint32(quint8(b[at + 2])) << 16 | quint32(quint8(b[at + 3])) << 24;
        };
        const quint32 page2 = le32(8);
        b[page2 + 10] = char(0x30);
        b[page2 + 11] = char(0x75);
        f.seek(0);
        f.write(b);
    }
    form = guitest::StartWindow({path});
    ASSERT_EQ(Status(), "Page 1 of 3");
    const std::string file = form->document().CurrentFile;
    Page("mnuPageNext");
    ASSERT_FALSE(guitest::Script(*form).messages().isEmpty());
    EXPECT_EQ(form->document().CurrentFile, file);
    EXPECT_EQ(form->windowTitle(), "broken.dcx - VISTREL 3.6.23");
    EXPECT_EQ(Shown(), kRed);
    EXPECT_EQ(form->pages().currentPage(), 0);
    EXPECT_TRUE(Paging());
    Page("mnuPageLast");
    EXPECT_EQ(Shown(), kBlue);
    EXPECT_EQ(Status(), "Page 3 of 3");
    // After the library image was closed (as the options' Apply does), the file is opened again.
    form->input().pipeline().CloseLibraryImage();
    Page("mnuPagePrev");
    EXPECT_EQ(Shown(), kBlue); // page 2 is the damaged one: the message, and page 3 stays
    EXPECT_EQ(guitest::Script(*form).messages().size(), 2);
    Page("mnuPageFirst");
    EXPECT_EQ(Shown(), kRed);
    EXPECT_EQ(Status(), "Page 1 of 3");
    // When the file is gone, paging ends.
    QFile::remove(path);
    form->input().pipeline().CloseLibraryImage();
    Page("mnuPageLast");
    EXPECT_FALSE(Paging());
    EXPECT_EQ(form->document().CurrentFile, file);
}

TEST_F(PagesWindow, InfoBoxOnEveryScreenDepth) {
    const QString png = guitest::WritePicture(dir, "big.png", guitest::Ramp(640, 480));
    for (int bits : {8, 16, 24, 32}) {
        gui::StartOptions o = guitest::ScriptedOptions();
        o.screenBits = bits;
        o.readSettings = false;
        auto w = std::make_unique<gui::TWebForm>(o);
        w->settings().AutoReduce = bits == 8 ? 0 : 1; // stays 24-bit on the palette screen
        w->show();
        guitest::OpenThroughDialog(*w, {png});
        ASSERT_EQ(w->RunCommand("mnuImageInfo"), gui::TWebForm::CommandResult::Ran);
        const QStringList boxes = guitest::Script(*w).messages();
        ASSERT_EQ(boxes.size(), 1) << bits;
        const QString text = boxes.last();
        EXPECT_TRUE(text.startsWith("640x480x16m ")) << text.toStdString();
        EXPECT_TRUE(text.contains("\nName: big.png\nPath: " + dir.path() + "/\nDate: "))
            << text.toStdString();
        EXPECT_TRUE(text.contains("\nUses: 921600 bytes\nFree: ")) << text.toStdString();
        EXPECT_TRUE(text.endsWith(QString(" bytes\n\nVideo: %1 bpp").arg(bits)))
            << text.toStdString();
        EXPECT_FALSE(text.contains("Pages:"));
        w->setPictureChanged(false);
    }
    form = guitest::StartWindow({ThreePages("fax.tif")});
    form->RunCommand("mnuImageInfo");
    ASSERT_FALSE(guitest::Script(*form).messages().isEmpty());
    EXPECT_TRUE(guitest::Script(*form).messages().last().contains("\nPages: 3\nUses: 3600 bytes"));
}

namespace {

// The window's scanner: SANE's test device only, configured per test. SANE
// reads SANE_CONFIG_DIR once a process, so every test uses the same folder.
class ScanWindow : public PagesWindow {
  protected:
    static QString SaneDir() {
        static QTemporaryDir sane;
        return sane.path();
    }
    void SetUp() override {
        PagesWindow::SetUp();
        old_ = qgetenv("SANE_CONFIG_DIR");
        qputenv("SANE_CONFIG_DIR", SaneDir().toLocal8Bit());
        Configure("number_of_devices 1\nmode Color\nresolution 75.0\n"
                  "test-picture \"Color pattern\"\n");
    }
    void TearDown() override {
        if (form) form->setPictureChanged(false);
        form.reset();
        if (old_.isEmpty())
            qunsetenv("SANE_CONFIG_DIR");
        else
            qputenv("SANE_CONFIG_DIR", old_);
    }
    void Configure(const std::string& testConf, const std::string& dll = "test\n") {
        std::ofstream(SaneDir().toStdString() + "/dll.conf") << dll;
        std::ofstream(SaneDir().toStdString() + "/test.conf") << testConf;
    }
    void Acquire(const char* command = "mnuTWAIN_Acquire") {
        ASSERT_EQ(form->RunCommand(command), gui::TWebForm::CommandResult::Ran);
        form->WaitIdle();
    }
    QByteArray old_;
};

const QString kScanError = "TWAIN DLL error.\nCheck driver, device and connections.";

} // namespace

TEST_F(ScanWindow, AcquireMakesAnUntitledPicture) {
    form = guitest::StartWindow({ThreePages("fax.dcx")});
    Acquire();
    EXPECT_TRUE(guitest::Script(*form).messages().isEmpty());
    EXPECT_EQ(form->windowTitle(), "Untitled - VISTREL 3.6.23");
    EXPECT_EQ(form->statusPanels()->text(2), "236x295x16m ddb");
    EXPECT_EQ(form->document().PictureBits, 24);
    EXPECT_TRUE(form->pictureChanged());
    EXPECT_FALSE(Paging()); // the scan ended the paging of the fax
    auto direct = core::scan::ScanPage("test:0", {}, {});
    ASSERT_EQ(direct.outcome, core::scan::ScanOutcome::Done);
    const core::Bitmap& shown = form->pix()->Bitmap();
    ASSERT_EQ(shown.width(), direct.picture.width());
    ASSERT_EQ(shown.height(), direct.picture.height());
    int differ = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            differ += shown.rgb(x, y) != direct.picture.rgb(x, y);
    EXPECT_EQ(differ, 0);

    // An edited picture is not replaced without the question; No keeps it.
    form->editing().mnuNegativeClick();
    const std::uint32_t negative = Shown();
    const int asked = guitest::Script(*form).questionCount();
    guitest::Script(*form).pushReply(gui::Reply::No);
    Acquire();
    EXPECT_EQ(guitest::Script(*form).questionCount(), asked + 1);
    EXPECT_EQ(Shown(), negative);
    EXPECT_TRUE(form->pictureChanged());
}

TEST_F(ScanWindow, SelectChoosesTheDeviceForTheRun) {
    Configure("number_of_devices 2\nmode Gray\ndepth 8\n");
    form = guitest::StartWindow();
    guitest::Script(*form).pushChoice(-1);
    Acquire("mnuTWAIN_Select");
    EXPECT_EQ(guitest::Script(*form).messages(), QStringList{kScanError});
    EXPECT_EQ(form->windowTitle(), "VISTREL 3.6.23"); // nothing acquired
    guitest::Script(*form).pushChoice(1);
    Acquire("mnuTWAIN_Select");
    EXPECT_EQ(form->scan().device(), "test:1");
    EXPECT_EQ(form->windowTitle(), "Untitled - VISTREL 3.6.23");
    EXPECT_EQ(form->document().PictureBits, 8);
    form->setPictureChanged(false);
    Acquire(); // Acquire keeps the chosen one
    EXPECT_EQ(form->scan().device(), "test:1");
    EXPECT_EQ(guitest::Script(*form).messages().size(), 1);
}

TEST_F(ScanWindow, NoDeviceCancelAndPaletteScreens) {
    Configure("", "# nothing\n");
    form = guitest::StartWindow();
    Acquire();
    EXPECT_EQ(guitest::Script(*form).messages(), QStringList{kScanError});
    Acquire("mnuTWAIN_Select");
    EXPECT_EQ(guitest::Script(*form).messages().size(), 2);

    // A slow scan stopped with Esc brings nothing back.
    Configure("number_of_devices 1\nmode Color\nresolution 75.0\nread-limit true\n"
              "read-limit-size 1000\nread-delay true\nread-delay-duration 50000\n");
    guitest::Script(*form).clearQueues();
    ASSERT_EQ(form->RunCommand("mnuTWAIN_Acquire"), gui::TWebForm::CommandResult::Ran);
    ASSERT_TRUE(form->scan().busy());
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(form.get(), &esc);
    form->WaitIdle();
    EXPECT_EQ(guitest::Script(*form).messages().last(), "TWAIN acquisition aborted.");
    EXPECT_EQ(form->windowTitle(), "Untitled - VISTREL 3.6.23");
    EXPECT_EQ(form->statusPanels()->text(2), "16x16x16m ddb");
    EXPECT_FALSE(form->pictureChanged());
}

TEST_F(ScanWindow, PaletteScreenOffersTheReductionForColourOnly) {
    gui::StartOptions o = guitest::ScriptedOptions();
    o.screenBits = 8;
    o.readSettings = false;
    form = std::make_unique<gui::TWebForm>(o);
    form->show();
    form->WaitIdle();
    guitest::Script(*form).pushReply(gui::Reply::No);
    Acquire();
    EXPECT_EQ(guitest::Script(*form).questionCount(), 1);
    EXPECT_EQ(guitest::Script(*form).asked().back().text, "Convert to 256 colors?");
    EXPECT_EQ(form->document().PictureBits, 24);
    Configure("number_of_devices 1\nmode Gray\ndepth 8\n");
    form->setPictureChanged(false);
    Acquire();
    EXPECT_EQ(guitest::Script(*form).questionCount(), 1); // a gray scan has its palette
    EXPECT_EQ(form->document().PictureBits, 8);
}
