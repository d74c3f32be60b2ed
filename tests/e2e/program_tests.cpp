// The program as a user meets it: its tray icon, real mouse and keys, new notes, About, the end.
#include <algorithm>

#include "fixture.h"

namespace {

using Program = E2eTest;

std::string OneNote(int x, int y) {
  return CrLfLines(GroupLines("Pinned", x, y, 258, "drag me", 0, 8252912, 0, 1, 0, 0));
}

// The icon that this program added to Wine's tray, told apart from any other by being new.
HWND NewTrayIcon(const std::vector<HWND>& before) {
  for (HWND icon : TrayIcons()) {
    if (std::find(before.begin(), before.end(), icon) == before.end()) return icon;
  }
  return nullptr;
}

TEST_F(Program, TheTrayIconAsksForANewNoteOnADoubleClickAndShowsItsMenuOnARightClick) {
  const std::vector<HWND> before = TrayIcons();
  ASSERT_NO_FATAL_FAILURE(Launch(nullptr));
  HWND icon = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (icon = NewTrayIcon(before)) && IsWindowVisible(GetParent(icon)); }));
  EXPECT_FALSE(HasFile());
  // Wine's tray window may still be settling on the display: a lost double-click is given again.
  HWND requester = nullptr;
  for (int attempt = 0; attempt < 3 && !requester; ++attempt) {
    ASSERT_TRUE(HostMouse(CentreOf(icon), "click --repeat 2 --delay 120 1"));
    requester = WaitForWindow(app.process.dwProcessId, "InputRequester", 3000);
  }
  ASSERT_NE(requester, nullptr) << "the double-click asked for no title";
  EXPECT_EQ(TextOf(requester), "Title");
  EXPECT_EQ(TextOf(ChildOf(requester, "Static")), "Please insert your title note:");
  ASSERT_TRUE(AnswerTitle(requester, "Shopping"));
  const std::string file = FileAfterChange("");
  HWND note = Note(2);
  ASSERT_NE(note, nullptr);
  RECT place = Outer(note);
  EXPECT_TRUE(place.left >= 0 && place.left <= 800 && place.top >= 0 && place.top <= 600);
  EXPECT_EQ(file, CrLfLines({"[Shopping]", "XPos = " + std::to_string(place.left),
                             "YPos = " + std::to_string(place.top), "Size = 258", "Title = Shopping",
                             "Text = Welcome to Tackpad!", "Font = Comic Sans MS", "FontSize = 14",
                             "FontStyle = 768", "FrontColor = 0", "BkgColor = 8252912", "Hidden = 0", "OnTop = 1",
                             "Alpha = 0", "Rollup = 0"}));
  EXPECT_EQ(place.right - place.left, 258);
  EXPECT_EQ(place.bottom - place.top, 258);
  EXPECT_TRUE(IsWindowVisible(note));
  EXPECT_TRUE(Topmost(note));
  EXPECT_EQ(GetWindowLongA(note, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME), 0);
  EXPECT_EQ(GetWindow(note, GW_OWNER), app.owner);
  EXPECT_EQ(TextOf(TitleStrip(2)), "Shopping");
  EXPECT_EQ(TextOf(EditArea(2)), "Welcome to Tackpad!");

  ASSERT_TRUE(HostMouse(CentreOf(icon), "click 3"));
  HWND menu = WaitForWindow(app.process.dwProcessId, "#32768");
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(menu); })) << "no tray menu";
  ASSERT_TRUE(HostKeys("Escape"));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }));
  ASSERT_NO_FATAL_FAILURE(Exit());
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(icon) && TrayIcons().size() == before.size(); }));
  EXPECT_EQ(File(), file);
}

TEST_F(Program, ClosingANoteEndsTheProgramWithCodeZeroTakesItsIconAwayAndWritesNothing) {
  const std::vector<HWND> before = TrayIcons();
  ASSERT_NO_FATAL_FAILURE(LaunchAndWaitFor(OneNote(10, 10), 1));
  ASSERT_TRUE(WaitUntil([&] { return NewTrayIcon(before) != nullptr; }));
  // As Alt+F4 on a note does.
  PostMessageA(Note(1), WM_CLOSE, 0, 0);
  DWORD code = 99;
  ASSERT_TRUE(WaitForExit(app, &code));
  EXPECT_EQ(code, 0u);
  EXPECT_TRUE(WaitUntil([&] { return TrayIcons().size() == before.size(); }));
  EXPECT_EQ(File(), OneNote(10, 10));
}

TEST_F(Program, NewNoteTitlesAreCleanedAndNeverShareAGroup) {
  ASSERT_NO_FATAL_FAILURE(LaunchAndWaitFor(CrLfLines({"[Stored]", "XPos = 5"}), 1));
  for (const char* nothing : {static_cast<const char*>(nullptr), "", " \t ", "\x01\x02"}) {
    PostCommand(app.owner, NewNoteItem);
    ASSERT_TRUE(AnswerTitle(Dialog("InputRequester"), nothing));
    ASSERT_NO_FATAL_FAILURE(Barrier());
  }
  EXPECT_EQ(File(), CrLfLines({"[Stored]", "XPos = 5"}));
  struct Case {
    const char *typed, *title;
    int note;
  };
  for (const Case& c : {Case{"  Shopping\t", "Shopping", 5}, Case{"SHOPPING", "SHOPPING (2)", 7},
                        Case{"stored", "stored (2)", 9}, Case{"a]b\tc", "a)b c", 11}}) {
    const std::string file = NewNoteTitled(c.typed);
    EXPECT_NE(file.find(std::string("\r\n[") + c.title + "]\r\n"), std::string::npos) << c.typed;
    EXPECT_NE(file.find(std::string("\r\nTitle = ") + c.title + "\r\n"), std::string::npos) << c.typed;
    EXPECT_EQ(TextOf(TitleStrip(c.note)), c.title);
  }
}

