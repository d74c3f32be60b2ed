// Every command of the menus, in one run from a loaded file: what the window shows and the whole file after.
#include <functional>

#include "fixture.h"

namespace {

// Note 1 "Bare" (a group without keys); 3 "Work" at (100, 120), 258 square, on top; 5 "Other"
// hidden, translucent and rolled up.
std::string ThreeNotes() {
  std::vector<std::string> lines = GroupLines("Work", 100, 120, 258, "first\\nsecond", 0, 8252912, 0, 1, 0, 0);
  std::vector<std::string> other = GroupLines("Other", 500, 300, 128, "x", 255, 16777215, 1, 0, 1, 1);
  lines.insert(lines.end(), other.begin(), other.end());
  lines.insert(lines.begin(), "[Bare]");
  return CrLfLines(lines);
}

using NoteCommands = E2eTest;
using Check = std::function<void(NoteCommands&)>;
using Edit = std::function<std::string(const std::string&)>;

SIZE Inner(HWND window) {
  RECT rect{};
  GetClientRect(window, &rect);
  return SIZE{rect.right, rect.bottom};
}

// The note square, its title strip 16 high at row 4 and its edit area from row 25 down, at 96 dpi.
Check Layout(int size, int dpi = 96) {
  return [=](NoteCommands& t) {
    auto at = [dpi](int length) { return MulDiv(length, dpi, 96); };
    RECT outer = Outer(t.Note(3)), strip = Outer(t.TitleStrip(3)), edit = Outer(t.EditArea(3));
    EXPECT_EQ(std::vector<long>({Inner(t.Note(3)).cx, Inner(t.Note(3)).cy, strip.top - outer.top,
                                 strip.bottom - strip.top, strip.right - strip.left, edit.top - outer.top,
                                 edit.bottom - edit.top, edit.right - edit.left}),
              std::vector<long>({at(size), at(size), at(4), at(16), at(size), at(25), at(size) - at(25), at(size)}));
  };
}

Edit Set(const char* group, const char* key, std::string value) {
  return [=](const std::string& file) { return WithKey(file, group, key, value); };
}

Edit Hidden(const char* value) {
  return [=](const std::string& file) {
    return WithKey(WithKey(WithKey(file, "Bare", "Hidden", value), "Work", "Hidden", value), "Other", "Hidden", value);
  };
}

Check Visible(bool bare, bool work, bool other) {
  return [=](NoteCommands& t) {
    EXPECT_EQ(std::vector<bool>({IsWindowVisible(t.Note(1)) != 0, IsWindowVisible(t.Note(3)) != 0,
                                 IsWindowVisible(t.Note(5)) != 0, IsWindowVisible(t.app.owner) != 0}),
              std::vector<bool>({bare, work, other, false}));
  };
}

Check Colour(COLORREF colour) {
  return [=](NoteCommands& t) { EXPECT_TRUE(AnswerColour(t.Dialog("#32770"), colour)); };
}

const Check Nothing = [](NoteCommands&) {};

struct Step {
  const char* name;
  int note;  // 0: the tray menu's owner window
  int item;
  Check answer;  // the dialog the command opens
  Edit file;
  Check window;
};

// Each command posted and answered, then the whole file and the window checked.
template <std::size_t count>
void RunSteps(NoteCommands& t, const Step (&steps)[count], std::string& expected) {
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    std::string before = t.File();
    PostCommand(step.note ? t.Note(step.note) : t.app.owner, step.item);
    step.answer(t);
    expected = step.file(expected);
    if (expected == before) {
      ASSERT_NO_FATAL_FAILURE(t.Barrier());
    }
    EXPECT_EQ(expected == before ? t.File() : t.Changed(before), expected);
    step.window(t);
  }
}

