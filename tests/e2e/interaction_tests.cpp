// Real mouse and keyboard through the X server: the tray icon, a note's menu, a drag.
#include "fixture.h"

namespace {

using RealInput = TackpadTest;

std::string OneNote(int x, int y) {
  return CrLfLines(GroupLines("Pinned", x, y, 258, "drag me", 0, 8252912, 0, 1, 0, 0));
}

TEST_F(RealInput, TheTrayIconAsksForATitleOnADoubleClickAndShowsItsMenuOnARightClick) {
  ASSERT_NO_FATAL_FAILURE(Launch());
  HWND icon = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    icon = TrayIconWindow();
    return icon && IsWindowVisible(icon) && IsWindowVisible(GetParent(icon));
  })) << "no tray icon";
  POINT at = CentreOf(icon);
  // Wine's tray window may still be settling on the display: a double-click that made no
  // requester in three seconds was lost on the way, and is given again.
  HWND requester = nullptr;
  for (int attempt = 0; attempt < 3 && !requester; ++attempt) {
    ASSERT_TRUE(HostMouse(at.x, at.y, "click --repeat 2 --delay 120 1"));
    requester = WaitForProcessWindow(app.process.dwProcessId, "InputRequester", 3000);
  }
  ASSERT_NE(requester, nullptr) << "the double-click asked for no title";
  ASSERT_NO_FATAL_FAILURE(AnswerTitle("Clicked"));
  EXPECT_EQ(ValueIn(FileAfterChange(""), "Clicked", "Title"), "Clicked");

  ASSERT_TRUE(HostMouse(at.x, at.y, "click 3"));
  HWND menu = WaitForProcessWindow(app.process.dwProcessId, "#32768");
  ASSERT_NE(menu, nullptr) << "no tray menu";
  EXPECT_TRUE(IsWindowVisible(menu));
  ASSERT_TRUE(HostKeys("Escape"));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }));
  ASSERT_NO_FATAL_FAILURE(Exit());
}

TEST_F(RealInput, ARightClickOpensTheNoteMenuAndAKeyChoosesHideNote) {
  ASSERT_NO_FATAL_FAILURE(LaunchAndWaitFor(OneNote(200, 200), 1));
  POINT strip = CentreOf(TitleStrip(1));
  std::string before = File();
  ASSERT_TRUE(HostMouse(strip.x, strip.y, "click 3"));
  HWND menu = WaitForProcessWindow(app.process.dwProcessId, "#32768");
  ASSERT_NE(menu, nullptr) << "no note menu";
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(menu); }));
  ASSERT_TRUE(HostKeys("Down Return"));
  EXPECT_EQ(FileAfterChange(before), WithKey(before, "Pinned", "Hidden", "1"));
  EXPECT_FALSE(IsWindowVisible(Note(1)));
}

TEST_F(RealInput, ADraggedNoteHasItsNewPlaceStoredByTheNextCommand) {
  ASSERT_NO_FATAL_FAILURE(LaunchAndWaitFor(OneNote(200, 200), 1));
  POINT strip = CentreOf(TitleStrip(1));
  std::string steps;
  for (int step = 1; step <= 4; ++step) {
    steps += " mousemove " + std::to_string(strip.x + 50 * step) + " " + std::to_string(strip.y + 25 * step) +
             " sleep 0.1";
  }
  ASSERT_TRUE(HostMouse(strip.x, strip.y, "mousedown 1 sleep 0.2" + steps + " mouseup 1"));
  ASSERT_TRUE(WaitUntil([&] { return OuterRect(Note(1)).left == 400 && OuterRect(Note(1)).top == 300; }))
      << OuterRect(Note(1)).left << "," << OuterRect(Note(1)).top;
  // The drag itself writes nothing.
  ASSERT_NO_FATAL_FAILURE(Barrier());
  EXPECT_EQ(File(), OneNote(200, 200));
  EXPECT_EQ(Command(1, OnTop), WithKey(OneNote(400, 300), "Pinned", "OnTop", "0"));
}

// Pictures for the README: a few notes in their colours, then one note's menu open.
TEST_F(RealInput, Screenshots) {
  std::vector<std::string> lines;
  struct Shown {
    const char* title;
    int x, y, size;
    const char* text;
    int front, back;
  };
  for (const Shown& n : {Shown{"Shopping", 80, 90, 258, "Milk\\nBread\\nCoffee beans\\nApples", 0, 8252912},
                         Shown{"Call back", 380, 140, 258, "Dentist, before Friday", 0x602000, 0xF0D8B0},
                         Shown{"Ideas", 180, 400, 388, "A tray program that keeps\\nsmall notes on the desktop.",
                               0x004000, 0xC8F0C8},
                         Shown{"Today", 700, 90, 128, "Water the plants", 0xFFFFFF, 0x5050C0}}) {
    std::vector<std::string> group =
        GroupLines(n.title, n.x, n.y, n.size, n.text, n.front, n.back, 0, 1, 0, 0);
    group[7] = "Font = Comic Sans MS";
    group[8] = "FontSize = 12";
    lines.insert(lines.end(), group.begin(), group.end());
  }
  ASSERT_NO_FATAL_FAILURE(LaunchAndWaitFor(CrLfLines(lines), 7));
  Place shots = ScreenshotDirectory();
  ASSERT_TRUE(RunOnHost("import -window root -crop 860x810+0+0 +repage " + shots.unix + "/notes.png"));
  POINT strip = CentreOf(TitleStrip(1));
  ASSERT_TRUE(HostMouse(strip.x, strip.y, "click 3"));
  HWND menu = WaitForProcessWindow(app.process.dwProcessId, "#32768");
  ASSERT_NE(menu, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(menu); }));
  ASSERT_TRUE(HostKeys("Down Down Down Right"));
  ASSERT_TRUE(WaitUntil([&] { return ProcessWindows(app.process.dwProcessId, "#32768").size() >= 2; }));
  // A moment for the submenu to be painted: the picture is all this waits for.
  ASSERT_TRUE(RunOnHost("sleep 0.3; import -window root -crop 860x810+0+0 +repage " + shots.unix + "/note-menu.png"));
  ASSERT_TRUE(HostKeys("Escape Escape"));
  ASSERT_NO_FATAL_FAILURE(Exit());
}

}  // namespace
