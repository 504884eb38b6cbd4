// The options dialog worked from outside: vistrel --options prints every
// control, acts on --set and --press, and closes the window as the program
// does; vistrel --settings shows what reached the store.
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Result {
    int status = -1;
    QString out, err;
};

class OptionsDriverTest : public ::testing::Test {
  protected:
    Result Vistrel(const QStringList& args) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_RUNTIME_DIR", runtime.path());
        env.insert("XDG_CONFIG_HOME", config.path());
        p.setProcessEnvironment(env);
        p.start(VISTREL_PROGRAM, args);
        if (!p.waitForFinished(120000)) return {};
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }
    // Writes a field of the stored record (a 32-bit value at `offset`) over the defaults.
    void StoreField(int offset, qint32 value, int width = 4) {
        Result r = Vistrel({"--options", "--press", "ok"}); // a full record first
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        QSettings s(config.path() + "/Corvane/VISTREL.conf", QSettings::IniFormat);
        QByteArray block = s.value("VControls3623").toByteArray();
        ASSERT_EQ(block.size(), 96);
        for (int i = 0; i < width; ++i)
            block[offset + i] = char((value >> (8 * i)) & 0xFF);
        s.setValue("VControls3623", block);
        s.sync();
    }
    // The stored value NAME of vistrel --settings.
    QString Setting(const QString& name) {
        const Result r = Vistrel({"--settings"});
        for (const QString& line : r.out.split('\n'))
            if (line.startsWith(name + ": ")) return line.mid(name.size() + 2);
        return "<none>";
    }

    QTemporaryDir runtime, config;
};

// The fields of CONTROL in the printout after the n-th press (0: at opening).
QString Control(const QString& out, int block, const QString& name) {
    const QStringList blocks = out.split("----\n");
    if (block >= blocks.size()) return "<no block>";
    for (const QString& line : blocks[block].split('\n'))
        if (line.startsWith(name + "\t")) return line.mid(name.size() + 1);
    return "<none>";
}

} // namespace

TEST_F(OptionsDriverTest, SettingsPrintsTheDefaultsAndWritesNothing) {
    const Result r = Vistrel({"--settings"});
    ASSERT_EQ(r.status, 0);
    const QStringList lines = r.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 32);
    EXPECT_EQ(lines.first(), "SavedWindowRect: 0, 0, 0, 0");
    EXPECT_EQ(lines[10], "Background: 0x80000005");
    EXPECT_EQ(lines[29], "UseScreen: 0");
    EXPECT_EQ(lines[30], "OpenDir: ");
    EXPECT_TRUE(r.out.contains("\nSlideDelay: 1000\n"));
    EXPECT_TRUE(r.out.contains("\nVolume: 500\n"));
    EXPECT_FALSE(QDir(config.path() + "/Corvane").exists());
}

