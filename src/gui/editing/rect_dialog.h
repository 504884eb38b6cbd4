// A plain form for a rectangle by numbers (left, top, width, height), used by
// Mask until the resize and selection dialog replaces it.
#pragma once

#include <QRect>
#include <QSize>

class QWidget;

namespace gui {

// Returns the chosen rectangle inside `picture`, or one of width −1 for Cancel.
QRect ShowRectDialog(QWidget* parent, const QRect& initial, QSize picture);

} // namespace gui
