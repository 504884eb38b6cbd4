// Every button of the program's dialogs whose mnemonic is its own does with
// Alt+letter what a click does; and a number typed just before the mnemonic
// is the one taken, as after a click.
#include "core/editing/effect_modes.h"
#include "gui/app/scripted_prompter.h"
#include "gui/dialogs/value_dialog.h"
#include "gui/editing/effect_dialog.h"
#include "gui/editing/resize_form.h"
#include "gui/options/options_form.h"
#include "gui/print/print_form.h"

#include <QPrinter>

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <functional>
#include <map>
#include <memory>

#include <gtest/gtest.h>

namespace {

using Factory = std::function<std::unique_ptr<QDialog>()>;

QChar MnemonicOf(const QString& text) {
    for (int i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&') continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        return text[i + 1].toLower();
    }
    return {};
}

// The letters of the dialog's visible buttons, group boxes and labels, with how often each is used.
std::map<QChar, int> Letters(QDialog& d) {
    std::map<QChar, int> n;
    for (QAbstractButton* b : d.findChildren<QAbstractButton*>())
        if (b->isVisible() && !MnemonicOf(b->text()).isNull()) ++n[MnemonicOf(b->text())];
    for (QGroupBox* g : d.findChildren<QGroupBox*>())
        if (g->isVisible() && !MnemonicOf(g->title()).isNull()) ++n[MnemonicOf(g->title())];
    for (QLabel* l : d.findChildren<QLabel*>())
        if (l->isVisible() && l->buddy() && !MnemonicOf(l->text()).isNull())
            ++n[MnemonicOf(l->text())];
    return n;
}

void ShowActive(QDialog& d) {
    d.show();
    d.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
}

// For each enabled button with a letter of its own: a fresh dialog, Alt+letter,
// and the button's click must have happened. Returns the letters checked.
QString CheckButtons(const Factory& make) {
    auto probe = make();
    ShowActive(*probe);
    const std::map<QChar, int> letters = Letters(*probe);
    QStringList texts;
    for (QAbstractButton* b : probe->findChildren<QAbstractButton*>())
        if (b->isVisible() && b->isEnabled() && letters.count(MnemonicOf(b->text())) &&
            letters.at(MnemonicOf(b->text())) == 1)
            texts.append(b->text());
    probe.reset();
    QString checked;
    for (const QString& text : texts) {
        auto d = make();
        ShowActive(*d);
        QAbstractButton* button = nullptr;
        for (QAbstractButton* b : d->findChildren<QAbstractButton*>())
            if (b->text() == text) button = b;
        EXPECT_NE(button, nullptr);
        if (!button) continue;
        QSignalSpy clicked(button, &QAbstractButton::clicked);
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : d.get(),
                        Qt::Key(Qt::Key_A + (MnemonicOf(text).unicode() - 'a')), Qt::AltModifier);
        for (int i = 0; i < 25 && clicked.isEmpty(); ++i)
            QTest::qWait(20);
        EXPECT_EQ(clicked.count(), 1)
            << qPrintable(d->windowTitle()) << ": Alt+" << qPrintable(QString(MnemonicOf(text)))
            << " did not press " << qPrintable(text);
        checked += MnemonicOf(text);
    }
    return checked;
}

core::ValueRequest Zoom() {
    return core::ZoomValueRequest(100);
}

gui::EffectRequest Strength() {
    gui::EffectRequest r;
    r.minimum = 0;
    r.maximum = 100;
    r.initial = 20;
    r.pageStep = 10;
    r.mode = core::editing::kModeSoften;
    return r;
}

const core::Bitmap& Picture() {
    static const core::Bitmap p = [] {
        core::Bitmap b = core::Bitmap::Create(32, 24, 24).value();
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 96; ++x)
                b.row(y)[x] = static_cast<std::uint8_t>(x * 2 + y);
        return b;
    }();
    return p;
}

} // namespace

TEST(DialogMnemonics, EveryOwnLetterPressesItsButton) {
    EXPECT_FALSE(CheckButtons([] {
                     return std::make_unique<gui::TXScrlDlg>("Set Magnification (%)", "", "",
                                                             Zoom(), nullptr);
                 }).isEmpty());
    EXPECT_FALSE(CheckButtons([] {
                     return std::make_unique<gui::TFXdlg>("Sharpen", "", "", Strength(), Picture());
                 }).isEmpty());
    // Each page of the options dialog: only the shown page's letters count.
    for (int page = 0; page < core::options::kPageCount; ++page)
        EXPECT_FALSE(CheckButtons([page] {
                         return std::make_unique<gui::TOptionsForm>(
                             nullptr, core::options::Stored{}, core::options::Environment{},
                             core::options::Page(page));
                     }).isEmpty())
            << page;
    static QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    static gui::ScriptedPrompter prompter;
    EXPECT_FALSE(CheckButtons([] {
                     return std::make_unique<gui::TPrintForm>(printer, 300, 200, prompter,
                                                              [](int) {});
                 }).isEmpty());
    for (int bits : {24, 0}) // resize mode, selection mode
        EXPECT_FALSE(CheckButtons([bits] {
                         return std::make_unique<gui::TResizeForm>(
                             core::ResizeRequest{0, 0, 200, 170, bits, 16384, 16384});
                     }).isEmpty());
}

TEST(DialogMnemonics, TypedNumberIsTakenByTheMnemonic) {
    // The value dialog: Alt+O takes the number being typed.
    gui::SetValueDialogRunner([](gui::TXScrlDlg& d) {
        ShowActive(d);
        d.CustomSetting()->setFocus();
        d.CustomSetting()->selectAll();
        QTest::keyClicks(d.CustomSetting(), "300");
        QTest::keyClick(d.CustomSetting(), Qt::Key_O, Qt::AltModifier);
        for (int i = 0; i < 25 && d.isVisible(); ++i)
            QTest::qWait(20);
    });
    EXPECT_EQ(gui::ShowValueDialog(nullptr, "Set Magnification (%)", "", "", Zoom()), 300);
    gui::SetValueDialogRunner({});

    // The effect dialog: Alt+T tests and Alt+A applies the strength being typed.
    gui::TFXdlg d("Sharpen", "", "", Strength(), Picture());
    ShowActive(d);
    auto* edit = d.findChild<QLineEdit*>();
    ASSERT_NE(edit, nullptr);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, "55");
    QTest::keyClick(edit, Qt::Key_T, Qt::AltModifier);
    QTest::qWait(250);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::AltModifier);
    for (int i = 0; i < 25 && d.isVisible(); ++i)
        QTest::qWait(20);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.result(), 55);
}
