#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands.h"
#include "driver.h"
#include "note.h"

// One run of the real program in a folder of its own, ended at TearDown.
class E2eTest : public ::testing::Test {
 public:
  void TearDown() override;
  // Starts the program where "Settings.ini" holds `settings` (none when `settings` is null).
  void Launch(const char* settings);
  void Launch(const std::string& settings) { Launch(settings.c_str()); }
  // ...and waits until note `lastNote` has been loaded and the loop takes events.
  void LaunchAndWaitFor(const std::string& settings, int lastNote);
  void Relaunch();
  // Until loading let go of the file, which must exist.
  bool WaitForLoad();
  // "Exit", which must end the program with code 0.
  void Exit();

  std::string File() const;
  bool HasFile() const;
  // Waits until the file differs from `before`, then until the program takes events again.
  std::string FileAfterChange(const std::string& before);
  std::string Command(int note, int item);
  // Returns once every message posted so far has been handled.
  void Barrier();
  // "New note..." answered with `title`; returns the file written.
  std::string NewNoteTitled(const char* title);

  HWND Note(int number) const;
  HWND TitleStrip(int number) const { return ChildOf(Note(number), "Static"); }
  HWND EditArea(int number) const { return ChildOf(Note(number), "RichEdit20A"); }
  HWND Dialog(const char* className) const { return WaitForWindow(app.process.dwProcessId, className); }

  std::string test;
  Place dir;
  RunningApp app;
};

RECT Outer(HWND window);
SIZE Inner(HWND window);
bool Topmost(HWND window);
int Alpha(HWND window);  // 255 when not translucent

// A group as a note's fourteen keys, with font Tahoma 10.
std::vector<std::string> GroupLines(const std::string& name, int x, int y, int size, const std::string& text,
                                    int front, int back, int hidden, int onTop, int alpha, int rollup);
// The file with `key` of `group` replaced, or appended to the group when it has none.
std::string WithKey(const std::string& file, const std::string& group, const std::string& key,
                    const std::string& value);
std::string WithoutGroup(const std::string& file, const std::string& group);
