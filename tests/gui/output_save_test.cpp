// Save As through the window: the types offered and chosen first, the JPEG
// panel following the type, the files written, and failures that keep both
// the existing file and the unsaved state.
#include "core/imagelib/imagelib.h"
#include "core/imageman/document.h"
#include "gui/output/save_dialog_ex.h"
#include "gui/view/tpix.h"
#include "gui_support.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QFileInfo>
#include <QLabel>
#include <QScrollBar>

#include <gtest/gtest.h>

#include <unistd.h>

using guitest::StartWindow;

namespace {

class SaveAsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        guitest::ClearSettings();
        ASSERT_TRUE(dir.isValid());
    }
    // Runs Save As choosing `index` and `file`; the dialog is inspected first.
    void Save(gui::TWebForm& form, int index, const QString& file,
              const std::function<void(gui::TSaveDialogEx&)>& look = {}) {
        guitest::Script(form).pushSave([=](gui::TSaveDialogEx& dlg) {
            if (look) look(dlg);
            dlg.SetFilterIndex(index);
            emit dlg.filterSelected(dlg.FilterName(index));
            dlg.selectFile(file);
            return true;
        });
        form.output().mnuSaveClick();
    }
    QTemporaryDir dir;
};

// A ramp with texture, so that the JPEG quality shows in the file size.
core::Bitmap Textured(int w, int h) {
    core::Bitmap b = guitest::Ramp(w, h);
    unsigned v = 12345;
    for (int y = 0; y < h; ++y)
        for (std::size_t i = 0; i < std::size_t(3 * w); ++i) {
            v = v * 1103515245u + 12345u;
            b.row(y)[i] = static_cast<std::uint8_t>(b.row(y)[i] / 2 + ((v >> 16) & 63));
        }
    return b;
}

// Writes with our own writer (the test helper goes through Qt, which has no 1-bit BMP).
QString WriteOwn(const QTemporaryDir& dir, const QString& name, const core::Bitmap& picture) {
    const QString path = dir.filePath(name);
    const int rc = name.endsWith(".bmp")
                       ? core::imagelib::WriteBMP(path.toStdString(), picture)
                       : core::imagelib::WritePNG(path.toStdString(), picture, false);
    EXPECT_EQ(rc, 1);
    return path;
}

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

TEST_F(SaveAsTest, TypesFollowTheDepthAndTheLastChoice) {
    const QString one = WriteOwn(dir, "one.bmp", guitest::OneBitLines(12, 10));
    auto form = StartWindow({one});
    ASSERT_EQ(form->document().PictureBits, 1);
    int count = 0, first = 0;
    bool progressive = true;
    guitest::Script(*form).pushSave([&](gui::TSaveDialogEx& dlg) {
        count = dlg.FilterCount();
        first = dlg.FilterIndex();
        progressive = dlg.CheckPJpeg->isEnabled();
        EXPECT_EQ(dlg.windowTitle(), "Save Image As");
        EXPECT_EQ(dlg.FilterName(3), "TIF (Aldus TIFF) (*.tif)");
        return false; // Cancel
    });
    form->output().mnuSaveClick();
    EXPECT_EQ(count, 3);
    EXPECT_EQ(first, 3);
    EXPECT_FALSE(progressive);
    EXPECT_EQ(form->output().lastSaveIndex(), 0);

    const QString rgb = guitest::WritePicture(dir, "rgb.png", guitest::Ramp(30, 20));
    guitest::OpenThroughDialog(*form, {rgb});
    form->setPictureChanged(true);
    Save(*form, 5, dir.filePath("gray.jpg"), [&](gui::TSaveDialogEx& dlg) {
        EXPECT_EQ(dlg.FilterCount(), 6);
        EXPECT_EQ(dlg.FilterIndex(), 1);
        EXPECT_EQ(QFileInfo(dlg.selectedFiles().value(0)).completeBaseName(), "rgb");
    });
    EXPECT_TRUE(guitest::Script(*form).messages().isEmpty())
        << guitest::Script(*form).messages().join("; ").toStdString();
    EXPECT_FALSE(form->pictureChanged());
    EXPECT_EQ(form->saveDir(), dir.path());
    core::imagelib::FileFacts facts;
    ASSERT_GE(core::imagelib::GetFileFacts(dir.filePath("gray.jpg").toStdString(), &facts), 0);
    EXPECT_EQ(facts.bits, 8);
    // After JPEG gray the 24-bit picture starts on JPEG colour.
    Save(*form, 6, dir.filePath("colour.jpg"),
         [&](gui::TSaveDialogEx& dlg) { EXPECT_EQ(dlg.FilterIndex(), 6); });
    ASSERT_GE(core::imagelib::GetFileFacts(dir.filePath("colour.jpg").toStdString(), &facts), 0);
    EXPECT_EQ(facts.bits, 24);
}

