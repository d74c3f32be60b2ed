// Text in any script: typed, stored, loaded again, in plain files and in files that begin with a
// byte-order mark; and files that an ANSI program wrote in the legacy code page.
#include "fixture.h"

namespace {

using Languages = E2eTest;

TEST_F(Languages, WhatIsTypedInAnyScriptComesBackAfterARestartAndACyrillicTitleOwnsItsGroup) {
  const std::string typed = "✓ é Ωμέγα 中文 📌", mark = "\xEF\xBB\xBF";
  for (const std::string& start : {std::string(), mark}) {
    SCOPED_TRACE(start.empty() ? "plain file" : "byte-order mark");
    dir = FreshDirectory("e2e.Languages." + std::to_string(start.size()));
    WriteBytes(InPlace(dir, "Settings.ini"), start);
    ASSERT_NO_FATAL_FAILURE(Start(0));
    NewNote("Заметка");
    ASSERT_TRUE(WaitUntil([&] { return Note(3) && File().find("[Заметка]\r\n") != std::string::npos; }));
    EXPECT_EQ(TextOf(TitleStrip(3)), "Заметка");
    // Typed on the keyboard, through the X server.
    ASSERT_TRUE(Xdo("click 1 key ctrl+a type --delay 30 '" + typed + "'", EditArea(3)));
    ASSERT_TRUE(WaitUntil([&] { return TextOf(EditArea(3)) == typed; })) << TextOf(EditArea(3));
    const std::string created = File();
    PostCommand(Note(3), SaveNoteItem);
    const std::string saved = Changed(created);
    EXPECT_EQ(saved, WithKey(created, "Заметка", "Text", typed));
    ASSERT_NO_FATAL_FAILURE(Exit());
    ASSERT_NO_FATAL_FAILURE(Start(1));
    EXPECT_EQ(TextOf(TitleStrip(1)), "Заметка");
    EXPECT_EQ(TextOf(EditArea(1)), typed);
    PostCommand(Note(1), DeleteNoteItem);
    EXPECT_EQ(Changed(saved), start.empty() ? "" : mark + "\r\n");
    ASSERT_NO_FATAL_FAILURE(Exit());
  }
}

// Code page 1252, as an ANSI program wrote it on a Western system: "Café 5€".
TEST_F(Languages, AFileInTheLegacyCodePageLoadsWholeAndEveryCommandWritesIntoItsGroup) {
  const std::string legacy = CrLfLines(GroupLines("Caf\xE9", 100, 100, 258, "Caf\xE9 5\x80", 0, 8252912, 0, 1, 0, 0));
  ASSERT_NO_FATAL_FAILURE(Launch(legacy.c_str(), 1));
  EXPECT_EQ(TextOf(TitleStrip(1)), "Café");
  EXPECT_EQ(TextOf(EditArea(1)), "Café 5€");
  PostCommand(Note(1), OnTopItem);
  const std::string onTop = WithKey(legacy, "Caf\xE9", "OnTop", "0");
  EXPECT_EQ(Changed(legacy), onTop);
  PostCommand(Note(1), SaveNoteItem);
  const std::string saved = WithKey(WithKey(onTop, "Caf\xE9", "Title", "Café"), "Caf\xE9", "Text", "Café 5€");
  EXPECT_EQ(Changed(onTop), saved);
  PostCommand(Note(1), DeleteNoteItem);
  EXPECT_EQ(Changed(saved), "");
}

}  // namespace
