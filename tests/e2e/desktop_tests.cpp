// What a Windows desktop does around the program: the ways it ends, monitors, the taskbar,
// the keyboard, a second start.
#include "events.h"
#include "fixture.h"
#include "instance.h"

#include <shellapi.h>

#include <functional>

namespace {

using Desktop = E2eTest;

std::string MovedNote(int x) { return CrLfLines(GroupLines("Moved", x, 100, 258, "still", 0, 8252912, 0, 0, 0, 0)); }

// The file is read once the program is gone: read while it stores, it is the old one or, in the
// middle of the swap, none at all.
void Ended(Desktop& t) {
  DWORD code = 99;
  ASSERT_TRUE(WaitForExit(t.app, &code)) << "the program did not end";
  EXPECT_EQ(code, 0u);
}

// A move the person made that no drop stored, like typing not yet come to a pause, is stored by the end.
TEST_F(Desktop, WhatWasMovedIsStoredAtExitAtAltF4AndAtTheEndOfASession) {
  const std::string stored = MovedNote(500);
  const struct {
    const char* name;
    std::function<void(Desktop&)> end;
  } endings[] = {
      {"Exit", [](Desktop& t) { t.Exit(); }},
      {"Alt+F4", [](Desktop& t) {
         EXPECT_TRUE(Xdo("key alt+F4"));
         Ended(t);
       }},
      {"end of session", [&](Desktop& t) {
         DWORD_PTR answer = 0;
         EXPECT_TRUE(SendMessageTimeoutA(t.app.owner, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 5000, &answer));
         EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
         EXPECT_EQ(t.File(), MovedNote(400)) << "answered at once";
         EXPECT_TRUE(SendMessageTimeoutA(t.app.owner, WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, 5000, nullptr));
         EXPECT_EQ(t.File(), stored) << "stored before the answer";
         Ended(t);
       }},
  };
  for (const auto& c : endings) {
    SCOPED_TRACE(c.name);
    dir = FreshDirectory(std::string("e2e.Desktop.Ending.") + c.name);
    WriteBytes(InPlace(dir, "Settings.ini"), MovedNote(400));
    ASSERT_NO_FATAL_FAILURE(Start(1));
    ASSERT_TRUE(Xdo("click 1", EditArea(1)));  // Alt+F4 goes to the active note
    SendMessageA(Note(1), WM_ENTERSIZEMOVE, 0, 0);
    SetWindowPos(Note(1), nullptr, 500, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageA(Note(1), WM_EXITSIZEMOVE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return Outer(Note(1)).left == 500; }));
    c.end(*this);
    EXPECT_EQ(File(), stored);
  }
}

// The installer's end request during a long load (ten notes a second) ends the program at once.
TEST_F(Desktop, AnEndRequestDuringALongLoadEndsTheProgramAtOnceWritingNothing) {
  std::vector<std::string> lines;
  for (int n = 0; n < 300; ++n) {
    const std::vector<std::string> group = GroupLines("Note " + std::to_string(n), n, 100, 128, "", 0, 8252912, 0, 0, 0, 0);
    lines.insert(lines.end(), group.begin(), group.end());
  }
  const std::string file = CrLfLines(lines);
  ASSERT_NO_FATAL_FAILURE(Launch(file.c_str()));
  ASSERT_TRUE(WaitUntil([&] { return Note(1) != nullptr; }, 20000));
  const DWORD start = GetTickCount();
  PostMessageA(app.owner, EndRequestMessage, 0, 0);
  DWORD code = 99;
  EXPECT_TRUE(WaitForExit(app, &code, 20000) && code == 0) << code;
  EXPECT_LT(GetTickCount() - start, 15000u) << "the load went on";
  EXPECT_EQ(File(), file);
}