TEST_F(OptionsDriverTest, OkStoresWhatTheUserSet) {
    const Result r =
        Vistrel({"--options", "--set", "chk_amStatus=0", "--set", "TrackVolume=0", "--set",
                 "chkMaxDelay=1", "--set", "PanelBackground=0x00102030", "--press", "ok"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(Control(r.out, 0, "Pages"), "item=0 text=Viewer");
    EXPECT_EQ(Control(r.out, 0, "btnApply"), "enabled=0 shown=1 text=&Apply");
    EXPECT_EQ(Control(r.out, 0, "grpPhotoCDItem0"), "checked=0 enabled=1 shown=1 text=    64x96");
    EXPECT_EQ(Control(r.out, 1, "lblDelay"), "text=&Delay = 2 hours");
    EXPECT_TRUE(r.out.contains("result\tok"));
    EXPECT_EQ(Setting("AvStatusLine"), "0");
    EXPECT_EQ(Setting("Volume"), "1");
    EXPECT_EQ(Setting("SlideDelay"), "1");
    EXPECT_EQ(Setting("Background"), "0x00102030");

    // Opened again: the maximum delay and the volume come back.
    const Result again = Vistrel({"--options", "--from", "slideshow", "--press", "cancel"});
    EXPECT_EQ(Control(again.out, 0, "Pages"), "item=2 text=Slideshow");
    EXPECT_EQ(Control(again.out, 0, "chkMaxDelay").left(19), "checked=1 enabled=1");
    EXPECT_EQ(Control(again.out, 0, "ScrollBarDelay").left(20), "position=1 enabled=0");
    EXPECT_EQ(Control(again.out, 0, "TrackVolume").left(10), "position=1");
    EXPECT_EQ(Control(again.out, 0, "PanelBackground").left(16), "color=0x00102030");
}

TEST_F(OptionsDriverTest, CancelKeepsWhatTheLastApplyApplied) {
    const Result r = Vistrel({"--options", "--set", "chkStatusbar=0", "--press", "apply", "--set",
                              "chkAutoSize=0", "--press", "cancel"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(Control(r.out, 1, "btnApply"), "enabled=0 shown=1 text=&Apply");
    EXPECT_EQ(Control(r.out, 2, "chkAutoCenter").left(19), "checked=0 enabled=0");
    EXPECT_TRUE(r.out.contains("result\tcancel"));
    EXPECT_EQ(Setting("ShowStatusbar"), "0");
    EXPECT_EQ(Setting("AutoSizeWindow"), "1");
    EXPECT_EQ(Setting("AutoCenterWindow"), "1");
}

TEST_F(OptionsDriverTest, ScreenDepthsAndFullScreen) {
    StoreField(92, 1, 1); // UseScreen on
    Result r = Vistrel({"--options", "--screen-bits", "8", "--press", "cancel"});
    EXPECT_EQ(Control(r.out, 0, "chkUseScreen").left(19), "checked=0 enabled=0");
    EXPECT_EQ(Control(r.out, 0, "grpJPG").left(16), "item=3 enabled=1");
    EXPECT_EQ(Setting("UseScreen"), "1"); // Cancel keeps it
    r = Vistrel({"--options", "--screen-bits", "16", "--press", "cancel"});
    EXPECT_EQ(Control(r.out, 0, "chkUseScreen").left(19), "checked=1 enabled=1");
    EXPECT_EQ(Control(r.out, 0, "grpJPG").left(16), "item=3 enabled=0");
    EXPECT_EQ(Control(r.out, 0, "grpPalette").left(16), "item=0 enabled=0");
    r = Vistrel({"--options", "--screen-bits", "8", "--press", "ok"});
    EXPECT_EQ(Setting("UseScreen"), "0"); // Ok on an 8-bit screen stores it off

    // Full screen needs a picture.
    r = Vistrel({"--options", "--fullscreen", "--set", "chkStatusbar=0", "--press", "cancel",
                 VISTREL_SAMPLE_DIR "/sample.jpg"});
    EXPECT_EQ(Control(r.out, 0, "Pages"), "item=1 text=Graphics");
    EXPECT_EQ(Control(r.out, 0, "chkStatusbar").left(19), "checked=1 enabled=0");
    EXPECT_EQ(Control(r.out, 0, "chkMenubar").left(19), "checked=1 enabled=0");
    EXPECT_EQ(Control(r.out, 0, "chk_amControls").left(19), "checked=1 enabled=0");
    EXPECT_EQ(Control(r.out, 0, "chk_amAutoPlay").left(19), "checked=1 enabled=1");
    EXPECT_TRUE(r.err.contains("chkStatusbar is disabled"));
}

TEST_F(OptionsDriverTest, OutOfRangeSpeedIsStoredAsNormal) {
    StoreField(44, 7); // EffectsSpeed
    const Result r = Vistrel({"--options", "--from", "slideshow", "--press", "ok"});
    EXPECT_EQ(Control(r.out, 0, "grpSpeed").left(6), "item=1");
    EXPECT_EQ(Control(r.out, 0, "grpSpeedItem1").left(9), "checked=1");
    EXPECT_EQ(Setting("EffectsSpeed"), "1");
}

TEST_F(OptionsDriverTest, UsageErrorsAndPagePictures) {
    EXPECT_EQ(Vistrel({"--options", "--set", "chkNothing=1"}).status, 2);
    EXPECT_EQ(Vistrel({"--options", "--press", "later"}).status, 2);
    EXPECT_EQ(Vistrel({"--screenshot-dialog", "options:nowhere", "x.png"}).status, 2);
    const QString png = runtime.path() + "/multimedia.png";
    const Result r = Vistrel({"--screenshot-dialog", "options:multimedia", png});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QImage shot(png);
    EXPECT_GT(shot.width(), 200);
    EXPECT_GT(shot.height(), 150);
    EXPECT_FALSE(QDir(config.path() + "/Corvane").exists());
}
