// The program as a user meets it: its tray icon, real mouse and keys, new notes, About, the end.
#include <algorithm>

#include "events.h"
#include "fixture.h"

namespace {

using Program = E2eTest;

// The icon that this program added to Wine's tray, told apart from any other by being new.
HWND NewTrayIcon(const std::vector<HWND>& before) {
  for (HWND icon : TrayIcons()) {
    if (std::find(before.begin(), before.end(), icon) == before.end()) return icon;
  }
  return nullptr;
}

TEST_F(Program, AboutTheTrayIconsDoubleClickAndRightClickAndExit) {
  const std::vector<HWND> before = TrayIcons();
  ASSERT_NO_FATAL_FAILURE(Launch(nullptr));
  HWND icon = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (icon = NewTrayIcon(before)) && IsWindowVisible(GetParent(icon)); }));
  ASSERT_NO_FATAL_FAILURE(Barrier());  // "About..." opens its box, which closes again
  EXPECT_EQ(File(), NoFile);
  // Wine's tray window may still be settling on the display: a lost double-click is given again.
  HWND requester = nullptr;
  for (int attempt = 0; attempt < 3 && !requester; ++attempt) {
    ASSERT_TRUE(Xdo("click --repeat 2 --delay 120 1", icon));
    requester = WaitForWindow(app.process.dwProcessId, "InputRequester", 3000);
  }
  ASSERT_NE(requester, nullptr) << "the double-click asked for no title";
  EXPECT_EQ(TextOf(requester), "Title");
  EXPECT_EQ(TextOf(ChildOf(requester, "Static")), "Please insert your title note:");
  ASSERT_TRUE(AnswerTitle(requester, "Shopping"));
  const std::string file = Changed(NoFile);
  HWND note = Note(2);
  RECT place = Outer(note);
  EXPECT_EQ(file, CrLfLines({"[Shopping]", "XPos = " + std::to_string(place.left),
                             "YPos = " + std::to_string(place.top), "Size = 258", "Title = Shopping",
                             "Text = Welcome to Tackpad!", "Font = Comic Sans MS", "FontSize = 14",
                             "FontStyle = 768", "FrontColor = 0", "BkgColor = 8252912", "Hidden = 0", "OnTop = 1",
                             "Alpha = 0", "Rollup = 0"}));
  EXPECT_EQ(place.right - place.left, 258);
  EXPECT_TRUE(IsWindowVisible(note) && Topmost(note));
  EXPECT_EQ(TextOf(TitleStrip(2)), "Shopping");
  EXPECT_EQ(TextOf(EditArea(2)), "Welcome to Tackpad!");

  // The shell reports a press, then a release: the menu comes with the release only.
  PostMessageA(app.owner, TrayCallbackMessage, 1, WM_RBUTTONDOWN);
  EXPECT_FALSE(WaitUntil([&] { return IsWindowVisible(WaitForWindow(app.process.dwProcessId, "#32768", 0)); }, 1500));
  ASSERT_TRUE(Xdo("click 3", icon));
  HWND menu = Dialog("#32768");
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(menu); })) << "no tray menu";
  ASSERT_TRUE(Xdo("key Escape"));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }));
  ASSERT_NO_FATAL_FAILURE(Exit());
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(icon) && TrayIcons().size() == before.size(); }));
  EXPECT_EQ(File(), file);
}

// A drag stored by the next command, chosen from the note's menu by a right click and a key.
TEST_F(Program, ADragIsStoredByAHideChosenFromTheNoteMenu) {
  const auto pinned = [](int x, int y) {
    return CrLfLines(GroupLines("Pinned", x, y, 258, "drag me", 0, 8252912, 0, 1, 0, 0));
  };
  const std::vector<HWND> before = TrayIcons();
  ASSERT_NO_FATAL_FAILURE(Launch(pinned(200, 200).c_str(), 1));
  ASSERT_TRUE(WaitUntil([&] { return NewTrayIcon(before) != nullptr; }));
  const std::string step = " mousemove_relative 50 25 sleep 0.1";
  ASSERT_TRUE(Xdo("mousedown 1 sleep 0.2" + step + step + step + step + " mouseup 1", TitleStrip(1)));
  ASSERT_TRUE(WaitUntil([&] { return Outer(Note(1)).left == 400 && Outer(Note(1)).top == 300; }));
  ASSERT_NO_FATAL_FAILURE(Barrier());
  EXPECT_EQ(File(), pinned(200, 200));
  ASSERT_TRUE(Xdo("click 3", TitleStrip(1)));
  HWND menu = Dialog("#32768");
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(menu); })) << "no note menu";
  ASSERT_TRUE(Xdo("key --delay 50 Down Return"));
  const std::string file = Changed(pinned(200, 200));
  EXPECT_EQ(file, WithKey(pinned(400, 300), "Pinned", "Hidden", "1"));
  EXPECT_FALSE(IsWindowVisible(Note(1)));
}

}  // namespace
