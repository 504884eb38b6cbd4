// The program run headless from outside: named commands after the open,
// scripted answers, the message boxes and the window's state printed; usage
// and version without a display.
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

struct Result {
    int status = -1;
    QString out, err;
};

Result Vistrel(const QStringList& args, bool display = true) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    static QTemporaryDir runtime; // a fresh runtime folder, as the offscreen platform wants
    if (display) {
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_RUNTIME_DIR", runtime.path());
    } else {
        env.remove("QT_QPA_PLATFORM");
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
    }
    p.setProcessEnvironment(env);
    p.start(VISTREL_PROGRAM, args);
    if (!p.waitForFinished(120000)) return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

const QString kSample = VISTREL_SAMPLE_DIR "/sample.jpg";

// The command lines of --print-status: name -> "enabled unchecked visible".
QString CommandState(const QString& out, const QString& name) {
    for (const QString& line : out.split('\n')) {
        const QStringList f = line.split('\t');
        if (f.size() == 5 && f[0] == "command" && f[1] == name) return f.mid(2).join(' ');
    }
    return "<none>";
}

QString Field(const QString& out, const QString& key) {
    for (const QString& line : out.split('\n'))
        if (line.startsWith(key + "\t")) return line.mid(key.size() + 1);
    return "<none>";
}

} // namespace

TEST(Driver, UndoFollowsNegativeAndUndo) {
    const Result negative =
        Vistrel({"--screenshot", "-", "--command", "mnuNegative", "--print-status", kSample});
    ASSERT_EQ(negative.status, 0) << negative.err.toStdString();
    EXPECT_EQ(Field(negative.out, "caption"), "sample.jpg - VISTREL 3.6.23");
    EXPECT_EQ(Field(negative.out, "zoom"), "100");
    EXPECT_EQ(Field(negative.out, "description"), Field(negative.out, "status2"));
    EXPECT_EQ(CommandState(negative.out, "mnuUndo"), "enabled unchecked visible");
    EXPECT_EQ(CommandState(negative.out, "btnHand"), "enabled checked visible");
    // Commands not built yet are named and stay disabled.
    EXPECT_EQ(CommandState(negative.out, "mnuAV_Play"), "disabled unchecked hidden");

    const Result both = Vistrel({"--screenshot", "-", "--command", "mnuNegative", "--command",
                                 "mnuUndo", "--print-status", "--print-messages", kSample});
    ASSERT_EQ(both.status, 0) << both.err.toStdString();
    EXPECT_EQ(CommandState(both.out, "mnuUndo"), "disabled unchecked visible");
    EXPECT_FALSE(both.out.contains("message\t")); // no box was shown
}

TEST(Driver, AnswersComeFromTheQueueAndBoxesArePrinted) {
    // Reload after an edit asks first; No keeps the edit (Undo stays possible).
    const QStringList edit{"--screenshot", "-",         "--command",      "mnuNegative",
                           "--command",    "mnuReload", "--print-status", "--print-messages"};
    const Result no = Vistrel(edit + QStringList{"--answer", "no", kSample});
    ASSERT_EQ(no.status, 0) << no.err.toStdString();
    EXPECT_TRUE(
        no.out.startsWith("message\tquestion\tYes|No\nYou have unsaved changes. Continue?\n----\n"))
        << no.out.toStdString();
    EXPECT_EQ(CommandState(no.out, "mnuUndo"), "enabled unchecked visible");
    // The default button, Yes, reloads.
    const Result yes = Vistrel(edit + QStringList{kSample});
    ASSERT_EQ(yes.status, 0);
    EXPECT_TRUE(yes.out.startsWith("message\tquestion\tYes|No\n"));
    EXPECT_EQ(CommandState(yes.out, "mnuUndo"), "disabled unchecked visible");

    // A 256-colour screen warns before a colour edit; No does nothing.
    const Result svga = Vistrel({"--screenshot", "-", "--screen-bits", "8", "--command", "mnuGamma",
                                 "--answer", "no", "--print-messages", "--print-status", kSample});
    ASSERT_EQ(svga.status, 0) << svga.err.toStdString();
    EXPECT_TRUE(svga.out.startsWith("message\tinformation\tYes|No|Ignore\n256 color displays "
                                    "cannot show subtle changes.\n"))
        << svga.out.toStdString();
    EXPECT_EQ(CommandState(svga.out, "mnuUndo"), "disabled unchecked visible");
}

