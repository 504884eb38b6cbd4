#include "gui/options/track_bar_ex.h"

#include <QApplication>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionSlider>

namespace gui {

// Draws the bar in the application's style with a thumb of a fixed length.
class TTrackBarEx::Style : public QProxyStyle {
  public:
    Style() : QProxyStyle(QApplication::style()->name()) {}
    int length = 20;
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (metric == PM_SliderControlThickness) return length;
        if (metric == PM_SliderThickness)
            return std::max(length, QProxyStyle::pixelMetric(metric, option, widget));
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

TTrackBarEx::TTrackBarEx(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    style_ = new Style;
    style_->setParent(this);
    setStyle(style_);
}

TTrackBarEx::~TTrackBarEx() {
    setStyle(nullptr);
}

int TTrackBarEx::ThumbLength() const {
    return style()->pixelMetric(QStyle::PM_SliderControlThickness, nullptr, this);
}

void TTrackBarEx::SetThumbLength(int length) {
    style_->length = std::max(1, length);
    updateGeometry();
    update();
}

void TTrackBarEx::SetSliderVisible(bool on) {
    if (sliderVisible_ == on) return;
    sliderVisible_ = on;
    update();
}

QRect TTrackBarEx::ThumbRect() const {
    if (!sliderVisible_) return {};
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    return style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this);
}

void TTrackBarEx::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    opt.subControls = QStyle::SC_SliderGroove | QStyle::SC_SliderTickmarks;
    if (sliderVisible_) opt.subControls |= QStyle::SC_SliderHandle;
    style()->drawComplexControl(QStyle::CC_Slider, &opt, &p, this);
}

} // namespace gui
