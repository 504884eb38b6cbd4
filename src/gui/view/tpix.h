// The display control: owns the current picture and paints it into its own
// rectangle, stretched, centred or at natural size. The window magnifies by
// sizing the control and scrolls by moving it.
#pragma once

#include "core/common/bitmap.h"

#include <QImage>
#include <QRect>
#include <QWidget>

class QPainter;

namespace gui {

class TPix : public QWidget {
    Q_OBJECT
  public:
    explicit TPix(QWidget* parent = nullptr);

    // The picture itself; callers change it in place and then call
    // PictureChanged() so that the cached copies are made again.
    core::Bitmap& Bitmap() { return bitmap_; }
    const core::Bitmap& Bitmap() const { return bitmap_; }
    void SetBitmap(core::Bitmap bitmap);
    void PictureChanged();

    bool Stretch() const { return stretch_; }
    void SetStretch(bool on) { stretch_ = on; }
    bool Center() const { return center_; }
    void SetCenter(bool on) { center_ = on; }
    // A two-colour picture (1 bit a pixel as opened, whatever it is held as
    // now) is reduced with the darker colour winning.
    void SetTwoColour(bool on) {
        twoColour_ = on;
        reduced_ = QImage();
    }
    bool FastPaint() const { return fastPaint_; }
    void SetFastPaint(bool on) { fastPaint_ = on; }

    // While locked the control does not paint at all (what is on screen
    // stays); clearing the lock does not repaint by itself.
    void SetPaintLock(bool on) { paintLocked_ = on; }
    bool PaintLocked() const { return paintLocked_; }
    // Clears the lock and repaints at once.
    void RefreshPicture();

    // Paints since creation (tests watch the lock with it).
    int paintCount() const { return paintCount_; }

    // The selection drawn over the picture, in the control's coordinates:
    // its area inverted while it is dragged, a focus frame once released.
    // It is an overlay, so repaints keep it until it is cleared.
    enum class SelectionLook { None, Dragging, Framed };
    void SetSelectionOverlay(const QRect& rect, SelectionLook look);
    QRect selectionOverlay() const { return overlay_; }
    SelectionLook selectionLook() const { return overlayLook_; }

  signals:
    // The window's handlers for the mouse on the picture.
    void mousePressed(QMouseEvent* event);
    void mouseMoved(QMouseEvent* event);
    void mouseReleased(QMouseEvent* event);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    const QImage& SourceImage();
    void PaintSelection(QPainter& painter);
    const QImage& ReducedImage(QSize size);

    core::Bitmap bitmap_;
    bool stretch_ = false;
    bool center_ = false;
    bool fastPaint_ = false;
    bool twoColour_ = false;
    bool paintLocked_ = false;
    int paintCount_ = 0;
    QRect overlay_;
    SelectionLook overlayLook_ = SelectionLook::None;
    // The picture converted once for painting, and the smooth reduced copy of
    // the last reduced size (made again only when the size changes).
    QImage source_;
    QImage reduced_;
};

// The picture as a QImage in 32-bit RGB (1-bit and indexed pictures through
// their palettes). Empty for an empty picture.
QImage ToQImage(const core::Bitmap& bitmap);

// A reduced copy in which the darker colour wins, so that thin black lines of
// a two-colour picture (a fax page) stay visible.
QImage ReduceDarkWins(const QImage& source, QSize size);

} // namespace gui
