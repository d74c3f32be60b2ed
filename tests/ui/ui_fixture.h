#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "object_table.h"

// One event as the accessors told it right after NextEvent.
struct SeenEvent {
  std::int32_t kind;
  ObjectNumber window;
  ObjectNumber item;
  std::int32_t subtype;
};

// Takes every event that is ready now, without waiting.
std::vector<SeenEvent> TakeReadyEvents();
bool HasEvent(const std::vector<SeenEvent>& events, std::int32_t kind, ObjectNumber window);
// Runs the event loop until the condition holds or the time is up; true when it held.
bool PumpUntil(const std::function<bool()>& condition, int timeoutMs = 5000);
// Runs the event loop until an event of this kind comes; false when none came in time.
bool AwaitEvent(std::int32_t kind, SeenEvent* seen = nullptr, int timeoutMs = 5000);

// Starts /usr/bin/xdotool with these arguments; Wine gives no handle to wait on, so callers
// wait for the effect.
void RunXdotool(const char* arguments);

std::vector<HWND> ChildrenOf(HWND window);

// Starts every layer once per process; each test removes the windows it opened.
class LayerTest : public ::testing::Test {
 protected:
  void TearDown() override;
  HWND OpenWindow(ObjectNumber number, int x, int y, int width, int height, std::uint32_t flags,
                  HWND parent = nullptr);
  // A borderless note-like window with a title strip and an edit area; invisible unless
  // asked, since under Wine without a window manager hiding a shown window waits 2 s.
  HWND OpenNote(ObjectNumber number, int x = 100, int y = 100, int size = 128, bool visible = false);
  std::vector<ObjectNumber> opened_;
};
