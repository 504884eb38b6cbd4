// The edit and colour commands in the window: undo, cancel, depth and
// palette, the channel tables, the remembered strengths, clipboard and trim.
#include "core/common/memory.h"
#include "core/editing/color_lut.h"
#include "gui/view/tpix.h"
#include "gui_support.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QImage>

#include <gtest/gtest.h>

#include <cstring>

namespace {

using gui::EffectChannels;
using gui::EffectRequest;

bool SamePicture(const core::Bitmap& a, const core::Bitmap& b) {
    if (a.width() != b.width() || a.height() != b.height() || a.bits() != b.bits() ||
        a.palette() != b.palette())
        return false;
    for (int y = 0; y < a.height(); ++y)
        if (std::memcmp(a.row(y), b.row(y), a.stride()) != 0) return false;
    return true;
}

class EditingCommandsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        guitest::ClearSettings();
        ASSERT_TRUE(dir.isValid());
    }
    // A window showing `picture`, Auto Reduce off so indexed pictures stay indexed.
    std::unique_ptr<gui::TWebForm> Open(const core::Bitmap& picture, const char* name = "p.bmp") {
        auto form = guitest::StartWindow();
        form->settings().AutoReduce = 0;
        guitest::OpenThroughDialog(*form, {guitest::WritePicture(dir, name, picture)});
        return form;
    }
    // The next `times` dialogs answer with `value` (or Cancel) after recording the request.
    void Answer(gui::TWebForm& form, int value, EffectChannels channels = {}, int times = 1) {
        for (int i = 0; i < times; ++i)
            guitest::Script(form).pushEffect(
                [this, value, channels](const gui::EffectAsk& a, EffectChannels* c) {
                    asked = a.request;
                    askedCaption = a.caption;
                    *c = channels;
                    return value;
                });
    }
    QTemporaryDir dir;
    EffectRequest asked;
    QString askedCaption;
};

core::Bitmap Gray8(int w, int h) {
    core::Bitmap pic = core::Bitmap::Create(w, h, 8).value();
    for (int i = 0; i < 256; ++i)
        pic.palette()[static_cast<std::size_t>(i)] =
            core::Rgbq{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i / 2),
                       static_cast<std::uint8_t>(255 - i), 0};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            pic.row(y)[x] = static_cast<std::uint8_t>(x * 13 + y * 7);
    return pic;
}

} // namespace

TEST_F(EditingCommandsTest, UndoAfterTwoEditsReturnsToTheStateBeforeTheSecond) {
    auto form = Open(guitest::Ramp(40, 30));
    ASSERT_TRUE(form->picturePresent());
    EXPECT_FALSE(form->menus().IsEnabled("mnuUndo"));
    form->menus().action("mnuNegative")->trigger();
    EXPECT_TRUE(form->menus().IsEnabled("mnuUndo"));
    const core::Bitmap afterFirst = form->pix()->Bitmap();
    Answer(*form, 8);
    form->menus().action("mnuMeanRemoval")->trigger();
    EXPECT_FALSE(SamePicture(form->pix()->Bitmap(), afterFirst));
    form->menus().action("mnuUndo1")->trigger();
    EXPECT_TRUE(SamePicture(form->pix()->Bitmap(), afterFirst));
    EXPECT_FALSE(form->menus().IsEnabled("mnuUndo"));
    EXPECT_TRUE(form->pictureChanged()); // undo still counts as a change
}