TEST_F(NoteCommands, GroupsLoadAsNotesOneThreeFiveAndEachCommandChangesItsWindowAndWritesItsKeys) {
  ASSERT_NO_FATAL_FAILURE(Launch(ThreeNotes().c_str(), 5));
  for (int absent : {2, 4, 6}) EXPECT_EQ(Note(absent), nullptr) << absent;
  EXPECT_TRUE(IsWindowVisible(Note(3)) && Topmost(Note(3)) && Alpha(Note(3)) == 255);
  EXPECT_TRUE(!IsWindowVisible(Note(5)) && !Topmost(Note(5)) && Alpha(Note(5)) == 144);
  EXPECT_EQ(TextOf(TitleStrip(3)), "Work");
  EXPECT_EQ(TextOf(TitleStrip(1)), "Bare");
  // A menu edit or typing is stored at its pause as "Save note" would: line breaks as \n, a tab as a blank.
  HWND edit = EditArea(3);
  const std::string cut = WithKey(ThreeNotes(), "Work", "Text", "");
  for (int item : {SelectAllItem, CutItem}) PostCommand(Note(3), item);
  EXPECT_EQ(Changed(ThreeNotes()), cut);
  TypeText(edit, "a\tb");
  PressKey(edit, VK_RETURN);
  TypeText(edit, "cd");
  PressKey(edit, VK_RETURN);
  ASSERT_TRUE(WaitUntil([&] { return TextOf(edit) == "a\tb\r\ncd\r\n"; })) << TextOf(edit);
  std::string expected = WithKey(ThreeNotes(), "Work", "Text", "a b\\ncd\\n");
  EXPECT_EQ(Changed(cut), expected);

  std::string face;
  const Step steps[] = {
      // Each loaded state is the check mark its command turns over.
      {"unroll as loaded", 5, RollUpItem, Nothing, Set("Other", "Rollup", "0"),
       [](NoteCommands& t) { EXPECT_EQ(Inner(t.Note(5)).cy, 128); }},
      {"opaque as loaded", 5, TransparentItem, Nothing, Set("Other", "Alpha", "0"),
       [](NoteCommands& t) { EXPECT_EQ(Alpha(t.Note(5)), 255); }},
      {"roll up", 3, RollUpItem, Nothing, Set("Work", "Rollup", "1"),
       [](NoteCommands& t) { EXPECT_EQ(Inner(t.Note(3)).cy, 24); EXPECT_EQ(Inner(t.Note(3)).cx, 258); }},
      {"unroll", 3, RollUpItem, Nothing, Set("Work", "Rollup", "0"), Layout(258)},
      {"transparent", 3, TransparentItem, Nothing, Set("Work", "Alpha", "1"),
       [](NoteCommands& t) { EXPECT_EQ(Alpha(t.Note(3)), 144); }},
      {"not on top", 3, OnTopItem, Nothing, Set("Work", "OnTop", "0"),
       [](NoteCommands& t) { EXPECT_FALSE(Topmost(t.Note(3))); }},
      {"on top", 5, OnTopItem, Nothing, Set("Other", "OnTop", "1"),
       [](NoteCommands& t) { EXPECT_TRUE(Topmost(t.Note(5))); }},
      {"background", 3, BackgroundColorItem, Colour(RGB(10, 20, 200)), Set("Work", "BkgColor", "13112330"), Nothing},
      {"text colour", 3, TextColorItem, Colour(RGB(0, 128, 0)), Set("Work", "FrontColor", "32768"), Nothing},
      {"font", 3, TextFontItem,
       [&](NoteCommands& t) { face = AnswerFont(t.Dialog("#32770"), L"Bold Italic", L"12"); },
       [&](const std::string& file) {
         return WithKey(WithKey(WithKey(file, "Work", "Font", face), "Work", "FontSize", "12"), "Work", "FontStyle",
                        "772");
       },
       Nothing},
      {"font cancelled", 5, TextFontItem,
       [](NoteCommands& t) { EXPECT_TRUE(CloseDialog(t.Dialog("#32770"), IDCANCEL)); },
       [](const std::string& file) { return file; }, Nothing},
      {"hide all", 0, HideAllItem, Nothing, Hidden("1"), Visible(false, false, false)},
      {"show all", 0, ShowAllItem, Nothing, Hidden("0"), Visible(true, true, true)},
      {"hide", 5, HideNoteItem, Nothing, Set("Other", "Hidden", "1"), Visible(true, true, false)},
      // "Other" is the last group.
      {"delete", 5, DeleteNoteItem, Nothing,
       [](const std::string& file) { return file.substr(0, file.find("[Other]")); },
       [](NoteCommands& t) { EXPECT_EQ(t.Note(5), nullptr); }},
  };
  ASSERT_NO_FATAL_FAILURE(RunSteps(*this, steps, expected));
  // New notes: blank titles make none; titles are cleaned and never share a group. Three notes
  // loaded put the counter at 7, and the deletion of note 5 leaves it there.
  for (const char* nothing : {static_cast<const char*>(nullptr), "", " \t ", "\x01\x02"}) NewNote(nothing);
  ASSERT_NO_FATAL_FAILURE(Barrier());
  EXPECT_EQ(File(), expected);
  struct Title {
    const char *typed, *title;
    int note;
  };
  for (const Title& c : {Title{"  Shopping\t", "Shopping", 9}, Title{"SHOPPING", "SHOPPING (2)", 11},
                         Title{"bare", "bare (2)", 13}, Title{"a]b\tc", "a)b c", 15}, Title{"Shop\x7F", "Shop", 17}}) {
    NewNote(c.typed);
    const std::string file = Changed(expected);
    EXPECT_NE(file.find(std::string("\r\n[") + c.title + "]\r\nXPos"), std::string::npos) << c.typed;
    EXPECT_NE(file.find(std::string("\r\nTitle = ") + c.title + "\r\n"), std::string::npos) << c.typed;
    EXPECT_EQ(TextOf(TitleStrip(c.note)), c.title);
    expected = file;
  }
  EXPECT_EQ(Note(7), nullptr);
}

