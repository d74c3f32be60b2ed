// Every command of the menus, in one run: what the window shows and the whole file after.
#include <functional>

#include "fixture.h"

namespace {

// Note 1 "Bare" (a group without keys), 3 "Work" at (100, 120), 258 square, on top; 5 "Other".
std::string ThreeNotes() {
  std::vector<std::string> lines = GroupLines("Work", 100, 120, 258, "first\\nsecond", 0, 8252912, 0, 1, 0, 0);
  std::vector<std::string> other = GroupLines("Other", 500, 300, 128, "x", 255, 16777215, 0, 0, 0, 0);
  lines.insert(lines.end(), other.begin(), other.end());
  lines.insert(lines.begin(), "[Bare]");
  return CrLfLines(lines);
}

using NoteCommands = E2eTest;

// The note square, its title strip 16 high at row 4 and its edit area from row 25 down.
void ExpectLayout(NoteCommands& t, int note, int size) {
  EXPECT_EQ(Inner(t.Note(note)).cx, size);
  EXPECT_EQ(Inner(t.Note(note)).cy, size);
  RECT outer = Outer(t.Note(note)), strip = Outer(t.TitleStrip(note)), edit = Outer(t.EditArea(note));
  EXPECT_EQ(std::vector<long>({strip.top - outer.top, strip.bottom - strip.top, strip.right - strip.left,
                               edit.top - outer.top, edit.bottom - edit.top, edit.right - edit.left}),
            std::vector<long>({4, 16, size, 25, size - 25, size}));
}

COLORREF PixelAt(POINT at) {
  HDC screen = GetDC(nullptr);
  COLORREF colour = GetPixel(screen, at.x, at.y);
  ReleaseDC(nullptr, screen);
  return colour;
}

struct Step {
  const char* name;
  int note;  // 0: the tray menu's owner window
  int item;
  std::function<void(NoteCommands&)> answer;  // the dialog the command opens
  std::function<std::string(const std::string&)> file;
  std::function<void(NoteCommands&)> window;
};

std::function<std::string(const std::string&)> Set(const char* group, const char* key, std::string value) {
  return [=](const std::string& file) { return WithKey(file, group, key, value); };
}

std::function<std::string(const std::string&)> Hidden(const char* value) {
  return [=](const std::string& file) {
    return WithKey(WithKey(WithKey(file, "Bare", "Hidden", value), "Work", "Hidden", value), "Other", "Hidden", value);
  };
}

const auto Same = [](const std::string& file) { return file; };
const auto NoAnswer = [](NoteCommands&) {};

std::function<void(NoteCommands&)> Colour(COLORREF colour) {
  return [=](NoteCommands& t) { EXPECT_TRUE(AnswerColour(t.Dialog("#32770"), colour)); };
}

const auto Cancel = [](NoteCommands& t) { EXPECT_TRUE(CloseDialog(t.Dialog("#32770"), IDCANCEL)); };

TEST_F(NoteCommands, EachCommandChangesItsWindowAndWritesItsKeys) {
  ASSERT_NO_FATAL_FAILURE(LaunchAndWaitFor(ThreeNotes(), 5));
  std::string face;
  const Step steps[] = {
      {"roll up", 3, RollUpItem, NoAnswer, Set("Work", "Rollup", "1"),
       [](NoteCommands& t) { EXPECT_EQ(Inner(t.Note(3)).cy, 24); EXPECT_EQ(Inner(t.Note(3)).cx, 258); }},
      {"roll up another", 5, RollUpItem, NoAnswer, Set("Other", "Rollup", "1"),
       [](NoteCommands& t) { EXPECT_EQ(Inner(t.Note(5)).cy, 24); }},
      {"unroll", 3, RollUpItem, NoAnswer, Set("Work", "Rollup", "0"),
       [](NoteCommands& t) { EXPECT_EQ(Inner(t.Note(3)).cy, 258); EXPECT_EQ(Inner(t.Note(5)).cy, 24); }},
      {"small", 3, SmallItem, NoAnswer, Set("Work", "Size", "128"), [](NoteCommands& t) { ExpectLayout(t, 3, 128); }},
      {"large", 3, LargeItem, NoAnswer, Set("Work", "Size", "388"), [](NoteCommands& t) { ExpectLayout(t, 3, 388); }},
      {"normal", 3, NormalItem, NoAnswer, Set("Work", "Size", "258"), [](NoteCommands& t) { ExpectLayout(t, 3, 258); }},
      {"transparent", 3, TransparentItem, NoAnswer, Set("Work", "Alpha", "1"),
       [](NoteCommands& t) { EXPECT_EQ(Alpha(t.Note(3)), 144); }},
      {"opaque", 3, TransparentItem, NoAnswer, Set("Work", "Alpha", "0"),
       [](NoteCommands& t) { EXPECT_EQ(Alpha(t.Note(3)), 255); }},
      {"not on top", 3, OnTopItem, NoAnswer, Set("Work", "OnTop", "0"),
       [](NoteCommands& t) { EXPECT_FALSE(Topmost(t.Note(3))); }},
      {"on top", 5, OnTopItem, NoAnswer, Set("Other", "OnTop", "1"),
       [](NoteCommands& t) { EXPECT_TRUE(Topmost(t.Note(5))); }},
      {"background", 3, BackgroundColorItem, Colour(RGB(10, 20, 200)), Set("Work", "BkgColor", "13112330"),
       [](NoteCommands& t) {
         RECT outer = Outer(t.Note(3));
         EXPECT_TRUE(WaitUntil([&] { return PixelAt({outer.left + 1, outer.top + 1}) == RGB(10, 20, 200); }));
       }},
      {"text colour", 3, TextColorItem, Colour(RGB(0, 128, 0)), Set("Work", "FrontColor", "32768"), NoAnswer},
      {"font", 3, TextFontItem,
       [&](NoteCommands& t) { face = AnswerFont(t.Dialog("#32770"), L"Bold Italic", L"12", true); },
       [&](const std::string& file) {
         return WithKey(WithKey(WithKey(file, "Work", "Font", face), "Work", "FontSize", "12"), "Work", "FontStyle",
                        "772");
       },
       NoAnswer},
      {"background cancelled", 5, BackgroundColorItem, Cancel, Same, NoAnswer},
      {"text colour cancelled", 5, TextColorItem, Cancel, Same, NoAnswer},
      {"font cancelled", 5, TextFontItem, Cancel, Same, NoAnswer},
      {"hide all", 0, HideAllItem, NoAnswer, Hidden("1"),
       [](NoteCommands& t) {
         for (int note : {1, 3, 5}) EXPECT_FALSE(IsWindowVisible(t.Note(note))) << note;
       }},
      {"show all", 0, ShowAllItem, NoAnswer, Hidden("0"),
       [](NoteCommands& t) {
         for (int note : {1, 3, 5}) EXPECT_TRUE(IsWindowVisible(t.Note(note))) << note;
         EXPECT_FALSE(IsWindowVisible(t.app.owner));
       }},
      {"hide", 5, HideNoteItem, NoAnswer, Set("Other", "Hidden", "1"),
       [](NoteCommands& t) { EXPECT_FALSE(IsWindowVisible(t.Note(5))); EXPECT_TRUE(IsWindowVisible(t.Note(3))); }},
      {"delete", 5, DeleteNoteItem, NoAnswer, [](const std::string& file) { return WithoutGroup(file, "Other"); },
       [](NoteCommands& t) { EXPECT_EQ(t.Note(5), nullptr); }},
  };
  std::string expected = ThreeNotes();
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    std::string before = File();
    PostCommand(step.note ? Note(step.note) : app.owner, step.item);
    step.answer(*this);
    expected = step.file(expected);
    if (expected == before) ASSERT_NO_FATAL_FAILURE(Barrier());
    EXPECT_EQ(expected == before ? File() : FileAfterChange(before), expected);
    step.window(*this);
  }
  // Three notes loaded put the counter at 7; the deletion of note 5 leaves it there.
  NewNoteTitled("Next");
  EXPECT_NE(Note(9), nullptr);
  EXPECT_EQ(Note(7), nullptr);
}

