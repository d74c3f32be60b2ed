// Every command of a note's menu: what the window shows and exactly what the file gets.
#include "fixture.h"

namespace {

// Note 1 "Work" at (100, 120), 258 square, on top; note 3 "Other" at (500, 300), 128 square.
std::string TwoNotes() {
  std::vector<std::string> lines = GroupLines("Work", 100, 120, 258, "first\\nsecond", 0, 8252912, 0, 1, 0, 0);
  std::vector<std::string> other = GroupLines("Other", 500, 300, 128, "x", 255, 16777215, 0, 0, 0, 0);
  lines.insert(lines.end(), other.begin(), other.end());
  return CrLfLines(lines);
}

class NoteCommands : public TackpadTest {
 protected:
  void SetUp() override { ASSERT_NO_FATAL_FAILURE(LaunchAndWaitFor(TwoNotes(), 3)); }

  void AnswerColour(int red, int green, int blue) {
    HWND dialog = WaitForDialog();
    ASSERT_NE(dialog, nullptr) << "no colour dialog";
    ASSERT_TRUE(AnswerColourDialog(dialog, red, green, blue));
  }

  std::string AnswerFont(const wchar_t* style, const wchar_t* size, bool underline) {
    HWND dialog = WaitForDialog();
    EXPECT_NE(dialog, nullptr) << "no font dialog";
    std::string face = AnswerFontDialog(dialog, style, size, underline);
    EXPECT_FALSE(face.empty());
    return face;
  }

  void CancelDialog() {
    HWND dialog = WaitForDialog();
    ASSERT_NE(dialog, nullptr);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
  }

