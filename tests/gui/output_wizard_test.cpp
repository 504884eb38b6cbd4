// The JPEG compression wizard through the window: the stored settings and
// their defaults, Test with its texts, "Save &As" writing the last Test's
// bytes, "&More compression", and the picture put back at the end.
#include "core/imagelib/imagelib.h"
#include "gui/output/jpeg_wizard.h"
#include "gui/view/tpix.h"
#include "gui_support.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSettings>

#include <gtest/gtest.h>

#include <cstring>

using guitest::StartWindow;

namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class WizardTest : public ::testing::Test {
  protected:
    void SetUp() override {
        guitest::ClearSettings();
        ASSERT_TRUE(dir.isValid());
    }
    QTemporaryDir dir;
};

} // namespace

TEST_F(WizardTest, DefaultsTestAndSaveAsTwice) {
    // An 8-bit picture: the wizard works in 24 bits and gives it back as it was.
    core::Bitmap pic = core::Bitmap::Create(40, 30, 8).value();
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            pic.row(y)[x] = static_cast<std::uint8_t>(x * 6 + y);
    const QString path = dir.filePath("p.png");
    ASSERT_EQ(core::imagelib::WritePNG(path.toStdString(), pic, false), 1);
    auto form = StartWindow({path});
    ASSERT_EQ(form->document().PictureBits, 8);
    const core::Bitmap before = form->pix()->Bitmap();

    guitest::Script(*form).pushWizard([&](gui::TFXdlg& dlg, gui::JpegWizard& w) {
        EXPECT_EQ(dlg.windowTitle(), "JPEG Compression Wizard");
        EXPECT_EQ(w.suggestedFile, dir.filePath("p.jpg")); // offered in its folder
        EXPECT_TRUE(w.chkOptimize->isChecked());
        EXPECT_TRUE(w.chkFloats->isChecked());
        EXPECT_FALSE(w.chkProgressive->isChecked() || w.chkSubSample->isChecked());
        EXPECT_TRUE(w.smoothing[0]->isChecked());
        EXPECT_EQ(w.ScrollBarJPG->value(), 48);
        EXPECT_EQ(w.EditJPG->text(), "48");
        EXPECT_EQ(dlg.slider(0)->value(), 0);
        EXPECT_EQ(dlg.btnOK()->text(), "Save &As");
        EXPECT_FALSE(dlg.btnOK()->isEnabled());
        EXPECT_EQ(dlg.btnCancel()->text(), "&Quit");
        EXPECT_EQ(dlg.findChild<QLabel*>("lblModified")->text(), "Compressed image");

        dlg.btnTest()->click();
        ASSERT_TRUE(dlg.btnOK()->isEnabled());
        const auto n = w.stream().size();
        ASSERT_GT(n, 0u);
        EXPECT_EQ(w.StatusBar1[0]->text(), QString("File size: %1 bytes").arg(n));
        EXPECT_TRUE(w.StatusBar1[1]->text().startsWith("Compression ratio: "));
        EXPECT_TRUE(w.StatusBar1[1]->text().endsWith(" to 1"));
        EXPECT_EQ(dlg.AfterPix()->Bitmap().width(), 40);

        // Save As twice after one Test: the same bytes, those of the Test.
        int asked = 0;
        w.chooseFile = [&](QWidget*) { return dir.filePath(QString("s%1.jpg").arg(++asked)); };
        dlg.btnOK()->click();
        dlg.btnOK()->click();
        EXPECT_EQ(asked, 2);
        EXPECT_TRUE(dlg.isVisible()); // the dialog stays open
        const QByteArray a = ReadAll(dir.filePath("s1.jpg"));
        EXPECT_EQ(a, ReadAll(dir.filePath("s2.jpg")));
        EXPECT_EQ(static_cast<std::size_t>(a.size()), n);
        dlg.btnCancel()->click(); // Quit
    });
    form->output().mnuCompress1Click();
    EXPECT_EQ(form->menus().action("mnuCompress")->data().toInt(), 48);
    EXPECT_EQ(form->document().PictureBits, 8);
    EXPECT_EQ(form->pix()->Bitmap().bits(), before.bits());
    EXPECT_EQ(std::memcmp(form->pix()->Bitmap().data(), before.data(), before.byteSize()), 0);
    EXPECT_TRUE(guitest::Script(*form).messages().isEmpty());
}

TEST_F(WizardTest, MoreCompressionStoresAtMost255AndPersists) {
    const QString path = guitest::WritePicture(dir, "r.png", guitest::Ramp(32, 24));
    {
        auto form = StartWindow({path});
        guitest::Script(*form).pushWizard([&](gui::TFXdlg& dlg, gui::JpegWizard& w) {
            w.chkLinear->click();
            EXPECT_EQ(w.ScrollBarJPG->maximum(), 512);
            EXPECT_EQ(w.lblJPGmax->text(), "512 (smaller)");
            w.EditJPG->setText("0");
            emit w.EditJPG->editingFinished();
            EXPECT_EQ(w.EditJPG->text(), "1");
            w.EditJPG->setText("9999");
            emit w.EditJPG->editingFinished();
            EXPECT_EQ(w.ScrollBarJPG->value(), 512);
            w.ScrollBarJPG->setValue(400);
            w.smoothing[2]->setChecked(true);
            dlg.slider(0)->setValue(30);
            dlg.btnTest()->click();
            const auto coarse = w.stream().size();
            w.ScrollBarJPG->setValue(2);
            dlg.btnTest()->click();
            EXPECT_GT(w.stream().size(), coarse);
            w.ScrollBarJPG->setValue(400);
            dlg.btnTest()->click();
            dlg.btnCancel()->click();
        });
        form->output().mnuCompress1Click();
        ASSERT_TRUE(form->output().wizardSettings().has_value());
        EXPECT_EQ(form->output().wizardSettings()->scale, 255);
        EXPECT_EQ(form->output().wizardSettings()->smoothingMethod, 2);
        EXPECT_EQ(form->output().wizardSettings()->smoothing, 30);
        EXPECT_EQ(form->menus().action("mnuCompress")->data().toInt(), 255);
        EXPECT_TRUE(form->close());
    }
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, "Corvane", "VISTREL");
    const QByteArray stored = s.value("JPGwiz1").toByteArray();
    ASSERT_EQ(stored.size(), 16);
    EXPECT_EQ(static_cast<unsigned char>(stored[12]), 255);
    EXPECT_EQ(stored[4], 2);

    // The next run opens with 255, the box off, and the stored smoothing.
    auto form = StartWindow({path});
    guitest::Script(*form).pushWizard([&](gui::TFXdlg& dlg, gui::JpegWizard& w) {
        EXPECT_EQ(w.ScrollBarJPG->value(), 255);
        EXPECT_FALSE(w.chkLinear->isChecked());
        EXPECT_TRUE(w.smoothing[2]->isChecked());
        EXPECT_EQ(dlg.slider(0)->value(), 30);
        dlg.btnCancel()->click();
    });
    form->output().mnuCompress1Click();
}
