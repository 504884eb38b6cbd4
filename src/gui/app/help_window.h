// The program's help window: bundled HTML pages, one per help context.
#pragma once

#include <QWidget>

class QTextBrowser;

namespace gui {

class HelpWindow : public QWidget {
    Q_OBJECT
  public:
    explicit HelpWindow(QWidget* parent = nullptr);
    // Shows the page of a context (0 contents, 103 options, 110 multiple
    // selection, 130 printing, 300 slideshows, 500 multimedia); an unknown
    // context shows the contents.
    void ShowContext(int context);
    int context() const { return context_; }
    QString pageText() const;

  private:
    QTextBrowser* browser_;
    int context_ = 0;
};

} // namespace gui
