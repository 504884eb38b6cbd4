#include "gui_support.h"

#include "core/imagelib/imagelib.h"
#include "gui/dialogs/value_dialog.h"
#include "gui/editing/resize_form.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QSettings>
#include <QThread>

namespace guitest {

core::Bitmap Ramp(int width, int height) {
    core::Bitmap b = core::Bitmap::Create(width, height, 24).value();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = b.row(y) + 3 * x;
            p[0] = std::uint8_t(255 * y / std::max(1, height - 1));
            p[1] = 128;
            p[2] = std::uint8_t(255 * x / std::max(1, width - 1));
        }
    return b;
}

core::Bitmap OneBitLines(int width, int height) {
    core::Bitmap b = core::Bitmap::Create(width, height, 1).value();
    b.palette() = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    for (int y = 0; y < height; ++y) {
        std::fill(b.row(y), b.row(y) + b.stride(), 0xFF);
        // One black column every 10 pixels.
        for (int x = 5; x < width; x += 10)
            b.row(y)[x / 8] &= std::uint8_t(~(0x80 >> (x % 8)));
    }
    return b;
}

namespace {

QImage ToImage(const core::Bitmap& b) {
    QImage img(b.width(), b.height(), QImage::Format_RGB32);
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x)
            img.setPixel(x, y, 0xFF000000u | b.rgb(x, y));
    return img;
}

// An uncompressed 24-bit TGA, bottom-up as most writers make it.
void WriteTga(const QString& path, const core::Bitmap& b) {
    QByteArray out(18, 0);
    out[2] = 2;
    out[12] = char(b.width() & 0xFF);
    out[13] = char(b.width() >> 8);
    out[14] = char(b.height() & 0xFF);
    out[15] = char(b.height() >> 8);
    out[16] = 24;
    for (int y = b.height() - 1; y >= 0; --y)
        for (int x = 0; x < b.width(); ++x) {
            const std::uint32_t c = b.rgb(x, y);
            out.append(char(c & 0xFF)).append(char((c >> 8) & 0xFF)).append(char((c >> 16) & 0xFF));
        }
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(out);
}

} // namespace

QString WritePicture(const QTemporaryDir& dir, const QString& name, const core::Bitmap& picture) {
    const QString path = dir.filePath(name);
    const QString ext = name.section('.', -1).toLower();
    if (ext == "bmp") {
        core::imagelib::WriteBMP(path.toStdString(), picture);
    } else if (ext == "png") {
        core::imagelib::WritePNG(path.toStdString(), picture, false);
    } else if (ext == "jpg" || ext == "jpeg") {
        ToImage(picture).save(path, "JPEG", 90);
    } else if (ext == "tga") {
        WriteTga(path, picture);
    } else {
        // TIFF and PCX by ImageMagick from a PNG.
        const QString png = dir.filePath(name + ".src.png");
        ToImage(picture).save(png, "PNG");
        QStringList args{png};
        if (ext == "tif" || ext == "tiff")
            args << "-compress"
                 << "None";
        args << path;
        QProcess::execute("convert", args);
    }
    return path;
}

void ClearSettings() {
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, "Corvane", "VISTREL");
    s.clear();
    s.sync();
}

gui::StartOptions ScriptedOptions() {
    gui::StartOptions o;
    o.prompter = std::make_shared<gui::ScriptedPrompter>();
    return o;
}

gui::ScriptedPrompter& Script(const gui::TWebForm& form) {
    return dynamic_cast<gui::ScriptedPrompter&>(form.prompter());
}

gui::ScriptedPrompter::ValueFn RealValueDialog() {
    return [](const gui::ValueAsk& a) {
        return gui::ShowValueDialog(nullptr, a.caption, a.lowText, a.highText, a.request);
    };
}

gui::ScriptedPrompter::ResizeFn RealResizeDialog() {
    return [](const gui::ResizeAsk& a) {
        gui::ResizeResult r;
        gui::ShowResizeDialog(a.x, a.y, a.width, &r, a.bits, a.maxHeight, a.maxWidth, a.height);
        return r;
    };
}

std::unique_ptr<gui::TWebForm> StartWindow(const QStringList& files, bool readSettings) {
    gui::StartOptions o = ScriptedOptions();
    o.files = files;
    o.readSettings = readSettings;
    auto form = std::make_unique<gui::TWebForm>(o);
    form->show();
    QElapsedTimer t;
    t.start();
    while (!form->activated() && t.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    form->WaitIdle();
    return form;
}

void OpenThroughDialog(gui::TWebForm& form, const QStringList& files) {
    Script(form).pushFiles(files);
    form.input().BtnOpenClick(gui::OpenSender::User);
    form.WaitIdle();
}

} // namespace guitest
