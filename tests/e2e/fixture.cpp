#include "fixture.h"

#include <commctrl.h>

#include <cstring>

void E2eTest::TearDown() {
  DWORD code = 0;
  // A failed test may have left another start behind in the folder.
  if ((app.process.hProcess && !ExitApp(app, ExitItem, &code)) || HasFailure()) {
    EXPECT_TRUE(Kill());
  }
  SetDisplayScale(96);  // the prefix keeps a scale a test chose
}

void E2eTest::Launch(const char* settings, int lastNote) {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  dir = FreshDirectory(std::string("e2e.") + info->test_suite_name() + "." + info->name());
  if (settings) WriteBytes(InPlace(dir, "Settings.ini"), settings);
  Start(lastNote);
}

void E2eTest::Start(int lastNote) {
  LeaveWindowsUnmanaged(std::strrchr(exe, '\\') + 1);
  ASSERT_TRUE(StartApp(exe, dir, "WindowClass_1000", app)) << "Tackpad did not start";
  if (lastNote < 0) return;
  ASSERT_TRUE(WaitUntil([&] { return lastNote == 0 || Note(lastNote); }, 20000)) << "note " << lastNote;
  // Loading holds the file against writers until it has read it.
  ASSERT_TRUE(WaitUntil([&] {
    HANDLE file = CreateFileA(InPlace(dir, "Settings.ini").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return file != INVALID_HANDLE_VALUE;
  }, 20000)) << "loading held the file";
  ASSERT_NO_FATAL_FAILURE(Barrier());
}

void E2eTest::Exit() {
  DWORD code = 99;
  ASSERT_TRUE(ExitApp(app, ExitItem, &code)) << "Tackpad did not end on Exit";
  EXPECT_EQ(code, 0u);
}

// Should the platform's kill leave the program's host process behind, icon and windows included,
// that process is found by its folder (or one below) and ended too, as is any other start there.
bool E2eTest::Kill() {
  if (app.process.hProcess) {
    TerminateProcess(app.process.hProcess, 1);
    DWORD code = 0;
    WaitForExit(app, &code);
  }
  if (dir.unix.empty()) return true;  // no folder yet: nothing to sweep, and never everything
  return RunOnHost("for i in $(seq 100); do left=0; for p in /proc/[0-9]*; do "
                   "case \"$(readlink $p/cwd 2>/dev/null)\" in '" + dir.unix + "'|'" + dir.unix + "'/*) "
                   "kill -9 ${p#/proc/} 2>/dev/null; left=1;; esac; done; [ $left = 0 ] && exit 0; sleep 0.05; "
                   "done; exit 1");
}

std::string E2eTest::File() const {
  std::string bytes;
  return ReadBytes(InPlace(dir, "Settings.ini"), bytes) ? bytes : NoFile;
}

std::string E2eTest::Changed(const std::string& before) {
  EXPECT_TRUE(WaitUntil([&] { return File() != before; })) << "the file was not rewritten";
  EXPECT_TRUE(Ping(app));
  return File();
}

void E2eTest::Barrier() {
  // Posts keep their order: once the About box of a later post stands, the earlier ones are done.
  // While notes load, each new edit area drains the queue: a post swallowed there is repeated.
  HWND box = nullptr;
  int posted = 0;
  for (; posted < 5 && !box; ++posted) {
    PostCommand(app.owner, AboutItem);
    box = WaitForWindow(app.process.dwProcessId, "#32770", 1500);
  }
  ASSERT_NE(box, nullptr) << "no About box";
  // A repeat may yet open a box of its own.
  for (; box; box = --posted ? WaitForWindow(app.process.dwProcessId, "#32770", 1000) : nullptr) {
    ASSERT_TRUE(CloseDialog(box, IDOK));
  }
  ASSERT_TRUE(Ping(app));
}

void E2eTest::NewNote(const char* title) {
  PostCommand(app.owner, NewNoteItem);
  EXPECT_TRUE(AnswerTitle(Dialog("InputRequester"), title)) << "title requester";
}

HWND E2eTest::Note(int number) const {
  return WaitForWindow(app.process.dwProcessId, ("WindowClass_" + std::to_string(number)).c_str(), 0);
}

bool Xdo(const std::string& actions, HWND over) {
  RECT rect{};
  GetWindowRect(over, &rect);
  const std::string at =
      std::to_string((rect.left + rect.right) / 2) + " " + std::to_string((rect.top + rect.bottom) / 2);
  return RunOnHost("xdotool " + (over ? "mousemove " + at + " " : std::string()) + actions);
}

std::vector<HWND> TrayTooltips(bool balloons) {
  std::vector<HWND> found;
  for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, TOOLTIPS_CLASSA, nullptr));) {
    if (((GetWindowLongA(w, GWL_STYLE) & TTS_BALLOON) != 0) == balloons) found.push_back(w);
  }
  return found;
}

HWND BalloonSaying(const std::string& text, int timeoutMs) {
  HWND shown = nullptr;
  WaitUntil([&] {
    for (HWND w : TrayTooltips(true)) {
      if (IsWindowVisible(w) && TextOf(w).find(text) != std::string::npos) shown = w;
    }
    return shown != nullptr;
  }, timeoutMs);
  return shown;
}

std::vector<HWND> TrayIcons() {
  std::vector<HWND> icons;
  HWND tray = FindWindowA("__winex11_standalone_tray", nullptr);
  for (HWND icon = nullptr; tray && (icon = FindWindowExA(tray, icon, "__winex11_tray_icon", nullptr));) {
    icons.push_back(icon);
  }
  return icons;
}

bool Topmost(HWND window) { return (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

int Alpha(HWND window) {
  BYTE alpha = 255;
  DWORD flags = 0;
  if (!(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_LAYERED)) return 255;
  return GetLayeredWindowAttributes(window, nullptr, &alpha, &flags) && (flags & LWA_ALPHA) ? alpha : 255;
}

std::vector<std::string> GroupLines(const std::string& name, int x, int y, int size, const std::string& text,
                                    int front, int back, int hidden, int onTop, int alpha, int rollup) {
  auto key = [](const char* key, const std::string& value) { return std::string(key) + " = " + value; };
  auto number = [&](const char* name, int value) { return key(name, std::to_string(value)); };
  return {"[" + name + "]", number("XPos", x), number("YPos", y), number("Size", size), key("Title", name),
          key("Text", text), key("Font", "Tahoma"), number("FontSize", 10), key("FontStyle", "0"),
          number("FrontColor", front), number("BkgColor", back), number("Hidden", hidden),
          number("OnTop", onTop), number("Alpha", alpha), number("Rollup", rollup)};
}

std::string WithKey(std::string file, const std::string& group, const std::string& key, const std::string& value) {
  const std::size_t start = file.find("[" + group + "]\r\n");
  std::size_t end = file.find("\r\n[", start);
  end = end == std::string::npos ? file.size() : end + 2;
  std::size_t at = file.find("\r\n" + key + " = ", start);
  const std::string line = key + " = " + value + "\r\n";
  if (at >= end) return file.insert(end, line);
  at += 2;
  return file.replace(at, file.find("\r\n", at) + 2 - at, line);
}
