#include "fixture.h"

#include <algorithm>

namespace {

std::size_t GroupStart(const std::vector<std::string>& lines, const std::string& group) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] == "[" + group + "]") return i;
  }
  return lines.size();
}

std::size_t GroupEnd(const std::vector<std::string>& lines, std::size_t start) {
  std::size_t end = start + 1;
  while (end < lines.size() && (lines[end].empty() || lines[end][0] != '[')) ++end;
  return end;
}

}  // namespace

void TackpadTest::TearDown() { KillApp(app); }

void TackpadTest::Launch() {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  dir = FreshDirectory(std::string(test->test_suite_name()) + "." + test->name());
  Relaunch();
}

void TackpadTest::Launch(const std::string& settings) {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  dir = FreshDirectory(std::string(test->test_suite_name()) + "." + test->name());
  WriteBytes(SettingsPath(), settings);
  Relaunch();
}

void TackpadTest::Relaunch() { ASSERT_TRUE(StartApp(dir, app)) << "Tackpad did not start"; }

void TackpadTest::LaunchAndWaitFor(const std::string& settings, int lastNote) {
  ASSERT_NO_FATAL_FAILURE(Launch(settings));
  // Once the last note is shown, only the loading pause stands between it and the loop.
  ASSERT_TRUE(WaitUntil([&] { return Note(lastNote) && IsWindowVisible(Note(lastNote)); }, 20000))
      << "note " << lastNote << " was not shown";
  ASSERT_TRUE(Ping(app));
}

void TackpadTest::Exit() {
  DWORD code = 99;
  ASSERT_TRUE(ExitApp(app, &code)) << "Tackpad did not end on Exit";
  EXPECT_EQ(code, 0u);
}

bool TackpadTest::HasFile() const {
  std::string bytes;
  return ReadBytes(SettingsPath(), bytes);
}

std::string TackpadTest::File() const {
  std::string bytes;
  ReadBytes(SettingsPath(), bytes);
  return bytes;
}

std::string TackpadTest::FileAfterChange(const std::string& before) {
  EXPECT_TRUE(WaitUntil([&] { return File() != before; })) << "the file was not rewritten";
  EXPECT_TRUE(Ping(app));
  return File();
}

std::string TackpadTest::Command(int note, int item) {
  std::string before = File();
  PostMenuItem(Note(note), item);
  return FileAfterChange(before);
}

void TackpadTest::Barrier() {
  // Posted messages keep their order: once the About box of a later post stands, every
  // earlier post has been handled.
  PostMenuItem(app.owner, About);
  HWND box = WaitForDialog();
  ASSERT_NE(box, nullptr) << "no About box";
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
  ASSERT_TRUE(Ping(app));
}

void TackpadTest::CommandWritingNothing(int note, int item) {
  std::string before = File();
  PostMenuItem(Note(note), item);
  ASSERT_NO_FATAL_FAILURE(Barrier());
  EXPECT_EQ(File(), before);
}

HWND TackpadTest::Note(int number) const {
  return ProcessWindow(app.process.dwProcessId, ("WindowClass_" + std::to_string(number)).c_str());
}

HWND TackpadTest::TitleStrip(int number) const { return ChildOfClass(Note(number), "Static"); }
HWND TackpadTest::EditArea(int number) const { return ChildOfClass(Note(number), "RichEdit20A"); }

HWND TackpadTest::WaitForDialog() { return WaitForProcessWindow(app.process.dwProcessId, "#32770"); }

void TackpadTest::AnswerTitle(const char* title) {
  HWND requester = WaitForProcessWindow(app.process.dwProcessId, "InputRequester");
  ASSERT_NE(requester, nullptr) << "no title requester";
  HWND field = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (field = ChildOfClass(requester, "Edit")) != nullptr; }));
  if (title) {
    std::string text = title;
    // The field takes no control characters from the keyboard; those are put in whole.
    if (std::all_of(text.begin(), text.end(), [](char c) { return c >= ' '; })) {
      TypeText(field, text);
    } else {
      SendMessageTimeoutA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(title), SMTO_NORMAL, 5000, nullptr);
    }
    ASSERT_TRUE(WaitUntil([&] { return TextOf(field) == text; }));
    PressKey(field, VK_RETURN);
  } else {
    PressKey(field, VK_ESCAPE);
  }
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(requester); })) << "the requester stayed open";
}

std::string TackpadTest::NewNoteTitled(const char* title) {
  std::string before = File();
  PostMenuItem(app.owner, NewNote);
  AnswerTitle(title);
  return FileAfterChange(before);
}

void TackpadTest::WaitForNewNote(int number) {
  // The greeting goes in after the edit area has drained the queue, which would swallow
  // a command posted any earlier.
  ASSERT_TRUE(WaitUntil([&] { return TextOf(EditArea(number)) == "Welcome to Tackpad!"; }))
      << "note " << number << " was not built";
}

std::string WithKey(const std::string& file, const std::string& group, const std::string& key,
                    const std::string& value) {
  std::vector<std::string> lines = SplitCrLf(file);
  std::size_t start = GroupStart(lines, group);
  std::size_t end = GroupEnd(lines, start);
  for (std::size_t i = start + 1; i < end; ++i) {
    if (lines[i].rfind(key + " = ", 0) == 0) {
      lines[i] = key + " = " + value;
      return CrLfLines(lines);
    }
  }
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(std::min(end, lines.size())), key + " = " + value);
  return CrLfLines(lines);
}

std::string WithoutGroup(const std::string& file, const std::string& group) {
  std::vector<std::string> lines = SplitCrLf(file);
  std::size_t start = GroupStart(lines, group);
  if (start == lines.size()) return file;
  lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(start),
              lines.begin() + static_cast<std::ptrdiff_t>(GroupEnd(lines, start)));
  return CrLfLines(lines);
}

std::string ValueIn(const std::string& file, const std::string& group, const std::string& key) {
  std::vector<std::string> lines = SplitCrLf(file);
  std::size_t start = GroupStart(lines, group);
  if (start == lines.size()) return "(no group)";
  for (std::size_t i = start + 1; i < GroupEnd(lines, start); ++i) {
    if (lines[i].rfind(key + " = ", 0) == 0) return lines[i].substr(key.size() + 3);
  }
  return "(no key)";
}

std::vector<std::string> GroupLines(const std::string& name, int x, int y, int size, const std::string& text,
                                    int front, int back, int hidden, int onTop, int alpha, int rollup) {
  auto line = [](const char* key, const std::string& value) { return std::string(key) + " = " + value; };
  auto number = [&](const char* key, int value) { return line(key, std::to_string(value)); };
  return {"[" + name + "]",          number("XPos", x),       number("YPos", y),
          number("Size", size),      line("Title", name),     line("Text", text),
          line("Font", "Tahoma"),    number("FontSize", 10),  line("FontStyle", "0"),
          number("FrontColor", front), number("BkgColor", back), number("Hidden", hidden),
          number("OnTop", onTop),    number("Alpha", alpha),  number("Rollup", rollup)};
}
