#include "ui_fixture.h"

#include "events.h"
#include "fonts.h"
#include "gadgets.h"
#include "menus.h"
#include "text.h"
#include "tray.h"
#include "window_layer.h"

namespace {

class LayersEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    StartTextHelpers();
    StartFonts();
    StartWindowLayer();
    StartGadgets();
    StartMenus();
    StartTray();
  }
  void TearDown() override {
    EndTray();
    EndWindowLayer();
    EndFonts();
  }
};

[[maybe_unused]] const auto* const layers = ::testing::AddGlobalTestEnvironment(new LayersEnvironment);

BOOL CALLBACK CollectChild(HWND child, LPARAM into) {
  reinterpret_cast<std::vector<HWND>*>(into)->push_back(child);
  return TRUE;
}

bool RetryUntil(const std::function<bool()>& condition, int timeoutMs, void (*step)()) {
  DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > static_cast<DWORD>(timeoutMs)) return false;
    step();
  }
  return true;
}

}  // namespace

std::vector<SeenEvent> TakeReadyEvents() {
  std::vector<SeenEvent> events;
  while (std::int32_t kind = NextEvent(0)) events.push_back({kind, LastWindow(), LastItem(), LastSubtype()});
  return events;
}

bool HasEvent(const std::vector<SeenEvent>& events, std::int32_t kind, ObjectNumber window) {
  for (const SeenEvent& event : events) {
    if (event.kind == kind && event.window == window) return true;
  }
  return false;
}

bool PumpUntil(const std::function<bool()>& condition, int timeoutMs) {
  return RetryUntil(condition, timeoutMs, [] { NextEvent(20); });
}

bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
  return RetryUntil(condition, timeoutMs, [] { Sleep(10); });
}

bool AwaitEvent(std::int32_t kind, SeenEvent* seen, int timeoutMs) {
  DWORD start = GetTickCount();
  while (GetTickCount() - start <= static_cast<DWORD>(timeoutMs)) {
    if (NextEvent(20) != kind) continue;
    if (seen) *seen = SeenEvent{kind, LastWindow(), LastItem(), LastSubtype()};
    return true;
  }
  return false;
}

void RunXdotool(const std::string& arguments) {
  std::string commandLine = "/usr/bin/xdotool " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                             &process));
  if (process.hThread) CloseHandle(process.hThread);
  if (process.hProcess) CloseHandle(process.hProcess);
}

std::vector<HWND> ChildrenOf(HWND window) {
  std::vector<HWND> children;
  EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&children));
  return children;
}

std::string GadgetText(ObjectNumber number) {
  std::size_t mark = ScratchMark();
  std::string text = FetchGadgetText(number);
  EXPECT_EQ(ScratchMark(), mark + text.size()) << "the fill position stands on the terminating zero";
  ScratchRewind(mark);
  return text;
}

void LayerTest::TearDown() {
  for (ObjectNumber number : opened_) RemoveWindow(number);
  TakeReadyEvents();
}

HWND LayerTest::OpenWindow(ObjectNumber number, int x, int y, int width, int height, std::uint32_t flags,
                           HWND parent) {
  HWND handle = NewWindow(number, x, y, width, height, "", flags, parent);
  opened_.push_back(number == AnyNumber ? reinterpret_cast<ObjectNumber>(handle) : number);
  return handle;
}

HWND LayerTest::OpenNote(ObjectNumber number, int size, bool visible) {
  HWND window = OpenWindow(number, 200, 200, size, size, visible ? 0x80000000u : 0x90000000u);
  SetGadgetHost(window);
  NewTextGadget(number + 2, 0, 4, size, 16, "Title", 1);
  NewEditorGadget(number - 1, 0, 25, size, size - 25);
  return window;
}