TEST(Driver, RefusedFilesAndUnknownCommands) {
    const Result lzw =
        Vistrel({"--screenshot", "-", "--print-messages", VISTREL_FIXTURE_DIR "/pipe_lzw.tif"});
    EXPECT_EQ(lzw.status, 1); // the file could not be opened
    EXPECT_TRUE(lzw.out.startsWith("message\twarning\tOK\nLZW compresssion is NOT supported."))
        << lzw.out.toStdString();
    EXPECT_TRUE(lzw.out.endsWith("\n----\n"));

    const Result unknown = Vistrel({"--screenshot", "-", "--command", "mnuNoSuch", kSample});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_TRUE(unknown.err.contains("unknown command mnuNoSuch")) << unknown.err.toStdString();
    const Result badAnswer = Vistrel({"--screenshot", "-", "--answer", "maybe", kSample});
    EXPECT_EQ(badAnswer.status, 2);
    const Result noShot = Vistrel({"--command", "mnuNegative", kSample});
    EXPECT_EQ(noShot.status, 2);
}

TEST(Driver, ScreenshotIsWrittenUnlessDash) {
    QTemporaryDir dir;
    const QString png = dir.filePath("w.png");
    const Result r =
        Vistrel({"--screenshot", png, "--command", "btnZoomUp", "--print-status", kSample});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(Field(r.out, "zoom"), "125");
    EXPECT_EQ(Field(r.out, "status1"), "125%");
    QFile f(png);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.read(4), QByteArray("\x89PNG"));
}

TEST(Driver, HelpAndVersionNeedNoDisplay) {
    for (const char* option : {"--help", "-h"}) {
        const Result help = Vistrel({option}, false);
        EXPECT_EQ(help.status, 0) << option << help.err.toStdString();
        EXPECT_TRUE(help.out.startsWith("usage: vistrel")) << option;
        EXPECT_TRUE(help.out.contains("--command NAME"));
    }
    const Result version = Vistrel({"--version"}, false);
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "vistrel 3.6.23\n");
    // After the file's name an option is part of the name, not a request for help.
    const Result late = Vistrel({"--screenshot", "-", kSample, "--help"});
    EXPECT_EQ(late.status, 1);
}

