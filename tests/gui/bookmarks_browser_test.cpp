// The folder browser: preset selection, the status line and the result.
#include "gui/dialogs/folder_browser.h"
#include "gui_support.h"

#include <QDialog>
#include <QDir>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

TEST(FolderBrowser, PresetSelectionStatusLineAndResult) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath("alpha/beta/gamma/delta"));
    const QString deep = dir.filePath("alpha/beta/gamma/delta");

    gui::TSHBrowseDlg browser;
    browser.SetSelection(deep);
    EXPECT_EQ(browser.Selection(), deep + "/"); // an existing folder gets its separator
    browser.SetSelection(dir.filePath("nothing-here"));
    EXPECT_EQ(browser.Selection(), dir.filePath("nothing-here"));
    browser.SetSelection(deep);
    browser.SetCaption("c.jpg");
    browser.SetPrompt("MOVE file to");

    QString created, changed, shownNarrow;
    bool okEnabled = false;
    browser.OnSelChanged = [&](gui::TSHBrowseDlg*, const QString& path) { changed = path; };
    browser.OnCreate = [&](gui::TSHBrowseDlg* b) {
        created = b->Caption();
        okEnabled = b->EnableOK();
        // Narrow enough that only the last folder and the leading "/.../" fit.
        const QLabel* status = b->Dialog()->findChild<QLabel*>("status");
        const QFontMetrics m(status->font());
        b->SetStatusWidth(m.horizontalAdvance("/.../delta") + 2);
        shownNarrow = b->ShownStatus();
        QTimer::singleShot(0, b->Dialog(), &QDialog::accept);
    };
    ASSERT_TRUE(browser.Execute());
    EXPECT_EQ(created, "c.jpg");
    EXPECT_TRUE(okEnabled);
    EXPECT_EQ(changed, deep);
    EXPECT_EQ(shownNarrow, "/.../delta");
    EXPECT_EQ(browser.Selection(), deep);
    EXPECT_EQ(browser.Dialog(), nullptr);

    // Cancel empties the selection.
    browser.OnCreate = [](gui::TSHBrowseDlg* b) {
        QTimer::singleShot(0, b->Dialog(), &QDialog::reject);
    };
    EXPECT_FALSE(browser.Execute());
    EXPECT_TRUE(browser.Selection().isEmpty());
}