  COLORREF PixelAt(int x, int y) {
    HDC screen = GetDC(nullptr);
    COLORREF colour = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return colour;
  }
};

TEST_F(NoteCommands, HideNoteHidesEachNoteAndStoresItsPlaceAndHidden) {
  std::string expected = WithKey(TwoNotes(), "Work", "Hidden", "1");
  EXPECT_EQ(Command(1, HideNote), expected);
  EXPECT_FALSE(IsWindowVisible(Note(1)));
  EXPECT_TRUE(IsWindowVisible(Note(3)));
  expected = WithKey(expected, "Other", "Hidden", "1");
  EXPECT_EQ(Command(3, HideNote), expected);
  EXPECT_FALSE(IsWindowVisible(Note(3)));
}

TEST_F(NoteCommands, RollUpTogglesBetweenTheTitleStripAndASquareOfTheWidth) {
  std::string expected = WithKey(TwoNotes(), "Work", "Rollup", "1");
  EXPECT_EQ(Command(1, RollUp), expected);
  EXPECT_EQ(InnerSize(Note(1)).cx, 258);
  EXPECT_EQ(InnerSize(Note(1)).cy, 24);
  expected = WithKey(expected, "Other", "Rollup", "1");
  EXPECT_EQ(Command(3, RollUp), expected);
  EXPECT_EQ(InnerSize(Note(3)).cy, 24);
  expected = WithKey(expected, "Work", "Rollup", "0");
  EXPECT_EQ(Command(1, RollUp), expected);
  EXPECT_EQ(InnerSize(Note(1)).cy, 258);
  EXPECT_EQ(InnerSize(Note(3)).cy, 24);
  RECT place = OuterRect(Note(1));
  EXPECT_EQ(place.left, 100);
  EXPECT_EQ(place.top, 120);
}

TEST_F(NoteCommands, SizesResizeWindowTitleStripAndEditAreaAndStoreTheFixedSize) {
  struct Case {
    int item, size, editHeight;
  };
  std::string expected = TwoNotes();
  for (Case c : {Case{Small, 128, 103}, Case{Large, 388, 363}, Case{Normal, 258, 233}}) {
    expected = WithKey(expected, "Work", "Size", std::to_string(c.size));
    EXPECT_EQ(Command(1, c.item), expected);
    HWND note = Note(1);
    EXPECT_TRUE(IsWindowVisible(note));
    EXPECT_EQ(InnerSize(note).cx, c.size);
    EXPECT_EQ(InnerSize(note).cy, c.size);
    RECT edit = OuterRect(EditArea(1)), strip = OuterRect(TitleStrip(1)), outer = OuterRect(note);
    EXPECT_EQ(edit.top - outer.top, 25);
    EXPECT_EQ(edit.bottom - edit.top, c.editHeight);
    EXPECT_EQ(edit.right - edit.left, c.size);
    EXPECT_EQ(strip.top - outer.top, 4);
    EXPECT_EQ(strip.bottom - strip.top, 16);
    EXPECT_EQ(strip.right - strip.left, c.size);
  }
}

TEST_F(NoteCommands, TransparentTwiceLeavesTheNoteOpaqueAndAlphaZero) {
  std::string expected = WithKey(TwoNotes(), "Work", "Alpha", "1");
  EXPECT_EQ(Command(1, Transparent), expected);
  EXPECT_EQ(AlphaOf(Note(1)), 144);
  EXPECT_EQ(Command(1, Transparent), WithKey(expected, "Work", "Alpha", "0"));
  EXPECT_EQ(AlphaOf(Note(1)), 255);
}

TEST_F(NoteCommands, OnTopStartsFromTheLoadedStateOfEachNote) {
  ASSERT_TRUE(IsTopmost(Note(1)));
  ASSERT_FALSE(IsTopmost(Note(3)));
  std::string expected = WithKey(TwoNotes(), "Work", "OnTop", "0");
  EXPECT_EQ(Command(1, OnTop), expected);
  EXPECT_FALSE(IsTopmost(Note(1)));
  EXPECT_EQ(Command(3, OnTop), WithKey(expected, "Other", "OnTop", "1"));
  EXPECT_TRUE(IsTopmost(Note(3)));
}

TEST_F(NoteCommands, SaveNoteStoresTypedLinesJoinedByBackslashN) {
  HWND edit = EditArea(1);
  EXPECT_EQ(TextOf(edit), "first\r\nsecond");
  PostMenuItem(Note(1), SelectAll);
  TypeText(edit, "ab");
  PressKey(edit, VK_RETURN);
  TypeText(edit, "cd");
  ASSERT_TRUE(WaitUntil([&] { return TextOf(edit) == "ab\r\ncd"; })) << TextOf(edit);
  EXPECT_EQ(Command(1, SaveNote), WithKey(TwoNotes(), "Work", "Text", "ab\\ncd"));
  // A tab is stored as a blank; a trailing line break survives.
  PostMenuItem(Note(1), SelectAll);
  TypeText(edit, "a\tb");
  PressKey(edit, VK_RETURN);
  ASSERT_TRUE(WaitUntil([&] { return TextOf(edit) == "a\tb\r\n"; })) << TextOf(edit);
  EXPECT_EQ(Command(1, SaveNote), WithKey(TwoNotes(), "Work", "Text", "a b\\n"));
}

TEST_F(NoteCommands, EditingCommandsWorkOnTheEditAreaAndWriteNothing) {
  HWND edit = EditArea(1);
  ASSERT_NO_FATAL_FAILURE(CommandWritingNothing(1, SelectAll));
  DWORD_PTR selection = 0;
  SendMessageTimeoutA(edit, EM_GETSEL, 0, 0, SMTO_NORMAL, 5000, &selection);
  EXPECT_EQ(LOWORD(selection), 0);
  EXPECT_EQ(HIWORD(selection), 13);  // "first", a line break, "second"
  ASSERT_NO_FATAL_FAILURE(CommandWritingNothing(1, Copy));
  EXPECT_EQ(ClipboardText(), "first\r\nsecond");
  SetClipboardText("pasted");
  ASSERT_NO_FATAL_FAILURE(CommandWritingNothing(1, Paste));
  EXPECT_EQ(TextOf(edit), "pasted");
  ASSERT_NO_FATAL_FAILURE(CommandWritingNothing(1, SelectAll));
  ASSERT_NO_FATAL_FAILURE(CommandWritingNothing(1, Cut));
  EXPECT_EQ(TextOf(edit), "");
  EXPECT_EQ(ClipboardText(), "pasted");
}

TEST_F(NoteCommands, ColoursComeFromTheDialogAndACancelChangesNothing) {
  PostMenuItem(Note(1), BackgroundColor);
  ASSERT_NO_FATAL_FAILURE(AnswerColour(10, 20, 200));
  std::string expected = WithKey(TwoNotes(), "Work", "BkgColor", std::to_string(RGB(10, 20, 200)));
  EXPECT_EQ(FileAfterChange(TwoNotes()), expected);
  RECT outer = OuterRect(Note(1));
  EXPECT_TRUE(WaitUntil([&] { return PixelAt(outer.left + 1, outer.top + 1) == RGB(10, 20, 200); }));

  std::string before = File();
  PostMenuItem(Note(1), TextColor);
  ASSERT_NO_FATAL_FAILURE(AnswerColour(0, 128, 0));
  expected = WithKey(expected, "Work", "FrontColor", std::to_string(RGB(0, 128, 0)));
  EXPECT_EQ(FileAfterChange(before), expected);

  for (int item : {BackgroundColor, TextColor}) {
    PostMenuItem(Note(3), item);
    ASSERT_NO_FATAL_FAILURE(CancelDialog());
    ASSERT_NO_FATAL_FAILURE(Barrier());
    EXPECT_EQ(File(), expected);
  }
}

TEST_F(NoteCommands, TextFontComesFromTheDialogAndACancelChangesNothing) {
  PostMenuItem(Note(1), TextFont);
  std::string face = AnswerFont(L"Bold Italic", L"12", true);
  std::string expected = WithKey(WithKey(WithKey(TwoNotes(), "Work", "Font", face), "Work", "FontSize", "12"),
                                 "Work", "FontStyle", std::to_string(0x100 | 0x200 | 0x4));
  EXPECT_EQ(FileAfterChange(TwoNotes()), expected);
  PostMenuItem(Note(3), TextFont);
  face = AnswerFont(L"Regular", L"8", false);
  std::string both =
      WithKey(WithKey(WithKey(expected, "Other", "Font", face), "Other", "FontSize", "8"), "Other", "FontStyle", "0");
  EXPECT_EQ(FileAfterChange(expected), both);

  PostMenuItem(Note(1), TextFont);
  ASSERT_NO_FATAL_FAILURE(CancelDialog());
  ASSERT_NO_FATAL_FAILURE(Barrier());
  EXPECT_EQ(File(), both);
}

TEST_F(NoteCommands, DeleteNoteRemovesExactlyItsGroupAndNumbersAreNotReused) {
  std::string expected = WithoutGroup(TwoNotes(), "Other");
  EXPECT_EQ(Command(3, DeleteNote), expected);
  EXPECT_EQ(Note(3), nullptr);
  EXPECT_TRUE(IsWindowVisible(Note(1)));
  // Two notes loaded put the counter at 5; the deletion leaves it there.
  NewNoteTitled("Next");
  EXPECT_NE(Note(7), nullptr);
  EXPECT_EQ(Note(5), nullptr);
  EXPECT_EQ(TextOf(TitleStrip(7)), "Next");
}

TEST_F(NoteCommands, HideAllAndShowAllTouchEveryWindowAndEveryGroup) {
  // A group without keys becomes a note too: 0 pixels square at (0, 0).
  std::string file = CrLfLines({"[Bare]"}) + TwoNotes();
  KillApp(app);
  ASSERT_NO_FATAL_FAILURE(LaunchAndWaitFor(file, 5));
  std::string hidden = WithKey(WithKey(WithKey(file, "Bare", "Hidden", "1"), "Work", "Hidden", "1"), "Other",
                               "Hidden", "1");
  std::string before = File();
  PostMenuItem(app.owner, HideAll);
  EXPECT_EQ(FileAfterChange(before), hidden);
  for (int note : {3, 5}) EXPECT_FALSE(IsWindowVisible(Note(note))) << note;
  EXPECT_FALSE(IsWindowVisible(app.owner));
  PostMenuItem(app.owner, ShowAll);
  std::string shown = WithKey(WithKey(WithKey(file, "Bare", "Hidden", "0"), "Work", "Hidden", "0"), "Other",
                              "Hidden", "0");
  EXPECT_EQ(FileAfterChange(hidden), shown);
  for (int note : {1, 3, 5}) EXPECT_TRUE(IsWindowVisible(Note(note))) << note;
  EXPECT_FALSE(IsWindowVisible(app.owner));
}

}  // namespace
