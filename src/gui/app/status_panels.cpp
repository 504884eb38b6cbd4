#include "gui/app/status_panels.h"

#include <QPainter>

namespace gui {

namespace {
constexpr int kPanel0Width = 110;
constexpr int kPanel1Width = 44;
constexpr int kGap = 2;
} // namespace

StatusPanels::StatusPanels(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize StatusPanels::sizeHint() const { return {kPanel0Width + kPanel1Width + 160, fontMetrics().height() + 8}; }

void StatusPanels::SetText(int panel, const QString& text) {
    if (panel < 0 || panel > 2 || texts_[panel] == text) return;
    texts_[panel] = text;
    update();
}

void StatusPanels::ProgressBegin() {
    inProgress_ = true;
    lastProgress_ = 0;
    update();
}

void StatusPanels::ProgressStep(int percent) {
    if (percent < 2 || percent % 5 != 0 || percent == lastProgress_) return;
    lastProgress_ = percent;
    inProgress_ = true;
    ++progressDraws_;
    repaint(0, 0, kPanel0Width, height());
}

void StatusPanels::ProgressEnd() {
    inProgress_ = false;
    lastProgress_ = 0;
    update();
}

void StatusPanels::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPalette& pal = palette();
    p.fillRect(rect(), pal.color(QPalette::Window));
    const int h = height();
    const QRect r0(0, 0, kPanel0Width, h);
    const QRect r1(r0.right() + 1 + kGap, 0, kPanel1Width, h);
    const int w2 = fontMetrics().horizontalAdvance(texts_[2]) + 12;
    const QRect r2(r1.right() + 1 + kGap, 0, w2, h);

    // Panel 0: button face with the text at (3, 4), or the progress bar.
    p.fillRect(r0, pal.color(QPalette::Button));
    if (inProgress_) {
        p.fillRect(r0, pal.color(QPalette::Mid));
        p.fillRect(QRect(0, 0, r0.width() * lastProgress_ / 100, h), pal.color(QPalette::Highlight));
    } else {
        p.setPen(pal.color(QPalette::ButtonText));
        p.drawText(r0.adjusted(3, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, texts_[0]);
    }
    p.setPen(pal.color(QPalette::WindowText));
    for (const QRect& r : {r1, r2}) {
        p.setPen(pal.color(QPalette::Mid));
        p.drawRect(r.adjusted(0, 0, -1, -1));
    }
    p.setPen(pal.color(QPalette::WindowText));
    p.drawText(r1, Qt::AlignCenter, texts_[1]);
    p.drawText(r2, Qt::AlignCenter, texts_[2]);
}

} // namespace gui
