#include "gui/view/tpix.h"

#include "core/view/geometry.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <vector>

namespace gui {

namespace {

QRgb ToQRgb(const core::Rgbq& c) { return qRgb(c.red, c.green, c.blue); }

QList<QRgb> ColourTable(const core::Bitmap& bitmap, int entries) {
    QList<QRgb> table(entries, qRgb(0, 0, 0));
    const auto& pal = bitmap.palette();
    for (int i = 0; i < entries && i < static_cast<int>(pal.size()); ++i) table[i] = ToQRgb(pal[i]);
    return table;
}

} // namespace

QImage ToQImage(const core::Bitmap& bitmap) {
    if (bitmap.empty()) return {};
    const int w = bitmap.width(), h = bitmap.height();
    const auto stride = static_cast<qsizetype>(bitmap.stride());
    switch (bitmap.bits()) {
    case 24:
        return QImage(bitmap.data(), w, h, stride, QImage::Format_BGR888)
            .convertToFormat(QImage::Format_RGB32);
    case 8: {
        QImage view(bitmap.data(), w, h, stride, QImage::Format_Indexed8);
        view.setColorTable(ColourTable(bitmap, 256));
        return view.convertToFormat(QImage::Format_RGB32);
    }
    case 1: {
        QImage view(bitmap.data(), w, h, stride, QImage::Format_Mono);
        view.setColorTable(ColourTable(bitmap, 2));
        return view.convertToFormat(QImage::Format_RGB32);
    }
    case 4: {
        const QList<QRgb> table = ColourTable(bitmap, 16);
        QImage out(w, h, QImage::Format_RGB32);
        for (int y = 0; y < h; ++y) {
            const std::uint8_t* in = bitmap.row(y);
            auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
            for (int x = 0; x < w; ++x) line[x] = table[(in[x / 2] >> ((x & 1) ? 0 : 4)) & 15];
        }
        return out;
    }
    default:
        return {};
    }
}

QImage ReduceDarkWins(const QImage& source, QSize size) {
    const int bw = source.width(), bh = source.height();
    const int W = size.width(), H = size.height();
    if (source.isNull() || W <= 0 || H <= 0) return {};
    const QImage src = source.convertToFormat(QImage::Format_RGB32);
    QImage out(W, H, QImage::Format_RGB32);
    // The darkest of each channel over the source rows of one output row, per
    // source column; then over the source columns of each output pixel.
    std::vector<QRgb> rowMin(static_cast<std::size_t>(bw));
    std::vector<int> colStart(static_cast<std::size_t>(W) + 1);
    for (int dx = 0; dx <= W; ++dx) colStart[dx] = static_cast<int>(std::int64_t{dx} * bw / W);
    auto darker = [](QRgb a, QRgb b) {
        return qRgb(std::min(qRed(a), qRed(b)), std::min(qGreen(a), qGreen(b)),
                    std::min(qBlue(a), qBlue(b)));
    };
    for (int dy = 0; dy < H; ++dy) {
        const int y0 = static_cast<int>(std::int64_t{dy} * bh / H);
        const int y1 = std::max(y0 + 1, static_cast<int>(std::int64_t{dy + 1} * bh / H));
        std::fill(rowMin.begin(), rowMin.end(), qRgb(255, 255, 255));
        for (int y = y0; y < y1 && y < bh; ++y) {
            const auto* in = reinterpret_cast<const QRgb*>(src.constScanLine(y));
            for (int x = 0; x < bw; ++x) rowMin[x] = darker(rowMin[x], in[x]);
        }
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(dy));
        for (int dx = 0; dx < W; ++dx) {
            const int x0 = colStart[dx], x1 = std::max(x0 + 1, colStart[dx + 1]);
            QRgb c = qRgb(255, 255, 255);
            for (int x = x0; x < x1 && x < bw; ++x) c = darker(c, rowMin[x]);
            line[dx] = c;
        }
    }
    return out;
}

TPix::TPix(QWidget* parent) : QWidget(parent) {
    resize(105, 105);
    // Nothing painted while locked must leave what is on screen as it is.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TPix::SetBitmap(core::Bitmap bitmap) {
    bitmap_ = std::move(bitmap);
    PictureChanged();
}

void TPix::PictureChanged() {
    source_ = QImage();
    reduced_ = QImage();
}

