#include "fixture.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  for (std::size_t start = 0, end; start < text.size(); start = end + 2) {
    end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

// The lines of `group`, from its own line up to the next group's.
std::pair<std::size_t, std::size_t> GroupRange(const std::vector<std::string>& lines, const std::string& group) {
  std::size_t start = 0;
  while (start < lines.size() && lines[start] != "[" + group + "]") ++start;
  std::size_t end = start + 1;
  while (end < lines.size() && lines[end].rfind("[", 0) != 0) ++end;
  return {start, std::min(end, lines.size())};
}

}  // namespace

void E2eTest::TearDown() {
  DWORD code = 0;
  if (app.process.hProcess && !ExitApp(app, ExitItem, &code)) KillApp(app);
}

void E2eTest::Launch(const char* settings) {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  dir = FreshDirectory(std::string("e2e.") + info->test_suite_name() + "." + info->name());
  if (settings) WriteBytes(InPlace(dir, "Settings.ini"), settings);
  Relaunch();
}

void E2eTest::Relaunch() {
  static bool unmanaged = false;
  if (!unmanaged) LeaveWindowsUnmanaged("Tackpad.exe");
  unmanaged = true;
  ASSERT_TRUE(StartApp(TACKPAD_EXE, dir, "WindowClass_1000", app)) << "Tackpad did not start";
}

void E2eTest::LaunchAndWaitFor(const std::string& settings, int lastNote) {
  ASSERT_NO_FATAL_FAILURE(Launch(settings));
  ASSERT_TRUE(WaitUntil([&] { return Note(lastNote) != nullptr; }, 20000)) << "note " << lastNote;
  ASSERT_TRUE(WaitForLoad());
  ASSERT_NO_FATAL_FAILURE(Barrier());
}

bool E2eTest::WaitForLoad() {
  // Loading holds the file against writers until it is done.
  return WaitUntil([&] {
    HANDLE file = CreateFileA(InPlace(dir, "Settings.ini").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return file != INVALID_HANDLE_VALUE;
  }, 20000);
}

void E2eTest::Exit() {
  DWORD code = 99;
  ASSERT_TRUE(ExitApp(app, ExitItem, &code)) << "Tackpad did not end on Exit";
  EXPECT_EQ(code, 0u);
}

std::string E2eTest::File() const {
  std::string bytes;
  ReadBytes(InPlace(dir, "Settings.ini"), bytes);
  return bytes;
}

bool E2eTest::HasFile() const { return GetFileAttributesA(InPlace(dir, "Settings.ini").c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string E2eTest::FileAfterChange(const std::string& before) {
  EXPECT_TRUE(WaitUntil([&] { return File() != before; })) << "the file was not rewritten";
  EXPECT_TRUE(Ping(app));
  return File();
}

std::string E2eTest::Command(int note, int item) {
  std::string before = File();
  PostCommand(Note(note), item);
  return FileAfterChange(before);
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

std::string E2eTest::NewNoteTitled(const char* title) {
  std::string before = File();
  PostCommand(app.owner, NewNoteItem);
  EXPECT_TRUE(AnswerTitle(Dialog("InputRequester"), title)) << "title requester";
  return FileAfterChange(before);
}

HWND E2eTest::Note(int number) const {
  std::vector<HWND> windows =
      ProcessWindows(app.process.dwProcessId, ("WindowClass_" + std::to_string(number)).c_str());
  return windows.empty() ? nullptr : windows.front();
}

RECT Outer(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

SIZE Inner(HWND window) {
  RECT rect{};
  GetClientRect(window, &rect);
  return SIZE{rect.right, rect.bottom};
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

std::string WithKey(const std::string& file, const std::string& group, const std::string& key,
                    const std::string& value) {
  std::vector<std::string> lines = Lines(file);
  auto range = GroupRange(lines, group);
  std::size_t at = range.first + 1;
  while (at < range.second && lines[at].rfind(key + " = ", 0) != 0) ++at;
  if (at < range.second) lines[at] = key + " = " + value;
  else lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(range.second), key + " = " + value);
  return CrLfLines(lines);
}

std::string WithoutGroup(const std::string& file, const std::string& group) {
  std::vector<std::string> lines = Lines(file);
  auto range = GroupRange(lines, group);
  lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(range.first),
              lines.begin() + static_cast<std::ptrdiff_t>(range.second));
  return CrLfLines(lines);
}