TEST_F(EditingCommandsTest, EditOfAnIndexedPictureIsUndoneToItsDepthAndPalette) {
    const core::Bitmap original = Gray8(33, 21);
    auto form = Open(original);
    ASSERT_EQ(form->document().PictureBits, 8);
    const core::Bitmap before = form->pix()->Bitmap();
    Answer(*form, 150, {150, 150, 150});
    form->menus().action("mnuGamma")->trigger();
    EXPECT_EQ(form->document().PictureBits, 24);
    EXPECT_EQ(form->pix()->Bitmap().bits(), 24);
    EXPECT_EQ(asked.mode, 101);
    EXPECT_EQ(askedCaption, "Adjust Gamma (1/100)");
    form->editing().mnuUndoClick();
    EXPECT_EQ(form->document().PictureBits, 8);
    EXPECT_TRUE(SamePicture(form->pix()->Bitmap(), before));
    EXPECT_EQ(form->pix()->Bitmap().palette(), original.palette());
}

TEST_F(EditingCommandsTest, CancelRestoresThePictureByUndo) {
    auto form = Open(Gray8(20, 20));
    const core::Bitmap before = form->pix()->Bitmap();
    for (const char* item : {"mnuBrightnessRGB", "mnuContrast", "mnuSoften", "mnuDespeckle1"}) {
        Answer(*form, gui::kEffectCancelled);
        form->menus().action(item)->trigger();
        EXPECT_EQ(form->document().PictureBits, 8) << item;
        EXPECT_TRUE(SamePicture(form->pix()->Bitmap(), before)) << item;
        EXPECT_FALSE(form->menus().IsEnabled("mnuUndo")) << item;
    }
}

TEST_F(EditingCommandsTest, ChannelValuesOfTheLastTestBuildTheTables) {
    auto form = Open(guitest::Ramp(24, 16));
    const core::Bitmap before = form->pix()->Bitmap();
    Answer(*form, 200, {200, 100, 100});
    form->menus().action("mnuGammaRGB")->trigger();
    EXPECT_EQ(asked.mode, 100);
    EXPECT_EQ(asked.minimum, 1);
    EXPECT_EQ(asked.maximum, 500);
    const core::Bitmap& after = form->pix()->Bitmap();
    const core::editing::Lut red = core::editing::GammaTable(200);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 24; ++x) {
            const std::uint8_t* a = before.row(y) + 3 * x;
            const std::uint8_t* b = after.row(y) + 3 * x;
            ASSERT_EQ(b[0], a[0]);
            ASSERT_EQ(b[1], a[1]);
            ASSERT_EQ(b[2], red[a[2]]);
        }
    Answer(*form, 0, {-127, -127, -127});
    form->menus().action("mnuBrightness")->trigger();
    EXPECT_EQ(asked.mode, 111);
    EXPECT_EQ(askedCaption, "Adjust Brightness");
    for (int y = 0; y < 16; ++y)
        for (int i = 0; i < 72; ++i)
            ASSERT_EQ(form->pix()->Bitmap().row(y)[i], 0);
}

TEST_F(EditingCommandsTest, FiltersOfferAndKeepTheirLastStrength) {
    auto form = Open(guitest::Ramp(30, 30));
    Answer(*form, 50, {}, 3);
    form->menus().action("mnuDefocus")->trigger();
    EXPECT_EQ(asked.initial, 112);
    EXPECT_EQ(asked.pageStep, 16);
    EXPECT_EQ(asked.mode, 31);
    EXPECT_EQ(askedCaption, "Set Smoothing (Defocus) effect to");
    form->menus().action("mnuDefocus1")->trigger();
    EXPECT_EQ(asked.initial, 50);
    // Despeckle lives on the menu bar only.
    form->menus().action("mnuDespeckle1")->trigger();
    EXPECT_EQ(asked.initial, 4);
    EXPECT_EQ(asked.maximum, 9);
}

