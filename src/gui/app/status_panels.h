// The status bar's three panels: the status text (with the progress bar
// drawn over it during long work), the magnification, and the picture
// description, whose width follows its text.
#pragma once

#include <QString>
#include <QWidget>

namespace gui {

class StatusPanels : public QWidget {
    Q_OBJECT
  public:
    explicit StatusPanels(QWidget* parent = nullptr);

    void SetText(int panel, const QString& text);
    QString text(int panel) const { return texts_[panel]; }

    // The progress bar over panel 0: begin, then steps in per cent. A step
    // draws only when it is at least 2, a multiple of 5 and not the last one drawn.
    void ProgressBegin();
    void ProgressStep(int percent);
    void ProgressEnd();
    int progressDraws() const { return progressDraws_; }
    int lastProgress() const { return lastProgress_; }

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString texts_[3];
    bool inProgress_ = false;
    int lastProgress_ = 0;
    int progressDraws_ = 0;
};

} // namespace gui
