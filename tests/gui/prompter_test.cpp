// The scripted prompter: answers from its queues, the box's default button
// when they are empty, and a record of everything asked.
#include "gui/app/scripted_prompter.h"

#include <gtest/gtest.h>

namespace {

using namespace gui;

MessageBox Box(BoxType type, Buttons buttons, Button def, const char* text = "t") {
    return {type, "Vistrel", text, buttons, def};
}

} // namespace

TEST(ScriptedPrompter, RepliesMapOntoTheButtonsTheBoxHas) {
    ScriptedPrompter p;
    const MessageBox okCancel = Box(BoxType::Question, kBtnOk | kBtnCancel, kBtnOk);
    const MessageBox yesNo = Box(BoxType::Question, kBtnYes | kBtnNo, kBtnYes);
    const MessageBox three = Box(BoxType::Information, kBtnYes | kBtnNo | kBtnIgnore, kBtnYes);
    for (Reply r : {Reply::Yes, Reply::No, Reply::Cancel, Reply::Ok, Reply::Ignore, Reply::Ignore})
        p.pushReply(r);
    EXPECT_EQ(p.Message(okCancel), kBtnOk);     // yes ~ OK
    EXPECT_EQ(p.Message(okCancel), kBtnCancel); // no ~ Cancel
    EXPECT_EQ(p.Message(yesNo), kBtnNo);        // cancel ~ No
    EXPECT_EQ(p.Message(yesNo), kBtnYes);       // ok ~ Yes
    EXPECT_EQ(p.Message(three), kBtnIgnore);
    EXPECT_EQ(p.Message(yesNo), kBtnYes); // no Ignore button: the default
    // Empty queue: the default button of each box.
    EXPECT_EQ(p.Message(Box(BoxType::Question, kBtnYes | kBtnNo, kBtnNo)), kBtnNo);
    EXPECT_EQ(p.Message(Box(BoxType::Warning, kBtnOk, kBtnOk, "only")), kBtnOk);

    EXPECT_EQ(p.questionCount(), 7);
    EXPECT_EQ(p.messages(), QStringList{"only"});
    EXPECT_EQ(p.boxTexts().size(), 8);
    const ScriptedPrompter::Asked& last = p.asked().back();
    EXPECT_EQ(last.kind, "message");
    EXPECT_EQ(last.type, BoxType::Warning);
    EXPECT_EQ(last.answer, "OK");
    EXPECT_EQ(BoxTypeName(BoxType::Critical), "critical");
    EXPECT_EQ(ButtonNames(kBtnYes | kBtnNo | kBtnIgnore), "Yes|No|Ignore");
    EXPECT_EQ(ParseReply("CANCEL"), Reply::Cancel);
    EXPECT_FALSE(ParseReply("maybe").has_value());
}

TEST(ScriptedPrompter, DialogsTakeWhatTheyOfferAndChoosersCancel) {
    ScriptedPrompter p;
    core::ValueRequest r;
    r.initial = 9000;
    EXPECT_EQ(p.Value({"Rotate", "", "", r}), 9000);
    p.pushValue(core::kValueCancelled);
    EXPECT_EQ(p.Value({"Rotate", "", "", r}), core::kValueCancelled);
    EXPECT_EQ(p.asked().back().answer, "Cancel");

    EffectChannels channels{1, 2, 3};
    EXPECT_EQ(
        p.Effect({"Gamma", "", "", EffectRequest{1, 500, 100, 10, 1, 101}, nullptr, {}}, &channels),
        100);
    EXPECT_EQ(channels.red, 1); // no Test ran
    p.pushEffect(7, {4, 5, 6});
    EXPECT_EQ(p.Effect({"Soften", "", "", EffectRequest{}, nullptr, {}}, &channels), 7);
    EXPECT_EQ(channels.blue, 6);
    EXPECT_EQ(p.lastEffect().caption, "Soften");

    const ResizeResult same = p.Resize({2, 3, 40, 30, 0, 100, 80});
    EXPECT_EQ(same.x, 2);
    EXPECT_EQ(same.width, 40);
    EXPECT_EQ(p.asked().back().kind, "selection");

    EXPECT_TRUE(p.OpenFiles("/tmp", "*", "Open", "").isEmpty());
    EXPECT_EQ(p.asked().back().folder, "/tmp");
    EXPECT_TRUE(p.Folder("/a", "c.jpg", "COPY file to").isEmpty());
    p.pushPath("/b");
    EXPECT_EQ(p.Folder("/a", "c.jpg", "MOVE file to"), "/b");
    p.setFreeSpace(100);
    EXPECT_EQ(p.FreeDiskSpace("/x/y"), 100);
    EXPECT_EQ(p.questionCount(), 0); // dialogs are not message boxes
}
