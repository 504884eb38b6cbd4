#include "gui/app/help_window.h"

#include "gui/app/help_pages.h"

#include <QFile>
#include <QHBoxLayout>
#include <QHash>
#include <QKeySequence>
#include <QLineEdit>
#include <QListWidget>
#include <QShortcut>
#include <QSplitter>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace gui {

namespace {

// The plain text of a page, for the search; the pages are bundled and never
// change, so each is read once.
const QString& PageText(const QString& file) {
    static QHash<QString, QString> texts;
    auto it = texts.find(file);
    if (it == texts.end()) {
        QString text;
        QFile f(":/help/" + file);
        if (f.open(QIODevice::ReadOnly)) {
            QTextDocument doc;
            doc.setHtml(QString::fromUtf8(f.readAll()));
            text = doc.toPlainText();
        }
        it = texts.insert(file, text);
    }
    return *it;
}

QStringList Words(const QString& text) {
    return text.simplified().split(' ', Qt::SkipEmptyParts);
}

QToolButton* Button(QWidget* parent, const QString& text, const QString& name, const QString& tip) {
    auto* b = new QToolButton(parent);
    b->setText(text);
    b->setObjectName(name);
    b->setToolTip(tip);
    b->setAutoRaise(true);
    return b;
}

} // namespace

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle("Vistrel Help");
    setObjectName("HelpWindow");

    back_ = Button(this, "< &Back", "btnBack", "Back");
    forward_ = Button(this, "&Forward >", "btnForward", "Forward");
    home_ = Button(this, "&Contents", "btnContents", "Contents");
    back_->setShortcut(QKeySequence::Back);
    forward_->setShortcut(QKeySequence::Forward);
    back_->setEnabled(false);
    forward_->setEnabled(false);
    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(4, 4, 4, 0);
    bar->addWidget(back_);
    bar->addWidget(forward_);
    bar->addWidget(home_);
    bar->addStretch();

    search_ = new QLineEdit(this);
    search_->setObjectName("Search");
    search_->setPlaceholderText("Search");
    search_->setClearButtonEnabled(true);
    contents_ = new QListWidget(this);
    contents_->setObjectName("Contents");
    auto* side = new QWidget(this);
    auto* sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(4, 4, 0, 4);
    sideLayout->addWidget(search_);
    sideLayout->addWidget(contents_);

    browser_ = new QTextBrowser(this);
    browser_->setObjectName("Page");
    browser_->setSearchPaths({":/help"});
    browser_->setOpenExternalLinks(true);

    auto* split = new QSplitter(this);
    split->addWidget(side);
    split->addWidget(browser_);
    split->setStretchFactor(1, 1);
    split->setSizes({170, 530});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addLayout(bar);
    layout->addWidget(split);
    resize(720, 520);

    ListPages({});
    connect(back_, &QToolButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward_, &QToolButton::clicked, browser_, &QTextBrowser::forward);
    connect(home_, &QToolButton::clicked, this, [this] { Open(HelpUrl(0)); });
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QToolButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QToolButton::setEnabled);
    // Every page change, by a link, the list, back or forward (sourceChanged
    // comes before the new page is loaded).
    connect(browser_, &QTextBrowser::historyChanged, this, [this] {
        SelectCurrent();
        MarkFirst();
    });
    connect(contents_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        Open(QUrl("qrc:/help/" + item->data(Qt::UserRole).toString()));
    });
    connect(contents_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        Open(QUrl("qrc:/help/" + item->data(Qt::UserRole).toString()));
    });
    connect(search_, &QLineEdit::textChanged, this, [this](const QString& t) { Search(t); });
    connect(search_, &QLineEdit::returnPressed, this, [this] { FindNext(); });
    auto* find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [this] {
        search_->setFocus();
        search_->selectAll();
    });
    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);
}

void HelpWindow::ShowContext(int context) {
    context_ = IsHelpContext(context) ? context : 0;
    Open(HelpUrl(context_));
    show();
    raise();
    activateWindow();
}

void HelpWindow::Open(const QUrl& url) {
    if (browser_->source() == url) {
        // Same page and place: scroll there again (setSource would not).
        if (!url.fragment().isEmpty()) browser_->scrollToAnchor(url.fragment());
        return;
    }
    browser_->setSource(url);
}

QString HelpWindow::pageText() const {
    return browser_->toPlainText();
}

QString HelpWindow::currentPage() const {
    return browser_->source().fileName();
}

void HelpWindow::ListPages(const QStringList& files) {
    contents_->clear();
    for (const HelpPage& p : HelpPages()) {
        if (!files.isEmpty() && !files.contains(p.file)) continue;
        auto* item = new QListWidgetItem(p.title, contents_);
        item->setData(Qt::UserRole, p.file);
    }
    SelectCurrent();
}

void HelpWindow::SelectCurrent() {
    const QString page = currentPage();
    for (int i = 0; i < contents_->count(); ++i) {
        QListWidgetItem* item = contents_->item(i);
        if (item->data(Qt::UserRole).toString() == page) {
            const QSignalBlocker block(contents_);
            contents_->setCurrentItem(item);
            return;
        }
    }
    contents_->clearSelection();
}

QStringList HelpWindow::Search(const QString& text) {
    if (search_->text() != text) {
        const QSignalBlocker block(search_);
        search_->setText(text);
    }
    const QStringList words = Words(text);
    QStringList files, titles;
    for (const HelpPage& p : HelpPages()) {
        const QString& page = PageText(p.file);
        bool all = true;
        for (const QString& w : words)
            all = all && page.contains(w, Qt::CaseInsensitive);
        if (all) {
            files.append(p.file);
            titles.append(p.title);
        }
    }
    if (words.isEmpty()) {
        files.clear();
    } else if (files.isEmpty()) {
        files.append(QString()); // nothing found: an empty list
        titles.clear();
    }
    ListPages(files);
    // A page without the words gives way to the first page that has them.
    if (!words.isEmpty() && !files.isEmpty() && !files.front().isEmpty() &&
        !files.contains(currentPage()))
        Open(QUrl("qrc:/help/" + files.front()));
    MarkFirst();
    return titles;
}

void HelpWindow::MarkFirst() {
    const QStringList words = Words(search_->text());
    if (words.isEmpty()) return;
    QTextCursor top = browser_->textCursor();
    top.movePosition(QTextCursor::Start);
    browser_->setTextCursor(top);
    browser_->find(words.front());
}

bool HelpWindow::FindNext() {
    const QStringList words = Words(search_->text());
    if (words.isEmpty()) return false;
    if (browser_->find(words.front())) return true;
    QTextCursor top = browser_->textCursor();
    top.movePosition(QTextCursor::Start);
    browser_->setTextCursor(top);
    return browser_->find(words.front());
}

} // namespace gui
