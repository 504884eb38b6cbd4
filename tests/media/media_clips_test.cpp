// Real clips through the real back end: made here with ffmpeg and sox (a
// MIDI file by hand), opened, measured and played to their end headless.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

struct Outcome {
    int status = -1; // -1: crashed or did not end
    QString out, err;
    double seconds = 0;
};

Outcome Program(const QStringList& args, int timeoutMs = 60000) {
    static QTemporaryDir runtime;
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    p.setProcessEnvironment(env);
    QElapsedTimer t;
    t.start();
    p.start(VISTREL_PROGRAM, args);
    Outcome r;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
    } else if (p.exitStatus() == QProcess::NormalExit) {
        r.status = p.exitCode();
    }
    r.seconds = t.elapsed() / 1000.0;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

bool Tool(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// Two seconds of MIDI: four quarter notes at the default 120 beats a minute.
QByteArray Midi() {
    QByteArray track;
    auto add = [&track](std::initializer_list<int> bytes) {
        for (int b : bytes)
            track.append(char(b));
    };
    add({0x00, 0xC0, 0x00});
    for (int i = 0; i < 4; ++i) {
        add({0x00, 0x90, 60 + 2 * i, 100});
        add({0x83, 0x60, 0x80, 60 + 2 * i, 0}); // 480 ticks later
    }
    add({0x00, 0xFF, 0x2F, 0x00});
    QByteArray file("MThd");
    const char header[] = {0, 0, 0, 6, 0, 0, 0, 1, 0x01, char(0xE0)};
    file.append(header, sizeof header);
    file.append("MTrk");
    const int n = int(track.size());
    file.append(char(n >> 24)).append(char(n >> 16)).append(char(n >> 8)).append(char(n));
    return file + track;
}

struct Clip {
    double duration;
    int width, height;
};

class MediaClips : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir_ = new QTemporaryDir;
        ASSERT_FALSE(QStandardPaths::findExecutable("ffmpeg").isEmpty()) << "ffmpeg is needed";
        auto ff = [](const QString& name, const QStringList& args) {
            ASSERT_TRUE(
                Tool("ffmpeg", QStringList{"-v", "error", "-y"} + args + QStringList{Path(name)}))
                << name.toStdString();
        };
        const QStringList tone{"-f", "lavfi", "-i", "sine=f=440:d=2"};
        const QStringList video{"-f", "lavfi", "-i", "testsrc=size=176x144:rate=15:d=2"};
        if (!QStandardPaths::findExecutable("sox").isEmpty())
            ASSERT_TRUE(Tool("sox", {"-n", "-r", "22050", "-c", "1", Path("tone.wav"), "synth", "2",
                                     "sine", "440"}));
        else
            ff("tone.wav", tone);
        ff("tone.aiff", tone);
        ff("tone.au", tone);
        ff("tone.mp3", tone + QStringList{"-c:a", "libmp3lame"});
        ff("tone.mp2", tone + QStringList{"-c:a", "mp2"});
        ff("mjpeg.avi",
           QStringList{"-f", "lavfi", "-i", "testsrc=size=160x120:rate=15:d=2", "-c:v", "mjpeg"});
        ff("mpeg4.avi", video + QStringList{"-c:v", "mpeg4"});
        ff("system.mpg", QStringList{"-f", "lavfi", "-i", "testsrc=size=320x240:rate=25:d=2"} +
                             tone + QStringList{"-c:v", "mpeg1video", "-c:a", "mp2", "-f", "mpeg"});
        ff("movie.mov",
           QStringList{"-f", "lavfi", "-i", "testsrc=size=200x150:rate=15:d=2", "-c:v", "mjpeg"});
        ff("real.rm", video + QStringList{"-c:v", "rv10", "-an"});
        QFile midi(Path("tune.mid"));
        ASSERT_TRUE(midi.open(QIODevice::WriteOnly));
        midi.write(Midi());
        midi.close();
        QFile junk(Path("junk.avi"));
        ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
        for (int i = 0; i < 3000; ++i)
            junk.putChar(char((i * 7919 + 13) & 0xFF));
        junk.close();
        ASSERT_TRUE(Tool("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=64x48",
                                    "-frames:v", "1", Path("pic.png")}));
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }
    static QString Path(const QString& name) { return dir_->filePath(name); }
    static std::map<QString, double> Values(const QString& text) {
        std::map<QString, double> v;
        static const QRegularExpression kv(R"((\w+)[:=] ?(-?[0-9.]+))");
        for (auto it = kv.globalMatch(text); it.hasNext();) {
            const auto m = it.next();
            v[m.captured(1)] = m.captured(2).toDouble();
        }
        return v;
    }
    static QString LineOf(const QString& out, const QString& event) {
        for (const QString& l : out.split('\n'))
            if (l.startsWith(event + " ")) return l;
        return {};
    }
    static QTemporaryDir* dir_;
};

QTemporaryDir* MediaClips::dir_ = nullptr;

