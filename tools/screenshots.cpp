// The README's pictures, taken by hand under Wine (see the README): four notes in their colours,
// two of them at a display scale of 200 %, one note's menu open, the title requester and About box in the system's visual style, and a
// note in several scripts, the "All Notes" window. Drives the real Tackpad.exe with the end-to-end tests' fixture.
#include <tuple>

#include "fixture.h"

namespace {

using Program = E2eTest;

// The notes of the pictures, each in the face and size a person would pick.
std::string NotesFile(const std::vector<std::vector<std::string>>& groups) {
  std::string file;
  for (std::vector<std::string> group : groups) {
    group[6] = "Font = Comic Sans MS";
    group[7] = "FontSize = 12";
    file += CrLfLines(group);
  }
  return file;
}

const std::vector<std::string> Shopping =
    GroupLines("Shopping", 80, 90, 258, "Milk\\nBread\\nCoffee beans\\nApples", 0, 8252912, 0, 1, 0, 0);
const std::vector<std::string> CallBack =
    GroupLines("Call back", 380, 140, 258, "Dentist, before Friday", 0x602000, 0xF0D8B0, 0, 1, 0, 0);

TEST_F(Program, Screenshots) {
  const std::string file = NotesFile(
      {Shopping, CallBack,
       GroupLines("Ideas", 180, 400, 388, "A tray program that keeps\\nsmall notes on the desktop.", 0x004000,
                  0xC8F0C8, 0, 1, 0, 0),
       GroupLines("Today", 700, 90, 128, "Water the plants", 0xFFFFFF, 0x5050C0, 0, 1, 0, 0)});
  ASSERT_NO_FATAL_FAILURE(Launch(file.c_str(), 7));
  const std::string shot = "import -window root -crop 860x810+0+0 +repage " SCREENSHOTS;
  ASSERT_TRUE(RunOnHost("mkdir -p " SCREENSHOTS " && " + shot + "/notes.png"));
  ASSERT_TRUE(Xdo("click 3", TitleStrip(1)));
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(Dialog("#32768")); }));
  ASSERT_TRUE(Xdo("key --delay 50 Down Down Down Right"));
  ASSERT_TRUE(WaitUntil([&] { return ProcessWindows(app.process.dwProcessId, "#32768").size() >= 2; }));
  // A moment for the submenu to be painted: only the picture waits for it.
  ASSERT_TRUE(RunOnHost("sleep 0.3; " + shot + "/note-menu.png"));
  ASSERT_TRUE(Xdo("key --delay 50 Escape Escape"));
}

// Two of them on a display at 200 %: the same notes, drawn with twice the pixels.
TEST_F(Program, ScaledScreenshot) {
  SetDisplayScale(192);
  ASSERT_NO_FATAL_FAILURE(Launch(NotesFile({Shopping, CallBack}).c_str(), 3));
  ASSERT_TRUE(RunOnHost("sleep 0.3; import -window root -crop 1140x660+140+160 +repage " SCREENSHOTS "/notes-192.png"));
}

// A picture of one window and a margin around it.
bool Shoot(HWND window, const char* name) {
  const RECT r = Outer(window);
  const std::string box = std::to_string(r.right - r.left + 16) + "x" + std::to_string(r.bottom - r.top + 16) + "+" +
                          std::to_string(r.left - 8) + "+" + std::to_string(r.top - 8);
  return RunOnHost("sleep 0.3; import -window root -crop " + box + " +repage " SCREENSHOTS "/" + name);
}

TEST_F(Program, DialogScreenshots) {
  ASSERT_NO_FATAL_FAILURE(Launch(nullptr));
  PostCommand(app.owner, NewNoteItem);
  HWND requester = Dialog("InputRequester");
  ASSERT_TRUE(requester && WaitUntil([&] { return IsWindowVisible(requester); }));
  HWND field = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (field = ChildOf(requester, "Edit")) != nullptr; }));
  TypeText(field, "Shopping");
  ASSERT_TRUE(WaitUntil([&] { return TextOf(field) == "Shopping"; }));
  ASSERT_TRUE(Shoot(requester, "title-requester.png"));
  PressKey(field, VK_ESCAPE);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(requester); }));
  PostCommand(app.owner, AboutItem);
  HWND about = Dialog("#32770");
  ASSERT_TRUE(about && WaitUntil([&] { return IsWindowVisible(about); }));
  ASSERT_TRUE(Shoot(about, "about.png"));
  ASSERT_TRUE(CloseDialog(about, IDOK));
}

// "All Notes" over the four notes, one of them hidden, a search typed, and a note in the bin.
TEST_F(Program, AllNotesScreenshot) {
  std::vector<std::string> today = GroupLines("Today", 700, 90, 128, "Water the plants", 0xFFFFFF, 0x5050C0, 1, 1, 0, 0);
  ASSERT_NO_FATAL_FAILURE(Launch(NotesFile({Shopping, CallBack, today,
                                            GroupLines("Old list", 200, 300, 128, "Coffee filters", 0, 8252912, 0, 0, 0, 0)})
                                     .c_str(), 7));
  const std::string before = File();
  PostCommand(Note(7), DeleteNoteItem);
  Changed(before);
  PostCommand(app.owner, AllNotesItem);
  HWND frame = Dialog("WindowClass_1001");
  ASSERT_TRUE(frame && WaitUntil([&] { return IsWindowVisible(frame); }));
  TypeText(ChildOf(frame, "Edit"), "co");
  ASSERT_TRUE(WaitUntil([&] { return TextOf(ChildOf(frame, "Edit")) == "co"; }));
  ASSERT_TRUE(Shoot(frame, "all-notes.png"));
}

// Each note in a face that holds its characters: free fonts from fonts-wqy-microhei and
// fonts-symbola stand in for the Windows fonts that would draw them.
TEST_F(Program, LanguagesScreenshot) {
  std::string file;
  for (auto [title, x, text, face] :
       {std::tuple{"Заметка", 100, "✓ é Café\\nΩμέγα · Привет\\n中文 · 日本語", "WenQuanYi Micro Hei"},
        std::tuple{"Symbols", 330, "☕ ✓ 📌", "Symbola"}}) {
    std::vector<std::string> group = GroupLines(title, x, 100, 218, text, 0, 8252912, 0, 1, 0, 0);
    group[6] = std::string("Font = ") + face;
    group[7] = "FontSize = 13";
    file += CrLfLines(group);
  }
  ASSERT_NO_FATAL_FAILURE(Launch(file.c_str(), 3));
  ASSERT_TRUE(RunOnHost("sleep 0.3; import -window root -crop 464x234+92+92 +repage " SCREENSHOTS "/languages.png"));
}

}  // namespace
