// A track bar with two more properties: the thumb's length across the bar
// (a fixed-length thumb) and whether the thumb is shown at all.
#pragma once

#include <QSlider>

namespace gui {

class TTrackBarEx : public QSlider {
    Q_OBJECT
    Q_PROPERTY(int ThumbLength READ ThumbLength WRITE SetThumbLength)
    Q_PROPERTY(bool SliderVisible READ SliderVisible WRITE SetSliderVisible)
  public:
    explicit TTrackBarEx(QWidget* parent = nullptr);
    ~TTrackBarEx() override;

    // The thumb's extent across the bar in pixels (default 20), read back
    // from the style that draws it.
    int ThumbLength() const;
    void SetThumbLength(int length);
    // Without the thumb the bar shows only its channel and ticks.
    bool SliderVisible() const { return sliderVisible_; }
    void SetSliderVisible(bool on);

    // The thumb's rectangle as drawn; empty when the thumb is hidden.
    QRect ThumbRect() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    class Style;
    Style* style_ = nullptr;
    bool sliderVisible_ = true;
};

} // namespace gui