TEST_F(EditingCommandsTest, PasteGivesAnUntitledPictureThatCannotBeUndone) {
    auto form = Open(guitest::Ramp(20, 10));
    form->menus().action("mnuNegative")->trigger();
    ASSERT_TRUE(form->menus().IsEnabled("mnuUndo"));
    QImage image(7, 5, QImage::Format_RGB32);
    image.fill(qRgb(10, 200, 30));
    QApplication::clipboard()->setImage(image);
    EXPECT_TRUE(form->menus().IsEnabled("mnuPaste"));
    form->menus().action("mnuPaste")->trigger();
    EXPECT_EQ(form->document().CurrentFile, "Untitled");
    EXPECT_EQ(form->windowTitle(), "Untitled - VISTREL 3.6.23");
    EXPECT_EQ(form->document().PictureBits, form->screenBits() >= 24 ? 24 : form->screenBits());
    EXPECT_EQ(form->pix()->Bitmap().width(), 7);
    EXPECT_EQ(form->pix()->Bitmap().rgb(3, 2), 0x0AC81Eu);
    EXPECT_FALSE(form->menus().IsEnabled("mnuUndo"));
    EXPECT_FALSE(form->menus().IsEnabled("mnuReload"));
    EXPECT_TRUE(form->pictureChanged());
    // Copy Image and Empty round the clipboard.
    form->menus().action("mnuEmpty")->trigger();
    EXPECT_FALSE(form->menus().IsEnabled("mnuPaste"));
    form->menus().action("mnuCopy")->trigger();
    EXPECT_EQ(QApplication::clipboard()->image().size(), QSize(7, 5));
}

TEST_F(EditingCommandsTest, MaskOffersTheWholePictureThenTrimAndCopySelection) {
    auto form = Open(Gray8(30, 20));
    QRect offered;
    for (int i = 0; i < 3; ++i)
        guitest::Script(*form).pushResize([&](const gui::ResizeAsk& a) {
            EXPECT_EQ(a.bits, 0); // the selection face of the dialog
            EXPECT_EQ(a.maxWidth, 30);
            EXPECT_EQ(a.maxHeight, 20);
            offered = QRect(a.x, a.y, a.width, a.height);
            return gui::ResizeResult{4, 3, 10, 6, 0};
        });
    EXPECT_FALSE(form->menus().IsEnabled("mnuTrim"));
    form->menus().action("mnuRegion")->trigger();
    EXPECT_EQ(offered, QRect(0, 0, 30, 20));
    ASSERT_TRUE(form->menus().IsEnabled("mnuTrim"));
    ASSERT_TRUE(form->menus().IsEnabled("mnuCopyMask"));
    EXPECT_EQ(form->mouse().SelectionRect(),
              (core::SelRect{4, 3, 14, 9}));      // right and bottom exclusive
    form->menus().action("mnuRegion")->trigger(); // the selection on screen is offered again
    EXPECT_EQ(offered, QRect(4, 3, 10, 6));
    const core::Bitmap before = form->pix()->Bitmap();

    // Copy Selection leaves the picture and Undo alone.
    form->menus().action("mnuCopyMask")->trigger();
    EXPECT_EQ(QApplication::clipboard()->image().size(), QSize(10, 6));
    EXPECT_FALSE(form->menus().IsEnabled("mnuUndo"));
    EXPECT_FALSE(form->menus().IsEnabled("mnuTrim")); // the selection ended

    form->menus().action("mnuRegion")->trigger();
    form->menus().action("mnuTrim")->trigger();
    const core::Bitmap& trimmed = form->pix()->Bitmap();
    ASSERT_EQ(trimmed.width(), 10);
    ASSERT_EQ(trimmed.height(), 6);
    EXPECT_EQ(trimmed.bits(), 8);
    EXPECT_EQ(trimmed.pixel(0, 0), before.pixel(4, 3));
    EXPECT_EQ(trimmed.pixel(9, 5), before.pixel(13, 8));
    EXPECT_EQ(form->document().PictureWidth, 10);
    form->editing().mnuUndoClick();
    EXPECT_TRUE(SamePicture(form->pix()->Bitmap(), before));

    // Cancel in the selection dialog selects nothing.
    guitest::Script(*form).pushResize(gui::ResizeResult{0, 0, -1, -1, 0});
    form->menus().action("mnuRegion")->trigger();
    EXPECT_FALSE(form->menus().IsEnabled("mnuTrim"));
}