TEST_F(MediaClips, InfoGivesDurationAndPictureSizeOfEveryKind) {
    const std::map<QString, Clip> clips{
        {"tone.wav", {2.0, 0, 0}},      {"tone.aiff", {2.0, 0, 0}},
        {"tone.au", {2.0, 0, 0}},       {"tone.mp3", {2.04, 0, 0}},
        {"tone.mp2", {2.01, 0, 0}},     {"mjpeg.avi", {2.0, 160, 120}},
        {"mpeg4.avi", {2.0, 176, 144}}, {"system.mpg", {2.0, 320, 240}},
        {"movie.mov", {2.0, 200, 150}}, {"real.rm", {2.0, 176, 144}},
        {"tune.mid", {2.0, 0, 0}},
    };
    for (const auto& [name, want] : clips) {
        const Outcome r = Program({"--media-info", Path(name)});
        ASSERT_EQ(r.status, 0) << name.toStdString() << "\n" << r.err.toStdString();
        const auto v = Values(r.out);
        EXPECT_NEAR(v.at("duration"), want.duration, 0.15) << name.toStdString();
        EXPECT_EQ(v.at("width"), want.width) << name.toStdString();
        EXPECT_EQ(v.at("height"), want.height) << name.toStdString();
    }
}

TEST_F(MediaClips, AFileThatIsNoClipIsToldAndRefused) {
    const Outcome info = Program({"--media-info", Path("junk.avi")}, 30000);
    EXPECT_EQ(info.status, 1);
    EXPECT_TRUE(info.err.contains("Cannot play junk.avi.")) << info.err.toStdString();
    const Outcome play = Program({"--play", Path("junk.avi")}, 30000);
    EXPECT_EQ(play.status, 1);
    EXPECT_TRUE(play.err.contains("Cannot play junk.avi.")) << play.err.toStdString();
    EXPECT_FALSE(play.out.contains("end "));
}

TEST_F(MediaClips, PlayReachesTheEnd) {
    for (const QString name : {"tone.wav", "mjpeg.avi", "tune.mid"}) {
        const Outcome r = Program({"--play", Path(name)});
        ASSERT_EQ(r.status, 0) << name.toStdString() << "\n" << r.out.toStdString();
        const auto open = Values(LineOf(r.out, "open"));
        const auto end = Values(LineOf(r.out, "end"));
        ASSERT_TRUE(end.count("position")) << r.out.toStdString();
        EXPECT_NEAR(end.at("position"), open.at("duration"), 0.2) << name.toStdString();
        EXPECT_LT(r.seconds, open.at("duration") + 3 + 3) << name.toStdString(); // with start-up
    }
}

TEST_F(MediaClips, FullScreenKeepsThePlace) {
    for (const QString name : {"mpeg4.avi", "tone.mp3"}) {
        const Outcome r = Program({"--play", Path(name), "--fullscreen-at", "0.5"});
        ASSERT_EQ(r.status, 0) << name.toStdString() << "\n" << r.out.toStdString();
        const auto f = Values(LineOf(r.out, "fullscreen"));
        ASSERT_TRUE(f.count("before")) << r.out.toStdString();
        EXPECT_NEAR(f.at("after"), f.at("before"), 0.3) << name.toStdString();
        EXPECT_EQ(f.at("state_before"), 2);
        EXPECT_EQ(f.at("state_after"), 2);
        EXPECT_FALSE(LineOf(r.out, "end").isEmpty());
    }
}

TEST_F(MediaClips, ASlideshowShowsAPictureAndAClipAndEnds) {
    const QString log = Path("show.jsonl");
    const QString shots = Path("shots");
    const Outcome r = Program({"--slideshow", "--show-log", log, "--show-passes", "1", "--set",
                               "AlwaysFullScreen=0", "--set", "SlideDelay=200", "--show-shots",
                               shots, Path("pic.png"), Path("mjpeg.avi")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    QFile f(log);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QStringList shown;
    QString how;
    for (const QByteArray& line : f.readAll().split('\n')) {
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        if (o["event"] != "slide") {
            if (o["event"] == "end") how = o["how"].toString();
            continue;
        }
        shown << QFileInfo(o["file"].toString()).fileName();
        if (!shown.last().endsWith(".avi")) continue;
        // The clip's shot is the clip as it played: the test pattern's bars, not the
        // empty area.
        const QImage shot(QDir(shots).filePath(QString::asprintf("slide_%04d.png",
                                                                 int(shown.size()))));
        ASSERT_FALSE(shot.isNull());
        std::set<QRgb> colours;
        for (int x = 0; x < shot.width(); x += 4)
            colours.insert(shot.pixel(x, shot.height() / 2));
        EXPECT_GT(colours.size(), 5u);
    }
    shown.sort();
    EXPECT_EQ(shown.join(' ').toStdString(), "mjpeg.avi pic.png");
    EXPECT_EQ(how, "stopped");
    // The clip played through: the show took at least its length.
    EXPECT_GT(r.seconds, 2.0);
}

} // namespace
