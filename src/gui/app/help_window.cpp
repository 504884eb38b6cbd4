#include "gui/app/help_window.h"

#include <QFile>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace gui {

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle("Vistrel Help");
    browser_ = new QTextBrowser(this);
    browser_->setSearchPaths({":/help"});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    resize(520, 420);
}

void HelpWindow::ShowContext(int context) {
    QString page = QString(":/help/context_%1.html").arg(context);
    if (!QFile::exists(page)) {
        context = 0;
        page = ":/help/context_0.html";
    }
    context_ = context;
    browser_->setSource(QUrl("qrc" + page));
    show();
    raise();
    activateWindow();
}

QString HelpWindow::pageText() const { return browser_->toPlainText(); }

} // namespace gui