TEST_F(SaveAsTest, PanelFollowsTheType) {
    const QString rgb = WriteOwn(dir, "rgb.png", Textured(64, 48));
    auto form = StartWindow({rgb});
    Save(*form, 6, dir.filePath("x.jpg"), [&](gui::TSaveDialogEx& dlg) {
        emit dlg.filterSelected(dlg.FilterName(4));
        EXPECT_EQ(dlg.DefaultExt(), "png");
        EXPECT_TRUE(dlg.JPEGscroll->isHidden());
        EXPECT_TRUE(dlg.CheckPJpeg->isEnabled());
        emit dlg.filterSelected(dlg.FilterName(1));
        EXPECT_FALSE(dlg.CheckPJpeg->isEnabled());
        emit dlg.filterSelected(dlg.FilterName(6));
        EXPECT_FALSE(dlg.JPEGscroll->isHidden());
        EXPECT_TRUE(dlg.CheckPJpeg->isEnabled());
        dlg.JPEGscroll->setValue(100);
        EXPECT_EQ(dlg.JLabel->text(), "Compression: 100");
        EXPECT_EQ(dlg.CompressQuality(), 100);
    });
    // Compression 100 is the finest scale: a far larger file than at 1.
    const auto fine = QFileInfo(dir.filePath("x.jpg")).size();
    Save(*form, 6, dir.filePath("y.jpg"),
         [&](gui::TSaveDialogEx& dlg) { dlg.SetCompressQuality(1); });
    EXPECT_GT(fine, 2 * QFileInfo(dir.filePath("y.jpg")).size());
}

// A typed extension the program writes chooses the type; any other keeps the
// chosen type and gets its extension.
TEST_F(SaveAsTest, TypedExtensionChoosesTheType) {
    const QString rgb = guitest::WritePicture(dir, "rgb.png", guitest::Ramp(30, 20));
    auto form = StartWindow({rgb});
    auto head = [&](const QString& name) {
        QFile f(dir.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.read(2) : QByteArray();
    };
    Save(*form, 1, dir.filePath("t2.pcx"));
    EXPECT_EQ(head("t2.pcx").at(0), '\x0a');
    EXPECT_EQ(form->output().lastSaveIndex(), 2);
    QFile pcx(dir.filePath("t2.pcx"));
    ASSERT_TRUE(pcx.open(QIODevice::ReadOnly));
    const QByteArray bytes = pcx.readAll();
    auto doc = core::imageman::OpenPcxDocument(core::imageman::Bytes(bytes.begin(), bytes.end()));
    ASSERT_TRUE(doc.ok()) << doc.message();
    EXPECT_EQ((*doc)->decode(0, core::DecodeOptions{})->width(), 30);
    // Another reader agrees: ImageMagick sees a 30 x 20 PCX.
    QProcess identify;
    identify.start("identify", {"-format", "%m %w %h", dir.filePath("t2.pcx")});
    ASSERT_TRUE(identify.waitForFinished(30000)) << "missing tool: identify (ImageMagick)";
    EXPECT_EQ(QString::fromUtf8(identify.readAllStandardOutput()).trimmed(), "PCX 30 20");

    Save(*form, 1, dir.filePath("t3.gif"));
    EXPECT_EQ(head("t3.gif.bmp"), "BM");
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("t3.gif")));
    Save(*form, 4, dir.filePath("t4.JPG"));
    EXPECT_EQ(form->output().lastSaveIndex(), 6);
    EXPECT_EQ(head("t4.JPG"), "\xff\xd8");
    EXPECT_TRUE(guitest::Script(*form).messages().isEmpty())
        << guitest::Script(*form).messages().join("; ").toStdString();
}

