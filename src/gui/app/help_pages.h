// The pages of the manual and the help contexts the program opens them at.
#pragma once

#include <QString>
#include <QUrl>
#include <vector>

namespace gui {

struct HelpPage {
    QString file;  // under :/help
    QString title; // as the contents list shows it
};

struct HelpContext {
    int context;
    QString file;
    QString anchor; // empty: the page's top
};

// The manual in reading order; the first page is the contents.
const std::vector<HelpPage>& HelpPages();

// Every context a menu item, a key or a dialog's Help button opens.
const std::vector<HelpContext>& HelpContexts();

// The page (and place on it) of a context; an unknown context gives the
// contents page.
QUrl HelpUrl(int context);

// True when a context has a page of its own.
bool IsHelpContext(int context);

} // namespace gui