TEST_F(Desktop, ANoteOffEveryMonitorLoadsInReachAndOnlyACommandStoresItsNewPlace) {
  std::vector<std::string> lines = GroupLines("Far", 5000, 5000, 258, "lost?", 0, 8252912, 0, 0, 0, 0);
  std::vector<std::string> inReach = GroupLines("Near", 100, 100, 258, "here", 0, 8252912, 0, 0, 0, 0);
  lines.insert(lines.end(), inReach.begin(), inReach.end());
  const std::string file = CrLfLines(lines);
  ASSERT_NO_FATAL_FAILURE(Launch(file.c_str(), 3));
  const RECT distant = Outer(Note(1)), screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  EXPECT_TRUE(distant.left >= 0 && distant.top >= 0 && distant.right <= screen.right && distant.bottom <= screen.bottom);
  EXPECT_EQ(distant.right - distant.left, 258);
  EXPECT_EQ(Outer(Note(3)).left, 100);  // a note in reach stays where it is
  SetWindowPos(Note(3), nullptr, -3000, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);  // its monitor gone
  SendMessageTimeoutA(app.owner, WM_DISPLAYCHANGE, 32, MAKELPARAM(screen.right, screen.bottom), SMTO_NORMAL, 5000, nullptr);
  EXPECT_TRUE(WaitUntil([&] { return Outer(Note(3)).left == 0 && Outer(Note(3)).top == 200; })) << "left out of reach";
  ASSERT_NO_FATAL_FAILURE(Exit());
  EXPECT_EQ(File(), file);  // an untouched program's end writes nothing, nor one for a move into reach

  ASSERT_NO_FATAL_FAILURE(Start(3));
  PostCommand(Note(1), HideNoteItem);
  std::string moved = WithKey(WithKey(file, "Far", "XPos", std::to_string(Outer(Note(1)).left)), "Far", "YPos",
                              std::to_string(Outer(Note(1)).top));
  EXPECT_EQ(Changed(file), WithKey(moved, "Far", "Hidden", "1"));
}