TEST(Driver, PagesInfoAndScanFromOutside) {
    QTemporaryDir dir;
    const QString fax = dir.filePath("fax.dcx");
    ASSERT_EQ(QProcess::execute("convert", {"-size", "20x10", "xc:red", "xc:lime", "xc:blue",
                                            "-type", "TrueColor", fax}),
              0);
    const QString shot = dir.filePath("page2.png");
    const Result page = Vistrel({"--screenshot", shot, "--command", "mnuPageNext", "--command",
                                 "mnuImageInfo", "--print-status", "--print-messages", fax});
    ASSERT_EQ(page.status, 0) << page.err.toStdString();
    EXPECT_EQ(Field(page.out, "status0"), "Page 2 of 3");
    EXPECT_EQ(CommandState(page.out, "btnPage"), "enabled unchecked visible");
    EXPECT_TRUE(page.out.contains("message\tinformation\tOK\n20x10x16m ddb\nName: fax.dcx\n"))
        << page.out.toStdString();
    EXPECT_TRUE(page.out.contains("\nPages: 3\nUses: 600 bytes\n")) << page.out.toStdString();
    EXPECT_TRUE(QFile::exists(shot));

    // The scanner named on the command line, SANE seeing only its test device.
    QFile::remove(dir.filePath("dll.conf"));
    QFile conf(dir.filePath("dll.conf"));
    ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
    conf.write("test\n");
    conf.close();
    qputenv("SANE_CONFIG_DIR", dir.path().toLocal8Bit());
    const Result scan = Vistrel({"--screenshot", "-", "--scan-device", "test:0", "--command",
                                 "mnuTWAIN_Acquire", "--print-status", "--print-messages"});
    const Result none = Vistrel({"--screenshot", "-", "--scan-device", "nosuch:1", "--command",
                                 "mnuTWAIN_Acquire", "--print-messages"});
    qunsetenv("SANE_CONFIG_DIR");
    ASSERT_EQ(scan.status, 0) << scan.err.toStdString();
    EXPECT_EQ(Field(scan.out, "caption"), "Untitled - VISTREL 3.6.23");
    EXPECT_FALSE(scan.out.contains("message\t")) << scan.out.toStdString();
    EXPECT_TRUE(none.out.contains("TWAIN DLL error.\nCheck driver, device and connections."))
        << none.out.toStdString();
}

// Under a real X server with a window manager, which adds its frame some time
// after the window is shown: a picture larger than the screen leaves the whole
// frame, title bar and status bar included, on the screen's area.
TEST(Driver, BigPicturesKeepTheWholeFrameOnTheScreen) {
    for (const char* tool : {"xvfb-run", "openbox"})
        ASSERT_FALSE(QStandardPaths::findExecutable(tool).isEmpty()) << "missing tool: " << tool;
    QTemporaryDir dir;
    const QString wide = dir.filePath("wide.jpg"), tall = dir.filePath("tall.png");
    QImage a(4000, 3000, QImage::Format_RGB32);
    a.fill(Qt::darkCyan);
    ASSERT_TRUE(a.save(wide, "JPG"));
    QImage b(1728, 2200, QImage::Format_RGB32);
    b.fill(Qt::white);
    ASSERT_TRUE(b.save(tall, "PNG"));
    for (const QString& file : {wide, tall, kSample}) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("QT_QPA_PLATFORM");
        env.insert("XDG_RUNTIME_DIR", dir.path());
        p.setProcessEnvironment(env);
        p.start("xvfb-run", {"-a", "-s", "-screen 0 1600x1000x24", "sh", "-c",
                             "openbox >/dev/null 2>&1 & sleep 1; exec \"$0\" \"$@\"",
                             VISTREL_PROGRAM, "--screenshot", "-", "--print-status", file});
        ASSERT_TRUE(p.waitForFinished(120000));
        const QString out = QString::fromUtf8(p.readAllStandardOutput());
        ASSERT_EQ(p.exitCode(), 0) << qPrintable(QString::fromUtf8(p.readAllStandardError()));
        const QStringList f = Field(out, "frame").split(' '), s = Field(out, "screen").split(' ');
        ASSERT_EQ(f.size(), 4) << qPrintable(out);
        ASSERT_EQ(s.size(), 4) << qPrintable(out);
        const QRect frame(f[0].toInt(), f[1].toInt(), f[2].toInt(), f[3].toInt());
        const QRect screen(s[0].toInt(), s[1].toInt(), s[2].toInt(), s[3].toInt());
        EXPECT_TRUE(screen.contains(frame))
            << qPrintable(file) << ": frame " << qPrintable(Field(out, "frame")) << " on "
            << qPrintable(Field(out, "screen"));
        // Auto Center (on by default) centres the frame. The manager's frame may
        // arrive while the window is being placed, so a title bar's height is allowed.
        EXPECT_LE(std::abs(frame.center().x() - screen.center().x()), 30) << qPrintable(file);
        EXPECT_LE(std::abs(frame.center().y() - screen.center().y()), 30) << qPrintable(file);
    }
}