// Every lossless type written by the window reads back with the same pixels.
TEST_F(SaveAsTest, LosslessTypesRoundTrip) {
    const core::Bitmap ramp = guitest::Ramp(33, 21);
    const QString rgb = guitest::WritePicture(dir, "rgb.png", ramp);
    auto form = StartWindow({rgb});
    const char* names[] = {"a.bmp", "a.pcx", "a.tif", "a.png"};
    for (int index = 1; index <= 4; ++index) {
        SCOPED_TRACE(names[index - 1]);
        Save(*form, index, dir.filePath(names[index - 1]));
        ASSERT_TRUE(guitest::Script(*form).messages().isEmpty());
        const QString path = dir.filePath(names[index - 1]);
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray raw = f.readAll();
        core::imageman::Bytes bytes(raw.begin(), raw.end());
        auto opened = index == 1   ? core::imageman::OpenBmpDocument(bytes)
                      : index == 2 ? core::imageman::OpenPcxDocument(bytes)
                      : index == 3 ? core::imageman::OpenTiffDocument(bytes)
                                   : core::imageman::OpenPngDocument(bytes);
        ASSERT_TRUE(opened.ok()) << opened.message();
        auto pic = opened.value()->decode(0, {});
        ASSERT_TRUE(pic.ok());
        for (int y = 0; y < 21; ++y)
            for (int x = 0; x < 33; ++x)
                ASSERT_EQ(pic->rgb(x, y), ramp.rgb(x, y));
    }
}

// A write that fails is reported with its reason; the old file, the folder
// and the unsaved state are as they were.
TEST_F(SaveAsTest, FailuresKeepFileAndUnsavedState) {
    const QString rgb = WriteOwn(dir, "rgb.png", guitest::Ramp(200, 100));
    auto form = StartWindow({rgb});
    const QString folder = dir.filePath("out");
    ASSERT_TRUE(QDir().mkpath(folder + "/taken.png")); // a folder where the file would go
    form->setPictureChanged(true);
    Save(*form, 4, folder + "/taken.png");
    ASSERT_EQ(guitest::Script(*form).messages().size(), 1);
    EXPECT_TRUE(guitest::Script(*form).messages()[0].startsWith("Cannot save "));
    EXPECT_TRUE(form->pictureChanged());
    EXPECT_TRUE(Entries(folder).isEmpty());

    if (::geteuid() != 0) { // root writes into read-only folders
        const QString ro = dir.filePath("ro");
        QDir().mkpath(ro);
        QFile::setPermissions(ro, QFile::ReadOwner | QFile::ExeOwner);
        Save(*form, 1, ro + "/x.bmp");
        EXPECT_EQ(guitest::Script(*form).messages().size(), 2);
        EXPECT_TRUE(form->pictureChanged());
        EXPECT_TRUE(Entries(ro).isEmpty());
        QFile::setPermissions(ro, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // No room: nothing is written and the picture stays unsaved.
    form->setPictureChanged(true);
    const int before = guitest::Script(*form).messages().size();
    guitest::Script(*form).setFreeSpace(100);
    Save(*form, 1, folder + "/full.bmp");
    EXPECT_EQ(guitest::Script(*form).messages().size(), before + 1);
    EXPECT_EQ(guitest::Script(*form).messages().last(), "Insufficient free disk space.");
    EXPECT_TRUE(form->pictureChanged());
    EXPECT_FALSE(QFile::exists(folder + "/full.bmp"));
    // A place that cannot be written is no question of space: the write says why.
    const QString notFolder = folder + "/taken.png/inner";
    ASSERT_TRUE(QFile(notFolder).open(QIODevice::WriteOnly));
    Save(*form, 1, notFolder + "/x.bmp");
    EXPECT_TRUE(guitest::Script(*form).messages().last().startsWith("Cannot save "))
        << guitest::Script(*form).messages().last().toStdString();
    EXPECT_TRUE(form->pictureChanged());
}
