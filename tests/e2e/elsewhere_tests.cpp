#include "fixture.h"

namespace {

class Elsewhere : public E2eTest {
 protected:
  // As a sync tool lands a file: written beside it, then renamed over it.
  void Land(const std::string& file) {
    const std::string part = InPlace(dir, "incoming.part");
    WriteBytes(part, file);
    ASSERT_TRUE(MoveFileExA(part.c_str(), InPlace(dir, "Settings.ini").c_str(), MOVEFILE_REPLACE_EXISTING));
  }
  std::string Bin() const {
    std::string bin;
    return ReadBytes(InPlace(dir, "Deleted notes.ini"), bin) ? bin : NoFile;
  }
};

std::string Group(const char* name, int x, const char* text) {
  return CrLfLines(GroupLines(name, x, 100, 200, text, 0, 8252912, 0, 0, 0, 0));
}

TEST_F(Elsewhere, AChangedTextANewNoteAndARemovedOneReachTheWindowsAndTheNextStoreWritesOntoTheFileAsItIs) {
  Launch((Group("Alpha", 100, "one") + Group("Beta", 300, "two")).c_str(), 3);
  HWND alpha = Note(1), beta = Note(3);
  const std::string elsewhere = Group("Alpha", 150, "one, changed elsewhere") + Group("Gamma", 500, "three");
  Land(elsewhere);
  EXPECT_TRUE(WaitUntil([&] { return TextOf(EditArea(1)) == "one, changed elsewhere"; }));
  EXPECT_EQ(Note(1), alpha);  // taken in, not built again
  EXPECT_EQ(Outer(alpha).left, 150);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(beta); }));
  ASSERT_TRUE(Note(7));
  EXPECT_EQ(TextOf(EditArea(7)), "three");
  const std::string bin = Bin();
  EXPECT_NE(bin.find("(removed elsewhere)\r\n[Beta]\r\n"), std::string::npos) << bin;
  EXPECT_NE(bin.find("Text = two"), std::string::npos);
  ASSERT_TRUE(Ping(app));
  EXPECT_EQ(File(), elsewhere);  // taking it in wrote nothing

  TypeText(EditArea(7), "!");
  const std::string stored = Changed(elsewhere);
  EXPECT_EQ(stored, WithKey(elsewhere, "Gamma", "Text", TextOf(EditArea(7))));
  // The program's own write is never taken for another's: nothing is built or closed for it.
  Barrier();
  EXPECT_TRUE(WaitUntil([&] { return ProcessWindows(app.process.dwProcessId, nullptr).size() > 0; }));
  EXPECT_EQ(Note(1), alpha);
  EXPECT_EQ(File(), stored);
}

TEST_F(Elsewhere, TypingHereWhileTheTextChangesElsewhereKeepsBothTexts) {
  const std::string file = Group("Alpha", 100, "one");
  Launch(file.c_str(), 1);
  TypeText(EditArea(1), "here ");
  ASSERT_TRUE(WaitUntil([&] { return TextOf(EditArea(1)) == "here one"; }));
  const std::string elsewhere = Group("Alpha", 100, "there");
  Land(elsewhere);
  ASSERT_TRUE(WaitUntil([&] { return Note(5) != nullptr; }));
  EXPECT_EQ(TextOf(EditArea(5)), "there");
  EXPECT_EQ(TextOf(EditArea(1)), "here one");
  const std::string stored = Changed(elsewhere);
  EXPECT_EQ(stored, WithKey(elsewhere, "Alpha", "Text", "here one") +
                        CrLfLines(GroupLines("Alpha (2)", 100, 100, 200, "there", 0, 8252912, 0, 0, 0, 0)));
}

}  // namespace