TEST_F(Desktop, TheKeyboardOpensANotesMenuTheTrayIconComesBackAndASecondStartShowsTheNotes) {
  const std::vector<HWND> before = TrayIcons();
  ASSERT_NO_FATAL_FAILURE(Launch(CrLfLines(GroupLines("Q&A", 100, 100, 258, "", 0, 8252912, 0, 0, 0, 0)).c_str(), 1));
  EXPECT_TRUE(GetWindowLongA(TitleStrip(1), GWL_STYLE) & SS_NOPREFIX) << "\"&\" shown as it is";
  EXPECT_EQ(TextOf(Note(1)), "Q&A") << "the window is named by its title";
  const DWORD process = app.process.dwProcessId;
  POINT under{}, at{};
  for (const char* keys : {"key shift+F10", "key Menu"}) {
    ASSERT_TRUE(Xdo("click 1", EditArea(1)) && Xdo(keys)) << keys;
    HWND menu = MenuShown(process, &under);
    EXPECT_NE(menu, nullptr) << keys << " opened no menu";
    ASSERT_TRUE(Xdo("key Escape"));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }));
  }
  // The context-menu request (touch, an assistive tool, the keyboard's -1, -1) opens the menu once:
  // not again for a right release, whose press opened it already; not while a menu or a question
  // is open. Posts keep their order, so a request kept for later would open the next menu.
  const auto request = [&](short x, short y) {
    PostMessageA(EditArea(1), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(EditArea(1)), MAKELPARAM(x, y));
  };
  const struct { const char* name; std::function<void()> before; POINT asked, shown; } requests[] = {
      {"from the keyboard", [] {}, {-1, -1}, under},
      {"after a right release", [&] { PostMessageA(EditArea(1), WM_RBUTTONUP, 0, MAKELPARAM(5, 5)); }, {600, 500}, {600, 500}},
      {"while a menu is open", [&] {
         request(640, 520);
         HWND first = MenuShown(process);
         request(700, 300);
         PostMessageA(Note(1), WM_CANCELMODE, 0, 0);
         EXPECT_TRUE(first && WaitUntil([&] { return !IsWindowVisible(first); }));
       }, {600, 500}, {600, 500}},
      {"while a question is open", [&] {
         PostCommand(app.owner, NewNoteItem);
         HWND requester = Dialog("InputRequester");
         request(700, 300);
         EXPECT_TRUE(AnswerTitle(requester, nullptr));
       }, {620, 510}, {620, 510}},
  };
  for (const auto& r : requests) {
    SCOPED_TRACE(r.name);
    r.before();
    request(static_cast<short>(r.asked.x), static_cast<short>(r.asked.y));
    HWND menu = MenuShown(process, &at);
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(at.x == r.shown.x && at.y == r.shown.y) << at.x << ", " << at.y;
    ASSERT_TRUE(Xdo("key Escape"));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }));
  }

  ASSERT_TRUE(WaitUntil([&] { return TrayIcons().size() == before.size() + 1; }));
  NOTIFYICONDATAA icon{};
  icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
  icon.hWnd = app.owner;
  icon.uID = 1;
  ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &icon));  // as a taskbar restart leaves it
  ASSERT_TRUE(WaitUntil([&] { return TrayIcons().size() == before.size(); }));
  PostMessageA(app.owner, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  EXPECT_TRUE(WaitUntil([&] { return TrayIcons().size() == before.size() + 1; })) << "the icon did not come back";

  // The folder under other names: the running program is found by what the file is, not its name.
  const Place linked{dir.windows + ".link", dir.unix + ".link"};
  ASSERT_TRUE(RunOnHost("ln -sfn '" + dir.unix + "' '" + linked.unix + "'"));
  char shortName[MAX_PATH] = "";
  GetShortPathNameA(dir.windows.c_str(), shortName, MAX_PATH);
  DWORD code = 99;
  auto secondStart = [&](const Place& name) {
    RunningApp second;
    ASSERT_TRUE(StartApp(TACKPAD_EXE, name, nullptr, second));
    ASSERT_TRUE(WaitForExit(second, &code)) << name.windows << ": a second start on the file kept running";
    EXPECT_EQ(code, 0u);
  };
  auto writeTime = [&] {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExA(InPlace(dir, "Settings.ini").c_str(), GetFileExInfoStandard, &data);
    return (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
  };
  const ULONGLONG untouched = writeTime();
  ASSERT_NO_FATAL_FAILURE(secondStart(linked));
  ASSERT_NO_FATAL_FAILURE(Barrier());
  EXPECT_EQ(writeTime(), untouched) << "every note showed already: a start stores nothing";
  const std::string shown = File();
  PostCommand(app.owner, HideAllItem);
  const std::string hidden = Changed(shown);
  ASSERT_NO_FATAL_FAILURE(secondStart(Place{shortName, dir.unix}));
  EXPECT_EQ(Changed(hidden), shown) << "a second start shows every note, as \"Show All Notes\" does";
  EXPECT_TRUE(IsWindowVisible(Note(1)));

  // Another folder whose shared record names a live window that is not a program's owner window.
  RunningApp beside;
  const Place other{dir.windows + "\\beside", dir.unix + "/beside"};  // within reach of the fixture's sweep
  ASSERT_TRUE(CreateDirectoryA(other.windows.c_str(), nullptr));
  HANDLE shared = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(RunningProgram),
                                     FolderObjectName(InPlace(other, "Settings.ini").c_str()).c_str());
  auto* planted = static_cast<RunningProgram*>(MapViewOfFile(shared, FILE_MAP_WRITE, 0, 0, 0));
  if (planted) *planted = RunningProgram{static_cast<LONG>(app.process.dwProcessId), HandleToLong(Note(1)), 0};
  const bool started = planted && StartApp(TACKPAD_EXE, other, "WindowClass_1000", beside);
  UnmapViewOfFile(planted);
  CloseHandle(shared);
  ASSERT_TRUE(started) << "a stale record ended the start";
  EXPECT_TRUE(ExitApp(beside, ExitItem, &code) && code == 0) << "a start in another folder runs beside";
  EXPECT_TRUE(Ping(app));
}

}  // namespace