TEST_F(Program, AboutShowsTheVersionInAnInformationBoxAndWritesNothing) {
  ASSERT_NO_FATAL_FAILURE(Launch(nullptr));
  PostCommand(app.owner, AboutItem);
  HWND box = Dialog("#32770");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(TextOf(box), "Tackpad");
  std::string text;
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (TextOf(child).size() > text.size()) text = TextOf(child);
  }
  EXPECT_EQ(text.rfind("Tackpad v1.1\n\n", 0), 0u) << text;
  ASSERT_TRUE(CloseDialog(box, IDOK));
  EXPECT_TRUE(Ping(app));
  EXPECT_FALSE(HasFile());
}

TEST_F(Program, ARightClickOpensTheNoteMenuAndAKeyChoosesHideNote) {
  ASSERT_NO_FATAL_FAILURE(LaunchAndWaitFor(OneNote(200, 200), 1));
  ASSERT_TRUE(HostMouse(CentreOf(TitleStrip(1)), "click 3"));
  HWND menu = WaitForWindow(app.process.dwProcessId, "#32768");
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(menu); })) << "no note menu";
  ASSERT_TRUE(HostKeys("Down Return"));
  EXPECT_EQ(FileAfterChange(OneNote(200, 200)), WithKey(OneNote(200, 200), "Pinned", "Hidden", "1"));
  EXPECT_FALSE(IsWindowVisible(Note(1)));
}

TEST_F(Program, ADraggedNoteHasItsNewPlaceStoredByTheNextCommand) {
  ASSERT_NO_FATAL_FAILURE(LaunchAndWaitFor(OneNote(200, 200), 1));
  POINT strip = CentreOf(TitleStrip(1));
  std::string steps;
  for (int step = 1; step <= 4; ++step) {
    steps += " mousemove " + std::to_string(strip.x + 50 * step) + " " + std::to_string(strip.y + 25 * step) +
             " sleep 0.1";
  }
  ASSERT_TRUE(HostMouse(strip, "mousedown 1 sleep 0.2" + steps + " mouseup 1"));
  ASSERT_TRUE(WaitUntil([&] { return Outer(Note(1)).left == 400 && Outer(Note(1)).top == 300; }));
  ASSERT_NO_FATAL_FAILURE(Barrier());
  EXPECT_EQ(File(), OneNote(200, 200));
  EXPECT_EQ(Command(1, OnTopItem), WithKey(OneNote(400, 300), "Pinned", "OnTop", "0"));
}

// Pictures for the README: four notes in their colours, then one note's menu open.
TEST_F(Program, Screenshots) {
  std::vector<std::string> lines;
  struct Shown {
    const char *title, *text;
    int x, y, size, front, back;
  };
  for (const Shown& n : {Shown{"Shopping", "Milk\\nBread\\nCoffee beans\\nApples", 80, 90, 258, 0, 8252912},
                         Shown{"Call back", "Dentist, before Friday", 380, 140, 258, 0x602000, 0xF0D8B0},
                         Shown{"Ideas", "A tray program that keeps\\nsmall notes on the desktop.", 180, 400, 388,
                               0x004000, 0xC8F0C8},
                         Shown{"Today", "Water the plants", 700, 90, 128, 0xFFFFFF, 0x5050C0}}) {
    std::vector<std::string> group = GroupLines(n.title, n.x, n.y, n.size, n.text, n.front, n.back, 0, 1, 0, 0);
    group[6] = "Font = Comic Sans MS";
    group[7] = "FontSize = 12";
    lines.insert(lines.end(), group.begin(), group.end());
  }
  ASSERT_NO_FATAL_FAILURE(LaunchAndWaitFor(CrLfLines(lines), 7));
  const std::string shot = "import -window root -crop 860x810+0+0 +repage " SCREENSHOTS;
  ASSERT_TRUE(RunOnHost("mkdir -p " SCREENSHOTS " && " + shot + "/notes.png"));
  ASSERT_TRUE(HostMouse(CentreOf(TitleStrip(1)), "click 3"));
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(WaitForWindow(app.process.dwProcessId, "#32768")); }));
  ASSERT_TRUE(HostKeys("Down Down Down Right"));
  ASSERT_TRUE(WaitUntil([&] { return ProcessWindows(app.process.dwProcessId, "#32768").size() >= 2; }));
  // A moment for the submenu to be painted: only the picture waits for it.
  ASSERT_TRUE(RunOnHost("sleep 0.3; " + shot + "/note-menu.png"));
  ASSERT_TRUE(HostKeys("Escape Escape"));
}

}  // namespace
