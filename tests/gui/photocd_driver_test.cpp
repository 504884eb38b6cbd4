// A Photo CD pack opened by the program at the step --pcd-step asks for.
#include "core/pcd_writer.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct RunResult {
    int status = -1;
    QString out;
};

RunResult Vistrel(const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    static QTemporaryDir runtime;
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    p.setProcessEnvironment(env);
    p.start(VISTREL_PROGRAM, args);
    if (!p.waitForFinished(120000)) return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput())};
}

TEST(PhotoCdDriver, WindowOpensThePackAtTheStep) {
    QTemporaryDir dir;
    const QString pack = dir.filePath("IMG0001.PCD");
    pcdgen::PackSpec spec;
    spec.rotation = 1;
    const auto made = pcdgen::MakePack([](int x, int, int w, int) { return std::uint32_t(255 * x / w) << 8; }, spec);
    QFile f(pack);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(reinterpret_cast<const char*>(made.bytes.data()), qint64(made.bytes.size()));
    f.close();

    RunResult r = Vistrel({"--screenshot", "-", "--pcd-step", "1", "--print-status", pack});
    ASSERT_EQ(r.status, 0) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("status2\t128x192x16m")) << r.out.toStdString();
    // Without the option the start-up step (Base) is read.
    r = Vistrel({"--screenshot", "-", "--print-status", pack});
    EXPECT_TRUE(r.out.contains("status2\t512x768x16m")) << r.out.toStdString();
    EXPECT_EQ(Vistrel({"--pcd-step", "7", pack}).status, 2);
}

} // namespace
