// The program's help window: the bundled manual with a contents list,
// back and forward, and a search through all its pages.
#pragma once

#include <QStringList>
#include <QWidget>

class QLineEdit;
class QListWidget;
class QTextBrowser;
class QToolButton;
class QUrl;

namespace gui {

class HelpWindow : public QWidget {
    Q_OBJECT
  public:
    explicit HelpWindow(QWidget* parent = nullptr);
    // Shows the page of a help context (0 the contents); an unknown context
    // shows the contents.
    void ShowContext(int context);
    int context() const { return context_; }
    QString pageText() const;
    // The page shown, as its file name ("editing.html").
    QString currentPage() const;

    // Lists the pages that hold every word of the text (all pages when it is
    // empty), opens the first of them unless the page shown is one, and
    // marks the first place on it. Returns the titles of the pages listed.
    QStringList Search(const QString& text);
    // The next place of the search text on the page shown, from the top
    // again after the last; false when the page does not hold it.
    bool FindNext();

    QTextBrowser* browser() const { return browser_; }
    QListWidget* contents() const { return contents_; }
    QLineEdit* searchBox() const { return search_; }
    QToolButton* backButton() const { return back_; }
    QToolButton* forwardButton() const { return forward_; }

  private:
    void Open(const QUrl& url);
    void ListPages(const QStringList& files);
    void SelectCurrent();
    void MarkFirst();

    QTextBrowser* browser_;
    QListWidget* contents_;
    QLineEdit* search_;
    QToolButton* back_;
    QToolButton* forward_;
    QToolButton* home_;
    int context_ = 0;
};

} // namespace gui