TEST_F(EditingCommandsTest, TooLittleMemoryStopsTheCommandWithItsMessage) {
    auto form = Open(guitest::Ramp(20, 20));
    const core::Bitmap before = form->pix()->Bitmap();
    core::SetFreeMemoryProvider([] { return std::uint64_t{1000}; });
    Answer(*form, 5);
    form->menus().action("mnuSoften")->trigger();
    core::SetFreeMemoryProvider({});
    EXPECT_TRUE(guitest::Script(*form).messages().contains("Insufficient memory."));
    EXPECT_TRUE(SamePicture(form->pix()->Bitmap(), before));
    EXPECT_FALSE(form->menus().IsEnabled("mnuUndo"));
}

TEST_F(EditingCommandsTest, ScreensOf256ColoursWarnFirstAndOfferTheReductionAfter) {
    gui::StartOptions o = guitest::ScriptedOptions();
    o.readSettings = false;
    o.screenBits = 8;
    gui::TWebForm form(o);
    form.show();
    form.settings().AutoReduce = 0;
    guitest::OpenThroughDialog(form, {guitest::WritePicture(dir, "s.bmp", guitest::Ramp(20, 20))});
    ASSERT_TRUE(form.picturePresent());
    Answer(form, 4);
    // The reduction after the filter asks for its method: the script takes the offered one.
    gui::ScriptedPrompter& script = guitest::Script(form);
    const int before = script.questionCount();
    script.pushReply(gui::Reply::No); // "No" to the warning: nothing happens
    form.menus().action("mnuSoften")->trigger();
    EXPECT_EQ(script.questionCount(), before + 1);
    EXPECT_EQ(script.asked().back().buttons, gui::kBtnYes | gui::kBtnNo | gui::kBtnIgnore);
    EXPECT_EQ(script.asked().back().type, gui::BoxType::Information);
    EXPECT_FALSE(form.menus().IsEnabled("mnuUndo"));
    // "Yes" (the default): the filter runs, then the reduction is offered.
    form.menus().action("mnuSoften")->trigger();
    EXPECT_EQ(script.questionCount(), before + 3);
    EXPECT_EQ(script.boxTexts().last(), "Convert to 256 colors?");
    EXPECT_TRUE(form.menus().IsEnabled("mnuUndo"));
}

TEST_F(EditingCommandsTest, StreamBackupRestoresAndTwoGigabytesFreeAlwaysPass) {
    auto form = Open(Gray8(17, 9));
    const core::Bitmap before = form->pix()->Bitmap();
    ASSERT_TRUE(form->editing().AutoBackUp(true));
    EXPECT_TRUE(form->editing().undoBackup().inStream());
    EXPECT_EQ(form->editing().undoBackup().stream()[0], 'B');
    ASSERT_TRUE(form->editing().AutoBackUp(true)); // a new backup replaces the first
    form->editing().MakeDIB24();
    core::editing::InvertPixels(form->pix()->Bitmap());
    form->editing().mnuUndoClick();
    EXPECT_EQ(form->document().PictureBits, 8);
    EXPECT_TRUE(SamePicture(form->pix()->Bitmap(), before));
    EXPECT_FALSE(form->editing().undoBackup().held());

    // The guard passes with 2 GB free; below that it wants the 8,192,000-byte reserve.
    core::SetFreeMemoryProvider([] { return std::uint64_t{1} << 31; });
    EXPECT_TRUE(form->editing().EnoughMemory(31));
    core::SetFreeMemoryProvider([] { return std::uint64_t{8191999}; });
    EXPECT_FALSE(form->editing().EnoughMemory(0));
    EXPECT_TRUE(guitest::Script(*form).messages().contains("Insufficient memory."));
    core::SetFreeMemoryProvider({});
}
