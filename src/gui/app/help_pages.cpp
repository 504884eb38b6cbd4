#include "gui/app/help_pages.h"

namespace gui {

const std::vector<HelpPage>& HelpPages() {
    static const std::vector<HelpPage> pages = {
        {"index.html", "Contents"},           {"opening.html", "Opening pictures"},
        {"bookmarks.html", "Bookmarks"},      {"viewing.html", "Viewing"},
        {"keys.html", "Keys and mouse"},      {"editing.html", "Editing"},
        {"colors.html", "Colour depth"},      {"saving.html", "Saving"},
        {"slideshows.html", "Slideshows"},    {"media.html", "Media clips"},
        {"printing.html", "Printing"},        {"options.html", "Options"},
        {"photocd.html", "Photo CD"},         {"scanning.html", "Scanning"},
        {"commandline.html", "Command line"},
    };
    return pages;
}

const std::vector<HelpContext>& HelpContexts() {
    static const std::vector<HelpContext> contexts = {
        {0, "index.html", ""},
        {103, "options.html", "viewer"},
        {110, "bookmarks.html", "multiple"},
        {115, "saving.html", "wizard"},
        {130, "printing.html", ""},
        {300, "slideshows.html", ""},
        {400, "editing.html", "effect-dialog"},
        {500, "media.html", ""},
    };
    return contexts;
}

bool IsHelpContext(int context) {
    for (const HelpContext& c : HelpContexts())
        if (c.context == context) return true;
    return false;
}

QUrl HelpUrl(int context) {
    const HelpContext* found = &HelpContexts().front();
    for (const HelpContext& c : HelpContexts())
        if (c.context == context) found = &c;
    QUrl url("qrc:/help/" + found->file);
    if (!found->anchor.isEmpty()) url.setFragment(found->anchor);
    return url;
}

} // namespace gui
