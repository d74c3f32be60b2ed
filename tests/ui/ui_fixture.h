#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "object_table.h"

// One event as the accessors told it right after NextEvent.
struct SeenEvent {
  std::int32_t kind;
  ObjectNumber window;
  ObjectNumber item;
  std::int32_t subtype;
};

std::vector<SeenEvent> TakeReadyEvents();  // every event ready now, without waiting
bool HasEvent(const std::vector<SeenEvent>& events, std::int32_t kind, ObjectNumber window);
// Runs the event loop until the condition holds or the time is up.
bool PumpUntil(const std::function<bool()>& condition, int timeoutMs = 5000);
// The same without touching the event loop, for threads other than the test's.
bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 5000);
bool AwaitEvent(std::int32_t kind, SeenEvent* seen = nullptr, int timeoutMs = 5000);
// Wine gives no handle to wait on for a Unix program, so callers wait for its effect.
void RunXdotool(const std::string& arguments);
std::vector<HWND> ChildrenOf(HWND window);
std::string GadgetText(ObjectNumber number);

// The layers start once per process; each test removes the windows it opened.
class LayerTest : public ::testing::Test {
 protected:
  void TearDown() override;
  HWND OpenWindow(ObjectNumber number, int x, int y, int width, int height, std::uint32_t flags,
                  HWND parent = nullptr);
  // A note-like window with title strip n + 2 and edit area n - 1; invisible unless asked,
  // since under Wine with no window manager hiding a shown window waits 2 s.
  HWND OpenNote(ObjectNumber number, int size = 128, bool visible = false);
  std::vector<ObjectNumber> opened_;
};
