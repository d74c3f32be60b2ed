// Text in any script, in plain files, files with a byte-order mark and files in the legacy code page.
#include "fixture.h"

#include <oleacc.h>

namespace {

using Languages = E2eTest;

// Where the code page is UTF-8 every character typed is kept. Elsewhere (the legacy build runs as
// Windows before 10 version 1903, which ignores the manifest's UTF-8) one the code page lacks shows
// at once as the file will hold it. Either way what is shown is stored and comes back.
TEST_F(Languages, WhatATypedNoteShowsItsFileHoldsAndARestartShowsAndItsTitleOwnsItsGroup) {
  ASSERT_NE(GetACP(), static_cast<UINT>(CP_UTF8)) << "the legacy build would run in UTF-8";
  const std::string title = "Заметка é €", typed = "✓ Ωμέγα 中文 📌 é €", mark = "\xEF\xBB\xBF";
  const struct { const char* exe; std::string start; UINT page; } runs[] = {
      {TACKPAD_EXE, "", CP_UTF8}, {TACKPAD_EXE, mark, CP_UTF8}, {TACKPAD_LEGACY_EXE, "", CP_ACP}};
  for (const auto& run : runs) {
    SCOPED_TRACE(std::string(run.exe) + (run.start.empty() ? ", plain file" : ", byte-order mark"));
    exe = run.exe;
    dir = FreshDirectory("e2e.Languages." + std::to_string(&run - runs));
    WriteBytes(InPlace(dir, "Settings.ini"), run.start);
    ASSERT_NO_FATAL_FAILURE(Start(0));
    PostCommand(app.owner, NewNoteItem);
    HWND field = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (field = ChildOf(Dialog("InputRequester"), "Edit")) != nullptr; }));
    TypeText(field, title);
    std::string shown;  // once the last characters typed are there, as typed: both code pages hold them
    ASSERT_TRUE(WaitUntil([&] { return (shown = TextOf(field)).find("é €") != std::string::npos; })) << shown;
    const std::string group = TextOf(field, run.page);
    PressKey(field, VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return Note(3) && File().find("[" + group + "]\r\n") != std::string::npos; }));
    const std::string created = File();
    PostCommand(Note(3), SelectAllItem);
    TypeText(EditArea(3), typed);
    ASSERT_TRUE(WaitUntil([&] { return TextOf(EditArea(3)).find("é €") != std::string::npos; }));
    shown += " / " + TextOf(EditArea(3));
    if (run.page == CP_UTF8) { EXPECT_EQ(shown, title + " / " + typed); }  // every character kept
    EXPECT_EQ(Changed(created), WithKey(created, group, "Text", TextOf(EditArea(3), run.page)));  // at a pause
    ASSERT_NO_FATAL_FAILURE(Exit());
    ASSERT_NO_FATAL_FAILURE(Start(1));
    EXPECT_EQ(TextOf(TitleStrip(1)) + " / " + TextOf(EditArea(1)), shown);
    // Screen readers and Alt+Tab name the note, and its text area, by its title.
    long role = 0;
    EXPECT_EQ(TextOf(Note(1)) + " / " + AccessibleName(Note(1)) + " / " + AccessibleName(EditArea(1), &role),
              TextOf(TitleStrip(1)) + " / " + TextOf(TitleStrip(1)) + " / " + TextOf(TitleStrip(1)));
    EXPECT_EQ(role, ROLE_SYSTEM_TEXT);
    ASSERT_NO_FATAL_FAILURE(Exit());
  }
}

}  // namespace