TEST_F(NoteCommands, TypedTextIsStoredBySaveNoteAndTheEditingItemsWriteNothing) {
  ASSERT_NO_FATAL_FAILURE(LaunchAndWaitFor(ThreeNotes(), 5));
  HWND edit = EditArea(3);
  PostCommand(Note(3), SelectAllItem);
  PostCommand(Note(3), CopyItem);
  ASSERT_NO_FATAL_FAILURE(Barrier());
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE data = GetClipboardData(CF_TEXT);
  EXPECT_STREQ(data ? static_cast<const char*>(GlobalLock(data)) : "", "first\r\nsecond");
  if (data) GlobalUnlock(data);
  CloseClipboard();
  PostCommand(Note(3), CutItem);
  ASSERT_TRUE(WaitUntil([&] { return TextOf(edit).empty(); }));
  PostCommand(Note(3), PasteItem);
  ASSERT_TRUE(WaitUntil([&] { return TextOf(edit).rfind("first\r\nsecond", 0) == 0; })) << TextOf(edit);
  EXPECT_EQ(File(), ThreeNotes());
  PostCommand(Note(3), SelectAllItem);
  TypeText(edit, "a\tb");
  PressKey(edit, VK_RETURN);
  TypeText(edit, "cd");
  PressKey(edit, VK_RETURN);
  ASSERT_TRUE(WaitUntil([&] { return TextOf(edit) == "a\tb\r\ncd\r\n"; })) << TextOf(edit);
  EXPECT_EQ(Command(3, SaveNoteItem), WithKey(ThreeNotes(), "Work", "Text", "a b\\ncd\\n"));
}

}  // namespace
