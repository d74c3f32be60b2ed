#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver.h"

// Menu items and classes as the program shows them to the platform.
enum : int {
  HideNote = 1, RollUp, BackgroundColor, TextColor, TextFont, SaveNote, Small, Normal, Large,
  Cut, Copy, Paste, SelectAll, Transparent, OnTop, DeleteNote,
  NewNote = 100, ShowAll = 200, HideAll = 300, About = 400, Exit = 500
};

// One run of the program in a directory of its own, ended (killed if need be) at TearDown.
class TackpadTest : public ::testing::Test {
 protected:
  void TearDown() override;

  // Starts the program where "Settings.ini" holds `settings`, or where there is none.
  void Launch(const std::string& settings);
  void Launch();
  // ...and waits until note `lastNote` is shown and the loop takes events.
  void LaunchAndWaitFor(const std::string& settings, int lastNote);
  void Relaunch();
  void Exit();

  std::string SettingsPath() const { return InPlace(dir, "Settings.ini"); }
  bool HasFile() const;
  std::string File() const;
  // Waits until the file differs from `before`, then until the program is back in its loop.
  std::string FileAfterChange(const std::string& before);
  // Posts a menu item for a window and returns the file once rewritten.
  std::string Command(int note, int item);
  // Returns once every message posted so far has been handled.
  void Barrier();
  // Posts an item that writes nothing and checks that the file stayed as it was.
  void CommandWritingNothing(int note, int item);

  HWND Note(int number) const;
  HWND TitleStrip(int number) const;
  HWND EditArea(int number) const;
  // Answers the title requester by typing `title` and Enter (or Escape when null).
  void AnswerTitle(const char* title);
  // "New note..." from the tray menu, answered with `title`; returns the new file.
  std::string NewNoteTitled(const char* title);
  // Waits until new note `number` is built whole (it shows its greeting).
  void WaitForNewNote(int number);
  HWND WaitForDialog();

  Place dir;
  RunningApp app;
};

// Replaces (or appends to the group) the line of `key` in `group` of an expected file.
std::string WithKey(const std::string& file, const std::string& group, const std::string& key,
                    const std::string& value);
std::string WithoutGroup(const std::string& file, const std::string& group);
std::string ValueIn(const std::string& file, const std::string& group, const std::string& key);
// A group as the program writes a new note, less the position.
std::vector<std::string> GroupLines(const std::string& name, int x, int y, int size, const std::string& text,
                                    int front, int back, int hidden, int onTop, int alpha, int rollup);
