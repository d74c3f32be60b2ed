// Notes come back from prepared files as stored; loading never rewrites the file.
#include "fixture.h"

namespace {

using Loading = TackpadTest;

// A: shown, not on top, two lines of text; B: hidden; C: translucent, rolled up, on top.
std::string ThreeNotes() {
  std::vector<std::string> lines = GroupLines("A", 40, 50, 258, "one\\ntwo", 255, 65280, 0, 0, 0, 0);
  for (const auto& group : {GroupLines("B", 300, 60, 128, "hidden", 0, 8252912, 1, 1, 0, 0),
                            GroupLines("C", 600, 400, 388, "tall", 0, 16777215, 0, 1, 1, 1)}) {
    lines.insert(lines.end(), group.begin(), group.end());
  }
  return CrLfLines(lines);
}

TEST_F(Loading, ThreeGroupsBecomeNotesOneThreeFiveWithTheirStoredStates) {
  ASSERT_NO_FATAL_FAILURE(LaunchAndWaitFor(ThreeNotes(), 5));
  HWND a = Note(1), b = Note(3), c = Note(5);
  ASSERT_TRUE(a && b && c);
  for (int absent : {2, 4, 6, 7}) EXPECT_EQ(Note(absent), nullptr) << absent;

  RECT place = OuterRect(a);
  EXPECT_EQ(place.left, 40);
  EXPECT_EQ(place.top, 50);
  EXPECT_EQ(InnerSize(a).cx, 258);
  EXPECT_EQ(InnerSize(a).cy, 258);
  EXPECT_TRUE(IsWindowVisible(a));
  EXPECT_FALSE(IsTopmost(a));
  EXPECT_EQ(AlphaOf(a), 255);
  EXPECT_EQ(TextOf(TitleStrip(1)), "A");
  EXPECT_EQ(TextOf(EditArea(1)), "one\r\ntwo");

  EXPECT_FALSE(IsWindowVisible(b));
  EXPECT_EQ(InnerSize(b).cx, 128);
  EXPECT_EQ(TextOf(EditArea(3)), "hidden");

  EXPECT_TRUE(IsWindowVisible(c));
  EXPECT_TRUE(IsTopmost(c));
  EXPECT_EQ(AlphaOf(c), 144);
  EXPECT_EQ(InnerSize(c).cx, 388);
  EXPECT_EQ(InnerSize(c).cy, 24);

  ASSERT_NO_FATAL_FAILURE(Exit());
  EXPECT_EQ(File(), ThreeNotes());
}

TEST_F(Loading, StoredStatesAreTheCheckMarksTheCommandsToggle) {
  ASSERT_NO_FATAL_FAILURE(LaunchAndWaitFor(ThreeNotes(), 5));
  std::string expected = WithKey(ThreeNotes(), "C", "Rollup", "0");
  EXPECT_EQ(Command(5, RollUp), expected);
  EXPECT_EQ(InnerSize(Note(5)).cy, 388);
  expected = WithKey(expected, "C", "Alpha", "0");
  EXPECT_EQ(Command(5, Transparent), expected);
  EXPECT_EQ(AlphaOf(Note(5)), 255);
  expected = WithKey(expected, "C", "OnTop", "0");
  EXPECT_EQ(Command(5, OnTop), expected);
  expected = WithKey(expected, "A", "OnTop", "1");
  EXPECT_EQ(Command(1, OnTop), expected);
  EXPECT_TRUE(IsTopmost(Note(1)));
  // Three notes leave the counter at 7: the next note is 9.
  NewNoteTitled("D");
  EXPECT_NE(Note(9), nullptr);
  EXPECT_EQ(Note(7), nullptr);
}

TEST_F(Loading, AHandEditedFileLoadsAndStaysByteForByte) {
  const std::string handEdited = "  ; list\n[Shopping]   \nxpos=100\n   YPos   =  50   \n\n[Work]\nText=a\\nb\n";
  ASSERT_NO_FATAL_FAILURE(Launch(handEdited));
  ASSERT_TRUE(WaitUntil([&] { return Note(3) && IsWindowVisible(Note(3)); }));
  ASSERT_TRUE(Ping(app));
  // Neither group has a "Title": the title strips show the group names.
  EXPECT_EQ(TextOf(TitleStrip(1)), "Shopping");
  EXPECT_EQ(TextOf(TitleStrip(3)), "Work");
  EXPECT_EQ(TextOf(EditArea(3)), "a\r\nb");
  EXPECT_EQ(OuterRect(Note(1)).left, 100);
  EXPECT_EQ(OuterRect(Note(1)).top, 50);
  ASSERT_NO_FATAL_FAILURE(Exit());
  EXPECT_EQ(File(), handEdited);
}

TEST_F(Loading, TheTitleStripShowsTheGroupNameUnlessTheTitleMatchesItButForCase) {
  const std::string file = CrLfLines({"[Alpha]", "Title = Beta", "Size = 128", "[Gamma]", "Title = GAMMA",
                                      "Size = 128", "[Delta]", "Size = 128"});
  ASSERT_NO_FATAL_FAILURE(LaunchAndWaitFor(file, 5));
  EXPECT_EQ(TextOf(TitleStrip(1)), "Alpha");
  EXPECT_EQ(TextOf(TitleStrip(3)), "GAMMA");
  EXPECT_EQ(TextOf(TitleStrip(5)), "Delta");
  // Commands find each note's own group; none makes a new one.
  std::string after = Command(1, Small);
  EXPECT_EQ(ValueIn(after, "Alpha", "XPos"), "0");
  after = Command(3, Small);
  EXPECT_EQ(ValueIn(after, "Gamma", "XPos"), "0");
  EXPECT_EQ(SplitCrLf(after).size(), 8u + 4);
  after = Command(1, SaveNote);
  EXPECT_EQ(ValueIn(after, "Alpha", "Title"), "Alpha");
}

TEST_F(Loading, OddFilesLoadWithoutBeingRewritten) {
  const std::string odd =
      "top = level\r\n; a comment\r\n[Twice]\r\nSize=128\r\n[twice]\r\nSize = 388\r\n[]\r\nlonely\r\n"
      "[Spaced] name ]\rXPos=7\r#key = v\r\n\r\n\r\n[Last]\r\nText = tab\there\r\nSize = 128\r\nOnTop=x\r\n";
  const std::string utf8 = "\xEF\xBB\xBF[Caf\xC3\xA9]\r\nSize = 128\r\nText = \xC3\xA9t\xC3\xA9\r\n";
  struct Case {
    std::string file;
    int lastNote;
  };
  for (const Case& c : {Case{odd, 7}, Case{utf8, 1}}) {
    ASSERT_NO_FATAL_FAILURE(LaunchAndWaitFor(c.file, c.lastNote));
    ASSERT_NO_FATAL_FAILURE(Exit());
    EXPECT_EQ(File(), c.file);
  }
  ASSERT_NO_FATAL_FAILURE(LaunchAndWaitFor(utf8, 1));
  EXPECT_EQ(TextOf(TitleStrip(1)), "Caf\xE9");
  EXPECT_EQ(TextOf(EditArea(1)), "\xE9t\xE9");
}

}  // namespace
