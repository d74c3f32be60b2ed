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
  EXPECT_TRUE(IsWindowVisible(note) && Topmost(note));
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

// A drag stored as it ends; then a command chosen from the note's menu by a right click and a key.
TEST_F(Program, ADragIsStoredAtTheDropAndAHideIsChosenFromTheNoteMenu) {
  const auto pinned = [](int x, int y) {
    return CrLfLines(GroupLines("Pinned", x, y, 258, "drag me", 0, 8252912, 0, 1, 0, 0));
  };
  const std::vector<HWND> before = TrayIcons();
  ASSERT_NO_FATAL_FAILURE(Launch(pinned(200, 200).c_str(), 1));
  ASSERT_TRUE(WaitUntil([&] { return NewTrayIcon(before) != nullptr; }));
  const std::string step = " mousemove_relative 50 25 sleep 0.1";
  ASSERT_TRUE(Xdo("mousedown 1 sleep 0.2" + step + step + step + step + " mouseup 1", TitleStrip(1)));
  ASSERT_TRUE(WaitUntil([&] { return Outer(Note(1)).left == 400 && Outer(Note(1)).top == 300; }));
  EXPECT_EQ(Changed(pinned(200, 200)), pinned(400, 300));
  ASSERT_TRUE(Xdo("click 3", TitleStrip(1)));
  HWND menu = Dialog("#32768");
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(menu); })) << "no note menu";
  ASSERT_TRUE(Xdo("key --delay 50 Down Return"));
  EXPECT_EQ(Changed(pinned(400, 300)), WithKey(pinned(400, 300), "Pinned", "Hidden", "1"));
  EXPECT_FALSE(IsWindowVisible(Note(1)));
}

// Windows looks beside the program first for a library that is not a known system one, and Wine
// does so under these overrides: a library planted there under the names Tackpad loads must never
// run, and the note still gets the system's text area. Without the first library the second is
// tried; Wine's own second one needs the first, so that run has no text area.
TEST_F(Program, NoLibraryPlantedBesideTheExeRuns) {
  HKEY order;  // Wine's order for this name touches no other test's program
  const std::string copy = "PlantedBeside.exe", overrides = "Software\\Wine\\AppDefaults\\" + copy + "\\DllOverrides";
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, overrides.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &order, nullptr), 0);
  LeaveWindowsUnmanaged(copy.c_str());
  for (const std::string riched20 : {"native,builtin", ""}) {
    SCOPED_TRACE(riched20);
    for (const auto& [name, value] : {std::pair<const char*, std::string>{"riched20", riched20}, {"riched32", "native"}})
      RegSetValueExA(order, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), value.size() + 1);
    dir = FreshDirectory(riched20.empty() ? "e2e.planted.riched32" : "e2e.planted.riched20");  // each run a folder of its own
    ASSERT_TRUE(CopyFileA(TACKPAD_EXE, InPlace(dir, copy.c_str()).c_str(), FALSE));
    for (const char* name : {"RICHED20.DLL", "RICHED32.DLL"}) CopyFileA(PLANTED_LIBRARY, InPlace(dir, name).c_str(), FALSE);
    WriteBytes(InPlace(dir, "Settings.ini"), CrLfLines(GroupLines("Planted", 90, 90, 258, "kept", 0, 0, 0, 0, 0, 0)));
    ASSERT_TRUE(StartApp(InPlace(dir, copy.c_str()).c_str(), dir, "WindowClass_1000", app));
    ASSERT_NO_FATAL_FAILURE(Barrier());  // loading is done
    std::string ran;
    EXPECT_FALSE(ReadBytes(InPlace(dir, "RICHED20.DLL.ran"), ran) || ReadBytes(InPlace(dir, "RICHED32.DLL.ran"), ran));
    EXPECT_EQ(TextOf(EditArea(1)), riched20.empty() ? "" : "kept");
    PostCommand(Note(1), SaveNoteItem);  // without a text area there is no text to store, not an empty one
    ASSERT_NO_FATAL_FAILURE(Barrier());
    EXPECT_NE(File().find("Text = kept"), std::string::npos);
    ASSERT_NO_FATAL_FAILURE(Exit());
  }
  RegCloseKey(order);
}

}  // namespace