// At 144 and 192 dpi every measure is scaled, the title requester's too, while the file keeps
// what 96 dpi stores: places as a program unaware of scales sees them, sizes 128, 258 and 388.
// What each scale wrote is loaded at the next, the last at 96.
TEST_F(NoteCommands, NotesTakeTheDisplaysScaleAndTheFileKeepsWhatEveryScaleReads) {
  std::string expected = ThreeNotes();
  int size = 258, onTop = 1;
  for (int dpi : {144, 192, 96}) {
    SCOPED_TRACE(dpi);
    SetDisplayScale(dpi);
    ASSERT_NO_FATAL_FAILURE(Launch(expected.c_str(), 5));
    auto at = [dpi](int length) { return MulDiv(length, dpi, 96); };
    const RECT work = Outer(Note(3)), other = Outer(Note(5));
    EXPECT_EQ(std::vector<long>({work.left, work.top, other.left, other.top, Inner(Note(5)).cx, Inner(Note(5)).cy}),
              std::vector<long>({at(100), at(120), at(500), at(300), at(128), at(24)}));  // "Other" rolled up
    Layout(size, dpi)(*this);
    if (dpi == 96) break;
    size = dpi == 144 ? 128 : 258;
    onTop = 1 - onTop;
    const Step steps[] = {{"large", 3, LargeItem, Nothing, Set("Work", "Size", "388"), Layout(388, dpi)},
                          {"save", 3, SaveNoteItem, Nothing, Set("Work", "Size", "388"), Nothing},
                          {"on top", 3, OnTopItem, Nothing, Set("Work", "OnTop", std::to_string(onTop)), Nothing},
                          {"resize", 3, size == 128 ? SmallItem : NormalItem, Nothing,
                           Set("Work", "Size", std::to_string(size)), Layout(size, dpi)}};
    ASSERT_NO_FATAL_FAILURE(RunSteps(*this, steps, expected));
    // A new note: the requester at the scale, the note at its stored place and size.
    PostCommand(app.owner, NewNoteItem);
    HWND requester = Dialog("InputRequester"), field = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (field = ChildOf(requester, "Edit")) != nullptr; }));
    EXPECT_TRUE(WaitUntil([&] { return Outer(field).bottom - Outer(field).top == at(21); })) << "field unscaled";
    ASSERT_TRUE(AnswerTitle(requester, "New"));
    expected = Changed(expected);
    HWND made = Note(dpi == 144 ? 9 : 11);  // loading leaves the counter at the next number
    const int x = std::stoi(expected.substr(expected.find("XPos = ", expected.rfind("[New")) + 7));
    EXPECT_EQ(std::vector<long>({Outer(made).left, Inner(made).cx}), std::vector<long>({at(x), at(258)}));
    ASSERT_NO_FATAL_FAILURE(Exit());
    EXPECT_EQ(File(), expected);
  }
}

}  // namespace
