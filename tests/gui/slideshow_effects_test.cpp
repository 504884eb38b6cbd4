// The effect selection: the list dialog driven by keys and clicks, and the
// window command that stores what it gives as selFX01.
#include "gui/app/settings_store.h"
#include "gui/options/options_form.h"
#include "gui/slideshow/list_dialog.h"
#include "gui/slideshow/slideshow_commands.h"
#include "gui_support.h"

#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace cs = core::slideshow;

namespace {

QByteArray Stored(std::initializer_list<int> entries) {
    QByteArray b(256, '\0');
    int n = 0;
    for (int e : entries)
        b[n++] = static_cast<char>(e);
    b[255] = static_cast<char>(n);
    return b;
}

void ClickItem(gui::TListDlg& dlg, int row) {
    QListWidget* list = dlg.Choices;
    list->scrollToItem(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(row)).center());
}

// A button's mnemonic presses it the way a click does, after its short animation.
void Mnemonic(gui::TListDlg& dlg, Qt::Key key) {
    QTest::keyClick(&dlg, key, Qt::AltModifier);
    QTest::qWait(250);
}

// Runs the real dialog: clicks the rows, then ends it with `finish`.
gui::ScriptedPrompter::ListFn RealList(std::vector<int> rows,
                                       std::function<void(gui::TListDlg&)> finish) {
    return [rows, finish](const gui::ListAsk& ask, cs::EffectTable& table) {
        gui::TListDlg dlg(nullptr, ask.title, ask.texts, table);
        dlg.show();
        dlg.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&dlg));
        for (int r : rows)
            ClickItem(dlg, r);
        finish(dlg);
        EXPECT_FALSE(dlg.isVisible());
        return dlg.result() == QDialog::Accepted ? gui::kListOk : gui::kListCancelled;
    };
}

class SlideshowEffectsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        guitest::ClearSettings();
        form = guitest::StartWindow();
    }
    gui::ScriptedPrompter& script() { return guitest::Script(*form); }
    void Run() {
        ASSERT_EQ(form->RunCommand("mnuSlideEffects"), gui::TWebForm::CommandResult::Ran);
    }
    std::unique_ptr<gui::TWebForm> form;
};

} // namespace

TEST_F(SlideshowEffectsTest, ClicksTogglePicksAndOkStoresThemInOrder) {
    gui::WriteBinaryValue("selFX01", Stored({5, 40}));
    // Shown marked: 5 and 40. Click 40 off, 173 and 2 on, Ok by its mnemonic.
    script().pushList(RealList({40, 173, 2}, [](gui::TListDlg& d) {
        EXPECT_TRUE(d.Choices->item(5)->isSelected());
        Mnemonic(d, Qt::Key_O);
    }));
    Run();
    EXPECT_EQ(script().lastList().title, "Select from 173 Transitions Effects");
    ASSERT_EQ(script().lastList().texts.size(), 174);
    EXPECT_EQ(script().lastList().texts[168], "Explode, Circle/Ellipse");
    EXPECT_EQ(gui::ReadBinaryValue("selFX01"), Stored({2, 5, 173}));
    EXPECT_EQ(form->slideshow().tableBuilt(), true);
}

TEST_F(SlideshowEffectsTest, ClearLeavesOnlyNoneByMnemonicAndByClick) {
    gui::WriteBinaryValue("selFX01", Stored({1, 7, 100}));
    script().pushList(RealList({9}, [](gui::TListDlg& d) {
        Mnemonic(d, Qt::Key_E);
        EXPECT_EQ(d.Choices->selectedItems().size(), 1);
        QTest::mouseClick(d.btnOK, Qt::LeftButton);
    }));
    Run();
    EXPECT_EQ(gui::ReadBinaryValue("selFX01"), Stored({0}));

    gui::WriteBinaryValue("selFX01", Stored({3}));
    script().pushList(RealList({}, [](gui::TListDlg& d) {
        QTest::mouseClick(d.btnClear, Qt::LeftButton);
        QTest::mouseClick(d.btnOK, Qt::LeftButton);
    }));
    Run();
    EXPECT_EQ(gui::ReadBinaryValue("selFX01"), Stored({0}));
}

TEST_F(SlideshowEffectsTest, CancelByEscMnemonicOrClickStoresNothing) {
    gui::WriteBinaryValue("selFX01", Stored({5}));
    const std::vector<std::function<void(gui::TListDlg&)>> cancels = {
        [](gui::TListDlg& d) { QTest::keyClick(&d, Qt::Key_Escape); },
        [](gui::TListDlg& d) { Mnemonic(d, Qt::Key_C); },
        [](gui::TListDlg& d) { QTest::mouseClick(d.btnCancel, Qt::LeftButton); },
    };
    for (const auto& cancel : cancels) {
        script().pushList(RealList({0, 5, 20}, cancel));
        Run();
        EXPECT_EQ(gui::ReadBinaryValue("selFX01"), Stored({5}));
    }
    // Nothing stored stays nothing stored.
    guitest::ClearSettings();
    script().pushList([](const gui::ListAsk&, cs::EffectTable&) { return gui::kListCancelled; });
    Run();
    EXPECT_TRUE(gui::ReadBinaryValue("selFX01").isEmpty());
}

TEST_F(SlideshowEffectsTest, ScriptedOkAndAStoredValueOfTheWrongLength) {
    // 255 bytes (a hand-edited value) reads as an empty selection.
    QByteArray shortValue = Stored({4, 6}).left(255);
    gui::WriteBinaryValue("selFX01", shortValue);
    int marked = -1;
    script().pushList([&marked](const gui::ListAsk&, cs::EffectTable& table) {
        marked = 0;
        for (const auto& e : table)
            marked += e.Selected;
        table[172].Selected = 1;
        return gui::kListOk;
    });
    Run();
    EXPECT_EQ(marked, 0);
    const QByteArray stored = gui::ReadBinaryValue("selFX01");
    EXPECT_EQ(stored, Stored({172}));
    EXPECT_EQ(stored.size(), 256);

    // Reachable from the Options dialog's Effects button (the Slideshow menu's
    // Options item opens it on that page); the headless default is Ok.
    script().pushOptions([](gui::TOptionsForm& d) {
        EXPECT_EQ(d.page(), core::options::Page::Slideshow);
        d.btnEffects->click();
    });
    ASSERT_EQ(form->RunCommand("mnuOptions2"), gui::TWebForm::CommandResult::Ran);
    EXPECT_EQ(gui::ReadBinaryValue("selFX01"), Stored({172}));
    const auto& asked = script().asked();
    ASSERT_GE(asked.size(), 2u);
    EXPECT_EQ(asked[asked.size() - 2].kind, "list");
    EXPECT_EQ(asked.back().kind, "options");
}
