#include "gui/print/print_commands.h"

#include "gui/app/prompter.h"
#include "gui/app/window_context.h"
#include "gui/app/web_form.h"
#include "gui/app/window_status.h"
#include "gui/view/tpix.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPaintEngine>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryFile>

#include <filesystem>
#include <system_error>

namespace gui {

namespace {

constexpr int kPdfResolution = 300;
const char* const kJobTitle = "Vistrel Graphic";

bool DrawImage(QPainter& painter, const QImage& image, const QRect& target) {
    // Stretched as it is, pixel for pixel, and kept lossless in a PDF.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setRenderHint(QPainter::LosslessImageRendering, true);
    // A hair inside the rectangle, so that a renderer's rounding of the
    // edges (device pixels are not whole points) does not touch the
    // neighbouring pixels.
    constexpr qreal hair = 1.0 / 32;
    painter.drawImage(QRectF(target).adjusted(hair, hair, -hair, -hair), image);
    return painter.isActive();
}

} // namespace

void MakePdfPrinter(QPrinter& printer) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setResolution(kPdfResolution);
    printer.setFullPage(true);
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    printer.setDocName(kJobTitle);
}

QImage PrintImage(const core::Bitmap& picture) {
    return ToQImage(picture);
}

PrintCommands::PrintCommands(WindowContext& ctx) : ctx_(ctx), draw_(DrawImage) {}

PrintCommands::~PrintCommands() = default;

QPrinter& PrintCommands::CurrentPrinter() {
    if (!printer_) {
        const QPrinterInfo system = QPrinterInfo::defaultPrinter();
        if (!system.isNull()) {
            printer_ = std::make_unique<QPrinter>(system, QPrinter::HighResolution);
        } else {
            printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
            MakePdfPrinter(*printer_);
        }
    }
    return *printer_;
}

bool PrintCommands::pdfPrinter() const {
    return printer_ && printer_->outputFormat() == QPrinter::PdfFormat;
}

QString PrintCommands::DefaultOutputFile() const {
    const QFileInfo picture(QString::fromStdString(ctx_.doc.CurrentFile));
    if (picture.isAbsolute() && picture.absoluteDir().exists())
        return picture.absoluteDir().filePath(picture.completeBaseName() + ".pdf");
    const QString folder = ctx_.saveDir.isEmpty() ? QDir::homePath() : ctx_.saveDir;
    return QDir(folder).filePath(
        (picture.completeBaseName().isEmpty() ? QString("Untitled") : picture.completeBaseName()) +
        ".pdf");
}

std::optional<PrintPlacement> PrintCommands::ExecutePrintSetup(const QString& fileName,
                                                               int pictureWidth,
                                                               int pictureHeight) {
    TPrintForm form(CurrentPrinter(), pictureWidth, pictureHeight, ctx_.prompter,
                    [this](int context) { ctx_.OpenHelp(context); }, &ctx_.window);
    form.setWindowTitle("Print Setup: " + fileName);
    if (!ctx_.prompter.RunPrintSetup(form)) return std::nullopt;
    return form.placement();
}

bool PrintCommands::PrintBitmap(QPainter& painter, int x, int y, int width, int height) {
    const core::Bitmap& picture = ctx_.dur95->Bitmap();
    // Only the side that has no size of its own takes the picture's; the
    // other keeps the placement.
    if (width < 1) width = picture.width();
    if (height < 1) height = picture.height();
    const QImage image = PrintImage(picture);
    if (image.isNull()) return false;
    return draw_(painter, image, QRect(x, y, width, height));
}

