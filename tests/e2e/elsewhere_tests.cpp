#include "fixture.h"

namespace {

class Elsewhere : public E2eTest {
 protected:
  // As a sync tool lands a file: written beside it, then renamed over it.
  void Land(const std::string& file) {
    const std::string part = InPlace(dir, "incoming.part");
    WriteBytes(part, file);
    // Tried again while the program reads the file, as sync tools do.
    ASSERT_TRUE(WaitUntil([&] { return MoveFileExA(part.c_str(), InPlace(dir, "Settings.ini").c_str(), MOVEFILE_REPLACE_EXISTING) != 0; }));
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
  // The window shows before its text is loaded into it.
  ASSERT_TRUE(WaitUntil([&] { return Note(5) && TextOf(EditArea(5)) == "there"; }));
  EXPECT_EQ(TextOf(EditArea(1)) + " / " + TextOf(Note(5)), "here one / Alpha (2)");
  const std::string stored = Changed(elsewhere);
  EXPECT_EQ(stored, WithKey(elsewhere, "Alpha", "Text", "here one") +
                        CrLfLines(GroupLines("Alpha (2)", 100, 100, 200, "there", 0, 8252912, 0, 0, 0, 0)));
}

TEST_F(Elsewhere, ADamagedFileAStormOfChangesAndADeletedFileLoseNoNoteAndRebuildNone) {
  Launch((Group("Alpha", 100, "one") + Group("Beta", 300, "two")).c_str(), 3);
  HWND alpha = Note(1), beta = Note(3);
  const auto holdsBoth = [&] {
    const std::string file = File();
    return file.find("[Alpha]") != std::string::npos && file.find("[Beta]") != std::string::npos;
  };
  // A file with no group is taken for damage: the notes are stored in it again, none closes.
  Land("\x01\x02 half a line, no group");
  EXPECT_TRUE(WaitUntil(holdsBoth));
  EXPECT_TRUE(IsWindow(alpha) && IsWindow(beta));

  // A change every 100 ms is taken in once it stops, into the same window.
  std::string last;
  for (int i = 0; i < 20; ++i) {
    last = Group("Alpha", 100, ("storm " + std::to_string(i)).c_str()) + Group("Beta", 300, "two");
    Land(last);
    Sleep(100);
  }
  EXPECT_TRUE(WaitUntil([&] { return TextOf(EditArea(1)) == "storm 19"; }));
  EXPECT_EQ(Note(1), alpha);
  EXPECT_EQ(Note(5), nullptr);  // nothing built
  ASSERT_TRUE(Ping(app));
  EXPECT_EQ(File(), last);  // nothing written in a loop

  // Deleted outright: the notes stay, and the next change writes them again.
  ASSERT_TRUE(DeleteFileA(InPlace(dir, "Settings.ini").c_str()));
  TypeText(EditArea(3), "!");
  EXPECT_TRUE(WaitUntil(holdsBoth));
  EXPECT_TRUE(IsWindow(alpha) && IsWindow(beta));
}

// Windows refuses to rename the folder a program works in; another computer (a share's server)
// or the host does not. The notes stay; what was typed is stored once the folder is back.
TEST_F(Elsewhere, AFolderRenamedOrRemovedLosesNothingAndIsWatchedAgainOnceBack) {
  const std::string one = Group("Alpha", 100, "one");
  Launch(one.c_str(), 1);
  const std::string folder = "'" + dir.unix + "'", away = "'" + dir.unix + "-away'";
  const auto typedWhileGone = [&](const std::string& gone, const std::string& back, const std::string& before) {
    ASSERT_TRUE(RunOnHost(gone));
    TypeText(EditArea(1), "!");
    HWND told = BalloonSaying("its folder is gone");
    ASSERT_NE(told, nullptr);
    ShowWindow(told, SW_HIDE);  // the next one stands anew
    ASSERT_TRUE(RunOnHost(back));
    PostCommand(Note(1), SaveNoteItem);
    EXPECT_EQ(Changed(before), WithKey(one, "Alpha", "Text", TextOf(EditArea(1))));
  };
  typedWhileGone("mv " + folder + " " + away, "mv " + away + " " + folder, one);
  typedWhileGone("rm -r " + folder, "mkdir " + folder, NoFile);
  EXPECT_EQ(TextOf(EditArea(1)), "!!one");
  // The store made the watch on the folder again: a change is seen at once, not by the look every 30 s.
  Land(Group("Alpha", 100, "changed elsewhere"));
  EXPECT_TRUE(WaitUntil([&] { return TextOf(EditArea(1)) == "changed elsewhere"; }));
}

}  // namespace
