#include "ui_fixture.h"

#include <cstdio>

#include "events.h"
#include "fonts.h"
#include "gadgets.h"
#include "menus.h"
#include "text.h"
#include "tray.h"
#include "windows.h"

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

const auto* const layers = ::testing::AddGlobalTestEnvironment(new LayersEnvironment);

BOOL CALLBACK CollectChild(HWND child, LPARAM into) {
  reinterpret_cast<std::vector<HWND>*>(into)->push_back(child);
  return TRUE;
}

SeenEvent Seen(std::int32_t kind) { return SeenEvent{kind, LastWindow(), LastItem(), LastSubtype()}; }

}  // namespace

std::vector<SeenEvent> TakeReadyEvents() {
  std::vector<SeenEvent> events;
  while (std::int32_t kind = NextEvent(0)) events.push_back(Seen(kind));
  return events;
}

bool HasEvent(const std::vector<SeenEvent>& events, std::int32_t kind, ObjectNumber window) {
  for (const SeenEvent& event : events) {
    if (event.kind == kind && event.window == window) return true;
  }
  return false;
}

bool PumpUntil(const std::function<bool()>& condition, int timeoutMs) {
  DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > static_cast<DWORD>(timeoutMs)) return false;
    NextEvent(20);
  }
  return true;
}

bool AwaitEvent(std::int32_t kind, SeenEvent* seen, int timeoutMs) {
  DWORD start = GetTickCount();
  while (GetTickCount() - start <= static_cast<DWORD>(timeoutMs)) {
    std::int32_t got = NextEvent(20);
    if (got != kind) continue;
    if (seen) *seen = Seen(got);
    return true;
  }
  return false;
}

void RunXdotool(const char* arguments) {
  char commandLine[512];
  std::snprintf(commandLine, sizeof commandLine, "/usr/bin/xdotool %s", arguments);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
      << commandLine;
  if (process.hThread) CloseHandle(process.hThread);
  if (process.hProcess) CloseHandle(process.hProcess);
}

std::vector<HWND> ChildrenOf(HWND window) {
  std::vector<HWND> children;
  EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&children));
  return children;
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

HWND LayerTest::OpenNote(ObjectNumber number, int x, int y, int size, bool visible) {
  HWND window = OpenWindow(number, x, y, size, size, visible ? 0x80000000u : 0x90000000u);
  SetGadgetHost(window);
  NewTextGadget(number + 2, 0, 4, size, 16, "Title", 1);
  NewEditorGadget(number - 1, 0, 25, size, size - 25);
  return window;
}
