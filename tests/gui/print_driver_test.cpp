// vistrel --print: the program opens a picture headless, works the layout
// dialog and prints onto a PDF printer; the page is read back with poppler.
#include "core/imagelib/imagelib.h"
#include "gui_support.h"

#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Result {
    int status = -1;
    QString out, err;
};

Result Vistrel(const QStringList& args) {
    static QTemporaryDir runtime;
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    p.setProcessEnvironment(env);
    p.start(VISTREL_PROGRAM, args);
    if (!p.waitForFinished(120000)) return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

QString Field(const QString& out, const QString& key) {
    for (const QString& line : out.split('\n'))
        if (line.startsWith(key + "\t")) return line.mid(key.size() + 1);
    return "<none>";
}

int Number(const QString& out, const QString& key) {
    return Field(out, key).toInt();
}

QRect InkBox(const QImage& page) {
    QRect box;
    for (int y = 0; y < page.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(page.constScanLine(y));
        for (int x = 0; x < page.width(); ++x)
            if ((row[x] & 0xffffff) != 0xffffff) box |= QRect(x, y, 1, 1);
    }
    return box;
}

} // namespace

TEST(PrintDriver, PrintsTheLaidOutPictureToPdf) {
    QTemporaryDir dir;
    core::Bitmap picture = guitest::Ramp(64, 20);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            std::uint8_t* p = picture.row(y) + 3 * x;
            p[0] = 0, p[1] = 0, p[2] = 255; // red top-left corner
        }
    const QString file = guitest::WritePicture(dir, "wide.png", picture);
    const QString pdf = dir.filePath("out.pdf");
    const Result r = Vistrel({"--print", pdf, "--page-size", "Letter", "--orientation",
                              "landscape", "--dpi", "150", "--size", "60", "--unit", "cm", file});
    ASSERT_EQ(r.status, 0) << r.err.toStdString() << r.out.toStdString();
    EXPECT_EQ(Field(r.out, "PanelSettings"), "Landscape: 27.9 x 21.6  (150 x 150 dpi)");
    EXPECT_EQ(Field(r.out, "ZoomLabel"), "  Si&ze : 60%");
    EXPECT_EQ(Field(r.out, "Message"), "Image sent to printer.");
    // 1650 × 1275 pixels: the 64 × 20 picture fills the width, then 60 %.
    EXPECT_EQ(Number(r.out, "DocWidth"), 990);
    EXPECT_EQ(Number(r.out, "DocHeight"), 309);
    EXPECT_EQ(Field(r.out, "XScroll"), "330\t660\t82");

    QProcess info;
    info.start("pdfinfo", {pdf});
    info.waitForFinished(60000);
    const QString facts = QString::fromUtf8(info.readAllStandardOutput());
    EXPECT_TRUE(facts.contains(QRegularExpression("Title:\\s+Vistrel Graphic\\n"))) << facts.toStdString();
    EXPECT_TRUE(facts.contains(QRegularExpression("Pages:\\s+1\\n")));
    QProcess::execute("pdftoppm",
                      {"-r", "150", "-png", "-singlefile", pdf, dir.filePath("page")});
    const QImage page = QImage(dir.filePath("page.png")).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(page.isNull());
    EXPECT_GT(page.width(), page.height());
    const QRect ink = InkBox(page);
    EXPECT_NEAR(ink.left(), Number(r.out, "x"), 1);
    EXPECT_NEAR(ink.top(), Number(r.out, "y"), 1);
    EXPECT_NEAR(ink.width(), Number(r.out, "DocWidth"), 1);
    EXPECT_NEAR(ink.height(), Number(r.out, "DocHeight"), 1);
    const QRgb corner = page.pixel(ink.left() + 1, ink.top() + 1);
    EXPECT_GT(qRed(corner), 230);
    EXPECT_LT(qGreen(corner), 25);
}

TEST(PrintDriver, UnwritableOutputLeavesNoFileAndFails) {
    QTemporaryDir dir;
    const QString file = guitest::WritePicture(dir, "p.png", guitest::Ramp(30, 20));
    const QString pdf = dir.filePath("no/such/folder/out.pdf");
    const Result r = Vistrel({"--print", pdf, file});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(Field(r.out, "Message"), "Check printer.");
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("no")));
    // Options of the print run need --print; a print needs a file.
    EXPECT_EQ(Vistrel({"--size", "50", file}).status, 2);
    EXPECT_EQ(Vistrel({"--print", pdf, "--size", "0", file}).status, 2);
    EXPECT_EQ(Vistrel({"--print", pdf, "--page-size", "A9000", file}).status, 2);
    EXPECT_EQ(Vistrel({"--print", pdf}).status, 2);
}
