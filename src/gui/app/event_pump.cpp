#include "gui/app/event_pump.h"

#include <QCoreApplication>
#include <QElapsedTimer>
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

} // namespace gui
