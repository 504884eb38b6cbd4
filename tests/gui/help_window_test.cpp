// The manual: every page is listed and linked, every link and picture
// resolves, every help context the program opens has its page and place,
// and the help window's contents, back/forward and search work; the
// windows carry the desktop entry's name and icon.
#include "gui/app/help_pages.h"
#include "gui/app/help_window.h"
#include "gui/app/menu_table.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QSet>
#include <QTextBrowser>
#include <QToolButton>

#include <gtest/gtest.h>
#include <map>

using gui::HelpWindow;

namespace {

QString Page(const QString& file) {
    QFile f(":/help/" + file);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

QStringList Matches(const QString& html, const QString& pattern) {
    QStringList out;
    auto it = QRegularExpression(pattern).globalMatch(html);
    while (it.hasNext())
        out.append(it.next().captured(1));
    return out;
}

QSet<QString> Anchors(const QString& html) {
    const QStringList names = Matches(html, R"re(<a\s+name="([^"]+)")re");
    return QSet<QString>(names.begin(), names.end());
}

QStringList ListedTitles(const HelpWindow& w) {
    QStringList titles;
    for (int i = 0; i < w.contents()->count(); ++i)
        titles.append(w.contents()->item(i)->text());
    return titles;
}

} // namespace

TEST(HelpManual, EveryPageIsListedAndLinkedFromTheContents) {
    const QStringList files = QDir(":/help").entryList({"*.html"}, QDir::Files);
    QStringList listed;
    for (const gui::HelpPage& p : gui::HelpPages()) {
        listed.append(p.file);
        EXPECT_FALSE(Page(p.file).isEmpty()) << p.file.toStdString() << " is not bundled";
    }
    EXPECT_EQ(gui::HelpPages().front().file, "index.html");
    for (const QString& f : files)
        EXPECT_TRUE(listed.contains(f)) << f.toStdString() << " is not in the contents list";
    const QString index = Page("index.html");
    for (const QString& f : listed) {
        if (f == "index.html") continue;
        EXPECT_TRUE(index.contains("href=\"" + f + "\""))
            << "the contents page does not link " << f.toStdString();
    }
}

TEST(HelpManual, EveryLinkAndPictureResolves) {
    for (const gui::HelpPage& p : gui::HelpPages()) {
        const QString html = Page(p.file);
        const std::string where = p.file.toStdString();
        EXPECT_TRUE(html.contains("<title>")) << where << " has no title";
        for (const QString& href : Matches(html, R"re(href="([^"]*)")re")) {
            if (href.startsWith("http:") || href.startsWith("https:")) continue;
            const QString file = href.section('#', 0, 0);
            const QString anchor = href.section('#', 1);
            const QString target = file.isEmpty() ? p.file : file;
            ASSERT_TRUE(QFile::exists(":/help/" + target))
                << where << " links the missing page " << href.toStdString();
            EXPECT_TRUE(anchor.isEmpty() || Anchors(Page(target)).contains(anchor))
                << where << " links " << href.toStdString() << ", which has no such anchor";
        }
        for (const QString& src : Matches(html, R"re(src="([^"]*)")re")) {
            const QString path = ":/help/" + src;
            const QImage image(path);
            EXPECT_FALSE(image.isNull())
                << where << " shows the missing picture " << src.toStdString();
            // Screenshots stay small: the manual is part of the program.
            EXPECT_LT(QFile(path).size(), 80 * 1024) << src.toStdString() << " is too large";
        }
    }
}

TEST(HelpManual, EveryContextOpensItsPageAtItsPlace) {
    // The contexts the menus (0, 300), F1 (0), the slideshow's question (110),
    // the effect dialog (400), the compression wizard (115), the effect list
    // (300), printing (130) and the option pages (103, 300, 500) open.
    const std::map<int, QString> expected = {{0, "index.html"},       {103, "options.html"},
                                             {110, "bookmarks.html"}, {115, "saving.html"},
                                             {130, "printing.html"},  {300, "slideshows.html"},
                                             {400, "editing.html"},   {500, "media.html"}};
    HelpWindow w;
    for (const auto& [context, file] : expected) {
        ASSERT_TRUE(gui::IsHelpContext(context)) << context;
        const QUrl url = gui::HelpUrl(context);
        EXPECT_EQ(url.fileName(), file) << context;
        EXPECT_TRUE(!url.hasFragment() || Anchors(Page(file)).contains(url.fragment()))
            << context << " opens " << url.toString().toStdString() << ", a missing anchor";
        w.ShowContext(context);
        EXPECT_EQ(w.context(), context);
        EXPECT_EQ(w.currentPage(), file) << context;
    }
    for (const gui::HelpContext& c : gui::HelpContexts())
        EXPECT_TRUE(expected.count(c.context)) << "context " << c.context << " is not checked here";
    w.ShowContext(12345);
    EXPECT_EQ(w.context(), 0);
    EXPECT_EQ(w.currentPage(), "index.html");
}

TEST(HelpWindowTest, ContentsBackAndForward) {
    HelpWindow w;
    w.ShowContext(0);
    EXPECT_EQ(w.contents()->count(), static_cast<int>(gui::HelpPages().size()));
    ASSERT_NE(w.contents()->currentItem(), nullptr);
    EXPECT_EQ(w.contents()->currentItem()->text(), "Contents");
    EXPECT_FALSE(w.backButton()->isEnabled());

    // A link followed, then a page picked from the list.
    w.browser()->setSource(QUrl("qrc:/help/editing.html"));
    EXPECT_EQ(w.contents()->currentItem()->text(), "Editing");
    QListWidgetItem* keys = w.contents()->findItems("Keys and mouse", Qt::MatchExactly).value(0);
    ASSERT_NE(keys, nullptr);
    emit w.contents()->itemClicked(keys);
    EXPECT_EQ(w.currentPage(), "keys.html");
    EXPECT_TRUE(w.pageText().contains("Ctrl+W"));

    ASSERT_TRUE(w.backButton()->isEnabled());
    w.backButton()->click();
    EXPECT_EQ(w.currentPage(), "editing.html");
    w.backButton()->click();
    EXPECT_EQ(w.currentPage(), "index.html");
    EXPECT_FALSE(w.backButton()->isEnabled());
    ASSERT_TRUE(w.forwardButton()->isEnabled());
    w.forwardButton()->click();
    EXPECT_EQ(w.currentPage(), "editing.html");
    EXPECT_EQ(w.contents()->currentItem()->text(), "Editing");
}

TEST(HelpWindowTest, SearchListsThePagesHoldingEveryWord) {
    HelpWindow w;
    w.ShowContext(0);
    const QStringList despeckle = w.Search("despeckle");
    EXPECT_TRUE(despeckle.contains("Editing"));
    EXPECT_FALSE(despeckle.contains("Printing"));
    EXPECT_EQ(ListedTitles(w), despeckle);
    // The contents page lacks the word: the first page that has it opens,
    // with the word marked.
    EXPECT_EQ(w.currentPage(), "editing.html");
    EXPECT_EQ(w.browser()->textCursor().selectedText().toLower(), "despeckle");

    // All words must be on the page, in any case.
    const QStringList both = w.Search("DESPECKLE  median");
    EXPECT_TRUE(both.contains("Editing"));
    EXPECT_LE(both.size(), despeckle.size());

    EXPECT_TRUE(w.Search("qqqzzz-nowhere").isEmpty());
    EXPECT_EQ(w.contents()->count(), 0);

    w.Search("");
    EXPECT_EQ(w.contents()->count(), static_cast<int>(gui::HelpPages().size()));
}

TEST(HelpWindowTest, FindNextMarksEachPlaceAndWraps) {
    HelpWindow w;
    w.ShowContext(400);
    w.Search("Apply");
    ASSERT_TRUE(w.browser()->textCursor().hasSelection());
    EXPECT_EQ(w.browser()->textCursor().selectedText().toLower(), "apply");
    const int first = w.browser()->textCursor().position();
    int steps = 0;
    bool wrapped = false;
    while (steps++ < 50) {
        ASSERT_TRUE(w.FindNext());
        if (w.browser()->textCursor().position() == first) {
            wrapped = true;
            break;
        }
    }
    EXPECT_TRUE(wrapped) << "the search does not come back to the first place";
    EXPECT_GT(steps, 1);

    w.Search("qqqzzz-nowhere");
    EXPECT_FALSE(w.FindNext());
}

TEST(DesktopIntegration, WindowsBelongToTheInstalledDesktopEntry) {
    // Desktops match windows to their entry by this name: it must be the
    // entry that is installed.
    const QString name = QGuiApplication::desktopFileName();
    EXPECT_TRUE(QFile::exists(QString(VISTREL_SAMPLE_DIR) + "/desktop/" + name + ".desktop"))
        << name.toStdString();
    const QIcon icon = QApplication::windowIcon();
    ASSERT_FALSE(icon.isNull());
    const QImage small = icon.pixmap(16, 16).toImage();
    EXPECT_EQ(small.size(), QSize(16, 16));
    // Drawn, not blank: the frame's outline shows at the left edge.
    EXPECT_GT(qAlpha(small.pixel(1, 8)), 0);
}

TEST(HelpManual, KeysPageListsEveryMenuShortcut) {
    // The page spells keys as a keyboard's caps read them.
    const std::map<QString, QString> spelled = {{"PgDown", "PgDn"}, {"Return", "Enter"}};
    const QString keys = Page("keys.html");
    for (const gui::MenuEntry& e : gui::MenuEntries()) {
        QString key = QString::fromLatin1(e.shortcut);
        if (key.isEmpty()) continue;
        for (const auto& [qt, cap] : spelled)
            key.replace(qt, cap);
        EXPECT_TRUE(keys.contains(key))
            << "keys.html does not list " << key.toStdString() << " (" << e.name << ")";
    }
}
