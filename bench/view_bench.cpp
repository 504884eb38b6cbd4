// Repaint times of the main window: a 24-megapixel picture zoomed from 100 %
// to 800 % step by step, then dragged with the hand tool at 800 %. Each step
// is timed from the command to the end of the repaint of the visible view.
// Usage: QT_QPA_PLATFORM=offscreen vistrel_bench_view [picture.bmp]
#include "core/imagelib/imagelib.h"
#include "gui/app/application.h"
#include "gui/app/web_form.h"
#include "gui/view/tpix.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

core::Bitmap Plasma(int w, int h) {
    core::Bitmap b = core::Bitmap::Create(w, h, 24).value();
    for (int y = 0; y < h; ++y) {
        std::uint8_t* p = b.row(y);
        for (int x = 0; x < w; ++x, p += 3) {
            p[0] = std::uint8_t((x * 7 + y * 3) & 0xFF);
            p[1] = std::uint8_t((x ^ y) & 0xFF);
            p[2] = std::uint8_t((x * y) >> 8);
        }
    }
    return b;
}

void Report(const char* what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    std::printf("%-28s steps %3zu  median %7.2f ms  worst %7.2f ms\n", what, ms.size(),
                ms[ms.size() / 2], ms.back());
}

// Runs `step`, then the repaint it caused, and returns the time in ms.
template <class F> double Timed(gui::TWebForm& form, F step) {
    QElapsedTimer t;
    t.start();
    step();
    form.scrollBox()->viewport()->repaint();
    QCoreApplication::processEvents();
    return t.nsecsElapsed() / 1e6;
}

void Mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button,
           Qt::MouseButtons held) {
    QMouseEvent e(type, at, w->mapToGlobal(at), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    gui::TApplication app(argc, argv);
    gui::ConfigureApplication(app);
    QTemporaryDir dir;
    QString path = argc > 1 ? QString(argv[1]) : dir.filePath("big.bmp");
    if (argc <= 1) core::imagelib::WriteBMP(path.toStdString(), Plasma(6000, 4000));

    gui::StartOptions o;
    o.files = {path};
    o.readSettings = false;
    o.askQuestions = false;
    gui::TWebForm form(o);
    form.show();
    QElapsedTimer t;
    t.start();
    while (!form.activated() && t.elapsed() < 10000)
        QCoreApplication::processEvents();
    form.WaitIdle(120000);
    form.resize(1024, 700);
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents();
    std::printf("picture %dx%d, view %dx%d\n", form.pix()->Bitmap().width(),
                form.pix()->Bitmap().height(), form.scrollBox()->viewport()->width(),
                form.scrollBox()->viewport()->height());

    for (int round = 0; round < 3; ++round) {
        std::vector<double> zoom;
        const int paintsBefore = form.pix()->paintCount();
        form.ZoomTo(100);
        form.scrollBox()->viewport()->repaint();
        while (form.zoomPercent() < 800)
            zoom.push_back(Timed(form, [&] { form.btnZoomUpClick(); }));
        Report("zoom 100 -> 800 step", zoom);

        std::vector<double> drag;
        QWidget* pix = form.pix();
        Mouse(pix, QEvent::MouseButtonPress, {400, 400}, Qt::LeftButton, Qt::LeftButton);
        for (int i = 1; i <= 60; ++i) {
            // The pointer moves 24 pixels up-left each step (in the control's coordinates).
            drag.push_back(Timed(form, [&] {
                Mouse(pix, QEvent::MouseMove, {400 - 24, 400 - 16}, Qt::NoButton, Qt::LeftButton);
            }));
        }
        Mouse(pix, QEvent::MouseButtonRelease, {376, 384}, Qt::LeftButton, Qt::NoButton);
        Report("hand drag at 800 % step", drag);
        std::printf("scrolled to %d, %d; %d paints of the picture\n",
                    form.scrollBox()->horizontalScrollBar()->value(),
                    form.scrollBox()->verticalScrollBar()->value(),
                    form.pix()->paintCount() - paintsBefore);
    }
    form.setPictureChanged(false);
    form.close();
    return 0;
}