void TPix::SetSelectionOverlay(const QRect& rect, SelectionLook look) {
    const QRect before = overlayLook_ == SelectionLook::None ? QRect() : overlay_;
    overlay_ = rect.normalized();
    overlayLook_ = rect.isNull() ? SelectionLook::None : look;
    const QRect after = overlayLook_ == SelectionLook::None ? QRect() : overlay_;
    // Only the two rectangles change; the frame lies on their edges.
    update(QRegion(before.adjusted(-1, -1, 1, 1)).united(after.adjusted(-1, -1, 1, 1)));
}

void TPix::mousePressEvent(QMouseEvent* event) { emit mousePressed(event); }

void TPix::mouseMoveEvent(QMouseEvent* event) { emit mouseMoved(event); }

void TPix::mouseReleaseEvent(QMouseEvent* event) { emit mouseReleased(event); }

void TPix::RefreshPicture() {
    paintLocked_ = false;
    repaint();
}

const QImage& TPix::SourceImage() {
    if (source_.isNull() && !bitmap_.empty()) source_ = ToQImage(bitmap_);
    return source_;
}

const QImage& TPix::ReducedImage(QSize size) {
    if (reduced_.size() != size) {
        if (twoColour_ || bitmap_.bits() == 1)
            reduced_ = ReduceDarkWins(SourceImage(), size);
        else
            reduced_ = SourceImage().scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return reduced_;
}

void TPix::paintEvent(QPaintEvent* event) {
    if (paintLocked_) return;
    paintLocked_ = true;
    struct Unlock {
        bool& flag;
        ~Unlock() { flag = false; }
    } unlock{paintLocked_};
    ++paintCount_;

    QPainter painter(this);
    const QColor background = palette().color(backgroundRole());
    const int bw = bitmap_.width(), bh = bitmap_.height();
    // Fast painting behaves as if stretched (it maps the exposed part to the
    // bitmap by the proportion of the sizes); a device-dependent picture is
    // always drawn into its destination rectangle.
    const bool stretch = stretch_ || (fastPaint_ && !bitmap_.deviceDependent());
    const core::ViewRect d = core::DestRect(bw, bh, width(), height(), stretch, center_);
    const QRect dest(d.left, d.top, d.width, d.height);

    QRegion outside = event->region().subtracted(QRegion(dest));
    for (const QRect& r : outside) painter.fillRect(r, background);
    if (bitmap_.empty() || dest.isEmpty() || SourceImage().isNull()) {
        if (bitmap_.empty() || dest.isEmpty()) painter.fillRect(event->rect(), background);
        PaintSelection(painter);
        return;
    }

    if (dest.width() == bw && dest.height() == bh) {
        painter.drawImage(dest.topLeft(), SourceImage());
    } else if (dest.width() < bw || dest.height() < bh) {
        // Reduced: one smooth copy per size, exposed parts painted from it 1:1.
        painter.drawImage(dest.topLeft(), ReducedImage(dest.size()));
    } else {
        // Enlarged: sharp pixels, each exposed strip widened to whole pixels.
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        const double sx = double(dest.width()) / bw, sy = double(dest.height()) / bh;
        for (const QRect& r : event->region()) {
            const QRect local = r.translated(-dest.topLeft()).intersected(QRect(QPoint(), dest.size()));
            if (local.isEmpty()) continue;
            const core::ViewRect s = core::ExposedSourceRect(
                {local.x(), local.y(), local.width(), local.height()}, bw, bh, dest.width(),
                dest.height());
            const QRectF target(dest.x() + s.left * sx, dest.y() + s.top * sy, s.width * sx,
                                s.height * sy);
            painter.drawImage(target, SourceImage(), QRectF(s.left, s.top, s.width, s.height));
        }
    }
    PaintSelection(painter);
}

void TPix::PaintSelection(QPainter& painter) {
    if (overlayLook_ == SelectionLook::None) return;
    // Difference with white inverts, as the frame and area always were drawn.
    painter.setCompositionMode(QPainter::CompositionMode_Difference);
    if (overlayLook_ == SelectionLook::Dragging) painter.fillRect(overlay_, Qt::white);
    QPen pen(Qt::white, 1, Qt::DotLine);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(overlay_.adjusted(0, 0, -1, -1));
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

} // namespace gui
