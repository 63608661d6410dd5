#include "machine/msg_show.h"

#include <gtest/gtest.h>

#include "machine/texts.h"
#include "support/test_machine.h"

namespace rl00 {
namespace {

using test::runUntilEnd;
using test::TestMachine;

TEST(MsgShow, KindsOneToThreeShowAndReturnThePressedButton) {
    TestMachine t;
    std::string text = "テスト";
    Int16 kind = msg::kMessage;
    EXPECT_EQ(MSG_SHOW(t.m, "", text, kind), mb::kResultOk);
    ASSERT_EQ(t.display.messages().size(), 1u);
    EXPECT_EQ(t.display.messages()[0].title, " メッセージ");
    EXPECT_EQ(t.display.messages()[0].style, 64);
    EXPECT_EQ(t.display.messages()[0].text, "テスト");

    kind = msg::kChoice;
    t.display.queueAnswer(mb::kResultNo);
    EXPECT_EQ(MSG_SHOW(t.m, "", text, kind), mb::kResultNo);
    EXPECT_EQ(t.display.messages()[1].title, " 選択");
    EXPECT_EQ(t.display.messages()[1].style, 4 + 32);
    t.display.queueAnswer(mb::kResultYes);
    EXPECT_EQ(MSG_SHOW(t.m, "", text, kind), mb::kResultYes);

    kind = msg::kWarning;
    EXPECT_EQ(MSG_SHOW(t.m, "題", text, kind), mb::kResultOk);
    EXPECT_EQ(t.display.messages()[3].title, "題 警告");
    EXPECT_EQ(t.display.messages()[3].style, 48);
    EXPECT_EQ(text, "テスト");
}

TEST(MsgShow, KindFourAddsThePendingErrorAndEndsTheProgram) {
    TestMachine t;
    t.m.err.set(RuntimeError(err::kOverflow));
    std::string text = text::kSystemError;
    Int16 kind = msg::kError;
    EXPECT_EQ(runUntilEnd([&] { MSG_SHOW(t.m, "", text, kind); }), 1);
    ASSERT_EQ(t.display.messages().size(), 1u);
    EXPECT_EQ(t.display.messages()[0].text,
              "システムエラーが発生しました\r6 :オーバーフローしました。");
    EXPECT_EQ(t.display.messages()[0].title, " エラー");
    EXPECT_EQ(t.display.messages()[0].style, 16);

    TestMachine none;
    EXPECT_EQ(runUntilEnd([&] { showSystemError(none.m); }), 1);
    EXPECT_EQ(none.display.messages()[0].text, "システムエラーが発生しました\r0 :");
}

TEST(MsgShow, KindsOutsideOneToFourAreReplacedSetToZeroAndEnd) {
    for (Int16 bad : {Int16{0}, Int16{5}, Int16{-1}, Int16{32767}}) {
        TestMachine t;
        std::string text = "何か";
        Int16 kind = bad;
        EXPECT_EQ(runUntilEnd([&] { MSG_SHOW(t.m, "", text, kind); }), 1) << bad;
        EXPECT_EQ(kind, 0);
        EXPECT_EQ(text, "メッセージの取得に失敗しました。");
        EXPECT_EQ(t.display.messages()[0].title, " システムエラー");
        EXPECT_EQ(t.display.messages()[0].style, 16);
    }
}

}  // namespace
}  // namespace rl00
