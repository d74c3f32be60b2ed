// The program as a user meets it: its tray icon, real mouse and keys, new notes, About, the end.
#include <algorithm>

#include "events.h"
#include "fixture.h"
#include "new_note_key.h"

#include <shellapi.h>

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
  EXPECT_NE(BalloonSaying("Its icon is in the notification area"), nullptr) << "the first start says where it is";
  // Wine's tray window may still be settling on the display: a lost double-click is given again.
  HWND requester = nullptr;
  for (int attempt = 0; attempt < 3 && !requester; ++attempt) {
    ASSERT_TRUE(Xdo("click --repeat 2 --delay 120 1", icon));
    requester = WaitForWindow(app.process.dwProcessId, "InputRequester", 3000);
  }
  ASSERT_NE(requester, nullptr) << "the double-click asked for no title";
  EXPECT_EQ(TextOf(requester), "Title");
  EXPECT_EQ(TextOf(ChildOf(requester, "Static")), "Please insert your title note:");
  EXPECT_EQ(AccessibleName(ChildOf(requester, "Edit")), "Please insert your title note:");
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

  // The shell speaks version 4: the event in lParam's low word, the icon in its high word, the
  // anchor in wParam. A left click (its release, then NIN_SELECT), a right press and a click on a
  // balloon that lists no notes open nothing; the keyboard's request opens the menu at the icon.
  const auto tray = [&](UINT event, short x = 0, short y = 0) {
    PostMessageA(app.owner, TrayCallbackMessage, MAKEWPARAM(x, y), MAKELPARAM(event, 1));
  };
  for (UINT event : {WM_LBUTTONUP, NIN_SELECT, WM_RBUTTONDOWN, NIN_BALLOONUSERCLICK}) tray(event);
  tray(WM_CONTEXTMENU, 600, 500);
  POINT at{};
  HWND menu = MenuShown(app.process.dwProcessId, &at);
  ASSERT_NE(menu, nullptr) << "no tray menu from the keyboard";
  EXPECT_TRUE(at.x == 600 && at.y == 500) << at.x << ", " << at.y;
  EXPECT_EQ(ProcessWindows(app.process.dwProcessId, "InputRequester").size() +
                ProcessWindows(app.process.dwProcessId, "WindowClass_1001").size(), 0u);
  ASSERT_TRUE(Xdo("key Escape"));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }));
  ASSERT_TRUE(Xdo("click 3", icon));
  ASSERT_NE(menu = MenuShown(app.process.dwProcessId), nullptr) << "no tray menu";
  ASSERT_TRUE(Xdo("key Escape"));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }));
  tray(NIN_KEYSELECT);  // Enter on the icon asks for a note, as a double-click does
  ASSERT_TRUE(AnswerTitle(Dialog("InputRequester"), nullptr));
  PostMessageA(app.owner, WM_HOTKEY, NewNoteHotKey, MAKELPARAM(MOD_CONTROL | MOD_SHIFT, VK_F11));  // so does the key
  ASSERT_TRUE(AnswerTitle(Dialog("InputRequester"), nullptr));
  ASSERT_NO_FATAL_FAILURE(Exit());
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(icon) && TrayIcons().size() == before.size(); }));
  EXPECT_EQ(File(), file);
}

// A drag stored as it ends, and a keyboard move; then a command chosen from the note's menu by a
// right click and a key.
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
  // "Move" from the keyboard: the arrows move it, Enter ends and stores it, Escape puts it back.
  for (const char* keys : {"Right Right Down Return", "Left Up Escape"}) {
    ASSERT_TRUE(Xdo("click 3", TitleStrip(1)));
    ASSERT_NE(MenuShown(app.process.dwProcessId), nullptr) << "no note menu";
    ASSERT_TRUE(Xdo("key --delay 50 Down Down Down Return"));
    ASSERT_TRUE(Xdo(std::string("key --delay 100 ") + keys));
    ASSERT_TRUE(WaitUntil([&] { return Outer(Note(1)).left == 416 && Outer(Note(1)).top == 308; })) << keys;
  }
  EXPECT_EQ(Changed(pinned(400, 300)), pinned(416, 308));
  ASSERT_TRUE(Xdo("click 3", TitleStrip(1)));
  ASSERT_NE(MenuShown(app.process.dwProcessId), nullptr) << "no note menu";
  ASSERT_TRUE(Xdo("key --delay 50 Down Return"));
  EXPECT_EQ(Changed(pinned(416, 308)), WithKey(pinned(416, 308), "Pinned", "Hidden", "1"));
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

