#include "gui/app/event_pump.h"

#include "gui/app/web_form.h"
#include "gui/app/window_context.h"
#include "gui/app/window_status.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMetaObject>
#include <QThread>

namespace gui {

bool PumpEventsWhile(const std::function<bool()>& busy, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (busy() && t.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(1);
    }
    QCoreApplication::processEvents();
    return !busy();
}

core::ProgressFn PostedProgress(WindowContext& ctx, const int& generation, int generationAtStart,
                                const std::atomic<bool>& stop) {
    return [&ctx, &generation, generationAtStart, &stop](int percent) {
        QMetaObject::invokeMethod(
            &ctx.window,
            [&ctx, &generation, generationAtStart, percent] {
                if (generation == generationAtStart) ctx.status->ProgressStep(percent);
            },
            Qt::QueuedConnection);
        return !stop.load();
    };
}

} // namespace gui
