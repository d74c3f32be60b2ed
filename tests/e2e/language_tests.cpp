// Text in any script, in plain files, files with a byte-order mark and files in the legacy code page.
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
    PostCommand(Note(3), SelectAllItem);
    TypeText(EditArea(3), typed);
    ASSERT_TRUE(WaitUntil([&] { return TextOf(EditArea(3)) == typed; })) << TextOf(EditArea(3));
    const std::string created = File(), saved = WithKey(created, "Заметка", "Text", typed);
    PostCommand(Note(3), SaveNoteItem);
    EXPECT_EQ(Changed(created), saved);
    ASSERT_NO_FATAL_FAILURE(Exit());
    ASSERT_NO_FATAL_FAILURE(Start(1));
    EXPECT_EQ(TextOf(TitleStrip(1)) + " / " + TextOf(EditArea(1)), "Заметка / " + typed);
    PostCommand(Note(1), DeleteNoteItem);
    EXPECT_EQ(Changed(saved), start.empty() ? "" : mark + "\r\n");
    ASSERT_NO_FATAL_FAILURE(Exit());
  }
}

// Code page 1252, as an ANSI program wrote it on a Western system: "Café 5€".
TEST_F(Languages, AFileInTheLegacyCodePageLoadsWholeAndItsCommandsWriteIntoItsGroup) {
  const std::string legacy = CrLfLines(GroupLines("Caf\xE9", 100, 100, 258, "Caf\xE9 5\x80", 0, 8252912, 0, 1, 0, 0));
  ASSERT_NO_FATAL_FAILURE(Launch(legacy.c_str(), 1));
  EXPECT_EQ(TextOf(TitleStrip(1)) + " / " + TextOf(EditArea(1)), "Café / Café 5€");
  PostCommand(Note(1), SaveNoteItem);
  const std::string saved = WithKey(WithKey(legacy, "Caf\xE9", "Title", "Café"), "Caf\xE9", "Text", "Café 5€");
  EXPECT_EQ(Changed(legacy), saved);
  PostCommand(Note(1), DeleteNoteItem);
  EXPECT_EQ(Changed(saved), "");
}

}  // namespace