// Whether a combination is free for this process: false while another holds it.
bool KeyFree(UINT modifiers, UINT key) {
  if (!RegisterHotKey(nullptr, 7, modifiers, key)) return false;
  UnregisterHotKey(nullptr, 7);
  return true;
}

// REG_DWORD: the text's first four bytes, as a number.
void NameNewNoteKey(const char* value, DWORD type = REG_SZ) {
  HKEY key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, NewNoteKeyPlace, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr)) return;
  const DWORD size = type == REG_DWORD ? 4 : DWORD(value ? strlen(value) + 1 : 0);
  if (value) RegSetValueExA(key, NewNoteKeyValue, 0, type, reinterpret_cast<const BYTE*>(value), size);
  else RegDeleteValueA(key, NewNoteKeyValue);
  RegCloseKey(key);
}

// The key for a new note is the one the registry names, none for "None", the default where the
// value is damaged; one another program holds is left. Each of the last two is told once; a second
// start on another folder, which finds the first one holding the key, says nothing of it.
TEST_F(Program, TheNewNoteKeyIsTheOneNamedOrTheDefaultAndADamagedOrTakenOneIsToldUnlessATackpadHoldsIt) {
  const KeyCombination fallback{MOD_CONTROL | MOD_SHIFT, VK_F11};
  const std::string settings = CrLfLines(GroupLines("A", 100, 100, 128, "a", 0, 0, 0, 0, 0, 0));
  const struct { const char* value; DWORD type; bool taken; const char* told; KeyCombination held; } rows[] = {
      {nullptr, REG_SZ, false, nullptr, fallback},
      {"alt + shift + F9", REG_SZ, false, nullptr, {MOD_ALT | MOD_SHIFT, VK_F9}},
      {"None", REG_SZ, false, nullptr, {0, 0}},
      {"Ctrl+Hyper+Q", REG_SZ, false, "\"Ctrl+Hyper+Q\" of \"New note key\" under HKEY_CURRENT_USER\\Software\\Tackpad names no key: "
                                     "Ctrl+Shift+F11 is used.", fallback},
      {"None", REG_DWORD, false, "The value of \"New note key\"", fallback},
      {nullptr, REG_SZ, true, "Another program uses Ctrl+Shift+F11: it does not make a new note.", {0, 0}}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.value ? row.value : row.taken ? "taken" : "default");
    NameNewNoteKey(row.value, row.type);
    ASSERT_TRUE(!row.taken || RegisterHotKey(nullptr, 8, fallback.modifiers, fallback.key));
    ASSERT_NO_FATAL_FAILURE(Launch(settings.c_str(), 1));
    HWND told = row.told ? BalloonSaying(row.told) : nullptr;
    EXPECT_TRUE(!row.told || told) << "not told";
    if (told) ShowWindow(told, SW_HIDE);  // read: left standing, it would lie over the next tests' notes
    EXPECT_TRUE(!row.held.key || !KeyFree(row.held.modifiers, row.held.key)) << "not held";
    EXPECT_TRUE(row.taken || KeyFree(fallback.modifiers, fallback.key) == (row.held.key != fallback.key));
    if (row.value == nullptr && !row.taken) {
      RunningApp second;
      const Place elsewhere = FreshDirectory("e2e.Program.second");
      WriteBytes(InPlace(elsewhere, "Settings.ini"), settings);  // no first start's balloon in the way
      ASSERT_TRUE(StartApp(exe, elsewhere, "WindowClass_1000", second));
      EXPECT_TRUE(Ping(second));
      EXPECT_EQ(BalloonSaying("Another program uses", 3000), nullptr);
      DWORD code = 1;
      EXPECT_TRUE(ExitApp(second, ExitItem, &code));
    }
    ASSERT_NO_FATAL_FAILURE(Exit());
    if (row.taken) UnregisterHotKey(nullptr, 8);
  }
  NameNewNoteKey(nullptr);
}

}  // namespace
