// The print command and the current printer: the layout dialog, then one
// page with the picture stretched onto the placement chosen. The printer is
// the system's default one when there is one, else a PDF printer writing a
// file beside the picture; it is made at the first print and kept for the run.
#pragma once

#include "core/common/bitmap.h"
#include "gui/print/print_form.h"

#include <QImage>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QPainter;
class QPrinter;

namespace gui {

struct WindowContext;

class PrintCommands {
  public:
    explicit PrintCommands(WindowContext& ctx);
    ~PrintCommands();

    void mnuPrintClick();

    // The dialog for a picture of width × height; nothing when cancelled.
    std::optional<PrintPlacement> ExecutePrintSetup(const QString& fileName, int pictureWidth,
                                                    int pictureHeight);
    // Draws the current picture at (x, y, width, height) of the printable area.
    bool PrintBitmap(QPainter& painter, int x, int y, int width, int height);

    QPrinter& CurrentPrinter();
    bool pdfPrinter() const;
    // The PDF file every print writes from now on, as the user named it
    // (empty: a file named after the picture, in its folder).
    void setOutputFile(const QString& path) { outputFile_ = path; }
    // The file a PDF print of the current picture writes when none was named.
    QString DefaultOutputFile() const;

    // Draws the picture onto the page; tests put a failing one in.
    using DrawFn = std::function<bool(QPainter&, const QImage&, const QRect&)>;
    void setDraw(DrawFn draw) { draw_ = std::move(draw); }

  private:
    enum class JobEnd { Sent, BeginFailed, DrawFailed, EndFailed };
    JobEnd RunJob(const PrintPlacement& at);

    WindowContext& ctx_;
    std::unique_ptr<QPrinter> printer_;
    QString outputFile_;
    DrawFn draw_;
};

// Sets a printer up as the PDF printer that stands in for a missing one:
// 300 dpi, the whole sheet printable (no margins).
void MakePdfPrinter(QPrinter& printer);

// The picture as the printer gets it: its own pixels, colours through its
// palette, top row first.
QImage PrintImage(const core::Bitmap& picture);

} // namespace gui
