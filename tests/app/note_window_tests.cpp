// Note windows and commands inside one process, where what the program holds can be seen:
// which font each edit area was given, and what became of the owner window.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "commands.h"
#include "driver.h"
#include "gadgets.h"
#include "note.h"
#include "note_rules.h"
#include "startup.h"
#include "window_layer.h"

namespace {

// Spies on windows of the program: the last font each control was given, and what the
// settings file held each time a window was hidden.
WNDPROC spiedProcedure[4];
HFONT givenFont[4];
std::vector<std::string> fileWhenHidden;

template <int slot>
LRESULT CALLBACK Spy(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETFONT) givenFont[slot] = reinterpret_cast<HFONT>(wParam);
  if (message == WM_SHOWWINDOW && !wParam) {
    std::string file;
    ReadBytes("Settings.ini", file);
    fileWhenHidden.push_back(file);
  }
  return CallWindowProcA(spiedProcedure[slot], window, message, wParam, lParam);
}

template <int slot>
void SpyOn(HWND window) {
  spiedProcedure[slot] =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Spy<slot>)));
}

class NoteWindows : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    LeaveWindowsUnmanaged("note_window_tests.exe");
    Place work = FreshDirectory("note_window_tests");
    SetCurrentDirectoryA(work.windows.c_str());
    StartLayers();
  }

  static void Build(ObjectNumber number, const char* title) {
    Note note{};
    note.xPos = 100 + 50 * static_cast<int>(number % 7);
    note.yPos = 100;
    note.size = SmallSize;
    note.editHeight = EditHeightFor(SmallSize);
    note.title = title;
    note.text = "text";
    note.font = "Tahoma";
    note.fontSize = 10;
    BuildNoteWindow(note, number, true);
  }

  // Runs the note's "Text Font" while another thread answers the dialog.
  static std::string ChooseFont(ObjectNumber note, const wchar_t* size) {
    std::string face;
    std::thread answer([&] {
      HWND dialog = WaitForProcessWindow(GetCurrentProcessId(), "#32770");
      if (dialog) face = AnswerFontDialog(dialog, L"Regular", size, false);
    });
    RunMenuCommand(TextFontItem, note);
    answer.join();
    return face;
  }
};

TEST_F(NoteWindows, TextFontReplacesOnlyTheNotesOwnFont) {
  Build(1, "One");
  Build(3, "Three");
  SpyOn<0>(GadgetHandle(EditAreaOf(1)));
  SpyOn<1>(GadgetHandle(EditAreaOf(3)));
  ASSERT_FALSE(ChooseFont(1, L"12").empty());
  HFONT first = givenFont[0];
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(GetObjectType(first), static_cast<DWORD>(OBJ_FONT));
  ASSERT_FALSE(ChooseFont(3, L"8").empty());
  ASSERT_NE(givenFont[1], nullptr);
  EXPECT_NE(givenFont[1], first);
  // A font shared by number between the notes would have been deleted under note 1 here.
  EXPECT_EQ(GetObjectType(first), static_cast<DWORD>(OBJ_FONT));
  LOGFONTA font{};
  ASSERT_TRUE(GetObjectA(first, sizeof font, &font));
  EXPECT_NE(font.lfHeight, 0);
}

TEST_F(NoteWindows, NoteNumbersPassOverTheOwnerWindowAndShowAllLeavesItHidden) {
  HWND owner = WindowHandle(OwnerWindow);
  ASSERT_NE(owner, nullptr);
  NoteCounter = 996;
  for (const char* title : {"Before", "After"}) {
    workingNote.title = title;
    CreateNote();
  }
  EXPECT_EQ(NoteCounter, 1002);
  EXPECT_NE(WindowHandle(998), nullptr);
  EXPECT_NE(WindowHandle(1002), nullptr);
  EXPECT_EQ(WindowHandle(OwnerWindow), owner);
  EXPECT_EQ(NoteTitle(1002), "After");
  RunMenuCommand(ShowAllItem, OwnerWindow);
  EXPECT_EQ(WindowHandle(OwnerWindow), owner);
  EXPECT_FALSE(IsWindowVisible(owner));
  EXPECT_TRUE(IsWindowVisible(WindowHandle(998)));
}

}  // namespace

namespace {

TEST_F(NoteWindows, HideAllChangesEveryWindowBeforeItWritesTheFile) {
  const std::string file = CrLfLines({"[Five]", "Hidden = 0", "[Seven]", "Hidden = 0", "[Elsewhere]"});
  WriteBytes("Settings.ini", file);
  Build(5, "Five");
  Build(7, "Seven");
  if (NoteCounter < 7) NoteCounter = 7;
  SpyOn<2>(WindowHandle(5));
  SpyOn<3>(WindowHandle(7));
  fileWhenHidden.clear();
  RunMenuCommand(HideAllItem, OwnerWindow);
  ASSERT_EQ(fileWhenHidden.size(), 2u);
  EXPECT_EQ(fileWhenHidden[0], file);
  EXPECT_EQ(fileWhenHidden[1], file);
  std::string written;
  ASSERT_TRUE(ReadBytes("Settings.ini", written));
  EXPECT_EQ(written, CrLfLines({"[Five]", "Hidden = 1", "[Seven]", "Hidden = 1", "[Elsewhere]", "Hidden = 1"}));
  EXPECT_FALSE(IsWindowVisible(WindowHandle(5)));
  EXPECT_FALSE(IsWindowVisible(WindowHandle(7)));
}

}  // namespace
