// Printing through the window: the layout dialog with its miniature and
// bars, the print command's steps and messages, and real prints to PDF read
// back with poppler's tools.
#include "core/imagelib/imagelib.h"
#include "gui/app/status_panels.h"
#include "gui/print/print_commands.h"
#include "gui/print/print_form.h"
#include "gui/view/tpix.h"
#include "gui_support.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>

#include <gtest/gtest.h>

using guitest::Script;
using guitest::StartWindow;

namespace {

class PrintTest : public ::testing::Test {
  protected:
    void SetUp() override {
        guitest::ClearSettings();
        ASSERT_TRUE(dir.isValid());
    }
    QStringList Files() const {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    QTemporaryDir dir;
};

// The printer of the layout examples: a 480 × 640 page at 72 dpi.
void ExamplePage(QPrinter& printer) {
    gui::MakePdfPrinter(printer);
    printer.setResolution(72);
    printer.setPageSize(QPageSize(QSize(480, 640), "example", QPageSize::ExactMatch));
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

// A picture whose corners differ: red top left, blue bottom left, green top right.
core::Bitmap Corners(int w, int h) {
    core::Bitmap b = guitest::Ramp(w, h);
    auto set = [&](int x, int y, std::uint8_t r, std::uint8_t g, std::uint8_t bl) {
        std::uint8_t* p = b.row(y) + 3 * x;
        p[0] = bl, p[1] = g, p[2] = r;
    };
    for (int y = 0; y < h / 2; ++y)
        for (int x = 0; x < w / 2; ++x) {
            set(x, y, 255, 0, 0);
            set(x, h - 1 - y, 0, 0, 255);
            set(w - 1 - x, y, 0, 255, 0);
        }
    return b;
}

QString Tool(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString PdfField(const QString& pdf, const QString& key) {
    for (const QString& line : Tool("pdfinfo", {pdf}).split('\n'))
        if (line.startsWith(key + ":")) return line.mid(key.size() + 1).trimmed();
    return "<none>";
}

// The page rendered at `dpi`.
QImage Render(const QString& pdf, int dpi, const QTemporaryDir& dir) {
    const QString base = dir.filePath("render");
    Tool("pdftoppm", {"-r", QString::number(dpi), "-png", "-singlefile", pdf, base});
    return QImage(base + ".png").convertToFormat(QImage::Format_RGB32);
}

// The rectangle of everything not white.
QRect InkBox(const QImage& page) {
    QRect box;
    for (int y = 0; y < page.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(page.constScanLine(y));
        for (int x = 0; x < page.width(); ++x)
            if ((row[x] & 0xffffff) != 0xffffff) box |= QRect(x, y, 1, 1);
    }
    return box;
}

bool Near(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) <= 8 && std::abs(qGreen(a) - qGreen(b)) <= 8 &&
           std::abs(qBlue(a) - qBlue(b)) <= 8;
}

} // namespace

TEST_F(PrintTest, LayoutDialogOpensCentredAndFollowsItsBars) {
    auto form = StartWindow({guitest::WritePicture(dir, "small.bmp", guitest::Ramp(30, 20))});
    ExamplePage(form->printing().CurrentPrinter());
    bool ran = false;
    Script(*form).pushPrintSetup([&](gui::TPrintForm& d) {
        ran = true;
        EXPECT_EQ(d.windowTitle(), "Print Setup: small.bmp");
        EXPECT_EQ(d.size(), QSize(374, 266));
        EXPECT_EQ(d.PanelSettings->text(), "Portrait : 6.7 x 8.9  (72 x 72 dpi)");
        EXPECT_EQ(d.LabelDocW->text(), "Width : 6.7");
        EXPECT_EQ(d.LabelYpos->text(), "&Y pos : 2.2");
        EXPECT_EQ(d.ZoomLabel->text(), "  Si&ze: 100%");
        auto p = d.placement();
        EXPECT_EQ(QRect(p.x, p.y, p.width, p.height), QRect(0, 160, 480, 320));
        // The miniature: the page's shape in the panel, the picture's on the page.
        const QRect paper = d.PaperImage->geometry();
        EXPECT_TRUE(d.PanelImage->contentsRect().contains(paper));
        EXPECT_NEAR(paper.width() * 640.0 / paper.height(), 480, 8);
        EXPECT_EQ(d.DocImage->width(), paper.width());
        EXPECT_EQ(d.PaperImage->palette().color(QPalette::Window), QColor(Qt::white));

        d.ZoomScroll->setValue(50);
        p = d.placement();
        EXPECT_EQ(QRect(p.x, p.y, p.width, p.height), QRect(120, 240, 240, 160));
        EXPECT_EQ(d.ZoomLabel->text(), "  Si&ze : 50%");
        EXPECT_NEAR(d.DocImage->width(), paper.width() / 2, 1);
        // The bars place the picture, and the miniature goes with them.
        d.XScroll->setValue(0);
        d.YScroll->setValue(d.YScroll->maximum());
        EXPECT_EQ(d.LabelXPos->text(), "&X pos : 0.0");
        EXPECT_EQ(d.LabelYpos->text(), "&Y pos : 6.7");
        EXPECT_EQ(d.DocImage->x(), 0);
        EXPECT_EQ(d.DocImage->y() + d.DocImage->height(), paper.height());
        d.MeasureBox->setCurrentIndex(0);
        EXPECT_EQ(d.LabelXPos->text(), "&X pos : 0");
        EXPECT_EQ(d.LabelDocW->text(), "Width : 240");
        // Coming back to the dialog keeps all of it.
        d.hide();
        d.show();
        EXPECT_EQ(d.startups(), 1);
        EXPECT_EQ(d.placement().x, 0);
        // Center puts the picture back in the middle at its size.
        d.BtnReset->click();
        p = d.placement();
        EXPECT_EQ(QRect(p.x, p.y, p.width, p.height), QRect(120, 240, 240, 160));
        EXPECT_NEAR(d.DocImage->x() + d.DocImage->width() / 2.0, paper.width() / 2.0, 1);
        d.BtnHelp->click();
        d.BtnClose->click();
    });
    form->printing().mnuPrintClick();
    EXPECT_TRUE(ran);
    ASSERT_TRUE(form->helpWindow());
    EXPECT_EQ(form->helpWindow()->context(), 130);
    // Cancel prints nothing and says nothing.
    EXPECT_TRUE(Script(*form).boxTexts().isEmpty());
    EXPECT_EQ(Files(), QStringList{"small.bmp"});
}

TEST_F(PrintTest, SetupChangesThePrinterForTheDialogAndTheRestOfTheRun) {
    auto form = StartWindow({guitest::WritePicture(dir, "small.bmp", guitest::Ramp(30, 20))});
    QPrinter& printer = form->printing().CurrentPrinter();
    ExamplePage(printer);
    Script(*form).pushPrinter([](QPrinter& p) {
        p.setPageOrientation(QPageLayout::Landscape);
        return true;
    });
    Script(*form).pushPrintSetup([&](gui::TPrintForm& d) {
        d.BtnSetup->click(); // the system's dialog, pages 1 to 1
        EXPECT_TRUE(d.PanelSettings->text().startsWith("Landscape: 8.9 x 6.7"));
        const auto p = d.placement();
        EXPECT_EQ(QRect(p.x, p.y, p.width, p.height), QRect(0, 26, 640, 427));
        EXPECT_GT(d.PaperImage->width(), d.PaperImage->height());
        d.BtnSetup->click(); // cancelled this time: nothing moves
        EXPECT_EQ(d.placement().y, 26);
        d.BtnClose->click();
    });
    form->printing().mnuPrintClick();
    EXPECT_EQ(&form->printing().CurrentPrinter(), &printer);
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);
}

TEST_F(PrintTest, PrintsOnePageWithThePicturesPixelsAndLeavesTheDocumentAlone) {
    const QString file = guitest::WritePicture(dir, "corners.bmp", Corners(40, 30));
    auto form = StartWindow({file});
    gui::MakePdfPrinter(form->printing().CurrentPrinter());
    const int bits = form->document().PictureBits;
    const core::Bitmap before = form->pix()->Bitmap();
    gui::PrintPlacement at;
    Script(*form).pushPrintSetup([&](gui::TPrintForm& d) {
        d.ZoomScroll->setValue(40);
        at = d.placement();
    });
    form->printing().mnuPrintClick();
    EXPECT_EQ(Script(*form).boxTexts(), QStringList{"Image sent to printer."});
    const QString pdf = dir.filePath("corners.pdf");
    ASSERT_TRUE(QFileInfo::exists(pdf));
    EXPECT_EQ(Files(), (QStringList{"corners.bmp", "corners.pdf"}));
    EXPECT_EQ(PdfField(pdf, "Pages"), "1");
    EXPECT_EQ(PdfField(pdf, "Title"), "Vistrel Graphic");

    const QImage page = Render(pdf, 300, dir);
    const QRect ink = InkBox(page);
    EXPECT_NEAR(ink.left(), at.x, 1);
    EXPECT_NEAR(ink.top(), at.y, 1);
    EXPECT_NEAR(ink.width(), at.width, 1);
    EXPECT_NEAR(ink.height(), at.height, 1);
    // Not flipped: red stays at the top left, blue at the bottom left.
    EXPECT_TRUE(Near(page.pixel(ink.left() + 2, ink.top() + 2), qRgb(255, 0, 0)));
    EXPECT_TRUE(Near(page.pixel(ink.left() + 2, ink.bottom() - 2), qRgb(0, 0, 255)));
    EXPECT_TRUE(Near(page.pixel(ink.right() - 2, ink.top() + 2), qRgb(0, 255, 0)));

    // Printing changed nothing in the document.
    EXPECT_EQ(form->document().PictureBits, bits);
    const core::Bitmap& after = form->pix()->Bitmap();
    EXPECT_EQ(after.bits(), before.bits());
    EXPECT_EQ(after.deviceDependent(), before.deviceDependent());
    EXPECT_TRUE(std::equal(before.data(), before.data() + before.byteSize(), after.data()));
    EXPECT_FALSE(form->pictureChanged());
}

TEST_F(PrintTest, PalettesAreKeptAndTheFileIsReplacedOnlyWhenTheUserSays) {
    core::Bitmap eight = core::Bitmap::Create(16, 12, 8).value();
    eight.palette()[0] = {30, 200, 10, 0}; // blue, green, red
    core::Bitmap one = core::Bitmap::Create(12, 10, 1).value();
    one.palette() = {{0, 0, 200, 0}, {200, 0, 0, 0}}; // red, blue
    ASSERT_EQ(core::imagelib::WriteBMP(dir.filePath("pal.bmp").toStdString(), eight), 1);
    auto form = StartWindow({dir.filePath("pal.bmp")});
    gui::MakePdfPrinter(form->printing().CurrentPrinter());
    form->printing().mnuPrintClick();
    const QString pdf = dir.filePath("pal.pdf");
    QImage page = Render(pdf, 50, dir);
    QRect ink = InkBox(page);
    EXPECT_TRUE(Near(page.pixel(ink.center()), qRgb(10, 200, 30)));
    core::Bitmap four = core::Bitmap::Create(10, 8, 4).value();
    four.palette()[0] = {0, 128, 255, 0}; // orange
    ASSERT_EQ(core::imagelib::WriteBMP(dir.filePath("four.bmp").toStdString(), four), 1);
    guitest::OpenThroughDialog(*form, {dir.filePath("four.bmp")});
    form->printing().mnuPrintClick();
    page = Render(dir.filePath("four.pdf"), 50, dir);
    EXPECT_TRUE(Near(page.pixel(InkBox(page).center()), qRgb(255, 128, 0)));

    // The same name again: No keeps the old file and prints nothing.
    ASSERT_EQ(core::imagelib::WriteBMP(dir.filePath("pal.bmp").toStdString(), one), 1);
    guitest::OpenThroughDialog(*form, {dir.filePath("pal.bmp")});
    form->WaitIdle();
    const auto size = QFileInfo(pdf).size();
    Script(*form).pushReply(gui::Reply::No);
    form->printing().mnuPrintClick();
    EXPECT_EQ(Script(*form).boxTexts().last(),
              QDir::toNativeSeparators(pdf) + " already exists.\nDo you want to replace it?");
    EXPECT_EQ(QFileInfo(pdf).size(), size);
    Script(*form).pushReply(gui::Reply::Yes);
    form->printing().mnuPrintClick();
    EXPECT_EQ(Script(*form).boxTexts().last(), "Image sent to printer.");
    page = Render(pdf, 50, dir);
    ink = InkBox(page);
    EXPECT_TRUE(Near(page.pixel(ink.center()), qRgb(200, 0, 0)));
    EXPECT_EQ(form->document().PictureBits, 1);
}

TEST_F(PrintTest, FailedJobsSayWhyAndLeaveNoFile) {
    auto form = StartWindow({guitest::WritePicture(dir, "p.bmp", guitest::Ramp(30, 20))});
    gui::PrintCommands& printing = form->printing();
    gui::MakePdfPrinter(printing.CurrentPrinter());
    // A place that cannot be written: the job does not begin.
    printing.setOutputFile(dir.filePath("missing/folder/p.pdf"));
    printing.mnuPrintClick();
    EXPECT_EQ(Script(*form).boxTexts().last(), "Check printer.");
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("missing")));
    // Only a file is replaced: a folder of that name stays.
    ASSERT_TRUE(QDir(dir.path()).mkdir("taken.pdf"));
    printing.setOutputFile(dir.filePath("taken.pdf"));
    printing.mnuPrintClick();
    EXPECT_EQ(Script(*form).boxTexts().last(), "Check printer.");
    EXPECT_TRUE(QFileInfo(dir.filePath("taken.pdf")).isDir());
    ASSERT_TRUE(QDir(dir.path()).rmdir("taken.pdf"));
    // A drawing that fails aborts the job: no half-written file.
    printing.setOutputFile(dir.filePath("out.pdf"));
    QString busy;
    printing.setDraw([&](QPainter&, const QImage&, const QRect&) {
        busy = form->statusPanels()->text(0) + " " + form->statusPanels()->text(2);
        return false;
    });
    printing.mnuPrintClick();
    EXPECT_EQ(busy, "Busy... Sending to printer...");
    EXPECT_EQ(Script(*form).boxTexts().last(),
              "Printer did not respond.\ntry different print setting.");
    EXPECT_EQ(Files(), QStringList{"p.bmp"});
    EXPECT_EQ(form->statusPanels()->text(0), "Ready.");
}

TEST_F(PrintTest, ASideWithoutSizeTakesOnlyThePicturesOwn) {
    auto form = StartWindow({guitest::WritePicture(dir, "p.bmp", guitest::Ramp(30, 20))});
    gui::PrintCommands& printing = form->printing();
    QRect drawn;
    printing.setDraw([&](QPainter&, const QImage& image, const QRect& r) {
        drawn = r;
        return image.size() == QSize(30, 20);
    });
    QImage sheet(100, 100, QImage::Format_RGB32);
    QPainter painter(&sheet);
    EXPECT_TRUE(printing.PrintBitmap(painter, 5, 6, 0, 50));
    EXPECT_EQ(drawn, QRect(5, 6, 30, 50));
    EXPECT_TRUE(printing.PrintBitmap(painter, 5, 6, 70, -1));
    EXPECT_EQ(drawn, QRect(5, 6, 70, 20));
}