PrintCommands::JobEnd PrintCommands::RunJob(const PrintPlacement& at) {
    QPrinter& printer = *printer_;
    printer.setDocName(kJobTitle);
    if (!pdfPrinter()) {
        QPainter painter;
        if (!painter.begin(&printer)) return JobEnd::BeginFailed;
        if (!PrintBitmap(painter, at.x, at.y, at.width, at.height)) {
            printer.abort();
            painter.end();
            return JobEnd::DrawFailed;
        }
        return painter.end() && printer.printerState() != QPrinter::Error ? JobEnd::Sent
                                                                          : JobEnd::EndFailed;
    }
    // A PDF is written beside the target and takes its place only once it is
    // complete: an aborted job leaves no file, and an old file stays as it was.
    const QString target = printer.outputFileName();
    const QFileInfo info(target);
    QTemporaryFile part(info.absoluteDir().filePath(".vistrel-print-XXXXXX.pdf"));
    // Only a file is ever replaced, never a folder or a device.
    if (target.isEmpty() || (info.exists() && !info.isFile()) || !part.open())
        return JobEnd::BeginFailed;
    part.close();
    printer.setOutputFileName(part.fileName());
    JobEnd end = JobEnd::Sent;
    {
        QPainter painter;
        if (!painter.begin(&printer)) {
            end = JobEnd::BeginFailed;
        } else if (!PrintBitmap(painter, at.x, at.y, at.width, at.height)) {
            printer.abort();
            painter.end();
            end = JobEnd::DrawFailed;
        } else if (!painter.end() || printer.printerState() == QPrinter::Error) {
            end = JobEnd::EndFailed;
        }
    }
    printer.setOutputFileName(target);
    if (end != JobEnd::Sent) return end;
    if (QFileInfo(part.fileName()).size() <= 0) return JobEnd::EndFailed;
    const QFile::Permissions keep =
        info.exists() ? QFile::permissions(target)
                      : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
    std::error_code ec;
    std::filesystem::rename(part.fileName().toStdString(), target.toStdString(), ec);
    if (ec) return JobEnd::EndFailed;
    part.setAutoRemove(false);
    QFile::setPermissions(target, keep);
    return QFileInfo::exists(target) ? JobEnd::Sent : JobEnd::EndFailed;
}

void PrintCommands::mnuPrintClick() {
    if (!ctx_.picturePresent) return;
    QPrinter& printer = CurrentPrinter();
    if (!printer.isValid()) {
        ctx_.prompter.Message(
            {BoxType::Critical, "Vistrel", "No printer detected.", kBtnOk, kBtnOk});
        return;
    }
    // Every printer here draws pictures through Qt; a driver whose engine
    // cannot stretch one is asked about first.
    const QPaintEngine* engine = printer.paintEngine();
    if (!engine || !engine->hasFeature(QPaintEngine::PixmapTransform)) {
        if (ctx_.prompter.Message({BoxType::Warning, "Vistrel",
                                   "Unrecognized printer driver.\nTry anyway?",
                                   kBtnOk | kBtnCancel, kBtnOk}) != kBtnOk)
            return;
    }
    // The picture is printed from a copy made for the printer: the document,
    // its bitmap and its depth stay as they are.
    const bool pdf = pdfPrinter();
    const bool named = !outputFile_.isEmpty();
    const QString defaultFile = DefaultOutputFile();
    if (pdf) printer.setOutputFileName(named ? outputFile_ : defaultFile);
    const QString fileName = QFileInfo(QString::fromStdString(ctx_.doc.CurrentFile)).fileName();
    const auto at = ExecutePrintSetup(fileName, ctx_.doc.PictureWidth, ctx_.doc.PictureHeight);
    if (!at) return;
    // The file named after the picture replaces another only when the user says so.
    if (pdf && printer.outputFormat() == QPrinter::PdfFormat && !named &&
        printer.outputFileName() == defaultFile && QFileInfo::exists(defaultFile)) {
        const QString text = QDir::toNativeSeparators(defaultFile) +
                             " already exists.\nDo you want to replace it?";
        if (ctx_.prompter.Message({BoxType::Question, "Confirm", text, kBtnYes | kBtnNo,
                                   kBtnNo}) != kBtnYes)
            return;
    }
    ctx_.status->ShowBusy("Sending to printer...");
    const JobEnd end = RunJob(*at);
    if (end == JobEnd::BeginFailed || end == JobEnd::EndFailed) {
        ctx_.status->StatusReady(); // normal cursor
        ctx_.prompter.Message({BoxType::Critical, "Vistrel", "Check printer.", kBtnOk, kBtnOk});
        ctx_.status->StatusReady();
        return;
    }
    QCoreApplication::processEvents();
    ctx_.status->StatusReady();
    if (end == JobEnd::Sent)
        ctx_.prompter.Message(
            {BoxType::Information, "Vistrel", "Image sent to printer.", kBtnOk, kBtnOk});
    else
        ctx_.prompter.Message({BoxType::Critical, "Vistrel",
                               "Printer did not respond.\ntry different print setting.", kBtnOk,
                               kBtnOk});
    ctx_.status->StatusReady();
}

} // namespace gui
