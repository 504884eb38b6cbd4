// The TWAIN sub-menu's commands through SANE: Select chooses the device for
// the rest of the run and acquires; Acquire scans one picture with the
// device's current options on a worker thread, with progress, Esc stopping
// it, and makes it the picture "Untitled".
#pragma once

#include "core/scan/scanner.h"

#include <QString>

#include <atomic>
#include <thread>

class QObject;

namespace gui {

struct WindowContext;

class ScanCommands {
  public:
    explicit ScanCommands(WindowContext& ctx) : ctx_(ctx) {}
    ~ScanCommands();

    void mnuTWAIN_Select1Click();
    void mnuTWAIN_Acquire1Click();

    // The device Acquire uses (the window's --scan-device, or Select's choice).
    void setDevice(const QString& name) { device_ = name; }
    QString device() const { return device_; }
    bool busy() const { return scanning_; }
    void Cancel(); // Esc during a scan
    bool WaitIdle(int timeoutMs = 30000);

  private:
    void FinishScan(core::scan::ScanResult result);
    void ShowScanError();

    WindowContext& ctx_;
    QString device_;
    std::thread worker_;
    std::atomic<bool> stop_{false};
    bool scanning_ = false;
    int generation_ = 0;
    QObject* escFilter_ = nullptr;
};

} // namespace gui
