// vistrel --slideshow: a script show on the offscreen platform with the
// virtual clock, checked through its log and its shots.
#include "core/editing/color_lut.h"
#include "gui_support.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

int RunProgram(const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    static QTemporaryDir runtime;
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    p.setProcessEnvironment(env);
    p.start(VISTREL_PROGRAM, args);
    if (!p.waitForFinished(120000)) return -1;
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

std::vector<QJsonObject> ReadLog(const QString& path) {
    std::vector<QJsonObject> out;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return out;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (!line.trimmed().isEmpty()) out.push_back(QJsonDocument::fromJson(line).object());
    return out;
}

TEST(SlideshowDriver, AScriptShowDrawsItsSlidesWithBackgroundAndGamma) {
    QTemporaryDir dir;
    core::Bitmap gray = core::Bitmap::Create(80, 80, 24).value();
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 240; ++x)
            gray.row(y)[x] = 128;
    guitest::WritePicture(dir, "g.bmp", gray);
    QFile script(dir.filePath("show.avl"));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("[HEADER]\r\nVer = 7\r\nN=4\r\n[Directory]\r\n0=D:\\slides\\\r\n"
                 "[0]\r\nF=g.bmp,0\r\nB=00FF00\r\nG=32\r\nW=0\r\nX=0\r\n"
                 "[1]\r\nF=missing.jpg\r\n"
                 "[2]\r\nf=g.bmp,\r\nX=15\r\nw=1\r\n");
    script.close();
    const QString log = dir.filePath("log.jsonl");
    const QString shots = dir.filePath("shots");
    ASSERT_EQ(RunProgram({"--slideshow", "--script", script.fileName(), "--show-log", log,
                          "--show-passes", "1", "--show-fast", "--show-shots", shots, "--set",
                          "AlwaysFullScreen=0"}),
              0);
    const auto lines = ReadLog(log);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0]["event"].toString(), "start");
    EXPECT_EQ(lines[1]["event"].toString(), "slide");
    const QString file = QDir(dir.path()).filePath("g.bmp");
    EXPECT_EQ(lines[1]["caption"].toString(), "Slide 1 of 3 - " + file);
    EXPECT_EQ(lines[1]["background"].toString(), "0x0000FF00");
    EXPECT_EQ(lines[1]["hold_ms"].toInt(), 50);
    EXPECT_FALSE(lines[1]["with_effect"].toBool());
    EXPECT_EQ(lines[2]["event"].toString(), "skipped");
    EXPECT_EQ(lines[3]["event"].toString(), "slide");
    EXPECT_EQ(lines[3]["effect"].toInt(), 17); // explode
    EXPECT_EQ(lines[3]["hold_ms"].toInt(), 1000);
    EXPECT_EQ(lines[4]["event"].toString(), "end");
    EXPECT_EQ(lines[4]["how"].toString(), "stopped");
    EXPECT_TRUE(lines[4]["status_bar"].toBool());

    // The first shot: the gray through a gamma of 50 in the centre, the
    // script's green around it.
    const QImage first(QDir(shots).filePath("slide_0001.png"));
    ASSERT_FALSE(first.isNull());
    const QColor centre = first.pixelColor(first.width() / 2, first.height() / 2);
    const int expected = core::editing::GammaTable(50)[128];
    EXPECT_NEAR(centre.red(), expected, 3);
    EXPECT_NEAR(centre.blue(), expected, 3);
    EXPECT_EQ(first.pixelColor(2, 2), QColor(0, 255, 0));
    EXPECT_TRUE(QFile::exists(QDir(shots).filePath("slide_0002.png")));
}

} // namespace
