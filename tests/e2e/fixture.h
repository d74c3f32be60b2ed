#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands.h"
#include "driver.h"
#include "note.h"

// What E2eTest::File() reads when there is no file.
constexpr const char* NoFile = "(no file)";

// One run of the real program in a folder of its own, ended at TearDown.
class E2eTest : public ::testing::Test {
 public:
  void TearDown() override;
  // A fresh folder where "Settings.ini" holds `settings` (no file when null), then Start.
  void Launch(const char* settings, int lastNote = -1);
  // Starts `exe` in `dir`. Unless `lastNote` is negative, waits until that note (if any) is
  // there, loading has let go of the file, and the loop takes events.
  void Start(int lastNote = -1);
  // "Exit", which must end the program with code 0.
  void Exit();
  // Kills the program; true once no host process works in its folder any more.
  bool Kill();

  std::string File() const;
  // Waits until the file differs from `before`, then until the program takes events again.
  std::string Changed(const std::string& before);
  // Returns once every message posted so far has been handled.
  void Barrier();
  // "New note..." answered with `title`.
  void NewNote(const char* title);

  HWND Note(int number) const;
  HWND TitleStrip(int number) const { return ChildOf(Note(number), "Static"); }
  HWND EditArea(int n) const { HWND w = ChildOf(Note(n), "RichEdit20W"); return w ? w : ChildOf(Note(n), "RichEdit20A"); }
  HWND Dialog(const char* className) const { return WaitForWindow(app.process.dwProcessId, className); }

  const char* exe = TACKPAD_EXE;
  Place dir;
  RunningApp app;
};

// Real input through the X server, the mouse first moved to the centre of `over` when given.
bool Xdo(const std::string& actions, HWND over = nullptr);
// The icons in Wine's own tray window.
std::vector<HWND> TrayIcons();
// The tray's tooltip windows: its balloons, or the tips its icons show under the mouse.
std::vector<HWND> TrayTooltips(bool balloons);
// The balloon on screen that says `text`, waited for.
HWND BalloonSaying(const std::string& text, int timeoutMs = 30000);
bool Topmost(HWND window);
int Alpha(HWND window);  // 255 when not translucent

// A group as a note's fourteen keys, with font Tahoma 10.
std::vector<std::string> GroupLines(const std::string& name, int x, int y, int size, const std::string& text,
                                    int front, int back, int hidden, int onTop, int alpha, int rollup);
// The file with `key` of `group` replaced, or appended to the group when it has none.
std::string WithKey(std::string file, const std::string& group, const std::string& key, const std::string& value);
